#include "ui/LongTextDialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

TLongTextDialog::TLongTextDialog(QMessageBox::Icon icon, const QString& caption, const QString& text,
                                 QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(caption);
  setSizeGripEnabled(true);
  memText = new QPlainTextEdit(text, this);
  memText->setReadOnly(true);
  memText->setLineWrapMode(QPlainTextEdit::NoWrap);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  btnOK = buttons->button(QDialogButtonBox::Ok);
  auto* top = new QHBoxLayout;
  const QStyle::StandardPixmap pixmaps[] = {QStyle::SP_MessageBoxInformation, QStyle::SP_MessageBoxInformation,
                                            QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical,
                                            QStyle::SP_MessageBoxQuestion};
  if (icon != QMessageBox::NoIcon) {
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(pixmaps[std::clamp(static_cast<int>(icon), 0, 4)]).pixmap(32, 32));
    top->addWidget(picture, 0, Qt::AlignTop);
  }
  top->addWidget(memText, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  // As large as the text asks, within three quarters of the screen.
  const QFontMetrics metrics = memText->fontMetrics();
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
  const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
  const QSize room = screen ? screen->availableGeometry().size() * 3 / 4 : QSize(800, 600);
  const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  const QSize wanted(widest + 120, lines * metrics.lineSpacing() + 120);
  resize(std::clamp(wanted.width(), 360, std::max(360, room.width())),
         std::clamp(wanted.height(), 200, std::max(200, room.height())));
}
