// Hald images and the PNG strip: the generated layout, what detection takes
// and refuses, graded images read back as their LUT, and the strip through a
// LUT.
#include "image/HaldImage.h"

#include <algorithm>
#include <cmath>

#include "TestSupport.h"
#include "image/ImageTestSupport.h"
#include "image/Preview.h"
#include "registry/FormatTable.h"

namespace {

class HaldImage : public TempDirTest {};

TEST_F(HaldImage, GeneratedPixelsAndPositions) {
  const TBitmap hald = GenerateHaldBitmap();
  ASSERT_EQ(hald.Width(), 182);
  ASSERT_EQ(hald.Height(), 182);
  using C = TBitmap::TRGB;
  EXPECT_EQ(hald.Pixel(0, 0), (C{0, 0, 0}));
  EXPECT_EQ(hald.Pixel(1, 0), (C{0, 0, 8}));
  EXPECT_EQ(hald.Pixel(5, 0), (C{0, 0, 41}));
  EXPECT_EQ(hald.Pixel(31, 0), (C{0, 0, 255}));
  EXPECT_EQ(hald.Pixel(32, 0), (C{0, 8, 0}));
  EXPECT_EQ(hald.Pixel(0, 1), (C{0, 41, 180}));  // k = 182: g = 5, b = 22
  EXPECT_EQ(hald.Pixel(7, 180), (C{255, 255, 255}));  // k = 32767
  EXPECT_EQ(hald.Pixel(8, 180), (C{0, 0, 0}));        // past the cube
}

TEST_F(HaldImage, UntouchedImagesReadBackNearTheIdentity) {
  const TLutRegistry& registry = LutRegistry();
  TFixedConfirm yes;
  for (TImageFileType type : {TImageFileType::Bmp, TImageFileType::Tiff, TImageFileType::Jpeg}) {
    const fs::path file = GenerateHaldImage(Path("HaldImage"), type, yes);
    SCOPED_TRACE(file.string());
    TLUT lut;
    registry.LoadLut(file, lut, -1);
    ASSERT_EQ(lut.FormatIndex, registry.IndexOf(typeid(THaldImage3DLutFormat)));
    ASSERT_EQ(lut.LutType, lt3D);
    ASSERT_EQ(lut.Size3D(), 32);
    EXPECT_TRUE(lut.Comments.empty());
    const double tolerance = type == TImageFileType::Jpeg ? 5.0 / 255 : 1e-12;
    EXPECT_NEAR(lut.Cube(0, 0, 1).B, 8.0 / 255, tolerance);
    double worst = 0;
    for (int r = 0; r < 32; ++r)
      for (int g = 0; g < 32; ++g)
        for (int b = 0; b < 32; ++b) {
          const TLutRGB v = lut.Cube(r, g, b);
          worst = std::max({worst, std::abs(v.R - (r * 255 / 31) / 255.0),
                            std::abs(v.G - (g * 255 / 31) / 255.0),
                            std::abs(v.B - (b * 255 / 31) / 255.0)});
        }
    EXPECT_LE(worst, tolerance);
  }
}

TEST_F(HaldImage, GradedImageReadsBackAsItsLut) {
  const TLUT grade = MakeCube(17);
  TBitmap hald = GenerateHaldBitmap();
  ApplyToBitmap(grade, hald);
  SaveBitmap(Path("graded.tif"), hald, TImageFileType::Tiff);
  TLUT back;
  LutRegistry().LoadLut(Path("graded.tif"), back, -1);
  ASSERT_EQ(back.Size3D(), 32);
  double worst = 0;
  for (int r = 0; r < 32; ++r)
    for (int g = 0; g < 32; ++g)
      for (int b = 0; b < 32; ++b) {
        const TLutRGB want = grade.ApplyToColor(
            {(r * 255 / 31) / 255.0, (g * 255 / 31) / 255.0, (b * 255 / 31) / 255.0});
        const TLutRGB got = back.Cube(r, g, b);
        worst = std::max({worst, std::abs(got.R - want.R), std::abs(got.G - want.G),
                          std::abs(got.B - want.B)});
      }
  EXPECT_LE(worst, 0.5 / 255 + 1e-9);
}

TEST_F(HaldImage, OtherPicturesAreNotHaldImages) {
  THaldImage3DLutFormat format;
  const TBitmap hald = GenerateHaldBitmap();
  SaveBitmap(Path("hald.bmp"), hald, TImageFileType::Bmp);
  EXPECT_TRUE(format.Detect(Path("hald.bmp")));
  // The extension must be a whole entry of the list; .png is not on it.
  for (const char* name : {"hald.jp", "hald.t", "hald.png", "hald.bmp.txt"}) {
    fs::copy_file(Path("hald.bmp"), Path(name));
    EXPECT_FALSE(format.Detect(Path(name))) << name;
  }
  WriteRawPicture(Path("rgba.tif"), 182, 182, 4, 8);
  WriteRawPicture(Path("grey.tif"), 182, 182, 1, 8);
  WriteRawPicture(Path("deep.tif"), 182, 182, 3, 16);
  WriteRawPicture(Path("narrow.bmp"), 181, 182, 3, 8);
  WriteRawPicture(Path("short.bmp"), 182, 181, 3, 8);
  for (const char* name : {"rgba.tif", "grey.tif", "deep.tif", "narrow.bmp", "short.bmp"})
    EXPECT_FALSE(format.Detect(Path(name))) << name;
  EXPECT_THROW(format.Detect(Path("missing.tif")), EFileError);
  // A portable pixmap of the Hald shape under a Hald extension is refused by
  // the extension's codec, not read by another one.
  Write("pixmap.bmp", "P6\n182 182\n255\n" + std::string(182 * 182 * 3, '\x80'));
  EXPECT_THROW(format.Detect(Path("pixmap.bmp")), EImageError);
}

TEST_F(HaldImage, ReadingAPictureTooSmallForTheCubeIsRefused) {
  WriteRawPicture(Path("small.bmp"), 40, 40, 3, 8);
  TLUT lut;
  EXPECT_THROW(LutRegistry().LoadLut(Path("small.bmp"), lut,
                                     LutRegistry().IndexOf(typeid(THaldImage3DLutFormat))),
               ELUTError);
}

TEST_F(HaldImage, SaveAppendsTheTypesExtensionOnlyWhenThereIsNone) {
  const TBitmap hald = GenerateHaldBitmap();
  struct Case {
    const char* name;
    TImageFileType type;
    const char* written;
    const char* magic;
  } cases[] = {{"a", TImageFileType::Bmp, "a.bmp", "BM"},
               {"b", TImageFileType::Jpeg, "b.jpg", "\xFF\xD8"},
               {"c", TImageFileType::Tiff, "c.tif", "II"},
               {"d.tiff", TImageFileType::Bmp, "d.tiff", "BM"},
               {"e.JPG", TImageFileType::Jpeg, "e.JPG", "\xFF\xD8"}};
  for (const Case& c : cases) {
    EXPECT_EQ(SaveBitmapAs(hald, Path(c.name), c.type), Path(c.written));
    EXPECT_EQ(ReadText(Path(c.written)).substr(0, 2), c.magic) << c.written;
  }
}

TEST_F(HaldImage, StripOfAnEmptyRecordIsTheIdentity) {
  TLUT empty;
  empty.LutType = ltEmpty;
  TOBS3DLutFormat().Write(Path("identity.png"), empty, {8});
  TBitmap strip;
  DecodeImageFile(Path("identity.png"), strip);
  ASSERT_EQ(strip.Width(), 512);
  ASSERT_EQ(strip.Height(), 512);
  EXPECT_EQ(strip, ObsIdentityStrip());
  using C = TBitmap::TRGB;
  EXPECT_EQ(strip.Pixel(0, 0), (C{0, 0, 0}));
  EXPECT_EQ(strip.Pixel(63, 0), (C{255, 0, 0}));
  EXPECT_EQ(strip.Pixel(0, 63), (C{0, 255, 0}));
  EXPECT_EQ(strip.Pixel(64, 0), (C{0, 0, 4}));     // tile 1: blue level 1
  EXPECT_EQ(strip.Pixel(1, 64), (C{4, 0, 32}));    // tile 8: blue level 8
  EXPECT_EQ(strip.Pixel(511, 511), (C{255, 255, 255}));
}

TEST_F(HaldImage, StripThroughTheOutputProfileCarriesTheLut) {
  const TLutRegistry& registry = LutRegistry();
  const auto& profiles = registry.LutOutputProfiles();
  const auto it = std::find_if(profiles.begin(), profiles.end(), [](const TLutOutputProfile& p) {
    return p.Name == "Open Broadcaster Software 3D PNG";
  });
  ASSERT_NE(it, profiles.end());
  const TLutOutputProfile& profile = *it;
  EXPECT_EQ(registry.ProfileFormat(profile).Name, "OBS 3D");
  const TLUT grade = MakeCube(profile.DefaultSize);
  registry.SaveLut(Path("grade.png"), grade, profile, -1);
  TBitmap strip;
  DecodeImageFile(Path("grade.png"), strip);
  const TBitmap identity = ObsIdentityStrip();
  for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {100, 200}, {300, 17}, {511, 511}}) {
    const auto in = identity.Pixel(x, y);
    const TLutPixel want = grade.ApplyToPixel({in.R, in.G, in.B, 8}, 8);
    const auto got = strip.Pixel(x, y);
    EXPECT_EQ(got, (TBitmap::TRGB{static_cast<std::uint8_t>(want.R), static_cast<std::uint8_t>(want.G),
                                  static_cast<std::uint8_t>(want.B)}))
        << x << "," << y;
  }
}

}  // namespace
