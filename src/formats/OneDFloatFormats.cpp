// 1D tables of fractional values, and the DaVinci code tables that are only read.
//
// Filmlight Truelight 1D (the length in a comment line):
//
//   # Truelight Cube v2.0
//   # lutLength 2
//   # iDims     3
//
//   # InputLUT
//   0.000000 0.000000 0.000000
//   1.000000 1.000000 1.000000
//   # end
//
// Nucoda 1D, written only and read back by the Nucoda cube reader:
//
//   NUCODA_3D_CUBE 2
//
//   TITLE "name"
//
//   LUT_1D_SIZE 2
//
//   0.000000 0.000000 0.000000
//   1.000000 1.000000 1.000000
//
// Colorfront OSD 1D (".1dlut"): bare "R G B" lines; the count is the length.
//
// Blackmagic HDLink 1D: a title line, then values times 1000:
//
//   R	G	B - HDLINK GAMMA TABLE
//   0.00 0.00 0.00
//   1000.00 1000.00 1000.00
//
// DaVinci ilut / olut (by extension): lines of three codes, 14-bit / 12-bit.
//
//   0 0 0
//   16383 16383 16383
//
// Quirks, each kept on purpose:
// - Colorfront and DaVinci files are known by their extension alone; a ".ilut"
//   that holds "<IRIDAScript>" belongs to another program and is passed over.
// - Blackmagic data lines must start like a number; that is how the title line
//   and other text are skipped. A leading minus sign counts too, since the
//   writer puts negative values out as they are and they must read back.
// - The ilut/olut reader ignores anything after the third code, where the
//   other readers take the rest of the line as the third number and so refuse
//   a line with a fourth field.
// - Tables that count their entries refuse a file whose lines all fail to
//   convert instead of returning an empty table; declared and counted lengths
//   are checked against the record's limit before any data is stored.
#include "formats/OneDFloatFormats.h"

#include <cstdint>
#include <string>

#include "core/LutWriter.h"
#include "core/StringLib.h"

namespace {

// The text from the last "." of the file name, upper-cased; empty without one.
std::string UpperExtension(const std::filesystem::path& fileName) {
  const std::string name = fileName.filename().string();
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : UpperCase(std::string_view(name).substr(dot));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A data line starts like a number: a digit, or a sign before a digit.
bool StartsLikeNumber(std::string_view s) {
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  return !s.empty() && IsDigit(s.front());
}

void AddFixedLines(TTextFile& text, const TLUT& lut, double scale, int decimals) {
  std::string line;
  for (int i = 0; i < lut.Size1D(); ++i) {
    const TLutRGB& c = lut.Curve(i);
    line.clear();
    AppendFixedTriple(line, {c.R * scale, c.G * scale, c.B * scale}, decimals);
    text.Add(line);
  }
}

class TFilmlight1DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    // The length stands in a comment line, so it is looked for before comments are skipped.
    if (LutSize == -1 && ContainsNoCase(line, "lutLength")) {
      DeclareCurveSize(lut, StrToInt(KeywordValue(line, "lutLength", 1)));
      return;
    }
    if (IsComment(line) || LutSize == -1 || Complete) return;
    double r, g, b;
    if (ParseFloatTriple(line, r, g, b)) StoreCurveEntry(lut, {r, g, b});
  }
};

class TColorFrontOSD1DParser : public TCountedCurveParser {
 public:
  using TCountedCurveParser::TCountedCurveParser;

 protected:
  void ReadLine(std::string_view line, TLUT&) override {
    if (IsComment(line)) return;
    BeginTable();
    double r, g, b;
    if (ParseFloatTriple(line, r, g, b)) AppendEntry({r, g, b});
  }
};

class TBlackmagic1DParser : public TCountedCurveParser {
 public:
  using TCountedCurveParser::TCountedCurveParser;

 protected:
  void ReadLine(std::string_view line, TLUT&) override {
    if (!StartsLikeNumber(line)) return;
    BeginTable();
    double r, g, b;
    if (ParseFloatTriple(line, r, g, b)) AppendEntry({r / 1000, g / 1000, b / 1000});
  }
};

