// Building blocks of the text writers: comment lines, number triples and the
// node orders of the formats. One code-value rule and one fixed-point rule
// (StringLib) serve every writer.
#pragma once

#include <string>
#include <string_view>

#include "core/LUT.h"
#include "core/TextFile.h"

inline constexpr std::string_view ConvertedByLine = "# Converted by Tovi LUT Converter";

// prefix + each comment line of the record, after its title as a comment
// (TITLE "name") unless the format writes the title on a line of its own.
void AddCommentLines(TTextFile& text, const TLUT& lut, std::string_view prefix = "# ",
                     bool withTitle = true);
// TITLE "title": the record's title, else the fallback; nothing when both are empty.
void AddTitleLine(TTextFile& text, const TLUT& lut, const std::string& fallback = {});

// "r g b" with FormatFixed(decimals); the separator between the values is given.
void AppendFixedTriple(std::string& out, const TLutRGB& rgb, int decimals,
                       std::string_view separator = " ");
// "r g b" as integer codes at the bit depth (clamped, half to even).
void AppendCodeTriple(std::string& out, const TLutRGB& rgb, int bits,
                      std::string_view separator = " ");

enum class TNodeOrder { RedFastest, BlueFastest };
enum class TColumns { RGB, BGR };

// One line per cube node in the file's order: fixed-point values with the
// given decimals, or integer codes at the bit depth; columns red-green-blue
// or blue-green-red. Room for all of them is reserved first.
void AddFixedNodes(TTextFile& text, const TLUT& lut, TNodeOrder order,
                   TColumns columns = TColumns::RGB, int decimals = 6);
void AddCodeNodes(TTextFile& text, const TLUT& lut, TNodeOrder order, int bits,
                  TColumns columns = TColumns::RGB);

// Visit the used cube nodes in file order.
template <typename Fn>
void ForEachNodeRedFastest(const TLUT& lut, Fn&& fn) {
  const int n = lut.Size3D();
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) fn(lut.Cube(r, g, b));
}

template <typename Fn>
void ForEachNodeBlueFastest(const TLUT& lut, Fn&& fn) {
  const int n = lut.Size3D();
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) fn(lut.Cube(r, g, b));
}

template <typename Fn>
void ForEachNode(const TLUT& lut, TNodeOrder order, Fn&& fn) {
  if (order == TNodeOrder::RedFastest) {
    ForEachNodeRedFastest(lut, fn);
  } else {
    ForEachNodeBlueFastest(lut, fn);
  }
}
