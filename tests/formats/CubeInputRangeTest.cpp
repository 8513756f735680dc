// Shaper cubes and input ranges, checked against records built directly from
// the same tables: what the file means at x is what the record gives at x.
#include "formats/CubeInputRange.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "TestSupport.h"
#include "core/StringLib.h"
#include "core/LutInfo.h"
#include "ops/Conversion.h"
#include "registry/FormatTable.h"

namespace {

double Six(double v) { return std::nearbyint(v * 1e6) / 1e6; }  // as written with 6 decimals

TLUT LogShaper(int m) {
  TLUT lut;
  lut.LutType = lt1D;
  lut.SetSize1D(m);
  for (int i = 0; i < m; ++i) {
    const double x = i / (m - 1.0);
    lut.Curve(i) = {Six(std::log2(1 + 15 * x) / 4), Six(std::log2(1 + 7 * x) / 3), Six(std::sqrt(x))};
  }
  return lut;
}

TLUT RoundedCube(int n) {
  TLUT lut = MakeCube(n);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        TLutRGB& c = lut.Cube(r, g, b);
        c = {Six(c.R), Six(c.G), Six(c.B)};
      }
  return lut;
}

std::string Lines(const TLUT& lut, bool curves) {
  std::string text;
  auto add = [&](const TLutRGB& c) {
    AppendFixed(text, 6, c.R);
    text += ' ';
    AppendFixed(text, 6, c.G);
    text += ' ';
    AppendFixed(text, 6, c.B);
    text += '\n';
  };
  if (curves) {
    for (int i = 0; i < lut.Size1D(); ++i) add(lut.Curve(i));
  } else {
    const int n = lut.Size3D();
    for (int b = 0; b < n; ++b)
      for (int g = 0; g < n; ++g)
        for (int r = 0; r < n; ++r) add(lut.Cube(r, g, b));
  }
  return text;
}

TLUT Combined(const TLUT& curves, const TLUT& cube) {
  TLUT both = cube;
  both.LutType = lt1DThen3D;
  both.SetSize1D(curves.Size1D());
  for (int i = 0; i < curves.Size1D(); ++i) both.Curve(i) = curves.Curve(i);
  return both;
}

class CubeRanges : public TempDirTest {
 protected:
  TLUT Load(const fs::path& file) {
    TLUT lut;
    LutRegistry().LoadLut(file, lut, -1);
    return lut;
  }
  // Compare at many inputs over lo..hi, the ends of 0..1 included; the
  // expected function gets the input as it is.
  template <typename Expected>
  void ExpectSame(const TLUT& lut, Expected expected, double tol = 1e-12, double lo = -0.2,
                  double hi = 1.2) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(lo, hi);
    for (int k = 0; k < 500; ++k) {
      const TLutRGB x = k < 2 ? TLutRGB{double(k), double(k), double(k)} : TLutRGB{u(rng), u(rng), u(rng)};
      const TLutRGB got = lut.ApplyToColor(x), want = expected(x);
      ASSERT_NEAR(got.R, want.R, tol) << x.R;
      ASSERT_NEAR(got.G, want.G, tol) << x.G;
      ASSERT_NEAR(got.B, want.B, tol) << x.B;
    }
  }
};

TEST_F(CubeRanges, ShaperCubeReadsAsCurvesThenCubeInEitherOrder) {
  const TLUT shaper = LogShaper(1024), cube = RoundedCube(33);
  const TLUT reference = Combined(shaper, cube);
  const std::string curves = Lines(shaper, true), nodes = Lines(cube, false);
  const fs::path a = Write("a.cube", "# shaper first\nLUT_1D_SIZE 1024\nLUT_3D_SIZE 33\n" + curves + nodes);
  const fs::path b = Write("b.cube", "TITLE \"x\"\nLUT_3D_SIZE 33\n# kept\nLUT_1D_SIZE 1024\n" + curves + nodes);
  for (const fs::path& file : {a, b}) {
    const TLUT lut = Load(file);
    ASSERT_EQ(lut.LutType, lt1DThen3D);
    EXPECT_EQ(LutInfoLines(lut)[0], "Type: 1D & 3D");
    EXPECT_EQ(LutInfoLines(lut)[1], "Dimension: 1024 & 33");
    ExpectSame(lut, [&](const TLutRGB& x) { return reference.ApplyToColor(x); });
  }
  EXPECT_EQ(Load(b).Comments, std::vector<std::string>{"kept"});

  // Baked into a 33-point cube by a profile without shapers, each node is
  // the shaper then the cube at that node.
  ConvertLutFile(LutRegistry(), a, Path("baked.cube"),
                 ProfileNamed("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke"), 33, -1);
  const TLUT baked = Load(Path("baked.cube"));
  ASSERT_EQ(baked.LutType, lt3D);
  for (int i = 0; i < 33; i += 4) {
    const TLutRGB want = reference.ApplyToColor({i / 32.0, (32 - i) / 32.0, i / 64.0});
    const TLutRGB got = baked.Cube(i, 32 - i, i / 2);
    if (i % 2 == 0) {
      EXPECT_NEAR(got.R, want.R, 1e-6);
      EXPECT_NEAR(got.G, want.G, 1e-6);
      EXPECT_NEAR(got.B, want.B, 1e-6);
    }
  }
}

