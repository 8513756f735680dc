// "Merge LUT files": the checked files in the order they are applied (drag
// one onto another to swap them), the 3D output profile, file, size and bits.
#pragma once

#include <QListWidget>
#include <filesystem>
#include <vector>

#include "ops/LutMerge.h"
#include "ui/OptionControls.h"

class IDialogs;
class QLineEdit;
class QPushButton;

// The merge list: an entry dropped onto another swaps places with it; only
// drags that started on an entry of this same list are taken.
class TMergeFileList : public QListWidget {
  Q_OBJECT

 public:
  explicit TMergeFileList(QWidget* parent);
  std::vector<TMergeFile> Files;
  void ShowFiles();
  // A drop of a payload at a point of the viewport.
  void DropOnto(const QMimeData* data, const QPoint& position);

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  int DraggedRow(const QMimeData* data) const;
};

class TfrmJoinLut : public TOptionDialog {
  Q_OBJECT

 public:
  // Each file is read at its own options (its row's depth and CDL
  // correction); without them, at the format's own detection.
  TfrmJoinLut(const TLutRegistry& registry, IDialogs& dialogs,
              const std::vector<std::filesystem::path>& files, QWidget* owner,
              const std::vector<TReadOptions>& readOptions = {});

  TMergeFileList* lbxFiles;
  TOutputOptionControls* Controls;
  QLineEdit* edtLUTFile;
  QPushButton* btnSelectFile;
  QPushButton* btnSave;
  QPushButton* btnCancel;

 private:
  void cbxOutFormatChange();
  void btnSelectFileClick();
  void btnSaveClick();
  void UpdateSaveButton();

  const TLutRegistry& Registry_;
  IDialogs& Dialogs_;
};
