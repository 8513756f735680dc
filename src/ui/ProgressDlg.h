// The progress window of long operations: a text line, a bar and a time
// estimate, and a Cancel button that is seen the next time the operation
// asks. While it shows, every other window of the program ignores input.
// The operation may run on a thread of its own (see ui/BatchWorker.h).
#pragma once

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <functional>
#include <vector>

#include "core/UserPrompt.h"
#include "ui/TimeEstimate.h"

class QLabel;
class QProgressBar;
class QPushButton;

class TfrmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmProgress(QWidget* owner);
  ~TfrmProgress() override;

  void Show(const QString& caption, const QString& text);
  void Hide();
  void SetPercent(double p);
  // "3 of 7" and the file at work, under the text line.
  void SetItem(std::size_t number, std::size_t count, const QString& name);
  // Lets pending events run first, so that a click on Cancel is seen.
  bool IsCancelled();
  // Whether Cancel was pressed, without running events: what an operation
  // on another thread asks.
  bool CancelRequested() const { return Cancelled_; }
  void HideTimeEstimate();

  // Current date-time in days; tests put their own clock here.
  std::function<double()> Now;

  QLabel* stxText;
  QLabel* stxItem;
  QProgressBar* pbrProgress;
  QLabel* stxTime;
  QPushButton* btnCancel;

 protected:
  void reject() override;  // Escape or closing by keyboard
  void closeEvent(QCloseEvent* event) override;

 private:
  void DisableOtherWindows();
  void EnableOtherWindows();

  std::atomic<bool> Cancelled_ = false;  // set here, read by the operation's thread
  int LastPosition_ = -1;
  double Percent_ = 0;
  bool EstimateOn_ = true;
  TTimeEstimate Estimate_;
  std::vector<QPointer<QWidget>> Disabled_;
};

// The library's progress reports shown in the window. Reports from another
// thread are queued to the window's thread, in order; Cancelled() reads the
// window's flag there instead of running the window's events.
class TProgressWindowReport : public IProgress {
 public:
  explicit TProgressWindowReport(TfrmProgress& window) : Window_(window) {}
  void Begin(const std::string& caption, const std::string& text) override;
  void SetProgress(double percent) override;
  void SetItem(std::size_t number, std::size_t count, const std::string& name) override;
  bool Cancelled() override;
  void End() override;

 private:
  TfrmProgress& Window_;
};
