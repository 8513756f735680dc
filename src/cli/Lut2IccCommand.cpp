// `tovilut lut2icc LUT -o FILE`: a LUT file as an ICC profile of the display,
// input (default) or device link class, version 4.0 (default) or 2.4.
#include <iostream>
#include <map>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "ops/IccConversions.h"

namespace {

struct TLut2IccOptions {
  std::string Lut;
  std::string Output;
  std::string Class = "input";
  std::optional<std::string> Description;
  std::string Copyright = "Copyright (c)";
  bool CaptureOne = false;
  int Version = 4;
  std::string InputBits = "default";
  bool Overwrite = false;
  bool SkipExisting = false;
  bool Quiet = false;
};

int RunLut2Icc(const TLut2IccOptions& o) {
  TLutProfileOptions options;
  const std::map<std::string, TICCProfileKind> kinds = {{"display", TICCProfileKind::Display},
                                                        {"input", TICCProfileKind::Input},
                                                        {"link", TICCProfileKind::DeviceLink}};
  options.Kind = kinds.at(o.Class);
  options.Description = o.Description.value_or(DefaultProfileDescription(o.Lut));
  options.Copyright = o.Copyright;
  options.CaptureOneGamma = o.CaptureOne;
  options.Version = o.Version == 2 ? TICCVersion::V2 : TICCVersion::V4;
  if (options.Description.empty()) throw EUsageError("the description must not be empty");
  if (options.Copyright.empty()) throw EUsageError("the copyright must not be empty");
  const TReadOptions readOptions = CliReadOptions(o.InputBits, "trilinear", o.Quiet);
  const std::filesystem::path output = OutputFileOption(o.Output, nullptr);
  WarnUnlessExtension(output, {".icc", ".icm"}, "the extensions of ICC profiles");
  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  std::vector<TWriteLoss> losses;
  try {
    if (!ConvertLutToICC(LutRegistry(), o.Lut, output, options, confirm, readOptions, &losses))
      return ReportNotWritten(output, o.SkipExisting, o.Quiet);
  } catch (const std::exception& e) {
    ReportFailure(o.Lut, e);
    return 1;
  }
  ReportLosses(o.Lut, losses);
  if (!o.Quiet) std::cout << o.Lut << " -> " << output.string() << std::endl;
  return 0;
}

}  // namespace

TCommand AddLut2IccCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("lut2icc", "Write a LUT file as an ICC profile");
  auto o = std::make_shared<TLut2IccOptions>();
  cmd->add_option("LUT", o->Lut, "LUT file")->required();
  cmd->add_option("-o,--output", o->Output, "ICC profile to write")->required();
  cmd->add_option("--class", o->Class, "Profile class: display, input or link")
      ->transform(CLI::IsMember({"display", "input", "link"}, CLI::ignore_case))
      ->capture_default_str();
  cmd->add_option("--description", o->Description,
                  "Profile description (default: the LUT file's name)");
  cmd->add_option("--copyright", o->Copyright, "Profile copyright")->capture_default_str();
  cmd->add_flag("--capture-one", o->CaptureOne,
                "Decode device values with gamma 1.8 (Adjust Gamma for Capture One)");
  cmd->add_option("--icc-version", o->Version,
                  "ICC version: 4 (4.0), or 2 (2.4) for software that reads version 2 only")
      ->check(CLI::IsMember({2, 4}))
      ->capture_default_str();
  AddInputBitsOption(*cmd, o->InputBits);
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  AddQuietFlag(*cmd, o->Quiet,
               "the \"LUT -> OUTPUT\" line"
               " or an output kept by --skip-existing on stdout");
  return {cmd, [o] { return RunLut2Icc(*o); }};
}
