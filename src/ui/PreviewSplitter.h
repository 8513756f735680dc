// The splitter between the file list and the preview: the preview keeps its
// share of the width as the window grows or shrinks (a quarter at first,
// never less than its smallest width), and dragging the handle sets a new
// share.
#pragma once

#include <QSplitter>

class TPreviewSplitter : public QSplitter {
  Q_OBJECT

 public:
  TPreviewSplitter(QWidget* list, QWidget* preview, QWidget* parent);

  static constexpr double FirstShare = 0.25;
  double PreviewShare() const { return Share_; }
  // Out-of-range values (a spoilt setting) leave the share as it is.
  void SetPreviewShare(double share);
  // Gives the preview its share of the present width.
  void ApplyShare();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  double Share_ = FirstShare;
};
