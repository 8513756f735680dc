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
//   0..1 are built into the record (see CubeInputRange.h). Files without
//   these read exactly as they always did.
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

namespace {

bool HasExtension(const std::filesystem::path& fileName, std::string_view upperExt) {
  return UpperCase(fileName.extension().string()) == upperExt;
}

// The text after a keyword found anywhere in the line, trimmed.
std::string_view AfterKeyword(std::string_view line, std::string_view keyword) {
  const std::size_t pos = PosNoCase(keyword, line);
  return pos ? Trim(line.substr(pos - 1 + keyword.size())) : std::string_view{};
}

void AddSizeLine(TTextFile& text, std::string_view keyword, int size) {
  text.Add(std::string(keyword) + " " + std::to_string(size));
}

}  // namespace

// --- Cube 3D ---------------------------------------------------------------

bool TCube3DLutFormat::Detect(const std::filesystem::path& fileName) {
  if (HasExtension(fileName, ".VLT")) return false;
  return MatchKeywords(fileName, "LUT_3D_SIZE", "NUCODA_3D_CUBE,LUT_3D_VERSION");
}

void TCube3DLutFormat::ReadHeader(const TTextFile& lines) {
  Shaper = false;
  SeenData = false;
  if (!ReadsShaperAndRanges) return;
  Keywords = ScanCubeKeywords(lines);
  Shaper = Keywords.Size1D != -1 && Keywords.Size3D != -1;
}

void TCube3DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  TGenericLutFormat::Read(fileName, lut);
  if (!ReadsShaperAndRanges) return;
  if (Shaper) {
    lut.LutType = lt1DThen3D;
    if (const auto& r = Keywords.Range1D ? Keywords.Range1D : Keywords.Domain) ApplyRangeToCurveInput(lut, *r);
    if (Keywords.Range3D) ApplyRangeToCubeInput(lut, *Keywords.Range3D);
  } else if (const auto& r = Keywords.Range3D ? Keywords.Range3D : Keywords.Domain) {
    ApplyRangeToCubeInput(lut, *r);
  }
}

void TCube3DLutFormat::ReadShaperLine(std::string_view line, TLUT& lut) {
  if (LutSize == -1) {  // both sizes are known from the scan; check them before storing
    DeclareCurveSize(lut, Keywords.Size1D);
    DeclareCubeSize(lut, Keywords.Size3D);
  }
  line = Trim(line);
  if (line.empty() || Complete) return;
  if (line.front() == '#') {
    if (!SeenData) lut.Comments.emplace_back(Trim(line.substr(1)));
    return;
  }
  double r, g, b;
  if (!ParseFloatTriple(line, r, g, b)) return;
  SeenData = true;
  if (Counter4 < lut.Size1D()) {
    lut.Curve(Counter4++) = {r, g, b};
  } else {
    StoreNodeRedFastest(lut, {r, g, b});
  }
}

void TCube3DLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  if (Shaper) {
    ReadShaperLine(line, lut);
    return;
  }
  line = Trim(line);
  if (line.empty()) return;
  if (LutSize == -1) {
    ParseHeaderLine(line, lut);
    if (LutSize != -1) return;  // that was the size line
  }
  if (line.front() == '#' || LutSize == -1 || Complete) return;
  double r, g, b;
  if (ParseFloatTriple(line, r, g, b))
    StoreNodeRedFastest(lut, {r / ValueDivisor, g / ValueDivisor, b / ValueDivisor});
}

void TCube3DLutFormat::ParseHeaderLine(std::string_view line, TLUT& lut) {
  if (line.front() == '#') {
    lut.Comments.emplace_back(Trim(line.substr(1)));
  } else if (PosNoCase("LUT_3D_SIZE", line)) {
    DeclareCubeSize(lut, StrToInt(AfterKeyword(line, "LUT_3D_SIZE")));
  }
}

void TCube3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int) {
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(ConvertedByLine);
  text.Add("");
  AddSizeLine(text, "LUT_3D_SIZE", lut.Size3D());
  AddFixedNodes(text, lut, TNodeOrder::RedFastest);
  text.SaveToFile(fileName);
}

// --- Cube 3D Truelight -----------------------------------------------------

bool TCube3DTruelightLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "iDims,oDims,width", "NUCODA_3D_CUBE");
}

