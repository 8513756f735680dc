#include "core/LUT.h"

#include "TestSupport.h"
#include "core/Errors.h"

TEST(LUT, ConvertFromEqualCubesCopiesBitForBit) {
  const TLUT source = MakeCube(17);
  TLUT target;
  target.LutType = lt3D;
  target.SetSize3D(17);
  target.ConvertFrom(source);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) ASSERT_EQ(target.Cube(r, g, b), source.Cube(r, g, b));
}

TEST(LUT, ConvertFromSamplesTheSourceOnTheTargetGrid) {
  const TLUT cube33 = MakeCube(33);
  TLUT cube17;
  cube17.LutType = lt3D;
  cube17.SetSize3D(17);
  cube17.ConvertFrom(cube33);
  // Node i of 17 lies on node 2i of 33: sampled exactly.
  EXPECT_EQ(cube17.Cube(3, 8, 16), cube33.Cube(6, 16, 32));

  const TLUT curves = MakeCurves(1024);
  TLUT baked;
  baked.LutType = lt3D;
  baked.SetSize3D(5);
  baked.ConvertFrom(curves);
  const TLutRGB node = baked.Cube(1, 2, 4);
  EXPECT_EQ(node.R, curves.Interpolate1D({0.25, 0, 0}).R);
  EXPECT_EQ(node.G, curves.Interpolate1D({0, 0.5, 0}).G);
  EXPECT_EQ(node.B, curves.Interpolate1D({0, 0, 1.0}).B);

  TLUT diagonal;
  diagonal.LutType = lt1D;
  diagonal.SetSize1D(11);
  diagonal.ConvertFrom(cube33);
  EXPECT_EQ(diagonal.Curve(4), cube33.Interpolate3D({0.4, 0.4, 0.4}));

  TLUT empty;
  empty.LutType = ltEmpty;
  TLUT identity;
  identity.LutType = lt3D;
  identity.SetSize3D(3);
  identity.ConvertFrom(empty);
  EXPECT_EQ(identity.Cube(2, 1, 0), (TLutRGB{1.0, 0.5, 0.0}));
}

TEST(LUT, LookupsAtTheEndsAndOutsideTheRange) {
  const TLUT cube = MakeCube(9);
  EXPECT_EQ(cube.Interpolate3D({1, 1, 1}), cube.Cube(8, 8, 8));
  EXPECT_EQ(cube.Interpolate3D({0, 0, 0}), cube.Cube(0, 0, 0));
  EXPECT_EQ(cube.Interpolate3D({1.5, -2, 1}), cube.Cube(8, 0, 8));  // clamped, never out of bounds
  const TLUT curves = MakeCurves(16);
  EXPECT_EQ(curves.Interpolate1D({1, 1, 1}), curves.Curve(15));
  // Curves feeding the cube may leave 0..1; the cube lookup clamps them.
  TLUT both = MakeCube(9);
  both.LutType = lt1DThen3D;
  both.SetSize1D(2);
  both.Curve(0) = {-1, -1, -1};
  both.Curve(1) = {2, 2, 2};
  EXPECT_EQ(both.ApplyToColor({1, 0, 1}), cube.Cube(8, 0, 8));
}

