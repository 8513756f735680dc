#include "core/LutWriter.h"

#include "core/StringLib.h"

void AddCommentLines(TTextFile& text, const TLUT& lut, std::string_view prefix) {
  std::string line;
  for (const std::string& comment : lut.Comments) {
    line.assign(prefix);
    line.append(comment);
    text.Add(line);
  }
}

void AppendFixedTriple(std::string& out, const TLutRGB& rgb, int decimals,
                       std::string_view separator) {
  AppendFixed(out, decimals, rgb.R);
  out.append(separator);
  AppendFixed(out, decimals, rgb.G);
  out.append(separator);
  AppendFixed(out, decimals, rgb.B);
}

void AppendCodeTriple(std::string& out, const TLutRGB& rgb, int bits, std::string_view separator) {
  AppendCodeValue(out, bits, rgb.R);
  out.append(separator);
  AppendCodeValue(out, bits, rgb.G);
  out.append(separator);
  AppendCodeValue(out, bits, rgb.B);
}
