// Cube family. A minimal 3D cube (2 points per axis, red fastest):
//
//   # a comment, kept when it stands before the size line
//   TITLE "anything"            <- ignored
//   LUT_3D_SIZE 2
//   0.000000 0.000000 0.000000
//   1.000000 0.000000 0.000000
//   0.000000 1.000000 0.000000
//   ...                         (8 nodes)
//
// Quirks, each kept on purpose:
// - Detection is by keywords in the first 4096 bytes, so the order of the
//   registry decides: Truelight words win, "LUT_3D_VERSION" means FSI CFE,
//   a ".vlt" extension means Panasonic.
// - Only comments before the size line are kept; later lines starting with
//   "#" are skipped (the Truelight "# Cube" / "# end" markers among them).
// - Lines that do not parse as three numbers (TITLE, DOMAIN_MIN, ...) are
//   skipped; only missing nodes are an error.
// - A plain cube that declares both LUT_1D_SIZE and LUT_3D_SIZE holds a 1D
//   shaper before its cube: the first M data lines are the curves, the next
//   N^3 the cube, whichever size line comes first. Input ranges other than
//   0..1 are kept as the record's domains (see CubeInputRange.h). Files
//   without these read exactly as they always did.
// - Writing, a record on 0..1 gives the same bytes as ever. Another domain
//   goes out as DOMAIN_MIN / DOMAIN_MAX after the size line; under a profile
//   with INPUT_RANGE lines (the Davinci style) as LUT_3D_INPUT_RANGE when the
//   same in every channel, and a shaper as LUT_1D_SIZE, LUT_1D_INPUT_RANGE,
//   LUT_3D_SIZE, LUT_3D_INPUT_RANGE, then the curve and the cube.
// - A Truelight cube may carry an input curve ("# lutLength L", then
//   "# InputLUT" and L lines before "# Cube", as colour-management tools
//   bake them). Its values run over the cube's index range 0..N-1, so they
//   are divided by N-1 and the record becomes curves-then-cube; without
//   this the curve would be read as the first cube nodes.
#include "formats/CubeFormats.h"

#include <charconv>
#include <cmath>

#include "core/LutWriter.h"
#include "core/StringLib.h"
#include "formats/CubeInputRange.h"

namespace {

bool HasExtension(const std::filesystem::path& fileName, std::string_view upperExt) {
  return UpperCase(fileName.extension().string()) == upperExt;
}

void AddSizeLine(TTextFile& text, std::string_view keyword, int size) {
  text.Add(std::string(keyword) + " " + std::to_string(size));
}

// A domain's bounds are written exactly, so the file's nodes sit where ours do.
void AddDomainLines(TTextFile& text, const TLutDomain& d) {
  if (d.IsUnit()) return;
  auto triple = [](const TLutRGB& v) {
    return FormatShortest(v.R) + " " + FormatShortest(v.G) + " " + FormatShortest(v.B);
  };
  text.Add("DOMAIN_MIN " + triple(d.Min));
  text.Add("DOMAIN_MAX " + triple(d.Max));
}

// "LUT_3D_INPUT_RANGE min max": one pair for every channel.
void AddInputRangeLine(TTextFile& text, std::string_view keyword, const TLutDomain& d) {
  text.Add(std::string(keyword) + " " + FormatShortest(d.Min.R) + " " + FormatShortest(d.Max.R));
}

void AddCurveLines(TTextFile& text, const TLUT& lut) {
  std::string line;
  for (int i = 0; i < lut.Size1D(); ++i) {
    line.clear();
    AppendFixedTriple(line, lut.Curve(i), 6);
    text.Add(line);
  }
}

// --- Cube 3D parser ----------------------------------------------------------

class TCube3DParser : public TLutParser {
 public:
  TCube3DParser(const TCube3DLutFormat& format, const TReadOptions& options)
      : TLutParser(options), Format(format) {}

