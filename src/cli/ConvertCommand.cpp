// `tovilut convert`: the batch conversion of the desktop program, one row per
// FILE (and per LUT file of a FOLDER), all checked: every file through one
// output profile into one folder, in order, asking (or following --overwrite
// / --skip-existing) before replacing a file; stops at the first failure
// unless --keep-going. --jobs runs the batch on several threads with the
// same outputs, messages and status.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "ops/BatchConversion.h"
#include "ops/BatchInputs.h"
#include "ops/Conversion.h"

namespace {

struct TConvertOptions {
  std::string Profile;
  std::string OutputDir;
  std::string Size = "default";
  std::string Bits = "default";
  std::string InputBits = "default";
  std::string CdlId;
  std::string Interpolation = "trilinear";
  bool Overwrite = false;
  bool SkipExisting = false;
  bool KeepGoing = false;
  bool Quiet = false;
  bool Verify = false;
  bool Recursive = false;
  std::optional<int> Jobs;  // unset: one per core
  std::vector<std::string> Files;
};

int RunConvert(const TConvertOptions& o) {
  const TLutRegistry& registry = LutRegistry();
  const TOutputOptions options =
      ChooseOutputOptions(registry, TOptionsDialog::Convert, o.Profile, o.Size, o.Bits);
  const int inputBits = ParseBits(o.InputBits);
  if (o.Jobs && *o.Jobs < 1) throw EUsageError("--jobs must be a number of at least 1");
  const int jobs =
      o.Jobs ? *o.Jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  PrepareOutputFolder(o.OutputDir);

  // Each file is a checked row that remembers the format that recognised it,
  // so the input depth reaches that format before the read, as in the list.
  const std::vector<std::filesystem::path> inputs(o.Files.begin(), o.Files.end());
  const std::vector<TLutFileRow> rows = BatchRows(registry, inputs, o.Recursive, inputBits);
  // Files from subfolders go to the same subfolders of the output.
  for (const TLutFileRow& row : rows) {
    const std::filesystem::path sub = std::filesystem::path(row.FileName).parent_path();
    if (!sub.empty()) PrepareOutputFolder(std::filesystem::path(o.OutputDir) / sub);
  }

  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  TCliProgress progress(!o.Quiet && StderrIsTerminal());
  std::vector<std::string> failed;
  std::size_t converted = 0;
  std::size_t done = 0;  // converted, kept or failed
  TBatchSettings settings;
  settings.OutputFolder = o.OutputDir;
  settings.Profile = options.SelectedProfile();
  settings.Size = options.EffectiveSize();
  settings.Bits = options.SelectedBits();
  settings.CdlId = o.CdlId;
  settings.Interpolation = CliReadOptions(o.InputBits, o.Interpolation).Interpolation;
  settings.OnError = [&](const TLutFileRow& row, const std::exception& error) {
    progress.Pause();
    ReportFailure(row.Path(), error);
    failed.push_back(row.Path().string());
    ++done;
    return o.KeepGoing;
  };
  settings.OnConverted = [&](const TLutFileRow& row, const std::filesystem::path& output) {
    ++converted;
    ++done;
    if (o.Quiet) return;
    progress.Pause();
    std::cout << row.Path().string() << " -> " << output.string() << std::endl;
  };
  const auto warn = [&](const TLutFileRow& row, const std::string& warning) {
    progress.Pause();
    std::cerr << row.Path().string() << ": warning: " << warning << std::endl;
  };
  settings.OnWarning = [warn](const TLutFileRow& row, const TWriteLoss& loss) { warn(row, loss.Text); };
  if (!o.Quiet) settings.OnReadWarning = warn;  // what a reader says
  bool unverified = false;
  if (o.Verify) {
    settings.OnVerified = [&](const TLutFileRow&, const std::filesystem::path& output, double d) {
      progress.Pause();
      std::cout << output.string() << ": largest difference " << d << std::endl;
    };
    const auto onError = settings.OnError;
    settings.OnError = [&unverified, onError](const TLutFileRow& row, const std::exception& error) {
      if (dynamic_cast<const TVerifyError*>(&error)) unverified = true;
      return onError(row, error);
    };
  }
  settings.OnSkipped = [&](const TLutFileRow&, const std::filesystem::path& output) {
    ++done;
    if (o.Quiet) return;
    progress.Pause();
    ReportSkipped(output);
  };
  TBatchResult result = TBatchResult::Completed;
  try {
    result = ConvertCheckedFilesParallel(registry, rows, settings, confirm, progress, jobs);
  } catch (const EBatchError&) {
    throw;  // refused before any file: said once by main
  } catch (const std::exception&) {
    // already reported by OnError; the batch stopped there
  }
  if (result == TBatchResult::Cancelled) {
    progress.Pause();
    if (const int signal = progress.Signal()) {
      std::cerr << "tovilut: interrupted after " << done << " of " << rows.size() << " files"
                << std::endl;
      return 128 + signal;
    }
    std::cerr << "tovilut: cancelled" << std::endl;
  }
  if (o.KeepGoing && !failed.empty()) {
    std::cerr << failed.size() << " of " << rows.size() << " files failed:\n";
    for (const std::string& f : failed) std::cerr << "  " << f << "\n";
    std::cerr << converted << " converted, " << failed.size() << " failed" << std::endl;
  }
  if (unverified) return 3;
  return failed.empty() && result == TBatchResult::Completed ? 0 : 1;
}

}  // namespace

TCommand AddConvertCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("convert", "Convert LUT files through an output profile");
  auto o = std::make_shared<TConvertOptions>();
  cmd->add_option("-p,--profile", o->Profile,
                  "Output profile: number, name, or a unique piece of a name")
      ->required();
  cmd->add_option("-o,--output", o->OutputDir, "Output folder (created when missing)")->required();
  cmd->add_option("-s,--size", o->Size,
                  "Cube size or curve length, 'default', or 'source' (each file's own)")
      ->capture_default_str();
  cmd->add_option("-b,--bits", o->Bits, "Bits per value written: default, 8, 10, 12, 14, 16")
      ->capture_default_str();
  AddInputBitsOption(*cmd, o->InputBits);
  AddInterpolationOption(*cmd, o->Interpolation);
  cmd->add_option("--cdl-id", o->CdlId,
                  "The correction read from a CDL collection or decision list, by its id "
                  "(default: the first)");
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  cmd->add_flag("--keep-going", o->KeepGoing, "Go on after a file fails");
  AddQuietFlag(*cmd, o->Quiet,
               "the \"FILE -> OUTPUT\" lines or the outputs kept by --skip-existing on stdout, "
               "nor the progress bar");
  cmd->add_flag("--verify", o->Verify,
                "Read every output back and print its largest difference from the source");
  cmd->add_flag("-r,--recursive", o->Recursive, "Take the LUT files of subfolders of a FOLDER too");
  cmd->add_option("-j,--jobs", o->Jobs, "Files converted at once (default: one per core)");
  cmd->add_option("FILE", o->Files, "LUT files, or folders of them, to convert")->required();
  return {cmd, [o] { return RunConvert(*o); }};
}
