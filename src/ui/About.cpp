#include "ui/About.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Dialogs.h"

TAboutForm::TAboutForm(QWidget* owner, const QString& programName)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("About"));
  imgIcon = new QLabel(this);
  imgIcon->setPixmap(QIcon(QStringLiteral(":/tovi/tovi-lut-converter.png")).pixmap(32, 32));
  imgIcon->setFixedSize(32, 32);
  lblTitle = new QLabel(programName, this);
  lblTitle->setFont(TitleFontFor(programName));
  lblVersion = new QLabel(QStringLiteral("Version: ") + QStringLiteral(TOVI_VERSION_SHORT), this);
  QFont bold = lblVersion->font();
  bold.setBold(true);
  lblVersion->setFont(bold);
  auto* note = new QLabel(
      QStringLiteral("Converts colour look-up tables between the formats of grading systems, "
                     "monitors, cameras and compositing applications."),
      this);
  note->setWordWrap(true);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  btnClose = new QPushButton(QStringLiteral("Close"), this);
  btnClose->setDefault(true);
  btnClose->setMinimumWidth(90);
  auto* texts = new QVBoxLayout;
  texts->addWidget(lblTitle);
  texts->addWidget(lblVersion);
  texts->addSpacing(8);
  texts->addWidget(note);
  texts->addStretch();
  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(imgIcon, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 12, 14);
  layout->addLayout(top, 1);
  layout->addWidget(line);
  layout->addWidget(btnClose, 0, Qt::AlignHCenter);
  SetSpecifiedSize(*this, {356, 246});
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
