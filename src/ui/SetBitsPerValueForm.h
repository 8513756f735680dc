// "Set Bits Per Color": the depth one listed file's integer codes are read at.
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

class TfrmSetBitsPerValue : public QDialog {
  Q_OBJECT

 public:
  // bitsPerValue: the row's current value (-1 for "Default").
  TfrmSetBitsPerValue(int bitsPerValue, QWidget* owner);
  int BitsPerValue() const;

  QComboBox* cbxBits;
  QPushButton* btnOK;
  QPushButton* btnCancel;

 protected:
  void showEvent(QShowEvent* event) override;
};
