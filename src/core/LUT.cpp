// Lookup and resampling of the LUT record. The arithmetic follows the
// documented order step by step (compiled without contraction), so results are
// the same on every machine.
#include "core/LUT.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "core/Errors.h"
#include "core/LutFormula.h"
#include "core/StringLib.h"

namespace {

// Inputs outside 0..1 (a curve feeding the cube, say) must never index
// outside the storage; NaN counts as 0.
inline double ClampUnit(double x) {
  if (!(x > 0.0)) return 0.0;
  return x > 1.0 ? 1.0 : x;
}

// Grid position of x on an axis of n points: the lower index, the upper
// neighbour clamped to the last point, and the fraction between them.
struct AxisPos {
  int lo;
  int hi;
  double f;
};

inline AxisPos Locate(double x, int n) {
  const double p = static_cast<double>(n - 1) * ClampUnit(x);
  const double t = std::trunc(p);
  const int lo = static_cast<int>(t);
  return {lo, lo + 1 < n ? lo + 1 : n - 1, p - t};
}

// Where an input lies in a domain's channel, 0 at its minimum and 1 at its
// maximum; on 0..1 this is the input itself, bit for bit.
inline double Normalised(double x, double min, double max) { return (x - min) / (max - min); }

inline TLutRGB Normalised(const TLutRGB& x, const TLutDomain& d) {
  return {Normalised(x.R, d.Min.R, d.Max.R), Normalised(x.G, d.Min.G, d.Max.G),
          Normalised(x.B, d.Min.B, d.Max.B)};
}

// The input of node i of count spread over min..max: the ends exactly, and
// i/(count-1) itself on 0..1.
inline double NodeInput(int i, int count, double min, double max) {
  const double t = i / (count - 1.0);
  return (1 - t) * min + t * max;
}

inline TLutRGB NodeInput(int r, int g, int b, int count, const TLutDomain& d) {
  return {NodeInput(r, count, d.Min.R, d.Max.R), NodeInput(g, count, d.Min.G, d.Max.G),
          NodeInput(b, count, d.Min.B, d.Max.B)};
}

}  // namespace

void CheckCubeSize(int n) {
  if (n > MaxCubeSize)
    throw ELUTSizeError(
        "The current version cannot process LUTs more than 100x100x100.\r\n"
        "In general, 64x64x64 is definitely enough for 3D LUTs.");
  if (n < 2)
    throw ELUTSizeError("Invalid cube size " + std::to_string(n) +
                        ": a 3D LUT needs at least 2 points per axis.");
}

void CheckLutValues(const TLUT& lut) {
  auto fits = [](const TLutRGB& c) {
    return IsLutValue(c.R) && IsLutValue(c.G) && IsLutValue(c.B);
  };
  const bool curves = lut.LutType == lt1D || lut.LutType == lt1DThen3D;
  const bool cube = lut.LutType == lt3D || lut.LutType == lt1DThen3D;
  bool ok = true;
  if (curves)
    for (int i = 0; i < lut.Size1D() && ok; ++i) ok = fits(lut.Curve(i));
  const int n = cube ? lut.Size3D() : 0;
  for (int r = 0; r < n && ok; ++r)
    for (int g = 0; g < n && ok; ++g)
      for (int b = 0; b < n && ok; ++b) ok = fits(lut.Cube(r, g, b));
  if (!ok) throw ELUTError("The LUT holds a value that is not a number between -1e6 and 1e6.");
  // A domain's bounds and width follow the same rule: a cube written over
  // -1e30..1e30 would be refused by the readers of every format.
  const auto checkDomain = [](const TLutDomain& d) {
    for (const auto& [min, max] : {std::pair{d.Min.R, d.Max.R}, std::pair{d.Min.G, d.Max.G},
                                   std::pair{d.Min.B, d.Max.B}})
      if (!(IsLutValue(min) && IsLutValue(max) && min < max && IsLutValue(max - min)))
        throw ELUTError("The input domain " + FormatShortest(min) + " .. " + FormatShortest(max) +
                        " is not one a LUT can mean: its bounds must be numbers between -1e6 "
                        "and 1e6, the first below the second.");
  };
  if (curves) checkDomain(lut.Domain1D);
  if (cube) checkDomain(lut.Domain3D);
}

