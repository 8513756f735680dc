// The preview pane beside the file list: the still picture before
// ("Ungraded") and after the selected LUT ("LUT Applied"), and the LUT's kind,
// size and comment lines ("Comments").
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "core/LUTFormat.h"

class QPlainTextEdit;
class QScrollArea;
struct TPreviewReceiver;

// Shows its picture scaled to fit, the aspect ratio kept (for display only).
// The box is 210 x 169 unless its owner sizes it otherwise.
class TPictureBox : public QLabel {
  Q_OBJECT

 public:
  explicit TPictureBox(QWidget* parent);
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return Picture_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage Picture_;
};

// The pane grows with the window: its picture boxes take its width, keeping
// the 210 x 169 shape, and never get smaller than that. When the window is too
// low for them, the pane scrolls rather than letting pictures and captions
// overlap.
class TPreviewPane : public QWidget {
  Q_OBJECT

 public:
  TPreviewPane(const TLutRegistry& registry, QWidget* parent);
  ~TPreviewPane() override;

  static constexpr int MinimumWidth = 250;

  // Reads the file into the preview record and grades the ungraded picture
  // on a thread of its own, showing "Reading…" meanwhile; a later call (or
  // ShowNoLut) supersedes one still at work. A file no format knows shows
  // nothing but the ungraded picture; a file that cannot be read shows its
  // error, with the file and line, under "Comments".
  void ShowLutInfo(const std::filesystem::path& fileName, const TReadOptions& options = {});
  // Whether a preview is still being read.
  bool Reading() const { return Reading_; }
  // The "no LUT shown" state: only the ungraded picture.
  void ShowNoLut();
  // How many previews are still being read on their threads, in every pane:
  // a program that quits meanwhile leaves without waiting for them.
  static int ReadsRunning();
  void SetUngraded(const QImage& picture);
  const QImage& Ungraded() const { return imgUngraded->Picture(); }
  const TLUT& PreviewRecord() const { return PreviewRecord_; }

  QLabel* lblUngraded;
  TPictureBox* imgUngraded;
  QLabel* lblApplied;
  TPictureBox* imgApplied;
  QLabel* lblComments;
  QPlainTextEdit* memInfo;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FitBoxes();
  void ShowComments(const QString& text);

  const TLutRegistry& Registry_;
  TLUT PreviewRecord_;
  QScrollArea* Scroller_;
  std::shared_ptr<TPreviewReceiver> Receiver_;  // where the reading threads hand their results
  unsigned Request_ = 0;                        // the latest read asked for
  bool Reading_ = false;
};
