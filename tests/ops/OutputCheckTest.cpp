#include "ops/OutputCheck.h"

#include <cmath>

#include "TestSupport.h"
#include "core/Errors.h"
#include "ops/Conversion.h"
#include "ops/WriteStep.h"
#include "registry/FormatTable.h"

namespace {

using OutputCheck = TempDirTest;

// A 3DL table far below full scale reads back at a lower depth (as the
// field's readers take it): the write says so, and --verify shows it.
TEST_F(OutputCheck, ADark3dlTableIsSaidToReadBackAtAnotherDepth) {
  const TLutRegistry& registry = LutRegistry();
  auto scaled = [](double k) {
    TLUT lut = MakeCube(2);
    for (int r = 0; r < 2; ++r)
      for (int g = 0; g < 2; ++g)
        for (int b = 0; b < 2; ++b) lut.Cube(r, g, b) = {k * r, k * g, k * b};
    return lut;
  };
  const struct {
    const char* Profile;
    double Scale;
    int Bits;
    const char* Warning;
  } cases[] = {
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", 0.2, -1,
       "Its largest code is 819 of 4095, so readers take this 12-bit 3DL file as 10-bit: it "
       "reads back about 4 times too bright."},
      {"3DL Fusion", 1.0, -1, ""},
      {"3DL Fusion", 0.3, -1, ""},  // 1229 is beyond 10-bit full scale with headroom
      {"Autodesk Lustre 3D", 0.2, -1, ""},  // its Mesh line states the depth
      {"Cube 3D Davinci", 0.2, -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Profile) + " " + std::to_string(c.Scale));
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const TLUT lut = scaled(c.Scale);
    const std::vector<TWriteLoss> losses =
        ShapeForProfile(registry, TLUT(lut), profile, profile.DefaultSize, c.Bits).Losses;
    EXPECT_EQ(losses.empty() ? std::string() : losses.front().Text, c.Warning);
    registry.SaveLut(Path("dark." + profile.Extension), lut, profile, c.Bits);
    const double off = VerifyOutput(registry, lut, Path("dark." + profile.Extension));
    EXPECT_EQ(off > 0.1, *c.Warning != '\0') << off;
  }
}

// Every profile's output, read back, is compared with its source; only the
// write-only profiles cannot be read back (some are read by another format:
// the look's cube, Nucoda's curves, the picture strip).
TEST_F(OutputCheck, EveryReadableProfileVerifies) {
  const TLutRegistry& registry = LutRegistry();
  TLUT source = MakeCube(17);
  registry.SaveLut(Path("source.cube"), source, ProfileNamed("Cube 3D Davinci"), -1);
  registry.LoadLut(Path("source.cube"), source, -1);
  for (const TLutOutputProfile& profile : registry.LutOutputProfiles()) {
    SCOPED_TRACE(profile.Name);
    const fs::path output = Path("out." + profile.Extension);
    ConvertLutFile(registry, Path("source.cube"), output, profile, profile.DefaultSize, -1);
    const bool writeOnly = !registry.ProfileFormat(profile).Can(fcRead) &&
                           profile.Name != "Adobe Premiere Look" && profile.Name != "Nucoda 1D" &&
                           profile.Name != "Open Broadcaster Software 3D PNG";
    if (writeOnly) {
      EXPECT_THROW(VerifyOutput(registry, source, output), ELUTError);
      continue;
    }
    const double difference = VerifyOutput(registry, source, output);
    // 1D outputs lose what the cube does across channels; cubes keep it,
    // the coarser the more loosely (SpeedGrade's 8 points).
    const bool is3D = registry.ProfileFormat(profile).Is3D;
    EXPECT_LT(difference, !is3D ? 0.5 : profile.DefaultSize < 16 ? 0.1 : 0.02);
  }
}

}  // namespace
