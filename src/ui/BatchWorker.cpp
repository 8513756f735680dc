#include "ui/BatchWorker.h"

#include <QCoreApplication>
#include <QThread>
#include <exception>
#include <thread>

TConfirmAnswer TInterfaceConfirm::Confirm(const std::string& message, bool withNo) {
  return Ask([&] { return Inner_.Confirm(message, withNo); });
}

TConfirmAnswer TInterfaceConfirm::ConfirmOverwrite(const std::filesystem::path& file, bool withNo) {
  return Ask([&] { return Inner_.ConfirmOverwrite(file, withNo); });
}

TConfirmAnswer TInterfaceConfirm::Ask(const std::function<TConfirmAnswer()>& question) {
  // A blocking call from the interface thread to itself would never return.
  if (QThread::currentThread() == Home_.thread()) return question();
  TConfirmAnswer answer = TConfirmAnswer::Cancel;
  QMetaObject::invokeMethod(&Home_, [&] { answer = question(); }, Qt::BlockingQueuedConnection);
  return answer;
}

void RunOffInterfaceThread(const std::function<void()>& work) {
  QObject home;
  bool done = false;            // touched on this thread only
  std::exception_ptr failure;  // written by the worker, read once it is joined
  std::jthread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    QMetaObject::invokeMethod(&home, [&done] { done = true; }, Qt::QueuedConnection);
  });
  // Events rather than a nested QEventLoop: once the application is quitting
  // a new event loop returns at once, and the worker may be waiting on a
  // question that only this thread can answer.
  while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  if (failure) std::rethrow_exception(failure);
}
