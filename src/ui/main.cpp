// tovi-lut-converter: the desktop program. Files and folders named on its
// command line (as the desktop entry's %F passes them) open in the list.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QSettings>
#include <cstdlib>

#include "core/LUTFormat.h"
#include "core/MemoryReuse.h"
#include "registry/FormatTable.h"
#include "ui/Dialogs.h"
#include "ui/MainForm.h"
#include "ui/PreviewPane.h"

int main(int argc, char* argv[]) {
  KeepFreedMemoryForReuse();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tovi-lut-converter"));
  QApplication::setApplicationVersion(QStringLiteral(TOVI_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tovi/tovi-lut-converter.png")));
  QApplication::setDesktopFileName(QStringLiteral("tovi-lut-converter"));
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Tovi LUT Converter: convert colour look-up tables between formats."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("files"),
                               QStringLiteral("LUT files, or folders of them, to list."),
                               QStringLiteral("[FILE...]"));
  parser.process(app);

  const TLutRegistry& registry = LutRegistry();
  TQtDialogs dialogs;
  // ~/.config/tovi-lut-converter/tovi-lut-converter.conf
  QSettings settings(QStringLiteral("tovi-lut-converter"), QStringLiteral("tovi-lut-converter"));
  TfrmMain window(registry, dialogs, &settings);
  window.show();
  window.AddPaths(parser.positionalArguments());
  const int status = app.exec();
  // A preview still being read (a large picture, a long CLF) is not waited
  // for: the window has saved what it keeps, so the program leaves at once.
  if (TPreviewPane::ReadsRunning() > 0) std::quick_exit(status);
  return status;
}
