#include "ops/Conversion.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "core/StringLib.h"
#include "ops/BitsOverride.h"
#include "ops/OutputCheck.h"

int SelectedBits(int position) {
  static constexpr int bits[] = {-1, 8, 10, 12, 14, 16};
  return position >= 0 && position < 6 ? bits[position] : -1;
}

namespace {

// The largest size a conversion writes: 99 cube points, 99,999 curve entries.
int SizeCap(bool is3D) { return is3D ? 99 : 99999; }

bool HasCube(const TLUT& lut) { return lut.LutType == lt3D || lut.LutType == lt1DThen3D; }

// The points of the source's table of the kind asked (the file's own for a
// cube its reader resampled); 0 when it has none.
int OwnSize(const TLUT& lut, bool is3D) {
  if (is3D) return HasCube(lut) ? (lut.FileSize3D > 0 ? lut.FileSize3D : lut.Size3D()) : 0;
  return lut.LutType == lt1D ? lut.Size1D() : 0;
}

double Difference(const TLutRGB& x, const TLutRGB& y) {
  return std::max({std::abs(x.R - y.R), std::abs(x.G - y.G), std::abs(x.B - y.B)});
}

// The largest difference between a source and what it was resampled into,
// at the source's nodes (at most 33 a side, so a 99-point cube costs no more)
// and at random points over the result's input domain.
double LargestDifference(const TLUT& source, const TLUT& result) {
  const TLutDomain& d = result.InputDomain();
  auto input = [&](double r, double g, double b) {
    auto lerp = [](double f, double min, double max) { return (1 - f) * min + f * max; };
    return TLutRGB{lerp(r, d.Min.R, d.Max.R), lerp(g, d.Min.G, d.Max.G), lerp(b, d.Min.B, d.Max.B)};
  };
  double worst = 0;
  auto at = [&](const TLutRGB& x) {
    worst = std::max(worst, Difference(source.ApplyToColor(x), result.ApplyToColor(x)));
  };
  if (HasCube(source)) {
    const int n = std::min(source.Size3D(), 33);
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) at(input(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)));
  } else {
    const int m = source.Size1D();
    for (int i = 0; i < m; ++i) at(input(i / (m - 1.0), i / (m - 1.0), i / (m - 1.0)));
  }
  std::mt19937 random(15);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 4096; ++i) at(input(unit(random), unit(random), unit(random)));
  return worst;
}

// Below this a resampling is taken as exact: what rounding leaves.
constexpr double LossTolerance = 1e-5;

std::string Number(double v) { return FormatFixed(v < 0.01 ? 4 : 2, v); }

}  // namespace

std::vector<std::string> TResampleReport::Warnings() const {
  std::vector<std::string> warnings;
  if (!LostDomain.IsUnit()) warnings.push_back(DomainWarning(LostDomain));
  if (FromSize > 0)
    warnings.push_back("The table was resampled from " + std::to_string(FromSize) + " to " +
                       std::to_string(ToSize) + " points" +
                       (SizeLost > 0 ? ": up to " + Number(SizeLost) + " off." : "."));
  if (MixLost > 0)
    warnings.push_back("The 3D LUT mixes channels, which 1D curves cannot hold: they take its "
                       "grey diagonal, and colours off it differ by up to " +
                       Number(MixLost) + ".");
  return warnings;
}

int ConversionSize(const TLutRegistry& registry, const TLutOutputProfile& profile, int size,
                   const TLUT& source) {
  if (size != KeepSourceSize) return size;
  if (!profile.SizeSelectable) return profile.DefaultSize;
  const bool is3D = registry.ProfileFormat(profile).Is3D;
  const int own = OwnSize(source, is3D);
  return own > 0 ? std::min(own, SizeCap(is3D)) : profile.DefaultSize;
}

int EffectiveSize(const TLutRegistry& registry, const TLutOutputProfile& profile,
                  std::string_view sizeText) {
  std::int64_t size = profile.DefaultSize;
  if (sizeText == "Source" && profile.SizeSelectable) return KeepSourceSize;
  if (sizeText != "Default") {
    std::int64_t typed = 0;
    // The dialog admits digits only; anything else means the default.
    if (TryParseInt64(sizeText, typed) && typed >= INT32_MIN && typed <= INT32_MAX) size = typed;
  }
  const std::int64_t cap = SizeCap(registry.ProfileFormat(profile).Is3D);
  return static_cast<int>(size > cap ? cap : size);
}

std::filesystem::path OutputPathFor(const std::filesystem::path& folder,
                                    const std::string& fileName, const TLutOutputProfile& profile) {
  const std::size_t dot = fileName.rfind('.');
  const std::string stem = dot == std::string::npos ? fileName : fileName.substr(0, dot);
  return folder / (stem + "." + profile.Extension);
}

TClipReport ConvertLutFile(const TLutRegistry& registry, const std::filesystem::path& input,
                    const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                    int bits, const TReadOptions& readOptions, IConfirm* confirm) {
  const TLUT target = ReadResampled(registry, input, profile, size, readOptions);
  registry.SaveLut(output, target, profile, bits, confirm);
  return CountClipped(registry, profile, target);
}

TLUT ReadResampled(const TLutRegistry& registry, const std::filesystem::path& input,
                   const TLutOutputProfile& profile, int size, const TReadOptions& readOptions,
                   TResampleReport* report) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  CheckProfileSize(registry, profile, size);
  TLUT source;
  // A cube finer than a record holds is sampled once by its reader, at the
  // size written (the largest a conversion writes when the file's own is kept).
  TReadOptions options = readOptions;
  if (format.Is3D)
    options.CubeSize = size == KeepSourceSize ? (profile.SizeSelectable ? SizeCap(true)
                                                                         : profile.DefaultSize)
                                              : size;
  // A transform is sampled at the size written; its own choice when the
  // file's size is kept.
  if (size != KeepSourceSize) options.BakeSize = options.CubeSize;
  LoadLutFile(registry, input, source, options);
  size = ConversionSize(registry, profile, size, source);
  TResampleReport unused;
  TResampleReport& said = report ? *report : unused;
  // A reader that sampled a finer cube itself says nothing of the amount.
  const int own = OwnSize(source, format.Is3D);
  const bool resized = own > 0 && own != size;
  if (resized && source.FileSize3D > 0) {
    said.FromSize = own;
    said.ToSize = size;
  }
  TLutType type = format.Is3D ? lt3D : lt1D;
  // The source goes into the result, so it is released before the output is built.
  if (profile.InputRanges && format.Is3D && source.LutType == lt1DThen3D &&
      source.Domain1D.IsUniform() && source.Domain3D.IsUniform())
    type = lt1DThen3D;
  const bool keep = type == lt1DThen3D || format.KeepsDomain(source.InputDomain());
  if (!keep) said.LostDomain = source.InputDomain();
  // What a change of size or a cube made into curves loses is measured
  // against a copy of the source.
  const bool mixes = !format.Is3D && HasCube(source);
  if (!report || !((resized && source.FileSize3D == 0) || mixes))
    return TLUT::Resampled(std::move(source), type, size, keep);
  const TLUT copy = source;
  TLUT result = TLUT::Resampled(std::move(source), type, size, keep);
  const double lost = LargestDifference(copy, result);
  if (lost > LossTolerance) {
    if (mixes) {
      said.MixLost = lost;
    } else {
      said.FromSize = own;
      said.ToSize = size;
      said.SizeLost = lost;
    }
  }
  return result;
}
