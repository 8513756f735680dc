// 1D tables of integer codes, one format per grading system.
//
// Lustre 1D ("LUT16" or "LUT12", then index and R G B codes):
//
//   LUT12
//   0 0 0 0
//   1 1 1 1
//   ...                          (as many lines as entries; the count is the length)
//
// Codex 1D (channel count and length, then one code per line, all red values,
// then all green, then all blue; codes are divided by length - 1):
//
//   LUT: 3 1024
//   0
//   1
//   ...                          (3 x 1024 lines)
//
// Quantel 1D (maximum code and length, then R G B codes):
//
//   table type	2
//   gMax	1023
//   gSize	1024
//   gamma
//   r	g	b
//   0 0 0
//   ...
//
// Fusion 1D (the bit depth alone on a line, then index R index G index B):
//
//   F5LT
//   16
//   0 0 0 0 0 0
//   ...
//
// Cine-tal and Shake 1D: bare "R G B" code lines, written only.
//
// Quirks, each kept on purpose:
// - The Lustre header must be exactly "LUT" and the depth ("LUT12", "LUT16",
//   or any depth the writer is given: "LUT8", "LUT10", "LUT14"), although
//   detection of LUT12 and LUT16 ignores case: a lower-case header is found
//   but never taken, and the file reads as incomplete. Other depths are
//   recognised only as the first line, where the writer puts them.
// - Codex codes are divided by length - 1 unless the header's optional third
//   field gives the output depth ("LUT: 3 4096 65536", "LUT: 3 4096 16f"), so
//   only the default pairing (1024 entries, 10 bits) reads back as written; its
//   writer does not clamp, so values outside 0..1 keep their distance.
// - Without a depth in the header, an Autodesk-style name gives the depths
//   ("film_8to10.lut": 8 bits in, 10 out; "lin_12to16fp.lut": codes that
//   are half-float bit patterns, 8410 being 0.0095), as Autodesk's
//   software names them.
// - Lustre and Fusion count their entries; a table whose lines all fail to
//   convert is refused as incomplete, not returned empty.
// - Declared and counted lengths are checked against the record's limit
//   before any data is stored.
#include "formats/OneDIntegerFormats.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "core/FileIO.h"
#include "core/LutWriter.h"
#include "core/StringLib.h"

namespace {

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The Codex writer keeps values outside 0..1; only what no integer can hold
// is held back (and NaN is written as 0).
long long UnclampedCode(int bits, double value) {
  const double c = std::nearbyint(value * MaxCode(bits));
  if (std::isnan(c)) return 0;
  return static_cast<long long>(std::fmax(-1e15, std::fmin(1e15, c)));
}

void AddCodeTripleLines(TTextFile& text, const TLUT& lut, int bits) {
  std::string line;
  for (int i = 0; i < lut.Size1D(); ++i) {
    line.clear();
    AppendCodeTriple(line, lut.Curve(i), bits);
    text.Add(line);
  }
}

// The depth of a Lustre 1D header, "LUT" and the bits ("LUT12"); -1 for any
// other line.
int HeaderDepth(std::string_view line) {
  if (line.size() <= 3 || line.size() > 5 || line.substr(0, 3) != "LUT" || !IsDigits(line.substr(3)))
    return -1;
  return StrToInt(line.substr(3));
}

// CodeScale holds the bits of the "LUT12" / "LUT16" header.
class TLustre1DParser : public TCountedCurveParser {
 public:
  using TCountedCurveParser::TCountedCurveParser;

