#include "formats/CubeInputRange.h"

#include <cmath>
#include <string>

#include "core/Errors.h"
#include "core/StringLib.h"

namespace {

[[noreturn]] void BadRange(std::size_t lineIndex, std::string_view line, const char* why) {
  ELUTError error("Invalid input range in line " + std::to_string(lineIndex + 1) + " (\"" +
                  std::string(line) + "\"): " + why);
  error.Line = lineIndex + 1;
  throw error;
}

// Exactly `count` finite numbers after the keyword.
void ReadNumbers(std::string_view rest, double* out, int count, std::size_t lineIndex,
                 std::string_view line) {
  rest = Trim(rest);
  for (int i = 0; i < count; ++i) {
    const std::string_view token = Trim(CutToken(rest));
    rest = Trim(rest);
    if (token.empty()) BadRange(lineIndex, line, "numbers are missing");
    if (!TryParseFloat(token, out[i])) BadRange(lineIndex, line, "not a finite number");
  }
  if (!rest.empty()) BadRange(lineIndex, line, "too many numbers");
}

struct TRangeLine {
  std::size_t Index;
  std::string_view Text;
};

void CheckOrder(const TLutDomain& range, const TRangeLine& where) {
  if (!(range.Min.R < range.Max.R && range.Min.G < range.Max.G && range.Min.B < range.Max.B))
    BadRange(where.Index, where.Text, "the minimum must be below the maximum");
  // A width that overflows would turn every input into 0 or NaN.
  if (!IsLutValue(range.Max.R - range.Min.R) || !IsLutValue(range.Max.G - range.Min.G) ||
      !IsLutValue(range.Max.B - range.Min.B))
    BadRange(where.Index, where.Text, "the range is wider than any LUT means");
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

TCubeKeywords ScanCubeKeywords(const TTextFile& lines) {
  TCubeKeywords k;
  std::optional<TRangeLine> domainLine;
  std::size_t i = 0;
  try {
    for (; i < lines.Count(); ++i) {
      const std::string_view line = Trim(lines[i]);
      // Every keyword starts with a letter; data lines (nearly all) do not.
      if (line.empty() || !IsAsciiLetter(line.front())) continue;
      auto keyword = [&](std::string_view word) {
        return StartsWithNoCase(line, word) &&
               (line.size() == word.size() || static_cast<unsigned char>(line[word.size()]) <= ' ');
      };
      const TRangeLine at{i, line};
      if (keyword("LUT_1D_SIZE")) {
        if (k.Size1D == -1) k.Size1D = StrToInt(line.substr(11));
      } else if (keyword("LUT_3D_SIZE")) {
        if (k.Size3D == -1) k.Size3D = StrToInt(line.substr(11));
      } else if (keyword("DOMAIN_MIN") || keyword("DOMAIN_MAX")) {
        double v[3];
        ReadNumbers(line.substr(10), v, 3, i, line);
        if (!k.Domain) k.Domain = TLutDomain{};
        (StartsWithNoCase(line, "DOMAIN_MIN") ? k.Domain->Min : k.Domain->Max) = {v[0], v[1], v[2]};
        domainLine = at;
      } else if (keyword("LUT_1D_INPUT_RANGE") || keyword("LUT_3D_INPUT_RANGE")) {
        double v[2];
        ReadNumbers(line.substr(18), v, 2, i, line);
        const TLutDomain range{{v[0], v[0], v[0]}, {v[1], v[1], v[1]}};
        CheckOrder(range, at);
        (StartsWithNoCase(line, "LUT_1D") ? k.Range1D : k.Range3D) = range;
      }
    }
  } catch (EContentError& e) {
    if (e.Line == 0) e.Line = i + 1;  // the scanned line, as the parser numbers lines
    throw;
  }
  if (k.Domain) CheckOrder(*k.Domain, *domainLine);
  return k;
}
