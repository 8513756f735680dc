// Parsing with std::from_chars and printing with std::to_chars: locale-free
// and allocation-free on the hot paths of the readers and writers.
#include "core/StringLib.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "core/Errors.h"

namespace {

inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
inline bool IsSeparator(char c) { return c == '\t' || c == ' ' || c == ','; }
inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// from_chars takes no leading "+"; the documented number syntax does.
std::string_view StripPlus(std::string_view t) {
  if (t.size() > 1 && t[0] == '+' && t[1] != '-' && t[1] != '+') t.remove_prefix(1);
  return t;
}

}  // namespace

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string UpperCase(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Upper(c);
  return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Upper(s[i]) != Upper(prefix[i])) return false;
  return true;
}

std::string_view CutToken(std::string_view& text) {
  std::size_t i = 0;
  while (i < text.size() && !IsSeparator(text[i])) ++i;
  const std::string_view token = text.substr(0, i);
  text.remove_prefix(i < text.size() ? i + 1 : i);
  return token;
}

std::string_view CutBefore(std::string_view separator, std::string_view& text) {
  const std::size_t i = text.find(separator);
  if (i == std::string_view::npos) {
    const std::string_view token = text;
    text = {};
    return token;
  }
  const std::string_view token = text.substr(0, i);
  text.remove_prefix(i + separator.size());
  return token;
}

