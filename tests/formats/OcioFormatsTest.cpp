// OpenColorIO's formats: our detection in front of its reader, the record
// taken from its transforms (exactly, or baked when the chain is not a
// shaper and a cube), our writers read back by it, and the program without
// the module.
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <typeinfo>

#include "TestSupport.h"
#include "formats/OcioFormats.h"
#include "registry/FormatTable.h"
#include "xml/XmlLutFormats.h"

namespace {

class OcioFormats : public TempDirTest {
 protected:
  int Detected(const std::string& name, const std::string& content) const {
    return LutRegistry().DetectLutFormat(Write(name, content));
  }
  static int Index(const std::type_info& format) { return LutRegistry().IndexOf(format); }
  TLUT Load(const std::string& name, const std::string& content) const {
    TLUT lut;
    LutRegistry().LoadLut(Write(name, content), lut, -1);
    return lut;
  }
};

// A domain of -0.5..1.5, a three-entry curve and a 2-point cube whose nodes
// are all distinct; every value a float holds exactly.
const char* const ClfWithDomain = R"(<?xml version="1.0" encoding="UTF-8"?>
<ProcessList compCLFversion="3" id="t">
  <Description>graded look</Description>
  <Range inBitDepth="32f" outBitDepth="32f">
    <minInValue>-0.5</minInValue><maxInValue>1.5</maxInValue>
    <minOutValue>0</minOutValue><maxOutValue>1</maxOutValue>
  </Range>
  <LUT1D inBitDepth="32f" outBitDepth="32f">
    <Array dim="3 3">0 0 0  0.25 0.5 0.75  1 1 1</Array>
  </LUT1D>
  <LUT3D inBitDepth="32f" outBitDepth="32f">
    <Array dim="2 2 2 3">
      0 0 0   0 0 0.5   0 0.5 0   0 0.5 0.5
      0.5 0 0   0.5 0 0.5   0.5 0.5 0   1 0.75 0.25
    </Array>
  </LUT3D>
</ProcessList>
)";

TEST_F(OcioFormats, DetectionNeedsTheExtensionAndTheText) {
  const struct {
    const char* Name;
    std::string Content;
    int Want;
  } cases[] = {
      {"a.clf", ClfWithDomain, Index(typeid(TClfLutFormat))},
      {"a.ctf", ClfWithDomain, Index(typeid(TClfLutFormat))},
      // A CLF under a Clipster name is neither: the Clipster reader no longer claims it.
      {"a.txt", ClfWithDomain, -1},
      {"clipster.xml", "<LUT3D name='x' N='2' BitDepth='16'><values>", Index(typeid(TClipster3DLutFormat))},
      {"a.csp", "CSPLUTV100\n3D\n", Index(typeid(TCinespaceLutFormat))},
      {"decoy.csp", "Cinespace export\n", -1},
      {"a.spi1d", "Version 1\nFrom 0 1\nLength 2\n", Index(typeid(TSpi1DLutFormat))},
      {"a.spi3d", "SPILUT 1.0\n3 3\n2 2 2\n", Index(typeid(TSpi3DLutFormat))},
      {"a.spimtx", "1 0 0 0\n0 1 0 0\n0 0 1 0\n", Index(typeid(TSpiMatrixLutFormat))},
      {"decoy.spimtx", "matrix\n", -1},
      {"a.vf", "#Inventor V2.1 ascii\ngrid_size 2 2 2\n", Index(typeid(TNukeVfLutFormat))},
      {"a.lut", "Version\t\t3\nFormat\t\tany\nType\t\t3D\nLUT:\n", Index(typeid(THoudiniLutFormat))},
  };
  for (const auto& c : cases) EXPECT_EQ(Detected(c.Name, c.Content), c.Want) << c.Name;
}

TEST_F(OcioFormats, ShaperAndCubeAreTakenExactlyWithTheirDomain) {
  const TLUT lut = Load("look.clf", ClfWithDomain);
  ASSERT_EQ(lut.LutType, lt1DThen3D);
  ASSERT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Cube(1, 1, 1), (TLutRGB{1, 0.75, 0.25}));
  EXPECT_EQ(lut.Cube(0, 0, 1), (TLutRGB{0, 0, 0.5}));
  // The curve as the file gives it (red 0, 0.25, 1), read at (x + 0.5) / 2.
  ASSERT_EQ(lut.Size1D(), 3);
  EXPECT_EQ(lut.Curve(1), (TLutRGB{0.25, 0.5, 0.75}));
  EXPECT_EQ(lut.Domain1D, (TLutDomain{{-0.5, -0.5, -0.5}, {1.5, 1.5, 1.5}}));
  EXPECT_NEAR(lut.Interpolate1D({0, 0, 0}).R, 0.125, 1e-7);
  EXPECT_NEAR(lut.Interpolate1D({1, 1, 1}).R, 0.625, 1e-7);
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"graded look"});
}