 protected:
  void ReadLine(std::string_view line, TLUT&) override {
    if (IsComment(line)) return;
    if (CodeScale == -1) {
      LutSize = 0;  // whatever stood before the header is not part of the table
      if (const int bits = HeaderDepth(line); bits >= 0) {
        if (bits < 1 || bits > 32)
          throw ELUTError("Unsupported bit depth in the header \"" + std::string(line) +
                          "\": 1 to 32 bits can be read.");
        CodeScale = bits;
      }
      return;
    }
    Complete = true;
    double r, g, b;
    if (ParseIntTriple(line, MaxCode(CodeScale), true, r, g, b)) AppendEntry({r, g, b});
  }
};

// The depths an Autodesk 1D file's name gives in the "<in>to<out>"
// convention ("log_12to10.lut", "lin_12to16fp.lut"); 0 where it gives none.
struct TNameDepths {
  int In = 0;
  int Out = 0;
  bool Half = false;  // "16fp": the codes are half-float bit patterns
};

TNameDepths DepthsOfName(const std::filesystem::path& fileName) {
  const std::string name = UpperCase(fileName.stem().string());
  TNameDepths found;
  // The last "<digits>TO<digits>" of the name; an "FP" may follow.
  for (std::size_t at = name.find("TO"); at != std::string::npos; at = name.find("TO", at + 1)) {
    std::size_t begin = at, end = at + 2;
    while (begin > 0 && name[begin - 1] >= '0' && name[begin - 1] <= '9') --begin;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
    if (begin == at || end == at + 2 || at - begin > 2 || end - at - 2 > 2) continue;
    const int in = StrToInt(std::string_view(name).substr(begin, at - begin));
    const int out = StrToInt(std::string_view(name).substr(at + 2, end - at - 2));
    const bool half = name.compare(end, 2, "FP") == 0;
    if (in < 8 || in > 16 || out < 8 || out > 16 || (half && out != 16)) continue;
    found = {in, out, half};
  }
  return found;
}

// The value of a half-float bit pattern.
double HalfValue(std::int64_t bits) {
  const int exponent = static_cast<int>((bits >> 10) & 0x1f);
  const int mantissa = static_cast<int>(bits & 0x3ff);
  const double sign = (bits & 0x8000) ? -1.0 : 1.0;
  if (exponent == 0) return sign * std::ldexp(mantissa, -24);
  if (exponent == 31) return sign * 65504.0;  // infinities and NaN: no LUT value; the largest half
  return sign * std::ldexp(1024 + mantissa, exponent - 25);
}

class TCodex1DParser : public TLutParser {
 public:
  TCodex1DParser(const TReadOptions& options, const std::filesystem::path& fileName)
      : TLutParser(options), Name(DepthsOfName(fileName)) {}
  int CodeBits() const override { return FloatValues || HalfCodes ? 0 : BitsOfMaxCode(Divisor); }
  int InputCodeBits() const override { return Name.In; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) {
      if (LutSize == -1) lut.Comments.emplace_back(CommentText(line));
      return;
    }
    if (LutSize == -1) {
      if (!ContainsNoCase(line, "LUT:")) return;
      // "LUT: <channels> <length> [<output depth>]"; the fields start after
      // the keyword and one separator.
      std::string_view rest = KeywordValue(line, "LUT:", 1);
      ChannelCount = StrToInt(Trim(CutToken(rest)));
      DeclareCurveSize(lut, StrToInt(Trim(CutToken(rest))));
      Divisor = LutSize - 1;
      // Without a depth in the header, the name's "<in>to<out>" gives it.
      if (Name.Half) HalfCodes = true;
      if (Name.Out > 0 && !Name.Half) Divisor = MaxCode(Name.Out);
      // The output depth, when given: bits ("12"), a code count ("4096"), or
      // floating-point values ("16f", "65536f", "32f") taken as they are.
      const std::string_view depth = Trim(rest);
      if (!depth.empty()) HalfCodes = false;
      if (!depth.empty() && (depth.back() == 'f' || depth.back() == 'F')) {
        StrToInt(depth.substr(0, depth.size() - 1));
        FloatValues = true;
        Divisor = 1;
      } else if (!depth.empty()) {
        const int d = StrToInt(depth);
        if (d < 1) throw ELUTError("Invalid output depth '" + std::string(depth) + "' in the LUT: line.");
        Divisor = d <= 32 ? MaxCode(d) : d - 1.0;
      }
      Channel = 1;
      return;
    }
    if (Complete) return;
    double v = 0;
    if (FloatValues) {
      if (!TryParseFloat(line, v)) return;
    } else {
      std::int64_t code = 0;
      if (!TryParseInt64(line, code)) return;
      v = HalfCodes ? HalfValue(code) : static_cast<double>(code) / Divisor;
    }
    TLutRGB& entry = lut.Curve(EntryIndex);
    if (ChannelCount == 1) {
      entry = {v, v, v};
      if (++EntryIndex >= LutSize) Complete = true;
      return;
    }
    (Channel == 1 ? entry.R : Channel == 2 ? entry.G : entry.B) = v;
    if (++EntryIndex < LutSize) return;
    EntryIndex = 0;
    if (++Channel > 3) Complete = true;
  }

