// The cube family: keyword header lines, then one "r g b" node per line with
// the red index fastest. Plain cube, Truelight cube, 1D cube, FSI CFE and the
// Panasonic VLT (4095-scaled codes in a cube layout).
#pragma once

#include "core/GenericLutFormat.h"

class TCube3DLutFormat : public TGenericLutFormat {
 public:
  TCube3DLutFormat() : TCube3DLutFormat("Cube 3D", 1.0, true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
  // The plain cube only; its flavours write fixed layouts.
  bool KeepsDomain(const TLutDomain& domain) const override;

  const double ValueDivisor;  // file values are divided by this when read
  // Only the plain cube reads shapers and input ranges; its flavours keep
  // their own fixed layouts.
  const bool ReadsShaperAndRanges;

 protected:
  TCube3DLutFormat(std::string name, double valueDivisor, bool readsShaperAndRanges)
      : TGenericLutFormat(std::move(name), true),
        ValueDivisor(valueDivisor),
        ReadsShaperAndRanges(readsShaperAndRanges) {}
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TCube3DTruelightLutFormat : public TCube3DLutFormat {
 public:
  TCube3DTruelightLutFormat() : TCube3DLutFormat("Cube 3D Truelight", 1.0, false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TFSI_CFE_3DLutFormat : public TCube3DLutFormat {
 public:
  TFSI_CFE_3DLutFormat() : TCube3DLutFormat("FSI CFE (Flanders Scientific) 3D", 1.0, false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

class TPanasonic3DLutFormat : public TCube3DLutFormat {
 public:
  TPanasonic3DLutFormat() : TCube3DLutFormat("Panasonic 3D", 4095.0, false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

class TCube1DLutFormat : public TGenericLutFormat {
 public:
  TCube1DLutFormat() : TGenericLutFormat("Cube 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
  bool KeepsDomain(const TLutDomain& domain) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};
