// Files dragged from a file manager onto a widget: an event filter that
// accepts drags carrying local files and hands their paths to a function.
// The drop is always taken as a copy, so a file manager never deletes what
// was dragged.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QMimeData;
class QWidget;

class TFileDrop : public QObject {
  Q_OBJECT

 public:
  TFileDrop(QWidget* target, std::function<void(const QStringList&)> onDrop);

  // The local files and folders a drag carries, in its order.
  static QStringList LocalPaths(const QMimeData* data);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(const QStringList&)> OnDrop_;
};
