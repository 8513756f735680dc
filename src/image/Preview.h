// What the preview pane computes, without the pane: a LUT applied to a
// picture, a loaded picture reduced to the picture box, and the whole
// "select a file" step (read the LUT, grade the picture, describe the LUT).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "image/Bitmap.h"

// The "Ungraded" and "LUT Applied" picture boxes.
constexpr int PreviewBoxWidth = 210;
constexpr int PreviewBoxHeight = 169;

// Every pixel through the LUT at 8 bits in and 8 bits out, exactly as
// TLUT::ApplyToPixel maps it.
void ApplyToBitmap(const TLUT& lut, TBitmap& bitmap);

// The size FitToBox gives a w x h picture: scaled by the smaller of the two
// box ratios (in single precision), never enlarged, never below one pixel.
struct TPictureSize {
  int Width;
  int Height;
  friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};
TPictureSize FitToBoxSize(int width, int height, int boxWidth, int boxHeight);

// Reduce the bitmap in place to fit the box (Lanczos3); a picture that fits
// is still passed through the resampler at its own size.
void FitToBox(TBitmap& bitmap, int boxWidth, int boxHeight);

// A picture file (.bmp, .jpg, .jpeg, .tif, .tiff) reduced to the preview box.
TBitmap LoadPreviewImage(const std::filesystem::path& fileName);

// The pane's content for one LUT file: Recognised is false when no format
// knows the file (the pane then shows only the ungraded picture).
struct TLutPreview {
  bool Recognised = false;
  TBitmap Applied;
  std::vector<std::string> Lines;
};
// Reads the file into the preview record (automatic detection); read errors
// pass to the caller.
TLutPreview ShowLutInfo(const TLutRegistry& registry, const std::filesystem::path& fileName,
                        const TBitmap& ungraded, TLUT& previewRecord);
