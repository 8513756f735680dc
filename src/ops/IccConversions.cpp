#include "ops/IccConversions.h"

#include <cmath>
#include <memory>

#include "core/InputGuard.h"
#include "core/LutFormula.h"
#include "ops/WriteStep.h"

namespace {

// A colour transform as a formula: inputs as the 16-bit words the engine
// takes (a grid node k of n is round(k / (n - 1) * 65535), as sampling has
// always given it), outputs as words over 65535.
class TICCFormula final : public TLutFormula {
 public:
  explicit TICCFormula(std::shared_ptr<const TICCColorTransform> transform)
      : Transform_(std::move(transform)), Grid_(Transform_->LargestGrid()) {}
  void Apply(TLutRGB* colours, std::size_t count) const override {
    std::vector<TICCColor> words(count);
    const auto word = [](double v) {
      return static_cast<std::uint16_t>(std::nearbyint(65535.0 * (v > 0 ? (v < 1 ? v : 1) : 0)));
    };
    for (std::size_t i = 0; i < count; ++i)
      words[i] = {word(colours[i].R), word(colours[i].G), word(colours[i].B)};
    Transform_->Translate(words.data(), words.data(), count);
    for (std::size_t i = 0; i < count; ++i)
      colours[i] = {words[i].R / 65535.0, words[i].G / 65535.0, words[i].B / 65535.0};
  }
  int OwnSize3D() const override { return Grid_; }

 private:
  std::shared_ptr<const TICCColorTransform> Transform_;
  int Grid_;
};

}  // namespace

TLUT ICCTransformSource(const TICCTransformRequest& request, bool is3D) {
  auto transform = std::make_shared<const TICCColorTransform>(request);
  if (is3D && transform->IsGray())
    throw EICCError("A gray profile gives curves only: choose a 1D output format.");
  TLUT source;
  source.LutType = is3D ? lt3D : lt1D;
  source.Formula = std::make_shared<const TICCFormula>(std::move(transform));
  return source;
}

bool ConvertICCToLut(const TLutRegistry& registry, const TICCTransformRequest& request,
                     const std::filesystem::path& output, const TLutOutputProfile& profile,
                     int size, int bits, IConfirm& confirm, const std::string& title,
                     std::vector<TWriteLoss>* losses) {
  CheckProfileSize(registry, profile, size);
  std::vector<std::filesystem::path> outputs = registry.ProfileFormat(profile).CompanionFiles(output);
  outputs.push_back(output);
  RefuseWritingOverInputs(outputs, {request.Profile, request.SecondProfile});
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
  TLUT source = ICCTransformSource(request, registry.ProfileFormat(profile).Is3D);
  source.Title = title;
  TShapedLut shaped = ShapeForProfile(registry, std::move(source), profile, size, bits);
  if (!SaveLutUnlessKept(registry, output, shaped.Lut, profile, bits, confirm, replace)) return false;
  if (losses) *losses = std::move(shaped.Losses);
  return true;
}

bool ConvertLutToICC(const TLutRegistry& registry, const std::filesystem::path& lutFile,
                     const std::filesystem::path& output, const TLutProfileOptions& options,
                     IConfirm& confirm, const TReadOptions& readOptions,
                     std::vector<TWriteLoss>* losses) {
  RefuseWritingOverInputs({output}, {lutFile});
  TReplace replace = TReplace::Never;
  if (ConfirmWrite(confirm, output, false, &replace) != TConfirmAnswer::Yes) return false;
  TLUT lut;
  registry.LoadLut(lutFile, lut, -1, readOptions);
  if (lut.FormatIndex < 0) throw ELUTError("Unknown LUT format.");
  const bool holdsData =
      (lut.LutType == lt1D && lut.Size1D() >= 2) || (lut.LutType != lt1D && lut.Size3D() >= 2);
  if (!holdsData) throw ELUTError("The LUT holds no curves or cube to put into a profile.");
  TShapedLut shaped = ShapeForICC(std::move(lut), options.Kind == TICCProfileKind::Input);
  WriteLutProfile(output, shaped.Lut, options, replace);
  if (losses) *losses = std::move(shaped.Losses);
  return true;
}
