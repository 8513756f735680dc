// Every output profile of the registry, written and read back: the file is
// detected as the profile's format and holds the same values within the
// precision the format writes them at.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "TestSupport.h"
#include "core/LUTFormat.h"
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
    {"Academy/ASC CLF 3D", 0x1p-24},  // read back through OpenColorIO's floats
    {"Cinespace 3D", 0x1p-24},
    {"Sony Imageworks spi3d", 0x1p-24},
    {"Sony Imageworks spi1d", 0x1p-24},
};

// Profiles whose files are written but not recognised as their own format on
// reading: write-only formats (their Detect refuses all; another format may
// still recognise the file, as a SpeedGrade look does a Premiere look), and
// "Dolby DD3", whose ".dd3" extension the 3DL recogniser does not take.
const std::set<std::string> WriteOnly = {"Dolby DD3", "Cine-tal 1D", "Shake 1D",
                                         "Adobe Premiere Look", "Open Broadcaster Software 3D PNG"};

// Profiles whose files another format reads back (by that format's name).
const std::map<std::string, std::string> ReadBackAs = {{"Nucoda 1D", "Nucoda 3D"}};

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
  const fs::path file = Path("round-trip." + profile.Extension);
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