TEST_F(OcioFormats, OtherChainsAreBakedAtTheirLargestSize) {
  // A matrix mixing the channels (its offsets are 16-bit codes): a cube at
  // the default size.
  const TLUT matrix = Load("m.spimtx", "0.5 0.5 0 0\n0 1 0 0\n0 0 1 13107\n");
  ASSERT_EQ(matrix.LutType, lt3D);
  EXPECT_EQ(matrix.Size3D(), 33);
  const TLutRGB node = matrix.Cube(32, 0, 16);
  EXPECT_NEAR(node.R, 0.5, 1e-6);
  EXPECT_NEAR(node.B, 0.5 + 0.2, 1e-6);
}

TEST_F(OcioFormats, SpiCurveKeepsItsOwnDomain) {
  const TLUT lut = Load("c.spi1d",
                        "Version 1\nFrom -1.0 1.0\nLength 3\nComponents 1\n{\n0\n0.5\n1\n}\n");
  ASSERT_EQ(lut.LutType, lt1D);
  ASSERT_EQ(lut.Size1D(), 3);
  EXPECT_NEAR(lut.Curve(0).R, 0, 1e-7);
  EXPECT_NEAR(lut.Domain1D.Min.G, -1, 1e-7);
  EXPECT_NEAR(lut.ApplyToColor({0, 0, 0}).R, 0.5, 1e-7);  // the middle of -1..1
  EXPECT_NEAR(lut.ApplyToColor({-0.5, -0.5, -0.5}).B, 0.25, 1e-7);
}

TEST_F(OcioFormats, MalformedFilesAreRefused) {
  const struct {
    const char* Name;
    const char* Content;
  } cases[] = {
      {"truncated_cube.csp", "CSPLUTV100\n3D\n\n2\n0 1\n0 1\n2\n0 1\n0 1\n2\n0 1\n0 1\n\n2 2 2\n0 0 0\n"},
      {"size_not_integer.spi3d", "SPILUT 1.0\n3 3\nx 2 2\n"},
      {"too_few_values.clf", "<ProcessList compCLFversion=\"3\" id=\"t\"><LUT3D inBitDepth=\"32f\" "
                             "outBitDepth=\"32f\"><Array dim=\"2 2 2 3\">0 0 0</Array></LUT3D></ProcessList>"},
      {"cube_too_large.spi3d", "SPILUT 1.0\n3 3\n101 101 101\n"},
      // OpenColorIO hands a malformed matrix to each of its readers, and
      // one of them leaks: only twelve numbers reach it.
      {"too_many_numbers.spimtx", "1 0 0 0\n0 1 0 0\n0 0 1 0\n5 5 5\n"},
  };
  for (const auto& c : cases) {
    TLUT lut;
    EXPECT_THROW(Load(c.Name, c.Content), EContentError) << c.Name;
  }
  // An unclosed METADATA block with a quote after it never returns from
  // OpenColorIO 2.1 (found by fuzzing): refused before it is handed over,
  // also when the text comes as another of its formats, which OpenColorIO
  // passes on to its Cinespace reader.
  const std::string unclosed = "CSPLUTV100\n3D\n\nBEGIN METADATA\nlook\nEND xETADATA\n\n2\n0 1\n"
                               "0 1\n2\n0 1\n0 1\n2\n0 1\n0 1\n\n1 \"\" 2\n2 2 2\n0 0 0\n";
  EXPECT_THROW(Load("metadata_not_closed.csp", unclosed), EContentError);
  for (const std::type_info* format : {&typeid(THoudiniLutFormat), &typeid(TSpi3DLutFormat)}) {
    TLUT lut;
    EXPECT_THROW(LutRegistry().LoadLut(Write("metadata_not_closed.lut", unclosed), lut, Index(*format)),
                 EContentError)
        << format->name();
  }
  // NUL bytes before the root element made OpenColorIO take gigabytes
  // (found by fuzzing): not detected, and refused when read as CLF.
  static constexpr char bytes[] = "\x01\x02" "acsp\0\0\0<ProcessList\0\0\0\0-argl\0";
  const std::string binary(bytes, sizeof bytes - 1);
  EXPECT_EQ(Detected("binary.clf", binary), -1);
  TLUT lut;
  EXPECT_THROW(LutRegistry().LoadLut(Write("binary.clf", binary), lut, Index(typeid(TClfLutFormat))),
               EContentError);
}

