// "Convertion Settings": the output folder, profile, size and bits of a
// batch conversion.
#pragma once

#include "ui/OptionControls.h"

class IDialogs;
class QCheckBox;
class QLineEdit;
class QPushButton;

class TfrmConvert : public TOptionDialog {
  Q_OBJECT

 public:
  TfrmConvert(const TLutRegistry& registry, IDialogs& dialogs, QWidget* owner);

  const TLutOutputProfile* SelectedProfile() const { return Controls->Options.SelectedProfile(); }

  QLineEdit* edtOutFolder;
  QPushButton* btnSelectFolder;
  TOutputOptionControls* Controls;
  // Read every output back after writing it and report how far it is from
  // its source (off by default, so the dialog converts as it always did).
  QCheckBox* chkVerify;
  // Convert the remaining files when one fails, and list the failures at
  // the end (off by default: the first failure ends the batch).
  QCheckBox* chkGoOn;
  QPushButton* btnConvert;
  QPushButton* btnCancel;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void btnSelectFolderClick();
  void btnConvertClick();
  void UpdateConvertButton();

  IDialogs& Dialogs_;
};
