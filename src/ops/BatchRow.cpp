#include "ops/BatchRow.h"

#include <map>
#include <system_error>

#include "core/InputGuard.h"
#include "ops/Conversion.h"

namespace {

std::string Quoted(const std::filesystem::path& file) { return "\"" + file.string() + "\""; }

}  // namespace

void CheckBatchOutputs(const TLutRegistry& registry, const std::vector<TLutFileRow>& rows,
                       const TBatchSettings& settings) {
  const TLutOutputProfile& profile = *settings.Profile;
  std::map<std::filesystem::path, std::filesystem::path> inputs;  // key -> as given
  for (const TLutFileRow& row : rows)
    if (row.Checked) inputs.emplace(SameFileKey(row.Path()), row.Path());
  std::map<std::filesystem::path, std::filesystem::path> writtenBy;  // output key -> input
  // Every clash is listed, so that one run shows all there is to rename.
  std::string clashes;
  const auto clash = [&clashes](const std::string& text) {
    clashes += (clashes.empty() ? "" : "\n") + text;
  };
  for (const TLutFileRow& row : rows) {
    if (!row.Checked) continue;
    const std::filesystem::path output = OutputPathFor(settings.OutputFolder, row.FileName, profile);
    std::vector<std::filesystem::path> files = registry.ProfileFormat(profile).CompanionFiles(output);
    files.insert(files.begin(), output);
    for (const std::filesystem::path& file : files) {
      const std::filesystem::path key = SameFileKey(file);
      if (const auto input = inputs.find(key); input != inputs.end()) {
        clash("Converting " + Quoted(row.Path()) + " would write over the input " +
              Quoted(input->second));
        continue;
      }
      const auto [first, added] = writtenBy.emplace(key, row.Path());
      if (!added)
        clash(Quoted(first->second) + " and " + Quoted(row.Path()) + " would both be written to " +
              Quoted(file));
    }
  }
  if (!clashes.empty()) throw EBatchError(clashes + "; nothing was converted.");
}

TReadOptions RowReadOptions(const TLutFileRow& row, const TBatchSettings& settings) {
  TReadOptions options = row.Entry ? ReadOptionsOf(*row.Entry) : TReadOptions{};
  if (!settings.CdlId.empty()) options.CdlId = settings.CdlId;  // the command line's --cdl-id
  options.Interpolation = settings.Interpolation;
  if (settings.OnReadWarning)
    options.OnWarning = [&settings, &row](const std::filesystem::path&, const std::string& text) {
      settings.OnReadWarning(row, text);
    };
  return options;
}

std::filesystem::path KeptFile(const TLutRegistry& registry, const TLutOutputProfile& profile,
                               const std::filesystem::path& output) {
  for (const std::filesystem::path& file : registry.ProfileFormat(profile).CompanionFiles(output)) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, ec))) return file;
  }
  return output;
}

TWrittenRow CheckWritten(const TLutRegistry& registry, const TLutFileRow& row,
                         const TBatchSettings& settings, const std::filesystem::path& output,
                         std::vector<TWriteLoss> losses) {
  TWrittenRow written;
  written.Losses = std::move(losses);
  if (!settings.OnVerified) return written;
  TLUT source;
  TReadOptions again = RowReadOptions(row, settings);
  again.OnWarning = nullptr;  // said when it was first read
  LoadLutFile(registry, row.Path(), source, again);
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
  if (settings.OnWarning)
    for (const TWriteLoss& loss : written.Losses) settings.OnWarning(row, loss);
  if (written.VerifyError) std::rethrow_exception(written.VerifyError);
  if (settings.OnVerified && written.Difference) settings.OnVerified(row, output, *written.Difference);
}
