// Cube lattices in pictures.
//
//   Hald CLUT, level 2 (4 points, 8 x 8 pixels): node i = r + 4 g + 16 b at
//   column i mod 8, row i div 8. Row 0 holds (r, g) = (0..3, 0) and (0..3, 1)
//   of blue 0.
//
//   Strip, 16 points (256 x 16 pixels): tile b is columns 16 b .. 16 b + 15;
//   inside it red runs along x and green down y. The 512 x 512 picture of
//   8 x 8 tiles of 64 points is the same with the tiles wrapped into rows.
//
// Quirks, and why:
// - Integer samples are taken as their exact code / (2^bits - 1), so a 16-bit
//   picture keeps its 16 bits and an 8-bit one reads as c / 255.
// - A lattice finer than the record holds (Hald levels 11 and up) is reduced
//   by trilinear sampling of the picture itself, never stored whole.
// - Alpha is ignored: a LUT picture's colours are the LUT's outputs.
// - A grey picture (black-and-white looks are published so) is a cube whose
//   outputs are grey: R = G = B, whichever codec delivered it.
// - A lattice finer than the record holds is sampled once, at the size the
//   caller resamples to, from the picture's own nodes.
#include "image/PictureLattice.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/Errors.h"
#include "core/StringLib.h"

namespace {

int IntegerCubeRoot(int v) {
  int l = static_cast<int>(std::lround(std::cbrt(static_cast<double>(v))));
  return l * l * l == v ? l : 0;
}

int IntegerSquareRoot(int v) {
  int l = static_cast<int>(std::lround(std::sqrt(static_cast<double>(v))));
  return l * l == v ? l : 0;
}

TLutRGB NodeOf(const TDeepPicture& picture, const TLatticeLayout& layout, int r, int g, int b) {
  const auto [x, y] = layout.PixelOf(r, g, b);
  const std::size_t i = picture.Index(x, y);
  // A grey picture (with or without alpha) gives R = G = B.
  if (picture.Channels < 3) return {picture.Value(i), picture.Value(i), picture.Value(i)};
  return {picture.Value(i), picture.Value(i + 1), picture.Value(i + 2)};
}

TLutRGB Mix(const TLutRGB& a, const TLutRGB& b, double t) {
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

// The lattice at a fractional node position, trilinear.
TLutRGB SampleLattice(const TDeepPicture& picture, const TLatticeLayout& layout, double pr,
                      double pg, double pb) {
  const int last = layout.Size - 1;
  auto split = [last](double p, int& lo) {
    lo = std::min(static_cast<int>(p), last - 1);
    return p - lo;
  };
  int r0, g0, b0;
  const double tr = split(pr, r0), tg = split(pg, g0), tb = split(pb, b0);
  auto at = [&](int dr, int dg, int db) {
    return NodeOf(picture, layout, r0 + dr, g0 + dg, b0 + db);
  };
  const TLutRGB c00 = Mix(at(0, 0, 0), at(1, 0, 0), tr), c10 = Mix(at(0, 1, 0), at(1, 1, 0), tr);
  const TLutRGB c01 = Mix(at(0, 0, 1), at(1, 0, 1), tr), c11 = Mix(at(0, 1, 1), at(1, 1, 1), tr);
  return Mix(Mix(c00, c10, tg), Mix(c01, c11, tg), tb);
}

}  // namespace

TLatticeLayout::TPixelPos TLatticeLayout::PixelOf(int r, int g, int b) const {
  if (Kind == Hald) {
    const long long i = r + static_cast<long long>(Size) * (g + static_cast<long long>(Size) * b);
    return {static_cast<int>(i % Width), static_cast<int>(i / Width)};
  }
  return {(b % TilesPerRow) * Size + r, (b / TilesPerRow) * Size + g};
}

TLatticeLayout HaldClutLayout(int level) {
  return {TLatticeLayout::Hald, level * level, 0, level * level * level, level * level * level};
}

TLatticeLayout TiledLayout(int size, int tilesPerRow) {
  const int rows = (size + tilesPerRow - 1) / tilesPerRow;
  return {TLatticeLayout::Tiles, size, tilesPerRow, tilesPerRow * size, rows * size};
}

std::optional<int> HaldClutLevelOf(int width, int height) {
  if (width != height) return std::nullopt;
  const int level = IntegerCubeRoot(width);
  if (level < MinHaldClutLevel || level > MaxHaldClutLevel) return std::nullopt;
  return level;
}

std::optional<int> HaldClutLevelOfCube(int size) {
  const int level = IntegerSquareRoot(size);
  if (level < 2) return std::nullopt;
  return level;
}

std::optional<TLatticeLayout> TiledLayoutOf(int width, int height) {
  if (height >= 2 && static_cast<long long>(height) * height == width)
    return TiledLayout(height, height);
  if (const auto level = HaldClutLevelOf(width, height))
    return TiledLayout(*level * *level, *level);
  return std::nullopt;
}

double LatticeRoughness(const TDeepPicture& picture, const TLatticeLayout& layout) {
  const int n = layout.Size;
  double sum = 0;
  auto add = [&sum](const TLutRGB& a, const TLutRGB& b) {
    sum += std::abs(a.R - b.R) + std::abs(a.G - b.G) + std::abs(a.B - b.B);
  };
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        const TLutRGB v = NodeOf(picture, layout, r, g, b);
        if (r + 1 < n) add(v, NodeOf(picture, layout, r + 1, g, b));
        if (g + 1 < n) add(v, NodeOf(picture, layout, r, g + 1, b));
        if (b + 1 < n) add(v, NodeOf(picture, layout, r, g, b + 1));
      }
  return sum;
}

