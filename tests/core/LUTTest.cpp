#include "core/LUT.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

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

// Tetrahedral lookup against barycentric coordinates worked out from the
// geometry: of the six tetrahedra around the cell's diagonal, the one whose
// coordinates are all non-negative holds the point, and its four corners
// are weighed by them. Trilinear is the product of the axis weights. The
// 8-bit fast path gives what the pixel lookup gives, in both.
TEST(LUT, TetrahedralAndTrilinearAgainstTheGeometry) {
  TLUT lut = MakeCube(3);
  const auto corner = [&](int r, int g, int b) { return lut.Cube(r, g, b); };
  // The cell from node 1 to node 2 on every axis.
  const auto tetrahedral = [&](const TLutRGB& f) {
    static const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    const double x[3] = {f.R, f.G, f.B};
    for (const auto& order : orders) {
      // Corners: 0, then steps along the axes in this order; the point is
      // inside when its coordinates along the path decrease.
      if (x[order[0]] < x[order[1]] || x[order[1]] < x[order[2]]) continue;
      const double w[4] = {1 - x[order[0]], x[order[0]] - x[order[1]], x[order[1]] - x[order[2]], x[order[2]]};
      int at[3] = {1, 1, 1};
      TLutRGB sum;
      for (int k = 0; k < 4; ++k) {
        if (k > 0) at[order[k - 1]] = 2;
        const TLutRGB c = corner(at[0], at[1], at[2]);
        sum = {sum.R + w[k] * c.R, sum.G + w[k] * c.G, sum.B + w[k] * c.B};
      }
      return sum;
    }
    return TLutRGB{};
  };
  const auto trilinear = [&](const TLutRGB& f) {
    TLutRGB sum;
    for (int i = 0; i < 8; ++i) {
      const int r = i >> 2 & 1, g = i >> 1 & 1, b = i & 1;
      const double w = (r ? f.R : 1 - f.R) * (g ? f.G : 1 - f.G) * (b ? f.B : 1 - f.B);
      const TLutRGB c = corner(1 + r, 1 + g, 1 + b);
      sum = {sum.R + w * c.R, sum.G + w * c.G, sum.B + w * c.B};
    }
    return sum;
  };
  std::uint64_t state = 7;
  const auto next = [&] {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  double apart = 0;
  for (int i = 0; i < 2000; ++i) {
    const TLutRGB f{next(), next(), next()};
    const TLutRGB x{0.5 + f.R / 2, 0.5 + f.G / 2, 0.5 + f.B / 2};
    lut.Interpolation = TLutInterpolation::Tetrahedral;
    const TLutRGB t = lut.ApplyToColor(x), te = tetrahedral(f);
    lut.Interpolation = TLutInterpolation::Trilinear;
    const TLutRGB l = lut.ApplyToColor(x), le = trilinear(f);
    for (const auto& [got, want] : {std::pair{t.R, te.R}, std::pair{t.G, te.G}, std::pair{t.B, te.B},
                                    std::pair{l.R, le.R}, std::pair{l.G, le.G}, std::pair{l.B, le.B}})
      ASSERT_NEAR(got, want, 1e-12) << x.R << " " << x.G << " " << x.B;
    apart = std::max(apart, std::abs(t.R - l.R));
  }
  EXPECT_GT(apart, 1e-3);  // the two are told apart on this cube

  lut.Interpolation = TLutInterpolation::Tetrahedral;
  std::vector<std::uint8_t> pixels(3 * 4096);
  for (std::uint8_t& p : pixels) p = static_cast<std::uint8_t>(next() * 256);
  std::vector<std::uint8_t> fast = pixels;
  lut.ApplyToBGR8(fast.data(), 4096);
  for (std::size_t i = 0; i < pixels.size(); i += 3) {
    const TLutPixel y = lut.ApplyToPixel({pixels[i + 2], pixels[i + 1], pixels[i], 8}, 8);
    ASSERT_EQ(fast[i], y.B);
    ASSERT_EQ(fast[i + 1], y.G);
    ASSERT_EQ(fast[i + 2], y.R);
  }
}
