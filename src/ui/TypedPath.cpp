#include "ui/TypedPath.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QUrl>

#include "ui/Dialogs.h"

namespace {

QString Unwrapped(QString text) {
  text = text.trimmed();
  if (text.size() >= 2 && (text.front() == QLatin1Char('"') || text.front() == QLatin1Char('\'')) &&
      text.back() == text.front())
    text = text.mid(1, text.size() - 2);
  if (text.startsWith(QStringLiteral("file://"))) text = QUrl(text).toLocalFile();
  return text;
}

QString Quoted(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

}  // namespace

TTypedPath CheckTypedPath(const QString& text, TPathUse use) {
  const QString raw = Unwrapped(text);
  TTypedPath result;
  result.Path = QDir::toNativeSeparators(QDir::cleanPath(raw));
  if (!QDir::isAbsolutePath(raw)) {
    result.Problem = Quoted(raw) + QStringLiteral(" is not a full path.");
    return result;
  }
  const QFileInfo info(result.Path);
  switch (use) {
    case TPathUse::Folder:
      if (!info.exists())
        result.Problem = QStringLiteral("The folder ") + Quoted(result.Path) +
                         QStringLiteral(" does not exist.");
      else if (!info.isDir())
        result.Problem = Quoted(result.Path) + QStringLiteral(" is a file, not a folder.");
      break;
    case TPathUse::OpenFile:
      if (!info.exists())
        result.Problem =
            QStringLiteral("The file ") + Quoted(result.Path) + QStringLiteral(" does not exist.");
      else if (info.isDir())
        result.Problem = Quoted(result.Path) + QStringLiteral(" is a folder, not a file.");
      break;
    case TPathUse::SaveFile:
      if (info.isDir())
        result.Problem = Quoted(result.Path) + QStringLiteral(" is a folder, not a file.");
      else if (!QFileInfo(info.absolutePath()).isDir())
        result.Problem = QStringLiteral("The folder ") +
                         Quoted(QDir::toNativeSeparators(info.absolutePath())) +
                         QStringLiteral(" does not exist.");
      break;
  }
  return result;
}

bool AcceptTypedPath(QLineEdit& field, TPathUse use, IDialogs& dialogs,
                     const QString& defaultSuffix) {
  TTypedPath typed = CheckTypedPath(field.text(), use);
  if (!typed.Ok()) {
    dialogs.Warning(field.window(), typed.Problem);
    field.setFocus();
    return false;
  }
  if (use == TPathUse::SaveFile && !defaultSuffix.isEmpty() &&
      QFileInfo(typed.Path).suffix().isEmpty())
    typed.Path += QLatin1Char('.') + defaultSuffix;
  field.setText(typed.Path);
  return true;
}
