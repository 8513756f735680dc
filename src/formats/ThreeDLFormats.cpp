// 3DL family. A minimal 3DL file (2 points per axis, 10-bit codes, blue fastest):
//
//   # a comment
//   0 1023                      <- input shaper: one value per cube point
//   0 0 0
//   0 0 1023
//   0 1023 0
//   ...                         (8 nodes)
//
// and a minimal Lustre mesh file (here 17 points per axis, 12-bit codes):
//
//   3DMESH
//   Mesh 4 12                   <- 2^4 + 1 points per axis, 12-bit codes
//   0 0 0
//   0 0 256
//   ...                         (17^3 nodes)
//   LUT8
//   gamma 1.0
//
// Quirks, each kept on purpose:
// - A 3DL file is recognised by its ".3dl" (or Dolby ".dd3") extension alone. Lustre stands
//   earlier in the registry, so a ".3dl" file holding "3DMESH" reads as Lustre.
// - 3DL files seldom say their depths, and the shaper's depth says nothing
//   of the table's (a 10-bit or 16-bit shaper sits over 12-bit nodes). Each
//   is worked out alone: a depth the file states wins ("# Input bit depth
//   10" / "# Output bit depth 10" comments, a Lustre "Mesh a b" line);
//   otherwise the smallest standard depth whose full scale, with 20 %
//   headroom, holds the largest code, as the field's readers infer it. So a
//   dark table (largest code far below full scale) reads at a lower depth;
//   our writer warns of it. A user's bits-per-colour setting (the read's
//   InputBits) replaces the table's depth.
// - Only the number of values on the shaper line matters (it is the cube
//   size), so a first numeric line of three integers is taken as a shaper of
//   a 3-point cube. The writer's shaper always spans 0..1023 whatever the depth.
// - The Lustre reader keeps no comments and stops at the last node, so the
//   "LUT8" / "gamma 1.0" trailer is never read.
// - Sizes are checked before any node is stored. A Lustre file without a
//   mesh line, or shorter than its mesh says, is incomplete rather than a
//   cube of unset nodes; only its first mesh line counts, so a stray second
//   one cannot resize the cube under the nodes already read.
#include "formats/ThreeDLFormats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/LutWriter.h"
#include "core/StringLib.h"

namespace {

// A code of at most 63 bits always fits this depth; capping the scan here
// keeps a stray huge number from overflowing it.
constexpr int MaxScanBits = 64;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The number of blank-separated tokens when every one is an integer, else -1.
int CountIntegerTokens(std::string_view line) {
  int count = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    std::int64_t value = 0;
    if (!TryParseInt64(line.substr(start, i - start), value)) return -1;
    ++count;
  }
  return count;
}

// The largest integer token of a line (the shaper's range); -1 when none is.
std::int64_t LargestToken(std::string_view line) {
  std::int64_t largest = -1;
  while (!line.empty()) {
    const std::string_view token = CutToken(line);
    std::int64_t value = 0;
    if (TryParseInt64(Trim(token), value)) largest = std::max(largest, value);
  }
  return largest;
}

// A depth a comment states: "# Output bit depth 10" (any letter case, an
// optional ":" or "="); 0 when the comment says none or no usable one.
int StatedDepth(std::string_view comment, std::string_view what) {
  if (!StartsWithNoCase(comment, what)) return 0;
  std::string_view rest = Trim(comment.substr(what.size()));
  if (!rest.empty() && (rest.front() == ':' || rest.front() == '=')) rest = Trim(rest.substr(1));
  std::int64_t bits = 0;
  if (!TryParseInt64(Trim(CutToken(rest)), bits) || bits < 1 || bits > 32) return 0;
  return static_cast<int>(bits);
}

// The 3DL codes' depths are worked out from the whole text unless the read
// options give the table's: the input depth from the shaper line, the
// output depth from the table, each unless the file states it.
class T3dlParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int InputCodeBits() const override { return InputDepth; }

 protected:
  void ReadHeader(const TTextFile& lines) override {
    // The shaper line is the first line that starts with a digit (as ReadLine
    // takes it); the node lines follow it.
    std::int64_t shaperMax = -1, nodeMax = 0;
    int statedIn = 0, statedOut = 0;
    for (std::size_t i = 0; i < lines.Count(); ++i) {
      const std::string_view line = Trim(lines[i]);
      if (line.empty()) continue;
      if (IsComment(line)) {
        const std::string_view text = CommentText(line);
        if (const int bits = StatedDepth(text, "Input bit depth")) statedIn = bits;
        if (const int bits = StatedDepth(text, "Output bit depth")) statedOut = bits;
        continue;
      }
      if (StartsWithNoCase(line, "Mesh")) {
        // "Mesh a b" as the Lustre header has it: b is the table's depth.
        std::string_view rest = KeywordValue(line, "Mesh", 1);
        CutToken(rest);
        std::int64_t bits = 0;
        if (TryParseInt64(Trim(CutToken(rest)), bits) && bits >= 1 && bits <= 32)
          statedOut = static_cast<int>(bits);
        continue;
      }
      if (shaperMax == -1) {
        if (line.front() >= '0' && line.front() <= '9') shaperMax = std::max<std::int64_t>(0, LargestToken(line));
        continue;
      }
      double r, g, b;
      if (ParseIntTriple(line, 1.0, false, r, g, b))
        nodeMax = std::max(nodeMax, static_cast<std::int64_t>(std::max({r, g, b})));
    }
    InputDepth = statedIn ? statedIn : shaperMax >= 0 ? Likely3dlDepth(shaperMax) : 0;
    CodeScale = Options.InputBits != -1 ? Options.InputBits
                : statedOut                ? statedOut
                                           : Likely3dlDepth(nodeMax);
  }

  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) {
      lut.Comments.emplace_back(CommentText(line));
      return;
    }
    if (LutSize == -1) {
      // The input-shaper line: its value count is the cube size; the line is
      // consumed even when it does not qualify.
      if (line.front() >= '0' && line.front() <= '9') {
        const int count = CountIntegerTokens(line);
        if (count != -1) DeclareCubeSize(lut, count);
      }
      return;
    }
    if (Complete) return;
    double r, g, b;
    if (ParseIntTriple(line, MaxCode(CodeScale), false, r, g, b))
      StoreNodeBlueFastest(lut, {r, g, b});
  }

 private:
  int InputDepth = 0;
};

