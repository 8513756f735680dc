// What the conversion, merge and ICC-to-LUT dialogs share: the Alt key
// swallowed before any control sees it, the place they open at, and the
// output format, size and bits controls bound to the library's options model
// (the rules live there).
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>

#include "ops/OutputOptions.h"

class QComboBox;

class TOptionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TOptionDialog(QWidget* owner);
  ~TOptionDialog() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Every option dialog opens centred over the main window.
  void showEvent(QShowEvent* event) override;
};

// The choice a user made in the controls, by profile name so that it
// survives profiles added between runs.
struct TOutputChoice {
  QString Profile;  // empty: none chosen
  QString Size = QStringLiteral("Default");
  int BitsPosition = 0;
  bool operator==(const TOutputChoice&) const = default;
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
  TOutputChoice Choice() const;
  // Chooses as the user would: the profile first, then a size and bits the
  // profile lets the user choose; what the rules refuse is left at Default.
  void Restore(const TOutputChoice& choice);

 signals:
  void FormatChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void cbxOutFormatChange(int index);
  void RetypeSize(const QString& text);
  void RemoveSizeSelection();
};
