// The two ICC dialogs on profiles the program writes itself: a LUT becomes a
// device link or display profile, which the other dialog samples back.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <lcms2.h>

#include "UiTestSupport.h"
#include "core/LUTFormat.h"
#include "ops/IccConversions.h"
#include "ops/OutputOptions.h"
#include "ui/Dialogs.h"
#include "ui/ICCConvertForm.h"
#include "ui/LUT2ICCForm.h"
#include "ui/PreviewImage.h"
#include "ui/PreviewPane.h"

class ICCDialogsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir Dir;
  TScriptedDialogs Dialogs;

  // Writes the profile of the given class and version (list positions) from
  // a halving cube.
  QString WriteProfile(int profileClass, const QString& name, int version = 0) {
    TfrmLUT2ICC dialog(LutRegistry(), Dialogs, nullptr);
    Dialogs.OpenFileAnswers.push_back(WriteCube(Dir.path(), name + ".cube", 0.5));
    dialog.btnSelectLut->click();
    dialog.cbxClass->setCurrentIndex(profileClass);
    dialog.cbxVersion->setCurrentIndex(version);
    dialog.btnConvert->click();
    return dialog.edtICCFile->text();
  }

 private slots:
  void init() { Dialogs = TScriptedDialogs(); }

  void lutToICCFillsNamesAndWrites() {
    TfrmLUT2ICC dialog(LutRegistry(), Dialogs, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("LUT to ICC Profile Conversion"));
    QCOMPARE(dialog.size(), QSize(530, 329));
    QCOMPARE(dialog.cbxClass->currentText(), QStringLiteral("Input"));
    QCOMPARE(dialog.cbxVersion->currentText(), QStringLiteral("4.0"));
    QCOMPARE(dialog.edtCopyright->text(), QStringLiteral("Copyright (c)"));
    QVERIFY(!dialog.btnConvert->isEnabled());
    Dialogs.OpenFileAnswers.push_back(WriteCube(Dir.path(), "warm.look.cube"));
    dialog.btnSelectLut->click();
    QCOMPARE(dialog.edtICCFile->text(), QDir::toNativeSeparators(Dir.path() + "/warm.look.icc"));
    QCOMPARE(dialog.edtDescription->text(), QStringLiteral("warm.look"));
    QVERIFY(dialog.btnConvert->isEnabled());
    // A second LUT replaces the description, not the output name.
    Dialogs.OpenFileAnswers.push_back(WriteCube(Dir.path(), "cool.cube"));
    dialog.btnSelectLut->click();
    QCOMPARE(dialog.edtDescription->text(), QStringLiteral("cool"));
    QCOMPARE(dialog.edtICCFile->text(), QDir::toNativeSeparators(Dir.path() + "/warm.look.icc"));
    dialog.edtCopyright->clear();
    QVERIFY(!dialog.btnConvert->isEnabled());
    dialog.edtCopyright->setText("(c) us");
    dialog.btnConvert->click();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Dialogs.Informations, QStringList{"The conversion was successfully completed."});
    QVERIFY(ReadAll(dialog.edtICCFile->text()).mid(36, 4) == "acsp");
    // Again onto the existing file: Cancel writes nothing.
    Dialogs.ConfirmAnswers.push_back(TConfirmAnswer::Cancel);
    dialog.btnConvert->click();
    QCOMPARE(Dialogs.Confirmations.size(), 1);
    QCOMPARE(Dialogs.Informations.size(), 1);
  }

  // The test picture and its result each have a caption, and both fit the
  // dialog's specified height whole, the captions clear of the pictures.
  void theTestPicturesAreLabelledAndFit() {
    TfrmICCConvert dialog(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.size(), QSize(758, 370));
    QCOMPARE(dialog.lblTest->text(), QStringLiteral("Test image"));
    QCOMPARE(dialog.lblResult->text(), QStringLiteral("ICC transformation applied"));
    const auto place = [&](QWidget* w) { return QRect(w->mapTo(&dialog, QPoint(0, 0)), w->size()); };
    QWidget* parts[] = {dialog.lblTest, dialog.imgTest, dialog.lblResult, dialog.imgResult, dialog.btnConvert};
    for (int i = 0; i < 4; ++i) {
      QVERIFY2(dialog.rect().contains(place(parts[i])), qPrintable(QString::number(i)));
      QVERIFY2(place(parts[i]).bottom() < place(parts[i + 1]).top() || i == 3, qPrintable(QString::number(i)));
      QVERIFY(parts[i]->height() >= parts[i]->minimumSizeHint().height());
    }
    // Large enough to see: at least half the preview's boxes.
    QVERIFY(dialog.imgTest->height() >= 169 / 2 && dialog.imgResult->width() >= 210 / 2);
  }

  void deviceLinkSampledBackHidesTheSecondProfile() {
    const QString link = WriteProfile(2, "link");
    TfrmICCConvert dialog(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    dialog.show();
    QCOMPARE(dialog.size(), QSize(758, 370));
    Dialogs.OpenFileAnswers.push_back(link);
    dialog.btnSelectProfile->click();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(dialog.lblProfileType->text(), QStringLiteral("Profile Type: Device Link Profile"));
    QVERIFY(dialog.edtSecond->isHidden() && dialog.cbxInvert->isHidden());
    QVERIFY(!dialog.imgResult->Picture().isNull());
    QVERIFY(!dialog.btnConvert->isEnabled());
    dialog.Controls->cbxOutFormat->setCurrentIndex(dialog.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
    QCOMPARE(dialog.edtLUTFile->text(), QDir::toNativeSeparators(Dir.path() + "/link.cube"));
    QVERIFY(dialog.btnConvert->isEnabled());
    QTest::keyClicks(dialog.Controls->cbxDimSize->lineEdit(), "3");
    QFile::remove(Dir.path() + "/link.cube");
    dialog.btnConvert->click();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(Dialogs.Informations.last(), QStringLiteral("The conversion was successfully completed."));
    const QByteArray text = ReadAll(Dir.path() + "/link.cube");
    QVERIFY2(text.contains("LUT_3D_SIZE 3\n"), text.constData());
    QVERIFY(dialog.isVisible());  // the dialog stays open
  }

  // Click into the size box, select all, type 65, Enter: Convert writes 65 points.
  void aTypedSizeIsWritten() {
    const QString link = WriteProfile(2, "typed");
    TfrmICCConvert dialog(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    dialog.show();
    Dialogs.OpenFileAnswers.push_back(link);
    dialog.btnSelectProfile->click();
    dialog.Controls->cbxOutFormat->setCurrentIndex(dialog.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
    QFile::remove(Dir.path() + "/typed.cube");
    QVERIFY(TypeAsUser(dialog.Controls->cbxDimSize, "65"));
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(dialog.Controls->cbxDimSize->currentText(), QStringLiteral("65"));
    QVERIFY(ReadAll(Dir.path() + "/typed.cube").contains("LUT_3D_SIZE 65\n"));
  }

  void displayProfileOffersTheSecondColourSpace() {
    const QString display = WriteProfile(0, "display");
    TfrmICCConvert dialog(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    dialog.show();
    Dialogs.OpenFileAnswers.push_back(display);
    dialog.btnSelectProfile->click();
    QCOMPARE(dialog.lblProfileType->text(), QStringLiteral("Profile Type: Display Device Profile"));
    QVERIFY(dialog.edtSecond->isVisible() && dialog.cbxInvert->isVisible());
    QCOMPARE(dialog.lblSecond->text(), QStringLiteral("Input Color Space"));
    QCOMPARE(dialog.edtSecond->text(), QStringLiteral("sRGB (Default)"));
    // Inverting either works or is refused with the warning, never left half done.
    dialog.cbxInvert->click();
    if (!Dialogs.Warnings.isEmpty()) {
      QCOMPARE(Dialogs.Warnings, QStringList{"Inversion is impossible for selected ICC profile."});
      QVERIFY(!dialog.cbxInvert->isChecked());
    }
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
  }

  // Typed rather than picked: the profile is read once the box is left, and
  // a LUT name without an extension gets the profile's.
  void typedPathsWorkAsPickedOnes() {
    const QString link = WriteProfile(2, "typed");
    TfrmICCConvert dialog(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    dialog.show();
    QTest::keyClicks(dialog.edtProfile, link);
    emit dialog.edtProfile->editingFinished();
    QCOMPARE(dialog.lblProfileType->text(), QStringLiteral("Profile Type: Device Link Profile"));
    dialog.Controls->cbxOutFormat->setCurrentIndex(dialog.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
    dialog.edtLUTFile->setText(Dir.path() + "/typed-out");
    dialog.btnConvert->click();
    QVERIFY2(Dialogs.Errors.isEmpty() && Dialogs.Warnings.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QVERIFY(QFile::exists(Dir.path() + "/typed-out.cube"));

    TfrmLUT2ICC toIcc(LutRegistry(), Dialogs, nullptr);
    toIcc.edtLutFile->setText(Dir.path() + "/nothing.cube");
    emit toIcc.edtLutFile->editingFinished();
    QVERIFY(toIcc.edtICCFile->text().isEmpty());  // no such file: nothing filled in
    toIcc.edtICCFile->setText(Dir.path() + "/x.icc");
    toIcc.edtDescription->setText("x");
    toIcc.btnConvert->click();
    QCOMPARE(Dialogs.Warnings, QStringList{"The file \"" + Dir.path() + "/nothing.cube\" does not exist."});
    toIcc.edtICCFile->clear();
    toIcc.edtLutFile->setText(WriteCube(Dir.path(), "grade.cube"));
    emit toIcc.edtLutFile->editingFinished();
    QCOMPARE(toIcc.edtICCFile->text(), QDir::toNativeSeparators(Dir.path() + "/grade.icc"));
    QCOMPARE(toIcc.edtDescription->text(), QStringLiteral("grade"));
  }

  void dialogsOpenCentredOnTheMainWindow() {
    QWidget owner;
    owner.setGeometry(300, 200, 881, 640);
    owner.show();
    TfrmICCConvert toLut(LutRegistry(), Dialogs, BuiltInPreviewImage(), &owner);
    TfrmLUT2ICC toIcc(LutRegistry(), Dialogs, &owner);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&toLut, &toIcc}) {
      dialog->show();
      QVERIFY((dialog->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 2);
    }
  }

  void lutToICCVersionTwo() {
    const QByteArray profile = ReadAll(WriteProfile(2, "link-v2", 1));
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(profile.mid(8, 2), QByteArray("\x02\x40", 2));
    QCOMPARE(profile.mid(16, 8), QByteArray("RGB RGB "));
  }

  // The chosen intent and compensation make the LUT the library makes for them.
  void intentAndCompensationReachTheConversion() {
    const QString display = WriteProfile(0, "display-intent");
    TfrmICCConvert dialog(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    dialog.show();
    QCOMPARE(dialog.cbxIntent->currentText(), QStringLiteral("Perceptual"));
    QVERIFY(!dialog.cbxBPC->isChecked());
    Dialogs.OpenFileAnswers.push_back(display);
    dialog.btnSelectProfile->click();
    dialog.cbxIntent->setCurrentIndex(1);
    dialog.cbxBPC->click();
    dialog.Controls->cbxOutFormat->setCurrentIndex(dialog.Controls->cbxOutFormat->findText("Cube 3D Davinci"));
    QTest::keyClicks(dialog.Controls->cbxDimSize->lineEdit(), "5");
    QFile::remove(dialog.edtLUTFile->text());
    dialog.btnConvert->click();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    TICCTransformRequest request{ToPath(display), {}, false};
    request.Intent = TICCIntent::RelativeColorimetric;
    request.BlackPointCompensation = true;
    const QString library = Dir.path() + "/library.cube";
    const auto& profiles = LutRegistry().LutOutputProfiles();
    const auto davinci = std::find_if(profiles.begin(), profiles.end(),
                                      [](const auto& p) { return p.Name == "Cube 3D Davinci"; });
    TDialogConfirm confirm(Dialogs, &dialog);  // nothing to overwrite: nothing asked
    ConvertICCToLut(LutRegistry(), request, ToPath(library), *davinci, 5, -1, confirm);
    QCOMPARE(ReadAll(dialog.edtLUTFile->text()), ReadAll(library));
  }

  // An abstract profile is placed between the second colour space and
  // itself, and has no other way round.
  void abstractProfileOffersNoInversion() {
    const QString file = Dir.path() + "/look.icc";
    cmsHPROFILE look = cmsCreateBCHSWabstractProfile(9, 5, 1.1, 10, 20, 0, 0);
    QVERIFY(cmsSaveProfileToFile(look, file.toLocal8Bit().constData()));
    cmsCloseProfile(look);
    TfrmICCConvert dialog(LutRegistry(), Dialogs, BuiltInPreviewImage(), nullptr);
    dialog.show();
    Dialogs.OpenFileAnswers.push_back(file);
    dialog.btnSelectProfile->click();
    QVERIFY2(Dialogs.Errors.isEmpty(), qPrintable(Dialogs.Errors.join('\n')));
    QCOMPARE(dialog.lblProfileType->text(), QStringLiteral("Profile Type: Abstract Profile"));
    QVERIFY(dialog.edtSecond->isVisible() && dialog.cbxInvert->isHidden());
    QVERIFY(!dialog.imgResult->Picture().isNull());
  }
};

QTEST_MAIN(ICCDialogsTest)
#include "ICCDialogsTest.moc"
