// Results too long for a message box (a read-back report of hundreds of
// files, a list of failures): the text in a scrolling box, in a window that
// can be resized and never grows past the screen, with its OK button always
// in view.
#pragma once

#include <QDialog>
#include <QMessageBox>

class QPlainTextEdit;
class QPushButton;

class TLongTextDialog : public QDialog {
  Q_OBJECT

 public:
  TLongTextDialog(QMessageBox::Icon icon, const QString& caption, const QString& text, QWidget* parent);

  QPlainTextEdit* memText;
  QPushButton* btnOK;

  // Texts of more lines than this go to this dialog rather than a message box.
  static constexpr int MessageBoxLines = 15;
};
