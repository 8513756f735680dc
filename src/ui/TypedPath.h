// Paths typed or pasted into the dialogs' path boxes get the checks the
// pickers make by their nature: a folder or a file to open must exist, a file
// to write needs an existing folder and must not itself be a folder.
#pragma once

#include <QString>

enum class TPathUse { Folder, OpenFile, SaveFile };

struct TTypedPath {
  QString Path;     // absolute, cleaned, with native separators
  QString Problem;  // empty when the path passed
  bool Ok() const { return Problem.isEmpty(); }
};

// Accepts what a paste brings too: surrounding quotes and a file:// address.
TTypedPath CheckTypedPath(const QString& text, TPathUse use);

class IDialogs;
class QLineEdit;

// Checks the box's path; a problem is shown as a warning and the box takes
// the focus. A passing path is written back cleaned, with defaultSuffix
// appended to a file name that has none (as the save picker does).
bool AcceptTypedPath(QLineEdit& field, TPathUse use, IDialogs& dialogs,
                     const QString& defaultSuffix = {});