void TCube3DTruelightLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  InputLength = -1;
  InputRead = 0;
  InInput = HasInput = false;
  TCube3DLutFormat::Read(fileName, lut);
  if (!HasInput) return;
  if (InputRead < InputLength) throw ELUTError("Incomplete file.");
  const double top = lut.Size3D() - 1;
  for (int i = 0; i < InputLength; ++i) {
    TLutRGB& c = lut.Curve(i);
    c = {c.R / top, c.G / top, c.B / top};
  }
  lut.LutType = lt1DThen3D;
}

void TCube3DTruelightLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  const std::string_view t = Trim(line);
  if (StartsWithNoCase(t, "# lutLength")) {
    InputLength = StrToInt(AfterKeyword(t, "# lutLength"));
    return;
  }
  if (StartsWithNoCase(t, "# InputLUT")) {
    if (InputLength == -1)
      throw ELUTError("The Truelight input curve has no \"# lutLength\" line.");
    CheckCurveSize(InputLength);  // before any entry is stored
    lut.SetSize1D(InputLength);
    InInput = HasInput = true;
    return;
  }
  if (StartsWithNoCase(t, "# Cube")) InInput = false;
  if (!InInput) {
    TCube3DLutFormat::ReadLine(line, lut);
    return;
  }
  double r, g, b;
  if (InputRead < InputLength && ParseFloatTriple(t, r, g, b)) lut.Curve(InputRead++) = {r, g, b};
}

void TCube3DTruelightLutFormat::ParseHeaderLine(std::string_view line, TLUT& lut) {
  // Only "# width N N N" counts; the first of the three numbers is the size.
  if (!PosNoCase("# width", line)) return;
  std::string_view rest = AfterKeyword(line, "# width");
  DeclareCubeSize(lut, StrToInt(CutBefore(" ", rest)));
}

void TCube3DTruelightLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                      int) {
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
  text.SaveToFile(fileName);
}

// --- FSI CFE ---------------------------------------------------------------

bool TFSI_CFE_3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "LUT_3D_SIZE,LUT_3D_VERSION", "NUCODA_3D_CUBE");
}

void TFSI_CFE_3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int) {
  TTextFile text;
  text.Add("LUT_3D_AUTHOR Tovi LUT Converter");
  text.Add("LUT_3D_MODEL CM240");
  text.Add("LUT_3D_VERSION 2.0.0");
  AddSizeLine(text, "LUT_3D_SIZE", lut.Size3D());
  text.Add("");
  AddFixedNodes(text, lut, TNodeOrder::RedFastest);
  text.SaveToFile(fileName);
}

// --- Panasonic VLT ---------------------------------------------------------

bool TPanasonic3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "LUT_3D_SIZE", "NUCODA_3D_CUBE,LUT_3D_VERSION") &&
         HasExtension(fileName, ".VLT");
}

void TPanasonic3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int) {
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
  text.SaveToFile(fileName);
}

// --- Cube 1D ---------------------------------------------------------------

bool TCube1DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "LUT_1D_SIZE", "NUCODA_3D_CUBE");
}

void TCube1DLutFormat::ReadHeader(const TTextFile& lines) { Keywords = ScanCubeKeywords(lines); }

void TCube1DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  TGenericLutFormat::Read(fileName, lut);
  if (const auto& r = Keywords.Range1D ? Keywords.Range1D : Keywords.Domain) ApplyRangeToCurveInput(lut, *r);
}

void TCube1DLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  line = Trim(line);
  if (line.empty()) return;
  if (line.front() == '#') {
    lut.Comments.emplace_back(Trim(line.substr(1)));  // kept wherever they stand
  } else if (PosNoCase("LUT_1D_SIZE", line)) {
    if (LutSize == -1) DeclareCurveSize(lut, StrToInt(AfterKeyword(line, "LUT_1D_SIZE")));
  } else if (LutSize != -1 && !Complete) {
    double r, g, b;
    if (ParseFloatTriple(line, r, g, b)) StoreCurveEntry(lut, {r, g, b});
  }
}

void TCube1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int) {
  TTextFile text;
  AddCommentLines(text, lut);
  text.Add(ConvertedByLine);
  text.Add("");
  AddSizeLine(text, "LUT_1D_SIZE", lut.Size1D());
  std::string line;
  for (int i = 0; i < lut.Size1D(); ++i) {
    line.clear();
    AppendFixedTriple(line, lut.Curve(i), 6);
    text.Add(line);
  }
  text.SaveToFile(fileName);
}