class TLustre3DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int CodeBits() const override { return BitsOfMaxCode(MaxMeshCode); }
  int InputCodeBits() const override { return InputDepth; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (Complete || IsComment(line) || ContainsNoCase(line, "3DMESH")) return;
    // An input-shaper line (more than three integers) gives the input depth.
    if (InputDepth == 0 && IndexR == 0 && IndexG == 0 && IndexB == 0 &&
        line.front() >= '0' && line.front() <= '9' && CountIntegerTokens(line) > 3) {
      InputDepth = Likely3dlDepth(LargestToken(line));
      return;
    }
    if (ContainsNoCase(line, "Mesh")) {
      if (LutSize != -1) return;
      // "Mesh a b": the text after "Mesh" and one separator, split at a space.
      std::string_view rest = KeywordValue(line, "Mesh", 1);
      const int a = StrToInt(Trim(CutBefore(" ", rest)));
      const int b = StrToInt(Trim(rest));
      if (b < 1 || b > MaxScanBits)
        throw ELUTError("Invalid bit depth " + std::to_string(b) + " in the Mesh line.");
      // 2^a + 1 points; exponents outside 0..30 land beyond the limits.
      DeclareCubeSize(lut, a < 0 ? 1 : a > 30 ? MaxCubeSize + 1 : (1 << a) + 1);
      MaxMeshCode = MaxCode(b);
      return;
    }
    if (LutSize == -1) return;
    double r, g, bl;
    if (ParseIntTriple(line, MaxMeshCode, false, r, g, bl)) StoreNodeBlueFastest(lut, {r, g, bl});
  }

 private:
  double MaxMeshCode = 4095.0;
  int InputDepth = 0;
};

}  // namespace

int Likely3dlDepth(std::int64_t largestCode) {
  // Full scale with 20 % headroom: up to 306 is 8-bit, 1227 10-bit, 4914
  // 12-bit, 19659 14-bit and 78642 16-bit.
  for (int bits : {8, 10, 12, 14, 16})
    if (static_cast<double>(largestCode) <= 1.2 * static_cast<double>(MaxCode(bits))) return bits;
  int bits = 17;
  while (bits < 63 && largestCode > (std::int64_t{1} << bits) - 1) ++bits;
  return bits;
}

// --- 3DL -------------------------------------------------------------------

bool T3dlLutFormat::Detect(const std::filesystem::path& fileName) const {
  const std::string extension = UpperCase(fileName.extension().string());
  return extension == ".3DL" || extension == ".DD3";
}

std::unique_ptr<TLutParser> T3dlLutFormat::NewParser(const std::filesystem::path&,
                                                     const TReadOptions& options) const {
  return std::make_unique<T3dlParser>(options);
}

void T3dlLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                          const TWriteContext& context) const {
  const int bits = context.Bits;
  const int n = lut.Size3D();
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(ConvertedByLine);
  // ceil(i * 1023 / (n - 1)): 0 64 128 ... 960 1023 for 17 points.
  std::string shaper;
  for (int i = 0; i < n; ++i) {
    if (i) shaper += ' ';
    shaper += std::to_string(n > 1 ? (i * 1023 + n - 2) / (n - 1) : 0);
  }
  text.Add(shaper);
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.SaveToFile(fileName, context.Replace);
}

// --- Autodesk Lustre 3D ----------------------------------------------------

bool TLustre3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "3DMESH", "");
}

std::unique_ptr<TLutParser> TLustre3DLutFormat::NewParser(const std::filesystem::path&,
                                                          const TReadOptions& options) const {
  return std::make_unique<TLustre3DParser>(options);
}

void TLustre3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                               const TWriteContext& context) const {
  const int bits = context.Bits;
  // The mesh line can only describe 2^a + 1 points per axis (33 gives 5).
  const int n = lut.Size3D();
  int a = 0;
  while (a < 30 && (1 << a) + 1 < n) ++a;
  if ((1 << a) + 1 != n)
    throw ELUTError("A Lustre 3D mesh cannot hold " + std::to_string(n) +
                    " points per axis; use 2^n + 1 points (17, 33 or 65).");
  TTextFile text;
  text.Add("");
  text.Add(ConvertedByLine);
  text.Add("");
  text.Add("3DMESH");
  text.Add("Mesh " + std::to_string(a) + " " + std::to_string(bits));
  text.Add("");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.Add("");
  text.Add("LUT8");
  text.Add("gamma 1.0");
  text.SaveToFile(fileName, context.Replace);
}
