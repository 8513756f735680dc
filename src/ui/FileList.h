// The main window's list of LUT files: a row per file with its check box,
// detected format and folder. A header click sorts the rows (each row
// carries its own check state, options and outcome, so they move with it);
// the File Name and Folder columns widen to their content; an empty list
// says where files can be dropped.
#pragma once

#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <filesystem>
#include <optional>

#include "ops/BitsOverride.h"

enum TFileColumn { colFileName = 0, colFormat = 1, colFolder = 2 };

// How the last batch went for one row.
struct TRowOutcome {
  enum TKind { None, Converted, Skipped, Failed, NotTried } Kind = None;
  QString Text;  // the output, the file kept, or the error
};

// A row of the file list; rows of recognised files own their entry.
class TFileItem : public QTreeWidgetItem {
 public:
  std::optional<TLutFileEntry> Entry;
  TRowOutcome::TKind Outcome = TRowOutcome::None;  // of the last batch
  std::filesystem::path Path() const;
  // The sorted column's text without regard to case, then the full path.
  bool operator<(const QTreeWidgetItem& other) const override;
};

class TFileList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TFileList(QWidget* parent);
  static QString PlaceholderText();
  // Widens File Name and Folder to their content, never below their first widths.
  void FitColumns();

 protected:
  void paintEvent(QPaintEvent* event) override;
};
