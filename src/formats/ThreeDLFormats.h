// The 3DL family: cubes of integer code values, blue index fastest. The plain
// 3DL file (an input-shaper line, then one "r g b" line per node) and the
// Lustre mesh file (the same nodes behind a "3DMESH" / "Mesh a b" header).
#pragma once

#include "core/GenericLutFormat.h"

class T3dlLutFormat : public TGenericLutFormat {
 public:
  T3dlLutFormat() : TGenericLutFormat("3DL", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  // Works out the bit depth of the codes (ValueScale) unless InputBits gives it.
  void ReadHeader(const TTextFile& lines) override;
  void ReadLine(std::string_view line, TLUT& lut) override;
};

class TLustre3DLutFormat : public TGenericLutFormat {
 public:
  TLustre3DLutFormat() : TGenericLutFormat("Autodesk Lustre 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  // Its own driver: the size and depth come from the mesh line, and reading
  // stops at the last node, before the trailer.
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;
};
