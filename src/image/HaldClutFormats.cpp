// Hald CLUT and strip pictures (layouts in PictureLattice.h).
//
// Quirks, and why:
// - A picture of a lattice's size is taken only when its lattice is
//   plausibly a LUT's (PlausibleLutLattice): photographs of 64 x 64 or
//   512 x 512 pixels are not, and reading one says why.
// - Only picture extensions are opened (.png, .tif, .tiff, .tga, .bmp, .jpg,
//   .jpeg), and the header's size is checked before any pixel is decoded, so
//   a folder of photographs is turned down cheaply.
// - Every square picture whose side is a cube (8, 27, 64, 125, 216, 343,
//   512, ...) has the size of a Hald CLUT and of a picture of tiles wrapped
//   into rows (512 x 512 is both a level-8 Hald CLUT and the 8 x 8 tiled
//   strip). Both readings are made and the smoother lattice decides; a tie
//   goes to the Hald CLUT.
// - Grey pictures (one channel, with or without alpha) are cubes of grey
//   outputs, as black-and-white looks are published.
// - Levels above 16 (pictures of 4913 pixels a side and more) are not
//   recognised: none is in use, and each would cost hundreds of megabytes.
#include "image/HaldClutFormats.h"

#include <optional>
#include <string>

#include "core/StringLib.h"
#include "image/ImageLib.h"
#include "image/PictureLattice.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* HaldWhat = "Hald CLUT";
constexpr const char* StripWhat = "Strip";

// Header of a picture of a known type; none for anything else.
std::optional<TImageInfo> PictureInfo(const fs::path& fileName) {
  if (!ImageFileTypeOf(fileName)) return std::nullopt;
  return ReadImageInfo(fileName);
}

int BitsOf(const TWriteContext& context, const char* what) {
  if (context.Bits == 0 || context.Bits == 8) return 8;
  if (context.Bits == 16) return 16;
  throw ELUTError(std::string(what) + " pictures hold 8 or 16 bits per value, not " +
                  std::to_string(context.Bits) + ".");
}

int CubeSizeOf(const TLUT& lut) {
  return lut.LutType == lt3D || lut.LutType == lt1DThen3D ? lut.Size3D() : 0;
}

}  // namespace

bool THaldClut3DLutFormat::Detect(const fs::path& fileName) const {
  const auto info = PictureInfo(fileName);
  if (!info) return false;
  const auto level = HaldClutLevelOf(info->Width, info->Height);
  if (!level) return false;
  const TDeepPicture picture = DecodeDeepImage(fileName);
  return !ReadsSmootherAsTiles(picture) && PlausibleLutLattice(picture, HaldClutLayout(*level));
}

void THaldClut3DLutFormat::Read(const fs::path& fileName, TLUT& lut,
                                const TReadOptions& options) const {
  const TDeepPicture picture = DecodeDeepImage(fileName);
  const auto level = HaldClutLevelOf(picture.Width, picture.Height);
  if (!level)
    throw ELUTError("Not a Hald CLUT: a square picture whose side is a cube (8, 27, 64, 125, "
                    "..., 512) is expected, this one is " +
                    std::to_string(picture.Width) + " x " + std::to_string(picture.Height) +
                    " pixels.");
  ReadLattice(picture, HaldClutLayout(*level), HaldWhat, lut, options.CubeSize);
}

void THaldClut3DLutFormat::Write(const fs::path& fileName, const TLUT& lut,
                                 const TWriteContext& context) const {
  const int size = CubeSizeOf(lut);
  const auto level = HaldClutLevelOfCube(size);
  if (!level)
    throw ELUTError("A Hald CLUT holds a cube of 4, 9, 16, 25, 36, 49, 64, 81 or 100 points, "
                    "not " + std::to_string(size) + ".");
  SaveDeepImage(fileName, LatticePicture(lut, HaldClutLayout(*level), BitsOf(context, HaldWhat)),
                TImageFileType::Png, context.Replace);
}

bool TStrip3DLutFormat::Detect(const fs::path& fileName) const {
  const auto info = PictureInfo(fileName);
  if (!info) return false;
  const auto layout = TiledLayoutOf(info->Width, info->Height);
  if (!layout) return false;
  const TDeepPicture picture = DecodeDeepImage(fileName);
  if (HaldClutLevelOf(info->Width, info->Height) && !ReadsSmootherAsTiles(picture)) return false;
  return PlausibleLutLattice(picture, *layout);
}

std::string NotALutPictureReason(const fs::path& fileName) {
  try {
    const auto info = PictureInfo(fileName);
    if (!info || !TiledLayoutOf(info->Width, info->Height)) return {};
    return "the picture is " + std::to_string(info->Width) + " x " +
           std::to_string(info->Height) +
           " pixels, the size of a Hald CLUT or strip, but its colours do not follow its "
           "lattice as a LUT's do (a photograph?)";
  } catch (const std::exception&) {
    return {};
  }
}

void TStrip3DLutFormat::Read(const fs::path& fileName, TLUT& lut,
                             const TReadOptions& options) const {
  const TDeepPicture picture = DecodeDeepImage(fileName);
  const auto layout = TiledLayoutOf(picture.Width, picture.Height);
  if (!layout)
    throw ELUTError("Not a strip LUT: a picture of N^2 x N pixels (256 x 16, 1024 x 32, "
                    "4096 x 64) or 512 x 512 is expected, this one is " +
                    std::to_string(picture.Width) + " x " + std::to_string(picture.Height) +
                    " pixels.");
  ReadLattice(picture, *layout, StripWhat, lut, options.CubeSize);
}

void TStrip3DLutFormat::Write(const fs::path& fileName, const TLUT& lut,
                              const TWriteContext& context) const {
  const int size = CubeSizeOf(lut);
  if (size < 2) throw ELUTError("A strip holds a cube of at least 2 points.");
  SaveDeepImage(fileName, LatticePicture(lut, TiledLayout(size, size), BitsOf(context, StripWhat)),
                TImageFileType::Png, context.Replace);
}

bool GenerateHaldClut(const fs::path& fileName, int level, int bits, TImageFileType type,
                      IConfirm& confirm) {
  if (level < MinHaldClutLevel || level > MaxHaldClutLevel)
    throw ELUTError("The Hald CLUT level must be from " + std::to_string(MinHaldClutLevel) +
                    " to " + std::to_string(MaxHaldClutLevel) + ", not " + std::to_string(level) +
                    ".");
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, fileName, false, &replace) != TConfirmAnswer::Yes) return false;
  TLUT identity;
  identity.LutType = ltEmpty;
  SaveDeepImage(fileName, LatticePicture(identity, HaldClutLayout(level), bits), type, replace);
  return true;
}
