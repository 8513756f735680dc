// Two more 3D text formats: the DaVinci DAT file (a "3DLUTSIZE" line, then
// floating-point "b g r" nodes, red index fastest) and the Pandora file
// (keyword header, then indexed integer-code nodes, blue index fastest).
#pragma once

#include "core/GenericLutFormat.h"

class TDavinciDat3DLutFormat : public TGenericLutFormat {
 public:
  TDavinciDat3DLutFormat() : TGenericLutFormat("Davinci DAT 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TPandora3DLutFormat : public TGenericLutFormat {
 public:
  TPandora3DLutFormat() : TGenericLutFormat("Pandora 3D, Technicolor", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};
