// A LUT that is a formula rather than tables: an ASC CDL correction, an
// operator chain read through OpenColorIO, an ICC transform, a chain of LUTs
// being merged, a picture lattice finer than the record holds. A record read
// from such a source keeps tables sampled at their own nodes (what its size
// and preview show) and the formula, which its lookups evaluate, so that an
// output is sampled once, at the output's own nodes, never from a table that
// was itself sampled.
#pragma once

#include <cstddef>
#include <string>

#include "core/LUT.h"

class TLutFormula {
 public:
  virtual ~TLutFormula() = default;
  // The colours through the formula, in place. Called from several threads
  // at once.
  virtual void Apply(TLutRGB* colours, std::size_t count) const = 0;
  // The points per axis of the finest cube the formula holds (a device
  // link's grid, the largest cube of a chain, a lattice's points), and the
  // entries of its longest curve; 0 for none. An output at least this fine
  // loses nothing to the formula's own tables.
  virtual int OwnSize3D() const { return 0; }
  virtual int OwnSize1D() const { return 0; }
};
