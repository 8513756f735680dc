#include "ops/LutMerge.h"

#include <algorithm>
#include <memory>

#include "core/InputGuard.h"
#include "core/LutFormula.h"
#include "ops/BitsOverride.h"
#include "ops/WriteStep.h"

std::vector<TMergeFile> MergeFiles(const std::vector<std::filesystem::path>& files,
                                   const TReadOptions& readOptions) {
  std::vector<TMergeFile> merged;
  for (const std::filesystem::path& file : files) merged.push_back({file, readOptions});
  return merged;
}

namespace {

// The files of a merge as one formula: a colour through each file in turn.
class TMergeChain final : public TLutFormula {
 public:
  explicit TMergeChain(std::vector<TLUT> steps) : Steps_(std::move(steps)) {}
  void Apply(TLutRGB* colours, std::size_t count) const override {
    for (const TLUT& step : Steps_) step.ApplyToColors(colours, count);
  }
  int OwnSize3D() const override { return Finest(true); }
  int OwnSize1D() const override { return Finest(false); }

 private:
  int Finest(bool is3D) const {
    int finest = 0;
    for (const TLUT& step : Steps_) finest = std::max(finest, FinestSize(step, is3D));
    return finest;
  }
  std::vector<TLUT> Steps_;
};

}  // namespace

TLUT ReadMergeChain(const TLutRegistry& registry, const std::vector<TMergeFile>& files) {
  std::vector<TLUT> steps(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    try {
      LoadLutFile(registry, files[i].File, steps[i], files[i].Options);
    } catch (const std::exception& e) {
      throw EInFileError(files[i].File.string(), e.what(), ErrorLine(e));
    }
  }
  TLUT chain;
  chain.LutType = lt3D;
  if (!steps.empty()) chain.Domain3D = steps.front().InputDomain();
  chain.Formula = std::make_shared<TMergeChain>(std::move(steps));
  return chain;
}

bool SaveMergedLut(const TLutRegistry& registry, const std::vector<TMergeFile>& files,
                   const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                   int bits, IConfirm& confirm, std::vector<TWriteLoss>* losses) {
  CheckCubeSize(size);
  std::vector<std::filesystem::path> outputs = registry.ProfileFormat(profile).CompanionFiles(output);
  outputs.push_back(output);
  std::vector<std::filesystem::path> inputs;
  for (const TMergeFile& file : files) inputs.push_back(file.File);
  RefuseWritingOverInputs(outputs, inputs);
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
  TShapedLut shaped = ShapeForProfile(registry, ReadMergeChain(registry, files), profile, size, bits);
  if (!SaveLutUnlessKept(registry, output, shaped.Lut, profile, bits, confirm, replace)) return false;
  if (losses) *losses = std::move(shaped.Losses);
  return true;
}

std::string WithProfileExtension(const std::string& path, const TLutOutputProfile& profile) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.rfind('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExt ? path.substr(0, dot) : path) + "." + profile.Extension;
}
