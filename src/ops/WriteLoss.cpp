#include "ops/WriteLoss.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "core/LutInfo.h"
#include "core/StringLib.h"

namespace {


// A value as short as it reads: six decimals at most, no trailing zeros.
std::string Value(double v) {
  std::string text = FormatFixed(6, v);
  while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.')) {
    const bool dot = text.back() == '.';
    text.pop_back();
    if (dot) break;
  }
  return text;
}

double Difference(const TLutRGB& x, const TLutRGB& y) {
  return std::max({std::abs(x.R - y.R), std::abs(x.G - y.G), std::abs(x.B - y.B)});
}

bool HasCube(const TLUT& lut) { return lut.LutType == lt3D || lut.LutType == lt1DThen3D; }

template <typename Fn>
void ForEachValue(const TLUT& lut, Fn fn) {
  const auto each = [&](const TLutRGB& c) { fn(c.R), fn(c.G), fn(c.B); };
  if (lut.LutType == lt1D || lut.LutType == lt1DThen3D)
    for (int i = 0; i < lut.Size1D(); ++i) each(lut.Curve(i));
  if (HasCube(lut)) {
    const int n = lut.Size3D();
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) each(lut.Cube(r, g, b));
  }
}

}  // namespace

std::string LossAmount(double v) { return FormatFixed(v < 0.01 ? 4 : v < 100 ? 2 : 0, v); }

std::string_view LossCauseName(TLossCause cause) {
  switch (cause) {
    case TLossCause::Domain: return "domain";
    case TLossCause::Size: return "size";
    case TLossCause::Shaper: return "shaper";
    case TLossCause::Curves: return "curves";
    case TLossCause::Mix: return "mix";
    case TLossCause::Clip: return "clip";
    case TLossCause::Depth: return "depth";
    case TLossCause::Codes: return "codes";
  }
  return "size";
}

TWriteLoss DomainLoss(const TLutDomain& domain) {
  const double beyond = std::max({-domain.Min.R, -domain.Min.G, -domain.Min.B, domain.Max.R - 1,
                                  domain.Max.G - 1, domain.Max.B - 1, 0.0});
  return {TLossCause::Domain, beyond,
          "Inputs outside 0..1 are lost (the input domain is " + DomainText(domain) + ")."};
}

TWriteLoss SizeLoss(int from, int to, double size) {
  return {TLossCause::Size, size,
          "The table was resampled from " + std::to_string(from) + " to " + std::to_string(to) +
              " points" + (size > 0 ? ": up to " + LossAmount(size) + " off." : ".")};
}

TWriteLoss ShaperLoss(double size) {
  return {TLossCause::Shaper, size,
          "The shaper cannot be kept by this format: up to " + LossAmount(size) + " off."};
}

TWriteLoss CurvesLoss(int cubeSize, double size) {
  return {TLossCause::Curves, size,
          "The 1D curves were sampled into a cube of " + std::to_string(cubeSize) +
              " points: up to " + LossAmount(size) + " off."};
}

TWriteLoss MixLoss(double size) {
  return {TLossCause::Mix, size,
          "The 3D LUT mixes channels, which 1D curves cannot hold: they take its grey diagonal, "
          "and colours off it differ by up to " +
              LossAmount(size) + "."};
}

TValueRange ValueRange(const TLUT& lut) {
  TValueRange range;
  bool first = true;
  ForEachValue(lut, [&](double v) {
    range.Low = first ? v : std::min(range.Low, v);
    range.High = first ? v : std::max(range.High, v);
    first = false;
  });
  return range;
}

TClipReport CountOutside(const TLUT& lut, double high) {
  TClipReport report;
  ForEachValue(lut, [&](double v) {
    if (v >= 0 && v <= high) return;
    if (report.Count++ == 0) report.Low = report.High = v;
    report.Low = std::min(report.Low, v);
    report.High = std::max(report.High, v);
  });
  return report;
}

std::vector<TWriteLoss> ClipLoss(const TClipReport& report, double high) {
  if (report.Count == 0) return {};
  const bool one = report.Count == 1;
  return {{TLossCause::Clip, std::max(-report.Low, report.High - high),
           std::to_string(report.Count) + (one ? " value" : " values") + " outside 0..1 (from " +
               Value(report.Low) + " to " + Value(report.High) +
               (one ? ") was clipped." : ") were clipped.")}};
}

double LargestDifference(const TLUT& source, const TLUT& output) {
  const TLutDomain& d = output.InputDomain();
  auto lerp = [](double f, double min, double max) { return (1 - f) * min + f * max; };
  std::vector<TLutRGB> inputs;
  const auto add = [&](double r, double g, double b) {
    inputs.push_back({lerp(r, d.Min.R, d.Max.R), lerp(g, d.Min.G, d.Max.G), lerp(b, d.Min.B, d.Max.B)});
  };
  const bool tables = !source.Formula || source.Size3D() > 0 || source.Size1D() > 0;
  const TLUT& spread = tables ? source : output;  // whose nodes are visited
  if (HasCube(spread)) {
    const int n = std::min(spread.Size3D(), 33);
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) add(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0));
  } else {
    const int m = spread.Size1D();
    for (int i = 0; i < m; ++i) add(i / (m - 1.0), i / (m - 1.0), i / (m - 1.0));
  }
  // A fixed seed: the same file gives the same report on every run.
  std::mt19937 random(15);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 4096; ++i) {
    const double r = unit(random), g = unit(random), b = unit(random);
    add(r, g, b);
  }
  std::vector<TLutRGB> expected = inputs;
  source.ApplyToColors(expected.data(), expected.size());
  output.ApplyToColors(inputs.data(), inputs.size());
  double worst = 0;
  for (std::size_t i = 0; i < inputs.size(); ++i)
    worst = std::max(worst, Difference(expected[i], inputs[i]));
  return worst;
}
