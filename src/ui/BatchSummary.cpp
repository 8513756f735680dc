#include "ui/BatchSummary.h"

QString BatchSummaryText(const TBatchCount& count) {
  return QStringLiteral("%1 converted, %2 skipped, %3 failed%4.")
      .arg(count.Converted)
      .arg(count.Skipped)
      .arg(count.Failed)
      .arg(count.Cancelled            ? QStringLiteral(", cancelled")
           : count.NotTried > 0 ? QStringLiteral(", %1 not tried").arg(count.NotTried)
                                : QString());
}
