#include "ui/FileList.h"

#include <QHeaderView>
#include <QPainter>
#include <algorithm>

#include "ui/Dialogs.h"

namespace {

constexpr int FirstWidths[] = {250, 200, 150};

}  // namespace

std::filesystem::path TFileItem::Path() const {
  return ToPath(text(colFolder)) / ToPath(text(colFileName));
}

bool TFileItem::operator<(const QTreeWidgetItem& other) const {
  const int column = treeWidget() ? std::max(0, treeWidget()->sortColumn()) : colFileName;
  const int order = text(column).compare(other.text(column), Qt::CaseInsensitive);
  if (order != 0) return order < 0;
  const auto path = [](const QTreeWidgetItem& item) {
    return item.text(colFolder) + QLatin1Char('/') + item.text(colFileName);
  };
  return path(*this).compare(path(other), Qt::CaseInsensitive) < 0;
}

TFileList::TFileList(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(3);
  setHeaderLabels({QStringLiteral("File Name"), QStringLiteral("Format"), QStringLiteral("Folder")});
  for (int column = colFileName; column <= colFolder; ++column) setColumnWidth(column, FirstWidths[column]);
  setRootIsDecorated(false);
  // Rows stay in the order they were added until a header is clicked; the
  // first click sorts up, the next one down.
  header()->setSortIndicator(-1, Qt::AscendingOrder);
  setSortingEnabled(true);
  header()->setSectionsClickable(true);
  // A click selects one row; Ctrl and Shift select several for Delete and
  // the bits override.
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
}

QString TFileList::PlaceholderText() { return QStringLiteral("Drop LUT files or folders here"); }

void TFileList::FitColumns() {
  for (const int column : {colFileName, colFolder}) {
    resizeColumnToContents(column);
    if (columnWidth(column) < FirstWidths[column]) setColumnWidth(column, FirstWidths[column]);
  }
}

void TFileList::paintEvent(QPaintEvent* event) {
  QTreeWidget::paintEvent(event);
  if (topLevelItemCount() > 0) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::PlaceholderText));
  painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                   PlaceholderText());
}
