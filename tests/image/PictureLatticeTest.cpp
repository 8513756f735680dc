// Cube lattices in pictures: where nodes sit in each layout, which picture
// sizes hold which layouts, and lattices finer than a record reduced to it.
#include "image/PictureLattice.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "TestSupport.h"

namespace {

TEST(PictureLattice, NodesSitWhereEachLayoutPutsThem) {
  struct Case {
    TLatticeLayout layout;
    int r, g, b, x, y;
  } cases[] = {
      {HaldClutLayout(2), 1, 0, 0, 1, 0},     // red fastest
      {HaldClutLayout(2), 0, 1, 0, 4, 0},     // node 4 of an 8-pixel row
      {HaldClutLayout(2), 0, 0, 1, 0, 2},     // node 16
      {HaldClutLayout(8), 63, 63, 63, 511, 511},
      {HaldClutLayout(8), 0, 0, 1, 0, 8},     // node 4096 = 8 rows of 512
      {TiledLayout(16, 16), 15, 15, 15, 255, 15},
      {TiledLayout(16, 16), 3, 5, 2, 35, 5},
      {TiledLayout(64, 8), 0, 0, 8, 0, 64},   // the ninth tile opens the second row
      {TiledLayout(64, 8), 63, 0, 7, 511, 0},
  };
  for (const Case& c : cases) {
    const auto [x, y] = c.layout.PixelOf(c.r, c.g, c.b);
    EXPECT_EQ(x, c.x) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(y, c.y) << c.r << "," << c.g << "," << c.b;
  }
  EXPECT_EQ(HaldClutLayout(12).Width, 1728);
  EXPECT_EQ(TiledLayout(64, 8).Height, 512);
}

TEST(PictureLattice, PictureSizesAndTheLayoutsTheyHold) {
  struct Case {
    int w, h;
    int level;       // 0: not a Hald CLUT
    int tileSize;    // 0: no tiles
    int tilesPerRow;
  } cases[] = {
      {512, 512, 8, 64, 8},  {8, 8, 2, 4, 2},    {1728, 1728, 12, 144, 12},
      {256, 16, 0, 16, 16},  {1024, 32, 0, 32, 32}, {4096, 64, 0, 64, 64},
      {182, 182, 0, 0, 0},   {1, 1, 0, 0, 0},    {512, 511, 0, 0, 0},
      {16, 256, 0, 0, 0},    {0, 0, 0, 0, 0},    {4096, 4096, 16, 256, 16},
      {4913, 4913, 0, 0, 0},  // level 17: finer than any in use
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    EXPECT_EQ(HaldClutLevelOf(c.w, c.h).value_or(0), c.level);
    const auto tiles = TiledLayoutOf(c.w, c.h);
    EXPECT_EQ(tiles ? tiles->Size : 0, c.tileSize);
    EXPECT_EQ(tiles ? tiles->TilesPerRow : 0, c.tilesPerRow);
    if (tiles) {
      EXPECT_EQ(tiles->Width, c.w);
      EXPECT_EQ(tiles->Height, c.h);
    }
  }
}

// The 512 x 512 picture is both layouts; the one it was made in reads smooth.
TEST(PictureLattice, ASquarePictureReadsInTheLayoutItWasMadeIn) {
  const TLUT grade = MakeCube(17);
  EXPECT_FALSE(ReadsSmootherAsTiles(LatticePicture(grade, HaldClutLayout(8), 8)));
  EXPECT_TRUE(ReadsSmootherAsTiles(LatticePicture(grade, TiledLayout(64, 8), 8)));
  TLUT identity;
  identity.LutType = ltEmpty;
  EXPECT_FALSE(ReadsSmootherAsTiles(LatticePicture(identity, HaldClutLayout(3), 16)));
  EXPECT_TRUE(ReadsSmootherAsTiles(LatticePicture(identity, TiledLayout(9, 3), 16)));
}

TEST(PictureLattice, WrittenLatticesReadBackAtTheirBits) {
  const TLUT grade = MakeCube(17);
  for (int bits : {8, 16}) {
    SCOPED_TRACE(bits);
    const TLatticeLayout layout = TiledLayout(16, 16);
    TLUT back;
    ReadLattice(LatticePicture(grade, layout, bits), layout, "Strip", back);
    ASSERT_EQ(back.Size3D(), 16);
    EXPECT_TRUE(back.Comments.empty());
    double worst = 0;
    for (int r = 0; r < 16; ++r)
      for (int g = 0; g < 16; ++g)
        for (int b = 0; b < 16; ++b) {
          const TLutRGB want = grade.ApplyToColor({r / 15.0, g / 15.0, b / 15.0});
          const TLutRGB got = back.Cube(r, g, b);
          worst = std::max({worst, std::abs(got.R - want.R), std::abs(got.G - want.G),
                            std::abs(got.B - want.B)});
        }
    EXPECT_LE(worst, 0.5 / (std::exp2(bits) - 1) + 1e-7);
  }
}

TEST(PictureLattice, LatticesFinerThanTheRecordAreResampledOntoItsLargestCube) {
  const TLUT grade = MakeCube(2);
  TLUT back;
  ReadLattice(LatticePicture(grade, HaldClutLayout(12), 16), HaldClutLayout(12), "Hald CLUT",
              back);
  ASSERT_EQ(back.Size3D(), 100);
  ASSERT_EQ(back.Comments.size(), 1u);
  EXPECT_EQ(back.Comments[0], "Hald CLUT of 144 points resampled onto 100 points");
  // A 2-point grade is one trilinear function, which trilinear sampling of
  // any finer lattice of it gives back up to the 16-bit quantisation.
  double worst = 0;
  for (int r = 0; r < 100; r += 3)
    for (int g = 0; g < 100; g += 7)
      for (int b = 0; b < 100; ++b) {
        const TLutRGB want = grade.ApplyToColor({r / 99.0, g / 99.0, b / 99.0});
        const TLutRGB got = back.Cube(r, g, b);
        worst = std::max({worst, std::abs(got.R - want.R), std::abs(got.G - want.G),
                          std::abs(got.B - want.B)});
      }
  EXPECT_LE(worst, 1.0 / 65535);
}

// A finer lattice is sampled once, from its own nodes, at the size asked:
// the record says the file's own size, and the result is closer to the
// file than sampling onto 100 points and then onto the size asked.
TEST(PictureLattice, AFinerLatticeIsSampledOnceAtTheSizeAsked) {
  TLUT grade = MakeCube(5);
  grade.Cube(2, 3, 1) = {0.9, 0.1, 0.4};  // a bend no 2-point cube has
  const TDeepPicture picture = LatticePicture(grade, HaldClutLayout(12), 16);
  auto worst = [&](const TLUT& lut) {
    const int n = lut.Size3D();
    double w = 0;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) {
          const TLutRGB want = grade.ApplyToColor({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
          const TLutRGB got = lut.Cube(r, g, b);
          w = std::max({w, std::abs(got.R - want.R), std::abs(got.G - want.G),
                        std::abs(got.B - want.B)});
        }
    return w;
  };
  TLUT once, hundred;
  ReadLattice(picture, HaldClutLayout(12), "Hald CLUT", once, 33);
  ASSERT_EQ(once.Size3D(), 33);
  EXPECT_EQ(once.FileSize3D, 144);
  ReadLattice(picture, HaldClutLayout(12), "Hald CLUT", hundred, 150);
  ASSERT_EQ(hundred.Size3D(), 100);
  const TLUT twice = TLUT::Resampled(std::move(hundred), lt3D, 33);
  EXPECT_LT(worst(once), worst(twice));
}

// Grey pictures hold cubes of grey outputs: R = G = B at every node.
TEST(PictureLattice, AGreyLatticeGivesGreyOutputs) {
  TDeepPicture grey;
  grey.Width = grey.Height = 8;
  grey.Channels = 1;
  grey.BitsPerSample = 16;
  for (int i = 0; i < 64; ++i) grey.Samples.push_back(static_cast<float>(i / 63.0));
  TLUT lut;
  ReadLattice(grey, HaldClutLayout(2), "Hald CLUT", lut);
  ASSERT_EQ(lut.Size3D(), 4);
  const TLutRGB node = lut.Cube(3, 1, 2);  // node 3 + 4 * 1 + 16 * 2 = 39
  EXPECT_NEAR(node.R, 39 / 63.0, 0.5 / 65535);
  EXPECT_EQ(node.R, node.G);
  EXPECT_EQ(node.R, node.B);
  grey.Channels = 2;  // grey and alpha: the alpha is not a colour
  grey.Samples.clear();
  for (int i = 0; i < 64; ++i) grey.Samples.insert(grey.Samples.end(), {float(i / 63.0), 1.0f});
  ReadLattice(grey, HaldClutLayout(2), "Hald CLUT", lut);
  EXPECT_EQ(lut.Cube(3, 1, 2), node);
}

// A LUT's outputs follow its inputs (or all run against them); a
// photograph's pixels read as a lattice do not.
TEST(PictureLattice, OnlyLatticesThatCanBeALutsArePlausible) {
  const TLatticeLayout layout = HaldClutLayout(4);
  TLUT inverted = MakeCube(2);
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) inverted.Cube(r, g, b) = {1.0 - r, 1.0 - g, 1.0 - b};
  TLUT redFilter = MakeCube(2);  // black and white through a red filter: blue plays no part
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) redFilter.Cube(r, g, b) = {0.8 * r + 0.2 * g, 0.8 * r + 0.2 * g, 0.8 * r + 0.2 * g};
  TLUT empty;
  empty.LutType = ltEmpty;
  EXPECT_TRUE(PlausibleLutLattice(LatticePicture(empty, layout, 8), layout));  // the identity
  EXPECT_TRUE(PlausibleLutLattice(LatticePicture(inverted, layout, 8), layout));
  EXPECT_TRUE(PlausibleLutLattice(LatticePicture(redFilter, layout, 8), layout));
  TDeepPicture photo = LatticePicture(empty, layout, 8);
  std::uint32_t seed = 7;
  for (float& v : photo.Samples) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<float>((seed >> 24) / 255.0);
  }
  EXPECT_FALSE(PlausibleLutLattice(photo, layout));
  std::fill(photo.Samples.begin(), photo.Samples.end(), 0.5f);
  EXPECT_TRUE(PlausibleLutLattice(photo, layout));  // a constant LUT
}

TEST(PictureLattice, APictureTooSmallForTheLayoutIsRefused) {
  TDeepPicture small;
  small.Width = small.Height = 8;
  small.Samples.assign(8 * 8 * 3, 0.0f);
  TLUT lut;
  EXPECT_THROW(ReadLattice(small, HaldClutLayout(3), "Hald CLUT", lut), ELUTError);
}

}  // namespace
