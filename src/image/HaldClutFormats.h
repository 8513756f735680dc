// LUT pictures of other programs: the standard square Hald CLUT and the
// tiled strips of game engines and streaming tools. Both are recognised by
// the picture's size and content, read at the picture's own depth, and
// written as PNG.
#pragma once

#include <filesystem>
#include <string>

#include "core/LUTFormat.h"
#include "image/ImageLib.h"

// A square picture whose side is L^3 (L >= 2) holding an L^2-point cube.
// Written at the level whose cube is the record's size (64 points: level 8),
// at 8 or 16 bits.
class THaldClut3DLutFormat : public TLUTFormat {
 public:
  THaldClut3DLutFormat() : TLUTFormat("Hald CLUT", true, fcRead | fcWrite | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

// N^2 x N strips of N tiles (256 x 16, 1024 x 32, 4096 x 64), and the square
// picture of tiles wrapped into rows (512 x 512: 8 x 8 tiles of 64) when it
// reads smoother than as a Hald CLUT. Written as the one-row strip.
class TStrip3DLutFormat : public TLUTFormat {
 public:
  TStrip3DLutFormat() : TLUTFormat("Strip 3D", true, fcRead | fcWrite | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

// Why a picture no format took is no LUT, when it has a lattice's size: its
// colours do not follow the lattice. Empty for any other file.
std::string NotALutPictureReason(const std::filesystem::path& fileName);

// The identity Hald CLUT of the level at 8 or 16 bits (16 is kept by PNG and
// TIFF only), saved as the type after asking before an existing file is
// replaced; false when nothing was written.
bool GenerateHaldClut(const std::filesystem::path& fileName, int level, int bits,
                      TImageFileType type, IConfirm& confirm);
