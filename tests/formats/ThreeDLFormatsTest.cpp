#include "formats/ThreeDLFormats.h"

#include <algorithm>
#include <functional>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

namespace {

// Node lines blue fastest; node (r, g, b) holds the codes (r, g, b) * step,
// capped at maxCode, so codes rise gradually along blue as in real files.
std::string Nodes(int n, int step, int maxCode, int count = -1) {
  std::string text;
  int written = 0;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        if (written++ == count) return text;
        for (int v : {r, g, b}) text += std::to_string(std::min(v * step, maxCode)) + " ";
        text.back() = '\n';
      }
  return text;
}

std::string Shaper(int n, int maxCode = 1023) {
  std::string line;
  for (int i = 0; i < n; ++i) line += std::to_string(i * maxCode / (n - 1)) + (i + 1 < n ? " " : "\n");
  return line;
}

// The message of what fn raises, or "no exception".
std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no exception";
}

using ThreeDLTest = TempDirTest;

// --- 3DL reading ------------------------------------------------------------

struct DepthCase {
  const char* Name;
  std::string Text;
  int InputBits;       // the read option
  double White;        // node (last, last, last) blue
  int CodeBits;        // the table's depth read
  int InputCodeBits;   // the shaper's
};

// Input and output depths are worked out apart: a depth the file states
// wins, else the smallest standard depth whose full scale with 20 % headroom
// holds the largest code; the user's setting replaces the table's.
TEST_F(ThreeDLTest, DepthsOfShaperAndTableAreWorkedOutApart) {
  auto file = [](const char* name) { return ReadText(DataFile(std::string("3dl/") + name)); };
  const std::string dark = Shaper(5) + Nodes(5, 205, 819);  // 12-bit codes up to 819
  const DepthCase cases[] = {
      {"16-bit shaper over 12-bit nodes", file("shaper16_nodes12.3dl"), -1, 1.0, 12, 16},
      {"10-bit shaper over 12-bit nodes", file("shaper10_nodes12.3dl"), -1, 1.0, 12, 10},
      {"depths stated by comments", file("stated_10_10.3dl"), -1, 1.0, 10, 10},
      {"dark 12-bit table reads as 10-bit", file("dark_12bit.3dl"), -1, 819 / 1023.0, 10, 10},
      {"dark table with its depth stated", "# Output bit depth: 12\n" + dark, -1, 819 / 4095.0, 12, 10},
      {"dark table under a Mesh line", "Mesh 2 12\n" + dark, -1, 819 / 4095.0, 12, 10},
      {"input depth stated", "# INPUT BIT DEPTH 12\n" + dark, -1, 819 / 1023.0, 10, 12},
      {"nonsense stated depth ignored", "# Output bit depth 99\n" + dark, -1, 819 / 1023.0, 10, 10},
      {"the user's depth beats the stated", "# Output bit depth 12\n" + dark, 16, 819 / 65535.0, 16, 10},
      {"8-bit nodes", Shaper(2) + Nodes(2, 255, 255), -1, 1.0, 8, 10},
      {"20 % over 10-bit full scale", Shaper(2) + Nodes(2, 1227, 1227), -1, 1227 / 1023.0, 10, 10},
      {"just beyond it", Shaper(2) + Nodes(2, 1228, 1228), -1, 1228 / 4095.0, 12, 10},
      {"14-bit nodes", Shaper(2) + Nodes(2, 16383, 16383), -1, 1.0, 14, 10},
      {"16-bit nodes", Shaper(17) + Nodes(17, 4096, 65535), -1, 1.0, 16, 10},
      {"codes beyond 16 bits", Shaper(2) + Nodes(2, 80000, 80000), -1, 80000 / 131071.0, 17, 10},
      {"12-bit codes read as 10-bit", Shaper(17) + Nodes(17, 256, 4095), 10, 4095 / 1023.0, 10, 10},
  };
  for (const DepthCase& c : cases) {
    SCOPED_TRACE(c.Name);
    T3dlLutFormat format;
    TLUT lut;
    format.Read(Write("depth.3dl", c.Text), lut, TReadOptions{.InputBits = c.InputBits, .CdlId = ""});
    const int last = lut.Size3D() - 1;
    EXPECT_DOUBLE_EQ(lut.Cube(last, last, last).B, c.White);  // never clamped
    EXPECT_EQ(lut.CodeBits, c.CodeBits);
    EXPECT_EQ(lut.InputCodeBits, c.InputCodeBits);
  }
}

