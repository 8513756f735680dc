// The 1D floating-point formats and the DaVinci code tables: the exact text
// each writer produces, the reading rules, the loose triple parser, and the
// files that must be refused.
#include "formats/OneDFloatFormats.h"

#include "OneDFormatTestSupport.h"
#include "core/Errors.h"

namespace {

TFilmlight1DLutFormat Filmlight;
TNucoda1DLutWriterFormat Nucoda;
TColorFrontOSD1DLutFormat ColorFront;
TBlackmagic1DLutFormat Blackmagic;
TDavinciILut1DLutFormat ILut;
TDavinciOLut1DLutFormat OLut;

using OneDFloatFormats = TempDirTest;

// 0.0078125 is a tie at six decimals (halves away from zero); -0.25 shows
// that these writers do not clamp.
const TLUT Sample = Curves({{0, 0, 0}, {0.5, 0.0078125, -0.25}, {1, 1, 1}});
const std::string SampleLines =
    "0.000000 0.000000 0.000000\n0.500000 0.007813 -0.250000\n1.000000 1.000000 1.000000\n";

TEST_F(OneDFloatFormats, WritersProduceTheirExactText) {
  struct Case {
    TLUTFormat& Format;
    const char* File;
    std::string Expected;
  };
  const Case cases[] = {
      {Filmlight, "out.cube",
       "# Truelight Cube v2.0\n# lutLength 3\n# iDims     3\n\n# InputLUT\n" + SampleLines +
           "# end\n# Converted by Tovi LUT Converter\n"},
      {Nucoda, "My Grade.v2.cms",
       "NUCODA_3D_CUBE 2\n\nTITLE \"My Grade.v2\"\n\nLUT_1D_SIZE 3\n\n" + SampleLines},
      {ColorFront, "out.1dlut", SampleLines},
      {Blackmagic, "out.txt",
       "R\tG\tB - HDLINK GAMMA TABLE\n0.00 0.00 0.00\n500.00 7.81 -250.00\n"
       "1000.00 1000.00 1000.00\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Format.Name);
    c.Format.Write(Path(c.File), Sample, {0});
    EXPECT_EQ(ReadText(Path(c.File)), c.Expected);
  }
  // The DaVinci tables are read only.
  EXPECT_FALSE(ILut.Can(fcWrite) || OLut.Can(fcWrite));
}

TEST_F(OneDFloatFormats, ReadersFollowTheirRules) {
  struct Case {
    const char* What;
    TLUTFormat& Format;
    std::string Content;
    int Size;
    std::vector<std::pair<int, TLutRGB>> Entries;
  };
  const Case cases[] = {
      {"Filmlight length from the comment line; lines past it ignored", Filmlight,
       "# Truelight Cube v2.0\n# lutLength 2\n# iDims 3\n# InputLUT\n0 0 0\n1, 0.5, -0.25\n"
       "0.3 0.3 0.3\n# end\n",
       2, {{1, {1, 0.5, -0.25}}}},
      {"Filmlight length keyword in any case, outside a comment", Filmlight,
       "iDims 3\nLUTLENGTH\t2\n0 0 0\n1 1 1\n", 2, {{1, {1, 1, 1}}}},
      {"Colorfront counts its entries and skips what does not convert", ColorFront,
       "# c\n0 0 0\n\nfoo\n0.5\t0.25\t1\n", 2, {{1, {0.5, 0.25, 1}}}},
      {"Blackmagic divides by 1000, skips the title, keeps negative values", Blackmagic,
       "R\tG\tB - HDLINK GAMMA TABLE\n0 0 0\n1000 500 0\n-250.5 0 1000\n", 3,
       {{1, {1, 0.5, 0}}, {2, {-0.2505, 0, 1}}}},
      {"ilut codes are 14-bit", ILut, "0 0 0\n8192 8192 8192\n16383 16383 16383\n", 3,
       {{1, {8192 / 16383.0, 8192 / 16383.0, 8192 / 16383.0}}, {2, {1, 1, 1}}}},
      {"olut codes are 12-bit; a fourth field is ignored", OLut,
       "# c\n0 0 0\n4095 2048 0 extra\n", 2, {{1, {1, 2048 / 4095.0, 0}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TLUT lut;
    c.Format.Read(Write("in.txt", c.Content), lut, {});
    EXPECT_EQ(lut.LutType, lt1D);
    ASSERT_EQ(lut.Size1D(), c.Size);
    for (const auto& [i, rgb] : c.Entries) ExpectEntry(lut, i, rgb);
    EXPECT_TRUE(lut.Comments.empty());
  }
}

TEST(ParseIntTripleLoose, TakesThreeIntegersAndIgnoresTheRest) {
  const struct {
    const char* Line;
    bool Ok;
  } cases[] = {
      {"4095 2048 0", true},          {"4095,2048,0", true},
      {"  4095\t2048, 0  x y", true}, {"4095 2048 0 1.5", true},
      {"4095 2048", false},           {"4095 2048 x", false},
      {"4095 2048 1.5", false},       {"4095,,2048 0", false},
      {"", false},
  };
  for (const auto& c : cases) {
    double r = -1, g = -1, b = -1;
    EXPECT_EQ(ParseIntTripleLoose(c.Line, 4095, r, g, b), c.Ok) << c.Line;
    if (c.Ok) {
      EXPECT_EQ(r, 1.0) << c.Line;
      EXPECT_EQ(g, 2048 / 4095.0) << c.Line;
      EXPECT_EQ(b, 0.0) << c.Line;
    }
  }
}

TEST_F(OneDFloatFormats, BadFilesAreRefusedWithAClearError) {
  const std::string garbage("\x89PNG\r\n\x1a\n\x01\xff\xfe\x00", 12);
  const BadFileCase cases[] = {
      {"Filmlight without a length", Filmlight, "# iDims 3\n0 0 0\n1 1 1\n", typeid(ELUTError),
       "Incomplete file."},
      {"Filmlight length not an integer", Filmlight, "# lutLength abc\n0 0 0\n",
       typeid(EConvertError), "'abc' is not a valid integer value"},
      {"Filmlight length over the limit", Filmlight, "# lutLength 100001\n0 0 0\n",
       typeid(ELUTSizeError), "100000"},
      {"Filmlight table one entry short", Filmlight, "# lutLength 3\n0 0 0\n1 1 1\n",
       typeid(ELUTError), "Incomplete file."},
      {"Colorfront with comments only", ColorFront, "# nothing\n", typeid(ELUTError),
       "Incomplete file."},
      {"Colorfront extension on binary garbage", ColorFront, garbage, typeid(ELUTError),
       "Incomplete file."},
      {"Blackmagic title without data", Blackmagic, "R\tG\tB - HDLINK GAMMA TABLE\n",
       typeid(ELUTError), "Incomplete file."},
      {"olut table of one entry", OLut, "0 0 0\n", typeid(ELUTSizeError), "at least 2"},
      {"ilut lines that all fail to convert", ILut, "0.5 0.5 0.5\n1 1\n", typeid(ELUTError),
       "Incomplete file."},
  };
  for (const BadFileCase& c : cases) ExpectReadFails(Write("bad.txt", c.Content), c);
}

TEST_F(OneDFloatFormats, CountedTableLongerThanTheLimitIsRefused) {
  std::string text;
  for (int i = 0; i <= MaxCurveSize; ++i) text += "0 0 0\n";
  ExpectReadFails(Write("long.olut", text),
                  {"100001 entries", OLut, "", typeid(ELUTSizeError), "100000 entries"});
}

TEST_F(OneDFloatFormats, DetectionByKeywordsAndExtensions) {
  const struct {
    const char* File;
    std::string Content;
    std::string Format;
  } cases[] = {
      {"a.cube", "# lutlength 2\n# IDIMS 3\n", "Filmlight Truelight 1D"},
      {"a.cube", "# lutLength 2\n0 0 0\n", ""},
      {"a.1dlut", "0 0 0\n", "Colorfront OSD 1D"},
      {"a.1DLut", "", "Colorfront OSD 1D"},
      {"a.1dlut.txt", "0 0 0\n", ""},
      {"a.txt", "R G B - hdlink gamma table\n", "Blackmagic HDLink 1D"},
      {"a.ILUT", "0 0 0\n16383 16383 16383\n", "DaVinci Resolve ilut 1D"},
      {"a.ilut", "<IRIDAScript>\n0 0 0\n", ""},
      {"a.olut", "<iridascript>\n", "DaVinci Resolve olut 1D"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.File) + ": " + c.Content);
    EXPECT_EQ(DetectedName(Write(c.File, c.Content)), c.Format);
  }
}

}  // namespace