// A table's nodes spread over its domain; lookups, the 8-bit path and
// resampling all read it there.
TEST(LUT, DomainsSpreadTheTablesInputs) {
  TLUT wide;  // the identity over -1..3
  wide.LutType = lt3D;
  wide.Domain3D = {{-1, -1, -1}, {3, 3, 3}};
  wide.SetSize3D(5);
  wide.FillIdentity3D();
  EXPECT_EQ(wide.Cube(1, 4, 0), (TLutRGB{0, 3, -1}));
  EXPECT_EQ(wide.ApplyToColor({2.5, -0.5, 4}), (TLutRGB{2.5, -0.5, 3}));  // held at the domain's end

  // Resampled over the same domain, into either kind; over 0..1 on request.
  const TLUT cube = TLUT::Resampled(TLUT(wide), lt3D, 9);
  EXPECT_EQ(cube.Domain3D, wide.Domain3D);
  EXPECT_EQ(cube.Cube(8, 1, 0), (TLutRGB{3, -0.5, -1}));
  const TLUT curve = TLUT::Resampled(TLUT(wide), lt1D, 3);
  EXPECT_EQ(curve.Domain1D, wide.Domain3D);
  EXPECT_EQ(curve.Curve(1), (TLutRGB{1, 1, 1}));
  const TLUT unit = TLUT::Resampled(TLUT(wide), lt3D, 5, false);
  EXPECT_TRUE(unit.Domain3D.IsUnit());
  EXPECT_EQ(unit.Cube(4, 2, 0), (TLutRGB{1, 0.5, 0}));

  // Behind curves, the cube's domain ranges the curves' output.
  TLUT both = wide;
  both.LutType = lt1DThen3D;
  both.SetSize1D(2);
  both.Curve(0) = {-1, -1, -1};
  both.Curve(1) = {7, 7, 7};
  EXPECT_EQ(both.ApplyToColor({0.25, 0.5, 1}), (TLutRGB{1, 3, 3}));
  // The shaper is kept entry for entry when only the cube is resampled.
  const TLUT kept = TLUT::Resampled(TLUT(both), lt1DThen3D, 3);
  EXPECT_EQ(kept.Size1D(), 2);
  EXPECT_EQ(kept.Curve(1), both.Curve(1));
  EXPECT_EQ(kept.Size3D(), 3);
  EXPECT_EQ(kept.ApplyToColor({0.25, 0.5, 1}), (TLutRGB{1, 3, 3}));

  // The 8-bit path reads the domain as ApplyToPixel does: a cube over 0..2 halves.
  TLUT half;
  half.LutType = lt3D;
  half.Domain3D = {{0, 0, 0}, {2, 2, 2}};
  half.SetSize3D(3);
  half.FillIdentity3D();
  for (int r = 0; r < 3; ++r)
    for (int g = 0; g < 3; ++g)
      for (int b = 0; b < 3; ++b) half.Cube(r, g, b) = {r / 2.0, g / 2.0, b / 2.0};
  std::uint8_t pixels[3 * 256];
  for (int v = 0; v < 256; ++v) pixels[3 * v] = pixels[3 * v + 1] = pixels[3 * v + 2] = static_cast<std::uint8_t>(v);
  half.ApplyToBGR8(pixels, 256);
  for (int v = 0; v < 256; v += 15) {
    const auto c = static_cast<std::uint16_t>(v);
    EXPECT_EQ(pixels[3 * v], half.ApplyToPixel({c, c, c, 8}, 8).B) << v;
  }
  EXPECT_EQ(pixels[3 * 255], 128);
}

TEST(LUT, ApplyToPixelRoundsHalfToEvenAndClamps) {
  TLUT identity;
  identity.LutType = lt3D;
  identity.SetSize3D(2);
  identity.FillIdentity3D();
  for (int v : {0, 1, 127, 128, 254, 255}) {
    const auto out = identity.ApplyToPixel({std::uint16_t(v), 0, 255, 8}, 8);
    EXPECT_EQ(out.R, v);
    EXPECT_EQ(out.B, 255);
  }
  TLUT half;
  half.LutType = lt3D;
  half.SetSize3D(2);
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) half.Cube(r, g, b) = {0.5, -0.3, 1.7};
  auto out = half.ApplyToPixel({0, 0, 0, 8}, 8);
  EXPECT_EQ(out.R, 128);  // 127.5 to even
  EXPECT_EQ(out.G, 0);
  EXPECT_EQ(out.B, 255);
  out = half.ApplyToPixel({0, 0, 0, 8}, 10);
  EXPECT_EQ(out.R, 512);  // 511.5 to even
}

TEST(LUT, SizeLimits) {
  EXPECT_NO_THROW(CheckCubeSize(100));
  EXPECT_NO_THROW(CheckCubeSize(2));
  EXPECT_NO_THROW(CheckCurveSize(100000));
  for (int bad : {101, 1, 0, -5}) EXPECT_THROW(CheckCubeSize(bad), ELUTSizeError) << bad;
  for (int bad : {100001, 1}) EXPECT_THROW(CheckCurveSize(bad), ELUTSizeError) << bad;
  try {
    CheckCubeSize(101);
  } catch (const ELUTSizeError& e) {
    EXPECT_STREQ(e.what(),
                 "The current version cannot process LUTs more than 100x100x100.\r\n"
                 "In general, 64x64x64 is definitely enough for 3D LUTs.");
  }
}
