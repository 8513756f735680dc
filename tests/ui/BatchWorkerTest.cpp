// Work run beside the interface's events: it waits on something only those
// events can give, and its question is asked on the interface thread.
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <thread>

#include "UiTestSupport.h"
#include "ui/BatchWorker.h"

class BatchWorkerTest : public QObject {
  Q_OBJECT

 private slots:
  void workRunsBesideTheEventsAndAsksOnTheInterfaceThread() {
    // Set by a timer of this thread: work on this thread that waits for it
    // would wait forever.
    std::atomic<bool> released = false;
    QTimer::singleShot(0, [&] { released = true; });
    TScriptedDialogs dialogs;
    dialogs.ConfirmAnswers = {TConfirmAnswer::No};
    QThread* asker = nullptr;
    dialogs.WhileAsking = [&](const QString&) { asker = QThread::currentThread(); };
    TDialogConfirm dialogConfirm(dialogs, nullptr);
    TInterfaceConfirm confirm(dialogConfirm);
    std::thread::id worker;
    TConfirmAnswer answer = TConfirmAnswer::Cancel;
    RunOffInterfaceThread([&] {
      worker = std::this_thread::get_id();
      while (!released) std::this_thread::yield();
      answer = confirm.Confirm("Go on?", true);
    });
    QVERIFY(worker != std::this_thread::get_id());
    QCOMPARE(answer, TConfirmAnswer::No);
    QCOMPARE(asker, QThread::currentThread());
    QCOMPARE(dialogs.Confirmations, QStringList{"Go on? [Yes/No/Cancel]"});
  }

  void whatTheWorkRaisesIsRaisedToTheCaller() {
    try {
      RunOffInterfaceThread([] { throw std::runtime_error("Incomplete file."); });
      QFAIL("nothing raised");
    } catch (const std::runtime_error& error) {
      QCOMPARE(error.what(), "Incomplete file.");
    }
  }
};

QTEST_MAIN(BatchWorkerTest)
#include "BatchWorkerTest.moc"
