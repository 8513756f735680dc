#include "formats/CubeFormats.h"

#include "TestSupport.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

namespace {

class CubeFormats : public TempDirTest {
 protected:
  std::string FormatName(const fs::path& file) {
    const int i = LutRegistry().DetectLutFormat(file);
    return i < 0 ? "unknown" : LutRegistry().GetLutFormat(i)->Name;
  }
  TLUT Load(const fs::path& file) {
    TLUT lut;
    LutRegistry().LoadLut(file, lut, -1);
    return lut;
  }
  const TLutOutputProfile& Profile(const std::string& name) {
    for (const auto& p : LutRegistry().LutOutputProfiles())
      if (p.Name == name) return p;
    throw std::runtime_error("no profile " + name);
  }
  // n^3 lines "r g b" of the identity, red fastest
  static std::string Nodes(int n, const std::string& sep = " ") {
    std::string s;
    for (int b = 0; b < n; ++b)
      for (int g = 0; g < n; ++g)
        for (int r = 0; r < n; ++r)
          s += std::to_string(r / (n - 1.0)) + sep + std::to_string(g / (n - 1.0)) + sep +
               std::to_string(b / (n - 1.0)) + "\n";
    return s;
  }
};

TEST_F(CubeFormats, DetectionFollowsTheRegistryOrder) {
  struct Case {
    const char* name;
    std::string text;
    const char* format;
  } cases[] = {
      {"a.cube", "LUT_3D_SIZE 2\n", "Cube 3D"},
      {"b.cube", "lut_3d_size 2\n", "Cube 3D"},
      {"c.cube", "# iDims 3\n# oDims 3\n# width 2 2 2\nLUT_3D_SIZE 2\n", "Cube 3D Truelight"},
      {"d.cube", "LUT_3D_VERSION 2.0.0\nLUT_3D_SIZE 2\n", "FSI CFE (Flanders Scientific) 3D"},
      {"e.vlt", "LUT_3D_SIZE 2\n", "Panasonic 3D"},
      {"f.VLT", "LUT_3D_SIZE 2\n", "Panasonic 3D"},
      {"g.cube", "LUT_1D_SIZE 2\n", "Cube 1D"},
      {"h.cube", "LUT_1D_SIZE 2\nLUT_3D_SIZE 2\n", "Cube 3D"},
      {"i.cube", "NUCODA_3D_CUBE 2\nLUT_3D_SIZE 2\n", "Nucoda 3D"},
      {"j.cube", std::string(4090, '#') + "\nLUT_3D_SIZE 2\n", "unknown"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatName(Write(c.name, c.text)), c.format) << c.name;
}

TEST_F(CubeFormats, HeaderCommentsTitleAndSizeThenNodes) {
  const std::string text = "# first comment\n  #second\nTITLE \"t\"\nDOMAIN_MIN 0 0 0\n"
                           "LUT_3D_SIZE 17\n# late comment, not kept\n" +
                           Nodes(17, "\t") + "0.5 0.5 0.5\n";  // an extra line is ignored
  const TLUT lut = Load(Write("grade.cube", text));
  EXPECT_EQ(lut.LutType, lt3D);
  EXPECT_EQ(lut.Size3D(), 17);
  EXPECT_EQ(lut.Comments, (std::vector<std::string>{"first comment", "second"}));
  EXPECT_NEAR(lut.Cube(16, 8, 1).R, 1.0, 1e-6);
  EXPECT_NEAR(lut.Cube(16, 8, 1).G, 0.5, 1e-6);
  EXPECT_NEAR(lut.Cube(16, 8, 1).B, 1 / 16.0, 1e-6);
}

TEST_F(CubeFormats, MalformedFilesFailWithTheirMessages) {
  struct Case {
    const char* fixture;
    const char* message;
  } cases[] = {
      {"cube/bad/truncated_cube.cube", "Incomplete file."},
      {"cube/bad/size_101.cube", "The current version cannot process LUTs more than 100x100x100."},
      {"cube/bad/size_not_integer.cube", "'abc' is not a valid integer value"},
      {"cube/bad/length_100001.cube", "The current version cannot process 1D LUTs"},
      {"cube/bad/size_1.cube", "Invalid cube size 1"},
  };
  for (const Case& c : cases) {
    TLUT lut;
    try {
      LutRegistry().LoadLut(DataFile(c.fixture), lut, -1);
      ADD_FAILURE() << c.fixture << " was read";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.fixture << ": " << e.what();
    }
  }
  EXPECT_EQ(FormatName(DataFile("cube/bad/binary_garbage.cube")), "unknown");
  EXPECT_EQ(FormatName(DataFile("cube/bad/decoy_nucoda_keyword.cube")), "Nucoda 3D");
}

TEST_F(CubeFormats, IncompleteAndEmptyFilesKeepTheKindAndSizeFound) {
  TLUT lut;
  EXPECT_THROW(LutRegistry().LoadLut(DataFile("cube/bad/truncated_cube.cube"), lut, 1), ELUTError);
  EXPECT_EQ(lut.LutType, lt3D);
  EXPECT_EQ(lut.Size3D(), 2);
  EXPECT_THROW(LutRegistry().LoadLut(Write("empty.cube", ""), lut, 1), ELUTError);
  EXPECT_EQ(lut.Size3D(), -1);
}

TEST_F(CubeFormats, TruelightReadsTheWidthLineAndSkipsItsMarkers) {
  const std::string text = "# Truelight Cube v2.0\n# iDims     3\n# oDims     3\n"
                           "# width     17 17 17\n\n# Cube\n" + Nodes(17) + "# end\n";
  const TLUT lut = Load(Write("t.cube", text));
  EXPECT_EQ(lut.FormatIndex, LutRegistry().IndexOf(typeid(TCube3DTruelightLutFormat)));
  EXPECT_EQ(lut.Size3D(), 17);
  EXPECT_TRUE(lut.Comments.empty());
}

// Baked Truelight cubes carry an input curve over the cube's index range
// (0..N-1) before the cube; it must not be taken for the first nodes.
TEST_F(CubeFormats, TruelightInputCurveIsScaledIntoTheCube) {
  const std::string head = "# Truelight Cube v2.0\n# lutLength 3\n# iDims 3\n# oDims 3\n"
                           "# width 3 3 3\n\n# InputLUT\n0 0 0\n0.5 1 1.5\n2 2 2\n\n# Cube\n";
  const TLUT lut = Load(Write("t.cub", head + Nodes(3) + "# end\n"));
  ASSERT_EQ(lut.LutType, lt1DThen3D);
  EXPECT_EQ(lut.Size1D(), 3);
  EXPECT_EQ(lut.Size3D(), 3);
  const TLutRGB y = lut.ApplyToColor({0.5, 0.5, 0.5});
  EXPECT_NEAR(y.R, 0.25, 1e-12);
  EXPECT_NEAR(y.G, 0.5, 1e-12);
  EXPECT_NEAR(y.B, 0.75, 1e-12);

  EXPECT_THROW(Load(Write("short.cub", "# Truelight Cube v2.0\n# lutLength 4\n# iDims 3\n"
                                       "# oDims 3\n# width 3 3 3\n# InputLUT\n0 0 0\n2 2 2\n"
                                       "# Cube\n" + Nodes(3))),
               ELUTError);
  EXPECT_THROW(Load(Write("nolength.cub", "# iDims 3\n# oDims 3\n# width 3 3 3\n# InputLUT\n"
                                          "0 0 0\n# Cube\n" + Nodes(3))),
               ELUTError);
}

TEST_F(CubeFormats, WritersProduceTheirExactLines) {
  TLUT identity;
  identity.LutType = lt3D;
  identity.SetSize3D(2);
  identity.FillIdentity3D();
  identity.Comments = {"from a test"};
  const std::string nodes =
      "0.000000 0.000000 0.000000\n1.000000 0.000000 0.000000\n0.000000 1.000000 0.000000\n"
      "1.000000 1.000000 0.000000\n0.000000 0.000000 1.000000\n1.000000 0.000000 1.000000\n"
      "0.000000 1.000000 1.000000\n1.000000 1.000000 1.000000\n";
  const std::string codes = "0 0 0\n4095 0 0\n0 4095 0\n4095 4095 0\n0 0 4095\n4095 0 4095\n"
                            "0 4095 4095\n4095 4095 4095\n";
  struct Case {
    const char* profile;
    std::string expected;
  } cases[] = {
      {"Cube 3D Davinci",
       "# from a test\n# Converted by Tovi LUT Converter\n\nLUT_3D_SIZE 2\n" + nodes},
      {"Cube 3D Truelight",
       "# Truelight Cube v2.0\n# iDims     3\n# oDims     3\n# width     2 2 2\n\n# Cube\n" + nodes +
           "# end\n# Converted by Tovi LUT Converter\n"},
      {"FSI CFE (Flanders Scientific) 3D",
       "LUT_3D_AUTHOR Tovi LUT Converter\nLUT_3D_MODEL CM240\nLUT_3D_VERSION 2.0.0\n"
       "LUT_3D_SIZE 2\n\n" + nodes},
      {"Panasonic 3D vlt, Varicam",
       "# from a test\n# Converted by Tovi LUT Converter\n\nLUT_3D_SIZE 2\n\n" + codes},
  };
  for (const Case& c : cases) {
    const fs::path file = Path("out.txt");
    LutRegistry().SaveLut(file, identity, Profile(c.profile), -1);
    EXPECT_EQ(ReadText(file), c.expected) << c.profile;
  }

  TLUT curves;
  curves.LutType = lt1D;
  curves.SetSize1D(2);
  curves.Curve(1) = {1, 0.5, -0.25};
  LutRegistry().SaveLut(Path("c.cube"), curves, Profile("Cube 1D"), -1);
  EXPECT_EQ(ReadText(Path("c.cube")),
            "# Converted by Tovi LUT Converter\n\nLUT_1D_SIZE 2\n0.000000 0.000000 0.000000\n"
            "1.000000 0.500000 -0.250000\n");
}

TEST_F(CubeFormats, PanasonicCodesRoundHalfToEvenUnclamped) {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(2);
  lut.Cube(0, 0, 0) = {0.5, -0.1, 1.0};
  LutRegistry().SaveLut(Path("p.vlt"), lut, Profile("Panasonic 3D vlt, Varicam"), -1);
  const std::string text = ReadText(Path("p.vlt"));
  EXPECT_NE(text.find("\n2048 -410 4095\n"), std::string::npos) << text;
  const TLUT back = Load(Path("p.vlt"));
  EXPECT_EQ(back.Cube(0, 0, 0).B, 1.0);
  EXPECT_EQ(back.Cube(0, 0, 0).G, -410 / 4095.0);
}

}  // namespace
