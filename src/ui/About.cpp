#include "ui/About.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "ui/Dialogs.h"

TAboutForm::TAboutForm(QWidget* owner, const QString& programName)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(356, 246);
  imgIcon = new QLabel(this);
  imgIcon->setPixmap(QIcon(QStringLiteral(":/tovi/tovi-lut-converter.png")).pixmap(32, 32));
  imgIcon->setGeometry(16, 20, 32, 32);
  lblTitle = new QLabel(programName, this);
  lblTitle->setFont(TitleFontFor(programName));
  lblTitle->setGeometry(64, 16, 280, 40);
  lblVersion = new QLabel(QStringLiteral("Version: ") + QStringLiteral(TOVI_VERSION_SHORT), this);
  QFont bold = lblVersion->font();
  bold.setBold(true);
  lblVersion->setFont(bold);
  lblVersion->setGeometry(64, 64, 280, 20);
  auto* note = new QLabel(
      QStringLiteral("Converts colour look-up tables between the formats of grading systems, "
                     "monitors, cameras and compositing applications."),
      this);
  note->setWordWrap(true);
  note->setGeometry(64, 96, 276, 70);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(12, 180, 332, 4);
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setDefault(true);
  btnClose->setGeometry((356 - 90) / 2, 200, 90, 30);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

QFont TAboutForm::TitleFontFor(const QString& text) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(27);
  font.setBold(true);
  font.setUnderline(true);
  double points = QFontInfo(font).pointSizeF();
  for (;;) {
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) < 261 && metrics.height() < 36) break;
    if (points <= 1) break;
    points -= 1;
    font.setPointSizeF(points);
  }
  return font;
}

void TAboutForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnOwner(*this);
}
