#include "ops/OutputCheck.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <typeinfo>

#include "core/LutInfo.h"
#include "core/StringLib.h"
#include "formats/FsiDitFormat.h"
#include "formats/OneDIntegerFormats.h"
#include "formats/ThreeDLFormats.h"

namespace {

// The largest value a profile's writer keeps; 0 when it clips nothing.
double UpperLimit(const TLutRegistry& registry, const TLutOutputProfile& profile) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  if (profile.DefaultBits <= 0) return 0;                        // floating point text
  if (typeid(format) == typeid(TCodex1DLutFormat)) return 0;     // codes written unclamped
  if (typeid(format) == typeid(TFSI_DIT_3DLutFormat)) return 1023.0 / 1008.0;  // white at 1008
  return 1;
}

void Visit(const TLUT& lut, const auto& fn) {
  if (lut.LutType == lt1D || lut.LutType == lt1DThen3D)
    for (int i = 0; i < lut.Size1D(); ++i) fn(lut.Curve(i));
  if (lut.LutType == lt3D || lut.LutType == lt1DThen3D) {
    const int n = lut.Size3D();
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) fn(lut.Cube(r, g, b));
  }
}

std::string Number(double v) {
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

}  // namespace

TClipReport CountClipped(const TLutRegistry& registry, const TLutOutputProfile& profile,
                         const TLUT& lut) {
  TClipReport report;
  const double high = UpperLimit(registry, profile);
  if (high == 0) return report;
  Visit(lut, [&](const TLutRGB& rgb) {
    for (const double v : {rgb.R, rgb.G, rgb.B}) {
      if (v >= 0 && v <= high) continue;
      if (report.Count++ == 0) report.Low = report.High = v;
      report.Low = std::min(report.Low, v);
      report.High = std::max(report.High, v);
    }
  });
  return report;
}

std::string ClipWarning(const TClipReport& report) {
  if (report.Count == 0) return {};
  return std::to_string(report.Count) + (report.Count == 1 ? " value" : " values") +
         " outside 0..1 (from " + Number(report.Low) + " to " + Number(report.High) +
         (report.Count == 1 ? ") was clipped." : ") were clipped.");
}

std::string DepthWarning(const TLutRegistry& registry, const TLutOutputProfile& profile,
                         const TLUT& lut, int bits) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  if (typeid(format) != typeid(T3dlLutFormat)) return {};
  if (bits == -1) bits = profile.DefaultBits;
  std::int64_t largest = 0;
  Visit(lut, [&](const TLutRGB& rgb) {
    for (const double v : {rgb.R, rgb.G, rgb.B}) largest = std::max(largest, CodeValue(bits, v));
  });
  const int read = Likely3dlDepth(largest);
  if (read == bits) return {};
  const double times = MaxCode(bits) / MaxCode(read);
  return "Its largest code is " + std::to_string(largest) + " of " +
         std::to_string(static_cast<std::int64_t>(MaxCode(bits))) + ", so readers take this " +
         std::to_string(bits) + "-bit 3DL file as " + std::to_string(read) +
         "-bit: it reads back about " + std::to_string(std::lround(times)) + " times too bright.";
}

std::string DomainWarning(const TLutDomain& domain) {
  return "Inputs outside 0..1 are lost (the input domain is " + DomainText(domain) + ").";
}

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
