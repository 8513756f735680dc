// The 1D formats of integer codes: Lustre 1D, Codex 1D, Quantel 1D, Fusion 1D,
// and the header-less Cine-tal and Shake tables, which are only written.
#pragma once

#include "formats/OneDFormatBase.h"

class TLustre1DLutFormat : public TGenericLutFormat {
 public:
  TLustre1DLutFormat() : TGenericLutFormat("Autodesk Lustre 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TCodex1DLutFormat : public TGenericLutFormat {
 public:
  TCodex1DLutFormat() : TGenericLutFormat("Codex 1D, Scratch 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TQuantel1DLutFormat : public TGenericLutFormat {
 public:
  TQuantel1DLutFormat() : TGenericLutFormat("Quantel 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TFusion1DLutFormat : public TGenericLutFormat {
 public:
  TFusion1DLutFormat() : TGenericLutFormat("Fusion 1D", false) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

// Written only: nothing in the file tells it apart, so it is never detected.
class TCinetal1DLutFormat : public TLUTFormat {
 public:
  TCinetal1DLutFormat() : TCinetal1DLutFormat("Cine-tal 1D") {}
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  explicit TCinetal1DLutFormat(std::string name) : TLUTFormat(std::move(name), false, fcWrite) {}
};

// The same table under another name and other profile defaults.
class TShake1DLutFormat : public TCinetal1DLutFormat {
 public:
  TShake1DLutFormat() : TCinetal1DLutFormat("Shake 1D") {}
};
