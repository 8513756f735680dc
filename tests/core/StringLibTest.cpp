#include "core/StringLib.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/Errors.h"

TEST(ParseFloatTriple, SeparatorsAndFailures) {
  struct Case {
    const char* line;
    bool ok;
  } cases[] = {
      {"0.1 0.2 0.3", true},     {"0.1\t0.2\t0.3", true},   {"0.1,0.2,0.3", true},
      {"0.1, 0.2, 0.3", true},   {"  0.1 0.2 0.3  ", true},
      {"0.1 0.2 0.3 0.4", false}, {"0,1 0,2 0,3", false},   {"0.1 0.2", false},
      {"nan 0.2 0.3", false},    {"0.1 inf 0.3", false},    {"0.1 0.2 1e999", false},
      {"TITLE \"x\"", false},    {"", false},
  };
  for (const Case& c : cases) {
    double a = 0, b = 0, d = 0;
    EXPECT_EQ(ParseFloatTriple(c.line, a, b, d), c.ok) << c.line;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(a, 0.1) << c.line;
      EXPECT_DOUBLE_EQ(b, 0.2) << c.line;
      EXPECT_DOUBLE_EQ(d, 0.3) << c.line;
    }
  }
  double a, b, c;
  ASSERT_TRUE(ParseFloatTriple("+0.5 -1e-1 .25", a, b, c));  // sign and exponent
  EXPECT_EQ(a, 0.5);
  EXPECT_EQ(b, -0.1);
  EXPECT_EQ(c, 0.25);
}

TEST(ParseIntTriple, IndexColumnAndIntegersOnly) {
  double a, b, c;
  ASSERT_TRUE(ParseIntTriple("12 1023 0 512", 1023, true, a, b, c));
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, 0.0);
  EXPECT_DOUBLE_EQ(c, 512.0 / 1023.0);
  EXPECT_FALSE(ParseIntTriple("1 2.5 3", 1023, false, a, b, c));
  EXPECT_FALSE(ParseIntTriple("1 2 3e1", 1023, false, a, b, c));
  EXPECT_TRUE(ParseIntTriple("4095,0,-1", 4095, false, a, b, c));
  EXPECT_EQ(c, -1.0 / 4095.0);
}

TEST(FormatCodeValue, ClampsAndRoundsHalfToEven) {
  EXPECT_EQ(FormatCodeValue(10, 0.5), "512");  // 511.5 to even
  EXPECT_EQ(FormatCodeValue(10, -0.1), "0");
  EXPECT_EQ(FormatCodeValue(10, 1.7), "1023");
  EXPECT_EQ(FormatCodeValue(8, 0.5), "128");  // 127.5 to even
  EXPECT_EQ(FormatCodeValue(16, 1.0), "65535");
  EXPECT_EQ(FormatCodeValue(12, std::nan("")), "0");
}

