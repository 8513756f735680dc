// `tovilut apply LUT IMAGE -o OUTPUT`: grade a picture with any LUT the
// program reads (OUTPUT may also follow IMAGE, as it did before -o). 8-bit
// pictures are graded at 8 bits per channel exactly as the preview does;
// 16-bit ones at 16 bits, and float TIFF, OpenEXR and 10-bit DPX in float,
// keeping alpha. The output's extension picks its encoding (.png, .bmp,
// .jpg, .tif, .exr, .dpx), which keeps as much of the depth as it can hold.
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "ops/PictureGrading.h"

namespace {

struct TApplyOptions {
  std::string Lut;
  std::string Image;
  std::string Output;
  std::string OutputOption;
  std::string InputBits = "default";
  std::string Interpolation = "trilinear";
  bool Overwrite = false;
  bool SkipExisting = false;
  bool Quiet = false;
};

int RunApply(const TApplyOptions& o) {
  if (!o.Output.empty() && !o.OutputOption.empty())
    throw EUsageError("give OUTPUT once: with -o or after IMAGE");
  if (o.Output.empty() && o.OutputOption.empty()) throw EUsageError("--output is required");
  const std::filesystem::path output =
      OutputFileOption(o.Output.empty() ? o.OutputOption : o.Output, nullptr);
  const auto outputType = ImageFileTypeOf(output);
  if (!outputType)
    throw EUsageError("OUTPUT must end in .png, .bmp, .jpg, .tif, .exr or .dpx, not '" +
                     FileExtension(output) + "'");
  const TReadOptions readOptions = CliReadOptions(o.InputBits, o.Interpolation, o.Quiet);
  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  try {
    if (!GradePictureFile(LutRegistry(), o.Lut, o.Image, output, *outputType, confirm,
                          readOptions))
      return ReportNotWritten(output, o.SkipExisting, o.Quiet);
  } catch (const std::exception& e) {
    ReportFailure(o.Image, e);  // a file's own failure names that file
    return 1;
  }
  if (!o.Quiet) std::cout << o.Image << " -> " << output.string() << std::endl;
  return 0;
}

}  // namespace

TCommand AddApplyCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("apply", "Apply a LUT to a picture at its own depth");
  cmd->footer(
      "Each pixel is looked up in the cube with trilinear interpolation (the eight nodes around "
      "it), as the preview does; --interp tetrahedral uses the four nodes of the tetrahedron "
      "around it, as most grading systems and FFmpeg do.");
  auto o = std::make_shared<TApplyOptions>();
  cmd->add_option("LUT", o->Lut, "LUT file in any readable format")->required();
  cmd->add_option("IMAGE", o->Image, "Picture to grade: .png, .bmp, .jpg, .tif, .exr, .dpx (16-bit and float ones at their depth)")->required();
  cmd->add_option("-o,--output", o->OutputOption,
                  "Graded picture: .png, .bmp, .jpg (quality 100), .tif, .exr, .dpx");
  cmd->add_option("OUTPUT", o->Output, "The graded picture, when not given with -o");
  AddInputBitsOption(*cmd, o->InputBits);
  AddInterpolationOption(*cmd, o->Interpolation);
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  AddQuietFlag(*cmd, o->Quiet,
               "the \"IMAGE -> OUTPUT\" line"
               " or an output kept by --skip-existing on stdout");
  return {cmd, [o] { return RunApply(*o); }};
}
