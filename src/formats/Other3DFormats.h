// The smaller 3D text formats of grading systems and recorders: Codex, Luther
// and Quantel (integer codes, blue fastest), Colorfront OSD (floats, columns
// blue green red), Nucoda (floats, an optional curve before the cube) and
// MatchLight (read only: a curve, then the cube).
#pragma once

#include "core/GenericLutFormat.h"

class TCodex3DLutFormat : public TGenericLutFormat {
 public:
  TCodex3DLutFormat() : TGenericLutFormat("Codex 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TLuther3DLutFormat : public TGenericLutFormat {
 public:
  TLuther3DLutFormat() : TGenericLutFormat("Luther 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TQuantel3DLutFormat : public TGenericLutFormat {
 public:
  TQuantel3DLutFormat() : TGenericLutFormat("Quantel 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TColorFrontOSD3DLutFormat : public TGenericLutFormat {
 public:
  TColorFrontOSD3DLutFormat() : TGenericLutFormat("Colorfront OSD 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

class TNucoda3DLutFormat : public TGenericLutFormat {
 public:
  TNucoda3DLutFormat() : TGenericLutFormat("Nucoda 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};

// Read only: no output profile leads here.
class TMatchLight3DLutFormat : public TGenericLutFormat {
 public:
  TMatchLight3DLutFormat() : TGenericLutFormat("MatchLight 3D Cube", true, fcRead | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;

 protected:
  std::unique_ptr<TLutParser> NewParser(const std::filesystem::path& fileName,
                                        const TReadOptions& options) const override;
};
