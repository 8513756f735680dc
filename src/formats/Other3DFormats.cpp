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

// The text after a keyword found anywhere in the line, trimmed ("" if absent).
std::string_view AfterKeyword(std::string_view line, std::string_view keyword) {
  const std::size_t pos = PosNoCase(keyword, line);
  return pos ? Trim(line.substr(pos - 1 + keyword.size())) : std::string_view{};
}

// The cube size of a file that gives its entry count: the nearest integer
// cube root (an exact cube's root is never a tie).
int CubeRootSize(double entries) { return static_cast<int>(std::nearbyint(std::cbrt(entries))); }

}  // namespace

// --- Codex 3D --------------------------------------------------------------

bool TCodex3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "Lut3D:", "");
}

void TCodex3DLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  line = Trim(line);
  if (line.empty()) return;
  if (line.front() == '#') {
    lut.Comments.emplace_back(Trim(line.substr(1)));
  } else if (LutSize == -1 && PosNoCase("LUT3D:", line)) {
    DeclareCubeSize(lut, StrToInt(AfterKeyword(line, "LUT3D:")));
  } else {
    // The "R G B" caption and any line of another shape fail to parse here.
    double r, g, b;
    if (ParseIntTriple(line, std::exp2(CodeBits) - 1, false, r, g, b))
      StoreNodeBlueFastest(lut, {r, g, b});
  }
}

void TCodex3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) {
  TTextFile text;
  text.Add("Lut3D: " + std::to_string(lut.Size3D()));
  text.Add("");
  text.Add("R\tG\tB");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.SaveToFile(fileName);
}

// --- Luther 3D -------------------------------------------------------------

bool TLuther3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "channels: c3", "");
}

void TLuther3DLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  line = Trim(line);
  if (line.empty()) return;
  if (LutSize == -1 && PosNoCase("elements =", line)) {
    DeclareCubeSize(lut, CubeRootSize(StrToInt(AfterKeyword(line, "elements ="))));
  } else if (line.front() != '#') {
    double r, g, b;
    if (ParseIntTriple(line, 1023.0, false, r, g, b)) StoreNodeBlueFastest(lut, {r, g, b});
  }
}

void TLuther3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) {
  const long long n = lut.Size3D();
  TTextFile text;
  text.Add("#channels: c3");
  text.Add("#elements = " + std::to_string(n * n * n));
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.SaveToFile(fileName);
}

// --- Quantel 3D ------------------------------------------------------------

bool TQuantel3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "max value,vertices", "");
}

void TQuantel3DLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return;
  if (LutSize == -1 && line.starts_with("vertices")) {
    DeclareCubeSize(lut, StrToInt(Trim(line.substr(8))));
  } else if (ValueScale == -1 && line.starts_with("max value")) {
    const int maxCode = StrToInt(Trim(line.substr(9)));
    // Every value is divided by it: zero or less would fill the cube with
    // infinities or flipped signs.
    if (maxCode < 1)
      throw ELUTError("Invalid max value " + std::to_string(maxCode) + ": it must be at least 1.");
    ValueScale = maxCode;
  } else if (LutSize != -1 && ValueScale != -1) {
    // "cube data", "R G B" and the order lines fail to parse here.
    double r, g, b;
    if (ParseIntTriple(line, ValueScale, false, r, g, b)) StoreNodeBlueFastest(lut, {r, g, b});
  }
}

void TQuantel3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) {
  TTextFile text;
  text.Add("max value " + std::to_string(CodeValue(bits, 1.0)));
  text.Add("vertices " + std::to_string(lut.Size3D()));
  text.Add("blue is fastest changing");
  text.Add("red is slowest changing");
  text.Add("");
  text.Add("cube data");
  text.Add("R G B");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.SaveToFile(fileName);
}

// --- Colorfront OSD 3D -----------------------------------------------------

bool TColorFrontOSD3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return UpperCase(fileName.extension().string()) == ".3DMESH";
}

void TColorFrontOSD3DLutFormat::ReadHeader(const TTextFile& lines) {
  DataLineCount = 0;
  double a, b, c;
  for (std::size_t i = 0; i < lines.Count(); ++i)
    if (ParseFloatTriple(lines[i], a, b, c)) ++DataLineCount;
}

void TColorFrontOSD3DLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return;
  // Without a single data line the size stays unknown and the read ends as
  // incomplete, which is what a stray file with this extension deserves.
  if (LutSize == -1 && DataLineCount > 0)
    DeclareCubeSize(lut, CubeRootSize(static_cast<double>(DataLineCount)));
  double b, g, r;
  if (ParseFloatTriple(line, b, g, r)) StoreNodeRedFastest(lut, {r, g, b});
}

