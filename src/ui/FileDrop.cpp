#include "ui/FileDrop.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

TFileDrop::TFileDrop(QWidget* target, std::function<void(const QStringList&)> onDrop)
    : QObject(target), OnDrop_(std::move(onDrop)) {
  target->setAcceptDrops(true);
  target->installEventFilter(this);
}

QStringList TFileDrop::LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (!data) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

bool TFileDrop::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
    return QObject::eventFilter(watched, event);
  auto* drop = static_cast<QDropEvent*>(event);  // enter and move events are drop events
  if (LocalPaths(drop->mimeData()).isEmpty() || !(drop->possibleActions() & Qt::CopyAction)) {
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (type == QEvent::Drop) OnDrop_(LocalPaths(drop->mimeData()));
  return true;
}
