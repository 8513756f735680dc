// The counted-table base and the header-field cut of the 1D text formats.
#include "formats/OneDFormatBase.h"

#include "core/StringLib.h"

void TCountedCurveFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  Entries.clear();
  struct Release {  // the gathered entries are not kept between reads
    std::vector<TLutRGB>& v;
    ~Release() { std::vector<TLutRGB>().swap(v); }
  } release{Entries};
  TGenericLutFormat::Read(fileName, lut);  // sizes the record; raises if no table began
  // A table whose lines all failed to convert is no table: refuse it rather
  // than hand on an empty (or single-entry) curve as a success.
  if (LutSize == 0) throw ELUTError("Incomplete file.");
  CheckCurveSize(LutSize);
  for (int i = 0; i < LutSize; ++i) lut.Curve(i) = Entries[static_cast<std::size_t>(i)];
}

void TCountedCurveFormat::BeginTable() {
  if (LutSize == -1) LutSize = 0;
  Complete = true;
}

void TCountedCurveFormat::AppendEntry(const TLutRGB& rgb) {
  if (LutSize < 0) LutSize = 0;
  if (LutSize >= MaxCurveSize) CheckCurveSize(LutSize + 1);
  Entries.resize(static_cast<std::size_t>(LutSize));  // in step with LutSize, which some formats reset
  Entries.push_back(rgb);
  ++LutSize;
}

std::string_view TextAfterKeyword(std::string_view line, std::string_view keyword,
                                  std::size_t skip) {
  const std::size_t pos = PosNoCase(keyword, line);
  if (!pos || pos - 1 + skip > line.size()) return {};
  return Trim(line.substr(pos - 1 + skip));
}
