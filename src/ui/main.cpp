// tovi-lut-converter: the desktop program.
#include <QApplication>
#include <QIcon>

#include "core/LUTFormat.h"
#include "ui/Dialogs.h"
#include "ui/MainForm.h"
#include "registry/FormatTable.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tovi-lut-converter"));
  QApplication::setApplicationVersion(QStringLiteral(TOVI_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tovi/tovi-lut-converter.png")));
  QApplication::setDesktopFileName(QStringLiteral("tovi-lut-converter"));
  const TLutRegistry& registry = LutRegistry();
  TQtDialogs dialogs;
  TfrmMain window(registry, dialogs);
  window.show();
  return app.exec();
}
