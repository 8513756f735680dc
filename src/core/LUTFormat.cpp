#include "core/LUTFormat.h"

#include <algorithm>

// The base refuses what a format has not declared; the registry never asks
// a format for what it cannot do, so reaching these is a programming error.
bool TLUTFormat::Detect(const std::filesystem::path&) const { return false; }

void TLUTFormat::Read(const std::filesystem::path&, TLUT&, const TReadOptions&) const {
  throw std::logic_error("the format \"" + Name + "\" cannot be read");
}

void TLUTFormat::Write(const std::filesystem::path&, const TLUT&, const TWriteContext&) const {
  throw std::logic_error("the format \"" + Name + "\" cannot be written");
}

void TLutRegistry::AddOutputProfile(std::string name, std::string extension, int formatIndex,
                                    int defaultSize, int defaultBits, bool sizeSelectable,
                                    bool bitsSelectable, bool inputRanges) {
  LutOutputProfiles_.push_back({std::move(name), std::move(extension), formatIndex, defaultSize,
                                defaultBits, sizeSelectable, bitsSelectable, inputRanges});
}

std::vector<std::string> TLutRegistry::ReadExtensions() const {
  std::vector<std::string> extensions;
  for (std::size_t i = 0; i < LutFormats_.size(); ++i) {
    if (!LutFormats_[i]->Can(fcRead)) continue;
    for (const std::string& e : FileExtensions_[i])
      if (std::find(extensions.begin(), extensions.end(), e) == extensions.end()) extensions.push_back(e);
  }
  return extensions;
}

int TLutRegistry::IndexOf(const std::type_info& formatClass) const {
  for (std::size_t i = 0; i < LutFormats_.size(); ++i) {
    const TLUTFormat& format = *LutFormats_[i];
    if (typeid(format) == formatClass) return static_cast<int>(i);
  }
  throw std::logic_error(std::string("format class not registered: ") + formatClass.name());
}

const TLUTFormat* TLutRegistry::GetLutFormat(int index) const {
  if (index < 0 || index >= FormatCount()) return nullptr;
  return LutFormats_[static_cast<std::size_t>(index)].get();
}

const TLUTFormat& TLutRegistry::ProfileFormat(const TLutOutputProfile& profile) const {
  return *LutFormats_.at(static_cast<std::size_t>(profile.FormatIndex));
}

int TLutRegistry::DetectLutFormat(const std::filesystem::path& fileName) const {
  for (std::size_t i = 0; i < LutFormats_.size(); ++i) {
    const TLUTFormat& format = *LutFormats_[i];
    if (format.Can(fcDetect) && format.Detect(fileName)) return static_cast<int>(i);
  }
  return -1;
}

namespace {

// The same error, of the same kind and line, with the format it was read as
// in front of its message.
template <typename E>
[[noreturn]] void ThrowReadAs(const E& error, const std::string& formatName) {
  E named("read as " + formatName + ": " + error.what());
  named.Line = error.Line;
  throw named;
}

}  // namespace

void TLutRegistry::LoadLut(const std::filesystem::path& fileName, TLUT& lut, int formatIndex,
                           const TReadOptions& options) const {
  lut.Comments.clear();
  lut.FormatIndex = -1;
  lut.Domain1D = lut.Domain3D = TLutDomain{};  // a reused record keeps no earlier file's domain
  lut.Interpolation = options.Interpolation;
  const bool detected = formatIndex == -1;
  if (detected) {
    formatIndex = DetectLutFormat(fileName);
    if (formatIndex < 0) return;
  }
  const TLUTFormat* format = GetLutFormat(formatIndex);
  if (!format) throw std::out_of_range("no LUT format at position " + std::to_string(formatIndex));
  if (!format->Can(fcRead)) throw ELUTError("Unknown LUT format.");
  // The values and domains are checked here, whatever a reader stored (a
  // library's reader checks none), as part of the read.
  const auto read = [&] {
    format->Read(fileName, lut, options);
    CheckLutValues(lut);
  };
  if (!detected) {
    read();
  } else {
    // A file claimed by its content and then refused says which format
    // claimed it, so that a misdetection shows as one.
    try {
      read();
    } catch (const ELUTSizeError& e) {
      ThrowReadAs(e, format->Name);
    } catch (const EConvertError& e) {
      ThrowReadAs(e, format->Name);
    } catch (const ELUTError& e) {
      ThrowReadAs(e, format->Name);
    }
  }
  lut.FormatIndex = formatIndex;
}

void TLutRegistry::SaveLut(const std::filesystem::path& fileName, const TLUT& lut,
                           const TLutOutputProfile& profile, int bits, IConfirm* confirm,
                           TReplace replace) const {
  const TLUTFormat& format = ProfileFormat(profile);
  if (!format.Can(fcWrite))
    throw std::logic_error("the profile \"" + profile.Name + "\" cannot be written");
  CheckLutValues(lut);  // no writer ever writes a NaN, or a number our readers refuse
  format.Write(fileName, lut, {bits == -1 ? profile.DefaultBits : bits, confirm, replace, profile.InputRanges});
}

bool SaveLutUnlessKept(const TLutRegistry& registry, const std::filesystem::path& fileName,
                       const TLUT& lut, const TLutOutputProfile& profile, int bits,
                       IConfirm& confirm, TReplace replace) {
  try {
    registry.SaveLut(fileName, lut, profile, bits, &confirm, replace);
  } catch (const EOutputKept&) {
    return false;
  }
  return true;
}

void CheckProfileSize(const TLutRegistry& registry, const TLutOutputProfile& profile, int size) {
  if (size == KeepSourceSize) return;
  if (registry.ProfileFormat(profile).Is3D) {
    CheckCubeSize(size);
  } else {
    CheckCurveSize(size);
  }
}
