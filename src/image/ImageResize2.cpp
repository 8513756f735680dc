// The resampler. Scale factors, centres and filter arguments are kept in
// single precision, as the weights were always computed; each weight is
// round(filter * 256) (times the scale when reducing), ties to even.
//
// Two liberties that do not change any result where the classic arithmetic
// stays inside the picture:
// - Each contributor list is kept dense: one weight per source index from the
//   lowest to the highest it touches, weights that land on the same index
//   (from the mirrored edges) added together. Sums of weight x value are the
//   same integers, and the inner loop becomes a plain dot product.
// - A mirrored index that still falls outside the line (supports wider than
//   the line itself: 1- or 2-pixel lines, or reductions to a few pixels) is
//   clamped to the line, and a list whose every weight rounds to zero takes
//   the nearest source pixel instead of coming out black.
#include "image/ImageResize2.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

float BoxFilter(float x) { return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f; }

float TriangleFilter(float x) {
  const double t = std::fabs(x);
  return t < 1.0 ? static_cast<float>(1.0 - t) : 0.0f;
}

float HermiteFilter(float x) {
  const double t = std::fabs(x);
  return t < 1.0 ? static_cast<float>((2.0 * t - 3.0) * t * t + 1.0) : 0.0f;
}

float BellFilter(float x) {
  const double t = std::fabs(x);
  if (t < 0.5) return static_cast<float>(0.75 - t * t);
  if (t < 1.5) return static_cast<float>(0.5 * (t - 1.5) * (t - 1.5));
  return 0.0f;
}

float BSplineFilter(float x) {
  const double t = std::fabs(x);
  if (t < 1.0) return static_cast<float>(0.5 * t * t * t - t * t + 2.0 / 3.0);
  if (t < 2.0) return static_cast<float>((2.0 - t) * (2.0 - t) * (2.0 - t) / 6.0);
  return 0.0f;
}

float Sinc(float x) {
  if (x == 0.0f) return 1.0f;
  const float px = static_cast<float>(static_cast<double>(x) * std::numbers::pi);
  return static_cast<float>(std::sin(static_cast<double>(px)) / px);
}

float Lanczos3Filter(float x) {
  const float t = std::fabs(x);
  if (t < 3.0f) return static_cast<float>(static_cast<double>(Sinc(t)) * Sinc(t / 3.0f));
  return 0.0f;
}

float MitchellFilter(float x) {
  constexpr double B = 1.0 / 3.0, C = 1.0 / 3.0;
  const double t = std::fabs(x), tt = t * t;
  if (t < 1.0)
    return static_cast<float>(((12 - 9 * B - 6 * C) * (t * tt) + (-18 + 12 * B + 6 * C) * tt +
                               (6 - 2 * B)) / 6.0);
  if (t < 2.0)
    return static_cast<float>(((-B - 6 * C) * (t * tt) + (6 * B + 30 * C) * tt +
                               (-12 * B - 48 * C) * t + (8 * B + 24 * C)) / 6.0);
  return 0.0f;
}

const TResampleFilter Filters[ResampleFilterCount] = {
    {"Box", BoxFilter, 0.5f},         {"Triangle", TriangleFilter, 1.0f},
    {"Hermite", HermiteFilter, 1.0f}, {"Bell", BellFilter, 1.5f},
    {"B-spline", BSplineFilter, 2.0f}, {"Lanczos3", Lanczos3Filter, 3.0f},
    {"Mitchell", MitchellFilter, 2.0f},
};

// The weights of one destination pixel: Weights[k] applies to source index
// First + k; Sum is their total.
struct TContributors {
  int First = 0;
  std::int32_t Sum = 0;
  std::vector<std::int16_t> Weights;
};

// The mirrored source index for j on a line of n pixels, kept on the line.
int SourceIndex(int j, int n) {
  if (j < 0) j = -j;
  else if (j >= n) j = n - j + n - 1;
  return std::clamp(j, 0, n - 1);
}

// Scale from n source pixels to m destination pixels: the plain ratio when
// either is a single pixel, else the ratio of the distances between the
// outermost pixel centres.
float ScaleFactor(int m, int n) {
  if (n == 1 || m == 1) return static_cast<float>(m) / static_cast<float>(n);
  return static_cast<float>(m - 1) / static_cast<float>(n - 1);
}

