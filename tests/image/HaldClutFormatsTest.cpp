// Hald CLUT and strip pictures as files: written through their profiles,
// recognised by size and content (the 512 x 512 picture in the layout it was
// made in), read at the picture's depth, and what is not theirs refused.
#include "image/HaldClutFormats.h"

#include <algorithm>
#include <cmath>

#include "TestSupport.h"
#include "image/HaldImage.h"
#include "image/ImageTestSupport.h"
#include "registry/FormatTable.h"

namespace {

class HaldClutFormats : public TempDirTest {
 protected:
  const TLutRegistry& Registry = LutRegistry();
  int HaldIndex = Registry.IndexOf(typeid(THaldClut3DLutFormat));
  int StripIndex = Registry.IndexOf(typeid(TStrip3DLutFormat));

  const TLutOutputProfile& Profile(const std::string& name) {
    for (const TLutOutputProfile& p : Registry.LutOutputProfiles())
      if (p.Name == name) return p;
    throw std::logic_error("no profile " + name);
  }
};

double WorstDifference(const TLUT& want, const TLUT& got) {
  const int n = got.Size3D();
  double worst = 0;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const TLutRGB w = want.ApplyToColor({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
        const TLutRGB v = got.Cube(r, g, b);
        worst = std::max({worst, std::abs(v.R - w.R), std::abs(v.G - w.G), std::abs(v.B - w.B)});
      }
  return worst;
}

// Every size and depth the profiles write comes back as the format that
// wrote it, holding the LUT to half a code.
TEST_F(HaldClutFormats, ProfilesWriteWhatTheirFormatsReadBack) {
  struct Case {
    const char* profile;
    int size, bits, width, height;
  } cases[] = {
      {"Hald CLUT", 64, 8, 512, 512},   {"Hald CLUT", 64, 16, 512, 512},
      {"Hald CLUT", 4, 8, 8, 8},        {"Hald CLUT", 36, 16, 216, 216},
      {"Strip PNG", 16, 8, 256, 16},    {"Strip PNG", 32, 8, 1024, 32},
      {"Strip PNG", 64, 8, 4096, 64},   {"Strip PNG", 2, 8, 4, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + " " + std::to_string(c.size) + " at " +
                 std::to_string(c.bits));
    const TLutOutputProfile& profile = Profile(c.profile);
    const TLUT grade = MakeCube(c.size);
    const fs::path file = Path("lut.png");
    Registry.SaveLut(file, grade, profile, c.bits);
    const TImageInfo info = ReadImageInfo(file);
    EXPECT_EQ(info.Width, c.width);
    EXPECT_EQ(info.Height, c.height);
    EXPECT_EQ(info.BitsPerSample, c.bits);
    TLUT back;
    Registry.LoadLut(file, back, -1);
    EXPECT_EQ(back.FormatIndex, profile.FormatIndex);
    ASSERT_EQ(back.Size3D(), c.size);
    EXPECT_LE(WorstDifference(grade, back), 0.5 / (std::exp2(c.bits) - 1) + 1e-7);
  }
}

TEST_F(HaldClutFormats, AnIdentityAtLevelEightIsTheIdentityToHalfACode) {
  TFixedConfirm yes;
  ASSERT_TRUE(GenerateHaldClut(Path("hald.png"), 8, 8, TImageFileType::Png, yes));
  TLUT back, identity;
  identity.LutType = ltEmpty;
  Registry.LoadLut(Path("hald.png"), back, -1);
  ASSERT_EQ(back.FormatIndex, HaldIndex);
  ASSERT_EQ(back.Size3D(), 64);
  EXPECT_LE(WorstDifference(identity, back), 0.5 / 255);
  EXPECT_THROW(GenerateHaldClut(Path("one.png"), 1, 8, TImageFileType::Png, yes), ELUTError);
  EXPECT_FALSE(fs::exists(Path("one.png")));
}

// Graded pictures of both 512 x 512 layouts, in either picture type, are read
// in their own layout.
TEST_F(HaldClutFormats, SquarePicturesAreReadInTheLayoutTheyWereMadeIn) {
  const TLUT grade = MakeCube(64);
  TLUT back;
  Registry.SaveLut(Path("hald.png"), grade, Profile("Hald CLUT"), -1);
  Registry.SaveLut(Path("obs.png"), grade, Profile("Open Broadcaster Software 3D PNG"), -1);
  for (auto [file, index] : {std::pair{"hald.png", HaldIndex}, {"obs.png", StripIndex}}) {
    SCOPED_TRACE(file);
    TBitmap bitmap;
    DecodeImageFile(Path(file), bitmap);
    const fs::path tif = Path(std::string(file) + ".tif");
    SaveBitmap(tif, bitmap, TImageFileType::Tiff);
    for (const fs::path& f : {Path(file), tif}) {
      Registry.LoadLut(f, back, -1);
      EXPECT_EQ(back.FormatIndex, index);
      ASSERT_EQ(back.Size3D(), 64);
      // The strip went through the LUT at 8 bits in as well as out.
      EXPECT_LE(WorstDifference(grade, back), (index == HaldIndex ? 0.5 / 255 : 1.5 / 255) + 1e-9);
    }
  }
}

TEST_F(HaldClutFormats, PicturesOfOtherShapesAreNotTheirs) {
  WriteRawPicture(Path("photo.png"), 500, 500, 3, 8);
  WriteRawPicture(Path("tall.png"), 16, 256, 3, 8);
  WriteRawPicture(Path("hald182.png"), 182, 182, 3, 8);
  SaveBitmap(Path("level2.bmp"), TBitmap(8, 8), TImageFileType::Bmp);
  fs::copy_file(Path("level2.bmp"), Path("level2.txt"));
  const THaldClut3DLutFormat hald;
  const TStrip3DLutFormat strip;
  for (const char* name : {"photo.png", "tall.png", "hald182.png", "level2.txt"}) {
    EXPECT_FALSE(hald.Detect(Path(name))) << name;
    EXPECT_FALSE(strip.Detect(Path(name))) << name;
  }
  EXPECT_TRUE(hald.Detect(Path("level2.bmp")));  // any 8 x 8 constant picture is a level-2 LUT
  EXPECT_EQ(Registry.DetectLutFormat(Path("hald182.png")),
            Registry.IndexOf(typeid(THaldImage3DLutFormat)));
  EXPECT_THROW(hald.Detect(Path("missing.png")), EFileError);
  TLUT lut;
  EXPECT_THROW(Registry.LoadLut(Path("photo.png"), lut, HaldIndex), ELUTError);
  EXPECT_THROW(Registry.LoadLut(Path("photo.png"), lut, StripIndex), ELUTError);
  fs::resize_file(Path("level2.bmp"), 60);
  EXPECT_THROW(Registry.LoadLut(Path("level2.bmp"), lut, -1), EImageError);
}

// Black-and-white looks come as grey pictures, read with R = G = B; a
// photograph of a lattice's size is not taken, and reading it says why.
TEST_F(HaldClutFormats, GreyHaldsAreReadAndPhotographsAreNot) {
  for (const char* name : {"image/grey_hald_level3_8bit.png", "image/grey_hald_level3_16bit.png"}) {
    SCOPED_TRACE(name);
    TLUT lut;
    Registry.LoadLut(DataFile(name), lut, -1);
    ASSERT_EQ(lut.FormatIndex, HaldIndex);
    ASSERT_EQ(lut.Size3D(), 9);
    // Written as (0.2126 r + 0.7152 g + 0.0722 b)^1.2.
    const TLutRGB node = lut.Cube(8, 4, 2);
    const double want = std::pow(0.2126 + 0.7152 * 0.5 + 0.0722 * 0.25, 1.2);
    EXPECT_NEAR(node.R, want, 0.5 / 255 + 1e-9);
    EXPECT_EQ(node.G, node.R);
    EXPECT_EQ(node.B, node.R);
  }
  EXPECT_EQ(Registry.DetectLutFormat(DataFile("image/photo_64x64_grey.png")), -1);
}

TEST_F(HaldClutFormats, WritersRefuseSizesAndDepthsTheyCannotHold) {
  const TLUT cube33 = MakeCube(33);
  const TLUT cube16 = MakeCube(16);
  EXPECT_THROW(THaldClut3DLutFormat().Write(Path("a.png"), cube33, {}), ELUTError);
  EXPECT_THROW(THaldClut3DLutFormat().Write(Path("b.png"), cube16, {12}), ELUTError);
  EXPECT_THROW(TStrip3DLutFormat().Write(Path("c.png"), TLUT{}, {}), ELUTError);
  for (const char* name : {"a.png", "b.png", "c.png"}) EXPECT_FALSE(fs::exists(Path(name)));
}

// The program's own 182 x 182 layout, saved deeper by a photo editor, keeps
// its 16 bits.
TEST_F(HaldClutFormats, DeepCopiesOfThe182PixelLayoutAreReadAtFullPrecision) {
  const int haldIndex = Registry.IndexOf(typeid(THaldImage3DLutFormat));
  for (const char* name : {"deep.tif", "deep.png"}) {
    SCOPED_TRACE(name);
    WriteRawPicture(Path(name), 182, 182, 3, 16, 1000.0 / 65535);
    TLUT lut;
    Registry.LoadLut(Path(name), lut, -1);
    ASSERT_EQ(lut.FormatIndex, haldIndex);
    EXPECT_EQ(lut.Cube(3, 4, 5).G, 1000.0 / 65535);
  }
}

}  // namespace
