// The 1D integer-code formats: the exact text each writer produces, the
// header and data rules of each reader, and the files they must refuse.
#include "formats/OneDIntegerFormats.h"

#include "OneDFormatTestSupport.h"
#include "core/Errors.h"
#include "registry/FormatTable.h"

namespace {

TLustre1DLutFormat Lustre;
TCodex1DLutFormat Codex;
TQuantel1DLutFormat Quantel;
TFusion1DLutFormat Fusion;
TCinetal1DLutFormat Cinetal;
TShake1DLutFormat Shake;

using OneDIntegerFormats = TempDirTest;

// 0.5 lies on a tie at 10 bits (511.5 goes to the even 512); 2.0 and -0.1 lie
// outside the range, which only the Codex writer keeps.
const TLUT Sample = Curves({{0, 0, 0}, {0.5, 2.0, -0.1}, {1, 0.25, 1}});

TEST_F(OneDIntegerFormats, WritersProduceTheirExactText) {
  struct Case {
    TLUTFormat& Format;
    std::string Expected;
  };
  const Case cases[] = {
      {Lustre,
       "LUT10\n\n# Converted by Tovi LUT Converter\n\n0 0 0 0\n1 512 1023 0\n2 1023 256 1023\n"},
      {Codex,
       "# Converted by Tovi LUT Converter\n\nLUT: 3 3\n\n0\n512\n1023\n0\n2046\n256\n0\n-102\n1023\n"},
      {Quantel,
       "table type\t2\n\ngMax\t1023\ngSize\t3\n\ngamma\nr\tg\tb\n0 0 0\n512 1023 0\n1023 256 1023\n"},
      {Fusion, "F5LT\n\n10\n\n0 0 0 0 0 0\n1 512 1 1023 1 0\n2 1023 2 256 2 1023\n"},
      {Cinetal, "0 0 0\n512 1023 0\n1023 256 1023\n"},
      {Shake, "0 0 0\n512 1023 0\n1023 256 1023\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Format.Name);
    const fs::path file = Path("out.txt");
    c.Format.Write(file, Sample, {10});
    EXPECT_EQ(ReadText(file), c.Expected);
  }
}

TEST_F(OneDIntegerFormats, ProfilesWriteAtTheirDefaultDepth) {
  // Bits "Default" (-1) become the profile's depth: the Lustre header names it.
  const TLutRegistry& registry = LutRegistry();
  for (const TLutOutputProfile& p : registry.LutOutputProfiles()) {
    if (p.Name != "Autodesk Lustre 1D") continue;
    registry.SaveLut(Path("out.lut"), Curves({{0, 0, 0}, {1, 1, 1}}), p, -1);
    EXPECT_EQ(ReadText(Path("out.lut")).substr(0, 6), "LUT16\n");
    return;
  }
  FAIL() << "profile not registered";
}

TEST_F(OneDIntegerFormats, ReadersFollowTheirHeaderAndDataRules) {
  struct Case {
    const char* What;
    TLUTFormat& Format;
    std::string Content;
    int Size;
    std::vector<std::pair<int, TLutRGB>> Entries;
    std::vector<std::string> Comments;
  };
  const Case cases[] = {
      {"Lustre 12-bit, index column skipped, text before the header dropped", Lustre,
       "# made by hand\nsome title\nLUT12\n\n0 0 0 0\n1\t4095,2048, 0\n", 2,
       {{0, {0, 0, 0}}, {1, {1, 2048 / 4095.0, 0}}}, {}},
      {"Lustre lines that do not convert are skipped", Lustre,
       "LUT16\n0 0 0 0\n0 1.5 0 0\n1 65535 0 32768\n", 2, {{1, {1, 0, 32768 / 65535.0}}}, {}},
      {"Codex one channel feeds all three curves; comments before the header kept", Codex,
       "# title line\n#   second\nLUT: 1 4\n0\n1\n2\n3\n", 4,
       {{1, {1 / 3.0, 1 / 3.0, 1 / 3.0}}, {3, {1, 1, 1}}}, {"title line", "second"}},
      {"Codex three channels come red, then green, then blue", Codex,
       "lut: 3 2\n# after the header: not kept\n0\n1\n1\n0\n0\n1\n9\n", 2,
       {{0, {0, 1, 0}}, {1, {1, 0, 1}}}, {}},
      {"Codex codes beyond the range keep their distance", Codex, "LUT: 1 2\n-1\n2\n", 2,
       {{0, {-1, -1, -1}}, {1, {2, 2, 2}}}, {}},
      {"Codex output depth as a code count", Codex, "LUT: 1 2 256\n0\n255\n", 2,
       {{1, {1, 1, 1}}}, {}},
      {"Codex output depth in bits", Codex, "LUT: 1 2 16\n0\n65535\n", 2, {{1, {1, 1, 1}}}, {}},
      {"Codex floating-point output depth", Codex, "LUT: 1 2 16f\n0\n1.25\n", 2,
       {{1, {1.25, 1.25, 1.25}}}, {}},
      {"Lustre 10-bit", Lustre, "LUT10\n0 0 0 0\n1 1023 512 0\n", 2,
       {{1, {1, 512 / 1023.0, 0}}}, {}},
      {"Quantel keywords in any case and order; the maximum code scales", Quantel,
       "table type 2\ngsize 2\nGMAX\t255\ngamma\nr g b\n0 0 0\n255 51 0\n7 7 7\n", 2,
       {{1, {1, 0.2, 0}}}, {}},
      {"Fusion depth from the lone integer; index fields unread; commas", Fusion,
       "F5LT\n\n12\n\n0 0 0 0 0 0\nx,4095,y,2048,z, 0\n", 2, {{1, {1, 2048 / 4095.0, 0}}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TLUT lut;
    c.Format.Read(Write("in.txt", c.Content), lut, {});
    EXPECT_EQ(lut.LutType, lt1D);
    ASSERT_EQ(lut.Size1D(), c.Size);
    for (const auto& [i, rgb] : c.Entries) ExpectEntry(lut, i, rgb);
    EXPECT_EQ(lut.Comments, c.Comments);
  }
}

// Without a depth in the header, an Autodesk 1D name in the "<in>to<out>"
// convention gives the depths; the header's own depth wins.
TEST_F(OneDIntegerFormats, AutodeskNamesGiveTheDepths) {
  const struct {
    const char* Name;
    std::string Content;
    double Value;  // entry 1
    int CodeBits, InputCodeBits;
  } cases[] = {
      {"lin_12to16fp.lut", "LUT: 1 2\n0\n8410\n", 1242.0 / 131072, 0, 12},  // half 0x20DA
      {"lin_12to16fp.lut", "LUT: 1 2\n0\n15360\n", 1.0, 0, 12},               // half 1.0
      {"film_8to10.lut", "LUT: 1 2\n0\n1023\n", 1.0, 10, 8},
      {"FILM_8TO10_v2.lut", "LUT: 1 2\n0\n1023\n", 1.0, 10, 8},
      {"film_8to10.lut", "LUT: 1 2 12\n0\n1023\n", 1023 / 4095.0, 12, 8},  // the header wins
      {"tone.lut", "LUT: 1 2\n0\n1\n", 1.0, 1, 0},                          // length - 1
      {"photo_2to3.lut", "LUT: 1 2\n0\n1\n", 1.0, 1, 0},  // no standard depth: not a name of this kind
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name + c.Content);
    TLUT lut;
    Codex.Read(Write(c.Name, c.Content), lut, {});
    EXPECT_DOUBLE_EQ(lut.Curve(1).R, c.Value);
    EXPECT_EQ(lut.CodeBits, c.CodeBits);
    EXPECT_EQ(lut.InputCodeBits, c.InputCodeBits);
  }
  TLUT lut;
  Codex.Read(DataFile("1d/log_12to16fp.lut"), lut, {});
  ASSERT_EQ(lut.Size1D(), 4096);
  EXPECT_NEAR(lut.Curve(4095).R, 5.754, 0.001);  // not 65535-odd codes over 4095
}

TEST_F(OneDIntegerFormats, BadFilesAreRefusedWithAClearError) {
  const std::string garbage("\x89PNG\r\n\x1a\n\x01\xff\xfe\x00", 12);
  const BadFileCase cases[] = {
      {"Lustre header in lower case is never taken", Lustre, "lut16\n0 0 0 0\n1 1 1 1\n",
       typeid(ELUTError), "Incomplete file."},
      {"Lustre header of a depth it cannot read", Lustre, "LUT40\n0 0 0 0\n1 1023 1023 1023\n",
       typeid(ELUTError), "\"LUT40\""},
      {"Lustre header without data", Lustre, "LUT16\n", typeid(ELUTError), "Incomplete file."},
      {"Lustre data lines that all fail to convert", Lustre, "LUT16\nabc\n1 2 3\n",
       typeid(ELUTError), "Incomplete file."},
      {"Lustre table of one entry", Lustre, "LUT16\n0 0 0 0\n", typeid(ELUTSizeError),
       "at least 2"},
      {"Fusion binary garbage after the header", Fusion, "F5LT\n16\n" + garbage,
       typeid(ELUTError), "Incomplete file."},
      {"Fusion depth of zero", Fusion, "F5LT\n0\n0 0 0 0 0 0\n", typeid(ELUTError),
       "bit depth 0"},
      {"Fusion header without data", Fusion, "F5LT\n\n16\n\n", typeid(ELUTError),
       "Incomplete file."},
      {"Codex blue channel missing", Codex, "LUT: 3 2\n0\n1\n0\n1\n", typeid(ELUTError),
       "Incomplete file."},
      {"Codex length not an integer", Codex, "LUT: 3 abc\n0\n", typeid(EConvertError),
       "'abc' is not a valid integer value"},
      {"Codex header without fields", Codex, "LUT:\n0\n", typeid(EConvertError),
       "is not a valid integer value"},
      {"Codex length over the limit", Codex, "LUT: 3 100001\n0\n", typeid(ELUTSizeError),
       "100000"},
      {"Codex length of one would divide by zero", Codex, "LUT: 1 1\n0\n",
       typeid(ELUTSizeError), "at least 2"},
      {"Quantel size not an integer", Quantel, "gMax 1023\ngSize 1.5\n", typeid(EConvertError),
       "'1.5' is not a valid integer value"},
      {"Quantel size keyword with nothing after it", Quantel, "gMax 1023\ngSize\n",
       typeid(EConvertError), "is not a valid integer value"},
      {"Quantel size over the limit", Quantel, "gSize 200000\ngMax 1023\n0 0 0\n",
       typeid(ELUTSizeError), "100000"},
      {"Quantel maximum code of zero", Quantel, "gSize 2\ngMax 0\n0 0 0\n0 0 0\n",
       typeid(ELUTError), "gMax"},
      {"Quantel table one entry short", Quantel, "gMax 1023\ngSize 3\n0 0 0\n1 1 1\n",
       typeid(ELUTError), "Incomplete file."},
  };
  for (const BadFileCase& c : cases) ExpectReadFails(Write("bad.txt", c.Content), c);
}

TEST_F(OneDIntegerFormats, CountedTableLongerThanTheLimitIsRefused) {
  std::string text = "F5LT\n16\n";
  for (int i = 0; i <= MaxCurveSize; ++i) text += "0 0 0 0 0 0\n";
  ExpectReadFails(Write("long.alut", text), {"100001 entries", Fusion, "", typeid(ELUTSizeError),
                                             "100000 entries"});
}

TEST_F(OneDIntegerFormats, DetectionByKeywords) {
  const struct {
    const char* File;
    std::string Content;
    std::string Format;
  } cases[] = {
      {"a.lut", "lut16\n", "Autodesk Lustre 1D"},
      {"a.lut", "# LUT12\n", "Autodesk Lustre 1D"},
      {"a.lut", "LUT10\n0 0 0 0\n", "Autodesk Lustre 1D"},
      {"a.lut", "LUT8\n0 0 0 0\n", "Autodesk Lustre 1D"},
      {"a.lut", "# header\nLUT10\n0 0 0 0\n", ""},  // other depths only on the first line
      {"a.lut", "\n3DMESH\nMesh 0 8\n\nLUT8\ngamma 1.0\n", "Autodesk Lustre 3D"},
      // A Houdini .lut: its "LUT:" opens no header of numbers, so it is not
      // taken for Codex's curves.
      {"h.lut", "Version\t\t3\nFormat\t\tany\nType\t\tC\nFrom\t\t0.0 1.0\nTo\t\t0.0 1.0\n"
                "Black\t\t0\nWhite\t\t1\nLength\t\t2\nLUT:\nRGB {\n\t0 1\n}\n", "Houdini"},
      {"a.dat", "lut: 3 1024\n", "Codex 1D, Scratch 1D"},
      {"a.txt", "table type 2\ngmax 1023\ngsize 2\n", "Quantel 1D"},
      {"a.txt", "gMax 1023\ngSize 2\n", ""},
      {"a.alut", "f5lt\n", "Fusion 1D"},
      {"a.txt", "0 0 0\n1023 1023 1023\n", ""},  // what Cine-tal and Shake write
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Content);
    EXPECT_EQ(DetectedName(Write(c.File, c.Content)), c.Format);
  }
}

}  // namespace
