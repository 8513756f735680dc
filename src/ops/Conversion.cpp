#include "ops/Conversion.h"

#include "core/StringLib.h"
#include "ops/BitsOverride.h"

int SelectedBits(int position) {
  static constexpr int bits[] = {-1, 8, 10, 12, 14, 16};
  return position >= 0 && position < 6 ? bits[position] : -1;
}

int EffectiveSize(const TLutRegistry& registry, const TLutOutputProfile& profile,
                  std::string_view sizeText) {
  std::int64_t size = profile.DefaultSize;
  if (sizeText != "Default") {
    std::int64_t typed = 0;
    // The dialog admits digits only; anything else means the default.
    if (TryParseInt64(sizeText, typed) && typed >= INT32_MIN && typed <= INT32_MAX) size = typed;
  }
  const std::int64_t cap = registry.ProfileFormat(profile).Is3D ? 99 : 99999;
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
                   TLutDomain* lostDomain) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  CheckProfileSize(registry, profile, size);
  TLUT source;
  TReadOptions options = readOptions;
  if (format.Is3D) options.BakeSize = size;
  LoadLutFile(registry, input, source, options);
  // The source goes into the result, so it is released before the output is built.
  if (profile.InputRanges && format.Is3D && source.LutType == lt1DThen3D &&
      !(source.Domain1D.IsUnit() && source.Domain3D.IsUnit()) && source.Domain1D.IsUniform() &&
      source.Domain3D.IsUniform())
    return TLUT::Resampled(std::move(source), lt1DThen3D, size);
  const bool keep = format.KeepsDomain(source.InputDomain());
  if (!keep && lostDomain) *lostDomain = source.InputDomain();
  return TLUT::Resampled(std::move(source), format.Is3D ? lt3D : lt1D, size, keep);
}