bool PlausibleLutLattice(const TDeepPicture& picture, const TLatticeLayout& layout) {
  const int n = layout.Size;
  const double tie = 1.0 / 255;  // a step an 8-bit picture cannot show
  for (int axis = 0; axis < 3; ++axis) {
    long long up = 0, down = 0;
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        auto at = [&](int k) {
          const TLutRGB v = axis == 0   ? NodeOf(picture, layout, k, i, j)
                            : axis == 1 ? NodeOf(picture, layout, i, k, j)
                                        : NodeOf(picture, layout, i, j, k);
          return v.R + v.G + v.B;
        };
        const double change = at(n - 1) - at(0);
        if (change > tie) ++up;
        if (change < -tie) ++down;
      }
    // Lines that change must mostly change the same way: a LUT's outputs
    // follow its inputs (or all run against them, as a negative's do).
    if (std::max(up, down) * 4 < (up + down) * 3) return false;
  }
  return true;
}

bool ReadsSmootherAsTiles(const TDeepPicture& picture) {
  const auto level = HaldClutLevelOf(picture.Width, picture.Height);
  if (!level) return false;
  // The same size either way: the layouts differ in where nodes sit only.
  const auto tiles = TiledLayoutOf(picture.Width, picture.Height);
  return LatticeRoughness(picture, *tiles) < LatticeRoughness(picture, HaldClutLayout(*level));
}

void ReadLattice(const TDeepPicture& picture, const TLatticeLayout& layout, const char* what,
                 TLUT& lut, int cubeSize) {
  if (picture.Width < layout.Width || picture.Height < layout.Height)
    throw ELUTError(std::string(what) + ": the picture is " + std::to_string(picture.Width) +
                    " x " + std::to_string(picture.Height) + " pixels, " +
                    std::to_string(layout.Width) + " x " + std::to_string(layout.Height) +
                    " expected.");
  const int n = layout.Size;
  const int m = n <= MaxCubeSize ? n : cubeSize >= 2 ? std::min(cubeSize, MaxCubeSize) : MaxCubeSize;
  lut.LutType = lt3D;
  lut.SetSize3D(m);
  if (m == n) {
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) lut.Cube(r, g, b) = NodeOf(picture, layout, r, g, b);
    return;
  }
  const double step = (n - 1) / double(m - 1);
  for (int r = 0; r < m; ++r)
    for (int g = 0; g < m; ++g)
      for (int b = 0; b < m; ++b)
        lut.Cube(r, g, b) = SampleLattice(picture, layout, r * step, g * step, b * step);
  lut.FileSize3D = n;
  lut.Comments.push_back(std::string(what) + " of " + std::to_string(n) +
                         " points resampled onto " + std::to_string(m) + " points");
}

TDeepPicture LatticePicture(const TLUT& lut, const TLatticeLayout& layout, int bits) {
  TDeepPicture picture;
  picture.Width = layout.Width;
  picture.Height = layout.Height;
  picture.Channels = 3;
  picture.BitsPerSample = bits;
  picture.Samples.assign(static_cast<std::size_t>(picture.Width) * picture.Height * 3, 0.0f);
  const int n = layout.Size;
  const double maxCode = MaxCode(bits);
  auto sample = [&](double v) {
    return static_cast<float>(static_cast<double>(CodeValue(bits, v)) / maxCode);
  };
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        const TLutRGB v = lut.ApplyToColor({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
        const auto [x, y] = layout.PixelOf(r, g, b);
        float* p = picture.Samples.data() + picture.Index(x, y);
        p[0] = sample(v.R);
        p[1] = sample(v.G);
        p[2] = sample(v.B);
      }
  return picture;
}
