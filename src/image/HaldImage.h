// LUTs that travel as pictures: the identity Hald image that the user grades
// in any photo editor and that comes back as a 32-point cube, and the
// 512 x 512 PNG strip of 64 levels that streaming software loads as a LUT.
#pragma once

#include <filesystem>

#include "core/LUTFormat.h"
#include "image/Bitmap.h"
#include "image/ImageLib.h"

constexpr int HaldImageSize = 182;  // pixels per side; 182 x 182 >= 32^3
constexpr int HaldCubeSize = 32;

// The identity Hald picture: node (r, g, b) at k = r*1024 + g*32 + b, pixel
// column k mod 182, row k div 182, colour (r, g, b) * 255 div 31. The 356
// pixels after the cube stay black.
TBitmap GenerateHaldBitmap();

// Write the bitmap as the given type (Bmp, Jpeg or Tiff), appending that
// type's extension when the name has none; an extension the user typed is
// kept as typed. Returns the path written.
std::filesystem::path SaveBitmapAs(const TBitmap& bitmap, std::filesystem::path fileName,
                                   TImageFileType type, TReplace replace = TReplace::Allow);

// Generate the identity Hald picture and save it with SaveBitmapAs, asking
// before an existing file is replaced; an empty path when nothing was written.
std::filesystem::path GenerateHaldImage(const std::filesystem::path& fileName, TImageFileType type,
                                        IConfirm& confirm);

// The 512 x 512 strip before any LUT: red = x mod 64, green = y mod 64,
// blue = (y div 64) * 8 + x div 64, each level L as round(L / 63 * 255).
TBitmap ObsIdentityStrip();

// A graded (or untouched) Hald picture read back as a 32-point cube. Read
// only: it has no output profile.
class THaldImage3DLutFormat : public TLUTFormat {
 public:
  THaldImage3DLutFormat() : TLUTFormat("Hald Image", true, fcRead | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
};

// The PNG strip. Write only: no file is ever detected as this format.
class TOBS3DLutFormat : public TLUTFormat {
 public:
  TOBS3DLutFormat() : TLUTFormat("OBS 3D", true, fcWrite) {}
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};
