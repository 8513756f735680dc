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

 private:
  void btnSelectLutClick();
  void ChooseLut(const QString& file);  // fills the profile name and description
  void btnSelectICCClick();
  void btnConvertClick();
  void UpdateConvertButton();

  const TLutRegistry& Registry_;
  IDialogs& Dialogs_;
  QString ChosenLut_;
};
