#include "core/GenericLutFormat.h"

void TGenericLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  IndexR = IndexG = IndexB = Counter4 = 0;
  LutSize = -1;
  ValueScale = -1;
  Complete = false;
  TTextFile text;
  text.LoadFromFile(fileName);
  Lines = &text;
  try {
    ReadHeader(text);
    for (std::size_t i = 0; i < text.Count(); ++i) ReadLine(text[i], lut);
  } catch (...) {
    Lines = nullptr;
    throw;
  }
  Lines = nullptr;
  // The kind and size are stored before the completeness check, so an
  // incomplete file leaves them set when the error is raised.
  if (Is3D) {
    lut.LutType = lt3D;
    lut.SetSize3D(LutSize);
  } else {
    lut.LutType = lt1D;
    lut.SetSize1D(LutSize);
  }
  if (!Complete) throw ELUTError("Incomplete file.");
}

void TGenericLutFormat::DeclareCubeSize(TLUT& lut, int n) {
  CheckCubeSize(n);
  LutSize = n;
  lut.SetSize3D(n);
}

void TGenericLutFormat::DeclareCurveSize(TLUT& lut, int m) {
  CheckCurveSize(m);
  LutSize = m;
  lut.SetSize1D(m);
}

void TGenericLutFormat::StoreNodeRedFastest(TLUT& lut, const TLutRGB& rgb) {
  if (Complete || LutSize < 1) return;
  lut.Cube(IndexR, IndexG, IndexB) = rgb;
  if (++IndexR < LutSize) return;
  IndexR = 0;
  if (++IndexG < LutSize) return;
  IndexG = 0;
  if (++IndexB >= LutSize) Complete = true;
}

void TGenericLutFormat::StoreNodeBlueFastest(TLUT& lut, const TLutRGB& rgb) {
  if (Complete || LutSize < 1) return;
  lut.Cube(IndexR, IndexG, IndexB) = rgb;
  if (++IndexB < LutSize) return;
  IndexB = 0;
  if (++IndexG < LutSize) return;
  IndexG = 0;
  if (++IndexR >= LutSize) Complete = true;
}

void TGenericLutFormat::StoreCurveEntry(TLUT& lut, const TLutRGB& rgb) {
  if (Complete || LutSize < 1) return;
  lut.Curve(Counter4) = rgb;
  if (++Counter4 >= LutSize) Complete = true;
}
