// The 1D formats of fractional values: Filmlight Truelight 1D, Nucoda 1D
// (written only), Colorfront OSD 1D, Blackmagic HDLink 1D, and the DaVinci
// ilut and olut tables of integer codes, which are only read.
#pragma once

#include "formats/OneDFormatBase.h"

class TFilmlight1DLutFormat : public TGenericLutFormat {
 public:
  TFilmlight1DLutFormat() : TGenericLutFormat("Filmlight Truelight 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

// Written only: the file is a Nucoda cube file, which the Nucoda 3D format reads.
class TNucoda1DLutWriterFormat : public TLUTFormat {
 public:
  TNucoda1DLutWriterFormat() : TLUTFormat("Nucoda 1D", false, fcWrite) {}
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

class TColorFrontOSD1DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD1DLutFormat() : TGenericLutFormat("Colorfront OSD 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TBlackmagic1DLutFormat : public TGenericLutFormat {
 public:
  TBlackmagic1DLutFormat() : TGenericLutFormat("Blackmagic HDLink 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

// Read only: lines of three integer codes at a fixed maximum.
class TDavinciLut1DLutFormat : public TGenericLutFormat {
 public:
  const double MaxTableCode;

 protected:
  TDavinciLut1DLutFormat(std::string name, double maxCode)
      : TGenericLutFormat(std::move(name), false, fcRead | fcDetect), MaxTableCode(maxCode) {}
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TDavinciILut1DLutFormat : public TDavinciLut1DLutFormat {
 public:
  TDavinciILut1DLutFormat() : TDavinciLut1DLutFormat("DaVinci Resolve ilut 1D", 16383) {}
  bool Detect(const std::filesystem::path& fileName) const override;
};

class TDavinciOLut1DLutFormat : public TDavinciLut1DLutFormat {
 public:
  TDavinciOLut1DLutFormat() : TDavinciLut1DLutFormat("DaVinci Resolve olut 1D", 4095) {}
  bool Detect(const std::filesystem::path& fileName) const override;
};

// Three integer codes divided by maxCode; unlike ParseIntTriple, anything
// after the third field is ignored. Never throws.
bool ParseIntTripleLoose(std::string_view line, double maxCode, double& r, double& g, double& b);
