#include "ops/Conversion.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <random>

#include "TestSupport.h"
#include "core/LutInfo.h"
#include "core/StringLib.h"
#include "registry/FormatTable.h"

namespace {

class Conversion : public TempDirTest {
 protected:
  const TLutOutputProfile& Profile(const std::string& name) {
    for (const auto& p : LutRegistry().LutOutputProfiles())
      if (p.Name == name) return p;
    throw std::runtime_error("no profile " + name);
  }
  TLUT Load(const fs::path& file) {
    TLUT lut;
    LutRegistry().LoadLut(file, lut, -1);
    return lut;
  }
};

TEST_F(Conversion, SelectedBitsAndEffectiveSize) {
  const int bits[] = {-1, -1, 8, 10, 12, 14, 16, -1};
  for (int i = -1; i < 7; ++i) EXPECT_EQ(SelectedBits(i), bits[i + 1]) << i;

  const TLutRegistry& r = LutRegistry();
  const TLutOutputProfile& cube = Profile("Cube 3D Davinci");
  const TLutOutputProfile& curve = Profile("Cube 1D");
  struct Case {
    const TLutOutputProfile& profile;
    const char* text;
    int size;
  } cases[] = {
      {cube, "Default", 33}, {cube, "", 33},         {cube, "abc", 33},  {cube, "17", 17},
      {cube, "120", 99},     {cube, "1", 1},         {curve, "Default", 4096},
      {curve, "99999", 99999}, {curve, "100000", 99999}, {curve, "default", 4096},
  };
  for (const Case& c : cases) EXPECT_EQ(EffectiveSize(r, c.profile, c.text), c.size) << c.text;
}

TEST_F(Conversion, OutputPathReplacesTheLastExtension) {
  TLutOutputProfile stwo;
  stwo.Extension = "swto.xml";
  EXPECT_EQ(OutputPathFor("out", "grade.cube", stwo), fs::path("out/grade.swto.xml"));
  EXPECT_EQ(OutputPathFor("out", "grade", stwo), fs::path("out/grade.swto.xml"));
  EXPECT_EQ(OutputPathFor("out", "a.b.3dl", stwo), fs::path("out/a.b.swto.xml"));
}

TEST_F(Conversion, TheProfileDecidesKindAndSize) {
  TLUT source = MakeCube(65);
  source.Comments = {"kept"};
  LutRegistry().SaveLut(Path("big.cube"), source, Profile("Cube 3D Davinci"), -1);
  ConvertLutFile(LutRegistry(), Path("big.cube"), Path("out.cube"),
                 Profile("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke"), 32, -1);
  const TLUT out = Load(Path("out.cube"));
  EXPECT_EQ(out.Size3D(), 32);
  ASSERT_FALSE(out.Comments.empty());
  EXPECT_EQ(out.Comments.front(), "kept");  // comment lines travel with the data
}

TEST_F(Conversion, CurvesBakedIntoACubeAndSampledBack) {
  const TLUT curves = MakeCurves(1024);
  LutRegistry().SaveLut(Path("curves.cube"), curves, Profile("Cube 1D"), -1);
  ConvertLutFile(LutRegistry(), Path("curves.cube"), Path("baked.cube"), Profile("Cube 3D Davinci"),
                 33, -1);
  const TLUT cube = Load(Path("baked.cube"));
  ASSERT_EQ(cube.LutType, lt3D);
  for (int i = 0; i < 33; ++i) {
    const double x = i / 32.0;
    const TLutRGB node = cube.Cube(i, 32 - i, i);
    EXPECT_NEAR(node.R, curves.Interpolate1D({x, 0, 0}).R, 1e-6);
    EXPECT_NEAR(node.G, curves.Interpolate1D({0, 1 - x, 0}).G, 1e-6);
    EXPECT_NEAR(node.B, curves.Interpolate1D({0, 0, x}).B, 1e-6);
  }
  ConvertLutFile(LutRegistry(), Path("baked.cube"), Path("back.cube"), Profile("Cube 1D"), 33, -1);
  const TLUT back = Load(Path("back.cube"));
  ASSERT_EQ(back.LutType, lt1D);
  for (int i = 0; i < 33; ++i) {
    const double x = i / 32.0;
    const TLutRGB want = curves.Interpolate1D({x, x, x});
    EXPECT_NEAR(back.Curve(i).R, want.R, 1e-6);
    EXPECT_NEAR(back.Curve(i).G, want.G, 1e-6);
    EXPECT_NEAR(back.Curve(i).B, want.B, 1e-6);
  }
}

TEST_F(Conversion, FailuresLeaveNoOutput) {
  const fs::path input = DataFile("cube/identity_2.cube");
  const TLutOutputProfile& davinci = Profile("Cube 3D Davinci");
  EXPECT_THROW(ConvertLutFile(LutRegistry(), input, Path("one.cube"), davinci, 1, -1), ELUTSizeError);
  EXPECT_THROW(ConvertLutFile(LutRegistry(), Write("x.txt", "hello\n"), Path("u.cube"), davinci, 33, -1),
               ELUTError);
  EXPECT_THROW(ConvertLutFile(LutRegistry(), DataFile("cube/bad/truncated_cube.cube"),
                              Path("t.cube"), davinci, 33, -1),
               ELUTError);
  fs::create_directory(Path("locked"));
  fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  if (::access(Path("locked").c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_THROW(ConvertLutFile(LutRegistry(), input, Path("locked/o.cube"), davinci, 33, -1),
                 EFileError);
  }
  EXPECT_THROW(ConvertLutFile(LutRegistry(), input, Path("x.txt/o.cube"), davinci, 33, -1), EFileError);
  EXPECT_FALSE(fs::exists(Path("one.cube")));
  EXPECT_FALSE(fs::exists(Path("u.cube")));
  EXPECT_FALSE(fs::exists(Path("t.cube")));
  EXPECT_TRUE(fs::is_empty(Path("locked")));
}

// Numbers no LUT can mean are refused where they are read, and nothing that
// is not a finite number of sane size is ever written, by any profile.
TEST_F(Conversion, ValuesNoLutCanMeanAreRefused) {
  // A 2-point cube after the given header lines, its first node given.
  auto cube = [](const std::string& header, const std::string& firstNode) {
    std::string text = header + "LUT_3D_SIZE 2\n" + firstNode + "\n";
    for (int i = 1; i < 8; ++i) text += "0.5 0.5 0.5\n";
    return text;
  };
  const struct {
    const char* name;
    std::string content;
    std::size_t line;  // the line the error names, 0 for none
  } cases[] = {
      {"huge.cube", cube("# grade\n", "1e308 0 0"), 3},
      {"wide.cube", cube("DOMAIN_MIN -1e308 -1e308 -1e308\nDOMAIN_MAX 1e308 1e308 1e308\n", "0 0 0"), 2},
      {"huge.cc",
       "<ColorCorrection id=\"x\"><SOPNode><Slope>1e308 1e308 1e308</Slope><Offset>0 0 0</Offset>"
       "<Power>1 1 1</Power></SOPNode></ColorCorrection>\n",
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ConvertLutFile(LutRegistry(), Write(c.name, c.content), Path("out.cube"),
                     Profile("Cube 3D Davinci"), 17, -1);
      ADD_FAILURE() << "no error";
    } catch (const ELUTError& e) {
      EXPECT_EQ(e.Line, c.line) << e.what();
    }
    EXPECT_FALSE(fs::exists(Path("out.cube")));
  }
  // A record holding a NaN (an overflowing evaluation) is written by no profile.
  TLUT bad = MakeCube(3);
  bad.Cube(1, 1, 1).G = std::nan("");
  for (const TLutOutputProfile& p : LutRegistry().LutOutputProfiles()) {
    if (!LutRegistry().ProfileFormat(p).Is3D) continue;
    const fs::path out = Path("nan." + p.Extension);
    EXPECT_THROW(LutRegistry().SaveLut(out, bad, p, -1), ELUTError) << p.Name;
    EXPECT_FALSE(fs::exists(out)) << p.Name;
  }
}

TEST_F(Conversion, AFailedWriteKeepsTheFileItWouldHaveReplaced) {
  // A file size limit makes the write fail part-way, as a full disk would.
  const TLUT big = MakeCube(65);
  LutRegistry().SaveLut(Path("big.cube"), big, Profile("Cube 3D Davinci"), -1);
  const fs::path target = Write("keep.cube", "precious\n");
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 1 << 20;
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(ConvertLutFile(LutRegistry(), Path("big.cube"), target, Profile("Cube 3D Davinci"),
                              65, -1),
               EFileError);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(ReadText(target), "precious\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 2);
}

// A domain beyond 0..1 survives every profile that can hold one, in that
// format's own words. The LUTs are affine, which trilinear resampling keeps
// exactly, so any difference is the domain's.
TEST_F(Conversion, InputDomainsGoOutWhereTheProfileHoldsThem) {
  auto f = [](const TLutRGB& x) {
    return TLutRGB{0.5 * x.R + 0.25 * x.G + 0.1, 0.8 * x.G - 0.1 * x.B, 0.3 * x.R + 0.6 * x.B + 0.05};
  };
  auto triple = [](const TLutRGB& v) {
    return FormatShortest(v.R) + " " + FormatShortest(v.G) + " " + FormatShortest(v.B) + "\n";
  };
  const TLutDomain wide{{-1, -1, -1}, {3, 3, 3}}, per{{-1, 0, -0.5}, {3, 2, 1.5}};
  auto cube = [&](const TLutDomain& d, const std::string& header) {
    std::string text = header + "LUT_3D_SIZE 3\n";
    for (int b = 0; b < 3; ++b)
      for (int g = 0; g < 3; ++g)
        for (int r = 0; r < 3; ++r)
          text += triple(f({d.Min.R + r * (d.Max.R - d.Min.R) / 2, d.Min.G + g * (d.Max.G - d.Min.G) / 2,
                            d.Min.B + b * (d.Max.B - d.Min.B) / 2}));
    return text;
  };
  // Curves x -> f(x, x, x) over -1..3, with LUT_1D_INPUT_RANGE or DOMAIN lines.
  auto curves = [&](const std::string& header) {
    std::string text = header;
    for (int i = 0; i < 5; ++i) text += triple(f({i - 1.0, i - 1.0, i - 1.0}));
    return text;
  };
  // A shaper halving -1..3 onto -0.5..1.5, then a cube over that range.
  std::string shaper = "LUT_1D_SIZE 2\nLUT_1D_INPUT_RANGE -1 3\nLUT_3D_SIZE 3\nLUT_3D_INPUT_RANGE -0.5 1.5\n"
                       "-0.5 -0.5 -0.5\n1.5 1.5 1.5\n";
  shaper += cube(TLutDomain{{-0.5, -0.5, -0.5}, {1.5, 1.5, 1.5}}, "").substr(14);
  const std::string iridas = "Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke";
  struct Case {
    std::string source, profile;
    int size;
    std::string written;  // what the output says of its domain
    double tol;
  } cases[] = {
      {cube(per, "DOMAIN_MIN -1 0 -0.5\nDOMAIN_MAX 3 2 1.5\n"), iridas, 32,
       "\nLUT_3D_SIZE 32\nDOMAIN_MIN -1 0 -0.5\nDOMAIN_MAX 3 2 1.5\n", 1e-6},
      {cube(wide, "LUT_3D_INPUT_RANGE -1 3\n"), iridas, 32, "DOMAIN_MIN -1 -1 -1\nDOMAIN_MAX 3 3 3\n", 1e-6},
      {cube(wide, "DOMAIN_MIN -1 -1 -1\nDOMAIN_MAX 3 3 3\n"), "Cube 3D Davinci", 9,
       "\nLUT_3D_SIZE 9\nLUT_3D_INPUT_RANGE -1 3\n", 1e-6},
      {cube(per, "DOMAIN_MIN -1 0 -0.5\nDOMAIN_MAX 3 2 1.5\n"), "Cube 3D Davinci", 9,
       "DOMAIN_MIN -1 0 -0.5\nDOMAIN_MAX 3 2 1.5\n", 1e-6},
      {shaper, "Cube 3D Davinci", 5,
       "\nLUT_1D_SIZE 2\nLUT_1D_INPUT_RANGE -1 3\nLUT_3D_SIZE 5\nLUT_3D_INPUT_RANGE -0.5 1.5\n-0.500000", 1e-6},
      {curves("LUT_1D_SIZE 5\nLUT_1D_INPUT_RANGE -1 3\n"), "Cube 1D", 5,
       "\nLUT_1D_SIZE 5\nDOMAIN_MIN -1 -1 -1\nDOMAIN_MAX 3 3 3\n", 1e-6},
      {curves("LUT_1D_SIZE 5\nDOMAIN_MIN -1 -1 -1\nDOMAIN_MAX 3 3 3\n"), "Sony Imageworks spi1d", 5,
       "From -1 3\n", 1e-6},
      {cube(per, "DOMAIN_MIN -1 0 -0.5\nDOMAIN_MAX 3 2 1.5\n"), "Academy/ASC CLF 3D", 3, "<Matrix", 1e-5},
      {cube(per, "DOMAIN_MIN -1 0 -0.5\nDOMAIN_MAX 3 2 1.5\n"), "Cinespace 3D", 3,
       "2\n-1.00000000 3.00000000\n0.00000000 1.00000000\n", 1e-5},
  };
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-1.5, 3.5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile + " from " + c.source.substr(0, 40));
    const TLutOutputProfile& profile = Profile(c.profile);
    const fs::path in = Write("in.cube", c.source);
    const fs::path out = Path("out." + profile.Extension);
    ConvertLutFile(LutRegistry(), in, out, profile, c.size, -1);
    EXPECT_NE(ReadText(out).find(c.written), std::string::npos) << ReadText(out).substr(0, 300);
    const TLUT source = Load(in), back = Load(out);
    for (int k = 0; k < 200; ++k) {
      const TLutRGB x{u(rng), u(rng), u(rng)};
      const TLutRGB want = source.ApplyToColor(x), got = back.ApplyToColor(x);
      ASSERT_NEAR(got.R, want.R, c.tol) << x.R;
      ASSERT_NEAR(got.G, want.G, c.tol) << x.G;
      ASSERT_NEAR(got.B, want.B, c.tol) << x.B;
    }
  }
}

// A profile that cannot hold a domain gets the LUT over 0..1, as before.
TEST_F(Conversion, WithoutADomainTheOutputCoversZeroToOne) {
  const fs::path in = Write("in.cube", "LUT_3D_SIZE 2\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 2 2 2\n"
                                       "0 0 0\n2 0 0\n0 2 0\n2 2 0\n0 0 2\n2 0 2\n0 2 2\n2 2 2\n");
  const TShapedLut shaped = ReadShaped(LutRegistry(), in, Profile("Quantel 3D"), 3, -1, {});
  // 2 points onto 3 lose nothing but the domain.
  ASSERT_EQ(shaped.Losses.size(), 1u);
  EXPECT_EQ(shaped.Losses[0].Text, "Inputs outside 0..1 are lost (the input domain is 0 .. 2).");
  EXPECT_EQ(shaped.Losses[0].Size, 1);
  const TLUT& target = shaped.Lut;
  EXPECT_TRUE(target.Domain3D.IsUnit());
  EXPECT_EQ(target.Cube(1, 2, 0), (TLutRGB{0.5, 1, 0}));
}

// What a conversion's resampling loses is said: a change of size that
// loses something, with the largest difference, and a cube that mixes
// channels written as curves. The file's own size is kept when asked.
TEST_F(Conversion, LossySizeChangesAndChannelMixingAreSaid) {
  TLUT bent = MakeCube(57);
  bent.Cube(20, 31, 7) = {0.9, 0.1, 0.4};  // a bend 33 points cannot hold
  TLUT mixed = MakeCube(17);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) mixed.Cube(r, g, b).R = (r + g) / 32.0;
  const TLutOutputProfile& davinci = Profile("Cube 3D Davinci");
  LutRegistry().SaveLut(Path("bent.cube"), bent, davinci, -1);
  LutRegistry().SaveLut(Path("mixed.cube"), mixed, davinci, -1);
  LutRegistry().SaveLut(Path("small.cube"), MakeCube(17), davinci, -1);
  TLUT identity;
  identity.LutType = lt3D;
  identity.SetSize3D(17);
  identity.FillIdentity3D();
  LutRegistry().SaveLut(Path("identity.cube"), identity, davinci, -1);
  const struct {
    const char* Name;
    const char* File;
    const char* Profile;
    int Size;
    int Written;
    const char* Warning;  // the start of the one warning; "" for none
  } cases[] = {
      {"57 onto the default 33", "bent.cube", "Cube 3D Davinci", 33, 33,
       "The table was resampled from 57 to 33 points: up to 0."},
      {"the file's own size kept", "bent.cube", "Cube 3D Davinci", KeepSourceSize, 57, ""},
      {"a fixed size is the profile's", "bent.cube", "Quantel 3D", KeepSourceSize, 17,
       "The table was resampled from 57 to 17 points"},
      {"17 onto 33 loses nothing", "small.cube", "Cube 3D Davinci", 33, 33, ""},
      {"a mixing cube as curves", "mixed.cube", "Cube 1D", 4096, 4096,
       "The 3D LUT mixes channels, which 1D curves cannot hold: they take its grey diagonal, "
       "and colours off it differ by up to 0.50."},
      {"a cube without mixing as curves", "identity.cube", "Cube 1D", 4096, 4096, ""},
      {"a cube as curves of its own size", "identity.cube", "Cube 1D", KeepSourceSize, 4096, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TShapedLut shaped =
        ReadShaped(LutRegistry(), Path(c.File), Profile(c.Profile), c.Size, -1, {});
    const TLUT& target = shaped.Lut;
    EXPECT_EQ(target.LutType == lt1D ? target.Size1D() : target.Size3D(), c.Written);
    std::vector<std::string> warnings;
    for (const TWriteLoss& loss : shaped.Losses) warnings.push_back(loss.Text);
    if (*c.Warning == '\0') {
      EXPECT_TRUE(warnings.empty()) << warnings.front();
    } else {
      ASSERT_EQ(warnings.size(), 1u);
      EXPECT_EQ(warnings[0].substr(0, std::string(c.Warning).size()), c.Warning) << warnings[0];
    }
  }
}

// A Resolve cube's shaper stays a shaper where the profile writes one, at
// any cube size; elsewhere it is baked into the cube.
TEST_F(Conversion, AShaperIsKeptWhereTheProfileWritesOne) {
  std::string text = "LUT_1D_SIZE 5\nLUT_3D_SIZE 2\n";
  for (double x : {0.0, 0.5, 0.75, 0.9, 1.0}) text += std::to_string(x) + " " + std::to_string(x) + " " + std::to_string(x) + "\n";
  text += "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
  const fs::path in = Write("shaper.cube", text);
  const TLUT source = Load(in);
  ASSERT_EQ(source.LutType, lt1DThen3D);
  for (int size : {33, 4}) {
    SCOPED_TRACE(size);
    const TLUT kept = ReadShaped(LutRegistry(), in, Profile("Cube 3D Davinci"), size, -1, {}).Lut;
    ASSERT_EQ(kept.LutType, lt1DThen3D);
    EXPECT_EQ(kept.Size1D(), 5);
    for (double x : {0.1, 0.3, 0.62, 0.95})
      EXPECT_NEAR(kept.ApplyToColor({x, x, x}).G, source.ApplyToColor({x, x, x}).G, 1e-12) << x;
  }
  const TLUT baked =
      ReadShaped(LutRegistry(), in, Profile("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke"), 4, -1, {}).Lut;
  EXPECT_EQ(baked.LutType, lt3D);
}

}  // namespace

