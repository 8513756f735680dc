// The 1D formats of fractional values: Filmlight Truelight 1D, Nucoda 1D
// (written only), Colorfront OSD 1D, Blackmagic HDLink 1D, and the DaVinci
// ilut and olut tables of integer codes, which are only read.
#pragma once

#include "formats/OneDFormatBase.h"

class TFilmlight1DLutFormat : public TGenericLutFormat {
 public:
  TFilmlight1DLutFormat() : TGenericLutFormat("Filmlight Truelight 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

// Written only: the file is a Nucoda cube file, which the Nucoda 3D format reads.
class TNucoda1DLutWriterFormat : public TGenericLutFormat {
 public:
  TNucoda1DLutWriterFormat() : TGenericLutFormat("Nucoda 1D", false) {}
  bool Detect(const std::filesystem::path&) override { return false; }
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;
};

class TColorFrontOSD1DLutFormat : public TCountedCurveFormat {
 public:
  TColorFrontOSD1DLutFormat() : TCountedCurveFormat("Colorfront OSD 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

class TBlackmagic1DLutFormat : public TCountedCurveFormat {
 public:
  TBlackmagic1DLutFormat() : TCountedCurveFormat("Blackmagic HDLink 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

// Read only: lines of three integer codes at a fixed maximum; Write does nothing.
class TDavinciLut1DLutFormat : public TCountedCurveFormat {
 public:
  void Write(const std::filesystem::path&, const TLUT&, int) override {}

 protected:
  TDavinciLut1DLutFormat(std::string name, double maxCode)
      : TCountedCurveFormat(std::move(name), false), MaxCode(maxCode) {}
  void ReadLine(std::string_view line, TLUT& lut) override;

  const double MaxCode;
};

class TDavinciILut1DLutFormat : public TDavinciLut1DLutFormat {
 public:
  TDavinciILut1DLutFormat() : TDavinciLut1DLutFormat("DaVinci Resolve ilut 1D", 16383) {}
  bool Detect(const std::filesystem::path& fileName) override;
};

class TDavinciOLut1DLutFormat : public TDavinciLut1DLutFormat {
 public:
  TDavinciOLut1DLutFormat() : TDavinciLut1DLutFormat("DaVinci Resolve olut 1D", 4095) {}
  bool Detect(const std::filesystem::path& fileName) override;
};

// Three integer codes divided by maxCode; unlike ParseIntTriple, anything
// after the third field is ignored. Never throws.
bool ParseIntTripleLoose(std::string_view line, double maxCode, double& r, double& g, double& b);