  void Finish(TLUT& lut) override {
    if (!Format.ReadsShaperAndRanges) return;
    lut.Title = Keywords.Title;
    if (Shaper) {
      lut.LutType = lt1DThen3D;
      if (const auto& r = Keywords.Range1D ? Keywords.Range1D : Keywords.Domain) lut.Domain1D = *r;
      if (Keywords.Range3D) lut.Domain3D = *Keywords.Range3D;
    } else if (const auto& r = Keywords.Range3D ? Keywords.Range3D : Keywords.Domain) {
      lut.Domain3D = *r;
    }
  }

 protected:
  void ReadHeader(const TTextFile& lines) override {
    if (!Format.ReadsShaperAndRanges) return;
    Keywords = ScanCubeKeywords(lines);
    Shaper = Keywords.Size1D != -1 && Keywords.Size3D != -1;
  }

  void ReadLine(std::string_view line, TLUT& lut) override {
    if (Shaper) {
      ReadShaperLine(line, lut);
      return;
    }
    if (LutSize == -1) {
      ParseHeaderLine(line, lut);
      if (LutSize != -1) return;  // that was the size line
    }
    if (IsComment(line) || LutSize == -1 || Complete) return;
    double r, g, b;
    if (ParseFloatTriple(line, r, g, b)) {
      const double d = Format.ValueDivisor;
      StoreNodeRedFastest(lut, {r / d, g / d, b / d});
    } else {
      NoteSkippedLine(line);
    }
  }

  virtual void ParseHeaderLine(std::string_view line, TLUT& lut) {
    if (IsComment(line)) {
      lut.Comments.emplace_back(CommentText(line));
    } else if (ContainsNoCase(line, "LUT_3D_SIZE")) {
      DeclareCubeSize(lut, StrToInt(KeywordValue(line, "LUT_3D_SIZE")));
    }
  }

 private:
  void ReadShaperLine(std::string_view line, TLUT& lut) {
    if (LutSize == -1) {  // both sizes are known from the scan; check them before storing
      DeclareCurveSize(lut, Keywords.Size1D);
      DeclareCubeSize(lut, Keywords.Size3D);
    }
    if (Complete) return;
    if (IsComment(line)) {
      if (!SeenData) lut.Comments.emplace_back(CommentText(line));
      return;
    }
    double r, g, b;
    if (!ParseFloatTriple(line, r, g, b)) {
      NoteSkippedLine(line);
      return;
    }
    SeenData = true;
    if (EntryIndex < lut.Size1D()) {
      lut.Curve(EntryIndex++) = {r, g, b};
    } else {
      StoreNodeRedFastest(lut, {r, g, b});
    }
  }

  const TCube3DLutFormat& Format;
  TCubeKeywords Keywords;
  bool Shaper = false;
  bool SeenData = false;
};

// --- Cube 3D Truelight parser -------------------------------------------------

class TTruelightParser : public TCube3DParser {
 public:
  using TCube3DParser::TCube3DParser;

  void Finish(TLUT& lut) override {
    if (!HasInput) return;
    if (InputRead < InputLength) throw ELUTError("Incomplete file.");
    const double top = lut.Size3D() - 1;
    for (int i = 0; i < InputLength; ++i) {
      TLutRGB& c = lut.Curve(i);
      c = {c.R / top, c.G / top, c.B / top};
    }
    lut.LutType = lt1DThen3D;
  }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    if (StartsWithNoCase(line, "# lutLength")) {
      InputLength = StrToInt(KeywordValue(line, "# lutLength"));
      return;
    }
    if (StartsWithNoCase(line, "# InputLUT")) {
      if (InputLength == -1)
        throw ELUTError("The Truelight input curve has no \"# lutLength\" line.");
      CheckCurveSize(InputLength);  // before any entry is stored
      lut.SetSize1D(InputLength);
      InInput = HasInput = true;
      return;
    }
    if (StartsWithNoCase(line, "# Cube")) InInput = false;
    if (!InInput) {
      TCube3DParser::ReadLine(line, lut);
      return;
    }
    double r, g, b;
    if (InputRead < InputLength && ParseFloatTriple(line, r, g, b))
      lut.Curve(InputRead++) = {r, g, b};
  }