void CheckCurveSize(int m) {
  if (m > MaxCurveSize)
    throw ELUTSizeError("The current version cannot process 1D LUTs longer than 100000 entries.");
  if (m < 2)
    throw ELUTSizeError("Invalid curve length " + std::to_string(m) +
                        ": a 1D LUT needs at least 2 entries.");
}

void TLUT::SetSize1D(int m) {
  if (m != Size1D_ || CurveData_.size() != static_cast<std::size_t>(m > 0 ? m : 0))
    CurveData_.assign(m > 0 ? static_cast<std::size_t>(m) : 0, TLutRGB{});
  Size1D_ = m;
}

void TLUT::SetSize3D(int n) {
  const std::size_t count = n > 0 ? static_cast<std::size_t>(n) * n * n : 0;
  if (n != Size3D_ || CubeData_.size() != count) CubeData_.assign(count, TLutRGB{});
  Size3D_ = n;
}

namespace {

// Trilinear lookup between the eight nodes around a position: along blue,
// then green, then red, one channel at a time.
TLutRGB Trilinear(const TLUT& lut, const AxisPos& r, const AxisPos& g, const AxisPos& b) {
  const TLutRGB& c000 = lut.Cube(r.lo, g.lo, b.lo);
  const TLutRGB& c001 = lut.Cube(r.lo, g.lo, b.hi);
  const TLutRGB& c010 = lut.Cube(r.lo, g.hi, b.lo);
  const TLutRGB& c011 = lut.Cube(r.lo, g.hi, b.hi);
  const TLutRGB& c100 = lut.Cube(r.hi, g.lo, b.lo);
  const TLutRGB& c101 = lut.Cube(r.hi, g.lo, b.hi);
  const TLutRGB& c110 = lut.Cube(r.hi, g.hi, b.lo);
  const TLutRGB& c111 = lut.Cube(r.hi, g.hi, b.hi);
  auto channel = [&](double TLutRGB::*c) {
    const double e00 = (1 - b.f) * (c000.*c) + (c001.*c) * b.f;
    const double e01 = (1 - b.f) * (c010.*c) + (c011.*c) * b.f;
    const double e10 = (1 - b.f) * (c100.*c) + (c101.*c) * b.f;
    const double e11 = (1 - b.f) * (c110.*c) + (c111.*c) * b.f;
    const double g0 = (1 - g.f) * e00 + e01 * g.f;
    const double g1 = (1 - g.f) * e10 + e11 * g.f;
    return (1 - r.f) * g0 + g1 * r.f;
  };
  return {channel(&TLutRGB::R), channel(&TLutRGB::G), channel(&TLutRGB::B)};
}

// Tetrahedral lookup: the cell between the eight nodes is cut along its
// diagonal from (lo, lo, lo) to (hi, hi, hi) into six tetrahedra. The one
// that holds the position has the corners met on the way along the axes in
// decreasing order of their fractions, each weighed by how much its
// fraction exceeds the next one.
TLutRGB Tetrahedral(const TLUT& lut, const AxisPos& r, const AxisPos& g, const AxisPos& b) {
  const AxisPos* axes[3] = {&r, &g, &b};
  int order[3] = {0, 1, 2};
  std::sort(order, order + 3, [&](int x, int y) { return axes[x]->f > axes[y]->f; });
  int at[3] = {r.lo, g.lo, b.lo};
  double weight = 1 - axes[order[0]]->f;
  TLutRGB sum = lut.Cube(at[0], at[1], at[2]);
  sum = {weight * sum.R, weight * sum.G, weight * sum.B};
  for (int k = 0; k < 3; ++k) {
    const AxisPos& axis = *axes[order[k]];
    at[order[k]] = axis.hi;
    weight = axis.f - (k < 2 ? axes[order[k + 1]]->f : 0.0);
    const TLutRGB& c = lut.Cube(at[0], at[1], at[2]);
    sum = {sum.R + weight * c.R, sum.G + weight * c.G, sum.B + weight * c.B};
  }
  return sum;
}

TLutRGB CubeLookup(const TLUT& lut, const AxisPos& r, const AxisPos& g, const AxisPos& b) {
  return lut.Interpolation == TLutInterpolation::Tetrahedral ? Tetrahedral(lut, r, g, b)
                                                             : Trilinear(lut, r, g, b);
}

// An output value as an integer code of maxCode, clamped on the way.
inline std::uint16_t CodeOf(double v, double maxCode) {
  return static_cast<std::uint16_t>(std::nearbyint(maxCode * ClampUnit(v)));
}

}  // namespace

