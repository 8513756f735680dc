// The cube family: keyword header lines, then one "r g b" node per line with
// the red index fastest. Plain cube, Truelight cube, 1D cube, FSI CFE and the
// Panasonic VLT (4095-scaled codes in a cube layout).
#pragma once

#include "core/GenericLutFormat.h"
#include "formats/CubeInputRange.h"

class TCube3DLutFormat : public TGenericLutFormat {
 public:
  TCube3DLutFormat() : TCube3DLutFormat("Cube 3D") { ReadsShaperAndRanges = true; }
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  explicit TCube3DLutFormat(std::string name, double valueDivisor = 1.0)
      : TGenericLutFormat(std::move(name), true), ValueDivisor(valueDivisor) {}
  void ReadHeader(const TTextFile& lines) override;
  void ReadLine(std::string_view line, TLUT& lut) override;
  virtual void ParseHeaderLine(std::string_view line, TLUT& lut);

  const double ValueDivisor;  // file values are divided by this when read

 private:
  void ReadShaperLine(std::string_view line, TLUT& lut);

  // Only the plain cube reads shapers and input ranges; its flavours keep
  // their own fixed layouts.
  bool ReadsShaperAndRanges = false;
  TCubeKeywords Keywords;
  bool Shaper = false;
  bool SeenData = false;
};

class TCube3DTruelightLutFormat : public TCube3DLutFormat {
 public:
  TCube3DTruelightLutFormat() : TCube3DLutFormat("Cube 3D Truelight") {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
  void ParseHeaderLine(std::string_view line, TLUT& lut) override;

 private:
  // The optional "# InputLUT" section: a curve into the cube's index range.
  int InputLength = -1;  // from "# lutLength"
  int InputRead = 0;
  bool InInput = false;
  bool HasInput = false;
};

class TFSI_CFE_3DLutFormat : public TCube3DLutFormat {
 public:
  TFSI_CFE_3DLutFormat() : TCube3DLutFormat("FSI CFE (Flanders Scientific) 3D") {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;
};

class TPanasonic3DLutFormat : public TCube3DLutFormat {
 public:
  TPanasonic3DLutFormat() : TCube3DLutFormat("Panasonic 3D", 4095.0) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;
};

class TCube1DLutFormat : public TGenericLutFormat {
 public:
  TCube1DLutFormat() : TGenericLutFormat("Cube 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadHeader(const TTextFile& lines) override;
  void ReadLine(std::string_view line, TLUT& lut) override;

 private:
  TCubeKeywords Keywords;
};