// Cinespace is read by our own reader: each channel's prelut keeps its
// domain; a METADATA block is never a hang, however it is spelt.
TEST_F(OcioFormats, CinespaceKeepsEachChannelsDomainAndNeverHangs) {
  TLUT lut;
  LutRegistry().LoadLut(DataFile("csp/channel_domains.csp"), lut, -1);
  ASSERT_EQ(lut.LutType, lt1DThen3D);
  EXPECT_EQ(lut.Domain1D, (TLutDomain{{0, -0.1, -1}, {1.2, 1, 1}}));
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"per-channel domains"});
  // The ends of each domain reach the cube's ends: (1.2, -0.1, -1) is node (1, 0, 0).
  const TLutRGB corner = lut.ApplyToColor({1.2, -0.1, -1});
  EXPECT_NEAR(corner.R, 0.8, 1e-6);
  EXPECT_NEAR(corner.G, 0.1, 1e-6);
  EXPECT_NEAR(corner.B, 0.0, 1e-6);

  // A descending prelut gives what its evaluation gives: its end value
  // nearly everywhere (here 0, so red reads the cube's red-0 face).
  LutRegistry().LoadLut(DataFile("csp/descending_prelut.csp"), lut, -1);
  EXPECT_EQ(lut.Domain1D.Min.R, 0.0);
  EXPECT_EQ(lut.Domain1D.Max.R, 1.0);
  EXPECT_NEAR(lut.ApplyToColor({0.5, 0.5, 0.5}).R, 0.05, 1e-6);

  const struct {
    const char* File;
    bool Read;
  } metadata[] = {
      {"csp/metadata_1.0_no_end.csp", false}, {"csp/metadata_x.csp", true},
      {"csp/metadataa.csp", true},            {"csp/metadata_vertical_tab.csp", true},
      {"csp/metadata_esc_before_end.csp", true},
  };
  for (const auto& c : metadata) {
    SCOPED_TRACE(c.File);
    TLUT read;
    if (c.Read) {
      LutRegistry().LoadLut(DataFile(c.File), read, -1);
      EXPECT_EQ(read.Size3D(), 2);
      EXPECT_EQ(read.Comments, std::vector<std::string>{"look"});
    } else {
      EXPECT_THROW(LutRegistry().LoadLut(DataFile(c.File), read, -1), ELUTError);
    }
    // The same text under another of OpenColorIO's extensions never reaches it.
    EXPECT_THROW(LutRegistry().LoadLut(Write("as.spi3d", ReadText(DataFile(c.File))), read,
                                       Index(typeid(TSpi3DLutFormat))),
                 ELUTError);
  }
}

TEST_F(OcioFormats, ClfWritesShaperAsRangeOrCurve) {
  const TLutRegistry& r = LutRegistry();
  const TLUTFormat& clf = *r.GetLutFormat(Index(typeid(TClfLutFormat)));
  for (const int curveSize : {2, 5}) {
    SCOPED_TRACE(curveSize);
    TLUT source = MakeCube(5);
    source.LutType = lt1DThen3D;
    source.SetSize1D(curveSize);
    for (int i = 0; i < curveSize; ++i) {
      const double x = 0.1 + 0.6 * i / (curveSize - 1.0);
      source.Curve(i) = {x, x, x};
    }
    clf.Write(Path("s.clf"), source, {});
    EXPECT_NE(ReadText(Path("s.clf")).find(curveSize == 2 ? "<Range" : "<LUT1D"), std::string::npos);
    TLUT back;
    r.LoadLut(Path("s.clf"), back, -1);
    // The Range comes back as the cube's domain, the curve as curves.
    ASSERT_EQ(back.LutType, curveSize == 2 ? lt3D : lt1DThen3D);
    EXPECT_NEAR(back.Cube(4, 2, 1).B, source.Cube(4, 2, 1).B, 1e-7);
    for (const double x : {0.0, 0.3, 0.55, 1.0}) {
      const TLutRGB y = back.ApplyToColor({x, 1 - x, x / 2}), want = source.ApplyToColor({x, 1 - x, x / 2});
      EXPECT_NEAR(y.R, want.R, 1e-6);
      EXPECT_NEAR(y.G, want.G, 1e-6);
      EXPECT_NEAR(y.B, want.B, 1e-6);
    }
  }
}

TEST_F(OcioFormats, WithoutTheModuleTheProgramRunsAndNamesThePackage) {
  const fs::path clf = Write("look.clf", ClfWithDomain);
  const fs::path cube = Write("plain.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  auto run = [&](const fs::path& file) {
    const std::string command = "TOVI_OCIO_MODULE= " + std::string(TOVILUT_EXE) + " info '" +
                                file.string() + "' 2>&1";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    const int status = ::pclose(pipe);
    return std::pair{WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
  };
  const auto [clfStatus, clfOut] = run(clf);
  EXPECT_EQ(clfStatus, 1);
  EXPECT_NE(clfOut.find("libopencolorio2.1"), std::string::npos) << clfOut;
  EXPECT_EQ(run(cube).first, 0);
}

}  // namespace