 private:
  double Divisor = 1;        // length - 1, or what the header's output depth gives
  bool FloatValues = false;  // the header's output depth is a floating-point one
  bool HalfCodes = false;    // the name's output depth is "16fp"
  TNameDepths Name;
  int ChannelCount = 0;  // as the header gives it; 1 means one curve for all three
  int Channel = 1;       // the channel being filled: 1 red, 2 green, 3 blue
};

// CodeScale holds the maximum code of the gMax line.
class TQuantel1DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;
  int CodeBits() const override { return CodeScale > 0 ? BitsOfMaxCode(CodeScale) : 0; }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) return;
    if (LutSize == -1 && ContainsNoCase(line, "gSize")) {
      DeclareCurveSize(lut, StrToInt(KeywordValue(line, "gSize", 1)));
      return;
    }
    if (CodeScale == -1 && ContainsNoCase(line, "gMax")) {
      const std::string_view field = KeywordValue(line, "gMax", 1);
      const int maxCode = StrToInt(field);
      // Codes are divided by it: zero or less would make every value meaningless.
      if (maxCode < 1)
        throw ELUTError("Invalid maximum code " + std::string(field) + " in the gMax line.");
      CodeScale = maxCode;
      return;
    }
    if (LutSize == -1 || CodeScale == -1 || Complete) return;
    double r, g, b;
    if (ParseIntTriple(line, CodeScale, false, r, g, b)) StoreCurveEntry(lut, {r, g, b});
  }
};

// CodeScale holds the bit depth line's value.
class TFusion1DParser : public TCountedCurveParser {
 public:
  using TCountedCurveParser::TCountedCurveParser;

 protected:
  void ReadLine(std::string_view line, TLUT&) override {
    if (IsComment(line)) return;
    if (CodeScale == -1) {
      // The first line holding a lone integer is the bit depth ("F5LT" is not).
      std::int64_t bits = 0;
      if (!TryParseInt64(line, bits)) return;
      if (bits < 1 || bits > 32)
        throw ELUTError("Unsupported bit depth " + std::string(line) +
                        ": 1 to 32 bits can be read.");
      CodeScale = static_cast<int>(bits);
      LutSize = 0;
      return;
    }
    Complete = true;
    // index R index G index B: the index fields are passed over unread.
    const double maxCode = MaxCode(CodeScale);
    std::string_view s = line;
    double rgb[3];
    for (int k = 0; k < 3; ++k) {
      CutToken(s);
      s = Trim(s);
      const std::string_view field = k < 2 ? Trim(CutToken(s)) : s;
      std::int64_t code = 0;
      if (!TryParseInt64(field, code)) return;
      rgb[k] = static_cast<double>(code) / maxCode;
      s = Trim(s);
    }
    AppendEntry({rgb[0], rgb[1], rgb[2]});
  }
};

}  // namespace

// --- Autodesk Lustre 1D ----------------------------------------------------

std::unique_ptr<TLutParser> TLustre1DLutFormat::NewParser(const std::filesystem::path&,
                                                          const TReadOptions& options) const {
  return std::make_unique<TLustre1DParser>(options);
}

bool TLustre1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  if (MatchKeywords(fileName, "LUT16", "") || MatchKeywords(fileName, "LUT12", "")) return true;
  // Other depths ("LUT8", "LUT10", "LUT14") only as the file's first line, as
  // the writer puts them: "LUT8" alone is also the trailer of a Lustre mesh.
  const std::string head = ReadFilePrefix(fileName, DetectionHeadSize);
  std::string_view first = head;
  return HeaderDepth(Trim(CutBefore("\n", first))) >= 1;
}

