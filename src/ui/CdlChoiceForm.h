// "ASC CDL correction": which correction of a collection (.ccc) or decision
// list (.cdl) holding several a listed file stands for.
#pragma once

#include <QDialog>
#include <filesystem>
#include <string>

#include "core/LUTFormat.h"

class IDialogs;
class QComboBox;

class TfrmCdlChoice : public QDialog {
  Q_OBJECT

 public:
  TfrmCdlChoice(const QString& fileName, const QStringList& ids, QWidget* owner);
  QComboBox* cbxCorrection;
};

// The id the user picks when the file, recognised as formatIndex, is a CDL
// file of more than one correction; "" (the first) for every other file, or
// when the question is dismissed.
std::string ChooseCdlCorrection(IDialogs& dialogs, QWidget* owner, const TLutRegistry& registry,
                                int formatIndex, const std::filesystem::path& file);
