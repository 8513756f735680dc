// The line a batch ends with in the main window's status bar: how many files
// were converted, skipped (an existing file kept), and failed.
#pragma once

#include <QString>

struct TBatchCount {
  int Converted = 0;
  int Skipped = 0;
  int Failed = 0;
  bool Cancelled = false;
};

// "3 converted, 1 skipped, 0 failed." with ", cancelled" before the stop
// when the user ended the batch early.
QString BatchSummaryText(const TBatchCount& count);
