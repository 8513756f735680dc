// The line a batch ends with in the main window's status bar: how many files
// were converted, skipped at the overwrite question, and failed.
#pragma once

#include <QString>
#include <filesystem>
#include <set>

#include "core/UserPrompt.h"

struct TBatchCount {
  int Converted = 0;
  int Skipped = 0;
  int Failed = 0;
  bool Cancelled = false;
};

// "3 converted, 1 skipped, 0 failed." with ", cancelled" before the stop
// when the user ended the batch early.
QString BatchSummaryText(const TBatchCount& count);

// Passes the batch's questions on and counts the files the user chose to
// keep: No to the overwrite question about one of the batch's outputs (a
// writer may ask about a file of its own, which is no skipped input).
class TSkipCountingConfirm : public IConfirm {
 public:
  TSkipCountingConfirm(IConfirm& inner, TBatchCount& count, std::set<std::filesystem::path> outputs)
      : Inner_(inner), Count_(count), Outputs_(std::move(outputs)) {}
  TConfirmAnswer Confirm(const std::string& message, bool withNo) override;
  TConfirmAnswer ConfirmOverwrite(const std::filesystem::path& file, bool withNo) override;

 private:
  IConfirm& Inner_;
  TBatchCount& Count_;
  std::set<std::filesystem::path> Outputs_;
};
