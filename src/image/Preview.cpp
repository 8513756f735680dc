#include "image/Preview.h"

#include <algorithm>
#include <cmath>

#include "image/ImageLib.h"
#include "image/ImageResize2.h"
#include "core/LutInfo.h"

void ApplyToBitmap(const TLUT& lut, TBitmap& bitmap) {
  lut.ApplyToBGR8(bitmap.Bits(), static_cast<std::size_t>(bitmap.Width()) * bitmap.Height());
}

TPictureSize FitToBoxSize(int width, int height, int boxWidth, int boxHeight) {
  const float sx = static_cast<float>(boxWidth) / static_cast<float>(width);
  const float sy = static_cast<float>(boxHeight) / static_cast<float>(height);
  const float s = sx < sy ? sx : sy;
  if (s > 1.0f) return {width, height};
  // A sliver (65535 x 1, say) keeps at least one pixel each way.
  auto scaled = [s](int n) {
    return std::max(1, static_cast<int>(std::nearbyint(static_cast<float>(n) * s)));
  };
  return {scaled(width), scaled(height)};
}

void FitToBox(TBitmap& bitmap, int boxWidth, int boxHeight) {
  if (bitmap.Empty()) return;
  const TPictureSize size = FitToBoxSize(bitmap.Width(), bitmap.Height(), boxWidth, boxHeight);
  ResizeBitmap(size.Width, size.Height, rfLanczos3, bitmap, bitmap);
}

TBitmap LoadPreviewImage(const std::filesystem::path& fileName) {
  TBitmap bitmap;
  LoadImageToBitmap(fileName, bitmap);
  FitToBox(bitmap, PreviewBoxWidth, PreviewBoxHeight);
  return bitmap;
}

TLutPreview ShowLutInfo(const TLutRegistry& registry, const std::filesystem::path& fileName,
                        const TBitmap& ungraded, TLUT& previewRecord) {
  registry.LoadLut(fileName, previewRecord, -1);
  TLutPreview preview;
  if (previewRecord.FormatIndex < 0) return preview;
  preview.Recognised = true;
  preview.Applied = ungraded;
  ApplyToBitmap(previewRecord, preview.Applied);
  preview.Lines = LutInfoLines(previewRecord);
  return preview;
}
