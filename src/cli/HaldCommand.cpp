// `tovilut hald [--level L] FILE`: write an identity picture to grade in a
// photo editor. Without --level it is the program's own 182 x 182 Hald image
// (.bmp, .jpg, .tif; a name without an extension gets ".tif", the type the
// desktop program offers first); with it, the standard level-L Hald CLUT that
// other programs exchange (.png, .tif, .tga, .bmp, .jpg; ".png" when none is given).
#include <iostream>
#include <memory>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "image/HaldClutFormats.h"
#include "image/HaldImage.h"
#include "image/PictureLattice.h"

namespace {

struct THaldOptions {
  std::string File;
  int Level = 0;  // 0: the 182 x 182 layout
  int Bits = 8;
  bool Overwrite = false;
  bool SkipExisting = false;
  bool Quiet = false;
};

// The file named, with the default extension when it has none.
std::filesystem::path HaldFileName(const THaldOptions& o) {
  std::filesystem::path file = o.File;
  if (FileExtension(file).empty()) file += o.Level != 0 ? ".png" : ".tif";
  return file;
}

std::filesystem::path WrittenHaldClut(const THaldOptions& o, IConfirm& confirm) {
  const std::filesystem::path file = HaldFileName(o);
  const auto type = ImageFileTypeOf(file);
  if (!type || *type == TImageFileType::Exr || *type == TImageFileType::Dpx)
    throw EUsageError("a Hald CLUT is written as .png, .tif, .tga, .bmp or .jpg, not '" +
                      FileExtension(file) + "'");
  if (o.Bits == 16 && *type != TImageFileType::Png && *type != TImageFileType::Tiff)
    throw EUsageError("16 bits are written as .png or .tif only");
  return GenerateHaldClut(file, o.Level, o.Bits, *type, confirm) ? file : std::filesystem::path();
}

std::filesystem::path WrittenHaldImage(const THaldOptions& o, IConfirm& confirm) {
  const std::filesystem::path file = HaldFileName(o);
  const auto type = ImageFileTypeOf(file);
  if (!type || (*type != TImageFileType::Bmp && *type != TImageFileType::Jpeg &&
                 *type != TImageFileType::Tiff))
    throw EUsageError("a Hald image is written as .bmp, .jpg or .tif, not '" +
                      FileExtension(file) + "'");
  if (o.Bits != 8) throw EUsageError("--bits needs --level");
  return GenerateHaldImage(file, *type, confirm);
}

int RunHald(const THaldOptions& o) {
  TCliConfirm confirm(o.Overwrite, o.SkipExisting);
  const bool clut = o.Level != 0;
  // Usage errors first, outside the file's own failure report.
  std::filesystem::path written;
  try {
    written = clut ? WrittenHaldClut(o, confirm) : WrittenHaldImage(o, confirm);
  } catch (const EUsageError&) {
    throw;
  } catch (const std::exception& e) {
    ReportFailure(o.File, e);
    return 1;
  }
  if (written.empty()) return ReportNotWritten(HaldFileName(o), o.SkipExisting, o.Quiet);
  if (!o.Quiet) std::cout << written.string() << std::endl;
  return 0;
}

}  // namespace

TCommand AddHaldCommand(CLI::App& app) {
  CLI::App* cmd = app.add_subcommand(
      "hald", "Write an identity Hald image; grade it and read it back as a LUT");
  auto o = std::make_shared<THaldOptions>();
  cmd->add_option("FILE", o->File,
                  "Image to write: .bmp, .jpg (quality 100) or .tif; with --level also .png")
      ->required();
  cmd->add_option("-l,--level", o->Level,
                  "Write the standard square Hald CLUT of this level (an L^2-point cube in an "
                  "L^3 x L^3 picture) instead of the 182 x 182 image")
      ->check(CLI::Range(MinHaldClutLevel, MaxHaldClutLevel));
  cmd->add_option("-b,--bits", o->Bits, "Bits per sample of a Hald CLUT: 8 or 16 (.png, .tif)")
      ->check(CLI::IsMember({8, 16}));
  AddOverwriteFlags(*cmd, o->Overwrite, o->SkipExisting);
  AddQuietFlag(*cmd, o->Quiet,
               "the name of the picture written"
               " or one kept by --skip-existing on stdout");
  return {cmd, [o] { return RunHald(*o); }};
}
