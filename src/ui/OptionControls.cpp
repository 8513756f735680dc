#include "ui/OptionControls.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>

#include "ui/Dialogs.h"

TOptionDialog::TOptionDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  qApp->installEventFilter(this);
}

TOptionDialog::~TOptionDialog() { qApp->removeEventFilter(this); }

bool TOptionDialog::eventFilter(QObject* watched, QEvent* event) {
  // The dialog sees every key before its controls; Alt alone does nothing.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Alt) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TOptionDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnOwner(*this);
}

TOutputOptionControls::TOutputOptionControls(const TLutRegistry& registry, TOptionsDialog kind,
                                             QWidget* parent)
    : QObject(parent), Options(registry, kind) {
  cbxOutFormat = new QComboBox(parent);
  for (const std::string& name : Options.ProfileNames()) cbxOutFormat->addItem(ToQString(name));
  cbxOutFormat->setCurrentIndex(-1);
  cbxOutFormat->setMaxVisibleItems(20);
  cbxDimSize = new QComboBox(parent);
  cbxDimSize->setEditable(true);
  cbxDimSize->setInsertPolicy(QComboBox::NoInsert);
  cbxDimSize->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);  // no pasting past the rules
  cbxDimSize->lineEdit()->setAcceptDrops(false);
  // A user's keys arrive at the focused box, which hands them to its line
  // edit directly, past any filter there: the rules watch both.
  cbxDimSize->installEventFilter(this);
  cbxDimSize->lineEdit()->installEventFilter(this);
  // Whatever still edits the text another way (a middle-click paste) goes
  // through the rules too, so the text shown is always the size written.
  connect(cbxDimSize->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
    if (text != ToQString(Options.SizeText())) RetypeSize(text);
  });
  cbxBits = new QComboBox(parent);
  cbxBits->addItems({QStringLiteral("Default"), QStringLiteral("8 bit"), QStringLiteral("10 bit"),
                     QStringLiteral("12 bit"), QStringLiteral("14 bit"), QStringLiteral("16 bit")});
  Refresh();
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, &TOutputOptionControls::cbxOutFormatChange);
  connect(cbxDimSize, &QComboBox::activated, this, [this](int index) {
    Options.ChooseSizeItem(index);
    cbxDimSize->setEditText(ToQString(Options.SizeText()));
  });
  connect(cbxBits, &QComboBox::currentIndexChanged, this, [this](int index) { Options.ChooseBits(index); });
}

void TOutputOptionControls::Refresh() {
  const QSignalBlocker blockSize(cbxDimSize);
  const QSignalBlocker blockBits(cbxBits);
  cbxDimSize->setEnabled(Options.SizeEnabled());
  cbxDimSize->clear();
  for (const std::string& item : Options.SizeItems()) cbxDimSize->addItem(ToQString(item));
  cbxDimSize->setEditText(ToQString(Options.SizeText()));
  cbxBits->setEnabled(Options.BitsEnabled());
  cbxBits->setCurrentIndex(Options.BitsPosition());
}

TOutputChoice TOutputOptionControls::Choice() const {
  TOutputChoice choice;
  if (Options.SelectedProfile()) choice.Profile = cbxOutFormat->currentText();
  choice.Size = ToQString(Options.SizeText());
  choice.BitsPosition = Options.BitsPosition();
  return choice;
}

void TOutputOptionControls::Restore(const TOutputChoice& choice) {
  const int position = choice.Profile.isEmpty() ? -1 : cbxOutFormat->findText(choice.Profile);
  if (position < 0) return;
  cbxOutFormat->setCurrentIndex(position);
  // "Source" is an item of the list, not something typed.
  if (Options.SizeEnabled() && choice.Size != ToQString(Options.SizeText()) &&
      !(choice.Size == QStringLiteral("Source") && Options.ChooseSourceSize()))
    RetypeSize(choice.Size);
  if (Options.BitsEnabled()) Options.ChooseBits(choice.BitsPosition);
  Refresh();
}

namespace {

char SizeKey(QChar c) { return c.unicode() < 128 ? static_cast<char>(c.unicode()) : '?'; }

}  // namespace

// Clears the size as the keys would, then types the text, each character
// through the rules.
void TOutputOptionControls::RetypeSize(const QString& text) {
  Options.PressSizeDelete();
  while (!Options.SizeText().empty()) Options.TypeSizeKey('\b');
  for (const QChar c : text) Options.TypeSizeKey(SizeKey(c));
  cbxDimSize->setEditText(ToQString(Options.SizeText()));
}

// A selection is taken out first, as any text box does before a key: the
// model then sees the text that is left.
void TOutputOptionControls::RemoveSizeSelection() {
  QLineEdit* edit = cbxDimSize->lineEdit();
  if (!edit->hasSelectedText() || Options.SizeText() == "Default") return;
  QString left = edit->text();
  left.remove(edit->selectionStart(), edit->selectedText().size());
  RetypeSize(left);
}

void TOutputOptionControls::cbxOutFormatChange(int index) {
  Options.SelectProfile(index);
  Refresh();
  emit FormatChanged();
}

// Every key that edits the size goes through the model, which keeps the text
// to digits, five at most, and clears a shown "Default" first.
bool TOutputOptionControls::eventFilter(QObject* watched, QEvent* event) {
  if ((watched != cbxDimSize && watched != cbxDimSize->lineEdit()) || event->type() != QEvent::KeyPress)
    return QObject::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut)) return true;
  const bool typed = key->text().size() == 1 && key->text()[0].isPrint() &&
                     !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  const bool erases = key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace;
  const bool hadSelection = cbxDimSize->lineEdit()->hasSelectedText() && Options.SizeText() != "Default";
  const bool digit = typed && key->text()[0] >= QLatin1Char('0') && key->text()[0] <= QLatin1Char('9');
  if (digit || erases) RemoveSizeSelection();
  if (erases && hadSelection) {
    // The selection was what the key erased.
  } else if (key->key() == Qt::Key_Delete) {
    Options.PressSizeDelete();
  } else if (key->key() == Qt::Key_Backspace) {
    Options.TypeSizeKey('\b');
  } else if (typed) {
    Options.TypeSizeKey(SizeKey(key->text()[0]));
  } else {
    return false;  // cursor keys, Enter, Escape, Tab go on as usual
  }
  cbxDimSize->setEditText(ToQString(Options.SizeText()));
  return true;
}
