// Hald CLUT and strip pictures (layouts in PictureLattice.h).
//
// Quirks, and why:
// - Only picture extensions are opened (.png, .tif, .tiff, .tga, .bmp, .jpg,
//   .jpeg), and the header's size is checked before any pixel is decoded, so
//   a folder of photographs is turned down cheaply.
// - Every square picture whose side is a cube (8, 27, 64, 125, 216, 343,
//   512, ...) has the size of a Hald CLUT and of a picture of tiles wrapped
//   into rows (512 x 512 is both a level-8 Hald CLUT and the 8 x 8 tiled
//   strip). Both readings are made and the smoother lattice decides; a tie
//   goes to the Hald CLUT.
// - Grey pictures hold no colour cube and are not recognised.
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

// Header of a colour picture of a known type; none for anything else.
std::optional<TImageInfo> ColourPictureInfo(const fs::path& fileName) {
  if (!ImageFileTypeOf(fileName)) return std::nullopt;
  const TImageInfo info = ReadImageInfo(fileName);
  if (info.Channels < 3 && !info.Palette) return std::nullopt;
  return info;
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
  const auto info = ColourPictureInfo(fileName);
  if (!info || !HaldClutLevelOf(info->Width, info->Height)) return false;
  return !ReadsSmootherAsTiles(DecodeDeepImage(fileName));
}

void THaldClut3DLutFormat::Read(const fs::path& fileName, TLUT& lut, const TReadOptions&) const {
  const TDeepPicture picture = DecodeDeepImage(fileName);
  const auto level = HaldClutLevelOf(picture.Width, picture.Height);
  if (!level)
    throw ELUTError("Not a Hald CLUT: a square picture whose side is a cube (8, 27, 64, 125, "
                    "..., 512) is expected, this one is " +
                    std::to_string(picture.Width) + " x " + std::to_string(picture.Height) +
                    " pixels.");
  ReadLattice(picture, HaldClutLayout(*level), HaldWhat, lut);
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
  const auto info = ColourPictureInfo(fileName);
  if (!info || !TiledLayoutOf(info->Width, info->Height)) return false;
  if (!HaldClutLevelOf(info->Width, info->Height)) return true;
  return ReadsSmootherAsTiles(DecodeDeepImage(fileName));
}

void TStrip3DLutFormat::Read(const fs::path& fileName, TLUT& lut, const TReadOptions&) const {
  const TDeepPicture picture = DecodeDeepImage(fileName);
  const auto layout = TiledLayoutOf(picture.Width, picture.Height);
  if (!layout)
    throw ELUTError("Not a strip LUT: a picture of N^2 x N pixels (256 x 16, 1024 x 32, "
                    "4096 x 64) or 512 x 512 is expected, this one is " +
                    std::to_string(picture.Width) + " x " + std::to_string(picture.Height) +
                    " pixels.");
  ReadLattice(picture, *layout, StripWhat, lut);
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
