#include "ui/ICCConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <span>

#include "ops/IccConversions.h"
#include "ops/LutMerge.h"
#include "ui/Dialogs.h"
#include "ui/PreviewImage.h"
#include "ui/PreviewPane.h"
#include "ui/TypedPath.h"

namespace {

const QString DefaultSecond = QStringLiteral("sRGB (Default)");
const QString ProfileFilter = QStringLiteral("ICC Profiles (*.icc *icm);;All Files (*)");

QPushButton* BrowseButton(QWidget* parent, const QString& hint) {
  auto* button = new QPushButton(QStringLiteral("..."), parent);
  if (!hint.isEmpty()) button->setToolTip(hint);
  button->setFixedWidth(32);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

QString& LastProfileFolder() {
  static QString folder;
  return folder;
}

TfrmICCConvert::TfrmICCConvert(const TLutRegistry& registry, IDialogs& dialogs, const QImage& testImage,
                               QWidget* owner)
    : TOptionDialog(owner), Registry_(registry), Dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("ICC Profile to LUT Conversion"));
  edtProfile = new QLineEdit(this);  // typed or picked, as are the other path boxes
  btnSelectProfile = BrowseButton(this, QStringLiteral("Select the ICC profile to convert"));
  lblProfileType = new QLabel(this);
  lblSecond = new QLabel(this);
  edtSecond = new QLineEdit(DefaultSecond, this);
  btnSelectSecond = BrowseButton(this, QString());
  cbxInvert = new QCheckBox(QStringLiteral("Invert colors transformation"), this);
  cbxIntent = new QComboBox(this);
  cbxIntent->addItems({QStringLiteral("Perceptual"), QStringLiteral("Relative Colorimetric"),
                       QStringLiteral("Saturation"), QStringLiteral("Absolute Colorimetric")});
  cbxBPC = new QCheckBox(QStringLiteral("Black Point Compensation"), this);
  Controls = new TOutputOptionControls(registry, TOptionsDialog::IccToLut, this);
  edtLUTFile = new QLineEdit(this);
  edtLUTFile->setEnabled(false);
  btnSelectLUT = BrowseButton(this, QStringLiteral("Select the destination LUT file name"));
  btnSelectLUT->setEnabled(false);
  btnConvert = new QPushButton(QStringLiteral("Convert"), this);
  btnConvert->setDefault(true);
  btnConvert->setEnabled(false);
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setAutoDefault(false);

