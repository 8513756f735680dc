// Six small 3D text formats. Minimal files (2 points per axis, 8 nodes):
//
//   Codex (12-bit codes)    Luther (10-bit codes)    Quantel
//     Lut3D: 2                #channels: c3            max value 4095
//                             #elements = 8            vertices 2
//     R<tab>G<tab>B           0 0 0                    blue is fastest changing
//     0 0 0                   0 0 1023                 red is slowest changing
//     0 0 4095                ...
//     ...                                              cube data
//                                                      R G B
//                                                      0 0 0
//                                                      ...
//
//   Colorfront OSD (.3dmesh, columns B G R)   Nucoda (optional curve, then cube)
//     0.000000 0.000000 0.000000                NUCODA_3D_CUBE 1
//     0.000000 0.000000 1.000000                TITLE "grade"
//     ...                                       LUT_1D_SIZE 2
//                                               LUT_3D_SIZE 2
//   MatchLight (read only)                      0.000000 0.000000 0.000000
//     lutS 2                                    32.999999 32.999999 32.999999
//     cubeS 2                                   0.000000 0.000000 0.000000
//     0 0 0                                     1.000000 0.000000 0.000000
//     15 15 15                                  ...
//     0.0 0.0 0.0
//     ...
//
// Quirks, each kept on purpose so that files of the systems read as they do:
// - Codex codes are always divided by 4095 and Luther codes by 1023, whatever
//   depth the file was written at; the writers' default depths match.
// - The Luther size line counts entries ("#elements = 4913" is a 17-point
//   cube) and is read although it begins with "#".
// - Quantel keywords are case-sensitive ("Max Value" is not a range line),
//   while detection is not.
// - Colorfront OSD has no header: the size is the cube root of the number of
//   data lines, and detection goes by the ".3dmesh" extension alone.
// - Nucoda version 1 files keep their curve in 0..33; the writer always puts
//   an identity ramp there, whatever curve the record holds.
// - MatchLight curve values are in 0..15, the cube in 0..1.
// Every declared or derived size is checked against the record's limits
// before a value is stored, and a size line seen again later is ignored, so
// a file can never move the storage under the running indices.
#include "formats/Other3DFormats.h"

#include <cmath>
#include <string>

#include "core/LutWriter.h"
#include "core/StringLib.h"

namespace {

// The cube size of a file that gives its entry count: the nearest integer
// cube root (an exact cube's root is never a tie).
int CubeRootSize(double entries) { return static_cast<int>(std::nearbyint(std::cbrt(entries))); }

// The depth Codex files are read at, whatever the file holds.
constexpr int CodexCodeBits = 12;
// Length of the identity ramp the Nucoda writer puts before the cube.
constexpr int NucodaRampLength = 4096;

class TCodex3DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int CodeBits() const override { return CodexCodeBits; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) {
      lut.Comments.emplace_back(CommentText(line));
    } else if (LutSize == -1 && ContainsNoCase(line, "LUT3D:")) {
      DeclareCubeSize(lut, StrToInt(KeywordValue(line, "LUT3D:")));
    } else {
      // The "R G B" caption and any line of another shape fail to parse here.
      double r, g, b;
      if (ParseIntTriple(line, MaxCode(CodexCodeBits), false, r, g, b))
        StoreNodeBlueFastest(lut, {r, g, b});
    }
  }
};

class TLuther3DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int CodeBits() const override { return 10; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (LutSize == -1 && ContainsNoCase(line, "elements =")) {
      DeclareCubeSize(lut, CubeRootSize(StrToInt(KeywordValue(line, "elements ="))));
    } else if (!IsComment(line)) {
      double r, g, b;
      if (ParseIntTriple(line, 1023.0, false, r, g, b)) StoreNodeBlueFastest(lut, {r, g, b});
    }
  }
};

// CodeScale holds the maximum code.
class TQuantel3DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int CodeBits() const override { return CodeScale > 0 ? BitsOfMaxCode(CodeScale) : 0; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) return;
    if (LutSize == -1 && line.starts_with("vertices")) {
      DeclareCubeSize(lut, StrToInt(Trim(line.substr(8))));
    } else if (CodeScale == -1 && line.starts_with("max value")) {
      const int maxCode = StrToInt(Trim(line.substr(9)));
      // Every value is divided by it: zero or less would fill the cube with
      // infinities or flipped signs.
      if (maxCode < 1)
        throw ELUTError("Invalid max value " + std::to_string(maxCode) +
                        ": it must be at least 1.");
      CodeScale = maxCode;
    } else if (LutSize != -1 && CodeScale != -1) {
      // "cube data", "R G B" and the order lines fail to parse here.
      double r, g, b;
      if (ParseIntTriple(line, CodeScale, false, r, g, b)) StoreNodeBlueFastest(lut, {r, g, b});
    }
  }
};

