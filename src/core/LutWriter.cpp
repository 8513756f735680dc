#include "core/LutWriter.h"

#include "core/StringLib.h"

void AddCommentLines(TTextFile& text, const TLUT& lut, std::string_view prefix,
                     bool withTitle) {
  if (withTitle && !lut.Title.empty()) text.Add(std::string(prefix) + "TITLE \"" + lut.Title + "\"");
  std::string line;
  for (const std::string& comment : lut.Comments) {
    line.assign(prefix);
    line.append(comment);
    text.Add(line);
  }
}

void AddTitleLine(TTextFile& text, const TLUT& lut, const std::string& fallback) {
  const std::string& title = lut.Title.empty() ? fallback : lut.Title;
  if (!title.empty()) text.Add("TITLE \"" + title + "\"");
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

namespace {

template <typename AppendTriple>
void AddNodes(TTextFile& text, const TLUT& lut, TNodeOrder order, TColumns columns,
              std::size_t bytesPerLine, AppendTriple append) {
  const std::size_t n = static_cast<std::size_t>(lut.Size3D() > 0 ? lut.Size3D() : 0);
  text.Reserve(n * n * n, n * n * n * bytesPerLine);
  ForEachNode(lut, order, [&](const TLutRGB& rgb) {
    text.AddFilled([&](std::string& line) {
      append(line, columns == TColumns::RGB ? rgb : TLutRGB{rgb.B, rgb.G, rgb.R});
    });
  });
}

}  // namespace

void AddFixedNodes(TTextFile& text, const TLUT& lut, TNodeOrder order, TColumns columns,
                   int decimals) {
  AddNodes(text, lut, order, columns, 3 * (decimals + 3),
           [&](std::string& line, const TLutRGB& rgb) { AppendFixedTriple(line, rgb, decimals); });
}

void AddCodeNodes(TTextFile& text, const TLUT& lut, TNodeOrder order, int bits, TColumns columns) {
  AddNodes(text, lut, order, columns, 16,
           [&](std::string& line, const TLutRGB& rgb) { AppendCodeTriple(line, rgb, bits); });
}