class TDavinciLut1DParser : public TCountedCurveParser {
 public:
  TDavinciLut1DParser(double maxCode, const TReadOptions& options)
      : TCountedCurveParser(options), MaxTableCode(maxCode) {}

 protected:
  void ReadLine(std::string_view line, TLUT&) override {
    if (IsComment(line)) return;
    BeginTable();
    double r, g, b;
    if (ParseIntTripleLoose(line, MaxTableCode, r, g, b)) AppendEntry({r, g, b});
  }

 private:
  const double MaxTableCode;
};

}  // namespace

bool ParseIntTripleLoose(std::string_view line, double maxCode, double& r, double& g, double& b) {
  std::string_view s = Trim(line);
  double* out[3] = {&r, &g, &b};
  for (double* v : out) {
    s = Trim(s);
    std::int64_t code = 0;
    if (!TryParseInt64(Trim(CutToken(s)), code)) return false;
    *v = static_cast<double>(code) / maxCode;
  }
  return true;
}

// --- Filmlight Truelight 1D ------------------------------------------------

std::unique_ptr<TLutParser> TFilmlight1DLutFormat::NewParser(const std::filesystem::path&,
                                                             const TReadOptions& options) const {
  return std::make_unique<TFilmlight1DParser>(options);
}

bool TFilmlight1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "iDims,lutLength", "");
}

void TFilmlight1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                  const TWriteContext& context) const {
  TTextFile text;
  text.Add("# Truelight Cube v2.0");
  text.Add("# lutLength " + std::to_string(lut.Size1D()));
  text.Add("# iDims     3");
  text.Add("");
  text.Add("# InputLUT");
  AddFixedLines(text, lut, 1.0, 6);
  text.Add("# end");
  text.Add(ConvertedByLine);
  text.SaveToFile(fileName, context.Replace);
}

// --- Nucoda 1D -------------------------------------------------------------

void TNucoda1DLutWriterFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                     const TWriteContext& context) const {
  TTextFile text;
  text.Add("NUCODA_3D_CUBE 2");
  text.Add("");
  AddTitleLine(text, lut, fileName.stem().string());
  text.Add("");
  text.Add("LUT_1D_SIZE " + std::to_string(lut.Size1D()));
  text.Add("");
  AddFixedLines(text, lut, 1.0, 6);
  text.SaveToFile(fileName, context.Replace);
}

// --- Colorfront OSD 1D -----------------------------------------------------

std::unique_ptr<TLutParser> TColorFrontOSD1DLutFormat::NewParser(
    const std::filesystem::path&, const TReadOptions& options) const {
  return std::make_unique<TColorFrontOSD1DParser>(options);
}

bool TColorFrontOSD1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return UpperExtension(fileName) == ".1DLUT";
}

void TColorFrontOSD1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                      const TWriteContext& context) const {
  TTextFile text;
  AddFixedLines(text, lut, 1.0, 6);
  text.SaveToFile(fileName, context.Replace);
}

// --- Blackmagic HDLink 1D --------------------------------------------------

std::unique_ptr<TLutParser> TBlackmagic1DLutFormat::NewParser(const std::filesystem::path&,
                                                              const TReadOptions& options) const {
  return std::make_unique<TBlackmagic1DParser>(options);
}

bool TBlackmagic1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "HDLINK", "");
}

void TBlackmagic1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                   const TWriteContext& context) const {
  TTextFile text;
  text.Add("R\tG\tB - HDLINK GAMMA TABLE");
  AddFixedLines(text, lut, 1000.0, 2);
  text.SaveToFile(fileName, context.Replace);
}

// --- DaVinci Resolve ilut / olut -------------------------------------------

std::unique_ptr<TLutParser> TDavinciLut1DLutFormat::NewParser(const std::filesystem::path&,
                                                              const TReadOptions& options) const {
  return std::make_unique<TDavinciLut1DParser>(MaxTableCode, options);
}

bool TDavinciILut1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return UpperExtension(fileName) == ".ILUT" && MatchKeywords(fileName, "", "<IRIDAScript>");
}

bool TDavinciOLut1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return UpperExtension(fileName) == ".OLUT";
}
