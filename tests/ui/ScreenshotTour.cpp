// Opens the main window with a LUT selected and every dialog, and saves a
// picture of each into the folder given, for people to look at
// (tools/screenshots.sh). Dialogs are shown without a modal loop.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "UiTestSupport.h"
#include "core/LUTFormat.h"
#include "ui/About.h"
#include "ui/CdlChoiceForm.h"
#include "ui/ConvertForm.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/LongTextDialog.h"
#include "ui/LutJoinForm.h"
#include "ui/MainForm.h"
#include "ui/PreviewPane.h"
#include "ui/ProgressDlg.h"
#include "ui/SetBitsPerValueForm.h"
#include "registry/FormatTable.h"

namespace {

void Save(QWidget& window, const QString& folder, const QString& name) {
  window.show();
  window.raise();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  // A preview still being read is waited for.
  for (const TPreviewPane* pane : window.findChildren<TPreviewPane*>())
    if (!QTest::qWaitFor([pane] { return !pane->Reading(); })) qWarning("%s: the preview is still being read", qPrintable(name));
  window.grab().save(QDir(folder).filePath(name + ".png"));
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
  QDir().mkpath(out);
  QTemporaryDir dir;
  QByteArray warm = "# Warm look for the tour\n# Made by the screenshot script\nLUT_3D_SIZE 2\n";
  for (const char* node : {"0.05 0 0", "1 0.1 0", "0 0.9 0", "1 1 0.1", "0 0 0.8", "1 0.2 0.8", "0.1 0.9 0.8", "1 0.95 0.85"})
    warm += QByteArray(node) + '\n';
  const QString warmCube = WriteText(dir.path(), "warm.cube", warm);
  const QString cool = WriteCube(dir.path(), "cool.cube", 0.8);
  const QString notes = WriteText(dir.path(), "notes.txt", "not a LUT\n");

  TScriptedDialogs dialogs;
  TfrmMain main(LutRegistry(), dialogs);
  dialogs.OpenFilesAnswers.push_back({warmCube, cool, notes});
  main.show();
  Save(main, out, "main-window-empty");  // the list says what it takes
  main.btnAddClick();
  main.lvwFiles->setCurrentItem(main.Row(2));  // warm.cube
  Save(main, out, "main-window");

  // A larger window: the preview grows; a bits override shows in its row;
  // the status bar sums up the last batch.
  const QString grade = WriteText(dir.path(), "grade.3dl", "0 1023\n0 0 0\n0 0 1023\n0 1023 0\n0 1023 1023\n"
                                  "1023 0 0\n1023 0 1023\n1023 1023 0\n1023 1023 1023\n");
  main.AddPaths({grade});
  main.lvwFiles->setCurrentItem(main.Row(3));
  dialogs.RunHandlers.push_back([](QDialog& d) {
    auto& dialog = static_cast<TfrmSetBitsPerValue&>(d);
    dialog.cbxBits->setCurrentIndex(dialog.cbxBits->findText("12"));
    dialog.btnOK->click();
    return dialog.result();
  });
  main.miSetBitsClick();
  const QString converted = dir.path() + "/converted";
  QDir().mkpath(converted);
  dialogs.FolderAnswers.push_back(converted);
  // One file of the batch cannot be read; the batch goes on past it, and
  // each row shows how it went.
  const QString broken = WriteText(dir.path(), "broken.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  main.AddPaths({broken});
  dialogs.RunHandlers.push_back([](QDialog& d) {
    auto& dialog = static_cast<TfrmConvert&>(d);
    dialog.btnSelectFolder->click();
    dialog.Controls->cbxOutFormat->setCurrentIndex(dialog.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
    dialog.chkGoOn->setChecked(true);
    dialog.btnConvert->click();
    return dialog.result();
  });
  main.btnConvertClick();
  Save(main, out, "end-of-batch");  // each row's outcome, the summary, "Open output folder"
  main.lvwFiles->setCurrentItem(main.Row(2));
  main.Row(3)->setSelected(true);
  main.resize(1400, 900);
  Save(main, out, "main-window-large");
  main.resize(881, 640);
  // Sorted by a click on Folder; a CDL collection whose corrections have no
  // ids, its row chosen by place; the right-click menu on it.
  QByteArray ccc = "<ColorCorrectionCollection>\n";
  for (const char* slope : {"1 1 1", "1.1 1 0.9", "0.9 1 1.1"})
    ccc += QByteArray("<ColorCorrection><SOPNode><Slope>") + slope +
           "</Slope><Offset>0 0 0</Offset><Power>1 1 1</Power></SOPNode></ColorCorrection>\n";
  ccc += "</ColorCorrectionCollection>\n";
  QDir().mkpath(dir.path() + "/grades");
  const QString looks = WriteText(dir.path() + "/grades", "shots.ccc", ccc);
  dialogs.RunHandlers.push_back([&](QDialog& d) {
    auto& choice = static_cast<TfrmCdlChoice&>(d);
    choice.cbxCorrection->setCurrentIndex(1);
    Save(choice, out, "cdl-choice-no-ids");
    return int(QDialog::Accepted);
  });
  main.AddPaths({looks});
  main.lvwFiles->sortByColumn(2, Qt::AscendingOrder);
  for (int i = 0; i < main.RowCount(); ++i)
    if (main.Row(i)->text(0) == QStringLiteral("shots.ccc")) main.lvwFiles->setCurrentItem(main.Row(i));
  Save(main, out, "main-window-sorted");
  main.UpdateContextMenu();
  const QRect row = main.lvwFiles->visualItemRect(main.lvwFiles->currentItem());
  main.pmnFiles->popup(main.lvwFiles->viewport()->mapToGlobal(row.center()));
  Save(*main.pmnFiles, out, "menu-list");
  main.pmnFiles->hide();

  TfrmConvert convert(LutRegistry(), dialogs, &main);
  convert.edtOutFolder->setText(QDir::toNativeSeparators(dir.path()));
  convert.Controls->cbxOutFormat->setCurrentIndex(convert.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
  Save(convert, out, "convert");
  TfrmJoinLut merge(LutRegistry(), dialogs, {warmCube.toStdString(), cool.toStdString()}, &main);
  Save(merge, out, "merge");
  TfrmSetBitsPerValue bits(12, &main);
  Save(bits, out, "set-bits");
  TfrmCdlChoice cdl(QStringLiteral("looks.ccc"), {"warm", "cool", "night"}, &main);
  Save(cdl, out, "cdl-choice");
  TAboutForm about(&main);
  Save(about, out, "about");
  TfrmLUT2ICC lut2icc(LutRegistry(), dialogs, &main);
  dialogs.OpenFileAnswers.push_back(warmCube);
  lut2icc.btnSelectLut->click();
  Save(lut2icc, out, "lut-to-icc");
  lut2icc.cbxClass->setCurrentIndex(0);
  lut2icc.btnConvert->click();
  TfrmICCConvert icc(LutRegistry(), dialogs, main.pnlPreview->Ungraded(), &main);
  dialogs.OpenFileAnswers.push_back(lut2icc.edtICCFile->text());
  icc.btnSelectProfile->click();
  icc.Controls->cbxOutFormat->setCurrentIndex(icc.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
  Save(icc, out, "icc-to-lut");
  TfrmProgress progress(&main);
  progress.Show("Convertion...", "The selected files are being converted. Please wait...");
  progress.SetPercent(42);
  progress.SetItem(126, 300, QStringLiteral("A001_C004_0915_scene_look_v3.cube"));
  Save(progress, out, "progress");
  progress.Hide();
  // The menus, the long result window and the overwrite question.
  for (QAction* title : main.menuBar()->actions()) {
    QMenu* menu = title->menu();
    menu->popup(main.mapToGlobal(QPoint(0, 0)));
    Save(*menu, out, "menu-" + title->text().remove('&').toLower());
    menu->hide();
  }
  QStringList lines;
  for (int i = 0; i < 300; ++i) lines << QStringLiteral("look_%1.3dl: largest difference 0.000244").arg(i, 3, 10, QLatin1Char('0'));
  TLongTextDialog report(QMessageBox::Information, QStringLiteral("Information"), lines.join('\n'), &main);
  Save(report, out, "long-result");
  std::unique_ptr<QMessageBox> question = ConfirmForAllBox(
      &main, ToQString(OverwriteQuestion(QDir(converted).filePath("warm.cube").toStdString())));
  Save(*question, out, "overwrite-question");
  // The dialogs again with a 16-point font: they grow to show every text.
  QFont large = QApplication::font();
  large.setPointSize(16);
  QApplication::setFont(large);
  TfrmConvert convert16(LutRegistry(), dialogs, &main);
  convert16.Controls->cbxOutFormat->setCurrentIndex(convert16.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
  Save(convert16, out, "convert-16pt");
  TfrmJoinLut merge16(LutRegistry(), dialogs, {warmCube.toStdString(), cool.toStdString()}, &main);
  Save(merge16, out, "merge-16pt");
  TfrmICCConvert icc16(LutRegistry(), dialogs, main.pnlPreview->Ungraded(), &main);
  Save(icc16, out, "icc-to-lut-16pt");
  TfrmLUT2ICC lut2icc16(LutRegistry(), dialogs, &main);
  Save(lut2icc16, out, "lut-to-icc-16pt");
  TAboutForm about16(&main);
  Save(about16, out, "about-16pt");
  for (const QString& e : dialogs.Errors) qWarning("error shown: %s", qPrintable(e));
  return 0;
}
