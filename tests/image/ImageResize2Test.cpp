// The resampler: exact reproduction where the weights are exact, grey stays
// grey for every filter and size (the weights are normalised), clamping of
// the negative lobes, and the documented scale factors.
#include "image/ImageResize2.h"

#include "TestSupport.h"

namespace {

TBitmap Uniform(int width, int height, std::uint8_t level) {
  TBitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, {level, level, level});
  return bitmap;
}

TEST(ImageResize2, SameSizeReproducesWithInterpolatingFilters) {
  const TBitmap picture = MakePicture(37, 23);
  for (int filter : {rfBox, rfTriangle, rfHermite, rfLanczos3}) {
    TBitmap out;
    ResizeBitmap(37, 23, filter, out, picture);
    EXPECT_EQ(out, picture) << ResampleFilter(filter).Name;
  }
  // Smoothing filters blur even at the same size.
  TBitmap blurred;
  ResizeBitmap(37, 23, rfBSpline, blurred, picture);
  EXPECT_NE(blurred, picture);
}

TEST(ImageResize2, UniformGreyStaysGreyForEveryFilterAndSize) {
  struct Case {
    int sw, sh, dw, dh;
  } cases[] = {{1, 1, 1, 1},   {1, 1, 5, 3},     {1, 7, 3, 2},       {7, 1, 1, 1},
               {2, 2, 1, 1},   {3, 3, 200, 1},   {100, 100, 2, 2},   {1000, 2, 2, 1},
               {5, 4, 13, 11}, {420, 338, 210, 169}};
  for (const Case& c : cases) {
    const TBitmap grey = Uniform(c.sw, c.sh, 77);
    for (int filter = 0; filter < ResampleFilterCount; ++filter) {
      TBitmap out;
      ResizeBitmap(c.dw, c.dh, filter, out, grey);
      EXPECT_EQ(out, Uniform(c.dw, c.dh, 77))
          << ResampleFilter(filter).Name << " " << c.sw << "x" << c.sh << " -> " << c.dw << "x"
          << c.dh;
    }
  }
}

TEST(ImageResize2, ScaleUsesPixelCentreDistancesAndTruncates) {
  // 2 -> 3 pixels scales by (3-1)/(2-1) = 2: the middle pixel sits halfway,
  // weights 128 + 128, and 127.5 truncates to 127.
  TBitmap edge(2, 1);
  edge.SetPixel(0, 0, {0, 0, 0});
  edge.SetPixel(1, 0, {255, 255, 255});
  TBitmap out;
  ResizeBitmap(3, 1, rfTriangle, out, edge);
  EXPECT_EQ(out.Pixel(0, 0).R, 0);
  EXPECT_EQ(out.Pixel(1, 0).G, 127);
  EXPECT_EQ(out.Pixel(2, 0).B, 255);

  // A single source pixel takes the plain ratio; every output is that pixel.
  TBitmap dot(1, 1);
  dot.SetPixel(0, 0, {10, 200, 30});
  ResizeBitmap(3, 1, rfLanczos3, out, dot);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(out.Pixel(x, 0), (TBitmap::TRGB{10, 200, 30}));
}

TEST(ImageResize2, NegativeLobesAreClampedNotWrapped) {
  TBitmap step(420, 338);
  for (int y = 0; y < 338; ++y)
    for (int x = 210; x < 420; ++x) step.SetPixel(x, y, {255, 255, 255});
  TBitmap out;
  ResizeBitmap(210, 169, rfLanczos3, out, step);
  int darkMax = 0, lightMin = 255;
  for (int y = 0; y < 169; ++y)
    for (int x = 0; x < 210; ++x) {
      const int v = out.Pixel(x, y).G;
      if (x < 100) darkMax = std::max(darkMax, v);
      if (x >= 110) lightMin = std::min(lightMin, v);
    }
  EXPECT_EQ(darkMax, 0);
  EXPECT_EQ(lightMin, 255);
}

TEST(ImageResize2, SourceAndDestinationMayBeOneBitmap) {
  TBitmap picture = MakePicture(40, 30);
  const TBitmap original = picture;
  TBitmap expected;
  ResizeBitmap(20, 15, rfMitchell, expected, original);
  ResizeBitmap(20, 15, rfMitchell, picture, picture);
  EXPECT_EQ(picture, expected);
}

TEST(ImageResize2, EmptyBitmapsAndBadArguments) {
  TBitmap out;
  ResizeBitmap(0, 5, rfLanczos3, out, MakePicture(4, 4));
  EXPECT_TRUE(out.Empty());
  ResizeBitmap(4, 4, rfLanczos3, out, TBitmap());
  EXPECT_EQ(out, TBitmap(4, 4));
  EXPECT_THROW(ResizeBitmap(4, 4, 7, out, MakePicture(4, 4)), std::out_of_range);
  EXPECT_THROW(ResizeBitmap(-1, 4, rfBox, out, MakePicture(4, 4)), std::invalid_argument);
}

}  // namespace
