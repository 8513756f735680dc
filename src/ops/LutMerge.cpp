#include "ops/LutMerge.h"

#include "core/InputGuard.h"
#include "ops/BitsOverride.h"

void ComposeLuts(const TLutRegistry& registry, const std::vector<std::filesystem::path>& files,
                 TLUT& target, const TReadOptions& readOptions, const TLUTFormat* output,
                 TLutDomain* lostDomain) {
  target.FillIdentity3D();
  const int n = target.Size3D();
  TLUT work;
  for (const std::filesystem::path& file : files) {
    try {
      LoadLutFile(registry, file, work, readOptions);
    } catch (const std::exception& e) {
      throw EInFileError(file.string(), e.what(), ErrorLine(e));
    }
    if (output && &file == &files.front()) {
      if (output->KeepsDomain(work.InputDomain())) {
        target.Domain3D = work.InputDomain();
        target.FillIdentity3D();
      } else if (lostDomain) {
        *lostDomain = work.InputDomain();
      }
    }
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) target.Cube(r, g, b) = work.ApplyToColor(target.Cube(r, g, b));
  }
}

bool SaveMergedLut(const TLutRegistry& registry, const std::vector<std::filesystem::path>& files,
                   const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                   int bits, IConfirm& confirm, const TReadOptions& readOptions,
                   TLutDomain* lostDomain) {
  CheckCubeSize(size);
  std::vector<std::filesystem::path> outputs = registry.ProfileFormat(profile).CompanionFiles(output);
  outputs.push_back(output);
  RefuseWritingOverInputs(outputs, files);
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
  TLUT target;
  target.LutType = lt3D;
  target.SetSize3D(size);
  ComposeLuts(registry, files, target, readOptions, &registry.ProfileFormat(profile), lostDomain);
  return SaveLutUnlessKept(registry, output, target, profile, bits, confirm, replace);
}

void SwapByDrag(std::vector<std::filesystem::path>& files, int from, int onto) {
  const int count = static_cast<int>(files.size());
  if (from < 0 || onto < 0 || from >= count || onto >= count) return;
  std::swap(files[static_cast<std::size_t>(from)], files[static_cast<std::size_t>(onto)]);
}

std::string WithProfileExtension(const std::string& path, const TLutOutputProfile& profile) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.rfind('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExt ? path.substr(0, dot) : path) + "." + profile.Extension;
}