  void ParseHeaderLine(std::string_view line, TLUT& lut) override {
    // Only "# width N N N" counts; the first of the three numbers is the size.
    if (!ContainsNoCase(line, "# width")) return;
    std::string_view rest = KeywordValue(line, "# width");
    DeclareCubeSize(lut, StrToInt(CutBefore(" ", rest)));
  }

 private:
  // The optional "# InputLUT" section: a curve into the cube's index range.
  int InputLength = -1;  // from "# lutLength"
  int InputRead = 0;
  bool InInput = false;
  bool HasInput = false;
};

// --- Cube 1D parser -----------------------------------------------------------

class TCube1DParser : public TLutParser {
 public:
  using TLutParser::TLutParser;

  void Finish(TLUT& lut) override {
    lut.Title = Keywords.Title;
    if (const auto& r = Keywords.Range1D ? Keywords.Range1D : Keywords.Domain) lut.Domain1D = *r;
  }

 protected:
  void ReadHeader(const TTextFile& lines) override { Keywords = ScanCubeKeywords(lines); }

  void ReadLine(std::string_view line, TLUT& lut) override {
    if (IsComment(line)) {
      lut.Comments.emplace_back(CommentText(line));  // kept wherever they stand
    } else if (ContainsNoCase(line, "LUT_1D_SIZE")) {
      if (LutSize == -1) DeclareCurveSize(lut, StrToInt(KeywordValue(line, "LUT_1D_SIZE")));
    } else if (LutSize != -1 && !Complete) {
      double r, g, b;
      if (ParseFloatTriple(line, r, g, b)) {
        StoreCurveEntry(lut, {r, g, b});
      } else {
        NoteSkippedLine(line);
      }
    }
  }

 private:
  TCubeKeywords Keywords;
};

}  // namespace

// --- Cube 3D ---------------------------------------------------------------

bool TCube3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  if (HasExtension(fileName, ".VLT")) return false;
  return MatchKeywords(fileName, "LUT_3D_SIZE", "NUCODA_3D_CUBE,LUT_3D_VERSION");
}

std::unique_ptr<TLutParser> TCube3DLutFormat::NewParser(const std::filesystem::path&,
                                                        const TReadOptions& options) const {
  return std::make_unique<TCube3DParser>(*this, options);
}

void TCube3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                             const TWriteContext& context) const {
  TTextFile text;
  AddCommentLines(text, lut, "# ", false);
  text.Add(ConvertedByLine);
  text.Add("");
  AddTitleLine(text, lut);
  if (lut.LutType == lt1DThen3D) {  // kept only under a profile with INPUT_RANGE lines
    AddSizeLine(text, "LUT_1D_SIZE", lut.Size1D());
    if (!lut.Domain1D.IsUnit()) AddInputRangeLine(text, "LUT_1D_INPUT_RANGE", lut.Domain1D);
    AddSizeLine(text, "LUT_3D_SIZE", lut.Size3D());
    if (!lut.Domain3D.IsUnit()) AddInputRangeLine(text, "LUT_3D_INPUT_RANGE", lut.Domain3D);
    AddCurveLines(text, lut);
  } else {
    AddSizeLine(text, "LUT_3D_SIZE", lut.Size3D());
    if (context.InputRanges && lut.Domain3D.IsUniform() && !lut.Domain3D.IsUnit()) {
      AddInputRangeLine(text, "LUT_3D_INPUT_RANGE", lut.Domain3D);
    } else {
      AddDomainLines(text, lut.Domain3D);
    }
  }
  AddFixedNodes(text, lut, TNodeOrder::RedFastest);
  text.SaveToFile(fileName, context.Replace);
}

