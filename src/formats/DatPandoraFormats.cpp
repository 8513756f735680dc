// DaVinci DAT and Pandora. A minimal DAT file (2 points per axis, red fastest,
// each line blue, green, red):
//
//   3DLUTSIZE 2
//
//   0.000000 0.000000 0.000000
//   0.000000 0.000000 1.000000
//   0.000000 1.000000 0.000000
//   ...                         (8 nodes)
//
// and a minimal Pandora file (blue fastest, an entry number first):
//
//   #HEADER
//   #END
//   channel 3d
//   in 8                        <- node count, 2^3
//   out 65536                   <- code range; the maximum code is 65535
//   format lut
//   values	red	green	blue
//   0	0	0	0
//   1	0	0	65535
//   ...                         (8 nodes)
//
// Quirks, each kept on purpose:
// - A DAT file without "3DLUTSIZE" is recognised by its ".dat" extension
//   and a number triple in its head, and its size is the cube root of the
//   number of triple lines, rounded: a file one node short rounds to the same
//   size and is then reported incomplete. The FSI DIT binary shares ".dat";
//   its head holds a NUL within the first bytes, which ends the text there.
// - DAT columns are blue, green, red in that order, read and written alike;
//   values are written unclamped with six decimals, so the bits are unused.
// - Pandora's "in " and "out " are matched in lower case with their blank,
//   so "In 4913" is not a size line. The entry numbers are skipped, not checked.
// - Sizes are checked before any node is stored, and a Pandora code range
//   below 2 is refused: it would divide by zero or turn every value negative.
#include "formats/DatPandoraFormats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/FileIO.h"
#include "core/LutWriter.h"
#include "core/StringLib.h"

namespace {

// The cube size of a node count, rounded; counts beyond any int land above the limit.
int CubeRoot(double count) {
  const double root = std::round(std::cbrt(count));
  return root > MaxCubeSize ? MaxCubeSize + 1 : static_cast<int>(root);
}

class TDavinciDatParser : public TLutParser {
 public:
  TDavinciDatParser(bool hasSizeKeyword, const TReadOptions& options)
      : TLutParser(options), HasSizeKeyword(hasSizeKeyword) {}

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) return;
    double b, g, r;
    if (LutSize == -1) {
      if (HasSizeKeyword) {
        if (ContainsNoCase(line, "3DLUTSIZE"))
          DeclareCubeSize(lut, StrToInt(KeywordValue(line, "3DLUTSIZE", 1)));
        return;
      }
      std::size_t nodes = 0;
      for (std::size_t i = 0; i < Lines->Count(); ++i)
        if (ParseFloatTriple((*Lines)[i], b, g, r)) ++nodes;
      if (nodes == 0) throw ELUTError("Incomplete file.");
      DeclareCubeSize(lut, CubeRoot(static_cast<double>(nodes)));
      // This line is already a node.
    }
    if (!Complete && ParseFloatTriple(line, b, g, r)) StoreNodeRedFastest(lut, {r, g, b});
  }

 private:
  // The file declares its size; otherwise it is the cube root of the node count.
  const bool HasSizeKeyword;
};

// CodeScale holds the maximum code, from the "out" line.
class TPandoraParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int CodeBits() const override { return CodeScale > 0 ? BitsOfMaxCode(CodeScale) : 0; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) return;
    if (LutSize == -1 && line.starts_with("in ")) {
      DeclareCubeSize(lut, CubeRoot(StrToInt(Trim(line.substr(3)))));
      return;
    }
    if (CodeScale == -1 && line.starts_with("out ")) {
      const int range = StrToInt(Trim(line.substr(4)));
      if (range < 2)
        throw ELUTError("Invalid code range " + std::to_string(range) +
                        ": the \"out\" line needs at least 2 codes.");
      CodeScale = range - 1;
      return;
    }
    if (LutSize == -1 || CodeScale == -1 || Complete) return;
    double r, g, b;
    if (ParseIntTriple(line, CodeScale, true, r, g, b)) StoreNodeBlueFastest(lut, {r, g, b});
  }
};

}  // namespace

// --- DaVinci DAT -----------------------------------------------------------

std::unique_ptr<TLutParser> TDavinciDat3DLutFormat::NewParser(const std::filesystem::path& fileName,
                                                              const TReadOptions& options) const {
  return std::make_unique<TDavinciDatParser>(MatchKeywords(fileName, "3DLUTSIZE", ""), options);
}

bool TDavinciDat3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  if (MatchKeywords(fileName, "3DLUTSIZE", "")) return true;
  if (UpperCase(fileName.extension().string()) != ".DAT") return false;
  TTextFile head;
  head.SetText(ReadFilePrefix(fileName, DetectionHeadSize));
  double a, b, c;
  for (std::size_t i = 0; i < head.Count(); ++i)
    if (ParseFloatTriple(head[i], a, b, c)) return true;
  return false;
}

void TDavinciDat3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                   const TWriteContext& context) const {
  TTextFile text;
  text.Add("3DLUTSIZE " + std::to_string(lut.Size3D()));
  text.Add("");
  AddFixedNodes(text, lut, TNodeOrder::RedFastest, TColumns::BGR);
  text.SaveToFile(fileName, context.Replace);
}

// --- Pandora ---------------------------------------------------------------

std::unique_ptr<TLutParser> TPandora3DLutFormat::NewParser(const std::filesystem::path&,
                                                           const TReadOptions& options) const {
  return std::make_unique<TPandoraParser>(options);
}

bool TPandora3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "channel 3d,format lut", "");
}

void TPandora3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                const TWriteContext& context) const {
  const int bits = context.Bits;
  const std::int64_t n = lut.Size3D();
  TTextFile text;
  text.Add("#HEADER");
  text.Add("#type: 3D cube file");
  text.Add("#format: 1.00");
  text.Add("#comment: Converted by Tovi LUT Converter");
  text.Add("#END");
  text.Add("");
  text.Add("channel 3d");
  text.Add("in " + std::to_string(n * n * n));
  text.Add("out " + std::to_string(std::int64_t{1} << bits));
  text.Add("");
  text.Add("format lut");
  text.Add("");
  text.Add("values\tred\tgreen\tblue");
  std::string line;
  std::int64_t entry = 0;
  ForEachNodeBlueFastest(lut, [&](const TLutRGB& rgb) {
    line = std::to_string(entry++);
    line += '\t';
    AppendCodeTriple(line, rgb, bits, "\t");
    text.Add(line);
  });
  text.SaveToFile(fileName, context.Replace);
}
