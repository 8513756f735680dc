// LUT formats that wrap integer code values in a small XML document: the
// Clipster 3D cube, the S.two 1D curves and the PFClean 3D cube. Reading
// goes through the forgiving XML reader; writing emits fixed lines.
#pragma once

#include "core/GenericLutFormat.h"

// What the two cube formats share: their data is one element's text of
// "r g b" code lines, blue index fastest.
class TXmlCodeCubeFormat : public TGenericLutFormat {
 public:
  using TGenericLutFormat::TGenericLutFormat;

 protected:
  // Fill the cube of the declared size from the lines of text (codes up to
  // maxCode); lines that are not three integers are skipped, lines beyond
  // the last node ignored, and too few raise "Incomplete file.".
  void ReadCodeLines(std::string_view text, double maxCode, TLUT& lut);
};

class TClipster3DLutFormat : public TXmlCodeCubeFormat {
 public:
  TClipster3DLutFormat() : TXmlCodeCubeFormat("Clipster 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;
};

class TStwo1DLutFormat : public TGenericLutFormat {
 public:
  TStwo1DLutFormat() : TGenericLutFormat("S.two 1D", false) { ValueScale = 10; }
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;
};

class TPFClean3D_Format : public TXmlCodeCubeFormat {
 public:
  TPFClean3D_Format() : TXmlCodeCubeFormat("PixelFarm PFClean 3D", true) {}
  bool Detect(const std::filesystem::path& fileName) override;
  void Read(const std::filesystem::path& fileName, TLUT& lut) override;
  void Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) override;
};

// The text with & < > ' " written as entity references, for names put into
// attribute values.
std::string XmlEscaped(std::string_view text);
