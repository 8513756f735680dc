#include "ops/LutMerge.h"

#include "core/InputGuard.h"
#include "ops/BitsOverride.h"

std::vector<TMergeFile> MergeFiles(const std::vector<std::filesystem::path>& files,
                                   const TReadOptions& readOptions) {
  std::vector<TMergeFile> merged;
  for (const std::filesystem::path& file : files) merged.push_back({file, readOptions});
  return merged;
}

void ComposeLuts(const TLutRegistry& registry, const std::vector<TMergeFile>& files, TLUT& target,
                 const TLUTFormat* output, TLutDomain* lostDomain) {
  target.FillIdentity3D();
  const int n = target.Size3D();
  TLUT work;
  for (const TMergeFile& merged : files) {
    const std::filesystem::path& file = merged.File;
    try {
      LoadLutFile(registry, file, work, merged.Options);
    } catch (const std::exception& e) {
      throw EInFileError(file.string(), e.what(), ErrorLine(e));
    }
    if (output && &merged == &files.front()) {
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

bool SaveMergedLut(const TLutRegistry& registry, const std::vector<TMergeFile>& files,
                   const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                   int bits, IConfirm& confirm, TLutDomain* lostDomain) {
  CheckCubeSize(size);
  std::vector<std::filesystem::path> outputs = registry.ProfileFormat(profile).CompanionFiles(output);
  outputs.push_back(output);
  std::vector<std::filesystem::path> inputs;
  for (const TMergeFile& file : files) inputs.push_back(file.File);
  RefuseWritingOverInputs(outputs, inputs);
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
  TLUT target;
  target.LutType = lt3D;
  target.SetSize3D(size);
  ComposeLuts(registry, files, target, &registry.ProfileFormat(profile), lostDomain);
  return SaveLutUnlessKept(registry, output, target, profile, bits, confirm, replace);
}

std::string WithProfileExtension(const std::string& path, const TLutOutputProfile& profile) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.rfind('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExt ? path.substr(0, dot) : path) + "." + profile.Extension;
}
