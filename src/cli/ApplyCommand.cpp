// `tovilut apply LUT IMAGE OUTPUT`: grade a picture with any LUT the program
// reads, at 8 bits per channel exactly as the preview does. Deeper pictures
// are taken at 8 bits and alpha is dropped; the output's extension picks its
// encoding (.png, .bmp, .jpg, .tif).
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "image/ImageLib.h"
#include "image/Preview.h"

namespace {

struct TApplyOptions {
  std::string Lut;
  std::string Image;
  std::string Output;
  bool Overwrite = false;
};

int RunApply(const TApplyOptions& o) {
  const auto outputType = ImageFileTypeOf(o.Output);
  if (!outputType)
    throw UsageError("OUTPUT must end in .png, .bmp, .jpg or .tif, not '" +
                     FileExtension(o.Output) + "'");
  // Each failure names the file it concerns.
  std::string current = o.Lut;
  try {
    TLUT lut;
    LutRegistry().LoadLut(o.Lut, lut, -1);
    if (lut.FormatIndex < 0) throw std::runtime_error("not a LUT file of any known format");
    current = o.Image;
    TBitmap picture;
    if (ImageFileTypeOf(o.Image) == TImageFileType::Png)
      DecodeImageFile(o.Image, picture);
    else
      LoadImageToBitmap(o.Image, picture);
    if (const auto status = GuardSingleOutput(o.Image, o.Output, o.Overwrite)) return *status;
    current = o.Output;
    ApplyToBitmap(lut, picture);
    SaveBitmap(o.Output, picture, *outputType);
  } catch (const std::exception& e) {
    ReportFailure(current, e.what());
    return 1;
  }
  return 0;
}

}  // namespace

TCommand AddApplyCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand("apply", "Apply a LUT to a picture at 8 bits per channel");
  auto o = std::make_shared<TApplyOptions>();
  cmd->add_option("LUT", o->Lut, "LUT file in any readable format")->required();
  cmd->add_option("IMAGE", o->Image, "Picture to grade: .png, .bmp, .jpg, .tif")->required();
  cmd->add_option("OUTPUT", o->Output, "Graded picture: .png, .bmp, .jpg (quality 100), .tif")
      ->required();
  cmd->add_flag("--overwrite", o->Overwrite, "Replace an existing output file");
  return {cmd, [o] { return RunApply(*o); }};
}
