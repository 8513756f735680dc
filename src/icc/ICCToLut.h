// Building a LUT from an ICC profile: a colour transform is made from the
// profile and a second RGB profile (sRGB unless another is given) in the
// order the profile's class calls for, and sampled on a regular grid: a cube
// for a 3D format, one ramp for a 1D format. The same transform previews
// its effect on an 8-bit image. A gray profile gives curves only: its one
// channel is sampled as a ramp on each of the three.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "core/LUTFormat.h"
#include "icc/ICCLib.h"

struct TICCTransformRequest {
  std::filesystem::path Profile;
  // Empty or not an existing file: the standard sRGB profile.
  std::filesystem::path SecondProfile;
  bool Invert = false;
  TICCIntent Intent = TICCIntent::Perceptual;
  bool BlackPointCompensation = false;
};

// What the colour engine answers when it cannot make the inverted transform.
inline constexpr const char* InversionImpossibleMessage =
    "Inversion is impossible for selected ICC profile.";

// The transform a request stands for, with the profiles it was made from.
class TICCColorTransform {
 public:
  // Raises EICCError naming the file and the reason when a profile cannot
  // be opened or no transform can be made from them.
  explicit TICCColorTransform(const TICCTransformRequest& request);
  ~TICCColorTransform();

  std::uint32_t SourceClass() const { return SourceClass_; }
  // Whether either end is gray: each channel is then translated on its own,
  // as the ramp value of a curve (a gray result goes to that channel).
  bool IsGray() const;
  // The finest colour table of the profiles it is made from (TICCProfile::LargestGrid).
  int LargestGrid() const;
  TICCColor Translate(const TICCColor& in) const;
  void Translate(const TICCColor* in, TICCColor* out, std::size_t count) const;

 private:
  void MakeTransform(const std::vector<const TICCProfile*>& order,
                     const TICCTransformRequest& request);

  TICCService Service_;
  std::unique_ptr<TICCProfile> Source_;
  std::unique_ptr<TICCProfile> Second_;
  std::unique_ptr<TICCTransform> Transform_;
  std::uint32_t SourceClass_ = 0;
};

// The class of the profile in the file, read from its header.
std::uint32_t ReadProfileClass(const std::filesystem::path& fileName);

// Whether a second colour space takes part for this class (input, display,
// output and colour space profiles, and abstract ones, which are placed
// between it and itself), and the caption it goes by: the colour space an
// input device's values go to, or the one the others are reached from.
bool UsesSecondProfile(std::uint32_t profileClass);
std::string SecondProfileCaption(std::uint32_t profileClass);
// Whether the transform of this class can be asked for the other way round.
bool CanInvert(std::uint32_t profileClass);

// The grid input for point k of n: round(k / (n - 1) * 65535), ties to even.
std::uint16_t GridInput(int k, int n);

// Fill the record by sampling the transform: a cube of `size` points per
// axis (red slowest) or a ramp of `size` entries. Sizes below 2, and a cube
// from a gray transform, are refused.
void SampleTransform(const TICCColorTransform& transform, bool is3D, int size, TLUT& lut);

// An 8-bit image, three bytes per pixel in blue, green, red order, through
// the transform in place: in as value * 256, out as value >> 8.
void TransformBitmap(const TICCColorTransform& transform, std::span<std::uint8_t> bgrPixels);
