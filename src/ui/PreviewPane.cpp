#include "ui/PreviewPane.h"

#include <QApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "core/Errors.h"
#include "core/LutInfo.h"
#include "ui/Dialogs.h"
#include "ui/PreviewImage.h"

// The pane as the reading threads see it: gone once the pane is destroyed,
// so a late result is dropped rather than delivered to nothing.
struct TPreviewReceiver {
  std::mutex Lock;
  QObject* Pane = nullptr;
};

namespace {

std::atomic<int> ReadsRunning_ = 0;

// What a reading thread hands back.
struct TPreviewResult {
  TLUT Record;
  QImage Applied;
  QString Text;  // the description, or the error
  bool Failed = false;
};

TPreviewResult ReadPreview(const TLutRegistry& registry, const std::filesystem::path& fileName,
                           const TReadOptions& options, const QImage& ungraded) {
  TPreviewResult result;
  try {
    // What a reader says of a file it still reads (a lossy step) heads the
    // comments, as the batch and the command line say it.
    QStringList lines;
    TReadOptions saying = options;
    saying.OnWarning = [&lines](const std::filesystem::path&, const std::string& text) {
      lines << QStringLiteral("warning: ") + ToQString(text);
    };
    registry.LoadLut(fileName, result.Record, -1, saying);
    if (result.Record.FormatIndex < 0) return result;
    result.Applied = ApplyLutToPicture(result.Record, ungraded);
    for (const std::string& line : LutInfoLines(result.Record)) lines << ToQString(line);
    result.Text = lines.join(QLatin1Char('\n'));
  } catch (const std::exception& error) {
    result.Failed = true;
    result.Text = ErrorDisplayText(
        ErrorMessageOf(EInFileError(fileName.string(), error.what(), ErrorLine(error))));
  }
  return result;
}

}  // namespace

int TPreviewPane::ReadsRunning() { return ReadsRunning_; }

TPictureBox::TPictureBox(QWidget* parent) : QLabel(parent) {
  setFixedSize(PictureBoxWidth, PictureBoxHeight);
}

QSize TPictureBox::sizeHint() const { return {PictureBoxWidth, PictureBoxHeight}; }

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
  memInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
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
  Receiver_ = std::make_shared<TPreviewReceiver>();
  Receiver_->Pane = this;
  ShowNoLut();
}

TPreviewPane::~TPreviewPane() {
  const std::lock_guard<std::mutex> hold(Receiver_->Lock);
  Receiver_->Pane = nullptr;
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
  ++Request_;  // a read still at work is no longer wanted
  Reading_ = false;
  lblApplied->hide();
  imgApplied->hide();
  lblComments->hide();
  memInfo->hide();
}

void TPreviewPane::SetUngraded(const QImage& picture) { imgUngraded->SetPicture(picture); }

void TPreviewPane::ShowComments(const QString& text) {
  memInfo->setPlainText(text);
  lblComments->show();
  memInfo->show();
}

void TPreviewPane::ShowLutInfo(const std::filesystem::path& fileName,
                               const TReadOptions& options) {
  const unsigned request = ++Request_;
  Reading_ = true;
  lblApplied->hide();
  imgApplied->hide();
  ShowComments(QStringLiteral("Reading\u2026"));
  ++ReadsRunning_;
  // The thread holds the registry, which lives for the program, and copies
  // of everything else; the pane may be gone when it ends.
  std::thread([registry = &Registry_, receiver = Receiver_, fileName, options,
               ungraded = Ungraded(), request] {
    auto result = std::make_shared<TPreviewResult>(ReadPreview(*registry, fileName, options, ungraded));
    {
      const std::lock_guard<std::mutex> hold(receiver->Lock);
      if (auto* pane = static_cast<TPreviewPane*>(receiver->Pane))
        QMetaObject::invokeMethod(pane, [pane, result, request] {
          if (request != pane->Request_) return;  // a later selection took over
          pane->Reading_ = false;
          if (result->Failed) {
            pane->ShowComments(result->Text);
            return;
          }
          pane->PreviewRecord_ = std::move(result->Record);
          if (pane->PreviewRecord_.FormatIndex < 0) return pane->ShowNoLut();
          pane->imgApplied->SetPicture(result->Applied);
          pane->lblApplied->show();
          pane->imgApplied->show();
          pane->ShowComments(result->Text);
        }, Qt::QueuedConnection);
    }
    --ReadsRunning_;
  }).detach();
}
