#include "ui/ConvertForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Dialogs.h"
#include "ui/PathDialog.h"
#include "ui/TypedPath.h"

TfrmConvert::TfrmConvert(const TLutRegistry& registry, IDialogs& dialogs, QWidget* owner)
    : TOptionDialog(owner), Dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Convertion Settings"));
  edtOutFolder = new QLineEdit(ToQString(LastOutputFolder()), this);  // typed or picked
  btnSelectFolder = new QPushButton(QStringLiteral("..."), this);
  btnSelectFolder->setToolTip(QStringLiteral("Select the output folder"));
  btnSelectFolder->setFixedWidth(32);
  btnSelectFolder->setAutoDefault(false);
  Controls = new TOutputOptionControls(registry, TOptionsDialog::Convert, this);
  chkVerify = new QCheckBox(QStringLiteral("&Read every output back and check it"), this);
  chkGoOn = new QCheckBox(QStringLiteral("&Go on after a file fails"), this);
  btnConvert = new QPushButton(QStringLiteral("Convert"), this);
  btnConvert->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setAutoDefault(false);

  auto* grid = new QGridLayout;
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(edtOutFolder);
  folderRow->addWidget(btnSelectFolder);
  grid->addWidget(BuddyLabel(QStringLiteral("&Output Folder"), edtOutFolder, this), 0, 0);
  grid->addLayout(folderRow, 0, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("Output &Format"), Controls->cbxOutFormat, this), 1, 0);
  grid->addWidget(Controls->cbxOutFormat, 1, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Dimension size"), Controls->cbxDimSize, this), 2, 0);
  grid->addWidget(Controls->cbxDimSize, 2, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Bits per color"), Controls->cbxBits, this), 3, 0);
  grid->addWidget(Controls->cbxBits, 3, 1);
  grid->addWidget(chkVerify, 4, 1);
  grid->addWidget(chkGoOn, 5, 1);
  grid->setColumnStretch(1, 1);
  grid->setVerticalSpacing(14);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnConvert);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->addLayout(grid);
  layout->addStretch();
  layout->addLayout(buttons);
  SetSpecifiedSize(*this, {475, 306});  // the two boxes' rows beside the specified 246

  setTabOrder(edtOutFolder, btnSelectFolder);
  setTabOrder(btnSelectFolder, Controls->cbxOutFormat);
  setTabOrder(Controls->cbxOutFormat, Controls->cbxDimSize);
  setTabOrder(Controls->cbxDimSize, Controls->cbxBits);
  setTabOrder(Controls->cbxBits, chkVerify);
  setTabOrder(chkVerify, chkGoOn);
  setTabOrder(chkGoOn, btnConvert);
  setTabOrder(btnConvert, btnCancel);

  connect(btnSelectFolder, &QPushButton::clicked, this, &TfrmConvert::btnSelectFolderClick);
  connect(edtOutFolder, &QLineEdit::textChanged, this, &TfrmConvert::UpdateConvertButton);
  connect(Controls, &TOutputOptionControls::FormatChanged, this, &TfrmConvert::UpdateConvertButton);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmConvert::btnConvertClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  UpdateConvertButton();
  Controls->cbxOutFormat->setFocus();
}

void TfrmConvert::showEvent(QShowEvent* event) {
  TOptionDialog::showEvent(event);
  Controls->cbxOutFormat->setFocus();
}

void TfrmConvert::btnSelectFolderClick() {
  TPathDialog browser(Dialogs_, this);
  browser.Title = QStringLiteral("Please select a folder for converted files");
  browser.InitialFolder = ToQString(LastOutputFolder());
  if (!browser.Execute()) return;
  edtOutFolder->setText(browser.ResultFolder);
  LastOutputFolder() = ToUtf8(browser.ResultFolder);
}

void TfrmConvert::UpdateConvertButton() {
  btnConvert->setEnabled(SelectedProfile() != nullptr && !edtOutFolder->text().isEmpty());
}

void TfrmConvert::btnConvertClick() {
  // A folder that is not there yet is made after a question, as the command
  // line makes it.
  const TTypedPath typed = CheckTypedPath(edtOutFolder->text(), TPathUse::Folder);
  if (!typed.Ok() && !QFileInfo::exists(typed.Path) && QDir::isAbsolutePath(typed.Path)) {
    const QString question = QStringLiteral("The folder \"") + typed.Path +
                             QStringLiteral("\" does not exist. Do you want to create it?");
    if (Dialogs_.Confirm(this, question, false) != TConfirmAnswer::Yes) return;
    if (!QDir().mkpath(typed.Path)) {
      Dialogs_.Warning(this, QStringLiteral("The folder \"") + typed.Path + QStringLiteral("\" cannot be created."));
      return;
    }
  }
  if (!AcceptTypedPath(*edtOutFolder, TPathUse::Folder, Dialogs_)) return;
  LastOutputFolder() = ToUtf8(edtOutFolder->text());
  accept();
}
