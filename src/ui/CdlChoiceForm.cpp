#include "ui/CdlChoiceForm.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "ops/BitsOverride.h"
#include "ui/Dialogs.h"
#include "xml/CDLLib.h"

TfrmCdlChoice::TfrmCdlChoice(const QString& fileName, const QStringList& corrections, QWidget* owner)
    : QDialog(owner) {
  setWindowTitle(QStringLiteral("ASC CDL correction"));
  cbxCorrection = new QComboBox(this);
  cbxCorrection->addItems(corrections);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* question = new QLabel(QStringLiteral("%1 holds %2 corrections. Which one should be read?")
                                  .arg(fileName)
                                  .arg(corrections.size()),
                              this);
  question->setTextFormat(Qt::PlainText);
  question->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(question);
  layout->addWidget(BuddyLabel(QStringLiteral("&Correction"), cbxCorrection, this));
  layout->addWidget(cbxCorrection);
  layout->addStretch();
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

namespace {

// An id reads a correction only when no other correction of the file has it.
bool ReadById(const std::vector<std::string>& ids, std::size_t i) {
  return !ids[i].empty() && std::count(ids.begin(), ids.end(), ids[i]) == 1;
}

}  // namespace

QStringList CdlCorrectionNames(const std::vector<std::string>& ids) {
  QStringList names;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const QString place = QStringLiteral("#%1").arg(i + 1);
    if (ReadById(ids, i))
      names << QString::fromStdString(ids[i]);
    else if (ids[i].empty())
      names << place + QStringLiteral(" (no id)");
    else
      names << place + QStringLiteral(" (") + QString::fromStdString(ids[i]) + QLatin1Char(')');
  }
  return names;
}

bool IsCdlFormat(const TLutRegistry& registry, int formatIndex) {
  return formatIndex >= 0 && registry.GetLutFormat(formatIndex)->Name == "ASC CDL";
}

bool ChooseCdlCorrection(IDialogs& dialogs, QWidget* owner, const TLutRegistry& registry,
                         const std::filesystem::path& file, TLutFileEntry& entry) {
  if (!IsCdlFormat(registry, entry.FormatIndex)) return true;
  std::vector<std::string> ids;
  try {
    ids = ReadCDLIds(file);
  } catch (const std::exception&) {
    return true;  // reading the file says what is wrong with it
  }
  if (ids.size() < 2) return true;
  // The entry's present choice is shown first.
  int current = 0;
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (ReadById(ids, i) ? ids[i] == entry.CdlId : static_cast<int>(i) == entry.CdlIndex)
      current = static_cast<int>(i);
  TfrmCdlChoice dialog(QString::fromStdString(file.filename().string()), CdlCorrectionNames(ids), owner);
  dialog.cbxCorrection->setCurrentIndex(current);
  if (dialogs.Run(dialog) != QDialog::Accepted) return false;
  const int chosen = std::max(0, dialog.cbxCorrection->currentIndex());
  const bool byId = ReadById(ids, static_cast<std::size_t>(chosen));
  entry.CdlId = byId ? ids[static_cast<std::size_t>(chosen)] : std::string();
  entry.CdlIndex = byId ? -1 : chosen;
  return true;
}
