#include "ui/PreviewSplitter.h"

#include <algorithm>
#include <cmath>

TPreviewSplitter::TPreviewSplitter(QWidget* list, QWidget* preview, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent) {
  addWidget(list);
  addWidget(preview);
  setChildrenCollapsible(false);
  connect(this, &QSplitter::splitterMoved, this, [this] {
    if (width() > 0) Share_ = static_cast<double>(sizes().value(1)) / width();
  });
}

void TPreviewSplitter::SetPreviewShare(double share) {
  if (!(share > 0 && share < 1)) return;
  Share_ = share;
  ApplyShare();
}

void TPreviewSplitter::ApplyShare() {
  QWidget* preview = widget(1);
  if (!preview || preview->isHidden() || width() <= 0) return;
  const int pane = std::max(preview->minimumWidth(), static_cast<int>(std::lround(Share_ * width())));
  setSizes({std::max(0, width() - handleWidth() - pane), pane});
}

void TPreviewSplitter::resizeEvent(QResizeEvent* event) {
  QSplitter::resizeEvent(event);
  ApplyShare();
}