std::vector<TContributors> BuildContributors(const TResampleFilter& filter, float support,
                                             int m, int n) {
  const float s = ScaleFactor(m, n);
  const bool reduce = s < 1.0f;
  const float w = reduce ? support / s : support;
  std::vector<TContributors> lists(static_cast<std::size_t>(m));
  std::vector<std::pair<int, std::int32_t>> sparse;
  for (int i = 0; i < m; ++i) {
    const float center = static_cast<float>(i) / s;
    const int left = static_cast<int>(std::floor(static_cast<double>(center) - w));
    const int right = static_cast<int>(std::ceil(static_cast<double>(center) + w));
    sparse.clear();
    for (int j = left; j <= right; ++j) {
      const float x = static_cast<float>((static_cast<double>(center) - j) * (reduce ? s : 1.0f));
      double weight = filter.Function(x);
      if (reduce) weight *= s;
      const auto q = static_cast<std::int32_t>(std::nearbyint(weight * 256.0));
      if (q != 0) sparse.emplace_back(SourceIndex(j, n), q);
    }
    if (sparse.empty())
      sparse.emplace_back(std::clamp(static_cast<int>(std::nearbyint(center)), 0, n - 1), 256);
    TContributors& list = lists[static_cast<std::size_t>(i)];
    int lo = n, hi = -1;
    for (const auto& [index, weight] : sparse) {
      lo = std::min(lo, index);
      hi = std::max(hi, index);
    }
    list.First = lo;
    std::vector<std::int32_t> dense(static_cast<std::size_t>(hi - lo + 1), 0);
    for (const auto& [index, weight] : sparse) {
      dense[static_cast<std::size_t>(index - lo)] += weight;
      list.Sum += weight;
    }
    // Each weight is at most 256 in size and folding at the edges adds only
    // a few; the clamp never acts but keeps the narrowing well defined.
    list.Weights.resize(dense.size());
    for (std::size_t k = 0; k < dense.size(); ++k)
      list.Weights[k] = static_cast<std::int16_t>(std::clamp(dense[k], -32768, 32767));
  }
  return lists;
}

// One line of one channel at a time, so the inner loops are dot products.
// Values are bytes and weights stay far inside 16 bits, so both are held as
// 16-bit integers: the products and sums are the same 32-bit integers, and
// the compiler can multiply and add eight pairs at once.
struct TChannelLines {
  explicit TChannelLines(int n) : R(n), G(n), B(n) {}
  std::vector<std::int16_t> R, G, B;
};

inline std::uint8_t ToByte(std::int32_t sum, std::int32_t total) {
  const std::int64_t v = total != 0 ? sum / total
                                    : static_cast<std::int64_t>(static_cast<std::uint32_t>(sum) >> 8);
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
}

inline void ComputePixel(const TContributors& c, const TChannelLines& line, std::uint8_t* out) {
  const std::int16_t* w = c.Weights.data();
  const std::int16_t* r = line.R.data() + c.First;
  const std::int16_t* g = line.G.data() + c.First;
  const std::int16_t* b = line.B.data() + c.First;
  std::int32_t sr = 0, sg = 0, sb = 0;
  const std::size_t count = c.Weights.size();
  for (std::size_t k = 0; k < count; ++k) {
    sr += w[k] * r[k];
    sg += w[k] * g[k];
    sb += w[k] * b[k];
  }
  out[0] = ToByte(sb, c.Sum);
  out[1] = ToByte(sg, c.Sum);
  out[2] = ToByte(sr, c.Sum);
}

}  // namespace

const TResampleFilter& ResampleFilter(int index) {
  if (index < 0 || index >= ResampleFilterCount)
    throw std::out_of_range("Unknown resampling filter " + std::to_string(index) + ".");
  return Filters[index];
}

void Stretch(const TResampleFilter& filter, float support, const TBitmap& source,
             TBitmap& destination) {
  const int sw = source.Width(), sh = source.Height();
  const int dw = destination.Width(), dh = destination.Height();
  if (sw == 0 || sh == 0 || dw == 0 || dh == 0) return;
  TBitmap work(dw, sh);

  const std::vector<TContributors> columns = BuildContributors(filter, support, dw, sw);
  TChannelLines line(std::max(sw, sh));
  for (int k = 0; k < sh; ++k) {
    const std::uint8_t* p = source.Row(k);
    for (int x = 0; x < sw; ++x, p += 3) {
      line.B[x] = p[0];
      line.G[x] = p[1];
      line.R[x] = p[2];
    }
    std::uint8_t* q = work.Row(k);
    for (int i = 0; i < dw; ++i, q += 3) ComputePixel(columns[i], line, q);
  }

  const std::vector<TContributors> rows = BuildContributors(filter, support, dh, sh);
  const std::size_t workPitch = work.Pitch(), destPitch = destination.Pitch();
  for (int k = 0; k < dw; ++k) {
    const std::uint8_t* p = work.Bits() + 3 * static_cast<std::size_t>(k);
    for (int y = 0; y < sh; ++y, p += workPitch) {
      line.B[y] = p[0];
      line.G[y] = p[1];
      line.R[y] = p[2];
    }
    std::uint8_t* q = destination.Bits() + 3 * static_cast<std::size_t>(k);
    for (int i = 0; i < dh; ++i, q += destPitch) ComputePixel(rows[i], line, q);
  }
}

void ResizeBitmap(int newWidth, int newHeight, int filterIndex, TBitmap& destination,
                  const TBitmap& source, float support) {
  const TResampleFilter& filter = ResampleFilter(filterIndex);
  if (support == 0.0f) support = filter.Support;
  if (!(support > 0.0f)) throw std::invalid_argument("The filter support must be positive.");
  TBitmap result(newWidth, newHeight);
  Stretch(filter, support, source, result);
  destination = std::move(result);
}