TLutRGB TLUT::Interpolate3D(const TLutRGB& x) const {
  const int n = Size3D_;
  if (n < 1) return x;  // nothing to look up in; colours pass unchanged
  const TLutRGB u = Normalised(x, Domain3D);
  return CubeLookup(*this, Locate(u.R, n), Locate(u.G, n), Locate(u.B, n));
}

TLutRGB TLUT::Interpolate1D(const TLutRGB& x) const {
  const int m = Size1D_;
  if (m < 1) return x;
  auto channel = [&](double in, double TLutRGB::*c) {
    const AxisPos p = Locate(in, m);
    return (1 - p.f) * (Curve(p.lo).*c) + (Curve(p.hi).*c) * p.f;
  };
  const TLutRGB u = Normalised(x, Domain1D);
  return {channel(u.R, &TLutRGB::R), channel(u.G, &TLutRGB::G), channel(u.B, &TLutRGB::B)};
}

TLutRGB TLUT::ApplyToColor(const TLutRGB& x) const {
  if (Formula) {
    TLutRGB y = x;
    Formula->Apply(&y, 1);
    return y;
  }
  switch (LutType) {
    case lt1D:
      return Interpolate1D(x);
    case lt3D:
      return Interpolate3D(x);
    case lt1DThen3D:
      return Interpolate3D(Interpolate1D(x));
    case ltEmpty:
      break;
  }
  return x;
}

void TLUT::ApplyToColors(TLutRGB* colours, std::size_t count) const {
  if (Formula) {
    Formula->Apply(colours, count);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) colours[i] = ApplyToColor(colours[i]);
}

TLutPixel TLUT::ApplyToPixel(const TLutPixel& in, std::uint8_t outBits) const {
  const double inMax = std::exp2(in.Bits) - 1;
  const double outMax = std::exp2(outBits) - 1;
  const TLutRGB y = ApplyToColor({in.R / inMax, in.G / inMax, in.B / inMax});
  return {CodeOf(y.R, outMax), CodeOf(y.G, outMax), CodeOf(y.B, outMax), outBits};
}

void TLUT::ApplyToBGR8(std::uint8_t* pixels, std::size_t count) const {
  if (Formula) {
    // A formula has no per-channel shortcut: the pixels go through it in
    // runs, as numbers, and come back as codes the same way.
    constexpr std::size_t run = 4096;
    std::vector<TLutRGB> colours(std::min(run, count));
    for (std::size_t first = 0; first < count; first += run) {
      const std::size_t n = std::min(run, count - first);
      std::uint8_t* p = pixels + 3 * first;
      for (std::size_t i = 0; i < n; ++i)
        colours[i] = {p[3 * i + 2] / 255.0, p[3 * i + 1] / 255.0, p[3 * i] / 255.0};
      Formula->Apply(colours.data(), n);
      for (std::size_t i = 0; i < n; ++i) {
        p[3 * i] = static_cast<std::uint8_t>(CodeOf(colours[i].B, 255.0));
        p[3 * i + 1] = static_cast<std::uint8_t>(CodeOf(colours[i].G, 255.0));
        p[3 * i + 2] = static_cast<std::uint8_t>(CodeOf(colours[i].R, 255.0));
      }
    }
    return;
  }
  // Each channel's curve output (or its plain input) depends on that
  // channel's byte alone, and so does its grid position in the cube: both
  // are worked out once per byte value, by the same routines ApplyToPixel uses.
  const bool curves = LutType == lt1D || LutType == lt1DThen3D;
  const bool cube = (LutType == lt3D || LutType == lt1DThen3D) && Size3D_ >= 1;
  TLutRGB stage[256];
  for (int v = 0; v < 256; ++v) {
    const double x = v / 255.0;
    stage[v] = curves ? Interpolate1D({x, x, x}) : TLutRGB{x, x, x};
  }
  std::uint8_t* const end = pixels + 3 * count;
  if (!cube) {
    std::uint8_t code[3][256];
    for (int v = 0; v < 256; ++v) {
      code[0][v] = static_cast<std::uint8_t>(CodeOf(stage[v].B, 255.0));
      code[1][v] = static_cast<std::uint8_t>(CodeOf(stage[v].G, 255.0));
      code[2][v] = static_cast<std::uint8_t>(CodeOf(stage[v].R, 255.0));
    }
    for (std::uint8_t* p = pixels; p != end; p += 3) {
      p[0] = code[0][p[0]];
      p[1] = code[1][p[1]];
      p[2] = code[2][p[2]];
    }
    return;
  }
  std::vector<AxisPos> axes(3 * 256);  // blue, green, red, as the bytes lie
  for (int v = 0; v < 256; ++v) {
    const TLutRGB u = Normalised(stage[v], Domain3D);
    axes[v] = Locate(u.B, Size3D_);
    axes[256 + v] = Locate(u.G, Size3D_);
    axes[512 + v] = Locate(u.R, Size3D_);
  }
  for (std::uint8_t* p = pixels; p != end; p += 3) {
    const TLutRGB y = CubeLookup(*this, axes[512 + p[2]], axes[256 + p[1]], axes[p[0]]);
    p[0] = static_cast<std::uint8_t>(CodeOf(y.B, 255.0));
    p[1] = static_cast<std::uint8_t>(CodeOf(y.G, 255.0));
    p[2] = static_cast<std::uint8_t>(CodeOf(y.R, 255.0));
  }
}

