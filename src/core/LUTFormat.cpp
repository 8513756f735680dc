#include "core/LUTFormat.h"

void TLutRegistry::AddOutputProfile(std::string name, std::string extension, int formatIndex,
                                    int defaultSize, int defaultBits, bool sizeSelectable,
                                    bool bitsSelectable) {
  LutOutputProfiles.push_back({std::move(name), std::move(extension), formatIndex, defaultSize,
                               defaultBits, sizeSelectable, bitsSelectable});
}

int TLutRegistry::IndexOf(const std::type_info& formatClass) const {
  for (std::size_t i = 0; i < LutFormats.size(); ++i)
    if (typeid(*LutFormats[i]) == formatClass) return static_cast<int>(i);
  throw std::logic_error(std::string("format class not registered: ") + formatClass.name());
}

TLUTFormat* TLutRegistry::GetLutFormat(int index) const {
  if (index < 0 || index >= static_cast<int>(LutFormats.size())) return nullptr;
  return LutFormats[static_cast<std::size_t>(index)].get();
}

TLUTFormat& TLutRegistry::ProfileFormat(const TLutOutputProfile& profile) const {
  return *LutFormats.at(static_cast<std::size_t>(profile.FormatIndex));
}

int TLutRegistry::DetectLutFormat(const std::filesystem::path& fileName) const {
  for (std::size_t i = 0; i < LutFormats.size(); ++i)
    if (LutFormats[i]->Detect(fileName)) return static_cast<int>(i);
  return -1;
}

void TLutRegistry::LoadLut(const std::filesystem::path& fileName, TLUT& lut,
                           int formatIndex) const {
  lut.Comments.clear();
  if (formatIndex != -1) {
    TLUTFormat* format = GetLutFormat(formatIndex);
    if (!format) throw std::out_of_range("no LUT format at position " + std::to_string(formatIndex));
    format->Read(fileName, lut);
    lut.FormatIndex = formatIndex;
    return;
  }
  lut.FormatIndex = -1;
  const int found = DetectLutFormat(fileName);
  if (found < 0) return;
  LutFormats[static_cast<std::size_t>(found)]->Read(fileName, lut);
  lut.FormatIndex = found;
}

void TLutRegistry::SaveLut(const std::filesystem::path& fileName, const TLUT& lut,
                           const TLutOutputProfile& profile, int bits) const {
  if (bits == -1) bits = profile.DefaultBits;
  ProfileFormat(profile).Write(fileName, lut, bits);
}

TLutRegistry& LutRegistry() {
  static TLutRegistry registry = [] {
    TLutRegistry r;
    RegisterLutFormats(r);
    return r;
  }();
  return registry;
}
