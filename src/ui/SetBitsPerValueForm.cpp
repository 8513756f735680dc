#include "ui/SetBitsPerValueForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ops/BitsOverride.h"
#include "ops/Conversion.h"
#include "ui/Dialogs.h"

TfrmSetBitsPerValue::TfrmSetBitsPerValue(int bitsPerValue, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("Set Bits Per Color"));
  cbxBits = new QComboBox(this);
  cbxBits->addItems({QStringLiteral("Default"), QStringLiteral("8"), QStringLiteral("10"),
                     QStringLiteral("12"), QStringLiteral("14"), QStringLiteral("16")});
  cbxBits->setCurrentIndex(BitsPositionOf(bitsPerValue));
  btnOK = new QPushButton(QStringLiteral("OK"), this);
  btnOK->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setAutoDefault(false);
  auto* row = new QHBoxLayout;
  row->addWidget(BuddyLabel(QStringLiteral("&Bits Per Color"), cbxBits, this));
  row->addWidget(cbxBits, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK);
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 20, 16, 12);
  layout->addLayout(row);
  layout->addStretch();
  layout->addLayout(buttons);
  SetSpecifiedSize(*this, {296, 125});
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmSetBitsPerValue::BitsPerValue() const { return SelectedBits(cbxBits->currentIndex()); }

void TfrmSetBitsPerValue::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnOwner(*this);
  cbxBits->setFocus();
}
