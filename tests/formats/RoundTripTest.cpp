// Every output profile of the registry, written and read back: the file is
// detected as the profile's format and holds the same values within the
// precision the format writes them at.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "TestSupport.h"
#include "core/LUTFormat.h"
#include "core/StringLib.h"
#include "ops/WriteStep.h"
#include "registry/FormatTable.h"

namespace {

// Precision of formats that print in their own number style (default bits 0)
// or at another scale than their bits say; others: half a code at their bits.
const std::map<std::string, double> OwnPrecision = {
    {"Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", 5e-7},
    {"Cube 3D Davinci", 5e-7},
    {"Cube 3D Truelight", 5e-7},
    {"Davinci DAT 3D", 5e-7},
    {"FSI CFE (Flanders Scientific) 3D", 5e-7},
    {"FSI DIT (Flanders Scientific) 3D", 0.5 / 1008},
    {"Panasonic 3D vlt, Varicam", 0.5 / 4095},
    {"Cube 1D", 5e-7},
    {"Colorfront OSD 3D", 5e-7},
    {"Nucoda 3D", 5e-7},
    {"Blackmagic HDLink 1D", 0.005 / 1000},
    {"Colorfront OSD 1D", 5e-7},
    {"Filmlight Truelight 1D", 5e-7},
    {"Nucoda 1D", 5e-7},
    {"Adobe SpeedGrade Look", 0x1p-24},  // 32-bit floats of values up to 1
    {"Adobe Premiere Look", 5e-7},       // its companion .cube
    {"Academy/ASC CLF 3D", 0x1p-24},  // read back through OpenColorIO's floats
    {"Cinespace 3D", 0x1p-24},
    {"Sony Imageworks spi3d", 0x1p-24},
    {"Sony Imageworks spi1d", 0x1p-24},
};

// Profiles whose files are written but not recognised as their own format on
// reading: write-only formats (their Detect refuses all; another format may
// still recognise the file, as a SpeedGrade look does a Premiere look).
const std::set<std::string> WriteOnly = {"Cine-tal 1D", "Shake 1D",
                                         "Open Broadcaster Software 3D PNG"};

// Profiles whose files another format reads back (by that format's name).
const std::map<std::string, std::string> ReadBackAs = {
    {"Nucoda 1D", "Nucoda 3D"}, {"Adobe Premiere Look", "Adobe SpeedGrade Look 3D"}};

// Profiles whose files read back as another kind than the record written
// (an identity curve put before the cube); the cube is compared.
const std::map<std::string, TLutType> ReadBackType = {
    {"Nucoda 3D", lt1DThen3D},
};

int ReaderIndex(const TLutRegistry& registry, const TLutOutputProfile& profile) {
  const auto it = ReadBackAs.find(profile.Name);
  if (it == ReadBackAs.end()) return profile.FormatIndex;
  for (int i = 0; i < registry.FormatCount(); ++i)
    if (registry.GetLutFormat(i)->Name == it->second) return i;
  return -1;
}

double Precision(const TLutOutputProfile& p) {
  if (auto it = OwnPrecision.find(p.Name); it != OwnPrecision.end()) return it->second;
  EXPECT_GT(p.DefaultBits, 0) << p.Name << ": add its precision to the table";
  return 0.5 / ((1 << p.DefaultBits) - 1);
}

class RoundTrip : public TempDirTest, public ::testing::WithParamInterface<int> {};

TEST_P(RoundTrip, WriteDetectReadBack) {
  const TLutRegistry& registry = LutRegistry();
  const TLutOutputProfile& profile = registry.GetOutputProfile(GetParam());
  SCOPED_TRACE(profile.Name);
  const bool is3D = registry.ProfileFormat(profile).Is3D;
  TLUT source = is3D ? MakeCube(profile.DefaultSize) : MakeCurves(profile.DefaultSize);
  source.Comments = {"first comment", "second"};
  // Writers embed the name; keywords of other formats in it must not matter.
  const fs::path file = Path("grade_3dmesh_LUT16_v2." + profile.Extension);
  registry.SaveLut(file, source, profile, -1);
  if (WriteOnly.count(profile.Name)) {
    EXPECT_NE(registry.DetectLutFormat(file), profile.FormatIndex);
    return;
  }
  const int reader = ReaderIndex(registry, profile);
  ASSERT_GE(reader, 0) << ReadBackAs.at(profile.Name) << " is not registered";
  ASSERT_EQ(registry.DetectLutFormat(file), reader);
  TLUT back;
  registry.LoadLut(file, back, -1);
  ASSERT_EQ(back.FormatIndex, reader);
  const auto readBack = ReadBackType.find(profile.Name);
  ASSERT_EQ(back.LutType, readBack != ReadBackType.end() ? readBack->second : source.LutType);
  const double tol = Precision(profile) * (1 + 1e-9);
  double worst = 0;
  if (is3D) {
    ASSERT_EQ(back.Size3D(), source.Size3D());
    const int n = source.Size3D();
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) {
          const TLutRGB &x = source.Cube(r, g, b), &y = back.Cube(r, g, b);
          worst = std::max({worst, std::abs(x.R - y.R), std::abs(x.G - y.G), std::abs(x.B - y.B)});
        }
  } else {
    ASSERT_EQ(back.Size1D(), source.Size1D());
    for (int i = 0; i < source.Size1D(); ++i) {
      const TLutRGB &x = source.Curve(i), &y = back.Curve(i);
      worst = std::max({worst, std::abs(x.R - y.R), std::abs(x.G - y.G), std::abs(x.B - y.B)});
    }
  }
  EXPECT_LE(worst, tol);
}