TEST_F(CubeRanges, DomainOfACubeScalesItsInput) {
  const TLUT cube = RoundedCube(9);
  const TLUT lut = Load(Write("d.cube", "LUT_3D_SIZE 9\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 2 2 2\n" + Lines(cube, false)));
  ASSERT_EQ(lut.LutType, lt3D);
  EXPECT_EQ(lut.Domain3D, (TLutDomain{{0, 0, 0}, {2, 2, 2}}));
  ExpectSame(lut, [&](const TLutRGB& x) { return cube.ApplyToColor({x.R / 2, x.G / 2, x.B / 2}); },
             1e-12, -0.5, 2.5);

  const TLUT per = Load(Write("p.cube", "DOMAIN_MIN -1 0 0.5\nDOMAIN_MAX 1 4 1\nLUT_3D_SIZE 9\n" + Lines(cube, false)));
  ExpectSame(per, [&](const TLutRGB& x) {
    return cube.ApplyToColor({(x.R + 1) / 2, x.G / 4, (x.B - 0.5) / 0.5});
  }, 1e-12, -1.5, 4.5);
  EXPECT_EQ(LutInfoLines(per)[2], "Input domain: R -1 .. 1, G 0 .. 4, B 0.5 .. 1");

  // A range of 0..1 changes nothing: the record is the plain cube, described as ever.
  const TLUT unit = Load(Write("u.cube", "DOMAIN_MIN 0 0 0\nDOMAIN_MAX 1 1 1\nLUT_3D_SIZE 9\n" + Lines(cube, false)));
  EXPECT_EQ(unit.LutType, lt3D);
  EXPECT_TRUE(unit.Domain3D.IsUnit());
  EXPECT_EQ(LutInfoLines(unit).size(), 2u);
}

TEST_F(CubeRanges, CurvesAreKeptAsReadWithTheirRanges) {
  const TLUT shaper = LogShaper(4097);
  const TLUT oneD = Load(Write("c.cube", "LUT_1D_SIZE 4097\nLUT_1D_INPUT_RANGE 0 2\n" + Lines(shaper, true)));
  ASSERT_EQ(oneD.LutType, lt1D);
  ASSERT_EQ(oneD.Size1D(), 4097);
  EXPECT_EQ(oneD.Curve(1234), shaper.Curve(1234));
  ExpectSame(oneD, [&](const TLutRGB& x) { return shaper.ApplyToColor({x.R / 2, x.G / 2, x.B / 2}); },
             1e-12, -0.5, 2.5);

  const TLUT cube = RoundedCube(9);
  const TLUT both = Load(Write("s.cube", "LUT_1D_SIZE 4097\nLUT_3D_SIZE 9\nLUT_1D_INPUT_RANGE -0.5 1\n"
                                        "LUT_3D_INPUT_RANGE 0 0.5\n" + Lines(shaper, true) + Lines(cube, false)));
  EXPECT_EQ(LutInfoLines(both)[2], "Input domain: -0.5 .. 1");
  EXPECT_EQ(LutInfoLines(both)[3], "Cube input domain: 0 .. 0.5");
  ExpectSame(both, [&](const TLutRGB& x) {
    const TLutRGB s = shaper.ApplyToColor({(x.R + 0.5) / 1.5, (x.G + 0.5) / 1.5, (x.B + 0.5) / 1.5});
    return cube.ApplyToColor({s.R / 0.5, s.G / 0.5, s.B / 0.5});
  }, 1e-12, -1, 1.5);
}