namespace {

// A cube's TITLE is shown with the comments and carried into every output
// that has a title or comment lines, and read back from the cubes we write.
TEST_F(Conversion, TheCubeTitleIsShownAndCarried) {
  const fs::path source = Write("titled.cube",
                                "TITLE \"Night grade\"\n# a comment\nLUT_3D_SIZE 2\n0 0 0\n1 0 0\n"
                                "0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  const TLUT lut = Load(source);
  EXPECT_EQ(lut.Title, "Night grade");
  const std::vector<std::string> info = LutInfoLines(lut);
  EXPECT_NE(std::find(info.begin(), info.end(), "TITLE \"Night grade\""), info.end());
  const struct {
    const char* Profile;
    const char* Line;
    bool ReadBack;
  } cases[] = {
      {"Cube 3D Davinci", "TITLE \"Night grade\"", true},
      {"Cube 1D", "TITLE \"Night grade\"", true},
      {"Nucoda 3D", "TITLE \"Night grade\"", false},
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "# TITLE \"Night grade\"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = Profile(c.Profile);
    const fs::path out = Path(std::string("out.") + profile.Extension);
    ConvertLutFile(LutRegistry(), source, out, profile, profile.DefaultSize, -1);
    const std::string text = ReadText(out);
    EXPECT_NE(text.find(std::string(c.Line) + "\n"), std::string::npos) << text.substr(0, 200);
    if (c.ReadBack) {
      EXPECT_EQ(Load(out).Title, "Night grade");
    }
  }
}

}  // namespace
