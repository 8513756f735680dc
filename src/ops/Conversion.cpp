#include "ops/Conversion.h"

#include <algorithm>

#include "core/StringLib.h"
#include "ops/BitsOverride.h"

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

}  // namespace

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

std::vector<TWriteLoss> ConvertLutFile(const TLutRegistry& registry,
                                       const std::filesystem::path& input,
                                       const std::filesystem::path& output,
                                       const TLutOutputProfile& profile, int size, int bits,
                                       const TReadOptions& readOptions, IConfirm* confirm) {
  TShapedLut shaped = ReadShaped(registry, input, profile, size, bits, readOptions);
  registry.SaveLut(output, shaped.Lut, profile, bits, confirm);
  return std::move(shaped.Losses);
}

TShapedLut ReadShaped(const TLutRegistry& registry, const std::filesystem::path& input,
                      const TLutOutputProfile& profile, int size, int bits,
                      const TReadOptions& readOptions) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  CheckProfileSize(registry, profile, size);
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
  TLUT source;
  LoadLutFile(registry, input, source, options);
  return ShapeForProfile(registry, std::move(source), profile, size, bits);
}
