#include "ops/OutputCheck.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

double Difference(const TLutRGB& x, const TLutRGB& y) {
  return std::max({std::abs(x.R - y.R), std::abs(x.G - y.G), std::abs(x.B - y.B)});
}

}  // namespace

double VerifyOutput(const TLutRegistry& registry, const TLUT& source,
                    const std::filesystem::path& output, const TReadOptions& options) {
  TLUT back;
  registry.LoadLut(output, back, -1, options);
  if (back.FormatIndex < 0 || back.LutType == ltEmpty)
    throw ELUTError("The output cannot be read back: no format recognises it.");
  double worst = 0;
  auto at = [&](const TLutRGB& x) {
    worst = std::max(worst, Difference(source.ApplyToColor(x), back.ApplyToColor(x)));
  };
  // Inputs are spread over the output's own domain, which is 0..1 unless it kept another.
  const TLutDomain& d = back.InputDomain();
  auto input = [&](const TLutRGB& t) {
    auto lerp = [](double f, double min, double max) { return (1 - f) * min + f * max; };
    return TLutRGB{lerp(t.R, d.Min.R, d.Max.R), lerp(t.G, d.Min.G, d.Max.G),
                   lerp(t.B, d.Min.B, d.Max.B)};
  };
  if (back.LutType == lt1D) {
    const int m = back.Size1D();
    for (int i = 0; i < m; ++i) {
      const double x = i / (m - 1.0);
      at(input({x, x, x}));
    }
  } else {
    const int n = back.Size3D();
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) at(input({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)}));
  }
  // A fixed seed: the same file gives the same report on every run.
  std::mt19937 random(15);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 4096; ++i) at(input({unit(random), unit(random), unit(random)}));
  return worst;
}
