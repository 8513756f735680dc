// "ICC Profile to LUT Conversion": an ICC profile, alone or with a second
// colour space, sampled into a LUT with a rendering intent, with its effect
// shown on a test image.
#pragma once

#include <QImage>
#include <functional>

#include "icc/ICCToLut.h"
#include "ui/OptionControls.h"

class IDialogs;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TPictureBox;

class TfrmICCConvert : public TOptionDialog {
  Q_OBJECT

 public:
  TfrmICCConvert(const TLutRegistry& registry, IDialogs& dialogs, const QImage& testImage,
                 QWidget* owner);

  // Loads another test image (the preview's picture chooser).
  std::function<bool(QWidget*, QImage&)> ChooseTestImage;

  QLineEdit* edtProfile;
  QPushButton* btnSelectProfile;
  QLabel* lblProfileType;
  QLabel* lblSecond;
  QLineEdit* edtSecond;
  QPushButton* btnSelectSecond;
  QCheckBox* cbxInvert;
  QComboBox* cbxIntent;
  QCheckBox* cbxBPC;
  TOutputOptionControls* Controls;
  QLineEdit* edtLUTFile;
  QPushButton* btnSelectLUT;
  QLabel* lblTest;
  TPictureBox* imgTest = nullptr;  // events reach the filter while the form is still being built
  QLabel* lblResult;
  TPictureBox* imgResult;
  QPushButton* btnConvert;
  QPushButton* btnClose;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void btnSelectProfileClick();
  void LoadProfile(const QString& file);  // as picked: its class, the second space, the preview
  void btnSelectSecondClick();
  void cbxInvertClick();
  void imgTestClick();
  void cbxOutFormatChange();
  void btnSelectLUTClick();
  void btnConvertClick();
  void NameOutputAfterProfile();
  void UpdateConvertButton();
  void RefreshPreview();  // raises what the colour engine raises
  TICCTransformRequest Request() const;

  const TLutRegistry& Registry_;
  IDialogs& Dialogs_;
  QString LoadedProfile_;
};

// The folder of the last ICC profile chosen, for both profile choosers.
QString& LastProfileFolder();