std::size_t FindNoCase(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
    std::size_t k = 0;
    while (k < needle.size() && Upper(haystack[i + k]) == Upper(needle[k])) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

std::string_view KeywordValue(std::string_view line, std::string_view keyword, std::size_t skip) {
  const std::size_t pos = FindNoCase(line, keyword);
  if (pos == std::string_view::npos) return {};
  const std::size_t start = pos + keyword.size() + skip;
  return start > line.size() ? std::string_view{} : Trim(line.substr(start));
}

bool TryParseFloat(std::string_view token, double& value) {
  token = StripPlus(token);
  if (token.empty()) return false;
  double v = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
  if (ec != std::errc() || end != token.data() + token.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool TryParseInt64(std::string_view token, std::int64_t& value) {
  token = StripPlus(token);
  if (token.empty()) return false;
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), v);
  if (ec != std::errc() || end != token.data() + token.size()) return false;
  value = v;
  return true;
}

namespace {

// The shared walk of both triple parsers; `number` converts one token.
template <typename Convert>
bool ParseTriple(std::string_view line, bool skipFirst, Convert number, double& a, double& b,
                 double& c) {
  std::string_view s = Trim(line);
  if (skipFirst) {
    CutToken(s);
    s = Trim(s);
  }
  std::string_view t = Trim(CutToken(s));
  if (t.empty() || !number(t, a)) return false;
  s = Trim(s);
  t = Trim(CutToken(s));
  if (t.empty() || !number(t, b)) return false;
  s = Trim(s);
  return !s.empty() && number(s, c);
}

}  // namespace

namespace {

// One finite number at p, from_chars style, with the optional "+" that the
// number syntax allows; the end of what was read, or nullptr.
const char* ReadFinite(const char* p, const char* end, double& value) {
  if (end - p > 1 && p[0] == '+' && p[1] != '-' && p[1] != '+') ++p;
  const auto [stop, ec] = std::from_chars(p, end, value);
  if (ec != std::errc() || stop == p || !std::isfinite(value)) return nullptr;
  return stop;
}

// The common shape of a data line, "a b c" with one tab, space or comma
// after each of the first two numbers, read in one pass. Where it answers
// true the token walk gives the same three numbers; anything else is left
// to that walk.
bool ParseFloatTripleFast(std::string_view line, double& a, double& b, double& c) {
  const char* p = line.data();
  const char* end = p + line.size();
  while (p < end && IsBlank(*p)) ++p;
  while (end > p && IsBlank(end[-1])) --end;
  double* out[3] = {&a, &b, &c};
  for (int k = 0; k < 3; ++k) {
    p = ReadFinite(p, end, *out[k]);
    if (!p) return false;
    if (k == 2) return p == end;
    if (p == end || !IsSeparator(*p)) return false;
    ++p;
    while (p < end && IsBlank(*p)) ++p;
  }
  return false;
}

}  // namespace

bool ParseFloatTriple(std::string_view line, double& a, double& b, double& c) {
  double x, y, z;
  if (ParseFloatTripleFast(line, x, y, z)) {
    a = x;
    b = y;
    c = z;
    return true;
  }
  return ParseTriple(line, false, TryParseFloat, a, b, c);
}

bool ParseIntTriple(std::string_view line, double maxCode, bool skipFirst, double& a, double& b,
                    double& c) {
  auto code = [maxCode](std::string_view t, double& v) {
    std::int64_t n = 0;
    if (!TryParseInt64(t, n)) return false;
    v = static_cast<double>(n) / maxCode;
    return true;
  };
  return ParseTriple(line, skipFirst, code, a, b, c);
}

int StrToInt(std::string_view s) {
  std::int64_t v = 0;
  const std::string_view t = Trim(s);
  if (!TryParseInt64(t, v) || v < INT32_MIN || v > INT32_MAX)
    throw EConvertError("'" + std::string(t) + "' is not a valid integer value");
  return static_cast<int>(v);
}

double StrToFloatTolerant(std::string_view s) {
  std::string t(Trim(s));
  if (t.empty()) return 0.0;
  if (const auto comma = t.find(','); comma != std::string::npos) t[comma] = '.';
  double v = 0;
  if (!TryParseFloat(t, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

double MaxCode(int bits) { return std::exp2(bits) - 1.0; }

std::int64_t CodeValue(int bits, double value) {
  if (!(value >= 0.0)) value = 0.0;
  if (value >= 1.0) value = 1.0;
  return static_cast<std::int64_t>(std::nearbyint(MaxCode(bits) * value));
}

void AppendCodeValue(std::string& out, int bits, double value) {
  char buf[24];
  const auto res = std::to_chars(buf, buf + sizeof buf, CodeValue(bits, value));
  out.append(buf, res.ptr);
}

std::string FormatCodeValue(int bits, double value) {
  std::string out;
  AppendCodeValue(out, bits, value);
  return out;
}

namespace {

// When the value is far from a halfway point at the asked decimals, rounding
// its exact binary value gives the same text as rounding its 15 significant
// digits, and std::to_chars does that directly.
bool TryAppendFixedFast(std::string& out, int decimals, double value) {
  static constexpr double scale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  if (decimals < 0 || decimals > 9) return false;
  const double t = std::fabs(value) * scale[decimals];
  if (!(t < 1e8)) return false;  // also refuses NaN
  // Away from a tie, t is within 1e-8 of the exact scaled value, so rounding
  // it gives the digits that exact decimal rounding gives; ties are left to
  // the slow path.
  const double whole = std::floor(t);
  if (std::fabs(t - whole - 0.5) < 1e-6) return false;
  const auto n = static_cast<std::uint64_t>(whole) + (t - whole > 0.5 ? 1 : 0);
  char buf[32];
  char* end = buf + sizeof buf;
  char* p = end;
  std::uint64_t rest = n;
  for (int i = 0; i < decimals; ++i) {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  if (decimals > 0) *--p = '.';
  do {
    *--p = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  if (value < 0 && n != 0) *--p = '-';  // a result of zero carries no sign
  out.append(p, static_cast<std::size_t>(end - p));
  return true;
}

}  // namespace

void AppendFixed(std::string& out, int decimals, double value) {
  if (TryAppendFixedFast(out, decimals, value)) return;
  if (std::isnan(value)) {
    out += "NAN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return;
  }
  // 15 significant digits "d.dddddddddddddde±XX": digits[0..14], exponent.
  char sci[40];
  const auto res =
      std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, 14);
  char digits[17];
  int count = 0;
  const char* p = sci;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p != '.') digits[count++] = *p;
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
  if (value == 0.0) exponent = 0;

  // Integer digits = exponent + 1; keep that many plus the decimals.
  int intDigits = exponent + 1;
  const int keep = intDigits + decimals;
  char kept[400];
  int keptCount = 0;
  if (keep >= 0) {
    for (int i = 0; i < keep; ++i) kept[keptCount++] = i < count ? digits[i] : '0';
    if (keep < count && digits[keep] >= '5') {  // halves away from zero
      int i = keptCount - 1;
      while (i >= 0 && kept[i] == '9') kept[i--] = '0';
      if (i >= 0) {
        ++kept[i];
      } else {
        std::memmove(kept + 1, kept, static_cast<std::size_t>(keptCount));
        kept[0] = '1';
        ++keptCount;
        ++intDigits;
      }
    }
  }
  // keptCount digits stand for the value scaled by 10^decimals.
  bool zero = true;
  for (int i = 0; i < keptCount; ++i) zero = zero && kept[i] == '0';
  if (value < 0 && !zero) out += '-';
  const int whole = keptCount - decimals;  // digits before the point
  if (whole <= 0) {
    out += '0';
  } else {
    out.append(kept, static_cast<std::size_t>(whole));
  }
  if (decimals > 0) {
    out += '.';
    for (int i = keptCount - decimals; i < keptCount; ++i) out += i >= 0 ? kept[i] : '0';
  }
}

std::string FormatShortest(double value) {
  if (value == 0) return "0";  // never "-0"
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  std::string text(buffer, end);
  // A bound read as a 32-bit float (-0.1 widened is -0.10000000149011612)
  // is shown as the float it was, when that is the shorter text.
  const float single = static_cast<float>(value);
  if (static_cast<double>(single) == value) {
    const auto singleEnd = std::to_chars(buffer, buffer + sizeof buffer, single).ptr;
    if (singleEnd - buffer < static_cast<std::ptrdiff_t>(text.size()))
      text.assign(buffer, singleEnd);
  }
  return text;
}

std::string FormatFixed(int decimals, double value) {
  std::string out;
  AppendFixed(out, decimals, value);
  return out;
}