void TLustre1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                               const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("LUT" + std::to_string(bits));
  text.Add("");
  text.Add(ConvertedByLine);
  text.Add("");
  std::string line;
  for (int i = 0; i < lut.Size1D(); ++i) {
    line = std::to_string(i);
    line += ' ';
    AppendCodeTriple(line, lut.Curve(i), bits);
    text.Add(line);
  }
  text.SaveToFile(fileName, context.Replace);
}

// --- Codex 1D, Scratch 1D --------------------------------------------------

std::unique_ptr<TLutParser> TCodex1DLutFormat::NewParser(const std::filesystem::path& fileName,
                                                         const TReadOptions& options) const {
  return std::make_unique<TCodex1DParser>(options, fileName);
}

bool TCodex1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  if (!MatchKeywords(fileName, "LUT:", "")) return false;
  // The keyword must open a header of numbers ("LUT: 3 1024"): a Houdini
  // .lut has a bare "LUT:" line before its data.
  const std::string head = UpperCase(ReadFilePrefix(fileName, DetectionHeadSize));
  for (std::size_t at = head.find("LUT:"); at != std::string::npos; at = head.find("LUT:", at + 1)) {
    std::size_t i = at + 4;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t')) ++i;
    if (i < head.size() && head[i] >= '0' && head[i] <= '9') return true;
  }
  return false;
}

void TCodex1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                              const TWriteContext& context) const {
  const int bits = context.Bits;
  const int n = lut.Size1D();
  TTextFile text;
  text.Add(ConvertedByLine);
  text.Add("");
  text.Add("LUT: 3 " + std::to_string(n));
  text.Add("");
  for (double TLutRGB::*channel : {&TLutRGB::R, &TLutRGB::G, &TLutRGB::B})
    for (int i = 0; i < n; ++i)
      text.Add(std::to_string(UnclampedCode(bits, lut.Curve(i).*channel)));
  text.SaveToFile(fileName, context.Replace);
}

// --- Quantel 1D ------------------------------------------------------------

std::unique_ptr<TLutParser> TQuantel1DLutFormat::NewParser(const std::filesystem::path&,
                                                           const TReadOptions& options) const {
  return std::make_unique<TQuantel1DParser>(options);
}

bool TQuantel1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "table type,gMax,gSize", "");
}

void TQuantel1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("table type\t2");
  text.Add("");
  text.Add("gMax\t" + FormatCodeValue(bits, 1.0));
  text.Add("gSize\t" + std::to_string(lut.Size1D()));
  text.Add("");
  text.Add("gamma");
  text.Add("r\tg\tb");
  AddCodeTripleLines(text, lut, bits);
  text.SaveToFile(fileName, context.Replace);
}

// --- Fusion 1D -------------------------------------------------------------

std::unique_ptr<TLutParser> TFusion1DLutFormat::NewParser(const std::filesystem::path&,
                                                          const TReadOptions& options) const {
  return std::make_unique<TFusion1DParser>(options);
}

bool TFusion1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "F5LT", "");
}

void TFusion1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                               const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("F5LT");
  text.Add("");
  text.Add(std::to_string(bits));
  text.Add("");
  std::string line;
  for (int i = 0; i < lut.Size1D(); ++i) {
    const TLutRGB& c = lut.Curve(i);
    const std::string index = std::to_string(i);
    line.clear();
    for (double v : {c.R, c.G, c.B}) {
      if (!line.empty()) line += ' ';
      line += index;
      line += ' ';
      AppendCodeValue(line, bits, v);
    }
    text.Add(line);
  }
  text.SaveToFile(fileName, context.Replace);
}

// --- Cine-tal 1D and Shake 1D ----------------------------------------------

void TCinetal1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  AddCodeTripleLines(text, lut, bits);
  text.SaveToFile(fileName, context.Replace);
}