class TColorFrontOSD3DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;

 protected:
  void ReadHeader(const TTextFile& lines) override {
    double a, b, c;
    for (std::size_t i = 0; i < lines.Count(); ++i)
      if (ParseFloatTriple(lines[i], a, b, c)) ++DataLineCount;
  }

  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) return;
    // Without a single data line the size stays unknown and the read ends as
    // incomplete, which is what a stray file with this extension deserves.
    if (LutSize == -1 && DataLineCount > 0)
      DeclareCubeSize(lut, CubeRootSize(static_cast<double>(DataLineCount)));
    double b, g, r;
    if (ParseFloatTriple(line, b, g, r)) StoreNodeRedFastest(lut, {r, g, b});
  }

 private:
  std::size_t DataLineCount = 0;  // lines of three numbers: the size is their cube root
};

class TNucoda3DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;

  // The format has recorded a plain cube; the parts found decide the kind.
  void Finish(TLUT& lut) override {
    if (HasCurve) lut.LutType = HasCube ? lt1DThen3D : lt1D;
  }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) return;
    if (ContainsNoCase(line, "NUCODA_3D_CUBE")) {
      // The version is whatever follows the keyword and its separator.
      Version = StrToInt(KeywordValue(line, "NUCODA_3D_CUBE", 1));
    } else if (ContainsNoCase(line, "LUT_1D_SIZE")) {
      if (!HasCurve) {
        const int m = StrToInt(KeywordValue(line, "LUT_1D_SIZE"));
        CheckCurveSize(m);
        lut.SetSize1D(m);
        CurveLength = m;
        HasCurve = true;
      }
    } else if (ContainsNoCase(line, "LUT_3D_SIZE")) {
      if (!HasCube) {
        DeclareCubeSize(lut, StrToInt(KeywordValue(line, "LUT_3D_SIZE")));
        HasCube = true;
      }
    } else {
      double r, g, b;
      if (!ParseFloatTriple(line, r, g, b)) return;  // TITLE and the like
      if (HasCurve && EntryIndex < CurveLength) {
        const double scale = Version == 1 ? 33.0 : 1.0;
        lut.Curve(EntryIndex++) = {r / scale, g / scale, b / scale};
      } else if (HasCube && IndexB < LutSize) {
        // Red fastest; once blue has passed the last plane, further lines are
        // left alone instead of wrapping over the cube.
        lut.Cube(IndexR, IndexG, IndexB) = {r, g, b};
        if (++IndexR == LutSize) {
          IndexR = 0;
          if (++IndexG == LutSize) {
            IndexG = 0;
            ++IndexB;
          }
        }
      }
    }
    // Complete only when every declared part is filled, so a truncated file is
    // refused rather than read with a zeroed tail.
    Complete = (HasCurve || HasCube) && (!HasCurve || EntryIndex == CurveLength) &&
               (!HasCube || IndexB == LutSize);
  }

 private:
  int CurveLength = 0;  // declared curve length; EntryIndex counts the entries read
  int Version = 0;      // the number after NUCODA_3D_CUBE; 1 scales curve values by 1/33
  bool HasCurve = false;
  bool HasCube = false;
};

// Two size lines (each keyword on a line of its own, followed by its number),
// then the curve, then the cube; the rest of the file is not read.
class TMatchLightParser : public TLutParser {
 public:
  using TLutParser::TLutParser;

  void Finish(TLUT& lut) override { lut.LutType = lt1DThen3D; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (Complete) return;
    if (CurveLength == -1 || CubeSize == -1) {
      if (ContainsNoCase(line, "lutS")) {
        const int m = StrToInt(KeywordValue(line, "lutS"));
        CheckCurveSize(m);
        CurveLength = m;
      }
      if (ContainsNoCase(line, "cubeS")) {
        const int n = StrToInt(KeywordValue(line, "cubeS"));
        CheckCubeSize(n);
        CubeSize = n;
      }
      if (CurveLength != -1 && CubeSize != -1) {
        lut.SetSize1D(CurveLength);
        DeclareCubeSize(lut, CubeSize);
      }
      return;
    }
    double r, g, b;
    if (!ParseFloatTriple(line, r, g, b)) return;
    if (EntryIndex < CurveLength) {
      lut.Curve(EntryIndex++) = {r / 15.0, g / 15.0, b / 15.0};
    } else {
      StoreNodeBlueFastest(lut, {r, g, b});
    }
  }

