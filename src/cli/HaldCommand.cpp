// `tovilut hald FILE`: write the identity Hald image to grade in a photo
// editor. The extension picks the encoding (.bmp, .jpg, .tif); a name without
// one gets ".tif", the type the desktop program offers first.
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "image/HaldImage.h"

namespace {

struct THaldOptions {
  std::string File;
  bool Overwrite = false;
  bool SkipExisting = false;
};

int RunHald(const THaldOptions& o) {
  std::filesystem::path file = o.File;
  if (FileExtension(file).empty()) file += ".tif";
  const auto type = ImageFileTypeOf(file);
  if (!type || *type == TImageFileType::Png)
    throw EUsageError("a Hald image is written as .bmp, .jpg or .tif, not '" +
                     FileExtension(file) + "'");
  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  try {
    const std::filesystem::path written = GenerateHaldImage(file, *type, confirm);
    if (written.empty()) return ReportNotWritten(file, o.SkipExisting, false);
    std::cout << written.string() << std::endl;
  } catch (const std::exception& e) {
    ReportFailure(file, e);
    return 1;
  }
  return 0;
}

}  // namespace

TCommand AddHaldCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "hald", "Write the identity Hald image; grade it and read it back as a 32-point LUT");
  auto o = std::make_shared<THaldOptions>();
  cmd->add_option("FILE", o->File, "Image to write: .bmp, .jpg (quality 100) or .tif")->required();
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  return {cmd, [o] { return RunHald(*o); }};
}
