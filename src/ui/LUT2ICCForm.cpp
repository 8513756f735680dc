#include "ui/LUT2ICCForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ops/IccConversions.h"
#include "ui/Dialogs.h"
#include "ui/TypedPath.h"

namespace {

QPushButton* BrowseButton(QWidget* parent, const QString& hint) {
  auto* button = new QPushButton(QStringLiteral("..."), parent);
  button->setToolTip(hint);
  button->setFixedWidth(32);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TfrmLUT2ICC::TfrmLUT2ICC(const TLutRegistry& registry, IDialogs& dialogs, QWidget* owner)
    : TOptionDialog(owner),
      Registry_(registry),
      Dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("LUT to ICC Profile Conversion"));
  edtLutFile = new QLineEdit(this);  // typed or picked, as is the profile box
  btnSelectLut = BrowseButton(this, QStringLiteral("Select the LUT file to convert"));
  edtICCFile = new QLineEdit(this);
  btnSelectICC = BrowseButton(this, QStringLiteral("Select the destination ICC profile file"));
  cbxClass = new QComboBox(this);
  cbxClass->addItems({QStringLiteral("Display"), QStringLiteral("Input"), QStringLiteral("Device Link")});
  cbxClass->setCurrentIndex(1);
  cbxVersion = new QComboBox(this);
  cbxVersion->addItems({QStringLiteral("4.0"), QStringLiteral("2.4")});
  cbxVersion->setToolTip(QStringLiteral("2.4 for software that reads version 2 profiles only"));
  edtDescription = new QLineEdit(this);
  edtCopyright = new QLineEdit(QStringLiteral("Copyright (c)"), this);
  cbxCaptureOne = new QCheckBox(QStringLiteral("Adjust Gamma for Capture One"), this);
  btnConvert = new QPushButton(QStringLiteral("Convert"), this);
  btnConvert->setDefault(true);
  btnConvert->setEnabled(false);
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setAutoDefault(false);

  auto* grid = new QGridLayout;
  auto row = [&](int r, const QString& label, QWidget* field, QWidget* button = nullptr) {
    grid->addWidget(BuddyLabel(label, field, this), r, 0);
    auto* line = new QHBoxLayout;
    line->addWidget(field);
    if (button) line->addWidget(button);
    grid->addLayout(line, r, 1);
  };
  row(0, QStringLiteral("&Input LUT File"), edtLutFile, btnSelectLut);
  row(1, QStringLiteral("&Output ICC Profile File"), edtICCFile, btnSelectICC);
  row(2, QStringLiteral("ICC Profile &Class"), cbxClass);
  row(3, QStringLiteral("ICC Profile &Version"), cbxVersion);
  row(4, QStringLiteral("ICC Profile &Description"), edtDescription);
  row(5, QStringLiteral("ICC Profile Co&pyright"), edtCopyright);
  grid->addWidget(cbxCaptureOne, 6, 1);
  grid->setColumnStretch(1, 1);
  grid->setVerticalSpacing(12);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnConvert);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons);
  SetSpecifiedSize(*this, {530, 329});

  connect(btnSelectLut, &QPushButton::clicked, this, &TfrmLUT2ICC::btnSelectLutClick);
  connect(btnSelectICC, &QPushButton::clicked, this, &TfrmLUT2ICC::btnSelectICCClick);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmLUT2ICC::btnConvertClick);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
  for (QLineEdit* field : {edtLutFile, edtICCFile, edtDescription, edtCopyright})
    connect(field, &QLineEdit::textChanged, this, &TfrmLUT2ICC::UpdateConvertButton);
  // A typed LUT file names the profile and its description as a picked one does.
  connect(edtLutFile, &QLineEdit::editingFinished, this, [this] {
    const TTypedPath typed = CheckTypedPath(edtLutFile->text(), TPathUse::OpenFile);
    if (typed.Ok() && typed.Path != ChosenLut_) ChooseLut(typed.Path);
  });
}

void TfrmLUT2ICC::UpdateConvertButton() {
  btnConvert->setEnabled(!edtLutFile->text().isEmpty() && !edtICCFile->text().isEmpty() &&
                         !edtDescription->text().isEmpty() && !edtCopyright->text().isEmpty());
}

void TfrmLUT2ICC::btnSelectLutClick() {
  const QString file = Dialogs_.OpenFile(this, QString(), QString(), LutFilesFilter(Registry_));
  if (!file.isEmpty()) ChooseLut(QDir::toNativeSeparators(file));
}

void TfrmLUT2ICC::ChooseLut(const QString& file) {
  ChosenLut_ = file;
  const QFileInfo info(file);
  edtLutFile->setText(file);
  if (edtICCFile->text().isEmpty())
    edtICCFile->setText(QDir::toNativeSeparators(info.path() + QLatin1Char('/') + info.completeBaseName() +
                                                 QStringLiteral(".icc")));
  edtDescription->setText(info.completeBaseName());
}

void TfrmLUT2ICC::btnSelectICCClick() {
  const TSaveChoice choice = Dialogs_.SaveFile(
      this, QString(), edtICCFile->text(),
      {QStringLiteral("All Files (*)"), QStringLiteral("ICC Profile Files (*.icc)")}, 0, QStringLiteral("icc"));
  if (!choice.FileName.isEmpty()) edtICCFile->setText(QDir::toNativeSeparators(choice.FileName));
}

void TfrmLUT2ICC::btnConvertClick() {
  if (!AcceptTypedPath(*edtLutFile, TPathUse::OpenFile, Dialogs_) ||
      !AcceptTypedPath(*edtICCFile, TPathUse::SaveFile, Dialogs_, QStringLiteral("icc")))
    return;
  bool written = false;
  std::vector<TWriteLoss> losses;
  Guarded(Dialogs_, this, [&] {
    const std::filesystem::path output = ToPath(edtICCFile->text());
    TDialogConfirm confirm(Dialogs_, this);
    TLutProfileOptions options;
    options.Kind = static_cast<TICCProfileKind>(cbxClass->currentIndex());
    options.Description = ToUtf8(edtDescription->text());
    options.Copyright = ToUtf8(edtCopyright->text());
    options.CaptureOneGamma = cbxCaptureOne->isChecked();
    options.Version = cbxVersion->currentIndex() == 0 ? TICCVersion::V4 : TICCVersion::V2;
    written = ConvertLutToICC(Registry_, ToPath(edtLutFile->text()), output, options, confirm, {},
                              &losses);
  });
  if (!written) return;
  SayWritten(this, edtICCFile->text());
  Dialogs_.Information(this, QStringLiteral("The conversion was successfully completed."));
  SayLosses(Dialogs_, this, edtLutFile->text(), losses);
  accept();
}