  auto* grid = new QGridLayout;
  auto line = [&](QWidget* field, QWidget* button) {
    auto* l = new QHBoxLayout;
    l->addWidget(field);
    l->addWidget(button);
    return l;
  };
  grid->addWidget(BuddyLabel(QStringLiteral("ICC &Profile File"), edtProfile, this), 0, 0);
  grid->addLayout(line(edtProfile, btnSelectProfile), 0, 1);
  grid->addWidget(lblProfileType, 1, 1);
  grid->addWidget(lblSecond, 2, 0);
  grid->addLayout(line(edtSecond, btnSelectSecond), 2, 1);
  grid->addWidget(cbxInvert, 3, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("Rendering &Intent"), cbxIntent, this), 4, 0);
  auto* intent = new QHBoxLayout;
  intent->addWidget(cbxIntent, 1);
  intent->addWidget(cbxBPC);
  grid->addLayout(intent, 4, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("Output LUT &Format"), Controls->cbxOutFormat, this), 5, 0);
  grid->addWidget(Controls->cbxOutFormat, 5, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Output LUT File"), edtLUTFile, this), 6, 0);
  grid->addLayout(line(edtLUTFile, btnSelectLUT), 6, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("LUT &dimension size"), Controls->cbxDimSize, this), 7, 0);
  grid->addWidget(Controls->cbxDimSize, 7, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Bits per color"), Controls->cbxBits, this), 8, 0);
  grid->addWidget(Controls->cbxBits, 8, 1);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(9, 1);

  auto* frame = new QGroupBox(this);
  imgTest = new TPictureBox(frame);
  imgTest->SetPicture(testImage);
  imgTest->setToolTip(QStringLiteral("The test image, click to load another image"));
  imgTest->setCursor(Qt::PointingHandCursor);
  imgTest->installEventFilter(this);
  imgResult = new TPictureBox(frame);
  lblTest = new QLabel(QStringLiteral("Test image"), frame);
  lblResult = new QLabel(QStringLiteral("ICC transformation applied"), frame);
  // Both pictures and their captions fit the dialog's height: the boxes take
  // the room there is, up to the preview's size, keeping its shape.
  for (TPictureBox* box : {imgTest, imgResult}) {
    box->setMinimumSize(PictureBoxWidth / 2, PictureBoxHeight / 2);
    box->setMaximumSize(PictureBoxWidth, PictureBoxHeight);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  }
  auto* pictures = new QVBoxLayout(frame);
  pictures->addWidget(lblTest);
  pictures->addWidget(imgTest, 1);
  pictures->addWidget(lblResult);
  pictures->addWidget(imgResult, 1);

  auto* columns = new QHBoxLayout;
  columns->addLayout(grid, 1);
  columns->addWidget(frame);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnConvert);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(buttons);
  SetSpecifiedSize(*this, {758, 370});
  for (QWidget* w : std::initializer_list<QWidget*>{lblSecond, edtSecond, btnSelectSecond, cbxInvert}) w->hide();

  connect(btnSelectProfile, &QPushButton::clicked, this, &TfrmICCConvert::btnSelectProfileClick);
  connect(btnSelectSecond, &QPushButton::clicked, this, &TfrmICCConvert::btnSelectSecondClick);
  connect(cbxInvert, &QCheckBox::clicked, this, &TfrmICCConvert::cbxInvertClick);
  // A new intent or compensation shows in the preview once a profile is chosen.
  const auto refresh = [this] {
    if (!edtProfile->text().isEmpty()) Guarded(Dialogs_, this, [&] { RefreshPreview(); });
  };
  connect(cbxIntent, &QComboBox::currentIndexChanged, this, refresh);
  connect(cbxBPC, &QCheckBox::toggled, this, refresh);
  connect(Controls, &TOutputOptionControls::FormatChanged, this, &TfrmICCConvert::cbxOutFormatChange);
  connect(btnSelectLUT, &QPushButton::clicked, this, &TfrmICCConvert::btnSelectLUTClick);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmICCConvert::btnConvertClick);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(edtProfile, &QLineEdit::textChanged, this, &TfrmICCConvert::UpdateConvertButton);
  connect(edtLUTFile, &QLineEdit::textChanged, this, &TfrmICCConvert::NameOutputAfterProfile);
  // A typed profile is taken up as a picked one once the box is left.
  connect(edtProfile, &QLineEdit::editingFinished, this, [this] {
    const TTypedPath typed = CheckTypedPath(edtProfile->text(), TPathUse::OpenFile);
    if (typed.Ok() && typed.Path != LoadedProfile_) LoadProfile(typed.Path);
  });
  connect(edtSecond, &QLineEdit::editingFinished, this, [this] {
    if (CheckTypedPath(edtSecond->text(), TPathUse::OpenFile).Ok() && !edtProfile->text().isEmpty())
      Guarded(Dialogs_, this, [&] { RefreshPreview(); });
  });
}

bool TfrmICCConvert::eventFilter(QObject* watched, QEvent* event) {
  if (watched == imgTest && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    imgTestClick();
    return true;
  }
  return TOptionDialog::eventFilter(watched, event);
}

void TfrmICCConvert::btnSelectProfileClick() {
  const QString file = Dialogs_.OpenFile(this, QString(), LastProfileFolder(), ProfileFilter);
  if (file.isEmpty()) return;
  LastProfileFolder() = QFileInfo(file).absolutePath();
  LoadProfile(QDir::toNativeSeparators(file));
}

void TfrmICCConvert::LoadProfile(const QString& file) {
  LoadedProfile_ = file;
  Guarded(Dialogs_, this, [&] {
    edtProfile->setText(file);
    cbxInvert->setChecked(false);
    const std::uint32_t profileClass = ReadProfileClass(ToPath(file));
    lblProfileType->setText(QStringLiteral("Profile Type: ") + ToQString(ProfileClassName(profileClass)));
    const bool second = UsesSecondProfile(profileClass);
    for (QWidget* w : std::initializer_list<QWidget*>{lblSecond, edtSecond, btnSelectSecond})
      w->setVisible(second);
    cbxInvert->setVisible(CanInvert(profileClass));
    lblSecond->setText(ToQString(SecondProfileCaption(profileClass)));
    RefreshPreview();
  });
  NameOutputAfterProfile();
}

void TfrmICCConvert::btnSelectSecondClick() {
  const QString file = Dialogs_.OpenFile(this, QString(), LastProfileFolder(), ProfileFilter);
  if (file.isEmpty()) return;
  LastProfileFolder() = QFileInfo(file).absolutePath();
  edtSecond->setText(QDir::toNativeSeparators(file));
  Guarded(Dialogs_, this, [&] { RefreshPreview(); });
}

