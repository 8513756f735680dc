// Every output profile of the registry, written and read back: the file is
// detected as the profile's format and holds the same values within the
// precision the format writes them at.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "TestSupport.h"
#include "core/LUTFormat.h"

namespace {

// Precision of formats that print in their own number style (default bits 0)
// or at another scale than their bits say; others: half a code at their bits.
const std::map<std::string, double> OwnPrecision = {
    {"Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", 5e-7},
    {"Cube 3D Davinci", 5e-7},
    {"Cube 3D Truelight", 5e-7},
    {"FSI CFE (Flanders Scientific) 3D", 5e-7},
    {"FSI DIT (Flanders Scientific) 3D", 0.5 / 1008},
    {"Panasonic 3D vlt, Varicam", 0.5 / 4095},
    {"Cube 1D", 5e-7},
};

// Formats that are written but never read back (their Detect refuses all).
const std::set<std::string> WriteOnly = {"Open Broadcaster Software 3D PNG"};

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
  const fs::path file = Path("round-trip." + profile.Extension);
  registry.SaveLut(file, source, profile, -1);
  if (WriteOnly.count(profile.Name)) {
    EXPECT_EQ(registry.DetectLutFormat(file), -1);
    return;
  }
  ASSERT_EQ(registry.DetectLutFormat(file), profile.FormatIndex);
  TLUT back;
  registry.LoadLut(file, back, -1);
  ASSERT_EQ(back.FormatIndex, profile.FormatIndex);
  ASSERT_EQ(back.LutType, source.LutType);
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

INSTANTIATE_TEST_SUITE_P(
    AllProfiles, RoundTrip,
    ::testing::Range(0, static_cast<int>(LutRegistry().LutOutputProfiles.size())),
    [](const ::testing::TestParamInfo<int>& info) {
      std::string name = std::to_string(info.param) + "_" + LutRegistry().GetOutputProfile(info.param).Name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

}  // namespace
