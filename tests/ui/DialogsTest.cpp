// The option dialogs, the merge list's drag-to-swap and the About box, each
// opened without a modal loop.
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/LUTFormat.h"
#include "ops/OutputOptions.h"
#include "ui/About.h"
#include "ui/ConvertForm.h"
#include "ui/LongTextDialog.h"
#include "ui/LutJoinForm.h"
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>

namespace {

// Counts the key presses that reach a control.
class TKeySpy : public QObject {
 public:
  QList<int> Keys;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) Keys << static_cast<QKeyEvent*>(event)->key();
    return false;
  }
};

void Choose(QComboBox* box, const QString& text) {
  const int index = box->findText(text);
  QVERIFY2(index >= 0, qPrintable(text));
  box->setCurrentIndex(index);
}

QStringList Items(QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// Drops the entry at `from` onto the entry at `onto`, with the payload the
// list gives its own drags (Qt delivers drop events only during a real drag).
void DragOnto(TMergeFileList* list, int from, int onto) {
  std::unique_ptr<QMimeData> data(list->model()->mimeData({list->model()->index(from, 0)}));
  const QPoint at = list->visualItemRect(list->item(onto)).center();
  list->DropOnto(data.get(), at);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private:
  TScriptedDialogs Dialogs;

 private slots:
  void init() {
    Dialogs = TScriptedDialogs();
    LastOutputFolder().clear();
  }

  void convertDialogEnablingAndLists() {
    TfrmConvert dialog(LutRegistry(), Dialogs, nullptr);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Convertion Settings"));
    QCOMPARE(dialog.size(), QSize(475, 306));  // the specified 246 and the rows of two boxes
    QVERIFY(!dialog.chkVerify->isChecked() && !dialog.chkGoOn->isChecked());
    QCOMPARE(dialog.Controls->cbxOutFormat->currentIndex(), -1);
    QVERIFY(!dialog.btnConvert->isEnabled() && !dialog.Controls->cbxDimSize->isEnabled());
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    QVERIFY(!dialog.btnConvert->isEnabled());  // no folder yet
    QCOMPARE(Items(dialog.Controls->cbxDimSize),
             QStringList({"Default", "8", "16", "17", "32", "33", "64", "Source"}));
    Dialogs.FolderAnswers.push_back("/tmp/out/");
    dialog.btnSelectFolder->click();
    QVERIFY(dialog.btnConvert->isEnabled());
    QCOMPARE(QString::fromStdString(LastOutputFolder()), dialog.edtOutFolder->text());
    // A 1D profile with a size list: curve lengths, text and bits back to Default.
    dialog.Controls->cbxBits->setCurrentIndex(3);
    Choose(dialog.Controls->cbxOutFormat, "Autodesk Lustre 1D");
    QCOMPARE(Items(dialog.Controls->cbxDimSize).mid(0, 3), QStringList({"Default", "1024", "2048"}));
    QCOMPARE(dialog.Controls->cbxDimSize->currentText(), QStringLiteral("Default"));
    QCOMPARE(dialog.Controls->cbxBits->currentText(), QStringLiteral("Default"));
    // A second dialog offers the folder chosen in the first.
    TfrmConvert again(LutRegistry(), Dialogs, nullptr);
    QCOMPARE(again.edtOutFolder->text(), dialog.edtOutFolder->text());
  }

  // The folder box takes typing and pasting, with the picker's check that
  // the folder exists.
  void convertDialogTakesATypedFolder_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("warning");
    QTemporaryDir dir;
    const QString tmp = QDir::tempPath();
    QTest::newRow("relative") << "out" << "\"out\" is not a full path.";
    QTest::newRow("a file") << QString(TOVI_TEST_DATA "/cube/identity_2.cube")
                            << "\"" TOVI_TEST_DATA "/cube/identity_2.cube\" is a file, not a folder.";
    QTest::newRow("pasted address") << "file://" + tmp + "/" << QString();
    QTest::newRow("pasted in quotes") << "'" + tmp + "'" << QString();
  }
  void convertDialogTakesATypedFolder() {
    QFETCH(QString, typed);
    QFETCH(QString, warning);
    TfrmConvert dialog(LutRegistry(), Dialogs, nullptr);
    dialog.show();
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    QVERIFY(!dialog.edtOutFolder->isReadOnly());
    QTest::keyClicks(dialog.edtOutFolder, typed);
    dialog.btnConvert->click();
    QCOMPARE(Dialogs.Warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
    QCOMPARE(dialog.result(), int(warning.isEmpty() ? QDialog::Accepted : QDialog::Rejected));
    if (warning.isEmpty()) QCOMPARE(QString::fromStdString(LastOutputFolder()), QDir::tempPath());
  }

  // A missing output folder is asked about: Cancel keeps the dialog, Yes
  // makes the folder and converts.
  void aMissingOutputFolderIsMadeAfterAQuestion() {
    QTemporaryDir dir;
    const QString missing = dir.path() + "/no/such/folder";
    TfrmConvert dialog(LutRegistry(), Dialogs, nullptr);
    dialog.show();
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    QTest::keyClicks(dialog.edtOutFolder, missing);
    dialog.btnConvert->click();
    QCOMPARE(Dialogs.Confirmations, QStringList{"The folder \"" + missing +
                                                "\" does not exist. Do you want to create it? [Yes/Cancel]"});
    QVERIFY(!QFileInfo::exists(missing) && dialog.result() == QDialog::Rejected);
    Dialogs.ConfirmAnswers.push_back(TConfirmAnswer::Yes);
    dialog.btnConvert->click();
    QVERIFY(QFileInfo(missing).isDir());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(Dialogs.Warnings.isEmpty());
  }

  void sizeFieldTakesDigitsOnly() {
    TfrmConvert dialog(LutRegistry(), Dialogs, nullptr);
    dialog.show();
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    QLineEdit* field = dialog.Controls->cbxDimSize->lineEdit();
    QTest::keyClick(field, Qt::Key_7);
    QCOMPARE(field->text(), QStringLiteral("7"));
    QTest::keyClicks(field, "a12x3456");
    QCOMPARE(field->text(), QStringLiteral("71234"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("7123"));
    QCOMPARE(dialog.Controls->Options.EffectiveSize(), 99);
    // Choosing from the list, then Delete on "Default".
    dialog.Controls->cbxDimSize->activated(2);
    emit dialog.Controls->cbxDimSize->activated(0);
    QCOMPARE(field->text(), QStringLiteral("Default"));
    QTest::keyClick(field, Qt::Key_Delete);
    QCOMPARE(field->text(), QString());
  }

  void altNeverReachesTheControls() {
    TfrmConvert dialog(LutRegistry(), Dialogs, nullptr);
    dialog.show();
    TKeySpy spy;
    dialog.Controls->cbxOutFormat->installEventFilter(&spy);
    QTest::keyPress(dialog.Controls->cbxOutFormat, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyPress(dialog.Controls->cbxOutFormat, Qt::Key_Down);
    QCOMPARE(spy.Keys, QList<int>{Qt::Key_Down});
  }

  void mergeSwapsByDragAndSavesInThatOrder() {
    QTemporaryDir dir;
    std::vector<std::filesystem::path> files;
    for (const char* name : {"a.cube", "b.cube", "c.cube"})
      files.push_back(WriteCube(dir.path(), name, 0.5).toStdString());
    // c is not a plain gain: a darkening curve, so the order matters.
    WriteText(dir.path(), "c.cube", "LUT_1D_SIZE 2\n0.2 0.2 0.2\n1 1 1\n");
    TfrmJoinLut dialog(LutRegistry(), Dialogs, files, nullptr);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Merge LUT files"));
    QCOMPARE(dialog.size(), QSize(496, 385));
    QVERIFY(!dialog.edtLUTFile->isEnabled() && !dialog.btnSelectFile->isEnabled() && !dialog.btnSave->isEnabled());
    DragOnto(dialog.lbxFiles, 0, 2);
    QCOMPARE(dialog.lbxFiles->count(), 3);
    QCOMPARE(dialog.lbxFiles->item(0)->text(), QDir::toNativeSeparators(dir.path() + "/c.cube"));
    QCOMPARE(dialog.lbxFiles->item(1)->text(), QDir::toNativeSeparators(dir.path() + "/b.cube"));
    QCOMPARE(dialog.lbxFiles->item(2)->text(), QDir::toNativeSeparators(dir.path() + "/a.cube"));
    // A drop from elsewhere changes nothing.
    QMimeData foreign;
    foreign.setText("x");
    dialog.lbxFiles->DropOnto(&foreign, dialog.lbxFiles->visualItemRect(dialog.lbxFiles->item(1)).center());
    QCOMPARE(dialog.lbxFiles->item(0)->text(), QDir::toNativeSeparators(dir.path() + "/c.cube"));

    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    QCOMPARE(Items(dialog.Controls->cbxDimSize), QStringList({"Default", "17", "32", "33", "64"}));
    QVERIFY(dialog.btnSelectFile->isEnabled() && !dialog.btnSave->isEnabled());
    const QString output = dir.path() + "/merged.cube";
    Dialogs.SaveFileAnswers.push_back({output, 0});
    dialog.btnSelectFile->click();
    QVERIFY(dialog.btnSave->isEnabled());
    QCOMPARE(QString::fromStdString(LastOutputFolder()), QDir::toNativeSeparators(dir.path()));
    QTest::keyClick(dialog.Controls->cbxDimSize->lineEdit(), Qt::Key_2);
    dialog.btnSave->click();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Dialogs.Informations, QStringList{"The LUT file was successfully created."});
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // Curve first (0 -> 0.2), then the two halvings: black becomes 0.05.
    const QByteArray text = ReadAll(output);
    QVERIFY2(text.contains("LUT_3D_SIZE 2\n0.050000 0.050000 0.050000\n"), text.constData());

    // An existing output: Cancel writes nothing and keeps the dialog open.
    TfrmJoinLut second(LutRegistry(), Dialogs, files, nullptr);
    second.show();
    Choose(second.Controls->cbxOutFormat, "Cube 3D Davinci");
    Dialogs.SaveFileAnswers.push_back({output, 0});
    second.btnSelectFile->click();
    Dialogs.ConfirmAnswers.push_back(TConfirmAnswer::Cancel);
    second.btnSave->click();
    QCOMPARE(Dialogs.Confirmations.size(), 1);
    QVERIFY(Dialogs.Confirmations[0].endsWith("[Yes/Cancel]"));
    QCOMPARE(ReadAll(output), text);
    QVERIFY(second.isVisible());
  }

  // Click into the size box, select all, type 65, Enter: Save writes 65 points.
  void mergeWritesTheTypedSize() {
    QTemporaryDir dir;
    TfrmJoinLut dialog(LutRegistry(), Dialogs, {WriteCube(dir.path(), "a.cube", 0.5).toStdString()}, nullptr);
    dialog.show();
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    Dialogs.SaveFileAnswers.push_back({dir.path() + "/merged.cube", 0});
    dialog.btnSelectFile->click();
    QVERIFY(TypeAsUser(dialog.Controls->cbxDimSize, "65"));
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(dialog.Controls->cbxDimSize->currentText(), QStringLiteral("65"));
    QVERIFY(ReadAll(dir.path() + "/merged.cube").contains("LUT_3D_SIZE 65\n"));
  }

  // Alt and a label's letter take the focus to its field; Tab follows the
  // merge dialog's layout, the file path between format and size.
  void labelsHaveMnemonicsAndTabFollowsTheLayout() {
    TfrmJoinLut dialog(LutRegistry(), Dialogs, {}, nullptr);
    dialog.show();
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    QVERIFY(ActivateWindowOf(&dialog));
    QTest::keyClick(&dialog, Qt::Key_D, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), dialog.Controls->cbxDimSize);
    QTest::keyClick(&dialog, Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), dialog.Controls->cbxOutFormat);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), dialog.edtLUTFile);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), dialog.btnSelectFile);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), dialog.Controls->cbxDimSize);
  }

  void mergeTakesATypedFileName() {
    QTemporaryDir dir;
    TfrmJoinLut dialog(LutRegistry(), Dialogs, {WriteCube(dir.path(), "a.cube", 0.5).toStdString()}, nullptr);
    dialog.show();
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    QTest::keyClicks(dialog.edtLUTFile, dir.path() + "/missing/look");
    QVERIFY(dialog.btnSave->isEnabled());
    dialog.btnSave->click();
    QCOMPARE(Dialogs.Warnings.size(), 1);
    QVERIFY(dialog.isVisible());
    dialog.edtLUTFile->setText(dir.path() + "/look");  // no extension: the profile's, as the picker adds
    dialog.btnSave->click();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(dialog.edtLUTFile->text(), QDir::toNativeSeparators(dir.path() + "/look.cube"));
    QVERIFY(QFile::exists(dir.path() + "/look.cube"));
  }

  void mergeFormatChangeReplacesTheExtension() {
    TfrmJoinLut dialog(LutRegistry(), Dialogs, {}, nullptr);
    Choose(dialog.Controls->cbxOutFormat, "Cube 3D Davinci");
    Dialogs.SaveFileAnswers.push_back({"/tmp/out/look.v1.cube", 0});
    dialog.btnSelectFile->click();
    Choose(dialog.Controls->cbxOutFormat, "Davinci DAT 3D");
    QCOMPARE(dialog.edtLUTFile->text(), QDir::toNativeSeparators("/tmp/out/look.v1.dat"));
    QVERIFY(dialog.btnSave->isEnabled());
  }

  // A 300-file report: the window fits the screen, its OK button in view,
  // the text scrolls, and the user may resize it.
  void aLongResultFitsTheScreen() {
    QStringList lines;
    for (int i = 0; i < 300; ++i) lines << QStringLiteral("look_%1.cube: largest difference 0.000122").arg(i);
    TLongTextDialog dialog(QMessageBox::Information, "Information", lines.join('\n'), nullptr);
    dialog.show();
    const QRect screen = dialog.screen()->availableGeometry();
    QVERIFY(dialog.height() <= screen.height() && dialog.width() <= screen.width());
    QVERIFY(dialog.rect().contains(dialog.btnOK->geometry()));
    QVERIFY(dialog.memText->verticalScrollBar()->maximum() > 0);
    QVERIFY(dialog.minimumSize() != dialog.maximumSize());
    QTest::mouseClick(dialog.btnOK, Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void aboutTitleShrinksToFit() {
    TAboutForm about(nullptr);
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(about.size(), QSize(356, 246));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version: 1.33"));
    const QString longName = QStringLiteral("Tovi LUT Converter Professional Edition");
    const QFont normal = TAboutForm::TitleFontFor(QStringLiteral("Tovi LUT Converter"));
    const QFont shrunk = TAboutForm::TitleFontFor(longName);
    QVERIFY(normal.bold() && normal.underline());
    QVERIFY(QFontInfo(shrunk).pointSizeF() < QFontInfo(normal).pointSizeF());
    QVERIFY(QFontMetrics(shrunk).horizontalAdvance(longName) < 261);
    QVERIFY(QFontMetrics(shrunk).height() < 36);
    TAboutForm wide(nullptr, longName);
    QCOMPARE(wide.lblTitle->text(), longName);  // shown whole, not cut
  }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