// The cases the domain fault was reported with: what the file means beyond
// 0..1 reaches the record, and a short shaper is taken entry for entry.
TEST_F(CubeRanges, ReportedDomainCases) {
  auto srgb = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  // An sRGB EOTF over 0..3, 33 points.
  std::string eotf = "LUT_3D_SIZE 33\nDOMAIN_MIN 0 0 0\nDOMAIN_MAX 3 3 3\n";
  for (int b = 0; b < 33; ++b)
    for (int g = 0; g < 33; ++g)
      for (int r = 0; r < 33; ++r)
        eotf += FormatFixed(6, srgb(3 * r / 32.0)) + " " + FormatFixed(6, srgb(3 * g / 32.0)) + " " +
                FormatFixed(6, srgb(3 * b / 32.0)) + "\n";
  TLUT identity;
  identity.LutType = lt3D;
  identity.SetSize3D(2);
  identity.FillIdentity3D();
  // A Resolve shaper over -1..3 (out = (x + 1) / 4) in front of an identity cube.
  std::string resolve = "LUT_1D_SIZE 5\nLUT_1D_INPUT_RANGE -1 3\nLUT_3D_SIZE 2\n";
  for (int i = 0; i < 5; ++i) resolve += FormatFixed(6, i / 4.0) + " " + FormatFixed(6, i / 4.0) + " " + FormatFixed(6, i / 4.0) + "\n";
  resolve += Lines(identity, false);
  // A 10-entry shaper (squares) over 0..1: read entry for entry, not resampled.
  std::string ten = "LUT_1D_SIZE 10\nLUT_3D_SIZE 2\n";
  for (int i = 0; i < 10; ++i) {
    const std::string v = FormatFixed(6, (i / 9.0) * (i / 9.0));
    ten += v + " " + v + " " + v + "\n";
  }
  ten += Lines(identity, false);
  struct Case {
    const char* name;
    std::string text;
    TLutRGB in, out;
    double tol;
  } cases[] = {
      {"eotf", eotf, {0.82, 1.13, 3.0}, {srgb(0.82), srgb(1.13), srgb(3.0)}, 0.003},
      {"resolve", resolve, {-0.5, 2.5, 3.5}, {0.125, 0.875, 1.0}, 1e-12},
      {"ten", ten, {1 / 9.0, 0.5, 8.5 / 9}, {1 / 81.0, (16 + 25) / 162.0, (64 + 81) / 162.0}, 1e-6},
  };
  for (const Case& c : cases) {
    const TLUT lut = Load(Write(std::string(c.name) + ".cube", c.text));
    const TLutRGB y = lut.ApplyToColor(c.in);
    EXPECT_NEAR(y.R, c.out.R, c.tol) << c.name;
    EXPECT_NEAR(y.G, c.out.G, c.tol) << c.name;
    EXPECT_NEAR(y.B, c.out.B, c.tol) << c.name;
  }
  EXPECT_EQ(Load(Path("ten.cube")).Size1D(), 10);
}

TEST_F(CubeRanges, MalformedRangeLinesNameTheLine) {
  struct Case {
    const char* header;
    const char* message;
  } cases[] = {
      {"DOMAIN_MIN 0 0\n", "line 2 (\"DOMAIN_MIN 0 0\"): numbers are missing"},
      {"DOMAIN_MAX 1 nan 1\n", "line 2 (\"DOMAIN_MAX 1 nan 1\"): not a finite number"},
      {"DOMAIN_MIN 1 0 0\nDOMAIN_MAX 1 1 1\n", "line 3 (\"DOMAIN_MAX 1 1 1\"): the minimum must be below"},
      {"LUT_3D_INPUT_RANGE 1 1\n", "line 2 (\"LUT_3D_INPUT_RANGE 1 1\"): the minimum must be below"},
      {"LUT_3D_INPUT_RANGE 0 1 2\n", "too many numbers"},
  };
  const std::string nodes = Lines(RoundedCube(2), false);
  for (const Case& c : cases) {
    try {
      Load(Write("bad.cube", std::string("LUT_3D_SIZE 2\n") + c.header + nodes));
      ADD_FAILURE() << c.header;
    } catch (const ELUTError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