// LUT shapes that a guess of the code depth from the values gets wrong:
// each one is written at the profile's bits and must read back at exactly
// the codes written.
struct TShape {
  const char* Name;
  TLutRGB (*Apply)(const TLutRGB& x);
};
const TShape Shapes[] = {
    {"identity", [](const TLutRGB& x) { return x; }},
    {"grade", [](const TLutRGB& x) { return TestColour(x); }},
    {"constant", [](const TLutRGB&) { return TLutRGB{0.973, 0.973, 0.973}; }},
    {"inverted", [](const TLutRGB& x) { return TLutRGB{1 - x.R, 1 - x.G, 1 - x.B}; }},
    {"dark", [](const TLutRGB& x) { return TLutRGB{0.2 * x.R, 0.15 * x.G, 0.1 * x.B}; }},
    {"lifted black", [](const TLutRGB& x) { return TLutRGB{0.3 + 0.7 * x.R, 0.3 + 0.7 * x.G, 0.3 + 0.7 * x.B}; }},
    {"clipped", [](const TLutRGB& x) { return TLutRGB{1.3 * x.R - 0.1, 1.5 * x.G, x.B - 0.2}; }},
};

// The Codex writer keeps codes outside the range.
TLutRGB Quantised(const TLutRGB& x, int bits, bool clamped) {
  auto q = [bits, clamped](double v) {
    return (clamped ? static_cast<double>(CodeValue(bits, v)) : std::nearbyint(v * MaxCode(bits))) /
           MaxCode(bits);
  };
  return {q(x.R), q(x.G), q(x.B)};
}

double Difference(const TLutRGB& x, const TLutRGB& y) {
  return std::max({std::abs(x.R - y.R), std::abs(x.G - y.G), std::abs(x.B - y.B)});
}

TEST_P(RoundTrip, IntegerCodesReadBackAtTheirOwnDepth) {
  const TLutRegistry& registry = LutRegistry();
  const TLutOutputProfile& profile = registry.GetOutputProfile(GetParam());
  if (profile.DefaultBits == 0 || OwnPrecision.count(profile.Name) || WriteOnly.count(profile.Name))
    GTEST_SKIP() << "not written as integer codes at its bits, or not read back";
  const bool is3D = registry.ProfileFormat(profile).Is3D;
  const bool clamped = profile.Name != "Codex 1D, Sony SRW-1, Scratch 1D";
  std::vector<int> depths = {profile.DefaultBits};
  // Pictures hold 8 or 16 bits.
  if (profile.BitsSelectable) depths = {8, 10, 12, 14, 16};
  if (profile.BitsSelectable && profile.Extension == "png") depths = {8, 16};
  for (const int bits : depths)
    for (const TShape& shape : Shapes) {
      SCOPED_TRACE(profile.Name + ", " + shape.Name + ", " + std::to_string(bits) + " bits");
      TLUT source = is3D ? MakeCube(profile.DefaultSize) : MakeCurves(profile.DefaultSize);
      if (is3D) {
        const int n = source.Size3D();
        for (int r = 0; r < n; ++r)
          for (int g = 0; g < n; ++g)
            for (int b = 0; b < n; ++b)
              source.Cube(r, g, b) = shape.Apply({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
      } else {
        const int m = source.Size1D();
        for (int i = 0; i < m; ++i) {
          const double x = i / (m - 1.0);
          source.Curve(i) = shape.Apply({x, x, x});
        }
      }
      // A 3DL table far below full scale reads back at a lower depth, as
      // the field reads it; the write step says so.
      bool misread = false;
      for (const TWriteLoss& loss : ShapeForProfile(registry, TLUT(source), profile,
                                                    profile.DefaultSize, bits).Losses)
        misread = misread || loss.Cause == TLossCause::Depth;
      if (misread) continue;
      const fs::path file = Path("shape." + profile.Extension);
      registry.SaveLut(file, source, profile, bits);
      TLUT back;
      registry.LoadLut(file, back, -1);
      ASSERT_EQ(back.FormatIndex, ReaderIndex(registry, profile));
      double worst = 0;
      if (is3D) {
        const int n = source.Size3D();
        ASSERT_EQ(back.Size3D(), n);
        for (int r = 0; r < n; ++r)
          for (int g = 0; g < n; ++g)
            for (int b = 0; b < n; ++b)
              worst = std::max(worst, Difference(Quantised(source.Cube(r, g, b), bits, clamped), back.Cube(r, g, b)));
      } else {
        ASSERT_EQ(back.Size1D(), source.Size1D());
        for (int i = 0; i < source.Size1D(); ++i)
          worst = std::max(worst, Difference(Quantised(source.Curve(i), bits, clamped), back.Curve(i)));
      }
      EXPECT_LE(worst, 1e-12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllProfiles, RoundTrip,
    ::testing::Range(0, static_cast<int>(LutRegistry().LutOutputProfiles().size())),
    [](const ::testing::TestParamInfo<int>& info) {
      std::string name = std::to_string(info.param) + "_" + LutRegistry().GetOutputProfile(info.param).Name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

}  // namespace
