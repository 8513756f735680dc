// Long operations of the library run on a thread of their own, so that the
// windows repaint and the progress window's Cancel is seen while they work.
// What such an operation asks is still asked on the interface thread, one
// question at a time, while the operation waits for the answer.
#pragma once

#include <QObject>
#include <functional>

#include "core/UserPrompt.h"

// Passes the questions of an operation on another thread to `inner` on the
// thread that made this object (the interface thread), and waits.
class TInterfaceConfirm : public IConfirm {
 public:
  explicit TInterfaceConfirm(IConfirm& inner) : Inner_(inner) {}
  TConfirmAnswer Confirm(const std::string& message, bool withNo) override;
  TConfirmAnswer ConfirmOverwrite(const std::filesystem::path& file, bool withNo) override;

 private:
  TConfirmAnswer Ask(const std::function<TConfirmAnswer()>& question);

  IConfirm& Inner_;
  QObject Home_;  // lives on the interface thread: where the questions are delivered
};

// Runs `work` on a new thread while this thread goes on with its events, and
// returns when the work is over, raising here what it raised there.
void RunOffInterfaceThread(const std::function<void()>& work);
