// What today's cube files say besides their tables: a 1D shaper declared
// beside the cube (LUT_1D_SIZE with LUT_3D_SIZE), and input ranges other than
// 0..1 (DOMAIN_MIN / DOMAIN_MAX, LUT_1D_INPUT_RANGE / LUT_3D_INPUT_RANGE).
// The record always takes inputs on 0..1, so a range is built into it: the
// curves are resampled, or a linear curve is put in front of the cube.
#pragma once

#include <optional>

#include "core/LUT.h"
#include "core/TextFile.h"

struct TInputRange {
  TLutRGB Min{0, 0, 0};
  TLutRGB Max{1, 1, 1};
  bool IsUnit() const { return Min == TLutRGB{0, 0, 0} && Max == TLutRGB{1, 1, 1}; }
};

struct TCubeKeywords {
  int Size1D = -1;                     // the first LUT_1D_SIZE line's value, -1 without one
  int Size3D = -1;                     // the first LUT_3D_SIZE line's value, -1 without one
  std::optional<TInputRange> Domain;   // DOMAIN_MIN / DOMAIN_MAX: the file's input
  std::optional<TInputRange> Range1D;  // LUT_1D_INPUT_RANGE
  std::optional<TInputRange> Range3D;  // LUT_3D_INPUT_RANGE
};

// Look through every keyword line of a cube file. A malformed range (numbers
// missing or not finite, min not below max) raises ELUTError naming the line.
TCubeKeywords ScanCubeKeywords(const TTextFile& lines);

// Resample the curves onto inputs 0..1: entry i takes the curve's value at
// (i/(M-1) - min) / (max - min), channel by channel.
void ApplyRangeToCurveInput(TLUT& lut, const TInputRange& range);

// Make the cube's input x read the table at (x - min) / (max - min): the
// curves in front of it are mapped, or a 2-entry linear curve is put there.
void ApplyRangeToCubeInput(TLUT& lut, const TInputRange& range);
