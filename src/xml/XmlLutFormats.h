// LUT formats that wrap integer code values in a small XML document: the
// Clipster 3D cube, the S.two 1D curves and the PFClean 3D cube. Reading
// goes through the forgiving XML reader; writing emits fixed lines.
#pragma once

#include "core/LUTFormat.h"

class TClipster3DLutFormat : public TLUTFormat {
 public:
  TClipster3DLutFormat() : TLUTFormat("Clipster 3D", true, fcRead | fcWrite | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

class TStwo1DLutFormat : public TLUTFormat {
 public:
  TStwo1DLutFormat() : TLUTFormat("S.two 1D", false, fcRead | fcWrite | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

class TPFClean3D_Format : public TLUTFormat {
 public:
  TPFClean3D_Format() : TLUTFormat("PixelFarm PFClean 3D", true, fcRead | fcWrite | fcDetect) {}
  bool Detect(const std::filesystem::path& fileName) const override;
  void Read(const std::filesystem::path& fileName, TLUT& lut,
            const TReadOptions& options) const override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut,
             const TWriteContext& context) const override;
};

// The text with & < > ' " written as entity references, for names put into
// attribute values.
std::string XmlEscaped(std::string_view text);
