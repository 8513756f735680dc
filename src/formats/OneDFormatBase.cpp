// The counted-table parser of the 1D text formats.
#include "formats/OneDFormatBase.h"

void TCountedCurveParser::Finish(TLUT& lut) {
  // A table whose lines all failed to convert is no table: refuse it rather
  // than hand on an empty (or single-entry) curve as a success.
  if (LutSize == 0) throw ELUTError("Incomplete file.");
  CheckCurveSize(LutSize);
  for (int i = 0; i < LutSize; ++i) lut.Curve(i) = Entries[static_cast<std::size_t>(i)];
}

void TCountedCurveParser::BeginTable() {
  if (LutSize == -1) LutSize = 0;
  Complete = true;
}

void TCountedCurveParser::AppendEntry(const TLutRGB& rgb) {
  if (LutSize < 0) LutSize = 0;
  if (LutSize >= MaxCurveSize) CheckCurveSize(LutSize + 1);
  Entries.resize(
      static_cast<std::size_t>(LutSize));  // in step with LutSize, which some formats reset
  Entries.push_back(rgb);
  ++LutSize;
}
