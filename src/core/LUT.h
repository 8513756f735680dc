// The in-memory LUT record: three 1D curves, a 3D cube, or both (curves first),
// as doubles, each table over an input domain of its own (0..1 unless the file
// gives another). Every reader fills one, every writer reads one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TLutRGB {
  double R = 0.0;
  double G = 0.0;
  double B = 0.0;
  friend bool operator==(const TLutRGB&, const TLutRGB&) = default;
};

// The inputs a table covers, per channel: input x reads the table at
// (x - Min) / (Max - Min), clamped to its ends. Scene-linear and log LUTs
// reach beyond 0..1.
struct TLutDomain {
  TLutRGB Min{0, 0, 0};
  TLutRGB Max{1, 1, 1};
  bool IsUnit() const { return Min == TLutRGB{0, 0, 0} && Max == TLutRGB{1, 1, 1}; }
  // The same bounds in every channel, as a single pair of numbers can say.
  bool IsUniform() const {
    return Min.R == Min.G && Min.R == Min.B && Max.R == Max.G && Max.R == Max.B;
  }
  friend bool operator==(const TLutDomain&, const TLutDomain&) = default;
};

enum TLutType : std::uint8_t { lt1D = 0, lt3D = 1, lt1DThen3D = 2, ltEmpty = 3 };

// How a cube is read between its nodes: trilinear (the eight nodes around a
// point) or tetrahedral (the four nodes of the tetrahedron around it, as
// most grading systems read a cube).
enum class TLutInterpolation : std::uint8_t { Trilinear, Tetrahedral };

// An integer pixel; Bits is the depth R, G and B are expressed in.
struct TLutPixel {
  std::uint16_t R = 0;
  std::uint16_t G = 0;
  std::uint16_t B = 0;
  std::uint8_t Bits = 8;
};

class TLutFormula;

// Largest usable sizes: 100 points per cube axis, 100,000 curve entries.
constexpr int MaxCubeSize = 100;
constexpr int MaxCurveSize = 100000;

class TLUT {
 public:
  int FormatIndex = -1;
  TLutType LutType = lt1D;
  int CodeBits = 0;  // the depth integer codes were read at; 0: the file holds other numbers
  int InputCodeBits = 0;  // the depth of integer input codes (a 3DL shaper); 0: none
  // A cube finer than the record holds, resampled by its reader: the file's
  // own points per axis; 0 when the cube is as the file has it.
  int FileSize3D = 0;
  std::vector<std::string> Comments;
  // A cube file's TITLE: shown before the comments, written as the title of
  // formats that have one and as the first comment of those with comments.
  std::string Title;
  TLutDomain Domain1D;  // the curves' inputs
  // The cube's inputs; behind curves (lt1DThen3D) these are the curves' outputs.
  TLutDomain Domain3D;
  // How lookups read the cube; not part of any file.
  TLutInterpolation Interpolation = TLutInterpolation::Trilinear;
  // A source that is a formula (LutFormula.h): lookups evaluate it, and the
  // tables hold it sampled at their own nodes. Copies share it.
  std::shared_ptr<const TLutFormula> Formula;
  // What the record as a whole takes: the domain of its first table.
  const TLutDomain& InputDomain() const { return LutType == lt3D ? Domain3D : Domain1D; }

  int Size1D() const { return Size1D_; }
  int Size3D() const { return Size3D_; }

  // Set the used size; the storage follows it (zero-filled when the size
  // changes). A size below 1 leaves no storage. Callers check the limits
  // (CheckCubeSize / CheckCurveSize) before asking for a size from a file.
  void SetSize1D(int m);
  void SetSize3D(int n);

  // Node [r][g][b] holds the output for input (r, g, b)/(N-1) spread over
  // Domain3D; blue fastest.
  TLutRGB& Cube(int r, int g, int b) { return CubeData_[Index3D(r, g, b)]; }
  const TLutRGB& Cube(int r, int g, int b) const { return CubeData_[Index3D(r, g, b)]; }
  TLutRGB& Curve(int i) { return CurveData_[static_cast<std::size_t>(i)]; }
  const TLutRGB& Curve(int i) const { return CurveData_[static_cast<std::size_t>(i)]; }

  // Fill this record's table (its kind and size already set) from the source,
  // at nodes spread over this record's own domain for that table.
  void ConvertFrom(const TLUT& source);
  // The source in the kind (lt1D or lt3D) and size asked for, as ConvertFrom
  // makes it, over the source's input domain, or over 0..1 without keepDomain
  // (for a target that cannot hold another). A source that already has them
  // is taken over, not copied. lt1DThen3D (for a source of that kind) keeps
  // the curves as they are and resamples the cube alone. The result holds
  // tables only, whatever formula the source had.
  static TLUT Resampled(TLUT&& source, TLutType type, int size, bool keepDomain = true);
  TLutRGB ApplyToColor(const TLutRGB& x) const;
  // Many colours in place, as ApplyToColor gives them one at a time.
  void ApplyToColors(TLutRGB* colours, std::size_t count) const;
  TLutRGB Interpolate3D(const TLutRGB& x) const;
  TLutRGB Interpolate1D(const TLutRGB& x) const;
  TLutPixel ApplyToPixel(const TLutPixel& in, std::uint8_t outBits) const;
  // A run of 8-bit pixels, bytes blue, green, red, through the LUT in place at
  // 8 bits in and out: pixel for pixel what ApplyToPixel gives, with the work
  // that depends on one channel's value alone done once per value.
  void ApplyToBGR8(std::uint8_t* pixels, std::size_t count) const;
  // Every node holds its own input (over Domain3D).
  void FillIdentity3D();

 private:
  std::size_t Index3D(int r, int g, int b) const {
    const auto n = static_cast<std::size_t>(Size3D_);
    return (static_cast<std::size_t>(r) * n + static_cast<std::size_t>(g)) * n +
           static_cast<std::size_t>(b);
  }

  int Size1D_ = 0;
  int Size3D_ = 0;
  std::vector<TLutRGB> CubeData_;
  std::vector<TLutRGB> CurveData_;
};

// The largest magnitude a value of the record may have: a million times
// white leaves room for any scene-linear or code-scaled LUT, while a value
// beyond it (1e308 in a hostile file, an overflowing correction) can mean
// nothing and would print as hundreds of digits.
constexpr double MaxLutMagnitude = 1e6;

// Whether a value can stand in a LUT: finite and within MaxLutMagnitude.
inline bool IsLutValue(double v) { return v >= -MaxLutMagnitude && v <= MaxLutMagnitude; }
// Raise ELUTError when any value of the record is not a LUT value, or a
// domain of its tables has bounds that are not, or are not in order.
void CheckLutValues(const TLUT& lut);

// Refuse a cube or curve size that the record cannot hold, or one too small
// to interpolate, before any data is stored. Both throw ELUTSizeError.
void CheckCubeSize(int n);
void CheckCurveSize(int m);
