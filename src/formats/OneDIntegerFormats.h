// The 1D formats of integer codes: Lustre 1D, Codex 1D, Quantel 1D, Fusion 1D,
// and the header-less Cine-tal and Shake tables, which are only written.
#pragma once

#include "formats/OneDFormatBase.h"

class TLustre1DLutFormat : public TCountedCurveFormat {
 public:
  TLustre1DLutFormat() : TCountedCurveFormat("Autodesk Lustre 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

class TCodex1DLutFormat : public TGenericLutFormat {
 public:
  TCodex1DLutFormat() : TGenericLutFormat("Codex 1D, Scratch 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;

  int ChannelCount = 0;  // as the header gives it; 1 means one curve for all three
  int Channel = 1;       // the channel being filled: 1 red, 2 green, 3 blue
};

class TQuantel1DLutFormat : public TGenericLutFormat {
 public:
  TQuantel1DLutFormat() : TGenericLutFormat("Quantel 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

class TFusion1DLutFormat : public TCountedCurveFormat {
 public:
  TFusion1DLutFormat() : TCountedCurveFormat("Fusion 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override;
};

// Written only: nothing in the file tells it apart, so it is never detected.
class TCinetal1DLutFormat : public TGenericLutFormat {
 public:
  TCinetal1DLutFormat() : TCinetal1DLutFormat("Cine-tal 1D") {}
  bool Detect(const std::filesystem::path&) override { return false; }
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;

 protected:
  explicit TCinetal1DLutFormat(std::string name) : TGenericLutFormat(std::move(name), false) {}
};

// The same table under another name and other profile defaults.
class TShake1DLutFormat : public TCinetal1DLutFormat {
 public:
  TShake1DLutFormat() : TCinetal1DLutFormat("Shake 1D") {}
};
