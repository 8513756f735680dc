#include "ops/OutputCheck.h"

#include <cmath>

#include "TestSupport.h"
#include "core/Errors.h"
#include "ops/Conversion.h"
#include "registry/FormatTable.h"

namespace {

using OutputCheck = TempDirTest;

TEST_F(OutputCheck, ClippingIsCountedWhereTheWriterClipsAndNowhereElse) {
  TLUT lut = MakeCube(2);
  lut.Cube(0, 0, 0) = {-0.1, 0, 0};
  lut.Cube(1, 1, 1) = {1.2, 63, 1};
  const TLutRegistry& registry = LutRegistry();
  const struct {
    const char* Profile;
    std::size_t Count;
  } cases[] = {
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", 3},
      {"Autodesk Lustre 3D", 3},
      {"Cube 3D Davinci", 0},  // floating-point text keeps every value
      {"Davinci DAT 3D", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TClipReport report = CountClipped(registry, ProfileNamed(c.Profile), lut);
    EXPECT_EQ(report.Count, c.Count);
    EXPECT_EQ(ClipWarning(report).empty(), c.Count == 0);
  }
  const TClipReport report = CountClipped(registry, ProfileNamed("Quantel 3D"), lut);
  EXPECT_EQ(ClipWarning(report), "3 values outside 0..1 (from -0.1 to 63) were clipped.");
  // Codex codes are written unclamped.
  TLUT curves = MakeCurves(4);
  curves.Curve(3).R = 1.5;
  EXPECT_EQ(CountClipped(registry, ProfileNamed("Codex 1D, Sony SRW-1, Scratch 1D"), curves).Count, 0u);
  EXPECT_EQ(CountClipped(registry, ProfileNamed("Quantel 1D"), curves).Count, 1u);
  // The range is that of the clipped values, not of all the data (0 .. 1.5).
  curves.Curve(2).G = 1.25;
  EXPECT_EQ(ClipWarning(CountClipped(registry, ProfileNamed("Quantel 1D"), curves)),
            "2 values outside 0..1 (from 1.25 to 1.5) were clipped.");
}

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
    EXPECT_EQ(DepthWarning(registry, profile, lut, c.Bits), c.Warning);
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
