// Token, number and text routines shared by every text format, so that all
// readers are tolerant in the same way and all writers print numbers alike.
// Numbers are always read and written with "." whatever the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Without leading and trailing blanks (spaces and control characters).
std::string_view Trim(std::string_view s);
std::string UpperCase(std::string_view s);  // ASCII only
bool StartsWithNoCase(std::string_view s, std::string_view prefix);

// Cut the text before the first tab, space or comma; the text loses the token
// and that one separator. Without a separator the token is the whole text.
std::string_view CutToken(std::string_view& text);
// Cut the text before the first occurrence of the separator (whole text if absent).
std::string_view CutBefore(std::string_view separator, std::string_view& text);
// Position of needle in haystack, ignoring ASCII case; npos if absent.
std::size_t FindNoCase(std::string_view haystack, std::string_view needle);
inline bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
  return FindNoCase(haystack, needle) != std::string_view::npos;
}
// The value after a keyword found anywhere in the line (ignoring case):
// the text from `skip` characters past the keyword's end, trimmed; empty when
// the keyword is absent or the line ends first. skip 1 passes over the one
// separator that some formats put after the keyword, whatever it is.
std::string_view KeywordValue(std::string_view line, std::string_view keyword,
                              std::size_t skip = 0);

// A finite decimal number: optional sign, optional exponent, "." only.
bool TryParseFloat(std::string_view token, double& value);
// A decimal integer: optional sign, digits only.
bool TryParseInt64(std::string_view token, std::int64_t& value);

// Three numbers separated by tabs, spaces, commas or a comma and spaces; the
// third is the whole remainder, so a fourth field fails. Never throws.
bool ParseFloatTriple(std::string_view line, double& a, double& b, double& c);
// Three integer codes divided by maxCode; with skipFirst a leading index
// column is dropped first. Never throws.
bool ParseIntTriple(std::string_view line, double maxCode, bool skipFirst, double& a, double& b,
                    double& c);

// A header integer; raises EConvertError "'abc' is not a valid integer value".
int StrToInt(std::string_view s);
// Accepts "." or "," as the decimal separator; an empty text is 0. Raises
// EConvertError for anything else that is not a finite number.
double StrToFloatTolerant(std::string_view s);

// The largest code at a bit depth: 2^bits - 1.
double MaxCode(int bits);

// The integer code of a normalised value at a bit depth: clamped to 0..1,
// times 2^bits - 1, rounded half to even. The one rule of every integer writer.
std::int64_t CodeValue(int bits, double value);
std::string FormatCodeValue(int bits, double value);
void AppendCodeValue(std::string& out, int bits, double value);

// Fixed-point text from the value's 15 significant digits, rounded to the
// given decimals with halves away from zero; a result of zero has no sign.
std::string FormatFixed(int decimals, double value);
void AppendFixed(std::string& out, int decimals, double value);
// The shortest text that reads back as exactly the value ("-1", "0.0625"), for
// numbers a reader must get back bit for bit, such as a domain's bounds; zero
// is "0" whatever its sign, and a value that is exactly a 32-bit float is
// written as that float's shortest text ("-0.1"), which reads back as the
// same float.
std::string FormatShortest(double value);
