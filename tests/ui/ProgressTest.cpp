// The progress window's time estimate on an injected clock, its hold on the
// other windows, and the folder browser's start folder.
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/PathDialog.h"
#include "ui/ProgressDlg.h"

namespace {

constexpr double Second = 1.0 / (24 * 60 * 60);

}  // namespace

class ProgressTest : public QObject {
  Q_OBJECT

 private slots:
  void timeEstimate_data() {
    QTest::addColumn<double>("firstPercent");
    QTest::addColumn<double>("secondPercent");
    QTest::addColumn<double>("secondsBetween");
    QTest::addColumn<QString>("line");
    // At 1 % per second, 50 % reached 5 s after 45 %: 50 s to go.
    QTest::newRow("seconds") << 45.0 << 50.0 << 5.0 << "50 seconds remaining";
    QTest::newRow("179 s") << 10.0 << 20.0 << 22.375 << "2 minutes remaining";
    QTest::newRow("3 hours") << 1.0 << 2.0 << 10800.0 / 98 << "3 hours remaining";
    QTest::newRow("not past 3 s") << 45.0 << 50.0 << 2.9 << "";
    QTest::newRow("no progress") << 45.0 << 45.0 << 10.0 << "";
  }
  void timeEstimate() {
    QFETCH(double, firstPercent);
    QFETCH(double, secondPercent);
    QFETCH(double, secondsBetween);
    QFETCH(QString, line);
    TfrmProgress progress(nullptr);
    double now = 45000.0;
    progress.Now = [&] { return now; };
    progress.Show("Convertion...", "Working");
    progress.SetPercent(firstPercent);
    QCOMPARE(progress.stxTime->text(), QString());  // the first call only sets the reference
    now += secondsBetween * Second;
    progress.SetPercent(secondPercent);
    QCOMPARE(progress.stxTime->text(), line);
    QCOMPARE(progress.pbrProgress->value(), int(secondPercent));
  }

  void estimateChangesAtMostEveryThreeSecondsAndSwitchesOffWhenGoingBack() {
    TfrmProgress progress(nullptr);
    double now = 45000.0;
    progress.Now = [&] { return now; };
    progress.Show("c", "t");
    progress.SetPercent(10);
    now += 4 * Second;
    progress.SetPercent(14);  // 1 %/s from 10 %: 86 s
    QCOMPARE(progress.stxTime->text(), QStringLiteral("1 minutes remaining"));
    now += 2 * Second;
    progress.SetPercent(30);
    QCOMPARE(progress.stxTime->text(), QStringLiteral("1 minutes remaining"));
    now += 2 * Second;
    progress.SetPercent(10);  // below the reference: a negative estimate
    QVERIFY(progress.stxTime->isHidden());
  }

  void otherWindowsIgnoreInputWhileItShows() {
    QMainWindow main;
    main.show();
    TfrmProgress progress(&main);
    progress.Show("Convertion...", "The selected files are being converted. Please wait...");
    QCOMPARE(progress.windowTitle(), QStringLiteral("Convertion..."));
    QVERIFY(!main.isEnabled());
    QVERIFY(progress.isEnabled() && progress.btnCancel->isEnabled());
    QVERIFY(!progress.IsCancelled());
    progress.btnCancel->click();
    QVERIFY(progress.IsCancelled());
    QVERIFY(progress.isVisible());  // stays up until its owner releases it
    progress.Hide();
    QVERIFY(main.isEnabled());
    progress.Show("again", "t");  // a new run starts uncancelled
    QVERIFY(!progress.IsCancelled());
  }

  void folderBrowserStartFolder() {
    TScriptedDialogs dialogs;
    TPathDialog browser(dialogs, nullptr);
    browser.InitialFolder = QDir::toNativeSeparators("/tmp/luts/");
    QVERIFY(!browser.Execute());  // cancelled
    QCOMPARE(dialogs.LastFolderStart, QDir::toNativeSeparators("/tmp/luts"));
    browser.InitialFolder.clear();
    dialogs.FolderAnswers.push_back("/tmp/out");
    QVERIFY(browser.Execute());
    QCOMPARE(dialogs.LastFolderStart, QDir::currentPath());
    QCOMPARE(browser.ResultFolder, QDir::toNativeSeparators("/tmp/out"));
  }
};

QTEST_MAIN(ProgressTest)
#include "ProgressTest.moc"
