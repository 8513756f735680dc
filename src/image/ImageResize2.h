// Separable resampling of 24-bit bitmaps: horizontally into a work bitmap,
// then vertically into the destination, with integer weights of eight
// fractional bits normalised by their sum. The preview reduces loaded
// pictures to its picture box with it.
#pragma once

#include "image/Bitmap.h"

// A filter of one single-precision argument, zero beyond its support.
struct TResampleFilter {
  const char* Name;
  float (*Function)(float x);
  float Support;  // the default half-width
};

// By index: Box, Triangle, Hermite, Bell, B-spline, Lanczos3, Mitchell.
enum TResampleFilterIndex : int {
  rfBox = 0,
  rfTriangle = 1,
  rfHermite = 2,
  rfBell = 3,
  rfBSpline = 4,
  rfLanczos3 = 5,
  rfMitchell = 6,
};
constexpr int ResampleFilterCount = 7;

// The filter at an index; throws std::out_of_range for any other index.
const TResampleFilter& ResampleFilter(int index);

// Give the destination the new size and resample the source into it. A
// support of 0 takes the filter's default. Source and destination may be the
// same bitmap.
void ResizeBitmap(int newWidth, int newHeight, int filterIndex, TBitmap& destination,
                  const TBitmap& source, float support = 0.0f);

// The resampling proper, into a destination that already has its size. Does
// nothing when either bitmap has no pixels.
void Stretch(const TResampleFilter& filter, float support, const TBitmap& source,
             TBitmap& destination);
