// In-process benchmarks: resampling a 65-point cube into a 99-point cube,
// against the least a trilinear resampling loop over the same data can do.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/LUT.h"

namespace {

TLUT Cube65() {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(65);
  for (int r = 0; r < 65; ++r)
    for (int g = 0; g < 65; ++g)
      for (int b = 0; b < 65; ++b)
        lut.Cube(r, g, b) = {std::sqrt(r / 64.0), g / 64.0 * b / 64.0, (r + b) / 128.0};
  return lut;
}

void BM_ConvertFrom65To99(benchmark::State& state) {
  const TLUT source = Cube65();
  TLUT target;
  target.LutType = lt3D;
  target.SetSize3D(99);
  for (auto _ : state) {
    target.ConvertFrom(source);
    benchmark::DoNotOptimize(target.Cube(50, 50, 50));
  }
}
BENCHMARK(BM_ConvertFrom65To99)->Unit(benchmark::kMillisecond);

// The floor: a flat array and a plain trilinear loop, nothing else.
void BM_MinimalTrilinear65To99(benchmark::State& state) {
  const TLUT source = Cube65();
  const int n = 65, m = 99;
  std::vector<double> src(static_cast<std::size_t>(n) * n * n * 3);
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const TLutRGB& c = source.Cube(r, g, b);
        double* d = &src[((static_cast<std::size_t>(r) * n + g) * n + b) * 3];
        d[0] = c.R, d[1] = c.G, d[2] = c.B;
      }
  std::vector<double> dst(static_cast<std::size_t>(m) * m * m * 3);
  for (auto _ : state) {
    double* out = dst.data();
    for (int r = 0; r < m; ++r)
      for (int g = 0; g < m; ++g)
        for (int b = 0; b < m; ++b) {
          const double pr = r * (n - 1.0) / (m - 1), pg = g * (n - 1.0) / (m - 1),
                       pb = b * (n - 1.0) / (m - 1);
          const int ir = std::min(static_cast<int>(pr), n - 2), ig = std::min(static_cast<int>(pg), n - 2),
                    ib = std::min(static_cast<int>(pb), n - 2);
          const double fr = pr - ir, fg = pg - ig, fb = pb - ib;
          auto at = [&](int dr, int dg, int db, int c) {
            return src[((static_cast<std::size_t>(ir + dr) * n + ig + dg) * n + ib + db) * 3 + c];
          };
          for (int c = 0; c < 3; ++c) {
            const double e00 = at(0, 0, 0, c) + (at(0, 0, 1, c) - at(0, 0, 0, c)) * fb;
            const double e01 = at(0, 1, 0, c) + (at(0, 1, 1, c) - at(0, 1, 0, c)) * fb;
            const double e10 = at(1, 0, 0, c) + (at(1, 0, 1, c) - at(1, 0, 0, c)) * fb;
            const double e11 = at(1, 1, 0, c) + (at(1, 1, 1, c) - at(1, 1, 0, c)) * fb;
            const double g0 = e00 + (e01 - e00) * fg, g1 = e10 + (e11 - e10) * fg;
            *out++ = g0 + (g1 - g0) * fr;
          }
        }
    benchmark::DoNotOptimize(dst.data());
  }
}
BENCHMARK(BM_MinimalTrilinear65To99)->Unit(benchmark::kMillisecond);

}  // namespace
