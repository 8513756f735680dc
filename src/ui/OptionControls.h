// What the conversion, merge and ICC-to-LUT dialogs share: the Alt key
// swallowed before any control sees it, and the output format, size and bits
// controls bound to the library's options model (the rules live there).
#pragma once

#include <QDialog>
#include <QObject>

#include "ops/OutputOptions.h"

class QComboBox;

class TOptionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TOptionDialog(QWidget* owner);
  ~TOptionDialog() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Centre over the owner window; or put the top-left corner at the top-left
  // corner of the owner's client area.
  void CentreOverOwner();
  void PlaceAtOwnerClientOrigin();
};

class TOutputOptionControls : public QObject {
  Q_OBJECT

 public:
  TOutputOptionControls(const TLutRegistry& registry, TOptionsDialog kind, QWidget* parent);

  TOutputOptions Options;
  QComboBox* cbxOutFormat;
  QComboBox* cbxDimSize;
  QComboBox* cbxBits;

  // Shows the model in the controls.
  void Refresh();

 signals:
  void FormatChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cbxOutFormatChange(int index);
};
