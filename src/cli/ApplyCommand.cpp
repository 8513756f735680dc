// `tovilut apply LUT IMAGE OUTPUT`: grade a picture with any LUT the program
// reads. 8-bit pictures are graded at 8 bits per channel exactly as the
// preview does; 16-bit ones at 16 bits and float ones (OpenEXR, float TIFF)
// in float, keeping alpha. The output's extension picks its encoding (.png,
// .bmp, .jpg, .tif), which keeps as much of the depth as it can hold.
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
  bool Overwrite = false;
  bool SkipExisting = false;
};

int RunApply(const TApplyOptions& o) {
  const auto outputType = ImageFileTypeOf(o.Output);
  if (!outputType)
    throw EUsageError("OUTPUT must end in .png, .bmp, .jpg or .tif, not '" +
                     FileExtension(o.Output) + "'");
  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  try {
    GradePictureFile(LutRegistry(), o.Lut, o.Image, o.Output, *outputType, confirm);
  } catch (const std::exception& e) {
    ReportFailure(o.Image, e);  // a file's own failure names that file
    return 1;
  }
  return 0;
}

}  // namespace

TCommand AddApplyCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("apply", "Apply a LUT to a picture at its own depth");
  auto o = std::make_shared<TApplyOptions>();
  cmd->add_option("LUT", o->Lut, "LUT file in any readable format")->required();
  cmd->add_option("IMAGE", o->Image, "Picture to grade: .png, .bmp, .jpg, .tif; 16-bit and float pictures (.exr, .dpx) too")->required();
  cmd->add_option("OUTPUT", o->Output, "Graded picture: .png, .bmp, .jpg (quality 100), .tif")
      ->required();
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  return {cmd, [o] { return RunApply(*o); }};
}
