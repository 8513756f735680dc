// The line a batch ends with in the main window's status bar: how many files
// were converted, skipped (an existing file kept), failed, and, when a
// failure ended the batch, not tried.
#pragma once

#include <QString>

struct TBatchCount {
  int Converted = 0;
  int Skipped = 0;
  int Failed = 0;
  int NotTried = 0;  // checked rows the batch never reached
  bool Cancelled = false;
};

// "3 converted, 1 skipped, 0 failed." with ", 5 not tried" when a failure
// ended the batch early, or ", cancelled" when the user did.
QString BatchSummaryText(const TBatchCount& count);
