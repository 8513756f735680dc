// Two more 3D text formats: the DaVinci DAT file (a "3DLUTSIZE" line, then
// floating-point "b g r" nodes, red index fastest) and the Pandora file
// (keyword header, then indexed integer-code nodes, blue index fastest).
#pragma once

#include "core/GenericLutFormat.h"

class TDavinciDat3DLutFormat : public TGenericLutFormat {
 public:
  TDavinciDat3DLutFormat() : TGenericLutFormat("Davinci DAT 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;

  // The file declares its size; otherwise it is the cube root of the node count.
  bool HasSizeKeyword = false;
};

class TPandora3DLutFormat : public TGenericLutFormat {
 public:
  TPandora3DLutFormat() : TGenericLutFormat("Pandora 3D, Technicolor", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  // ValueScale holds the maximum code, from the "out" line.
  void ReadLine(std::string_view line, TLUT& lut) override;
};
