// Scripted answers for every message box, picker and modal dialog the
// windows open, and small LUT files to add.
#pragma once

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>

#include "registry/FormatTable.h"
#include "ui/Dialogs.h"

class TScriptedDialogs : public IDialogs {
 public:
  // What was shown, in order.
  QStringList Informations, Warnings, Errors, Confirmations;
  // Answers, taken front first; an empty queue answers Cancel.
  std::deque<TConfirmAnswer> ConfirmAnswers;
  // Whether "Do the same for the remaining files" is ticked, question by
  // question; an empty queue leaves it unticked.
  std::deque<bool> SameForRestAnswers;
  // Called with each question before it is answered, as a user reads it.
  std::function<void(const QString&)> WhileAsking;
  std::deque<QStringList> OpenFilesAnswers;
  std::deque<QString> OpenFileAnswers;
  std::deque<TSaveChoice> SaveFileAnswers;
  std::deque<QString> FolderAnswers;
  // Each Run takes the next handler, which works the dialog as a user would
  // and answers how it closed; with none left the dialog is rejected.
  std::deque<std::function<int(QDialog&)>> RunHandlers;
  QString LastFolderStart, LastOpenFolder;

  void Information(QWidget*, const QString& text) override { Informations << text; }
  void Warning(QWidget*, const QString& text) override { Warnings << text; }
  void Error(QWidget*, const QString& text) override { Errors << text; }
  TConfirmAnswer Confirm(QWidget*, const QString& text, bool withNo) override;
  TConfirmAnswer ConfirmForAll(QWidget* parent, const QString& text, bool& sameForRest) override;
  QStringList OpenFiles(QWidget*, const QString& folder, const QString&) override;
  QString OpenFile(QWidget*, const QString&, const QString& folder, const QString&) override;
  TSaveChoice SaveFile(QWidget*, const QString&, const QString&, const QStringList&, int,
                       const QString&) override;
  QString ChooseFolder(QWidget*, const QString&, const QString& start) override;
  int Run(QDialog& dialog) override;
};

class QComboBox;
class QWidget;

// Brings the widget's window to the front with the keyboard, as a user's
// click on it does; answers whether it got there.
bool ActivateWindowOf(QWidget* widget);

// Types into an editable box as a user does: a click into it, Ctrl+A, the
// text, then Enter unless told otherwise; every key goes to the widget that
// has the focus, as a user's keys arrive. Answers whether the box had it.
bool TypeAsUser(QComboBox* box, const QString& text, bool enter = true);

// A 2-point cube file whose nodes are scaled by `gain`, with one comment.
QString WriteCube(const QString& folder, const QString& name, double gain = 1.0);
QString WriteText(const QString& folder, const QString& name, const QByteArray& text);
QByteArray ReadAll(const QString& file);
