#include "ui/PreviewPane.h"

#include <QApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "core/LutInfo.h"
#include "ui/Dialogs.h"
#include "ui/PreviewImage.h"

namespace {

// Restores the normal cursor however the read ends.
struct TBusyCursor {
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TPictureBox::TPictureBox(QWidget* parent) : QLabel(parent) {
  setFixedSize(PictureBoxWidth, PictureBoxHeight);
}

void TPictureBox::SetPicture(const QImage& picture) {
  Picture_ = picture;
  update();
}

void TPictureBox::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (Picture_.isNull()) return;
  const QSize fitted = Picture_.size().scaled(size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, Picture_);
}

TPreviewPane::TPreviewPane(const TLutRegistry& registry, QWidget* parent)
    : QWidget(parent), Registry_(registry) {
  setMinimumWidth(MinimumWidth);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  Scroller_ = new QScrollArea(this);
  Scroller_->setFrameShape(QFrame::NoFrame);
  Scroller_->setWidgetResizable(true);
  Scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* content = new QWidget(Scroller_);
  lblUngraded = new QLabel(QStringLiteral("Ungraded"), content);
  imgUngraded = new TPictureBox(content);
  imgUngraded->SetPicture(BuiltInPreviewImage());
  lblApplied = new QLabel(QStringLiteral("LUT Applied"), content);
  imgApplied = new TPictureBox(content);
  lblComments = new QLabel(QStringLiteral("Comments"), content);
  memInfo = new QPlainTextEdit(content);
  memInfo->setReadOnly(true);
  memInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memInfo->setMinimumHeight(60);
  // Drops belong to the pane (a picture dropped onto it), not to the memo.
  memInfo->setAcceptDrops(false);
  memInfo->viewport()->setAcceptDrops(false);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->addWidget(lblUngraded);
  layout->addWidget(imgUngraded, 0, Qt::AlignHCenter);
  layout->addWidget(lblApplied);
  layout->addWidget(imgApplied, 0, Qt::AlignHCenter);
  layout->addWidget(lblComments);
  layout->addWidget(memInfo, 1);
  layout->addStretch(0);
  Scroller_->setWidget(content);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(Scroller_);
  ShowNoLut();
}

void TPreviewPane::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FitBoxes();
}

// The boxes keep the side room they have in the narrowest pane, which holds
// a vertical scroll bar too, so a scroll bar coming or going never changes
// their size.
void TPreviewPane::FitBoxes() {
  const int room = width() - (MinimumWidth - PictureBoxWidth);
  const int w = std::max(PictureBoxWidth, room);
  const QSize box(w, w * PictureBoxHeight / PictureBoxWidth);
  imgUngraded->setFixedSize(box);
  imgApplied->setFixedSize(box);
}

void TPreviewPane::ShowNoLut() {
  lblApplied->hide();
  imgApplied->hide();
  lblComments->hide();
  memInfo->hide();
}

void TPreviewPane::SetUngraded(const QImage& picture) { imgUngraded->SetPicture(picture); }

void TPreviewPane::ShowLutInfo(const std::filesystem::path& fileName,
                               const TReadOptions& options) {
  TBusyCursor busy;
  // Read into a fresh record so that a failed read leaves the pane as it was.
  TLUT record;
  Registry_.LoadLut(fileName, record, -1, options);
  PreviewRecord_ = std::move(record);
  if (PreviewRecord_.FormatIndex < 0) {
    ShowNoLut();
    return;
  }
  imgApplied->SetPicture(ApplyLutToPicture(PreviewRecord_, Ungraded()));
  QStringList lines;
  for (const std::string& line : LutInfoLines(PreviewRecord_)) lines << ToQString(line);
  memInfo->setPlainText(lines.join(QLatin1Char('\n')));
  lblApplied->show();
  imgApplied->show();
  lblComments->show();
  memInfo->show();
}
