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
// - 3DL files do not say their node depth. Writers use a standard one and put
//   12-bit nodes under a 10-bit shaper, so the depth is the smallest standard
//   depth that holds every code of the file, never below 12 bits nor below the
//   shaper's own depth: a dark, constant or inverted LUT reads as it was
//   written. A user's bits-per-colour setting (the read's InputBits) replaces it.
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

// The depth of the node codes. Writers use a standard depth (8, 10, 12, 14 or
// 16 bits) and put 12-bit nodes under a 10-bit shaper, so a dark LUT whose
// codes stay below 1024 is still 12-bit; a wider shaper raises the floor to
// its own depth. Codes beyond 16 bits take the depth that holds them.
int OutputDepth(std::int64_t shaperMax, std::int64_t nodeMax) {
  auto depthOf = [](std::int64_t code) {
    for (int bits : {8, 10, 12, 14, 16})
      if (code <= (std::int64_t{1} << bits) - 1) return bits;
    int bits = 17;
    while (bits < 63 && code > (std::int64_t{1} << bits) - 1) ++bits;
    return bits;
  };
  return std::max({12, depthOf(nodeMax), shaperMax > 1023 ? depthOf(shaperMax) : 12});
}

// The 3DL codes' depth (CodeScale) is worked out from the whole text unless
// the read options give it.
class T3dlParser : public TLutParser {
 public:
  using TLutParser::TLutParser;

 protected:
  void ReadHeader(const TTextFile& lines) override {
    if (Options.InputBits != -1) {
      CodeScale = Options.InputBits;
      return;
    }
    // The shaper line is the first line that starts with a digit (as ReadLine
    // takes it); the node lines follow it.
    std::int64_t shaperMax = -1, nodeMax = 0;
    for (std::size_t i = 0; i < lines.Count(); ++i) {
      const std::string_view line = Trim(lines[i]);
      if (line.empty() || IsComment(line)) continue;
      if (shaperMax == -1) {
        if (line.front() >= '0' && line.front() <= '9') shaperMax = std::max<std::int64_t>(0, LargestToken(line));
        continue;
      }
      double r, g, b;
      if (ParseIntTriple(line, 1.0, false, r, g, b))
        nodeMax = std::max(nodeMax, static_cast<std::int64_t>(std::max({r, g, b})));
    }
    CodeScale = OutputDepth(shaperMax, nodeMax);
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
};

class TLustre3DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int CodeBits() const override { return BitsOfMaxCode(MaxMeshCode); }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (Complete || IsComment(line) || ContainsNoCase(line, "3DMESH")) return;
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
};

}  // namespace

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
