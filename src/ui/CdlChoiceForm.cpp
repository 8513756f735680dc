#include "ui/CdlChoiceForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/Dialogs.h"
#include "xml/CDLLib.h"

TfrmCdlChoice::TfrmCdlChoice(const QString& fileName, const QStringList& ids, QWidget* owner)
    : QDialog(owner) {
  setWindowTitle(QStringLiteral("ASC CDL correction"));
  cbxCorrection = new QComboBox(this);
  cbxCorrection->addItems(ids);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new QLabel(QStringLiteral("%1 holds %2 corrections. Which one should be read?")
                     .arg(fileName)
                     .arg(ids.size()),
                 this));
  layout->addWidget(cbxCorrection);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string ChooseCdlCorrection(IDialogs& dialogs, QWidget* owner, const TLutRegistry& registry,
                                int formatIndex, const std::filesystem::path& file) {
  if (registry.GetLutFormat(formatIndex)->Name != "ASC CDL") return {};
  std::vector<std::string> ids;
  try {
    ids = ReadCDLIds(file);
  } catch (const std::exception&) {
    return {};  // reading the file says what is wrong with it
  }
  if (ids.size() < 2) return {};
  QStringList items;
  for (const std::string& id : ids) items << QString::fromStdString(id);
  TfrmCdlChoice dialog(QString::fromStdString(file.filename().string()), items, owner);
  if (dialogs.Run(dialog) != QDialog::Accepted) return {};
  return dialog.cbxCorrection->currentText().toStdString();
}
