#include "ui/ProgressDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/Dialogs.h"

namespace {

double DaysSinceEpoch() {
  return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / (24.0 * 60 * 60 * 1000);
}

}  // namespace

TfrmProgress::TfrmProgress(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), Now(DaysSinceEpoch) {
  setWindowTitle(QStringLiteral("Processing..."));
  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Sunken);
  stxText = new QLabel(panel);
  stxText->setWordWrap(true);
  stxItem = new QLabel(panel);
  stxItem->setTextFormat(Qt::PlainText);
  pbrProgress = new QProgressBar(panel);
  pbrProgress->setRange(0, 100);
  pbrProgress->setValue(0);
  stxTime = new QLabel(panel);
  // The lines filled in as the work goes keep their room from the start.
  for (QLabel* line : {stxItem, stxTime}) line->setMinimumHeight(line->fontMetrics().lineSpacing());
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->addWidget(stxText);
  panelLayout->addWidget(stxItem);
  panelLayout->addWidget(pbrProgress);
  panelLayout->addWidget(stxTime);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setFocusPolicy(Qt::NoFocus);  // not reachable with Tab
  btnCancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  layout->addLayout(buttons);
  SetSpecifiedSize(*this, {392, 172});  // the specified 148 and the line of the file at work
  connect(btnCancel, &QPushButton::clicked, this, [this] { Cancelled_ = true; });
}

TfrmProgress::~TfrmProgress() { EnableOtherWindows(); }

void TfrmProgress::Show(const QString& caption, const QString& text) {
  setWindowTitle(caption);
  stxText->setText(text);
  SetSpecifiedSize(*this, {392, 172});  // room for the text, at any font
  Cancelled_ = false;
  LastPosition_ = 0;
  Percent_ = 0;
  pbrProgress->setValue(0);
  Estimate_.Reset();
  DisableOtherWindows();
  setModal(false);
  show();
  CentreOnOwner(*this);
}

void TfrmProgress::Hide() {
  hide();
  EnableOtherWindows();
}

void TfrmProgress::SetPercent(double p) {
  Percent_ = p;
  const int position = static_cast<int>(std::trunc(p));
  if (position != LastPosition_) {
    LastPosition_ = position;
    pbrProgress->setValue(position);
  }
  if (!EstimateOn_) return;
  const TTimeEstimate::TResult result = Estimate_.Update(p, Now());
  if (result.Step == TTimeEstimate::TStep::SwitchOff) {
    HideTimeEstimate();
  } else if (result.Step == TTimeEstimate::TStep::Show) {
    stxTime->setText(QString::fromStdString(result.Text));
  }
}

void TfrmProgress::SetItem(std::size_t number, std::size_t count, const QString& name) {
  const QString text = QStringLiteral("%1 of %2: %3").arg(number).arg(count).arg(name);
  // A long name is cut in its middle, so both its start and extension show.
  stxItem->setText(stxItem->fontMetrics().elidedText(text, Qt::ElideMiddle, stxItem->width()));
  stxItem->setToolTip(text);
}

bool TfrmProgress::IsCancelled() {
  QApplication::processEvents();
  return Cancelled_;
}

void TfrmProgress::HideTimeEstimate() {
  EstimateOn_ = false;
  stxTime->hide();
}

void TfrmProgress::reject() { Cancelled_ = true; }

void TfrmProgress::closeEvent(QCloseEvent* event) {
  Cancelled_ = true;
  event->ignore();  // the owner releases the window
}

// Disabling the other top-level windows, rather than making this window
// modal, keeps the operation's own loop in charge while input is refused.
void TfrmProgress::DisableOtherWindows() {
  EnableOtherWindows();
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w == this || !w->isVisible() || !w->isEnabled()) continue;
    w->setEnabled(false);
    Disabled_.emplace_back(w);
  }
  // A disabled owner would disable this window too; keep it usable.
  setEnabled(true);
}

void TfrmProgress::EnableOtherWindows() {
  for (const QPointer<QWidget>& w : Disabled_)
    if (w) w->setEnabled(true);
  Disabled_.clear();
}

void TProgressWindowReport::Begin(const std::string& caption, const std::string& text) {
  QMetaObject::invokeMethod(&Window_, [&window = Window_, caption = QString::fromStdString(caption),
                                       text = QString::fromStdString(text)] { window.Show(caption, text); });
}

void TProgressWindowReport::SetProgress(double percent) {
  QMetaObject::invokeMethod(&Window_, [&window = Window_, percent] { window.SetPercent(percent); });
}

void TProgressWindowReport::SetItem(std::size_t number, std::size_t count, const std::string& name) {
  QMetaObject::invokeMethod(&Window_, [&window = Window_, number, count, name = QString::fromStdString(name)] {
    window.SetItem(number, count, name);
  });
}

bool TProgressWindowReport::Cancelled() {
  if (QThread::currentThread() == Window_.thread()) return Window_.IsCancelled();
  return Window_.CancelRequested();
}

void TProgressWindowReport::End() {
  QMetaObject::invokeMethod(&Window_, [&window = Window_] { window.Hide(); });
}
