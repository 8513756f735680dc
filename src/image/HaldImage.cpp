// Hald image: a 32-point cube stored one node per pixel in an RGB
// 182 x 182 picture (BMP, JPEG, TIFF or PNG, 8 or 16 bits per sample). This is the program's own layout,
// not the square level-N Hald layout. Pixels are filled left to right, top
// to bottom, red slowest and blue fastest:
//
//   k = r*1024 + g*32 + b          (r, g, b = 0..31)
//   column = k mod 182, row = k div 182
//   identity colour = (r, g, b) * 255 div 31   -> 0, 8, 16, 24, 32, 41, ... 255
//
//   row 0:   (0,0,0) (0,0,8) (0,0,16) ... (0,0,255) (0,8,0) (0,8,8) ...
//   row 180: ... k = 32767 at column 7 is white; the rest of the picture
//            (356 pixels) carries nothing.
//
// Quirks, and why:
// - A picture is a Hald image only when it is plain RGB (no alpha, no
//   palette) of 8 or 16 bits and exactly 182 x 182; anything else is some
//   other picture. Photo editors often save a graded copy at 16 bits, which
//   is read at its full precision (c / 65535).
// - Detection looks at the extension first (.bmp, .jpg, .jpeg, .tif, .tiff,
//   .png, the whole extension) and then at the picture's header, so a folder of
//   large photographs is not decoded just to be turned down; a picture of the
//   right shape is decoded whole, so a damaged one fails at detection.
// - Reading takes the colours as they are: a graded image's colours are the
//   LUT's outputs, and an untouched one is close to, not exactly, the
//   identity (node 1 holds 8/255, not 1/31).
//
// OBS strip: a 512 x 512 PNG of 8 x 8 tiles of 64 x 64 pixels, 64 levels per
// channel. Red runs along x within a tile, green along y, and blue counts the
// tiles left to right, top to bottom:
//
//   pixel (x, y) = (x mod 64, y mod 64, (y div 64)*8 + x div 64) * 255/63
//
// The strip is written by passing the identity strip through the LUT at
// 8 bits, so curves, cubes, both, or nothing (the identity strip) all work.
#include "image/HaldImage.h"

#include <cmath>
#include <string>

#include "core/StringLib.h"
#include "image/Preview.h"

namespace fs = std::filesystem;

namespace {

std::uint8_t HaldLevel(int i) { return static_cast<std::uint8_t>(i * 255 / (HaldCubeSize - 1)); }

// Calls visit(r, g, b, column, row) for every node in file order.
template <typename Visit>
void ForEachHaldNode(Visit visit) {
  int k = 0;
  for (int r = 0; r < HaldCubeSize; ++r)
    for (int g = 0; g < HaldCubeSize; ++g)
      for (int b = 0; b < HaldCubeSize; ++b, ++k) visit(r, g, b, k % HaldImageSize, k / HaldImageSize);
}

bool HasHaldExtension(const fs::path& fileName) {
  const std::string ext = UpperCase(FileExtension(fileName));
  for (const char* known : {".BMP", ".JPEG", ".JPG", ".TIFF", ".TIF", ".PNG"})
    if (ext == known) return true;
  return false;
}

bool IsHaldShape(const TImageInfo& info) {
  return info.Channels == 3 && !info.Palette &&
         (info.BitsPerSample == 8 || info.BitsPerSample == 16) && info.Width == HaldImageSize &&
         info.Height == HaldImageSize;
}

}  // namespace

TBitmap GenerateHaldBitmap() {
  TBitmap bitmap(HaldImageSize, HaldImageSize);
  ForEachHaldNode([&](int r, int g, int b, int x, int y) {
    bitmap.SetPixel(x, y, {HaldLevel(r), HaldLevel(g), HaldLevel(b)});
  });
  return bitmap;
}

namespace {

fs::path WithTypeExtension(fs::path fileName, TImageFileType type) {
  if (FileExtension(fileName).empty()) {
    switch (type) {
      case TImageFileType::Bmp: fileName += ".bmp"; break;
      case TImageFileType::Jpeg: fileName += ".jpg"; break;
      case TImageFileType::Tiff: fileName += ".tif"; break;
      case TImageFileType::Png: fileName += ".png"; break;
      case TImageFileType::Exr: fileName += ".exr"; break;
      case TImageFileType::Dpx: fileName += ".dpx"; break;
      case TImageFileType::Tga: fileName += ".tga"; break;
    }
  }
  return fileName;
}

}  // namespace

fs::path SaveBitmapAs(const TBitmap& bitmap, fs::path fileName, TImageFileType type,
                      TReplace replace) {
  fileName = WithTypeExtension(std::move(fileName), type);
  SaveBitmap(fileName, bitmap, type, replace);
  return fileName;
}

fs::path GenerateHaldImage(const fs::path& fileName, TImageFileType type, IConfirm& confirm) {
  const fs::path target = WithTypeExtension(fileName, type);
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, target, false, &replace) != TConfirmAnswer::Yes) return {};
  return SaveBitmapAs(GenerateHaldBitmap(), target, type, replace);
}

TBitmap ObsIdentityStrip() {
  constexpr int size = 512, levels = 64;
  auto level = [](int l) {
    return static_cast<std::uint8_t>(std::nearbyint(l / double(levels - 1) * 255));
  };
  TBitmap strip(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      strip.SetPixel(x, y, {level(x % levels), level(y % levels), level((y / levels) * 8 + x / levels)});
  return strip;
}

bool THaldImage3DLutFormat::Detect(const fs::path& fileName) const {
  if (!HasHaldExtension(fileName)) return false;
  if (!IsHaldShape(ReadImageInfo(fileName))) return false;
  // Decoded whole, so that a damaged picture fails here and not at reading.
  (void)DecodeDeepImage(fileName);
  return true;
}

void THaldImage3DLutFormat::Read(const fs::path& fileName, TLUT& lut,
                                 const TReadOptions&) const {
  if (!ImageFileTypeOf(fileName)) {
    TBitmap unused;
    LoadImageToBitmap(fileName, unused);  // raises the unknown-extension message
  }
  const TDeepPicture picture = DecodeDeepImage(fileName);
  // A read asked for by format number skips detection, so any picture may
  // come here; one too small to hold the cube is refused instead of read past its end.
  if (picture.Width < HaldImageSize || picture.Height < HaldImageSize)
    throw ELUTError("Not a Hald image: " + std::to_string(HaldImageSize) + " x " +
                    std::to_string(HaldImageSize) + " pixels expected, the picture has " +
                    std::to_string(picture.Width) + " x " + std::to_string(picture.Height) + ".");
  lut.LutType = lt3D;
  lut.SetSize3D(HaldCubeSize);
  ForEachHaldNode([&](int r, int g, int b, int x, int y) {
    const std::size_t i = picture.Index(x, y);
    lut.Cube(r, g, b) = {picture.Value(i), picture.Value(i + 1), picture.Value(i + 2)};
  });
}

void TOBS3DLutFormat::Write(const fs::path& fileName, const TLUT& lut,
                            const TWriteContext& context) const {
  TBitmap strip = ObsIdentityStrip();
  ApplyToBitmap(lut, strip);
  SaveBitmap(fileName, strip, TImageFileType::Png, context.Replace);
}
