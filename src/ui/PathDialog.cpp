#include "ui/PathDialog.h"

#include <QDir>

#include "ui/Dialogs.h"

QString TPathDialog::StartFolder() const {
  QString folder = InitialFolder;
  if (folder.isEmpty()) return QDir::currentPath();
  if (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QDir::separator())))
    folder.chop(1);
  return folder;
}

bool TPathDialog::Execute() {
  const QString chosen = Dialogs_.ChooseFolder(Owner_, Title, StartFolder());
  if (chosen.isEmpty()) return false;
  ResultFolder = QDir::toNativeSeparators(chosen);
  return true;
}
