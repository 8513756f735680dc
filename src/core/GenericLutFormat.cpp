#include "core/GenericLutFormat.h"

#include "core/StringLib.h"

void TLutParser::Parse(const TTextFile& text, TLUT& lut) {
  Lines = &text;
  std::size_t lineNumber = 0;
  try {
    ReadHeader(text);
    for (std::size_t i = 0; i < text.Count(); ++i) {
      const std::string_view line = Trim(text[i]);
      if (line.empty()) continue;
      lineNumber = i + 1;
      CurrentLine = lineNumber;
      ReadLine(line, lut);
    }
  } catch (EContentError& e) {
    Lines = nullptr;
    if (e.Line == 0) e.Line = lineNumber;
    throw;
  } catch (...) {
    Lines = nullptr;
    throw;
  }
  Lines = nullptr;
}

void TLutParser::NoteSkippedLine(std::string_view line) {
  if (SkippedLine != 0) return;
  std::string_view rest = line;
  const std::string_view first = CutToken(rest);
  bool keyword = !first.empty() && first.front() >= 'A' && first.front() <= 'Z';
  for (const char c : first)
    keyword = keyword && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
  if (keyword) return;
  std::string_view bad;
  bool anyNumber = false;
  rest = line;
  while (!rest.empty()) {
    const std::string_view token = CutToken(rest);
    if (token.empty()) continue;  // separators in a row
    double value = 0;
    if (TryParseFloat(token, value)) {
      anyNumber = true;
    } else if (bad.empty()) {
      bad = token;
    }
  }
  if (!anyNumber || bad.empty()) return;
  SkippedLine = CurrentLine;
  SkippedReason = "the line '" + std::string(line) + "' was skipped: '" + std::string(bad) +
                  "' is not a number.";
}

std::string_view TLutParser::CommentText(std::string_view line) { return Trim(line.substr(1)); }

void TGenericLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut,
                             const TReadOptions& options) const {
  TTextFile text;
  text.LoadFromFile(fileName);
  const std::unique_ptr<TLutParser> parser = NewParser(fileName, options);
  parser->Parse(text, lut);
  // The kind and size are stored before the completeness check, so an
  // incomplete file leaves them set when the error is raised.
  if (Is3D) {
    lut.LutType = lt3D;
    lut.SetSize3D(parser->LutSize);
  } else {
    lut.LutType = lt1D;
    lut.SetSize1D(parser->LutSize);
  }
  if (!parser->Complete && parser->SkippedLine != 0) {
    ELUTError error("Incomplete file: " + parser->SkippedReason);
    error.Line = parser->SkippedLine;
    throw error;
  }
  if (!parser->Complete) throw ELUTError("Incomplete file.");
  parser->Finish(lut);
  lut.CodeBits = parser->CodeBits();
  lut.InputCodeBits = parser->InputCodeBits();
}

int TLutParser::BitsOfMaxCode(double maxCode) {
  for (int bits = 1; bits <= 32; ++bits)
    if (maxCode == MaxCode(bits)) return bits;
  return 0;
}

void TLutParser::CheckValue(const TLutRGB& rgb) {
  if (!IsLutValue(rgb.R) || !IsLutValue(rgb.G) || !IsLutValue(rgb.B))
    throw ELUTError("A value beyond -1e6 to 1e6: no LUT means that.");
}

void TLutParser::DeclareCubeSize(TLUT& lut, int n) {
  CheckCubeSize(n);
  LutSize = n;
  lut.SetSize3D(n);
}

void TLutParser::DeclareCurveSize(TLUT& lut, int m) {
  CheckCurveSize(m);
  LutSize = m;
  lut.SetSize1D(m);
}

void TLutParser::StoreNodeRedFastest(TLUT& lut, const TLutRGB& rgb) {
  if (Complete || LutSize < 1) return;
  CheckValue(rgb);
  lut.Cube(IndexR, IndexG, IndexB) = rgb;
  if (++IndexR < LutSize) return;
  IndexR = 0;
  if (++IndexG < LutSize) return;
  IndexG = 0;
  if (++IndexB >= LutSize) Complete = true;
}

void TLutParser::StoreNodeBlueFastest(TLUT& lut, const TLutRGB& rgb) {
  if (Complete || LutSize < 1) return;
  CheckValue(rgb);
  lut.Cube(IndexR, IndexG, IndexB) = rgb;
  if (++IndexB < LutSize) return;
  IndexB = 0;
  if (++IndexG < LutSize) return;
  IndexG = 0;
  if (++IndexR >= LutSize) Complete = true;
}

void TLutParser::StoreCurveEntry(TLUT& lut, const TLutRGB& rgb) {
  if (Complete || LutSize < 1) return;
  CheckValue(rgb);
  lut.Curve(EntryIndex) = rgb;
  if (++EntryIndex >= LutSize) Complete = true;
}
