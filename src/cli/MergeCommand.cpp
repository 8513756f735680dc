// `tovilut merge`: several LUTs applied in the order given (the first file
// first) to an identity cube, written as one 3D LUT.
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "ops/LutMerge.h"

namespace {

struct TMergeOptions {
  std::string Profile;
  std::string Output;
  std::string Size = "default";
  std::string Bits = "default";
  std::string InputBits = "default";
  std::string Interpolation = "trilinear";
  bool Overwrite = false;
  bool SkipExisting = false;
  bool Quiet = false;
  std::vector<std::string> Files;
};

int RunMerge(const TMergeOptions& o) {
  const TLutRegistry& registry = LutRegistry();
  const TOutputOptions options =
      ChooseOutputOptions(registry, TOptionsDialog::Merge, o.Profile, o.Size, o.Bits);
  const TReadOptions readOptions = CliReadOptions(o.InputBits, o.Interpolation, o.Quiet);
  const std::filesystem::path output = OutputFileOption(o.Output, options.SelectedProfile());
  const std::vector<std::filesystem::path> files(o.Files.begin(), o.Files.end());
  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  std::vector<TWriteLoss> losses;
  try {
    if (!SaveMergedLut(registry, files, output, *options.SelectedProfile(),
                       options.EffectiveSize(), options.SelectedBits(), confirm, readOptions,
                       &losses))
      return ReportNotWritten(output, o.SkipExisting, o.Quiet);
  } catch (const std::exception& e) {
    ReportFailure(output, e);
    return 1;
  }
  ReportLosses(files.front(), losses);
  // What was written, in the words of convert: the inputs in the order they apply.
  if (!o.Quiet) {
    std::string inputs;
    for (const std::string& file : o.Files) inputs += (inputs.empty() ? "" : " + ") + file;
    std::cout << inputs << " -> " << output.string() << std::endl;
  }
  return 0;
}

}  // namespace

TCommand AddMergeCommand(CLI::App& app) {
  CLI::App* cmd =
      app.add_subcommand("merge", "Merge LUTs into one 3D LUT, the first file applied first");
  auto o = std::make_shared<TMergeOptions>();
  cmd->add_option("-p,--profile", o->Profile,
                  "3D output profile: number, name, or a unique piece of a name")
      ->required();
  cmd->add_option("-o,--output", o->Output,
                  "Output LUT file (the profile's extension is added when it has none)")
      ->required();
  cmd->add_option("-s,--size", o->Size, "Cube size, or 'default'")->capture_default_str();
  cmd->add_option("-b,--bits", o->Bits, "Bits per value written: default, 8, 10, 12, 14, 16")
      ->capture_default_str();
  AddInputBitsOption(*cmd, o->InputBits);
  AddInterpolationOption(*cmd, o->Interpolation);
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  AddQuietFlag(*cmd, o->Quiet,
               "the \"FILE + FILE -> OUTPUT\" line or an output kept by --skip-existing on stdout");
  cmd->add_option("FILE", o->Files, "LUT files, in the order they apply")->required();
  return {cmd, [o] { return RunMerge(*o); }};
}
