#include "image/Preview.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "image/ImageLib.h"
#include "image/ImageResize2.h"
#include "image/LutInfo.h"

void ApplyToBitmap(const TLUT& lut, TBitmap& bitmap) {
  std::uint8_t* p = bitmap.Bits();
  std::uint8_t* const end = p + bitmap.Pitch() * static_cast<std::size_t>(bitmap.Height());
  if (lut.LutType == lt1D || lut.LutType == ltEmpty) {
    // Each output channel depends on its own input alone: 256 entries say it all.
    std::array<TLutPixel, 256> table;
    for (int v = 0; v < 256; ++v) {
      const auto c = static_cast<std::uint16_t>(v);
      table[static_cast<std::size_t>(v)] = lut.ApplyToPixel({c, c, c, 8}, 8);
    }
    for (; p != end; p += 3) {
      p[0] = static_cast<std::uint8_t>(table[p[0]].B);
      p[1] = static_cast<std::uint8_t>(table[p[1]].G);
      p[2] = static_cast<std::uint8_t>(table[p[2]].R);
    }
    return;
  }
  for (; p != end; p += 3) {
    const TLutPixel q = lut.ApplyToPixel({p[2], p[1], p[0], 8}, 8);
    p[0] = static_cast<std::uint8_t>(q.B);
    p[1] = static_cast<std::uint8_t>(q.G);
    p[2] = static_cast<std::uint8_t>(q.R);
  }
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
