// "ASC CDL correction": which correction of a collection (.ccc) or decision
// list (.cdl) holding several a listed file stands for.
#pragma once

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

#include "core/LUTFormat.h"

class IDialogs;
class QComboBox;
struct TLutFileEntry;

class TfrmCdlChoice : public QDialog {
  Q_OBJECT

 public:
  TfrmCdlChoice(const QString& fileName, const QStringList& corrections, QWidget* owner);
  QComboBox* cbxCorrection;
};

// How the chooser lists the corrections of a file whose ids are `ids` (in
// file order): by id, or as "#2 (no id)" for one without an id of its own
// ("#3 (grade)" for an id that another correction has too).
QStringList CdlCorrectionNames(const std::vector<std::string>& ids);

// Asks which correction the row of a CDL file of more than one correction
// stands for, showing the entry's present choice, and keeps the answer in
// the entry: its id, or its place in the file when it has no id of its own
// (or shares it). Other files are left as they are. Answers false when the
// question was cancelled (the entry is then unchanged).
bool ChooseCdlCorrection(IDialogs& dialogs, QWidget* owner, const TLutRegistry& registry,
                         const std::filesystem::path& file, TLutFileEntry& entry);
// Whether a row of this format can hold a choice of correction.
bool IsCdlFormat(const TLutRegistry& registry, int formatIndex);
