#include "UiTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QDebug>
#include <QTest>

namespace {

template <typename T>
T Take(std::deque<T>& queue) {
  if (queue.empty()) return T{};
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

}  // namespace

TConfirmAnswer TScriptedDialogs::Confirm(QWidget*, const QString& text, bool withNo) {
  Confirmations << text + (withNo ? QStringLiteral(" [Yes/No/Cancel]") : QStringLiteral(" [Yes/Cancel]"));
  if (WhileAsking) WhileAsking(text);
  if (ConfirmAnswers.empty()) return TConfirmAnswer::Cancel;
  return Take(ConfirmAnswers);
}

TConfirmAnswer TScriptedDialogs::ConfirmForAll(QWidget* parent, const QString& text, bool& sameForRest) {
  sameForRest = !SameForRestAnswers.empty() && Take(SameForRestAnswers);
  return Confirm(parent, text, true);
}

QStringList TScriptedDialogs::OpenFiles(QWidget*, const QString& folder, const QString&) {
  LastOpenFolder = folder;
  return Take(OpenFilesAnswers);
}

QString TScriptedDialogs::OpenFile(QWidget*, const QString&, const QString& folder, const QString&) {
  LastOpenFolder = folder;
  return Take(OpenFileAnswers);
}

TSaveChoice TScriptedDialogs::SaveFile(QWidget*, const QString&, const QString&, const QStringList&,
                                       int, const QString&) {
  return Take(SaveFileAnswers);
}

QString TScriptedDialogs::ChooseFolder(QWidget*, const QString&, const QString& start) {
  LastFolderStart = start;
  return Take(FolderAnswers);
}

int TScriptedDialogs::Run(QDialog& dialog) {
  if (RunHandlers.empty()) return QDialog::Rejected;
  auto handler = Take(RunHandlers);
  dialog.show();  // shown, never exec'd: nothing blocks
  const int result = handler(dialog);
  dialog.hide();
  return result;
}

QString WriteText(const QString& folder, const QString& name, const QByteArray& text) {
  const QString path = QDir(folder).filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  file.write(text);
  return path;
}

QString WriteCube(const QString& folder, const QString& name, double gain) {
  QByteArray text = "# test cube\nLUT_3D_SIZE 2\n";
  for (int b = 0; b < 2; ++b)
    for (int g = 0; g < 2; ++g)
      for (int r = 0; r < 2; ++r)
        text += QByteArray::number(r * gain) + ' ' + QByteArray::number(g * gain) + ' ' +
                QByteArray::number(b * gain) + '\n';
  return WriteText(folder, name, text);
}

QByteArray ReadAll(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

bool ActivateWindowOf(QWidget* widget) {
  QWidget* window = widget->window();
  window->activateWindow();
  return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

bool TypeAsUser(QComboBox* box, const QString& text, bool enter) {
  if (!ActivateWindowOf(box)) {
    qWarning("TypeAsUser: the window is not active");
    return false;
  }
  // The click lands on the text part, which hands the focus to the box.
  QWidget* clicked = box->isEditable() ? static_cast<QWidget*>(box->lineEdit()) : box;
  QTest::mouseClick(clicked, Qt::LeftButton, Qt::NoModifier, clicked->rect().center());
  if (QApplication::focusWidget() != box) {
    qWarning() << "TypeAsUser: the focus is on" << QApplication::focusWidget();
    return false;
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
  for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
  if (enter) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  return true;
}
