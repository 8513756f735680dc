// Every message box, file picker and modal dialog the windows open goes
// through IDialogs, so that tests answer them in place of a person and no
// test waits on a real modal window.
#pragma once

#include <QString>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <QStringList>
#include <vector>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "ops/WriteLoss.h"

class QDialog;
class QSize;

// The application title: the main window's caption and the error display's.
inline const QString ProgramTitle = QStringLiteral("Tovi LUT Converter");
class QWidget;

struct TSaveChoice {
  QString FileName;  // empty: cancelled
  int FilterIndex = 0;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;

  // "Information" with OK; "Warning" with OK.
  virtual void Information(QWidget* parent, const QString& text) = 0;
  virtual void Warning(QWidget* parent, const QString& text) = 0;
  // The top-level error display: stop icon, the program's title as caption.
  virtual void Error(QWidget* parent, const QString& text) = 0;
  // "Confirm": Yes/No/Cancel when withNo, otherwise Yes/Cancel.
  virtual TConfirmAnswer Confirm(QWidget* parent, const QString& text, bool withNo) = 0;
  // The batch's Yes/No/Cancel question with the check box "Do the same for
  // the remaining files"; sameForRest tells whether it was ticked.
  virtual TConfirmAnswer ConfirmForAll(QWidget* parent, const QString& text, bool& sameForRest) {
    sameForRest = false;
    return Confirm(parent, text, true);
  }

  // Filters in Qt's form ("LUT Files (*.cube *.3dl);;All Files (*)").
  virtual QStringList OpenFiles(QWidget* parent, const QString& folder, const QString& filters) = 0;
  virtual QString OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                           const QString& filters) = 0;
  // The platform's overwrite prompt is on; defaultSuffix is added to a bare name.
  virtual TSaveChoice SaveFile(QWidget* parent, const QString& caption, const QString& start,
                               const QStringList& filters, int filterIndex,
                               const QString& defaultSuffix) = 0;
  virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;

  // Runs an owned dialog modally; answers QDialog::Accepted or Rejected.
  virtual int Run(QDialog& dialog) = 0;
};

// The box of IDialogs::ConfirmForAll, not yet shown.
class QMessageBox;
std::unique_ptr<QMessageBox> ConfirmForAllBox(QWidget* parent, const QString& text);

// The real ones: QMessageBox, QFileDialog and QDialog::exec.
class TQtDialogs : public IDialogs {
 public:
  void Information(QWidget* parent, const QString& text) override;
  void Warning(QWidget* parent, const QString& text) override;
  void Error(QWidget* parent, const QString& text) override;
  TConfirmAnswer Confirm(QWidget* parent, const QString& text, bool withNo) override;
  TConfirmAnswer ConfirmForAll(QWidget* parent, const QString& text, bool& sameForRest) override;
  QStringList OpenFiles(QWidget* parent, const QString& folder, const QString& filters) override;
  QString OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                   const QString& filters) override;
  TSaveChoice SaveFile(QWidget* parent, const QString& caption, const QString& start,
                       const QStringList& filters, int filterIndex,
                       const QString& defaultSuffix) override;
  QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) override;
  int Run(QDialog& dialog) override;
};

// The file filter of every LUT file chooser, and its patterns alone (the
// files of a folder dropped onto the list or named on the command line):
// every extension of the formats that read, from the format table.
QString LutFilesFilter(const TLutRegistry& registry);
QStringList LutFilePatterns(const TLutRegistry& registry);

// Says in the main window's status bar which file an operation wrote
// ("Written: /looks/grade.cube"); `from` is any window the main one owns.
void SayWritten(QWidget* from, const QString& file);

// What the write step said a written file lost, a warning box of one line
// a loss ("grade.cube: The table was resampled from 33 to 17 points: up to
// 0.11 off."); nothing when it lost nothing.
void SayLosses(IDialogs& dialogs, QWidget* parent, const QString& file,
               const std::vector<TWriteLoss>& losses);

// A field's label with its Alt mnemonic ("&Output Folder": Alt+O takes the
// focus to the field); the label reads as the text without the "&".
class QLabel;
QLabel* BuddyLabel(const QString& text, QWidget* field, QWidget* parent);

// A dialog opens at its specified size, or larger where its layout needs
// more room (a larger font, longer texts); it may be made larger by the user,
// never smaller than that.
void SetSpecifiedSize(QWidget& dialog, const QSize& specified);

// Puts a window at the centre of its owner's window, as every dialog opens.
void CentreOnOwner(QWidget& window);

// The library's questions answered through IDialogs.
// With sameForRest, the overwrite questions of a batch (Yes/No/Cancel) offer
// "Do the same for the remaining files", and once it is ticked the answer
// given then answers every later one.
class TDialogConfirm : public IConfirm {
 public:
  TDialogConfirm(IDialogs& dialogs, QWidget* parent, bool sameForRest = false)
      : Dialogs_(dialogs), Parent_(parent), OfferSameForRest_(sameForRest) {}
  TConfirmAnswer Confirm(const std::string& message, bool withNo) override;
  TConfirmAnswer ConfirmOverwrite(const std::filesystem::path& file, bool withNo) override;

 private:
  IDialogs& Dialogs_;
  QWidget* Parent_;
  bool OfferSameForRest_;
  std::optional<TConfirmAnswer> Remembered_;
};

// The text the error display shows: a full stop is added when the message
// ends in a character above "." (a letter or a digit, say).
QString ErrorDisplayText(const QString& message);

// An error's message as the front ends report it: errors met in one file of
// several name that file.
QString ErrorMessageOf(const std::exception& error);

// Runs an action and shows what it raises through the error display, so no
// exception crosses Qt's event loop.
template <typename F>
void Guarded(IDialogs& dialogs, QWidget* parent, F&& action) {
  try {
    action();
  } catch (const std::exception& error) {
    dialogs.Error(parent, ErrorDisplayText(ErrorMessageOf(error)));
  }
}

// A path as Qt shows it and as the library takes it (UTF-8, native separators).
QString ToQString(const std::string& text);
std::string ToUtf8(const QString& text);
QString DisplayPath(const std::string& path);
std::filesystem::path ToPath(const QString& text);