void TfrmICCConvert::cbxInvertClick() {
  try {
    RefreshPreview();
  } catch (const std::exception&) {
    Dialogs_.Warning(this, QString::fromLatin1(InversionImpossibleMessage));
    cbxInvert->setChecked(false);
    Guarded(Dialogs_, this, [&] { RefreshPreview(); });
  }
}

void TfrmICCConvert::imgTestClick() {
  QImage picture;
  if (!ChooseTestImage || !ChooseTestImage(this, picture)) return;
  imgTest->SetPicture(picture);
  if (!edtProfile->text().isEmpty()) Guarded(Dialogs_, this, [&] { RefreshPreview(); });
}

void TfrmICCConvert::cbxOutFormatChange() {
  const TLutOutputProfile* profile = Controls->Options.SelectedProfile();
  edtLUTFile->setEnabled(profile != nullptr);
  btnSelectLUT->setEnabled(profile != nullptr);
  if (profile && !edtLUTFile->text().isEmpty())
    edtLUTFile->setText(DisplayPath(WithProfileExtension(ToPath(edtLUTFile->text()).string(), *profile)));
  NameOutputAfterProfile();
}

void TfrmICCConvert::btnSelectLUTClick() {
  const TLutOutputProfile* profile = Controls->Options.SelectedProfile();
  if (!profile) return;
  const QString ext = ToQString(profile->Extension);
  const TSaveChoice choice =
      Dialogs_.SaveFile(this, QString(), ToQString(LastOutputFolder()),
                        {ToQString(profile->Name) + QStringLiteral(" (*.") + ext + QLatin1Char(')')}, 0, ext);
  if (choice.FileName.isEmpty()) return;
  edtLUTFile->setText(QDir::toNativeSeparators(choice.FileName));
  LastOutputFolder() = ToUtf8(QDir::toNativeSeparators(QFileInfo(choice.FileName).absolutePath()));
}

void TfrmICCConvert::NameOutputAfterProfile() {
  const TLutOutputProfile* profile = Controls->Options.SelectedProfile();
  if (edtLUTFile->text().isEmpty() && !edtProfile->text().isEmpty() && profile)
    edtLUTFile->setText(DisplayPath(WithProfileExtension(ToPath(edtProfile->text()).string(), *profile)));
  UpdateConvertButton();
}

void TfrmICCConvert::UpdateConvertButton() {
  btnConvert->setEnabled(!edtProfile->text().isEmpty() && Controls->Options.SelectedProfile() &&
                         !edtLUTFile->text().isEmpty());
}

TICCTransformRequest TfrmICCConvert::Request() const {
  TICCTransformRequest request;
  request.Profile = ToPath(edtProfile->text());
  if (QFileInfo(edtSecond->text()).isFile()) request.SecondProfile = ToPath(edtSecond->text());
  request.Invert = cbxInvert->isChecked();
  request.Intent = static_cast<TICCIntent>(cbxIntent->currentIndex());
  request.BlackPointCompensation = cbxBPC->isChecked();
  return request;
}

void TfrmICCConvert::RefreshPreview() {
  const TICCColorTransform transform(Request());
  QImage result = imgTest->Picture().convertToFormat(QImage::Format_BGR888);
  for (int y = 0; y < result.height(); ++y)
    TransformBitmap(transform, std::span<std::uint8_t>(result.scanLine(y), static_cast<std::size_t>(result.width()) * 3));
  imgResult->SetPicture(result);
  imgResult->setToolTip(QStringLiteral("The test image with ICC colors transformation"));
}

void TfrmICCConvert::btnConvertClick() {
  const TLutOutputProfile* profile = Controls->Options.SelectedProfile();
  if (!profile) return;
  if (!AcceptTypedPath(*edtProfile, TPathUse::OpenFile, Dialogs_)) return;
  if (!edtSecond->isHidden() && edtSecond->text() != DefaultSecond &&
      !AcceptTypedPath(*edtSecond, TPathUse::OpenFile, Dialogs_))
    return;
  if (!AcceptTypedPath(*edtLUTFile, TPathUse::SaveFile, Dialogs_, ToQString(profile->Extension))) return;
  bool written = false;
  std::vector<TWriteLoss> losses;
  Guarded(Dialogs_, this, [&] {
    const std::filesystem::path output = ToPath(edtLUTFile->text());
    TDialogConfirm confirm(Dialogs_, this);
    written = ConvertICCToLut(Registry_, Request(), output, *profile,
                              Controls->Options.EffectiveSize(), Controls->Options.SelectedBits(),
                              confirm, {}, &losses);
  });
  if (!written) return;
  SayWritten(this, edtLUTFile->text());
  Dialogs_.Information(this, QStringLiteral("The conversion was successfully completed."));
  SayLosses(Dialogs_, this, edtProfile->text(), losses);
}
