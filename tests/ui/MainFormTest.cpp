// The main window driven as a user would, with every message box, picker and
// dialog answered by the script.
#include <QCheckBox>
#include <QDesktopServices>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QHeaderView>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/LUTFormat.h"
#include "ops/OutputOptions.h"
#include "ops/BitsOverride.h"
#include "ui/CdlChoiceForm.h"
#include "ui/ConvertForm.h"
#include "ui/LutJoinForm.h"
#include "ui/MainForm.h"
#include "ui/PreviewImage.h"
#include "ui/PreviewPane.h"
#include "ui/PreviewSplitter.h"
#include "ui/ProgressDlg.h"
#include <QLabel>
#include "ui/SetBitsPerValueForm.h"

namespace {

const QString UnknownMessage = QStringLiteral("Unable to convert unknown format.\r\nPlease contact us to add this.");

// A 3DL file whose largest code is 1023: read as 10-bit unless told otherwise.
QByteArray TenBit3dl() {
  QByteArray text = "0 1023\n";
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b)
        text += QByteArray::number(r * 1023) + ' ' + QByteArray::number(g * 1023) + ' ' +
                QByteArray::number(b * 1023) + '\n';
  return text;
}

// A drag from a file manager dropped onto a widget: enter, then drop, as Qt
// delivers them (a real drag needs a real pointer, which the tests have not).
// Answers whether the widget took the drop.
bool DropFiles(QWidget* target, const QStringList& paths, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  data.setUrls(urls);
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

void Choose(QComboBox* box, const QString& text) { box->setCurrentIndex(box->findText(text)); }

// Takes the addresses the desktop would open.
class TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> Urls;
 public slots:
  void Open(const QUrl& url) { Urls << url; }
};

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir Dir;
  TScriptedDialogs Dialogs;
  std::unique_ptr<TfrmMain> Main;

  void Add(const QStringList& files) {
    Dialogs.OpenFilesAnswers.push_back(files);
    Main->btnAddClick();
  }
  QString Text(int row, int column) { return Main->Row(row)->text(column); }
  bool Checked(int row) { return Main->Row(row)->checkState(0) == Qt::Checked; }
  // Selects a row and waits for the preview, which is read on its own thread.
  void Select(int row) {
    Main->lvwFiles->setCurrentItem(Main->Row(row));
    WaitForPreview();
  }
  void WaitForPreview() { QTRY_VERIFY(!Main->pnlPreview->Reading()); }
  // Right-clicks the row as a user does and answers the entry of that text
  // in the menu that opens (or nullptr).
  QAction* ContextMenuAction(int row, const QString& text) {
    QWidget* view = Main->lvwFiles->viewport();
    const QPoint at = Main->lvwFiles->visualItemRect(Main->Row(row)).center();
    QTest::mouseClick(view, Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &event);
    if (!Main->pmnFiles->isVisible()) return nullptr;
    for (QAction* action : Main->pmnFiles->actions())
      if (action->text() == text) return action;
    return nullptr;
  }

  // Works the conversion dialog: folder, profile and size, then Convert.
  void ScriptConvert(const QString& folder, const QString& profile, const QString& size = {},
                     bool verify = false) {
    Dialogs.FolderAnswers.push_back(folder);
    Dialogs.RunHandlers.push_back([=](QDialog& d) {
      auto& dialog = static_cast<TfrmConvert&>(d);
      dialog.btnSelectFolder->click();
      dialog.chkVerify->setChecked(verify);
      QComboBox* formats = dialog.Controls->cbxOutFormat;
      formats->setCurrentIndex(formats->findText(profile));
      if (!size.isEmpty()) [&] { QVERIFY(TypeAsUser(dialog.Controls->cbxDimSize, size, false)); }();
      if (!dialog.btnConvert->isEnabled()) return int(QDialog::Rejected);
      dialog.btnConvert->click();
      return dialog.result();
    });
  }

 private slots:
  void init() { Open(); }
  // A window as the program opens it; with a store, one that remembers.
  void Open(QSettings* settings = nullptr) {
    Dialogs = TScriptedDialogs();
    LastOutputFolder().clear();
    Main = std::make_unique<TfrmMain>(LutRegistry(), Dialogs, settings);
    Main->show();
    Main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Main.get()));
  }
  void cleanup() { Main.reset(); }

  void startsEmptyWithItsTitleAndSize() {
    QCOMPARE(Main->windowTitle(), QStringLiteral("Tovi LUT Converter"));
    QCOMPARE(Main->size(), QSize(881, 640));
    QCOMPARE(Main->minimumSize(), QSize(400, 200));
    QCOMPARE(Main->lvwFiles->headerItem()->text(2), QStringLiteral("Folder"));
    QVERIFY(!Main->btnConvert->isEnabled());
    QVERIFY(!Main->btnMerge->isEnabled());
  }

  void addsFilesSortedWithUnknownRowsUnchecked() {
    const QString b = WriteCube(Dir.path(), "b.cube");
    const QString a = WriteCube(Dir.path(), "A.cube");
    const QString c = WriteText(Dir.path(), "c.txt", "just some notes\n");
    Add({c, b, a});
    QCOMPARE(Main->RowCount(), 3);
    QCOMPARE(Text(0, 0), QStringLiteral("A.cube"));
    QCOMPARE(Text(1, 0), QStringLiteral("b.cube"));
    QCOMPARE(Text(2, 0), QStringLiteral("c.txt"));
    QCOMPARE(Text(0, 1), QStringLiteral("Cube 3D"));
    QCOMPARE(Text(2, 1), QStringLiteral("unknown"));
    QCOMPARE(Text(0, 2), QDir::toNativeSeparators(Dir.path()));
    QVERIFY(Checked(0) && Checked(1) && !Checked(2));
    QVERIFY(Main->Row(0)->Entry && !Main->Row(2)->Entry);
    QCOMPARE(Main->Row(0)->Entry->BitsPerValue, -1);
    QVERIFY(Main->btnConvert->isEnabled() && Main->btnMerge->isEnabled());
    // The same file again keeps its one row, and the status bar says so;
    // the dialog reopens in the folder.
    Add({a});
    QCOMPARE(Main->RowCount(), 3);
    QCOMPARE(Main->statusBar()->currentMessage(), QStringLiteral("A.cube is already in the list."));
    QCOMPARE(Dialogs.LastOpenFolder, QDir::toNativeSeparators(Dir.path()));
    QVERIFY(Dialogs.Informations.isEmpty() && Dialogs.Errors.isEmpty());
    // Named twice in one go, or by another path to it: one row still.
    const QString d = WriteCube(Dir.path(), "d.cube");
    Main->AddPaths({d, Dir.path() + "/./d.cube", Dir.path()});
    QCOMPARE(Main->RowCount(), 4);
    QCOMPARE(Main->statusBar()->currentMessage(), QStringLiteral("5 files are already in the list."));
  }

  // Every extension a format reads reaches the list from a folder, and the
  // picker's filter offers them all, the ones it always offered included.
  void everyReadableExtensionReachesTheList() {
    const QString folder = Dir.path() + "/all";
    QDir().mkpath(folder);
    const QStringList patterns = LutFilePatterns(LutRegistry());
    const QStringList specified = QStringLiteral(
        "*.cube;*.lut;*.m3d;*.3dl;*.txt;*.cms;*.mga;*.xml;*.3dmesh;*dat;*.alut;*.ilut;*.olut;*.1dlut;"
        "*.look;*.cc;*.pfl;*.cfe;*.dd3;*.mlc;*.vlt;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff").split(';');
    for (const QString& p : specified) QVERIFY2(patterns.contains(p), qPrintable(p));
    QVERIFY(LutFilesFilter(LutRegistry()).startsWith("LUT Files (*.cube "));
    const QStringList added = {"png", "tga", "ccc", "cdl", "cub", "clf", "ctf", "csp",
                               "spi1d", "spi3d", "spimtx", "vf", "dd3"};
    for (const QString& e : added) WriteText(folder, "f." + e, "x\n");
    QImage picture(8, 8, QImage::Format_RGB888);  // a picture, not a LUT: an unknown row
    picture.fill(Qt::gray);
    QVERIFY(picture.save(folder + "/f.png"));
    // The same as an uncompressed 24-bit TGA: its 18-byte header, then the pixels.
    QByteArray tga(18, '\0');
    tga[2] = 2;
    tga[12] = 8;
    tga[14] = 8;
    tga[16] = 24;
    tga.append(QByteArray(8 * 8 * 3, char(0x80)));
    QFile tgaFile(folder + "/f.tga");
    QVERIFY(tgaFile.open(QIODevice::WriteOnly) && tgaFile.write(tga) == tga.size());
    tgaFile.close();
    Main->AddPaths({folder});
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Main->RowCount(), added.size());
    // A folder of Hald pictures: each one a row, read as the Hald CLUT it is.
    QTemporaryDir halds;
    Dialogs.SaveFileAnswers.push_back({halds.path() + "/level8", 3});
    Main->btnHaldClick();
    Main->miClearListClick();
    Main->AddPaths({halds.path()});
    QCOMPARE(Main->RowCount(), 1);
    QCOMPARE(Text(0, 1), QStringLiteral("Hald CLUT"));
  }

  // A CDL collection of several corrections asks which one the row stands
  // for; the row shows it and every read from the list uses it.
  void aCdlCollectionAsksWhichCorrection() {
    const auto correction = [](const char* id, const char* slope) {
      return QByteArray("<ColorCorrection id=\"") + id + "\"><SOPNode><Slope>" + slope +
             "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection>\n";
    };
    const QString ccc = WriteText(Dir.path(), "looks.ccc",
                                  "<ColorCorrectionCollection>\n" + correction("warm", "1 1 1") +
                                      correction("cool", "0.5 0.5 0.5") +
                                      "</ColorCorrectionCollection>\n");
    QStringList offered;
    Dialogs.RunHandlers.push_back([&](QDialog& dialog) {
      auto* choice = dynamic_cast<TfrmCdlChoice*>(&dialog);
      if (!choice) return int(QDialog::Rejected);
      for (int i = 0; i < choice->cbxCorrection->count(); ++i)
        offered << choice->cbxCorrection->itemText(i);
      choice->cbxCorrection->setCurrentIndex(1);
      return int(QDialog::Accepted);
    });
    Add({ccc});
    QCOMPARE(offered, QStringList({"warm", "cool"}));
    QCOMPARE(Text(0, 1), QStringLiteral("ASC CDL (cool)"));
    QCOMPARE(ReadOptionsOf(*Main->Row(0)->Entry).CdlId, std::string("cool"));
    // Cancelled: the file is not added, and can be added later.
    QFile::copy(ccc, Dir.path() + "/looks2.ccc");
    Add({Dir.path() + "/looks2.ccc"});
    QCOMPARE(Main->RowCount(), 1);
    Dialogs.RunHandlers.push_back([](QDialog&) { return int(QDialog::Accepted); });
    Add({Dir.path() + "/looks2.ccc"});
    QCOMPARE(Main->RowCount(), 2);
    QCOMPARE(Text(1, 1), QStringLiteral("ASC CDL (warm)"));
  }

  // Corrections without an id are offered by their place and read by it;
  // the right-click menu changes a row's correction, and its preview follows.
  void aRowsCdlCorrectionIsChosenByPlaceAndChangedLater() {
    const auto correction = [](const char* attributes, const char* slope) {
      return QByteArray("<ColorCorrection") + attributes + "><SOPNode><Slope>" + slope +
             "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection>\n";
    };
    const QString ccc = WriteText(Dir.path(), "shots.ccc",
                                  "<ColorCorrectionCollection>\n" + correction("", "1 1 1") +
                                      correction("", "0.5 0.5 0.5") + correction(" id=\"night\"", "0.25 0.25 0.25") +
                                      "</ColorCorrectionCollection>\n");
    QStringList offered;
    int shownFirst = -1;
    const auto choose = [&](int index) {
      Dialogs.RunHandlers.push_back([&, index](QDialog& dialog) {
        auto* choice = dynamic_cast<TfrmCdlChoice*>(&dialog);
        if (!choice) return int(QDialog::Rejected);
        offered.clear();
        for (int i = 0; i < choice->cbxCorrection->count(); ++i) offered << choice->cbxCorrection->itemText(i);
        shownFirst = choice->cbxCorrection->currentIndex();
        choice->cbxCorrection->setCurrentIndex(index);
        return int(QDialog::Accepted);
      });
    };
    choose(1);
    Add({ccc, WriteCube(Dir.path(), "plain.cube")});
    QCOMPARE(offered, QStringList({"#1 (no id)", "#2 (no id)", "night"}));
    QCOMPARE(Text(1, 1), QStringLiteral("ASC CDL (#2)"));
    Select(1);
    const TLUT& record = Main->pnlPreview->PreviewRecord();
    QCOMPARE(record.Cube(32, 32, 32).R, 0.5);
    // The menu offers the choice for a CDL row only.
    QVERIFY(!ContextMenuAction(0, "Choose CDL Correction...")->isEnabled());
    QAction* change = ContextMenuAction(1, "Choose CDL Correction...");
    QVERIFY(change->isEnabled());
    choose(2);
    change->trigger();
    Main->pmnFiles->hide();
    QCOMPARE(shownFirst, 1);  // the row's correction, as it stood
    QCOMPARE(Text(1, 1), QStringLiteral("ASC CDL (night)"));
    WaitForPreview();
    QCOMPARE(record.Cube(32, 32, 32).R, 0.25);
    // Cancelled: the row keeps its correction.
    ContextMenuAction(1, "Choose CDL Correction...")->trigger();
    Main->pmnFiles->hide();
    QCOMPARE(Text(1, 1), QStringLiteral("ASC CDL (night)"));
    QCOMPARE(ReadOptionsOf(*Main->Row(1)->Entry).CdlId, std::string("night"));
  }

  void checkStateRuleAndUnknownMessage() {
    Add({WriteCube(Dir.path(), "a.cube"), WriteText(Dir.path(), "notes.txt", "hello\n")});
    Main->Row(1)->setCheckState(0, Qt::Checked);
    QVERIFY(!Checked(1));
    QCOMPARE(Dialogs.Informations, QStringList{UnknownMessage});
    QVERIFY(Main->btnConvert->isEnabled());
    Main->Row(0)->setCheckState(0, Qt::Unchecked);
    QVERIFY(!Main->btnConvert->isEnabled() && !Main->btnMerge->isEnabled());
    // Check All leaves unknown rows alone and says nothing.
    Main->miCheckAllClick();
    QVERIFY(Checked(0) && !Checked(1));
    QCOMPARE(Dialogs.Informations.size(), 1);
    QVERIFY(Main->btnConvert->isEnabled() && Main->btnMerge->isEnabled());
    Main->miUncheckAllClick();
    QVERIFY(!Main->btnConvert->isEnabled());
  }

  void deleteSelectsTheNextRowAndClearEmpties() {
    Add({WriteCube(Dir.path(), "a.cube"), WriteCube(Dir.path(), "b.cube"), WriteCube(Dir.path(), "c.cube")});
    Main->miDeleteClick();  // nothing selected: nothing happens
    QCOMPARE(Main->RowCount(), 3);
    Select(2);
    Main->lvwFiles->setFocus();
    QTest::keyClick(Main->lvwFiles, Qt::Key_Delete);
    QCOMPARE(Main->RowCount(), 2);
    QCOMPARE(Main->lvwFiles->selectedItems().value(0), Main->Row(1));
    Select(0);
    Main->miDeleteClick();
    QCOMPARE(Text(0, 0), QStringLiteral("b.cube"));
    QCOMPARE(Main->lvwFiles->selectedItems().value(0), Main->Row(0));
    Main->miDeleteClick();
    QCOMPARE(Main->RowCount(), 0);
    QVERIFY(!Main->btnConvert->isEnabled() && !Main->btnMerge->isEnabled());
    Add({WriteCube(Dir.path(), "a.cube")});
    Main->miClearListClick();
    QCOMPARE(Main->RowCount(), 0);
    QVERIFY(!Main->btnConvert->isEnabled());
  }

  void contextMenuEnablingFollowsTheList() {
    Main->UpdateContextMenu();
    QVERIFY(Main->miCheckAll->isEnabled() && Main->miUncheckAll->isEnabled());
    QVERIFY(!Main->miSetBits->isEnabled() && !Main->miDelete->isEnabled() && !Main->miClearList->isEnabled());
    Add({WriteCube(Dir.path(), "a.cube")});
    Main->UpdateContextMenu();
    QVERIFY(!Main->miSetBits->isEnabled() && !Main->miDelete->isEnabled() && Main->miClearList->isEnabled());
    Select(0);
    Main->UpdateContextMenu();
    QVERIFY(Main->miSetBits->isEnabled() && Main->miDelete->isEnabled());
  }

  void conversionAsksBeforeOverwriting_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("aReplaced");
    QTest::addColumn<bool>("bWritten");
    QTest::addColumn<QString>("summary");
    QTest::newRow("Yes") << int(TConfirmAnswer::Yes) << true << true << "2 converted, 0 skipped, 0 failed.";
    QTest::newRow("No skips that file") << int(TConfirmAnswer::No) << false << true
                                        << "1 converted, 1 skipped, 0 failed.";
    QTest::newRow("Cancel ends the batch") << int(TConfirmAnswer::Cancel) << false << false
                                           << "0 converted, 0 skipped, 0 failed, cancelled.";
  }
  void conversionAsksBeforeOverwriting() {
    QFETCH(int, answer);
    QFETCH(bool, aReplaced);
    QFETCH(bool, bWritten);
    QFETCH(QString, summary);
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube", 0.5), WriteCube(in.path(), "b.cube")});
    WriteText(out.path(), "a.cube", "old\n");
    Dialogs.ConfirmAnswers.push_back(TConfirmAnswer(answer));
    ScriptConvert(out.path(), "Cube 3D Davinci", "5");
    Main->btnConvertClick();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Dialogs.Confirmations,
             QStringList{"The " + QDir(out.path()).filePath("a.cube") +
                         " file is already exist. Are you sure want you to overwrite it? [Yes/No/Cancel]"});
    QCOMPARE(ReadAll(out.path() + "/a.cube") != "old\n", aReplaced);
    QCOMPARE(QFile::exists(out.path() + "/b.cube"), bWritten);
    if (bWritten) QVERIFY(ReadAll(out.path() + "/b.cube").contains("LUT_3D_SIZE 5"));
    QCOMPARE(QString::fromStdString(LastOutputFolder()), out.path());
    QVERIFY(Main->isEnabled());  // the progress window gave the window back
    QCOMPARE(Main->statusBar()->currentMessage(), summary);
  }

  // A look whose companion .cube is kept is not written either: it counts as skipped.
  void aKeptCompanionCountsAsSkipped() {
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube", 0.5)});
    WriteText(out.path(), "a.cube", "old\n");
    Dialogs.ConfirmAnswers.push_back(TConfirmAnswer::No);
    ScriptConvert(out.path(), "Adobe Premiere Look");
    Main->btnConvertClick();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Dialogs.Confirmations.size(), 1);
    QVERIFY(!QFile::exists(out.path() + "/a.look"));
    QCOMPARE(Main->statusBar()->currentMessage(), QStringLiteral("0 converted, 1 skipped, 0 failed."));
  }

  // With the box ticked, every output is read back and its difference said.
  void conversionReadsBackWhenAsked() {
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube", 0.5), WriteCube(in.path(), "b.cube")});
    ScriptConvert(out.path(), "3DL Scratch, Autodesk, Blackmagic, Cine-tal", {}, true);
    Main->btnConvertClick();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Dialogs.Informations.size(), 1);
    const QStringList lines = Dialogs.Informations.first().split('\n');
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("a.3dl: largest difference "), qPrintable(lines[0]));
    QVERIFY(lines[1].section(' ', -1).toDouble() < 1e-3);  // 12-bit codes
  }

  void conversionStopsAtAnUnreadableFile() {
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube"), WriteText(in.path(), "b.cube", "LUT_3D_SIZE 2\n0 0 0\n"),
         WriteCube(in.path(), "c.cube")});
    ScriptConvert(out.path(), "Cube 3D Davinci");
    Main->btnConvertClick();
    QCOMPARE(Dialogs.Errors.size(), 1);
    QVERIFY2(Dialogs.Errors[0].contains("b.cube") && Dialogs.Errors[0].endsWith('.'),
             qPrintable(Dialogs.Errors[0]));
    QVERIFY(QFile::exists(out.path() + "/a.cube"));
    QVERIFY(!QFile::exists(out.path() + "/b.cube") && !QFile::exists(out.path() + "/c.cube"));
    QVERIFY(Main->isEnabled());
    QCOMPARE(Main->statusBar()->currentMessage(), QStringLiteral("1 converted, 0 skipped, 1 failed, 1 not tried."));
    // Each row shows how it went, and the folder opens through the desktop.
    QCOMPARE(Main->Row(0)->Outcome, TRowOutcome::Converted);
    QCOMPARE(Main->Row(1)->Outcome, TRowOutcome::Failed);
    QCOMPARE(Main->Row(2)->Outcome, TRowOutcome::NotTried);
    QCOMPARE(Main->Row(1)->toolTip(0), Dialogs.Errors[0]);
    QVERIFY(!Main->Row(0)->icon(0).isNull() && !Main->Row(2)->icon(0).isNull());
    TUrlCatcher opened;
    QDesktopServices::setUrlHandler("file", &opened, "Open");
    QVERIFY(Main->btnOpenOutput->isVisible());
    QTest::mouseClick(Main->btnOpenOutput, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(opened.Urls, QList<QUrl>{QUrl::fromLocalFile(out.path())});
  }

  // With "Go on after a file fails" the rest is converted and the failures
  // are listed at the end, not shown one by one.
  void aBatchGoesOnAfterAFailureWhenAsked() {
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube"), WriteText(in.path(), "b.cube", "LUT_3D_SIZE 2\n0 0 0\n"),
         WriteCube(in.path(), "c.cube")});
    Dialogs.FolderAnswers.push_back(out.path());
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmConvert&>(d);
      dialog.btnSelectFolder->click();
      Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
      [&] { QVERIFY(ActivateWindowOf(&dialog)); }();
      // On the box itself: the row is wider than the box and its text.
      QTest::mouseClick(dialog.chkGoOn, Qt::LeftButton, {}, QPoint(8, dialog.chkGoOn->height() / 2));
      dialog.btnConvert->click();
      return dialog.result();
    });
    Main->btnConvertClick();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QVERIFY(QFile::exists(out.path() + "/a.cube") && QFile::exists(out.path() + "/c.cube"));
    QCOMPARE(Dialogs.Warnings.size(), 1);
    QVERIFY2(Dialogs.Warnings[0].startsWith("These files could not be converted:\n" +
                                            QDir::toNativeSeparators(in.path() + "/b.cube")),
             qPrintable(Dialogs.Warnings[0]));
    QCOMPARE(Main->statusBar()->currentMessage(), QStringLiteral("2 converted, 0 skipped, 1 failed."));
  }

  // "Do the same for the remaining files" answers every later question of
  // the batch; the progress window says which file of how many is at work.
  void theOverwriteAnswerCanServeTheRemainingFiles_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("summary");
    QTest::newRow("Yes to all") << int(TConfirmAnswer::Yes) << "3 converted, 0 skipped, 0 failed.";
    QTest::newRow("No to all") << int(TConfirmAnswer::No) << "0 converted, 3 skipped, 0 failed.";
  }
  void theOverwriteAnswerCanServeTheRemainingFiles() {
    QFETCH(int, answer);
    QFETCH(QString, summary);
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube"), WriteCube(in.path(), "b.cube"), WriteCube(in.path(), "c.cube")});
    for (const char* name : {"a.cube", "b.cube", "c.cube"}) WriteText(out.path(), name, "old\n");
    Dialogs.ConfirmAnswers.push_back(TConfirmAnswer(answer));
    Dialogs.SameForRestAnswers.push_back(true);
    QString item;
    Dialogs.WhileAsking = [&](const QString&) { item = Main->findChild<TfrmProgress*>()->stxItem->text(); };
    ScriptConvert(out.path(), "Cube 3D Davinci");
    Main->btnConvertClick();
    QCOMPARE(Dialogs.Confirmations.size(), 1);
    QCOMPARE(item, QStringLiteral("1 of 3: a.cube"));
    QCOMPARE(Main->statusBar()->currentMessage(), summary);
    QCOMPARE(ReadAll(out.path() + "/c.cube") == "old\n", answer == int(TConfirmAnswer::No));
  }

  // Three files, the outputs of a and b already there. a's question is
  // answered Yes; b's is asked after a is written, and Cancel is pressed in
  // the progress window while it is open: a stays written, b and c are not.
  void batchRunsBesideTheWindowAndStopsAtCancel() {
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube", 0.5), WriteCube(in.path(), "b.cube"), WriteCube(in.path(), "c.cube")});
    WriteText(out.path(), "a.cube", "old\n");
    WriteText(out.path(), "b.cube", "old\n");
    Dialogs.ConfirmAnswers = {TConfirmAnswer::Yes, TConfirmAnswer::Yes};
    QList<QThread*> askers;
    bool ticked = false, tickedDuringBatch = false, aWrittenBeforeB = false;
    Dialogs.WhileAsking = [&](const QString&) {
      askers << QThread::currentThread();
      auto* progress = Main->findChild<TfrmProgress*>();
      QVERIFY(progress && progress->isVisible());
      if (askers.size() == 1) {
        // The window's own events go on while the batch works.
        QTimer::singleShot(0, Main.get(), [&, progress] {
          ticked = true;
          tickedDuringBatch = progress->isVisible() && !Main->isEnabled();
        });
        return;
      }
      QVERIFY(QTest::qWaitFor([&] { return ticked; }));
      aWrittenBeforeB = ReadAll(out.path() + "/a.cube").contains("LUT_3D_SIZE");
      progress->btnCancel->click();
    };
    ScriptConvert(out.path(), "Cube 3D Davinci");
    Main->btnConvertClick();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(askers, (QList<QThread*>{QThread::currentThread(), QThread::currentThread()}));
    QVERIFY(Dialogs.Confirmations[1].contains("b.cube"));
    QVERIFY(tickedDuringBatch && aWrittenBeforeB);
    QCOMPARE(ReadAll(out.path() + "/b.cube"), QByteArray("old\n"));
    QVERIFY(!QFile::exists(out.path() + "/c.cube"));
    QVERIFY(Main->isEnabled());
    QCOMPARE(Main->statusBar()->currentMessage(), QStringLiteral("1 converted, 0 skipped, 0 failed, cancelled."));
  }

  void errorsShowTheirLine() {
    QTemporaryDir in, out;
    const QString bad = WriteText(in.path(), "bad.cube", "# grade\n\nLUT_3D_SIZE abc\n0 0 0\n");
    Add({bad});
    ScriptConvert(out.path(), "Cube 3D Davinci");
    Main->btnConvertClick();
    QCOMPARE(Dialogs.Errors.size(), 1);
    QCOMPARE(Dialogs.Errors[0], QDir::toNativeSeparators(bad) +
                                    QStringLiteral(":3: read as Cube 3D: 'abc' is not a valid integer value."));
  }

  // Click into the size box, select all, type, Enter: the box shows the
  // size, and the file gets it, whatever the box showed before.
  void aTypedSizeIsTheSizeWritten_data() {
    QTest::addColumn<int>("downs");  // items chosen with the arrow key first
    QTest::newRow("over Default") << 0;
    QTest::newRow("over a chosen 16") << 2;
  }
  void aTypedSizeIsTheSizeWritten() {
    QFETCH(int, downs);
    QTemporaryDir in, out;
    Add({WriteCube(in.path(), "a.cube", 0.5)});
    QString shown;
    Dialogs.FolderAnswers.push_back(out.path());
    Dialogs.RunHandlers.push_back([&](QDialog& d) {
      auto& dialog = static_cast<TfrmConvert&>(d);
      dialog.btnSelectFolder->click();
      Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
      QComboBox* box = dialog.Controls->cbxDimSize;
      box->setFocus();
      for (int i = 0; i < downs; ++i) QTest::keyClick(box, Qt::Key_Down);
      [&] { QVERIFY(TypeAsUser(box, "65")); }();  // Enter presses Convert
      shown = box->currentText();
      return dialog.result();
    });
    Main->btnConvertClick();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(shown, QStringLiteral("65"));
    QVERIFY(ReadAll(out.path() + "/a.cube").contains("LUT_3D_SIZE 65\n"));
  }

  // Each row is merged as it is listed: the correction chosen for a CDL
  // collection, the depth set for a 3DL.
  void mergeReadsEachRowWithItsOwnOptions() {
    const auto correction = [](const char* id, const char* slope) {
      return QByteArray("<ColorCorrection id=\"") + id + "\"><SOPNode><Slope>" + slope +
             "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection>\n";
    };
    const QString ccc = WriteText(Dir.path(), "a.ccc",
                                  "<ColorCorrectionCollection>\n" + correction("one", "1 1 1") +
                                      correction("two", "0.5 0.5 0.5") + correction("three", "0.25 0.25 0.25") +
                                      "</ColorCorrectionCollection>\n");
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      static_cast<TfrmCdlChoice&>(d).cbxCorrection->setCurrentIndex(2);
      return int(QDialog::Accepted);
    });
    Add({ccc, WriteText(Dir.path(), "b.3dl", TenBit3dl())});
    Select(1);
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmSetBitsPerValue&>(d);
      dialog.cbxBits->setCurrentIndex(dialog.cbxBits->findText("10"));
      dialog.btnOK->click();
      return dialog.result();
    });
    Main->miSetBitsClick();
    const QString output = Dir.path() + "/merged.cube";
    Dialogs.SaveFileAnswers.push_back({output, 0});
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmJoinLut&>(d);
      Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
      dialog.btnSelectFile->click();
      dialog.btnSave->click();
      return dialog.result();
    });
    Main->btnMergeClick();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Main->statusBar()->currentMessage(), "Written: " + QDir::toNativeSeparators(output));
    TLUT merged;
    LutRegistry().LoadLut(ToPath(output), merged, -1);
    // White through slope 0.25, then through the 3DL read as 10-bit (unchanged).
    QCOMPARE(merged.Cube(merged.Size3D() - 1, merged.Size3D() - 1, merged.Size3D() - 1).R, 0.25);
  }

  void selectingARowShowsItsLut() {
    const QString cube = WriteCube(Dir.path(), "a.cube", 0.5);
    Add({cube, WriteText(Dir.path(), "notes.txt", "hello\n")});
    TPreviewPane* pane = Main->pnlPreview;
    QVERIFY(pane->memInfo->isHidden() && pane->imgApplied->isHidden());
    Select(0);
    QVERIFY(pane->memInfo->isVisible() && pane->imgApplied->isVisible());
    QCOMPARE(pane->memInfo->toPlainText(), QStringLiteral("Type: 3D\nDimension: 2\ntest cube"));
    QCOMPARE(pane->Ungraded().size(), QSize(300, 214));  // the built-in photograph
    QVERIFY(pane->imgApplied->Picture() != pane->Ungraded());
    Select(1);  // unknown: the LUT part hides, no message
    QVERIFY(pane->memInfo->isHidden() && pane->imgApplied->isHidden());
    QVERIFY(Dialogs.Errors.isEmpty() && Dialogs.Informations.isEmpty());
    // Hidden, the pane reads nothing; shown again, it reads the selection.
    Main->sbnPreviewClick();
    QVERIFY(pane->isHidden());
    QFile::remove(cube);
    Select(0);
    QVERIFY(Dialogs.Errors.isEmpty());
    Main->sbnPreviewClick();
    WaitForPreview();
    // The vanished file, once shown: its error under Comments, no picture
    // of the LUT shown before, and no message box.
    QVERIFY(Dialogs.Errors.isEmpty());
    QVERIFY2(pane->memInfo->isVisible() && pane->memInfo->toPlainText().startsWith(QDir::toNativeSeparators(cube)),
             qPrintable(pane->memInfo->toPlainText()));
    QVERIFY(pane->imgApplied->isHidden());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  // A row that cannot be read shows its error with the file and line under
  // Comments, in place of the LUT shown before; a key pressed next still
  // reaches the list.
  void anUnreadableRowShowsItsErrorInTheComments() {
    const QString bad = WriteText(Dir.path(), "bad.cube", "# grade\n\nLUT_3D_SIZE abc\n0 0 0\n");
    Add({WriteCube(Dir.path(), "a.cube", 0.5), bad});
    Select(0);
    TPreviewPane* pane = Main->pnlPreview;
    QVERIFY(pane->imgApplied->isVisible());
    Main->lvwFiles->setFocus();
    QTest::keyClick(Main->lvwFiles, Qt::Key_Down);
    WaitForPreview();
    QCOMPARE(Main->lvwFiles->currentItem(), Main->Row(1));
    QCOMPARE(pane->memInfo->toPlainText(), QDir::toNativeSeparators(bad) +
                                               QStringLiteral(":3: read as Cube 3D: 'abc' is not a valid integer value."));
    QVERIFY(pane->imgApplied->isHidden() && pane->lblApplied->isHidden());
    QVERIFY(Dialogs.Errors.isEmpty());
    QTest::keyClick(Main->lvwFiles, Qt::Key_Up);
    WaitForPreview();
    QCOMPARE(Main->lvwFiles->currentItem(), Main->Row(0));
    QVERIFY(pane->imgApplied->isVisible());
  }

  // What a reader says while it reads a file (here OpenColorIO's log of a
  // CLF with elements it does not know) is shown with the preview.
  void aReadersWarningShowsWithThePreview() {
    QByteArray unknown;
    for (int i = 0; i < 3; ++i) unknown += "<u/>";
    const QString clf = WriteText(
        Dir.path(), "unknown.clf",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ProcessList id=\"r\" version=\"2.0\">\n" + unknown +
            "<Matrix inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"3 3 3\">1 0 0 0 1 0 0 0 1</Array></Matrix>\n"
            "</ProcessList>\n");
    Add({clf});
    Select(0);
    const QString comments = Main->pnlPreview->memInfo->toPlainText();
    QVERIFY2(comments.startsWith("warning: 3 warnings from the CLF reader; the first: "), qPrintable(comments));
    QVERIFY(comments.contains("Type: "));
    QVERIFY(Main->pnlPreview->imgApplied->isVisible());
  }

  // A new selection takes over from a preview still being read: only the
  // last row's LUT is shown, whatever order the reads end in.
  void aNewSelectionSupersedesAPreviewStillReading() {
    Add({WriteCube(Dir.path(), "a.cube", 0.5), WriteCube(Dir.path(), "b.cube", 0.25)});
    Main->lvwFiles->setCurrentItem(Main->Row(0));
    QVERIFY(Main->pnlPreview->Reading());
    QCOMPARE(Main->pnlPreview->memInfo->toPlainText(), QStringLiteral("Reading\u2026"));
    Main->lvwFiles->setCurrentItem(Main->Row(1));
    WaitForPreview();
    QTest::qWait(50);  // the first read's result, had it not been dropped
    QCOMPARE(Main->pnlPreview->PreviewRecord().Cube(1, 1, 1).R, 0.25);
  }

  void bitsOverrideChangesThe3dlPreview() {
    Add({WriteText(Dir.path(), "grade.3dl", TenBit3dl())});
    Select(0);
    const TLUT& record = Main->pnlPreview->PreviewRecord();
    // Codes below 1024 under a 10-bit shaper are 10-bit codes by default.
    QCOMPARE(record.Cube(1, 1, 1).R, 1.0);
    const QImage byDefault = Main->pnlPreview->imgApplied->Picture();
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmSetBitsPerValue&>(d);
      [&] { QCOMPARE(dialog.cbxBits->currentText(), QStringLiteral("Default")); }();
      dialog.cbxBits->setCurrentIndex(dialog.cbxBits->findText("12"));
      dialog.btnOK->click();
      return dialog.result();
    });
    Main->miSetBitsClick();
    WaitForPreview();
    QCOMPARE(Main->Row(0)->Entry->BitsPerValue, 12);
    QCOMPARE(record.Cube(1, 1, 1).R, 1023.0 / 4095.0);
    QVERIFY(Main->pnlPreview->imgApplied->Picture() != byDefault);
    // Reopened, the dialog shows the value chosen before; Cancel keeps it.
    QString shown;
    Dialogs.RunHandlers.push_back([&](QDialog& d) {
      shown = static_cast<TfrmSetBitsPerValue&>(d).cbxBits->currentText();
      return int(QDialog::Rejected);
    });
    Main->miSetBitsClick();
    QCOMPARE(shown, QStringLiteral("12"));
    QCOMPARE(Main->Row(0)->Entry->BitsPerValue, 12);
  }

  void haldButtonWritesTheChosenTypeAndRemembersIt() {
    const QString name = Dir.path() + "/hald";
    Dialogs.SaveFileAnswers.push_back({name, 0});  // "Bitmap File": .bmp appended
    Main->btnHaldClick();
    QVERIFY(QFileInfo::exists(name + ".bmp"));
    QVERIFY(Dialogs.Errors.isEmpty());
    QCOMPARE(Main->statusBar()->currentMessage(), "Written: " + QDir::toNativeSeparators(name + ".bmp"));
    TLUT back;
    LutRegistry().LoadLut(ToPath(name + ".bmp"), back, -1);
    QCOMPARE(QString::fromStdString(LutRegistry().GetLutFormat(back.FormatIndex)->Name),
             QStringLiteral("Hald Image"));
    QCOMPARE(back.Cube(1, 0, 31).R, 8.0 / 255.0);
    Main->btnHaldClick();  // cancelled: nothing more is written
    QCOMPARE(QDir(Dir.path()).entryList({"hald*"}, QDir::Files).size(), 1);
    // The layout choice beside it: the standard level-8 Hald CLUT as PNG.
    Dialogs.SaveFileAnswers.push_back({name, 3});
    Main->btnHaldClick();
    QVERIFY(Dialogs.Errors.isEmpty());
    LutRegistry().LoadLut(ToPath(name + ".png"), back, -1);
    QCOMPARE(QString::fromStdString(LutRegistry().GetLutFormat(back.FormatIndex)->Name),
             QStringLiteral("Hald CLUT"));
    QCOMPARE(back.Size3D(), 64);
  }

  // What main() hands over from its command line: files, relative ones too,
  // and folders, whose files the LUT filter shows are added.
  void commandLineFilesAndFoldersOpenInTheList() {
    const QString folder = Dir.path() + "/looks";
    QDir().mkpath(folder + "/old");
    WriteCube(folder, "b.cube");
    WriteText(folder, "a.3dl", TenBit3dl());
    WriteText(folder, "readme.md", "not offered by the filter\n");
    WriteCube(folder + "/old", "deep.cube");  // subfolders are not entered
    WriteCube(Dir.path(), "single.cube");
    const QString before = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    Main->AddPaths({"single.cube", folder});
    QDir::setCurrent(before);
    QCOMPARE(Main->RowCount(), 3);
    QCOMPARE(Text(0, 0), QStringLiteral("a.3dl"));
    QCOMPARE(Text(0, 1), QStringLiteral("3DL"));
    QCOMPARE(Text(1, 0), QStringLiteral("b.cube"));
    QCOMPARE(Text(2, 0), QStringLiteral("single.cube"));
    QCOMPARE(Text(2, 2), QDir::toNativeSeparators(Dir.path()));
    QVERIFY(Checked(0) && Checked(1) && Checked(2));
    QVERIFY(Dialogs.Errors.isEmpty());
  }

  void droppedFilesAndFoldersJoinTheListAndAPictureThePreview() {
    const QString folder = Dir.path() + "/dropped";
    QDir().mkpath(folder);
    WriteCube(folder, "x.cube");
    WriteCube(folder, "y.cube");
    const QString notes = WriteText(Dir.path(), "notes.txt", "hello\n");
    QWidget* list = Main->lvwFiles->viewport();
    QVERIFY(DropFiles(list, {notes, folder}));
    QCOMPARE(Main->RowCount(), 3);
    QCOMPARE(Text(0, 0), QStringLiteral("x.cube"));
    QCOMPARE(Text(2, 0), QStringLiteral("notes.txt"));
    QCOMPARE(Text(2, 1), QStringLiteral("unknown"));
    // A move is never accepted: the file manager would delete the original.
    QVERIFY(!DropFiles(list, {notes}, Qt::MoveAction));
    QCOMPARE(Main->RowCount(), 3);
    // Any picture the codecs read becomes the ungraded picture, a PNG too.
    QImage png(64, 48, QImage::Format_RGB888);
    png.fill(Qt::darkCyan);
    QVERIFY(png.save(Dir.path() + "/frame.png"));
    Select(0);
    const QImage before = Main->pnlPreview->imgApplied->Picture();
    QVERIFY(DropFiles(Main->pnlPreview, {Dir.path() + "/frame.png"}));
    WaitForPreview();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Main->pnlPreview->Ungraded().size(), QSize(64, 48));
    QVERIFY(Main->pnlPreview->imgApplied->Picture() != before);
    // The picture chooser opens where that picture came from.
    Main->btnLoadPreviewClick();
    QCOMPARE(Dialogs.LastOpenFolder, QDir::toNativeSeparators(Dir.path()));
  }

  void settingsComeBackInASecondWindow() {
    QTemporaryDir store, in, out;
    QSettings settings(store.filePath("tovi.conf"), QSettings::IniFormat);
    Open(&settings);
    Main->resize(1000, 700);
    Main->sbnPreviewClick();  // hidden
    Add({WriteCube(in.path(), "a.cube")});
    ScriptConvert(out.path(), "Cube 3D Davinci", "33");
    Main->btnConvertClick();
    QVERIFY(QFile::exists(out.path() + "/a.cube"));
    Main->close();

    Open(&settings);  // also forgets the output folder of the run
    QCOMPARE(Main->size(), QSize(1000, 700));
    QVERIFY(Main->pnlPreview->isHidden() && !Main->sbnPreview->isChecked());
    Add({});
    QCOMPARE(Dialogs.LastOpenFolder, QDir::toNativeSeparators(in.path()));
    Add({WriteCube(in.path(), "b.cube")});
    QString profile, size, folder;
    Dialogs.RunHandlers.push_back([&](QDialog& d) {
      auto& dialog = static_cast<TfrmConvert&>(d);
      profile = dialog.Controls->cbxOutFormat->currentText();
      size = dialog.Controls->cbxDimSize->currentText();
      folder = dialog.edtOutFolder->text();
      return int(QDialog::Rejected);
    });
    Main->btnConvertClick();
    QCOMPARE(profile, QStringLiteral("Cube 3D Davinci"));
    QCOMPARE(size, QStringLiteral("33"));
    QCOMPARE(folder, out.path());
    Main.reset();  // before the store it points to goes
  }

  // The conversion's choice is stored as its batch starts, while the disk is
  // idle; quitting afterwards with nothing changed writes nothing, so it does
  // not wait for the disk to take the batch's outputs.
  void quittingAfterABatchWritesNothingUnchanged() {
    QTemporaryDir store, in, out;
    const QString file = store.filePath("tovi.conf");
    QSettings settings(file, QSettings::IniFormat);
    Open(&settings);
    Main->close();
    Open(&settings);
    Add({WriteCube(in.path(), "a.cube")});
    ScriptConvert(out.path(), "Cube 3D Davinci", "33");
    Main->btnConvertClick();
    QVERIFY(QFile::exists(out.path() + "/a.cube"));
    QCOMPARE(QSettings(file, QSettings::IniFormat).value("convert/profile").toString(),
             QStringLiteral("Cube 3D Davinci"));
    QVERIFY(QFile::remove(file));
    Main->close();
    QVERIFY(!QFile::exists(file));
    Main.reset();
  }

  // The splitter dragged and a picture dropped onto the preview come back in
  // the next window; a remembered picture gone since is said, and the
  // built-in one shown.
  void theSplitterAndThePreviewPictureComeBack() {
    QTemporaryDir store;
    QSettings settings(store.filePath("tovi.conf"), QSettings::IniFormat);
    Open(&settings);
    Main->resize(1200, 700);
    QApplication::processEvents();
    QWidget* handle = Main->splPreview->handle(1);
    const int before = Main->pnlPreview->width();
    QCOMPARE(before, 300);  // a quarter
    QTest::mousePress(handle, Qt::LeftButton, {}, handle->rect().center());
    QTest::mouseMove(handle, handle->rect().center() - QPoint(200, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, handle->rect().center() - QPoint(200, 0));
    QCOMPARE(Main->pnlPreview->width(), before + 200);
    Main->resize(1500, 700);  // the share is kept as the window grows
    QApplication::processEvents();
    QCOMPARE(Main->pnlPreview->width(), 625);
    QImage picture(64, 48, QImage::Format_RGB888);
    picture.fill(Qt::darkMagenta);
    const QString file = store.filePath("frame.png");
    QVERIFY(picture.save(file));
    QVERIFY(DropFiles(Main->pnlPreview, {file}));
    Main->close();

    Open(&settings);
    QCOMPARE(Main->size(), QSize(1500, 700));
    QCOMPARE(Main->pnlPreview->width(), 625);
    QCOMPARE(Main->pnlPreview->Ungraded().size(), QSize(64, 48));
    QVERIFY(Main->statusBar()->currentMessage().isEmpty());
    Main->close();

    QFile::remove(file);
    Open(&settings);
    QCOMPARE(Main->pnlPreview->Ungraded().size(), BuiltInPreviewImage().size());
    QVERIFY2(Main->statusBar()->currentMessage().startsWith("The preview picture was not loaded: " +
                                                            QDir::toNativeSeparators(file)),
             qPrintable(Main->statusBar()->currentMessage()));
    Main.reset();  // before the store it points to goes
  }

  // "Source" chosen from the size list comes back as "Source", and the next
  // batch keeps each file's own size.
  void aRememberedSourceSizeComesBack() {
    QTemporaryDir store, in, out;
    QSettings settings(store.filePath("tovi.conf"), QSettings::IniFormat);
    Open(&settings);
    Add({WriteCube(in.path(), "a.cube")});
    Dialogs.FolderAnswers.push_back(out.path());
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmConvert&>(d);
      dialog.btnSelectFolder->click();
      Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
      QComboBox* size = dialog.Controls->cbxDimSize;
      size->setFocus();
      while (size->currentText() != QStringLiteral("Source") && size->currentIndex() < size->count() - 1)
        QTest::keyClick(size, Qt::Key_Down);
      dialog.btnConvert->click();
      return dialog.result();
    });
    Main->btnConvertClick();
    Main->close();

    Open(&settings);
    Add({WriteCube(in.path(), "b.cube")});
    QString shown;
    Dialogs.RunHandlers.push_back([&](QDialog& d) {
      auto& dialog = static_cast<TfrmConvert&>(d);
      shown = dialog.Controls->cbxDimSize->currentText();
      dialog.btnConvert->click();
      return dialog.result();
    });
    Main->btnConvertClick();
    QCOMPARE(shown, QStringLiteral("Source"));
    QVERIFY(ReadAll(out.path() + "/b.cube").contains("LUT_3D_SIZE 2\n"));  // its own 2 points
    Main.reset();
  }

  void severalRowsTakeOneDeleteAndOneBitsOverride() {
    Add({WriteText(Dir.path(), "a.3dl", TenBit3dl()), WriteCube(Dir.path(), "b.cube"),
         WriteText(Dir.path(), "c.3dl", TenBit3dl()), WriteText(Dir.path(), "d.txt", "notes\n")});
    Select(0);
    QTest::mouseClick(Main->lvwFiles->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      Main->lvwFiles->visualItemRect(Main->Row(2)).center());
    Main->Row(3)->setSelected(true);  // unknown: no depth to set, and no message
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmSetBitsPerValue&>(d);
      dialog.cbxBits->setCurrentIndex(dialog.cbxBits->findText("12"));
      dialog.btnOK->click();
      return dialog.result();
    });
    Main->miSetBitsClick();
    WaitForPreview();
    QCOMPARE(Main->Row(0)->Entry->BitsPerValue, 12);
    QCOMPARE(Main->Row(2)->Entry->BitsPerValue, 12);
    QCOMPARE(Main->Row(1)->Entry->BitsPerValue, -1);
    QCOMPARE(Text(0, 1), QStringLiteral("3DL (12 bit)"));
    QCOMPARE(Text(1, 1), QStringLiteral("Cube 3D"));
    QCOMPARE(Main->pnlPreview->PreviewRecord().Cube(1, 1, 1).R, 1023.0 / 4095.0);  // the current row, c.3dl
    QVERIFY(Dialogs.Informations.isEmpty());
    // Back to Default: the row shows the format alone again.
    Main->Row(3)->setSelected(false);
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmSetBitsPerValue&>(d);
      [&] { QCOMPARE(dialog.cbxBits->currentText(), QStringLiteral("12")); }();  // shared by both rows
      dialog.cbxBits->setCurrentIndex(0);
      dialog.btnOK->click();
      return dialog.result();
    });
    Main->miSetBitsClick();
    QCOMPARE(Text(2, 1), QStringLiteral("3DL"));
    // Delete takes every selected row; the row after the first of them is selected.
    Main->Row(3)->setSelected(true);
    Main->miDeleteClick();
    QCOMPARE(Main->RowCount(), 1);
    QCOMPARE(Text(0, 0), QStringLiteral("b.cube"));
    QVERIFY(Main->Row(0)->isSelected());
  }

  // A header click sorts the rows, up then down; each row keeps its check
  // state, options, selection and outcome, and the batch goes down the list
  // as it is shown. Rows added later join the order.
  void aHeaderClickSortsTheRowsWithAllTheyHold() {
    QTemporaryDir in, out;
    QDir().mkpath(in.path() + "/x");
    QDir().mkpath(in.path() + "/y");
    const QString broken = WriteText(in.path() + "/y", "b.cube", "LUT_3D_SIZE 2\n0 0 0\n");
    Add({WriteCube(in.path() + "/y", "A.cube"), broken});
    Add({WriteCube(in.path() + "/x", "c.3dl")});
    Main->Row(2)->setCheckState(0, Qt::Unchecked);  // x/c.3dl, listed last: its folder sorts first
    Select(1);
    QWidget* header = Main->lvwFiles->header()->viewport();
    const auto click = [&](int column) {
      const QHeaderView* h = Main->lvwFiles->header();
      QTest::mouseClick(header, Qt::LeftButton, {},
                        QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2));
    };
    const auto names = [&] {
      QStringList list;
      for (int i = 0; i < Main->RowCount(); ++i) list << Text(i, 0);
      return list;
    };
    QCOMPARE(names(), QStringList({"A.cube", "b.cube", "c.3dl"}));  // as added, until a click
    click(2);  // Folder, then the name
    QCOMPARE(names(), QStringList({"c.3dl", "A.cube", "b.cube"}));
    QVERIFY(!Checked(0) && Checked(1) && Checked(2));
    QCOMPARE(Main->lvwFiles->selectedItems(), QList<QTreeWidgetItem*>{Main->Row(2)});  // b.cube still
    click(0);  // File Name, up
    QCOMPARE(names(), QStringList({"A.cube", "b.cube", "c.3dl"}));
    click(0);  // and down
    QCOMPARE(names(), QStringList({"c.3dl", "b.cube", "A.cube"}));
    QVERIFY(!Checked(0));
    // The batch stops at b.cube, the first failure down the list as shown:
    // A.cube, below it, is not tried.
    Main->Row(0)->setCheckState(0, Qt::Checked);
    ScriptConvert(out.path(), "Cube 3D Davinci");
    Main->btnConvertClick();
    QCOMPARE(Main->statusBar()->currentMessage(), QStringLiteral("1 converted, 0 skipped, 1 failed, 1 not tried."));
    QVERIFY(QFile::exists(out.path() + "/c.cube") && !QFile::exists(out.path() + "/A.cube"));
    QCOMPARE(Main->Row(0)->Outcome, TRowOutcome::Converted);
    QCOMPARE(Main->Row(1)->Outcome, TRowOutcome::Failed);
    QCOMPARE(Main->Row(2)->Outcome, TRowOutcome::NotTried);
    click(0);  // up again: the outcomes go with their rows
    QCOMPARE(Main->Row(0)->Outcome, TRowOutcome::NotTried);
    QCOMPARE(Main->Row(1)->toolTip(0), Dialogs.Errors.value(0));
    // A row added later takes its place in the order, and a long folder
    // widens its column to show it whole.
    const QString deep = in.path() + "/a folder whose name is long enough to need more than the first width";
    QDir().mkpath(deep);
    Add({WriteCube(deep, "B2.cube")});
    QCOMPARE(names(), QStringList({"A.cube", "b.cube", "B2.cube", "c.3dl"}));
    QTreeWidget* list = Main->lvwFiles;
    QVERIFY(list->columnWidth(2) >= list->fontMetrics().horizontalAdvance(QDir::toNativeSeparators(deep)));
    QCOMPARE(list->columnWidth(0), 250);  // short names keep the first width
  }

  // An empty list says what it takes; a list with rows does not.
  void theEmptyListSaysWhereToDrop() {
    QCOMPARE(TFileList::PlaceholderText(), QStringLiteral("Drop LUT files or folders here"));
    QWidget* view = Main->lvwFiles->viewport();
    const auto inkInTheMiddle = [&] {
      const QImage shot = view->grab().toImage();
      const QRect middle(0, shot.height() / 3, shot.width(), shot.height() / 3);
      const QRgb base = shot.pixel(2, shot.height() - 3);
      for (int y = middle.top(); y < middle.bottom(); ++y)
        for (int x = middle.left(); x < middle.right(); ++x)
          if (shot.pixel(x, y) != base) return true;
      return false;
    };
    QVERIFY(inkInTheMiddle());
    Add({WriteCube(Dir.path(), "a.cube")});
    QVERIFY(!inkInTheMiddle());
    Main->miClearListClick();
    QVERIFY(inkInTheMiddle());
  }

  // The menu bar lists every command with its key; the keys work from the
  // window as the menus show them.
  void menuBarShowsEveryCommandWithItsKey_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("keys");
    const auto row = [](const char* menu, const char* command, const char* keys) {
      QTest::newRow(command) << menu << command << keys;
    };
    row("File", "Add LUTs...", "Ctrl+O");
    row("File", "Add Folder...", "Ctrl+Shift+O");
    row("File", "Convert...", "Ctrl+Return");
    row("File", "Merge...", "Ctrl+M");
    row("File", "ICC...", "Ctrl+I");
    row("File", "Hald...", "Ctrl+H");
    row("File", "Quit", "Ctrl+Q");
    row("Edit", "Undo", "Ctrl+Z");
    row("Edit", "Select All", "Ctrl+A");
    row("Edit", "Remove\tDel", "");
    row("Edit", "Set Bits Per Color...", "Ctrl+B");
    row("Edit", "Clear List", "Ctrl+Shift+Del");
    row("Help", "Keyboard Shortcuts", "F1");
    row("Help", "About", "");
  }
  void menuBarShowsEveryCommandWithItsKey() {
    QFETCH(QString, menu);
    QFETCH(QString, command);
    QFETCH(QString, keys);
    QAction* found = nullptr;
    for (QAction* title : Main->menuBar()->actions()) {
      if (title->text().remove('&') != menu) continue;
      QVERIFY2(title->text().contains('&'), qPrintable(title->text()));  // an Alt mnemonic
      for (QAction* a : title->menu()->actions())
        if (a->text().remove('&') == command) found = a;
    }
    QVERIFY2(found, qPrintable(command));
    QCOMPARE(found->shortcut().toString(QKeySequence::PortableText), keys);
    QVERIFY(found->text().contains('&'));
  }

  // Remove and Clear List take rows out; Ctrl+Z puts them back where they were.
  void removeAndClearListCanBeUndone() {
    Add({WriteCube(Dir.path(), "a.cube"), WriteCube(Dir.path(), "b.cube"), WriteCube(Dir.path(), "c.cube")});
    Main->UpdateContextMenu();
    QCOMPARE(Main->miDelete->text(), QStringLiteral("Remove from List"));
    QVERIFY(ActivateWindowOf(Main.get()));
    Select(1);
    Main->lvwFiles->setFocus();
    QTest::keyClick(Main->lvwFiles, Qt::Key_Delete);
    QCOMPARE(Main->RowCount(), 2);
    QTest::keyClick(Main->lvwFiles, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Main->RowCount(), 3);
    QCOMPARE(Text(1, 0), QStringLiteral("b.cube"));
    Main->Row(2)->setCheckState(0, Qt::Unchecked);
    QTest::keyClick(Main.get(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);  // Clear List
    QCOMPARE(Main->RowCount(), 0);
    QVERIFY(!Main->btnConvert->isEnabled());
    QTest::keyClick(Main.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Main->RowCount(), 3);
    QCOMPARE(Text(0, 0), QStringLiteral("a.cube"));
    QVERIFY(Checked(0) && !Checked(2));
    QVERIFY(Main->btnConvert->isEnabled());
    QVERIFY(!Main->miUndo->isEnabled());
    // The shortcuts list names every key of the menus.
    Main->MenuAction("Keyboard Shortcuts")->trigger();
    QVERIFY(Dialogs.Informations.last().contains("Clear List: Ctrl+Shift+Del"));
  }

  void keyboardShortcuts() {
    Add({WriteCube(Dir.path(), "a.cube")});
    Dialogs.OpenFilesAnswers.push_back({WriteCube(Dir.path(), "b.cube")});
    // A toolbar button's shortcut presses it as a click would: shortly after.
    QTest::keyClick(Main.get(), Qt::Key_O, Qt::ControlModifier);
    QTRY_COMPARE(Main->RowCount(), 2);
    bool converting = false;
    Dialogs.RunHandlers.push_back([&](QDialog& d) {
      converting = qobject_cast<TfrmConvert*>(&d) != nullptr;
      return int(QDialog::Rejected);
    });
    QTest::keyClick(Main.get(), Qt::Key_Return, Qt::ControlModifier);
    QTRY_VERIFY(converting);
    Main->activateWindow();  // back from the dialog (Delete is tried with the list above)
    QVERIFY(QTest::qWaitForWindowActive(Main.get()));
    QTest::keyClick(Main.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!Main->isVisible());
  }

  // The boxes keep their 210 x 169 in the first window and grow with a
  // larger one; in a window too low for them the pane scrolls, and no
  // picture ever covers a caption.
  void previewGrowsWithTheWindow_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<int>("boxWidth");
    QTest::newRow("first size") << QSize(881, 640) << 210;
    QTest::newRow("smallest") << QSize(400, 200) << 210;
    QTest::newRow("large") << QSize(1600, 1000) << 360;
  }
  void previewGrowsWithTheWindow() {
    QFETCH(QSize, window);
    QFETCH(int, boxWidth);
    Add({WriteCube(Dir.path(), "a.cube")});
    Select(0);
    Main->resize(window);
    QApplication::processEvents();
    TPreviewPane* pane = Main->pnlPreview;
    QCOMPARE(pane->imgUngraded->width(), boxWidth);
    QCOMPARE(pane->imgApplied->height(), boxWidth * 169 / 210);
    QWidget* parts[] = {pane->lblUngraded, pane->imgUngraded, pane->lblApplied, pane->imgApplied,
                        pane->lblComments, pane->memInfo};
    for (int i = 1; i < 6; ++i)
      QVERIFY2(parts[i]->geometry().top() >= parts[i - 1]->geometry().bottom(), qPrintable(QString::number(i)));
    QVERIFY(pane->imgApplied->geometry().right() < pane->width());
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
