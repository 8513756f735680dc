// "LUT to ICC Profile Conversion": a LUT file written as a display, input or
// device link profile, of version 4.0 or 2.4.
#pragma once

#include "ui/OptionControls.h"

class IDialogs;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class TfrmLUT2ICC : public TOptionDialog {
  Q_OBJECT

 public:
  TfrmLUT2ICC(const TLutRegistry& registry, IDialogs& dialogs, QWidget* owner);

  QLineEdit* edtLutFile;
  QPushButton* btnSelectLut;
  QLineEdit* edtICCFile;
  QPushButton* btnSelectICC;
  QComboBox* cbxClass;
  QComboBox* cbxVersion;
  QLineEdit* edtDescription;
  QLineEdit* edtCopyright;
  QCheckBox* cbxCaptureOne;
  QPushButton* btnConvert;
  QPushButton* btnClose;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void btnSelectLutClick();
  void btnSelectICCClick();
  void btnConvertClick();
  void UpdateConvertButton();

  const TLutRegistry& Registry_;
  IDialogs& Dialogs_;
};