TEST(FormatFixed, FifteenDigitsThenHalvesAwayFromZero) {
  struct Case {
    int decimals;
    double value;
    const char* text;
  } cases[] = {
      {6, 0.5, "0.500000"},       {6, 1, "1.000000"},          {6, 0.0078125, "0.007813"},
      {6, -0.0078125, "-0.007813"}, {6, -0.0000001, "0.000000"}, {6, -0.0, "0.000000"},
      {6, 0.0000005, "0.000001"}, {6, 0.9999996, "1.000000"},  {6, 123.456789012, "123.456789"},
      {6, -2.5, "-2.500000"},     {0, 2.5, "3"},               {10, 1.0 / 3, "0.3333333333"},
      {6, 1e-300, "0.000000"},    {6, 1234567.0, "1234567.000000"},
      {6, 0.1 + 0.2, "0.300000"}, {6, 0.1234565, "0.123457"}, {2, 2.675, "2.68"},
      {6, -0.1234565, "-0.123457"}, {6, 0.12345649, "0.123456"}, {6, 1e20, "100000000000000000000.000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFixed(c.decimals, c.value), c.text) << c.value;
}

// Domain bounds: zero without a sign, and a bound read as a 32-bit float
// printed as that float (which reads back as it); doubles keep every digit.
TEST(FormatShortest, ZeroWithoutSignAndFloatsAsTheyWere) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {-0.0, "0"},         {0.0, "0"},           {static_cast<double>(-0.1f), "-0.1"},
      {-0.1, "-0.1"},      {0.0625, "0.0625"},   {static_cast<double>(1.7f), "1.7"},
      {1.0 / 3, "0.3333333333333333"}, {-1e6, "-1e+06"}, {0.1 + 0.2, "0.30000000000000004"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatShortest(c.value), c.text) << c.value;
  float back = 0;
  const std::string text = FormatShortest(static_cast<double>(0.3f));
  std::from_chars(text.data(), text.data() + text.size(), back);
  EXPECT_EQ(back, 0.3f);
}

// Away from ties, fixed printing is exact decimal rounding of the double, as
// the standard library prints it (a zero result without its sign): checked
// on random values of the sizes LUTs hold, at every precision.
TEST(FormatFixed, AgreesWithExactRoundingAwayFromTies) {
  std::uint64_t state = 1;
  const auto next = [&] {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<double>(state >> 11) / 9007199254740992.0;  // 0 <= x < 1
  };
  for (int i = 0; i < 200000; ++i) {
    const int decimals = i % 10;
    double value = (next() * 4 - 2) * (i % 3 == 0 ? 1000 : 1);
    if (i % 5 == 0) value = std::round(value * 4095) / 4095;
    if (std::fabs(value) * std::pow(10.0, decimals) >= 1e8) continue;
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr;
    std::string exact(buf, end);
    if (exact.find_first_not_of("-0.") == std::string::npos && exact[0] == '-') exact.erase(0, 1);
    const double scaled = std::fabs(value) * std::pow(10.0, decimals);
    if (std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-6) continue;  // ties: the case above
    ASSERT_EQ(FormatFixed(decimals, value), exact) << value << " at " << decimals;
  }
}

TEST(Tokens, CutTokenCutBeforeAndKeywords) {
  std::string_view text = "a,b c";
  EXPECT_EQ(CutToken(text), "a");
  EXPECT_EQ(text, "b c");
  text = "abc";
  EXPECT_EQ(CutToken(text), "abc");
  EXPECT_TRUE(text.empty());
  text = "key = value = x";
  EXPECT_EQ(CutBefore(" = ", text), "key");
  EXPECT_EQ(text, "value = x");
  EXPECT_EQ(FindNoCase("LUT_3D_SIZE 3", "size"), 7u);
  EXPECT_EQ(FindNoCase("abc", "x"), std::string_view::npos);
  EXPECT_EQ(KeywordValue("lut_3d_size  17 ", "LUT_3D_SIZE"), "17");
  EXPECT_EQ(KeywordValue("gSize:1024", "gSize", 1), "1024");  // one separator passed over
  EXPECT_EQ(KeywordValue("gSize", "gSize", 1), "");
  EXPECT_EQ(KeywordValue("no keyword", "gSize"), "");
}

TEST(Numbers, StrToIntAndTolerantFloat) {
  EXPECT_EQ(StrToInt(" 17 "), 17);
  EXPECT_EQ(StrToInt("-3"), -3);
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
  EXPECT_THROW(StrToInt("17.5"), EConvertError);
  EXPECT_THROW(StrToInt("99999999999"), EConvertError);
  EXPECT_EQ(StrToFloatTolerant(""), 0.0);
  EXPECT_EQ(StrToFloatTolerant("1,5"), 1.5);
  EXPECT_EQ(StrToFloatTolerant(" 1.5 "), 1.5);
  EXPECT_THROW(StrToFloatTolerant("1.5x"), EConvertError);
}
