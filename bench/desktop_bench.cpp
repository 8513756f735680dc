// The desktop program's timings as a user meets them, its window driven
// through the same scripted dialogs as its tests:
//   desktop_bench preview CUBE_A CUBE_B [RUNS]
//     Both files in the list; each run clicks the other row and times the
//     click until the graded picture is on screen. Prints each time (ms).
//   desktop_bench quit SETTINGS FOLDER [FILE...]
//     Lists the files and converts them all into FOLDER as the conversion
//     dialog does ("Cube 3D Davinci" at 65 points); with no file, no batch.
//     Then closes the window and prints the monotonic clock (ns) at the
//     close: the caller times the end of the process against it. The window
//     opens and the program leaves as the program's own main does, with its
//     settings in the file SETTINGS, as a user's are kept between runs.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "UiTestSupport.h"
#include "core/MemoryReuse.h"
#include "ui/ConvertForm.h"
#include "ui/MainForm.h"
#include "ui/OptionControls.h"
#include "ui/PreviewPane.h"

namespace {

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void AddFiles(TfrmMain& window, TScriptedDialogs& dialogs, const QStringList& files) {
  dialogs.OpenFilesAnswers.push_back(files);
  window.btnAddClick();
}

// The click a user gives a row of the list.
void ClickRow(TfrmMain& window, int row) {
  QTreeWidget* list = window.lvwFiles;
  const QRect rect = list->visualItemRect(list->topLevelItem(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

int Preview(TfrmMain& window, TScriptedDialogs& dialogs, const QStringList& cubes, int runs) {
  AddFiles(window, dialogs, cubes);
  TPreviewPane* pane = window.pnlPreview;
  for (int i = 0; i < runs + 1; ++i) {  // the first run warms the caches and is not counted
    const qint64 before = pane->imgApplied->Picture().cacheKey();
    QElapsedTimer timer;
    timer.start();
    ClickRow(window, i % 2);
    while (pane->Reading() || pane->imgApplied->Picture().cacheKey() == before) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
      if (timer.elapsed() > 60000) {
        std::fprintf(stderr, "desktop_bench: no preview after a minute\n");
        return 1;
      }
    }
    pane->imgApplied->repaint();  // on screen, not only handed over
    if (i > 0) std::printf("%.2f\n", timer.nsecsElapsed() / 1e6);
  }
  return 0;
}

void ScriptBatch(TfrmMain& window, TScriptedDialogs& dialogs, const QString& folder) {
  dialogs.FolderAnswers.push_back(folder);
  dialogs.RunHandlers.push_back([](QDialog& d) {
    auto& dialog = static_cast<TfrmConvert&>(d);
    dialog.btnSelectFolder->click();
    QComboBox* formats = dialog.Controls->cbxOutFormat;
    formats->setCurrentIndex(formats->findText(QStringLiteral("Cube 3D Davinci")));
    TypeAsUser(dialog.Controls->cbxDimSize, QStringLiteral("65"), false);
    dialog.btnConvert->click();
    return dialog.result();
  });
  window.btnConvertClick();
}

}  // namespace

int main(int argc, char* argv[]) {
  KeepFreedMemoryForReuse();
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments().mid(1);
  const bool preview = args.size() >= 3 && args[0] == "preview";
  if (!preview && (args.size() < 3 || args[0] != "quit")) {
    std::fprintf(stderr, "usage: desktop_bench preview CUBE_A CUBE_B [RUNS] | quit SETTINGS FOLDER [FILE...]\n");
    return 2;
  }
  QTemporaryDir config;  // the user's own settings are neither read nor changed
  QSettings settings(preview ? config.filePath(QStringLiteral("bench.conf")) : args[1], QSettings::IniFormat);
  TScriptedDialogs dialogs;
  TfrmMain window(LutRegistry(), dialogs, &settings);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  if (preview) {
    return Preview(window, dialogs, {args[1], args[2]}, args.size() > 3 ? args[3].toInt() : 15);
  }
  const QStringList files = args.mid(3);
  if (!files.isEmpty()) {
    AddFiles(window, dialogs, files);
    ScriptBatch(window, dialogs, args[2]);
    for (int i = 0; i < window.RowCount(); ++i)
      if (window.Row(i)->Outcome != TRowOutcome::Converted) {
        std::fprintf(stderr, "desktop_bench: row %d was not converted: %s\n", i,
                     qPrintable((dialogs.Errors + dialogs.Warnings).join('\n')));
        return 1;
      }
  }
  QTimer::singleShot(0, [&] {
    std::printf("%lld\n", MonotonicNs());
    std::fflush(stdout);
    window.close();
  });
  const int status = app.exec();
  if (TPreviewPane::ReadsRunning() > 0) std::quick_exit(status);
  return status;
}
