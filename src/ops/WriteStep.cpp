#include "ops/WriteStep.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "core/LutFormula.h"
#include "core/StringLib.h"
#include "formats/FsiDitFormat.h"
#include "formats/OneDIntegerFormats.h"
#include "formats/ThreeDLFormats.h"
#include "ops/Conversion.h"

namespace {

bool HasCube(const TLUT& lut) { return lut.LutType == lt3D || lut.LutType == lt1DThen3D; }

// How shaping changes the source, and so what can be lost on the way.
struct TChange {
  TLossCause Cause = TLossCause::Size;
  bool Measured = false;  // compared with the source afterwards
  int From = 0;           // for a change of size: the points before (0: none)
};

TChange ChangeOf(const TLUT& source, TLutType type, int size) {
  const bool is3D = type != lt1D;
  if (!is3D && HasCube(source)) return {TLossCause::Mix, true};
  if (type == lt3D && source.LutType == lt1DThen3D) return {TLossCause::Shaper, true};
  if (type == lt3D && source.LutType == lt1D) return {TLossCause::Curves, true};
  const int finest = FinestSize(source, is3D);
  if (source.Formula) {
    // Sampled at the output's own nodes: only a formula holding finer
    // tables than the output, or curves that a cube samples, can lose.
    if (finest > size) return {TLossCause::Size, true, finest};
    if (is3D && source.Formula->OwnSize1D() > 0) return {TLossCause::Curves, true};
    return {};
  }
  if (finest == 0 || finest == size) return {};
  // A reader that sampled a finer cube itself leaves nothing to measure against.
  return {TLossCause::Size, source.FileSize3D == 0 || !is3D, finest};
}

void AddShapingLoss(const TChange& change, int size, double lost, std::vector<TWriteLoss>& losses) {
  if (lost <= LossTolerance) return;
  switch (change.Cause) {
    case TLossCause::Mix: losses.push_back(MixLoss(lost)); break;
    case TLossCause::Shaper: losses.push_back(ShaperLoss(lost)); break;
    case TLossCause::Curves: losses.push_back(CurvesLoss(size, lost)); break;
    default: losses.push_back(SizeLoss(change.From, size, lost)); break;
  }
}

// The largest value a profile's writer keeps; 0 when it clips nothing.
double UpperLimit(const TLutRegistry& registry, const TLutOutputProfile& profile) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  if (profile.DefaultBits <= 0) return 0;                        // floating point text
  if (typeid(format) == typeid(TCodex1DLutFormat)) return 0;     // codes written unclamped
  if (typeid(format) == typeid(TFSI_DIT_3DLutFormat)) return 1023.0 / 1008.0;  // white at 1008
  return 1;
}

// A 3DL has no header that states its depth: readers take it from the
// largest code, so a table far darker than full scale reads back brighter.
void AddDepthLoss(const TLutRegistry& registry, const TLutOutputProfile& profile, const TLUT& lut,
                  int bits, std::vector<TWriteLoss>& losses) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  if (typeid(format) != typeid(T3dlLutFormat)) return;
  const double largest = std::max(ValueRange(lut).High, 0.0);
  const std::int64_t code = CodeValue(bits, largest);
  const int read = Likely3dlDepth(code);
  if (read == bits) return;
  const double times = MaxCode(bits) / MaxCode(read);
  losses.push_back(
      {TLossCause::Depth, std::abs(times - 1) * std::clamp(largest, 0.0, 1.0),
       "Its largest code is " + std::to_string(code) + " of " +
           std::to_string(static_cast<std::int64_t>(MaxCode(bits))) +
           ", so readers take this " + std::to_string(bits) + "-bit 3DL file as " +
           std::to_string(read) + "-bit: it reads back about " +
           std::to_string(std::lround(times)) + " times too bright."});
}

// Codex curves are written unclamped, as its own reader reads them back;
// readers that hold codes to the depth of the file's header do not.
void AddCodesLoss(const TLutRegistry& registry, const TLutOutputProfile& profile, const TLUT& lut,
                  int bits, std::vector<TWriteLoss>& losses) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  if (typeid(format) != typeid(TCodex1DLutFormat)) return;
  const TValueRange range = ValueRange(lut);
  const double low = std::min(range.Low, 0.0), high = std::max(range.High, 1.0);
  if (low >= 0 && high <= 1) return;
  const auto code = [&](double v) {
    return std::to_string(static_cast<std::int64_t>(std::nearbyint(v * MaxCode(bits))));
  };
  const double off = std::max(-low, high - 1);
  losses.push_back({TLossCause::Codes, off,
                    "Codes from " + code(low) + " to " + code(high) + " are written beyond the " +
                        std::to_string(bits) + "-bit range of the header (0 to " +
                        code(1) + "): readers that hold them to it read values up to " +
                        LossAmount(off) + " off."});
}

}  // namespace

