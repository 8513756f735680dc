#include "ui/BatchSummary.h"

QString BatchSummaryText(const TBatchCount& count) {
  return QStringLiteral("%1 converted, %2 skipped, %3 failed%4.")
      .arg(count.Converted)
      .arg(count.Skipped)
      .arg(count.Failed)
      .arg(count.Cancelled ? QStringLiteral(", cancelled") : QString());
}

TConfirmAnswer TSkipCountingConfirm::Confirm(const std::string& message, bool withNo) {
  return Inner_.Confirm(message, withNo);
}

TConfirmAnswer TSkipCountingConfirm::ConfirmOverwrite(const std::filesystem::path& file,
                                                      bool withNo) {
  const TConfirmAnswer answer = Inner_.ConfirmOverwrite(file, withNo);
  if (answer == TConfirmAnswer::No && Outputs_.count(file)) ++Count_.Skipped;
  return answer;
}
