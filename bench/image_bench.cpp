// In-process benchmarks of the picture side: reducing a photograph to the
// preview box, and grading a UHD frame with a 65-point cube (the work of
// `tovilut apply` without the codecs).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "core/LUT.h"
#include "image/Bitmap.h"
#include "image/Preview.h"

namespace {

// A photograph-like picture: smooth gradients with fine grain on top.
TBitmap Photo(int width, int height) {
  TBitmap picture(width, height);
  std::uint32_t noise = 1;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = picture.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28);
      p[0] = static_cast<std::uint8_t>((x * 200 / width + grain) & 255);
      p[1] = static_cast<std::uint8_t>((y * 200 / height + grain) & 255);
      p[2] = static_cast<std::uint8_t>(((x + y) * 120 / (width + height) + 60 + grain) & 255);
    }
  }
  return picture;
}

void BM_FitToBox6000x4000(benchmark::State& state) {
  const TBitmap photo = Photo(6000, 4000);
  for (auto _ : state) {
    state.PauseTiming();
    TBitmap picture = photo;
    state.ResumeTiming();
    FitToBox(picture, PreviewBoxWidth, PreviewBoxHeight);
    benchmark::DoNotOptimize(picture.Bits());
  }
}
BENCHMARK(BM_FitToBox6000x4000)->Unit(benchmark::kMillisecond);

void BM_ApplyCube65ToUhd(benchmark::State& state) {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(65);
  for (int r = 0; r < 65; ++r)
    for (int g = 0; g < 65; ++g)
      for (int b = 0; b < 65; ++b)
        lut.Cube(r, g, b) = {std::sqrt(r / 64.0), g / 64.0 * b / 64.0, (r + b) / 128.0};
  const TBitmap frame = Photo(3840, 2160);
  for (auto _ : state) {
    state.PauseTiming();
    TBitmap picture = frame;
    state.ResumeTiming();
    ApplyToBitmap(lut, picture);
    benchmark::DoNotOptimize(picture.Bits());
  }
}
BENCHMARK(BM_ApplyCube65ToUhd)->Unit(benchmark::kMillisecond);

}  // namespace