bool TCube3DLutFormat::KeepsDomain(const TLutDomain& domain) const {
  return ReadsShaperAndRanges || domain.IsUnit();
}

// --- Cube 3D Truelight -----------------------------------------------------

bool TCube3DTruelightLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "iDims,oDims,width", "NUCODA_3D_CUBE");
}

std::unique_ptr<TLutParser> TCube3DTruelightLutFormat::NewParser(
    const std::filesystem::path&, const TReadOptions& options) const {
  return std::make_unique<TTruelightParser>(*this, options);
}

void TCube3DTruelightLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                      const TWriteContext& context) const {
  const std::string n = std::to_string(lut.Size3D());
  TTextFile text;
  text.Add("# Truelight Cube v2.0");
  text.Add("# iDims     3");
  text.Add("# oDims     3");
  text.Add("# width     " + n + " " + n + " " + n);
  text.Add("");
  text.Add("# Cube");
  AddFixedNodes(text, lut, TNodeOrder::RedFastest);
  text.Add("# end");
  text.Add(ConvertedByLine);
  text.SaveToFile(fileName, context.Replace);
}

// --- FSI CFE ---------------------------------------------------------------

bool TFSI_CFE_3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "LUT_3D_SIZE,LUT_3D_VERSION", "NUCODA_3D_CUBE");
}

void TFSI_CFE_3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                 const TWriteContext& context) const {
  TTextFile text;
  text.Add("LUT_3D_AUTHOR Tovi LUT Converter");
  text.Add("LUT_3D_MODEL CM240");
  text.Add("LUT_3D_VERSION 2.0.0");
  AddSizeLine(text, "LUT_3D_SIZE", lut.Size3D());
  text.Add("");
  AddFixedNodes(text, lut, TNodeOrder::RedFastest);
  text.SaveToFile(fileName, context.Replace);
}

// --- Panasonic VLT ---------------------------------------------------------

bool TPanasonic3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "LUT_3D_SIZE", "NUCODA_3D_CUBE,LUT_3D_VERSION") &&
         HasExtension(fileName, ".VLT");
}

void TPanasonic3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                  const TWriteContext& context) const {
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(ConvertedByLine);
  text.Add("");
  AddSizeLine(text, "LUT_3D_SIZE", lut.Size3D());
  text.Add("");
  // Codes are written unclamped; only a value too large for any integer is held back.
  auto code = [](double v) {
    const double c = std::nearbyint(v * 4095.0);
    return static_cast<long long>(std::fmax(-1e15, std::fmin(1e15, c)));
  };
  std::string line;
  ForEachNodeRedFastest(lut, [&](const TLutRGB& rgb) {
    line = std::to_string(code(rgb.R)) + " " + std::to_string(code(rgb.G)) + " " +
           std::to_string(code(rgb.B));
    text.Add(line);
  });
  text.SaveToFile(fileName, context.Replace);
}

// --- Cube 1D ---------------------------------------------------------------

bool TCube1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "LUT_1D_SIZE", "NUCODA_3D_CUBE");
}

std::unique_ptr<TLutParser> TCube1DLutFormat::NewParser(const std::filesystem::path&,
                                                        const TReadOptions& options) const {
  return std::make_unique<TCube1DParser>(options);
}

void TCube1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                             const TWriteContext& context) const {
  TTextFile text;
  AddCommentLines(text, lut, "# ", false);
  text.Add(ConvertedByLine);
  text.Add("");
  AddTitleLine(text, lut);
  AddSizeLine(text, "LUT_1D_SIZE", lut.Size1D());
  AddDomainLines(text, lut.Domain1D);
  AddCurveLines(text, lut);
  text.SaveToFile(fileName, context.Replace);
}

bool TCube1DLutFormat::KeepsDomain(const TLutDomain&) const { return true; }