 private:
  int CurveLength = -1;
  int CubeSize = -1;
};

}  // namespace

// --- Codex 3D --------------------------------------------------------------

std::unique_ptr<TLutParser> TCodex3DLutFormat::NewParser(const std::filesystem::path&,
                                                         const TReadOptions& options) const {
  return std::make_unique<TCodex3DParser>(options);
}

bool TCodex3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "Lut3D:", "");
}

void TCodex3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                              const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("Lut3D: " + std::to_string(lut.Size3D()));
  text.Add("");
  text.Add("R\tG\tB");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.SaveToFile(fileName, context.Replace);
}

// --- Luther 3D -------------------------------------------------------------

std::unique_ptr<TLutParser> TLuther3DLutFormat::NewParser(const std::filesystem::path&,
                                                          const TReadOptions& options) const {
  return std::make_unique<TLuther3DParser>(options);
}

bool TLuther3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "channels: c3", "");
}

void TLuther3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                               const TWriteContext& context) const {
  const int bits = context.Bits;
  const long long n = lut.Size3D();
  TTextFile text;
  text.Add("#channels: c3");
  text.Add("#elements = " + std::to_string(n * n * n));
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.SaveToFile(fileName, context.Replace);
}

// --- Quantel 3D ------------------------------------------------------------

std::unique_ptr<TLutParser> TQuantel3DLutFormat::NewParser(const std::filesystem::path&,
                                                           const TReadOptions& options) const {
  return std::make_unique<TQuantel3DParser>(options);
}

bool TQuantel3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "max value,vertices", "");
}

void TQuantel3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("max value " + std::to_string(CodeValue(bits, 1.0)));
  text.Add("vertices " + std::to_string(lut.Size3D()));
  text.Add("blue is fastest changing");
  text.Add("red is slowest changing");
  text.Add("");
  text.Add("cube data");
  text.Add("R G B");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.SaveToFile(fileName, context.Replace);
}

// --- Colorfront OSD 3D -----------------------------------------------------

std::unique_ptr<TLutParser> TColorFrontOSD3DLutFormat::NewParser(
    const std::filesystem::path&, const TReadOptions& options) const {
  return std::make_unique<TColorFrontOSD3DParser>(options);
}

bool TColorFrontOSD3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return UpperCase(fileName.extension().string()) == ".3DMESH";
}

void TColorFrontOSD3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                      const TWriteContext& context) const {
  TTextFile text;
  AddFixedNodes(text, lut, TNodeOrder::RedFastest, TColumns::BGR);
  text.SaveToFile(fileName, context.Replace);
}

// --- Nucoda 3D -------------------------------------------------------------

std::unique_ptr<TLutParser> TNucoda3DLutFormat::NewParser(const std::filesystem::path&,
                                                          const TReadOptions& options) const {
  return std::make_unique<TNucoda3DParser>(options);
}

bool TNucoda3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "NUCODA_3D_CUBE", "");
}

void TNucoda3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                               const TWriteContext& context) const {
  const int ramp = NucodaRampLength;
  TTextFile text;
  text.Add("NUCODA_3D_CUBE 1");
  text.Add("");
  text.Add("TITLE \"" + fileName.stem().string() + "\"");
  text.Add("");
  text.Add("LUT_1D_SIZE " + std::to_string(ramp));
  text.Add("LUT_3D_SIZE " + std::to_string(lut.Size3D()));
  text.Add("");
  // Version 1 curves run 0..33; the ramp stops just short of the top.
  std::string line;
  for (int i = 0; i < ramp; ++i) {
    const double v = static_cast<double>(i) / (ramp - 1) * 32.999999;
    line.clear();
    AppendFixedTriple(line, {v, v, v}, 6);
    text.Add(line);
  }
  text.Add("");
  AddFixedNodes(text, lut, TNodeOrder::RedFastest);
  text.SaveToFile(fileName, context.Replace);
}

// --- MatchLight 3D Cube ----------------------------------------------------

std::unique_ptr<TLutParser> TMatchLight3DLutFormat::NewParser(const std::filesystem::path&,
                                                              const TReadOptions& options) const {
  return std::make_unique<TMatchLightParser>(options);
}

bool TMatchLight3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "lutS,cubeS", "");
}