TEST_F(ThreeDLTest, CommentsShaperAndNodeOrder) {
  const std::string text =
      "#   graded  \n"
      "#\n"
      "\n"
      "0 1023\n"
      "1 2 3\n4 5 6\n7 8 9\n10 11 12\n13 14 15\n16 17 18\n19 20 21\n1023,1023\t1023\n"
      "5 5 5\n";  // beyond the cube: ignored
  T3dlLutFormat format;
  TLUT lut;
  format.Read(Write("order.3dl", text), lut, TReadOptions{.InputBits = 10, .CdlId = ""});
  EXPECT_EQ(lut.Comments, (std::vector<std::string>{"graded", ""}));
  EXPECT_EQ(lut.LutType, lt3D);
  ASSERT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Cube(0, 0, 1), (TLutRGB{4 / 1023.0, 5 / 1023.0, 6 / 1023.0}));  // blue fastest
  EXPECT_EQ(lut.Cube(1, 0, 0), (TLutRGB{13 / 1023.0, 14 / 1023.0, 15 / 1023.0}));
  EXPECT_EQ(lut.Cube(1, 1, 1), (TLutRGB{1, 1, 1}));
}

TEST_F(ThreeDLTest, BadFilesAreRefusedBeforeDataIsStored) {
  struct Case {
    const char* Name;
    std::string Text;
    const char* Message;
  };
  const Case cases[] = {
      {"one node short", Shaper(2) + Nodes(2, 1023, 1023, 7), "Incomplete file."},
      // Without a shaper the first node line is taken as a 3-point shaper.
      {"no shaper line", Nodes(2, 1023, 1023), "Incomplete file."},
      {"shaper with a fraction", "0 511.5 1023\n" + Nodes(3, 511, 1023), "Incomplete file."},
      {"comments only", "# nothing else\n", "Incomplete file."},
      {"binary garbage", std::string("\x89PNG\r\n\x1a\n\xff\xfe 12 x\x01\x02", 17), "Incomplete file."},
      {"101 shaper values", Shaper(101) + Nodes(2, 1023, 1023), "100x100x100"},
      {"1 shaper value", "0\n0 0 0\n", "at least 2 points"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    T3dlLutFormat format;
    TLUT lut;
    const fs::path file = Write("bad.3dl", c.Text);
    EXPECT_NE(ErrorOf([&] { format.Read(file, lut, {}); }).find(c.Message),
              std::string::npos);
    EXPECT_LE(lut.Size3D(), 3);
  }
}

TEST_F(ThreeDLTest, HugeCodesDoNotOverflowTheDepthScan) {
  T3dlLutFormat format;
  TLUT lut;
  const std::string big = "9000000000000000000 9000000000000000000 9000000000000000000\n";
  format.Read(Write("huge.3dl", Shaper(2) + big + big + Nodes(2, 1, 1, 6)), lut, {});
  ASSERT_EQ(lut.Size3D(), 2);
  EXPECT_GT(lut.Cube(0, 0, 0).R, 0.0);
  EXPECT_LE(lut.Cube(0, 0, 0).R, 1.0);
}

// --- 3DL writing ------------------------------------------------------------

TLUT TwoPointCube() {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(2);
  lut.Cube(0, 0, 1) = {1.2, -0.1, 0.5};
  lut.Cube(1, 1, 1) = {1, 1, 1};
  return lut;
}

TEST_F(ThreeDLTest, WritesCommentsShaperAndCodes) {
  TLUT lut = TwoPointCube();
  lut.Comments = {"graded", ""};
  T3dlLutFormat format;
  const fs::path file = Path("out.3dl");
  format.Write(file, lut, {12});
  EXPECT_EQ(ReadText(file),
            "# graded\n"
            "# \n"
            "# Converted by Tovi LUT Converter\n"
            "0 1023\n"
            "0 0 0\n4095 0 2048\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n4095 4095 4095\n");
  format.Write(file, lut, {10});
  EXPECT_NE(ReadText(file).find("\n1023 0 512\n"), std::string::npos);

  // Reading it back keeps the fixed line as a comment, so it doubles on the next write.
  TLUT back;
  format.Read(file, back, {});
  EXPECT_EQ(back.Comments.back(), "Converted by Tovi LUT Converter");
}

TEST_F(ThreeDLTest, ShaperAlwaysSpansTenBits) {
  std::string every32;
  for (int i = 0; i < 32; ++i) every32 += std::to_string(i * 32) + " ";
  const std::pair<int, std::string> cases[] = {
      {17, "0 64 128 192 256 320 384 448 512 576 640 704 768 832 896 960 1023"},
      {33, every32 + "1023"},
  };
  for (const auto& [n, shaper] : cases) {
    TLUT lut = MakeCube(n);
    T3dlLutFormat format;
    format.Write(Path("s.3dl"), lut, {16});
    const std::string text = ReadText(Path("s.3dl"));
    EXPECT_EQ(text.substr(text.find('\n') + 1, shaper.size() + 1), shaper + "\n");
  }
}

TEST_F(ThreeDLTest, DetectionByExtensionWithLustreFirst) {
  const TLutRegistry& registry = LutRegistry();
  const int lustre = registry.IndexOf(typeid(TLustre3DLutFormat));
  const int threeDL = registry.IndexOf(typeid(T3dlLutFormat));
  const std::string plain = Shaper(2) + Nodes(2, 1023, 1023);
  const std::tuple<const char*, std::string, int> cases[] = {
      {"a.3dl", plain, threeDL},
      {"b.3DL", plain, threeDL},
      {"c.3dl", "3DMESH\nMesh 0 10\n" + Nodes(2, 1023, 1023), lustre},
      {"d.dd3", plain, threeDL},
      {"e.3dl.txt", plain, -1},
  };
  for (const auto& [name, text, expected] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(registry.DetectLutFormat(Write(name, text)), expected);
  }
}

TEST_F(ThreeDLTest, DolbyFileReadsBack) {
  const TLutRegistry& registry = LutRegistry();
  const auto& profiles = registry.LutOutputProfiles();
  const auto dolby = std::find_if(profiles.begin(), profiles.end(),
                                  [](const TLutOutputProfile& p) { return p.Name == "Dolby DD3"; });
  ASSERT_NE(dolby, profiles.end());
  const TLUT source = MakeCube(17);
  registry.SaveLut(Path("grade.dd3"), source, *dolby, -1);
  TLUT back;
  registry.LoadLut(Path("grade.dd3"), back, -1);
  ASSERT_EQ(back.Size3D(), 17);
  EXPECT_NEAR(back.Cube(16, 3, 9).G, source.Cube(16, 3, 9).G, 0.5 / 4095);
}

// --- Lustre 3D ----------------------------------------------------------------

TEST_F(ThreeDLTest, LustreMeshGivesSizeAndDepthAndTheTrailerIsNotRead) {
  TLustre3DLutFormat format;
  TLUT lut;
  format.Read(Write("mesh.lut", "# comment\n3DMESH\nMesh 4 10\n" + Shaper(17) +
                                    Nodes(17, 64, 1023) + "\nLUT8\ngamma 1.0\n"),
              lut, {});
  EXPECT_TRUE(lut.Comments.empty());
  ASSERT_EQ(lut.Size3D(), 17);
  EXPECT_EQ(lut.Cube(16, 1, 16), (TLutRGB{1, 64 / 1023.0, 1}));
}

TEST_F(ThreeDLTest, LustreBadFiles) {
  struct Case {
    const char* Name;
    std::string Text;
    const char* Message;
  };
  const std::string nodes = Nodes(2, 4095, 4095);
  const Case cases[] = {
      {"no mesh line", "3DMESH\n" + nodes, "Incomplete file."},
      {"one node short", "3DMESH\nMesh 0 12\n" + Nodes(2, 4095, 4095, 7), "Incomplete file."},
      {"mesh of 129 points", "3DMESH\nMesh 7 12\n" + nodes, "100x100x100"},
      {"mesh exponent overflowing", "3DMESH\nMesh 40 12\n" + nodes, "100x100x100"},
      {"mesh depth not an integer", "3DMESH\nMesh 5 x\n" + nodes, "'x' is not a valid integer value"},
      {"mesh depth missing", "3DMESH\nMesh 5\n" + nodes, "'' is not a valid integer value"},
      {"mesh depth of 0", "3DMESH\nMesh 0 0\n" + nodes, "Invalid bit depth 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TLustre3DLutFormat format;
    TLUT lut;
    const fs::path file = Write("bad.lut", c.Text);
    EXPECT_NE(ErrorOf([&] { format.Read(file, lut, {}); }).find(c.Message),
              std::string::npos);
    EXPECT_LE(lut.Size3D(), 2);
  }
}

TEST_F(ThreeDLTest, LustreSecondMeshLineDoesNotResizeTheCube) {
  std::string nodes = Nodes(3, 4095, 4095);
  std::size_t middle = 0;
  for (int i = 0; i < 20; ++i) middle = nodes.find('\n', middle) + 1;
  nodes.insert(middle, "Mesh 0 12\n");
  TLustre3DLutFormat format;
  TLUT lut;
  format.Read(Write("twice.lut", "3DMESH\nMesh 1 12\n" + nodes), lut, {});
  ASSERT_EQ(lut.Size3D(), 3);
  EXPECT_EQ(lut.Cube(2, 2, 2), (TLutRGB{1, 1, 1}));
}

TEST_F(ThreeDLTest, LustreWriter) {
  TLustre3DLutFormat format;
  const fs::path file = Path("out.lut");
  format.Write(file, TwoPointCube(), {12});
  EXPECT_EQ(ReadText(file),
            "\n# Converted by Tovi LUT Converter\n\n3DMESH\nMesh 0 12\n\n"
            "0 0 0\n4095 0 2048\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n4095 4095 4095\n"
            "\nLUT8\ngamma 1.0\n");
  format.Write(file, MakeCube(33), {12});
  EXPECT_NE(ReadText(file).find("\nMesh 5 12\n"), std::string::npos);
  format.Write(file, MakeCube(17), {16});
  EXPECT_NE(ReadText(file).find("\nMesh 4 16\n"), std::string::npos);
  // A size the mesh line cannot describe is refused, and the file is kept.
  EXPECT_THROW(format.Write(file, MakeCube(32), {12}), ELUTError);
  EXPECT_NE(ReadText(file).find("\nMesh 4 16\n"), std::string::npos);
}

}  // namespace
