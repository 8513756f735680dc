#include "xml/CDLLib.h"

#include <cmath>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

namespace {

std::string Correction(const std::string& slope, const std::string& offset,
                       const std::string& power, const std::string& extra = "",
                       const std::string& idAttribute = " id=\"c1\"") {
  return "<ColorCorrection" + idAttribute + ">\n<SOPNode>\n<Slope>" + slope + "</Slope>\n<Offset>" +
         offset + "</Offset>\n<Power>" + power + "</Power>\n</SOPNode>\n" + extra +
         "</ColorCorrection>\n";
}

class CDLTest : public TempDirTest {
 protected:
  TLUT Load(const std::string& text) {
    const fs::path file = Write("grade.cc", text);
    TASC_CDL_Format format;
    EXPECT_TRUE(format.Detect(file));
    TLUT lut;
    format.Read(file, lut, {});
    return lut;
  }
};

TEST_F(CDLTest, IdentityGivesTheGridExactly) {
  const TLUT lut = Load(Correction("1 1 1", "0 0 0", "1 1 1"));
  EXPECT_EQ(lut.LutType, lt3D);
  ASSERT_EQ(lut.Size3D(), 33);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"Name: c1"});
  for (int r = 0; r < 33; ++r)
    for (int g = 0; g < 33; g += 4)
      for (int b = 0; b < 33; b += 8) {
        const TLutRGB want{r / 32.0, g / 32.0, b / 32.0};
        ASSERT_EQ(lut.Cube(r, g, b), want) << r << " " << g << " " << b;
      }
}

TEST_F(CDLTest, SlopeOffsetPowerWithoutClamping) {
  // Offset below zero: nothing under zero survives the power.
  TLUT lut = Load(Correction("1 2 1", "-0.1 0 0", "1 1 2.2"));
  for (int r = 0; r < 4; ++r) EXPECT_EQ(lut.Cube(r, 0, 0).R, 0.0) << r;
  EXPECT_EQ(lut.Cube(4, 0, 0).R, static_cast<double>(0.125f + -0.1f));
  // A slope of 2 stays above 1.
  EXPECT_EQ(lut.Cube(0, 32, 0).G, 2.0);
  EXPECT_EQ(lut.Cube(0, 24, 0).G, 1.5);
  // Power 2.2 at 0.5.
  EXPECT_EQ(lut.Cube(0, 0, 16).B,
            static_cast<float>(std::pow(0.5L, static_cast<long double>(2.2f))));
  EXPECT_NEAR(lut.Cube(0, 0, 16).B, std::pow(0.5, 2.2), 1e-7);
}

TEST_F(CDLTest, SaturationMixesWithRec709Luma) {
  const TLUT grey =
      Load(Correction("0.5 1 1", "0 0 0.1", "1 2 1", "<SATNode><Saturation>0</Saturation></SATNode>\n"));
  const TLutRGB node = grey.Cube(32, 16, 8);
  const double luma = 0.2126 * 0.5 + 0.7152 * 0.25 + 0.0722 * (0.25 + 0.1f);
  EXPECT_NEAR(node.R, luma, 1e-7);
  EXPECT_EQ(node.R, node.G);
  EXPECT_EQ(node.G, node.B);
  // Saturation 1.2 on pure green: the field's (-0.143, 1.057, -0.143), not
  // the plain mean's (-0.067, 1.133, -0.067).
  TCDLCorrection cdl;
  ReadCDLFile(Write("comma.cc", Correction("1 1 1", "0 0 0", "1 1 1",
                                           "<SATNode><Saturation>1,2</Saturation></SATNode>")),
              cdl);
  EXPECT_EQ(cdl.Saturation, 1.2f);  // a decimal comma, through the tolerant reader
  float r, g, b;
  ApplyCDL(cdl, 0.0f, 1.0f, 0.0f, r, g, b);
  EXPECT_NEAR(r, -0.2 * 0.7152, 1e-6);
  EXPECT_NEAR(g, 1.2 - 0.2 * 0.7152, 1e-6);
  EXPECT_NEAR(b, -0.2 * 0.7152, 1e-6);
}

TEST_F(CDLTest, CollectionsAndDecisionListsGiveTheFirstOrTheNamedCorrection) {
  const std::string a = Correction("2 2 2", "0 0 0", "1 1 1", "", " id=\"a\"");
  const std::string b = Correction("0.5 0.5 0.5", "0 0 0", "1 1 1", "", " id=\"b\"");
  const fs::path ccc =
      Write("looks.ccc", "<?xml version=\"1.0\"?>\n<ColorCorrectionCollection xmlns=\"urn:ASC:CDL:v1.01\">\n" +
                             a + b + "</ColorCorrectionCollection>\n");
  const fs::path cdl = Write("looks.cdl", "<ColorDecisionList xmlns=\"urn:ASC:CDL:v1.01\">\n<ColorDecision>\n" + a +
                                              "</ColorDecision>\n<ColorDecision>\n" + b +
                                              "</ColorDecision>\n</ColorDecisionList>\n");
  const int cdlFormat = LutRegistry().IndexOf(typeid(TASC_CDL_Format));
  for (const fs::path& file : {ccc, cdl}) {
    SCOPED_TRACE(file.filename().string());
    EXPECT_EQ(ReadCDLIds(file), (std::vector<std::string>{"a", "b"}));
    TLUT first, second;
    LutRegistry().LoadLut(file, first, -1);
    EXPECT_EQ(first.FormatIndex, cdlFormat);
    EXPECT_EQ(first.Comments, std::vector<std::string>{"Name: a"});
    EXPECT_EQ(first.Cube(16, 16, 16).R, 1.0);
    TReadOptions options;
    options.CdlId = "b";
    LutRegistry().LoadLut(file, second, -1, options);
    EXPECT_EQ(second.Comments, std::vector<std::string>{"Name: b"});
    EXPECT_EQ(second.Cube(16, 16, 16).R, 0.25);
    options.CdlId = "c";
    TLUT none;
    EXPECT_THROW(LutRegistry().LoadLut(file, none, -1, options), ELUTError);
  }
}

