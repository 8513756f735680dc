#include "ops/BatchRow.h"

TReadOptions RowReadOptions(const TLutFileRow& row, const TBatchSettings& settings) {
  TReadOptions options = row.Entry ? ReadOptionsOf(*row.Entry) : TReadOptions{};
  options.CdlId = settings.CdlId;
  return options;
}

TWrittenRow CheckWritten(const TLutRegistry& registry, const TLutFileRow& row,
                         const TBatchSettings& settings, const std::filesystem::path& output,
                         const TLUT& target, const TLutDomain& lostDomain) {
  TWrittenRow written;
  written.LostDomain = lostDomain;
  if (settings.OnWarning) written.Clipped = CountClipped(registry, *settings.Profile, target);
  if (!settings.OnVerified) return written;
  TLUT source;
  LoadLutFile(registry, row.Path(), source, RowReadOptions(row, settings));
  try {
    written.Difference = VerifyOutput(registry, source, output);
  } catch (const std::exception& e) {
    written.VerifyError = std::make_exception_ptr(TVerifyError(output.string() + ": " + e.what()));
  }
  return written;
}

void ReportWritten(const TBatchSettings& settings, const TLutFileRow& row,
                   const std::filesystem::path& output, const TWrittenRow& written) {
  if (settings.OnConverted) settings.OnConverted(row, output);
  if (settings.OnWarning && written.Clipped.Count > 0)
    settings.OnWarning(row, ClipWarning(written.Clipped));
  if (settings.OnWarning && !written.LostDomain.IsUnit())
    settings.OnWarning(row, DomainWarning(written.LostDomain));
  if (written.VerifyError) std::rethrow_exception(written.VerifyError);
  if (settings.OnVerified && written.Difference) settings.OnVerified(row, output, *written.Difference);
}
