// What today's cube files say besides their tables: a 1D shaper declared
// beside the cube (LUT_1D_SIZE with LUT_3D_SIZE), and input ranges other than
// 0..1 (DOMAIN_MIN / DOMAIN_MAX, LUT_1D_INPUT_RANGE / LUT_3D_INPUT_RANGE).
// The ranges go into the record's domains as the file gives them.
#pragma once

#include <optional>

#include "core/LUT.h"
#include "core/TextFile.h"

struct TCubeKeywords {
  int Size1D = -1;                     // the first LUT_1D_SIZE line's value, -1 without one
  int Size3D = -1;                     // the first LUT_3D_SIZE line's value, -1 without one
  std::optional<TLutDomain> Domain;   // DOMAIN_MIN / DOMAIN_MAX: the file's input
  std::optional<TLutDomain> Range1D;  // LUT_1D_INPUT_RANGE
  std::optional<TLutDomain> Range3D;  // LUT_3D_INPUT_RANGE
};

// Look through every keyword line of a cube file. A malformed range (numbers
// missing or not finite, min not below max) raises ELUTError naming the line.
TCubeKeywords ScanCubeKeywords(const TTextFile& lines);
