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
#include "ui/CdlChoiceForm.h"
#include "ui/Dialogs.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/PreviewImage.h"
#include "ui/ProgressDlg.h"
#include "ui/SetBitsPerValueForm.h"
#include <QMessageBox>
#include <QScopeGuard>
#include <QLayout>
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

  // With a 16-point font every dialog grows to show each text whole: every
  // caption, check box and button is given at least the room it asks for,
  // inside the dialog, which is never below its specified size.
  void everyDialogShowsItsTextsWholeAtSixteenPoints_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QSize>("specified");
    QTest::newRow("conversion") << "conversion" << QSize(475, 306);
    QTest::newRow("merge") << "merge" << QSize(496, 385);
    QTest::newRow("ICC to LUT") << "ICC to LUT" << QSize(758, 370);
    QTest::newRow("LUT to ICC") << "LUT to ICC" << QSize(530, 329);
    QTest::newRow("bits per color") << "bits per color" << QSize(296, 125);
    QTest::newRow("About") << "About" << QSize(356, 246);
    QTest::newRow("progress") << "progress" << QSize(392, 172);
    QTest::newRow("CDL correction") << "CDL correction" << QSize();
    QTest::newRow("long result") << "long result" << QSize(360, 200);
    QTest::newRow("overwrite question") << "overwrite question" << QSize();
  }
  void everyDialogShowsItsTextsWholeAtSixteenPoints() {
    QFETCH(QString, dialog);
    QFETCH(QSize, specified);
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSize(16);
    QApplication::setFont(large);
    const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    std::unique_ptr<QWidget> window;
    if (dialog == "conversion") {
      auto convert = std::make_unique<TfrmConvert>(LutRegistry(), Dialogs, nullptr);
      Choose(convert->Controls->cbxOutFormat, "Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke");
      window = std::move(convert);
    } else if (dialog == "merge") {
      window = std::make_unique<TfrmJoinLut>(LutRegistry(), Dialogs, std::vector<std::filesystem::path>{"/looks/a.cube"}, nullptr);
    } else if (dialog == "ICC to LUT") {
      window = std::make_unique<TfrmICCConvert>(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    } else if (dialog == "LUT to ICC") {
      window = std::make_unique<TfrmLUT2ICC>(LutRegistry(), Dialogs, nullptr);
    } else if (dialog == "bits per color") {
      window = std::make_unique<TfrmSetBitsPerValue>(-1, nullptr);
    } else if (dialog == "About") {
      window = std::make_unique<TAboutForm>(nullptr);
    } else if (dialog == "progress") {
      auto progress = std::make_unique<TfrmProgress>(nullptr);
      progress->Show("Convertion...", "The selected files are being converted. Please wait...");
      progress->SetItem(126, 300, QStringLiteral("A001_C004_0915.cube"));
      window = std::move(progress);
    } else if (dialog == "CDL correction") {
      window = std::make_unique<TfrmCdlChoice>("looks.ccc", QStringList({"warm", "#2 (no id)"}), nullptr);
    } else if (dialog == "long result") {
      window = std::make_unique<TLongTextDialog>(QMessageBox::Warning, "Warning", "a.cube: up to 0.004 off.", nullptr);
    } else {
      window = ConfirmForAllBox(nullptr, "The /looks/a.cube file is already exist. Are you sure want you to overwrite it?");
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
    if (specified.isValid())
      QVERIFY2(window->width() >= specified.width() && window->height() >= specified.height(),
               qPrintable(QStringLiteral("%1 x %2").arg(window->width()).arg(window->height())));
    const QRect inside = window->rect();
    int checked = 0;
    for (QWidget* w : window->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
      else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
      if (text.isEmpty() || !w->isVisibleTo(window.get())) continue;
      ++checked;
      const QString what = QStringLiteral("%1 \"%2\": %3 x %4")
                               .arg(w->metaObject()->className(), text).arg(w->width()).arg(w->height());
      QSize wanted = w->hasHeightForWidth() ? QSize(w->minimumSizeHint().width(), w->heightForWidth(w->width()))
                                            : w->sizeHint();
      // A push button asks for a width of its own beyond its text ("...").
      if (qobject_cast<QPushButton*>(w))
        wanted.setWidth(w->fontMetrics().horizontalAdvance(QString(text).remove('&')) + 8);
      QVERIFY2(w->width() >= wanted.width() && w->height() >= wanted.height(),
               qPrintable(what + QStringLiteral(" wants %1 x %2").arg(wanted.width()).arg(wanted.height())));
      QVERIFY2(inside.contains(QRect(w->mapTo(window.get(), QPoint(0, 0)), w->size())), qPrintable(what));
    }
    QVERIFY(checked >= 1);
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
