// The folder browser: the platform's folder picker, opened on a given folder,
// answering a full file-system path.
#pragma once

#include <QString>

class IDialogs;
class QWidget;

class TPathDialog {
 public:
  TPathDialog(IDialogs& dialogs, QWidget* owner) : Dialogs_(dialogs), Owner_(owner) {}

  QString Title;
  QString InitialFolder;
  QString ResultFolder;

  // True when the user confirmed a folder; ResultFolder then holds it.
  bool Execute();
  // Where the picker opens: the given folder without one trailing
  // separator, or the working folder when none is given.
  QString StartFolder() const;

 private:
  IDialogs& Dialogs_;
  QWidget* Owner_;
};
