#include "ui/Dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QStatusBar>
#include <QMessageBox>
#include <QWidget>

#include "core/Errors.h"
#include "ui/LongTextDialog.h"

namespace {

// A long text goes to a window that scrolls and fits the screen.
void Box(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
  if (text.count(QLatin1Char('\n')) >= TLongTextDialog::MessageBoxLines) {
    TLongTextDialog dialog(icon, caption, text, parent);
    dialog.exec();
    return;
  }
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

void TQtDialogs::Information(QWidget* parent, const QString& text) {
  Box(parent, QMessageBox::Information, QStringLiteral("Information"), text);
}

void TQtDialogs::Warning(QWidget* parent, const QString& text) {
  Box(parent, QMessageBox::Warning, QStringLiteral("Warning"), text);
}

void TQtDialogs::Error(QWidget* parent, const QString& text) {
  Box(parent, QMessageBox::Critical, ProgramTitle, text);
}

TConfirmAnswer TQtDialogs::Confirm(QWidget* parent, const QString& text, bool withNo) {
  QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::Cancel;
  if (withNo) buttons |= QMessageBox::No;
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, buttons, parent);
  switch (box.exec()) {
    case QMessageBox::Yes: return TConfirmAnswer::Yes;
    case QMessageBox::No: return TConfirmAnswer::No;
    default: return TConfirmAnswer::Cancel;
  }
}

std::unique_ptr<QMessageBox> ConfirmForAllBox(QWidget* parent, const QString& text) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("Confirm"), text,
                                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box->setCheckBox(new QCheckBox(QStringLiteral("&Do the same for the remaining files"), box.get()));
  return box;
}

TConfirmAnswer TQtDialogs::ConfirmForAll(QWidget* parent, const QString& text, bool& sameForRest) {
  const std::unique_ptr<QMessageBox> box = ConfirmForAllBox(parent, text);
  const int answer = box->exec();
  sameForRest = box->checkBox()->isChecked();
  switch (answer) {
    case QMessageBox::Yes: return TConfirmAnswer::Yes;
    case QMessageBox::No: return TConfirmAnswer::No;
    default: return TConfirmAnswer::Cancel;
  }
}

QStringList TQtDialogs::OpenFiles(QWidget* parent, const QString& folder, const QString& filters) {
  return QFileDialog::getOpenFileNames(parent, QString(), folder, filters);
}

QString TQtDialogs::OpenFile(QWidget* parent, const QString& caption, const QString& folder,
                             const QString& filters) {
  return QFileDialog::getOpenFileName(parent, caption, folder, filters);
}

TSaveChoice TQtDialogs::SaveFile(QWidget* parent, const QString& caption, const QString& start,
                                 const QStringList& filters, int filterIndex,
                                 const QString& defaultSuffix) {
  QFileDialog dialog(parent, caption);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  if (filterIndex >= 0 && filterIndex < filters.size()) dialog.selectNameFilter(filters[filterIndex]);
  dialog.setDefaultSuffix(defaultSuffix);
  // The operation that writes the file asks before replacing it, once.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QFileInfo info(start);
  if (!start.isEmpty() && info.isDir()) {
    dialog.setDirectory(start);
  } else if (!start.isEmpty()) {
    if (!info.path().isEmpty() && info.path() != QStringLiteral(".")) dialog.setDirectory(info.path());
    dialog.selectFile(info.fileName());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {dialog.selectedFiles().first(), static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))};
}

QString TQtDialogs::ChooseFolder(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
}

int TQtDialogs::Run(QDialog& dialog) { return dialog.exec(); }

TConfirmAnswer TDialogConfirm::Confirm(const std::string& message, bool withNo) {
  return Dialogs_.Confirm(Parent_, ToQString(message), withNo);
}

TConfirmAnswer TDialogConfirm::ConfirmOverwrite(const std::filesystem::path& file, bool withNo) {
  if (!OfferSameForRest_ || !withNo) return IConfirm::ConfirmOverwrite(file, withNo);
  if (Remembered_) return *Remembered_;
  bool same = false;
  const TConfirmAnswer answer =
      Dialogs_.ConfirmForAll(Parent_, ToQString(OverwriteQuestion(file.string())), same);
  if (same && answer != TConfirmAnswer::Cancel) Remembered_ = answer;
  return answer;
}

QString ErrorDisplayText(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) return message + QLatin1Char('.');
  return message;
}

QString ErrorMessageOf(const std::exception& error) {
  const std::size_t line = ErrorLine(error);
  QString where;
  if (const auto* inFile = dynamic_cast<const EInFileError*>(&error)) {
    where = DisplayPath(inFile->File);
    if (line > 0) where += QStringLiteral(":%1").arg(line);
    where += QStringLiteral(": ");
  } else if (line > 0) {
    where = QStringLiteral("Line %1: ").arg(line);
  }
  return where + ToQString(error.what());
}

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

std::string ToUtf8(const QString& text) { return text.toStdString(); }

QString DisplayPath(const std::string& path) { return QDir::toNativeSeparators(ToQString(path)); }

// Qt names files in UTF-8 here, as the library does.
std::filesystem::path ToPath(const QString& text) {
  return std::filesystem::path(QDir::fromNativeSeparators(text).toStdString());
}

QStringList LutFilePatterns(const TLutRegistry& registry) {
  QStringList patterns;
  // The DAT entry keeps the pattern the filter has always shown ("*dat").
  for (const std::string& e : registry.ReadExtensions())
    patterns << (e == "dat" ? QStringLiteral("*dat") : QStringLiteral("*.") + ToQString(e));
  return patterns;
}

QString LutFilesFilter(const TLutRegistry& registry) {
  return QStringLiteral("LUT Files (") + LutFilePatterns(registry).join(QLatin1Char(' ')) +
         QStringLiteral(");;All Files (*)");
}

void SayWritten(QWidget* from, const QString& file) {
  for (QWidget* w = from; w; w = w->parentWidget())
    if (auto* main = qobject_cast<QMainWindow*>(w)) {
      main->statusBar()->showMessage(QStringLiteral("Written: ") + QDir::toNativeSeparators(file));
      return;
    }
}

void SayLosses(IDialogs& dialogs, QWidget* parent, const QString& file,
               const std::vector<TWriteLoss>& losses) {
  QStringList lines;
  for (const TWriteLoss& loss : losses)
    lines << QDir::toNativeSeparators(file) + QStringLiteral(": ") + QString::fromStdString(loss.Text);
  if (!lines.isEmpty()) dialogs.Warning(parent, lines.join(QLatin1Char('\n')));
}

QLabel* BuddyLabel(const QString& text, QWidget* field, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(field);
  return label;
}

void SetSpecifiedSize(QWidget& dialog, const QSize& specified) {
  if (dialog.layout()) dialog.layout()->invalidate();  // texts set since count
  QSize needed = specified.expandedTo(dialog.minimumSizeHint());
  // Wrapped labels need more height the narrower they are.
  if (QLayout* layout = dialog.layout(); layout && layout->hasHeightForWidth())
    needed.setHeight(std::max(needed.height(), layout->totalMinimumHeightForWidth(needed.width())));
  dialog.setMinimumSize(needed);
  dialog.resize(needed);
}

void CentreOnOwner(QWidget& window) {
  if (!window.parentWidget()) return;
  const QRect owner = window.parentWidget()->window()->frameGeometry();
  const QSize frame = window.frameGeometry().size();  // move() places the frame
  window.move(owner.center() - QPoint(frame.width() / 2, frame.height() / 2));
}