void TLUT::FillIdentity3D() {
  const int n = Size3D_;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) Cube(r, g, b) = NodeInput(r, g, b, n, Domain3D);
}

TLUT TLUT::Resampled(TLUT&& source, TLutType type, int size, bool keepDomain) {
  if (type == lt1DThen3D) {
    // The shaper stays as it is; only the cube behind it takes the size.
    TLUT target = std::move(source);
    target.Formula.reset();
    TLUT cube;
    cube.LutType = lt3D;
    cube.Domain3D = target.Domain3D;
    cube.Size3D_ = target.Size3D_;
    cube.CubeData_ = std::move(target.CubeData_);
    cube = Resampled(std::move(cube), lt3D, size);
    target.Size3D_ = size;
    target.CubeData_ = std::move(cube.CubeData_);
    return target;
  }
  TLUT target;
  target.LutType = type;
  const TLutDomain domain = keepDomain ? source.InputDomain() : TLutDomain{};
  (type == lt3D ? target.Domain3D : target.Domain1D) = domain;
  const bool sameDomain = source.InputDomain() == domain;
  if (type == lt3D && source.LutType == lt3D && source.Size3D_ == size && sameDomain) {
    target.Size3D_ = size;
    target.CubeData_ = std::move(source.CubeData_);
  } else if (type == lt1D && source.LutType == lt1D && source.Size1D_ == size && sameDomain) {
    target.Size1D_ = size;
    target.CurveData_ = std::move(source.CurveData_);
  } else {
    if (type == lt3D) {
      target.SetSize3D(size);
    } else {
      target.SetSize1D(size);
    }
    target.ConvertFrom(source);
    return target;
  }
  target.Comments = std::move(source.Comments);
  target.Title = std::move(source.Title);
  return target;
}

void TLUT::ConvertFrom(const TLUT& source) {
  Comments = source.Comments;
  Title = source.Title;
  if (LutType == lt3D) {
    const int n = Size3D_;
    if (source.LutType == lt3D && source.Size3D_ == n && source.Domain3D == Domain3D) {
      CubeData_ = source.CubeData_;
      return;
    }
    if (source.Formula) {
      // A formula takes the nodes in one run, in place.
      FillIdentity3D();
      source.ApplyToColors(CubeData_.data(), CubeData_.size());
      return;
    }
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b)
          Cube(r, g, b) = source.ApplyToColor(NodeInput(r, g, b, n, Domain3D));
  } else if (LutType == lt1D) {
    const int m = Size1D_;
    if (source.LutType == lt1D && source.Size1D_ == m && source.Domain1D == Domain1D) {
      CurveData_ = source.CurveData_;
      return;
    }
    for (int i = 0; i < m; ++i) Curve(i) = NodeInput(i, i, i, m, Domain1D);
    source.ApplyToColors(CurveData_.data(), CurveData_.size());
  }
}