// Corrections without an id are read by their place in the file; a place
// past the last is refused with the count.
TEST_F(CDLTest, CorrectionsWithoutAnIdAreReadByPosition) {
  const fs::path ccc = Write("anonymous.ccc", "<ColorCorrectionCollection>\n" +
                                                   Correction("2 2 2", "0 0 0", "1 1 1", "", "") +
                                                   Correction("0.5 0.5 0.5", "0 0 0", "1 1 1", "", "") +
                                                   "</ColorCorrectionCollection>\n");
  EXPECT_EQ(ReadCDLIds(ccc), (std::vector<std::string>{"", ""}));
  TReadOptions options;
  options.CdlIndex = 1;
  TLUT second;
  LutRegistry().LoadLut(ccc, second, -1, options);
  EXPECT_EQ(second.Cube(16, 16, 16).R, 0.25);
  options.CdlIndex = 2;
  TLUT none;
  try {
    LutRegistry().LoadLut(ccc, none, -1, options);
    ADD_FAILURE() << "read a third correction";
  } catch (const ELUTError& e) {
    EXPECT_NE(std::string(e.what()).find("No colour correction #3 in the file; it holds 2."),
              std::string::npos)
        << e.what();
  }
}

TEST_F(CDLTest, NumberSeparatorsAndTheRealisticFile) {
  for (const char* slope : {"1.1 1.0 0.9", "1.1,1.0,0.9", "1.1\t1.0\t0.9", " 1.1 1.0 0.9\n"}) {
    TCDLCorrection cdl;
    ReadCDLFile(Write("s.cc", Correction(slope, "0 0 0", "1 1 1")), cdl);
    EXPECT_EQ(cdl.SlopeR, 1.1f) << slope;
    EXPECT_EQ(cdl.SlopeG, 1.0f) << slope;
    EXPECT_EQ(cdl.SlopeB, 0.9f) << slope;
  }
  TCDLCorrection cdl;
  ReadCDLFile(DataFile("xml/shot_042.cc"), cdl);
  EXPECT_EQ(cdl.Id, "shot_042");
  EXPECT_EQ(cdl.OffsetR, -0.02f);
  EXPECT_EQ(cdl.PowerB, 1.2f);
  EXPECT_EQ(cdl.Saturation, 0.8f);
}

TEST_F(CDLTest, MissingIdGivesAnEmptyName) {
  const TLUT lut = Load(Correction("1 1 1", "0 0 0", "1 1 1", "", ""));
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"Name: "});
}

TEST_F(CDLTest, ErrorsNameWhatIsWrong) {
  struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"<ColorCorrection id='x'><SATNode/><SOPNode2/></ColorCorrection>",
       "The \"SOPNode\" node is not found"},
      {Correction("1 1 1", "0 0 0", "1 1 1").replace(0, 16, "<Other"),
       "The \"ColorCorrection\" node is not found"},
      {"<ColorCorrection><SOPNode><Slope>1 1 1</Slope></SOPNode></ColorCorrection>",
       "The \"Offset\" node is not found"},
      {Correction("1 1", "0 0 0", "1 1 1"), "'' is not a valid floating point value"},
      {Correction("1  1 1", "0 0 0", "1 1 1"), "'' is not a valid floating point value"},
      {Correction("1 1 1", "0 0 0", "1 x 1"), "'x' is not a valid floating point value"},
      {Correction("1,5 1,0 0,8", "0 0 0", "1 1 1"),
       "'1,5 1,0 0,8' is not a list of three numbers with '.' as the decimal separator"},
  };
  for (const auto& c : cases) {
    TCDLCorrection cdl;
    try {
      ReadCDLFile(Write("bad.cc", c.text), cdl);
      ADD_FAILURE() << c.text;
    } catch (const std::exception& e) {
      EXPECT_EQ(e.what(), c.message) << c.text;
    }
  }
}

TEST_F(CDLTest, DetectionWantsACorrection) {
  TASC_CDL_Format format;
  EXPECT_TRUE(format.Detect(DataFile("xml/shot_042.cc")));
  EXPECT_TRUE(format.Detect(Write("c.ccc", "<ColorCorrectionCollection>" +
                                                Correction("1 1 1", "0 0 0", "1 1 1") +
                                                "</ColorCorrectionCollection>")));
  // The must keyword is the bare start tag.
  EXPECT_FALSE(format.Detect(Write("a.cc", "<ColorCorrection><SOPNode x='1'></SOPNode></ColorCorrection>")));
  EXPECT_EQ(LutRegistry().DetectLutFormat(DataFile("xml/shot_042.cc")),
            LutRegistry().IndexOf(typeid(TASC_CDL_Format)));
}

}  // namespace
