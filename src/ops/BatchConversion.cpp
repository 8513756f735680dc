#include "ops/BatchConversion.h"

#include "ops/BatchRow.h"
#include "ops/Conversion.h"

namespace {

// Ends the progress display however the batch ends.
struct TProgressScope {
  IProgress& Progress;
  ~TProgressScope() { Progress.End(); }
};

}  // namespace

TBatchResult ConvertCheckedFiles(const TLutRegistry& registry, const std::vector<TLutFileRow>& rows,
                                 const TBatchSettings& settings, IConfirm& confirm,
                                 IProgress& progress) {
  const TLutOutputProfile& profile = *settings.Profile;
  // A size the resampling cannot use is refused before anything is written.
  CheckProfileSize(registry, profile, settings.Size);
  CheckBatchOutputs(registry, rows, settings);
  progress.Begin("Convertion...", "The selected files are being converted. Please wait...");
  TProgressScope scope{progress};
  const std::size_t n = rows.size();  // all rows, so the bar may stop short of 100
  std::size_t checked = 0, number = 0;
  for (const TLutFileRow& row : rows) checked += row.Checked ? 1 : 0;
  for (std::size_t i = 0; i < n; ++i) {
    const TLutFileRow& row = rows[i];
    if (!row.Checked) continue;
    progress.SetItem(++number, checked, row.FileName);
    try {
      const std::filesystem::path output =
          OutputPathFor(settings.OutputFolder, row.FileName, profile);
      TReplace replace = TReplace::Never;
      const TConfirmAnswer answer = ConfirmWrite(confirm, output, true, &replace);
      if (answer == TConfirmAnswer::No) {
        if (settings.OnSkipped) settings.OnSkipped(row, output);
        continue;
      }
      if (answer == TConfirmAnswer::Cancel) return TBatchResult::Cancelled;
      progress.SetProgress(static_cast<double>(i + 1) * 100.0 / static_cast<double>(n));
      if (progress.Cancelled()) return TBatchResult::Cancelled;
      TShapedLut shaped = ReadShaped(registry, row.Path(), profile, settings.Size, settings.Bits,
                                     RowReadOptions(row, settings));
      try {
        registry.SaveLut(output, shaped.Lut, profile, settings.Bits, &confirm, replace);
      } catch (const EOutputKept&) {
        if (settings.OnSkipped) settings.OnSkipped(row, KeptFile(registry, profile, output));
        continue;
      }
      shaped.Lut = TLUT();  // released before the source is read again to verify it
      ReportWritten(settings, row, output,
                    CheckWritten(registry, row, settings, output, std::move(shaped.Losses)));
    } catch (const std::exception& error) {
      if (!settings.OnError || !settings.OnError(row, error)) throw;
    }
  }
  return TBatchResult::Completed;
}
