// `tovilut convert`: every FILE through one output profile into one folder,
// in order, asking (or following --overwrite / --skip-existing) before
// replacing a file; stops at the first failure unless --keep-going.
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "ops/Conversion.h"
#include "xml/LookFormats.h"

namespace {

// Answers the question the Premiere look asks before replacing the .cube it
// writes beside itself, the way the command answers for its own outputs.
// Handed to the registry's look format for as long as it lives.
class TLookCubeConfirm : public IConfirm {
 public:
  TLookCubeConfirm(const TLutRegistry& registry, bool overwrite, bool skipExisting,
                   TProgressBar& progress)
      : Overwrite(overwrite), SkipExisting(skipExisting), Progress(progress) {
    for (const auto& format : registry.LutFormats)
      if (auto* look = dynamic_cast<TSpeedgradeLook3DLutV2Format*>(format.get())) Looks.push_back(look);
    for (auto* look : Looks) look->Confirm = this;
  }
  ~TLookCubeConfirm() override {
    for (auto* look : Looks) look->Confirm = nullptr;
  }

  TConfirmAnswer Confirm(const std::string& message, bool) override {
    if (Overwrite) return TConfirmAnswer::Yes;
    if (!SkipExisting && !StdinIsTerminal())
      throw std::runtime_error(Cube.string() +
                               " already exists; use --overwrite to replace it or "
                               "--skip-existing to keep it");
    TAnswer answer = TAnswer::No;
    if (!SkipExisting) {
      Progress.Finish();
      answer = Ask(message);
    }
    if (answer == TAnswer::Yes) return TConfirmAnswer::Yes;
    Declined = true;
    Cancelled = answer == TAnswer::Cancel;
    return Cancelled ? TConfirmAnswer::Cancel : TConfirmAnswer::No;
  }

  std::filesystem::path Cube;  // the .cube of the look being written
  bool Declined = false;
  bool Cancelled = false;

 private:
  bool Overwrite;
  bool SkipExisting;
  TProgressBar& Progress;
  std::vector<TSpeedgradeLook3DLutV2Format*> Looks;
};

struct TConvertOptions {
  std::string Profile;
  std::string OutputDir;
  std::string Size = "default";
  std::string Bits = "default";
  std::string InputBits = "default";
  bool Overwrite = false;
  bool SkipExisting = false;
  bool KeepGoing = false;
  bool Quiet = false;
  std::vector<std::string> Files;
};

int RunConvert(const TConvertOptions& o) {
  const TLutRegistry& registry = LutRegistry();
  const TLutOutputProfile& profile =
      registry.GetOutputProfile(FindOutputProfile(registry, o.Profile));
  const int size = EffectiveSize(registry, profile, SizeText(o.Size));
  try {
    if (registry.ProfileFormat(profile).Is3D) {
      CheckCubeSize(size);
    } else {
      CheckCurveSize(size);
    }
  } catch (const std::exception& e) {
    throw UsageError(e.what());
  }
  const int bits = ParseBits(o.Bits);
  // The same depth for every file read here, as a list row's setting does.
  const int inputBits = ParseBits(o.InputBits);
  for (const auto& format : registry.LutFormats) format->InputBits = inputBits;

  TProgressBar progress(!o.Quiet && StderrIsTerminal());
  TLookCubeConfirm lookCube(registry, o.Overwrite, o.SkipExisting, progress);
  const std::size_t n = o.Files.size();
  int status = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::filesystem::path input = o.Files[i];
    const std::filesystem::path output =
        OutputPathFor(o.OutputDir, input.filename().string(), profile);
    if (std::filesystem::exists(output) && !o.Overwrite) {
      if (o.SkipExisting) continue;
      if (!StdinIsTerminal()) {
        ReportFailure(input, output.string() +
                                 " already exists; use --overwrite to replace it or "
                                 "--skip-existing to keep it");
        status = 1;
        if (o.KeepGoing) continue;
        break;
      }
      progress.Finish();
      const TAnswer answer = AskOverwrite(output);
      if (answer == TAnswer::No) continue;
      if (answer == TAnswer::Cancel) break;
    }
    progress.Show(static_cast<double>(i + 1) * 100.0 / static_cast<double>(n),
                  input.filename().string());
    try {
      lookCube.Cube = LookCubePath(output);
      lookCube.Declined = false;
      ConvertLutFile(registry, input, output, profile, size, bits);
      if (lookCube.Cancelled) break;
      if (lookCube.Declined) continue;  // nothing was written
      if (!o.Quiet) {
        progress.Finish();
        std::cout << input.string() << " -> " << output.string() << std::endl;
      }
    } catch (const std::exception& e) {
      progress.Finish();
      ReportFailure(input, e.what());
      status = 1;
      if (!o.KeepGoing) break;
    }
  }
  return status;
}

}  // namespace

TCommand AddConvertCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("convert", "Convert LUT files through an output profile");
  auto o = std::make_shared<TConvertOptions>();
  cmd->add_option("-p,--profile", o->Profile,
                  "Output profile: number, name, or a unique piece of a name")
      ->required();
  cmd->add_option("-o,--output", o->OutputDir, "Output folder")->required();
  cmd->add_option("-s,--size", o->Size, "Cube size or curve length, or 'default'")
      ->capture_default_str();
  cmd->add_option("-b,--bits", o->Bits, "Bits per value written: default, 8, 10, 12, 14, 16")
      ->capture_default_str();
  cmd->add_option("--input-bits", o->InputBits,
                  "Bits per value assumed when reading integer codes: default (from the file), "
                  "8, 10, 12, 14, 16")
      ->capture_default_str();
  auto* overwrite = cmd->add_flag("--overwrite", o->Overwrite, "Replace existing output files");
  auto* skip = cmd->add_flag("--skip-existing", o->SkipExisting, "Keep existing output files");
  overwrite->excludes(skip);
  cmd->add_flag("--keep-going", o->KeepGoing, "Go on after a file fails");
  cmd->add_flag("-q,--quiet", o->Quiet, "Print only failures");
  cmd->add_option("FILE", o->Files, "LUT files to convert")->required();
  return {cmd, [o] { return RunConvert(*o); }};
}