// The finest table of the kind asked that the source stands for: a
// formula's own, the file's own cube where its reader sampled a finer one,
// else the record's; 0 when it has none of that kind.
int FinestSize(const TLUT& lut, bool is3D) {
  if (lut.Formula) return is3D ? lut.Formula->OwnSize3D() : lut.Formula->OwnSize1D();
  if (is3D) return HasCube(lut) ? (lut.FileSize3D > 0 ? lut.FileSize3D : lut.Size3D()) : 0;
  return lut.LutType == lt1D ? lut.Size1D() : 0;
}

TShapedLut ShapeForProfile(const TLutRegistry& registry, TLUT&& source,
                           const TLutOutputProfile& profile, int size, int bits) {
  const TLUTFormat& format = registry.ProfileFormat(profile);
  size = ConversionSize(registry, profile, size, source);
  if (bits == -1) bits = profile.DefaultBits;
  TShapedLut shaped;
  TLutType type = format.Is3D ? lt3D : lt1D;
  if (format.Is3D && !source.Formula) {
    // Curves in front of a cube, or curves alone, where the format writes them.
    if (source.LutType == lt1DThen3D &&
        (format.Can(fcShaper) ||
         (profile.InputRanges && source.Domain1D.IsUniform() && source.Domain3D.IsUniform())))
      type = lt1DThen3D;
    if (source.LutType == lt1D && format.Can(fcCurves)) {
      type = lt1D;
      size = source.Size1D();
    }
  }
  const bool keep = type == lt1DThen3D || format.KeepsDomain(source.InputDomain());
  if (!keep) shaped.Losses.push_back(DomainLoss(source.InputDomain()));
  const TChange change = ChangeOf(source, type, size);
  if (!change.Measured) {
    shaped.Lut = TLUT::Resampled(std::move(source), type, size, keep);
    if (change.From > 0) shaped.Losses.push_back(SizeLoss(change.From, size, 0));
  } else {
    const TLUT copy = source;
    shaped.Lut = TLUT::Resampled(std::move(source), type, size, keep);
    AddShapingLoss(change, size, LargestDifference(copy, shaped.Lut), shaped.Losses);
  }
  if (const double high = UpperLimit(registry, profile); high > 0) {
    const std::vector<TWriteLoss> clipped = ClipLoss(CountOutside(shaped.Lut, high), high);
    shaped.Losses.insert(shaped.Losses.end(), clipped.begin(), clipped.end());
  }
  AddDepthLoss(registry, profile, shaped.Lut, bits, shaped.Losses);
  AddCodesLoss(registry, profile, shaped.Lut, bits, shaped.Losses);
  return shaped;
}

TShapedLut ShapeForICC(TLUT&& source, bool thirtyThreePointCube) {
  TShapedLut shaped;
  const TLutDomain domain = source.InputDomain();
  if (!domain.IsUnit()) shaped.Losses.push_back(DomainLoss(domain));
  const TLutType type = source.LutType == lt1D && !thirtyThreePointCube ? lt1D : lt3D;
  int size = 33;
  if (type == lt1D) {
    size = std::min(source.Size1D(), 4096);
  } else if (!thirtyThreePointCube && source.LutType == lt3D && source.Size3D() >= 2) {
    size = source.Size3D();
  }
  const TChange change = ChangeOf(source, type, size);
  if (!change.Measured) {
    shaped.Lut = TLUT::Resampled(std::move(source), type, size, false);
  } else {
    const TLUT copy = source;
    shaped.Lut = TLUT::Resampled(std::move(source), type, size, false);
    AddShapingLoss(change, size, LargestDifference(copy, shaped.Lut), shaped.Losses);
  }
  const std::vector<TWriteLoss> clipped = ClipLoss(CountOutside(shaped.Lut, 1), 1);
  shaped.Losses.insert(shaped.Losses.end(), clipped.begin(), clipped.end());
  return shaped;
}

std::vector<TWriteLoss> WriteThroughProfile(const TLutRegistry& registry,
                                            const std::filesystem::path& output, TLUT&& source,
                                            const TLutOutputProfile& profile, int size, int bits,
                                            IConfirm* confirm, TReplace replace) {
  TShapedLut shaped = ShapeForProfile(registry, std::move(source), profile, size, bits);
  registry.SaveLut(output, shaped.Lut, profile, bits, confirm, replace);
  return std::move(shaped.Losses);
}
