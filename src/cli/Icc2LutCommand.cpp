// `tovilut icc2lut ICC -p PROFILE -o FILE`: a LUT sampled from the colour
// transform of an ICC profile and a second profile (sRGB by default), with a
// rendering intent and black point compensation.
#include <iostream>
#include <map>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "ops/IccConversions.h"
#include "icc/ICCWriteLib.h"
#include "registry/FormatTable.h"

namespace {

const std::map<std::string, TICCIntent> Intents = {{"perceptual", TICCIntent::Perceptual},
                                                   {"relative", TICCIntent::RelativeColorimetric},
                                                   {"saturation", TICCIntent::Saturation},
                                                   {"absolute", TICCIntent::AbsoluteColorimetric}};

struct TIcc2LutOptions {
  std::string Icc;
  std::string Second;
  bool Invert = false;
  std::string Intent = "perceptual";
  bool BlackPointCompensation = false;
  std::string Profile;
  std::string Output;
  std::string Size = "default";
  std::string Bits = "default";
  bool Overwrite = false;
  bool SkipExisting = false;
  bool Quiet = false;
};

// What made the LUT, for its title (or first comment):
// "display.icc with sRGB, inverted, relative intent, black point compensation".
std::string MadeFrom(const TIcc2LutOptions& o) {
  std::string text = std::filesystem::path(o.Icc).filename().string();
  std::uint32_t profileClass = 0;
  try {
    profileClass = ReadProfileClass(o.Icc);
  } catch (const EICCError&) {  // said by the conversion
  }
  if (UsesSecondProfile(profileClass))
    text += " with " + (o.Second.empty() ? std::string("sRGB")
                                         : std::filesystem::path(o.Second).filename().string());
  text += o.Invert ? ", inverted, " : ", forward, ";
  text += o.Intent + " intent, ";
  text += o.BlackPointCompensation ? "black point compensation" : "no black point compensation";
  return text;
}

int RunIcc2Lut(const TIcc2LutOptions& o) {
  const TLutRegistry& registry = LutRegistry();
  const TOutputOptions options =
      ChooseOutputOptions(registry, TOptionsDialog::IccToLut, o.Profile, o.Size, o.Bits);
  const TLutOutputProfile& profile = *options.SelectedProfile();
  const int size = options.EffectiveSize();
  const int bits = options.SelectedBits();
  // The dialog falls back to sRGB for a name that is not a file; a name typed
  // here is meant, so a missing one is an error rather than a silent sRGB.
  std::error_code ec;
  if (!o.Second.empty() && !std::filesystem::is_regular_file(o.Second, ec)) {
    ReportFailure(o.Second, "No such profile file.");
    return 1;
  }
  // The dialog hides the second profile for a device link; here it was
  // typed, so it must not be dropped without a word. (A profile that cannot
  // be read is reported by the conversion.)
  if (!o.Second.empty() && std::filesystem::is_regular_file(o.Icc, ec)) {
    std::uint32_t profileClass = 0;
    try {
      profileClass = ReadProfileClass(o.Icc);
    } catch (const EICCError&) {
    }
    if (profileClass == Signature("link"))
      throw EUsageError(
          "--second cannot be used with a device link: the link is the whole transform");
  }
  TICCTransformRequest request{o.Icc, o.Second, o.Invert};
  request.Intent = Intents.at(o.Intent);
  request.BlackPointCompensation = o.BlackPointCompensation;
  const std::filesystem::path output = OutputFileOption(o.Output, &profile);
  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  std::vector<TWriteLoss> losses;
  try {
    if (!ConvertICCToLut(registry, request, output, profile, size, bits, confirm, MadeFrom(o),
                         &losses))
      return ReportNotWritten(output, o.SkipExisting, o.Quiet);
  } catch (const std::exception& e) {
    ReportFailure(o.Icc, e);
    return 1;
  }
  ReportLosses(o.Icc, losses);
  if (!o.Quiet) std::cout << o.Icc << " -> " << output.string() << std::endl;
  return 0;
}

}  // namespace

TCommand AddIcc2LutCommand(CLI::App& app) {
  CLI::App* cmd =
      app.add_subcommand("icc2lut", "Sample the colour transform of an ICC profile into a LUT");
  auto o = std::make_shared<TIcc2LutOptions>();
  cmd->add_option("ICC", o->Icc, "ICC profile")->required();
  cmd->add_option("--second", o->Second,
                  "Second colour space profile (default: sRGB); not with a device link");
  cmd->add_flag("--invert", o->Invert, "Invert the colour transformation");
  cmd->add_option("--intent", o->Intent,
                  "Rendering intent: perceptual, relative, saturation or absolute")
      ->transform(
          CLI::IsMember({"perceptual", "relative", "saturation", "absolute"}, CLI::ignore_case))
      ->capture_default_str();
  cmd->add_flag("--bpc", o->BlackPointCompensation, "Black point compensation");
  cmd->add_option("-p,--profile", o->Profile,
                  "Output profile: number, name, or a unique piece of a name")
      ->required();
  cmd->add_option("-o,--output", o->Output,
                  "LUT file to write (the profile's extension is added when it has none)")
      ->required();
  cmd->add_option("-s,--size", o->Size, "Cube size or curve length, or 'default'")
      ->capture_default_str();
  cmd->add_option("-b,--bits", o->Bits, "Bits per value written: default, 8, 10, 12, 14, 16")
      ->capture_default_str();
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  AddQuietFlag(*cmd, o->Quiet,
               "the \"ICC -> OUTPUT\" line"
               " or an output kept by --skip-existing on stdout");
  return {cmd, [o] { return RunIcc2Lut(*o); }};
}