void TColorFrontOSD3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int) {
  TTextFile text;
  AddFixedNodes(text, lut, TNodeOrder::RedFastest, TColumns::BGR);
  text.SaveToFile(fileName);
}

// --- Nucoda 3D -------------------------------------------------------------

bool TNucoda3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "NUCODA_3D_CUBE", "");
}

void TNucoda3DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  // Version too: a file without the keyword line must not inherit the scale
  // of the file read before it.
  CurveLength = 0;
  Version = 0;
  HasCurve = HasCube = false;
  TGenericLutFormat::Read(fileName, lut);
  // The driver has recorded a plain cube; the parts found decide the kind.
  if (HasCurve) lut.LutType = HasCube ? lt1DThen3D : lt1D;
}

void TNucoda3DLutFormat::ReadLine(std::string_view line, TLUT& lut) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return;
  if (const std::size_t pos = PosNoCase("NUCODA_3D_CUBE", line)) {
    // The version is whatever follows the keyword and its separator.
    const std::size_t start = pos - 1 + std::string_view("NUCODA_3D_CUBE").size() + 1;
    Version = StrToInt(Trim(start < line.size() ? line.substr(start) : std::string_view{}));
  } else if (PosNoCase("LUT_1D_SIZE", line)) {
    if (!HasCurve) {
      const int m = StrToInt(AfterKeyword(line, "LUT_1D_SIZE"));
      CheckCurveSize(m);
      lut.SetSize1D(m);
      CurveLength = m;
      HasCurve = true;
    }
  } else if (PosNoCase("LUT_3D_SIZE", line)) {
    if (!HasCube) {
      DeclareCubeSize(lut, StrToInt(AfterKeyword(line, "LUT_3D_SIZE")));
      HasCube = true;
    }
  } else {
    double r, g, b;
    if (!ParseFloatTriple(line, r, g, b)) return;  // TITLE and the like
    if (HasCurve && Counter4 < CurveLength) {
      const double scale = Version == 1 ? 33.0 : 1.0;
      lut.Curve(Counter4++) = {r / scale, g / scale, b / scale};
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
  Complete = (HasCurve || HasCube) && (!HasCurve || Counter4 == CurveLength) &&
             (!HasCube || IndexB == LutSize);
}

void TNucoda3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int) {
  const int ramp = WriteCurveLength;
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
  text.SaveToFile(fileName);
}

// --- MatchLight 3D Cube ----------------------------------------------------

bool TMatchLight3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "lutS,cubeS", "");
}

std::string_view TMatchLight3DLutFormat::TakeLine() {
  if (LineCursor >= Lines->Count()) throw ELUTError("Incomplete file.");
  return (*Lines)[LineCursor++];
}

void TMatchLight3DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  IndexR = IndexG = IndexB = Counter4 = 0;
  LutSize = ValueScale = -1;
  Complete = false;
  LineCursor = 0;
  CurveLength = CubeSize = -1;
  TTextFile text;
  text.LoadFromFile(fileName);
  Lines = &text;
  try {
    // Each size keyword stands on a line of its own, followed by its number.
    while (CurveLength == -1 || CubeSize == -1) {
      const std::string_view line = TakeLine();
      if (const std::size_t pos = PosNoCase("lutS", line)) {
        const int m = StrToInt(Trim(line.substr(pos - 1 + 4)));
        CheckCurveSize(m);
        CurveLength = m;
      }
      if (const std::size_t pos = PosNoCase("cubeS", line)) {
        const int n = StrToInt(Trim(line.substr(pos - 1 + 5)));
        CheckCubeSize(n);
        CubeSize = n;
      }
    }
    lut.SetSize1D(CurveLength);
    DeclareCubeSize(lut, CubeSize);
    double r, g, b;
    while (Counter4 < CurveLength)
      if (ParseFloatTriple(TakeLine(), r, g, b))
        lut.Curve(Counter4++) = {r / 15.0, g / 15.0, b / 15.0};
    while (!Complete)
      if (ParseFloatTriple(TakeLine(), r, g, b)) StoreNodeBlueFastest(lut, {r, g, b});
  } catch (...) {
    Lines = nullptr;
    throw;
  }
  Lines = nullptr;
  lut.LutType = lt1DThen3D;
}
