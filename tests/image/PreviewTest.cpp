// The preview without its pane: the LUT applied to a picture exactly as
// ApplyToPixel maps each pixel, the box fitting, and the select-a-file step.
#include "image/Preview.h"

#include "TestSupport.h"
#include "image/ImageLib.h"
#include "registry/FormatTable.h"

namespace {

class Preview : public TempDirTest {};

TLUT CurvesThenCube() {
  TLUT lut = MakeCube(9);
  const TLUT curves = MakeCurves(256);
  lut.LutType = lt1DThen3D;
  lut.SetSize1D(256);
  // Curves that leave 0..1 feed the cube from outside its range.
  for (int i = 0; i < 256; ++i) {
    const TLutRGB c = curves.Curve(i);
    lut.Curve(i) = {1.4 * c.R - 0.2, c.G, 1.3 * c.B};
  }
  return lut;
}

TEST_F(Preview, ApplyToBitmapMapsEveryPixelAsApplyToPixel) {
  TLUT empty;
  empty.LutType = ltEmpty;
  const TLUT luts[] = {MakeCurves(1024), MakeCube(17), CurvesThenCube(), empty};
  // Every byte value in every channel.
  TBitmap picture(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      picture.SetPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                              static_cast<std::uint8_t>((3 * x + 5 * y) & 255)});
  for (const TLUT& lut : luts) {
    SCOPED_TRACE(static_cast<int>(lut.LutType));
    TBitmap graded = picture;
    ApplyToBitmap(lut, graded);
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) {
        const auto in = picture.Pixel(x, y);
        const TLutPixel want = lut.ApplyToPixel({in.R, in.G, in.B, 8}, 8);
        const auto got = graded.Pixel(x, y);
        ASSERT_EQ(got, (TBitmap::TRGB{static_cast<std::uint8_t>(want.R),
                                      static_cast<std::uint8_t>(want.G),
                                      static_cast<std::uint8_t>(want.B)}))
            << x << "," << y;
      }
  }
}

TEST_F(Preview, FitToBoxNeverEnlargesAndKeepsTheAspect) {
  struct Case {
    int w, h;
    TPictureSize fitted;
  } cases[] = {{100, 80, {100, 80}},   {2100, 1690, {210, 169}}, {3000, 1000, {210, 70}},
               {210, 169, {210, 169}}, {300, 214, {210, 150}},   {65535, 1, {210, 1}},
               {1, 65535, {1, 169}}};
  for (const Case& c : cases)
    EXPECT_EQ(FitToBoxSize(c.w, c.h, PreviewBoxWidth, PreviewBoxHeight), c.fitted)
        << c.w << "x" << c.h;

  TBitmap small = MakePicture(100, 80);
  const TBitmap original = small;
  FitToBox(small, PreviewBoxWidth, PreviewBoxHeight);
  EXPECT_EQ(small, original);
  TBitmap large = MakePicture(420, 338);
  FitToBox(large, PreviewBoxWidth, PreviewBoxHeight);
  EXPECT_EQ(large.Width(), 210);
  EXPECT_EQ(large.Height(), 169);
}

TEST_F(Preview, LoadedPicturesAreReducedToTheBox) {
  SaveBitmap(Path("photo.bmp"), MakePicture(630, 507), TImageFileType::Bmp);
  const TBitmap picture = LoadPreviewImage(Path("photo.bmp"));
  EXPECT_EQ(picture.Width(), 210);
  EXPECT_EQ(picture.Height(), 169);
}

TEST_F(Preview, ShowLutInfoGradesAndDescribesRecognisedFiles) {
  const TBitmap ungraded = MakePicture(30, 20);
  const fs::path cube = Write("warm.cube",
                              "# Warm\nLUT_3D_SIZE 2\n0.1 0 0\n1 0 0\n0 1 0\n1 1 0\n"
                              "0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  TLUT record;
  TLutPreview preview = ShowLutInfo(LutRegistry(), cube, ungraded, record);
  EXPECT_TRUE(preview.Recognised);
  EXPECT_EQ(preview.Lines, (std::vector<std::string>{"Type: 3D", "Dimension: 2", "Warm"}));
  TBitmap expected = ungraded;
  ApplyToBitmap(record, expected);
  EXPECT_EQ(preview.Applied, expected);
  EXPECT_NE(preview.Applied, ungraded);

  preview = ShowLutInfo(LutRegistry(), Write("notes.txt", "nothing here\n"), ungraded, record);
  EXPECT_FALSE(preview.Recognised);
  EXPECT_EQ(record.FormatIndex, -1);
  EXPECT_TRUE(preview.Lines.empty());
}

}  // namespace
