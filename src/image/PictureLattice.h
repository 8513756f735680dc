// Where a picture keeps the nodes of a cube, for the LUT pictures other
// programs exchange: the square level-L Hald CLUT and the strips of tiles
// that game engines and streaming tools load. One layout type serves them
// all, so reading, writing and telling them apart share one path.
#pragma once

#include <optional>

#include "core/LUT.h"
#include "image/ImageLib.h"

// Hald CLUT levels recognised and generated. Level 16 (a 4096 x 4096
// picture) is the finest in use; finer ones would only cost memory.
constexpr int MinHaldClutLevel = 2;
constexpr int MaxHaldClutLevel = 16;

struct TLatticeLayout {
  enum TKind { Hald, Tiles };
  TKind Kind = Hald;
  int Size = 0;         // cube points per axis
  int TilesPerRow = 0;  // Tiles: tiles side by side (Size for a one-row strip)
  int Width = 0;
  int Height = 0;

  struct TPixelPos {
    int X, Y;
  };
  TPixelPos PixelOf(int r, int g, int b) const;
};

// Level L: an L^2-point cube in an L^3 x L^3 picture, red fastest, then
// green, then blue, rows top to bottom.
TLatticeLayout HaldClutLayout(int level);
// Size N in tiles of N x N, tilesPerRow side by side: red along x and green
// down y within a tile, blue counting the tiles left to right, top to bottom.
// tilesPerRow = N gives the one-row N^2 x N strip.
TLatticeLayout TiledLayout(int size, int tilesPerRow);

// The level whose Hald CLUT is side x side pixels (side = L^3, 2 <= L <= 16).
std::optional<int> HaldClutLevelOf(int width, int height);
// The level whose cube has this many points per axis (size = L^2, L >= 2).
std::optional<int> HaldClutLevelOfCube(int size);
// The tile layout a picture of this size can hold: the N^2 x N strip, or the
// square L^3 picture of L x L tiles of L^2 points (512 x 512: 8 x 8 tiles of
// 64), which is the same size as the level-L Hald CLUT.
std::optional<TLatticeLayout> TiledLayoutOf(int width, int height);

// How much neighbouring nodes differ, summed over the three axes: a picture
// read in the layout it was made in gives a smooth lattice, read in another
// it jumps at every tile or row edge.
double LatticeRoughness(const TDeepPicture& picture, const TLatticeLayout& layout);

// Whether the lattice can be a LUT's: along each axis, the lines whose ends
// differ mostly differ the same way (outputs follow inputs, or all run
// against them; a constant LUT has none). A photograph's pixels read as a
// lattice change every which way.
bool PlausibleLutLattice(const TDeepPicture& picture, const TLatticeLayout& layout);

// The square picture holds a tiled lattice rather than a Hald CLUT.
bool ReadsSmootherAsTiles(const TDeepPicture& picture);

// Fill the record with the picture's cube (R = G = B from a grey picture). A
// lattice of more than 100 points is sampled (trilinear) from its own nodes
// once, at cubeSize points (the size the caller resamples to; 0 or above 100:
// 100), and a comment line and the record's FileSize3D say so.
void ReadLattice(const TDeepPicture& picture, const TLatticeLayout& layout, const char* what,
                 TLUT& lut, int cubeSize = 0);

// The layout's identity picture passed through the record (any kind), at 8
// or 16 bits.
TDeepPicture LatticePicture(const TLUT& lut, const TLatticeLayout& layout, int bits);
