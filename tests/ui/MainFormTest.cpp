// The main window driven as a user would, with every message box, picker and
// dialog answered by the script.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/LUTFormat.h"
#include "ops/OutputOptions.h"
#include "ui/ConvertForm.h"
#include "ui/MainForm.h"
#include "ui/PreviewPane.h"
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
  void Select(int row) { Main->lvwFiles->setCurrentItem(Main->Row(row)); }

  // Works the conversion dialog: folder, profile and size, then Convert.
  void ScriptConvert(const QString& folder, const QString& profile, const QString& size = {}) {
    Dialogs.FolderAnswers.push_back(folder);
    Dialogs.RunHandlers.push_back([=](QDialog& d) {
      auto& dialog = static_cast<TfrmConvert&>(d);
      dialog.btnSelectFolder->click();
      QComboBox* formats = dialog.Controls->cbxOutFormat;
      formats->setCurrentIndex(formats->findText(profile));
      if (!size.isEmpty()) QTest::keyClicks(dialog.Controls->cbxDimSize->lineEdit(), size);
      if (!dialog.btnConvert->isEnabled()) return int(QDialog::Rejected);
      dialog.btnConvert->click();
      return dialog.result();
    });
  }

 private slots:
  void init() {
    Dialogs = TScriptedDialogs();
    LastOutputFolder().clear();
    Main = std::make_unique<TfrmMain>(LutRegistry(), Dialogs);
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
    // The same file again is a second row; the dialog reopens in the folder.
    Add({a});
    QCOMPARE(Main->RowCount(), 4);
    QCOMPARE(Dialogs.LastOpenFolder, QDir::toNativeSeparators(Dir.path()));
    QVERIFY(Dialogs.Informations.isEmpty() && Dialogs.Errors.isEmpty());
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
    QTest::newRow("Yes") << int(TConfirmAnswer::Yes) << true << true;
    QTest::newRow("No skips that file") << int(TConfirmAnswer::No) << false << true;
    QTest::newRow("Cancel ends the batch") << int(TConfirmAnswer::Cancel) << false << false;
  }
  void conversionAsksBeforeOverwriting() {
    QFETCH(int, answer);
    QFETCH(bool, aReplaced);
    QFETCH(bool, bWritten);
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
  }

  void errorsShowTheirLine() {
    QTemporaryDir in, out;
    const QString bad = WriteText(in.path(), "bad.cube", "# grade\n\nLUT_3D_SIZE abc\n0 0 0\n");
    Add({bad});
    ScriptConvert(out.path(), "Cube 3D Davinci");
    Main->btnConvertClick();
    QCOMPARE(Dialogs.Errors.size(), 1);
    QCOMPARE(Dialogs.Errors[0], QDir::toNativeSeparators(bad) +
                                    QStringLiteral(":3: 'abc' is not a valid integer value."));
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
    QCOMPARE(Dialogs.Errors.size(), 1);  // the vanished file, reported once shown
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  void bitsOverrideChangesThe3dlPreview() {
    Add({WriteText(Dir.path(), "grade.3dl", TenBit3dl())});
    Select(0);
    const TLUT& record = Main->pnlPreview->PreviewRecord();
    QCOMPARE(record.Cube(1, 1, 1).R, 1.0);
    const QImage tenBit = Main->pnlPreview->imgApplied->Picture();
    Dialogs.RunHandlers.push_back([](QDialog& d) {
      auto& dialog = static_cast<TfrmSetBitsPerValue&>(d);
      [&] { QCOMPARE(dialog.cbxBits->currentText(), QStringLiteral("Default")); }();
      dialog.cbxBits->setCurrentIndex(dialog.cbxBits->findText("12"));
      dialog.btnOK->click();
      return dialog.result();
    });
    Main->miSetBitsClick();
    QCOMPARE(Main->Row(0)->Entry->BitsPerValue, 12);
    QCOMPARE(record.Cube(1, 1, 1).R, 1023.0 / 4095.0);
    QVERIFY(Main->pnlPreview->imgApplied->Picture() != tenBit);
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
    TLUT back;
    LutRegistry().LoadLut(ToPath(name + ".bmp"), back, -1);
    QCOMPARE(QString::fromStdString(LutRegistry().GetLutFormat(back.FormatIndex)->Name),
             QStringLiteral("Hald Image"));
    QCOMPARE(back.Cube(1, 0, 31).R, 8.0 / 255.0);
    Main->btnHaldClick();  // cancelled: nothing more is written
    QCOMPARE(QDir(Dir.path()).entryList({"hald*"}, QDir::Files).size(), 1);
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
#include "registry/FormatTable.h"
