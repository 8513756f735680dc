#include "icc/ICCToLut.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/Errors.h"
#include "icc/ICCWriteLib.h"

namespace {

std::unique_ptr<TICCProfile> OpenSecond(TICCService& service, const std::filesystem::path& file) {
  std::error_code ec;
  if (!file.empty() && std::filesystem::is_regular_file(file, ec)) return service.OpenProfile(file);
  return service.StandardSRGBProfile();
}

}  // namespace

TICCColorTransform::TICCColorTransform(const TICCTransformRequest& request) {
  Source_ = Service_.OpenProfile(request.Profile);
  SourceClass_ = Source_->ProfileClass();
  const std::uint32_t cls = SourceClass_;
  if (cls == Signature("link")) {
    // A device link is the whole transform: the second profile has no place
    // in it, and swapping it in would sample the second profile alone.
    if (request.Invert) throw EICCError("A Device Link Profile cannot be inverted.");
    MakeTransform({Source_.get()}, request);
    return;
  }
  // A colour space profile is taken as the display of its colour space.
  const bool refused = !UsesSecondProfile(cls) ||
                       (cls == Signature("spac") && Source_->ColorSpace() != Signature("RGB "));
  if (refused)
    throw EICCError("No colour transform can be made from a profile of the class \"" +
                    ProfileClassName(cls) + "\".");
  if (request.Invert && !CanInvert(cls)) throw EICCError(InversionImpossibleMessage);
  Second_ = OpenSecond(Service_, request.SecondProfile);
  const TICCProfile* p = Source_.get();
  const TICCProfile* s = Second_.get();
  if (cls == Signature("abst")) {
    // A look in the connection space: from the second colour space, through
    // the look, back to it.
    MakeTransform({s, p, s}, request);
    return;
  }
  if (request.Invert) std::swap(p, s);
  // Displays and printers are reached from the second colour space; an
  // input device's values go to it.
  if (cls == Signature("scnr")) {
    MakeTransform({p, s}, request);
  } else {
    MakeTransform({s, p}, request);
  }
}

void TICCColorTransform::MakeTransform(const std::vector<const TICCProfile*>& order,
                                       const TICCTransformRequest& request) {
  if (!request.Invert) {
    Transform_ = Service_.CreateTransform(order, request.Intent, request.BlackPointCompensation);
    return;
  }
  // Profiles the transform cannot be made from at all keep their own reason.
  Service_.CheckTransformEnds(order);
  try {
    Transform_ = Service_.CreateTransform(order, request.Intent, request.BlackPointCompensation);
  } catch (const EICCError&) {
    throw EICCError(InversionImpossibleMessage);
  }
}

TICCColorTransform::~TICCColorTransform() = default;

bool TICCColorTransform::IsGray() const {
  return Transform_->InputChannels() == 1 || Transform_->OutputChannels() == 1;
}

int TICCColorTransform::LargestGrid() const {
  return std::max(Source_->LargestGrid(), Second_ ? Second_->LargestGrid() : 0);
}

TICCColor TICCColorTransform::Translate(const TICCColor& in) const {
  TICCColor out;
  Translate(&in, &out, 1);
  return out;
}

void TICCColorTransform::Translate(const TICCColor* in, TICCColor* out, std::size_t count) const {
  if (!IsGray()) {
    Transform_->TranslateColors(in, out, count);
    return;
  }
  // Each channel value on its own: as gray, or as the neutral colour of it.
  const auto inWords = static_cast<std::size_t>(Transform_->InputChannels());
  const auto outWords = static_cast<std::size_t>(Transform_->OutputChannels());
  std::vector<std::uint16_t> words;
  words.reserve(3 * count * inWords);
  for (std::size_t i = 0; i < count; ++i)
    for (const std::uint16_t v : {in[i].R, in[i].G, in[i].B}) words.insert(words.end(), inWords, v);
  std::vector<std::uint16_t> results(3 * count * outWords);
  Transform_->TranslateWords(words.data(), results.data(), 3 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto channel = [&](std::size_t c) {
      return results[(3 * i + c) * outWords + (outWords == 1 ? 0 : c)];
    };
    out[i] = {channel(0), channel(1), channel(2)};
  }
}

std::uint32_t ReadProfileClass(const std::filesystem::path& fileName) {
  TICCService service;
  return service.OpenProfile(fileName)->ProfileClass();
}

bool UsesSecondProfile(std::uint32_t profileClass) {
  for (const char* cls : {"scnr", "mntr", "prtr", "spac", "abst"})
    if (profileClass == Signature(cls)) return true;
  return false;
}

std::string SecondProfileCaption(std::uint32_t profileClass) {
  return profileClass == Signature("scnr") ? "Output Color Space" : "Input Color Space";
}

bool CanInvert(std::uint32_t profileClass) {
  return UsesSecondProfile(profileClass) && profileClass != Signature("abst");
}

std::uint16_t GridInput(int k, int n) {
  return static_cast<std::uint16_t>(
      std::nearbyint(static_cast<double>(k) / static_cast<double>(n - 1) * 65535.0));
}

void SampleTransform(const TICCColorTransform& transform, bool is3D, int size, TLUT& lut) {
  if (is3D && transform.IsGray())
    throw EICCError("A gray profile gives curves only: choose a 1D output format.");
  const auto toLut = [](const TICCColor& c) {
    return TLutRGB{c.R / 65535.0, c.G / 65535.0, c.B / 65535.0};
  };
  if (is3D) {
    CheckCubeSize(size);
    std::vector<TICCColor> grid;
    grid.reserve(static_cast<std::size_t>(size) * size * size);
    for (int r = 0; r < size; ++r)
      for (int g = 0; g < size; ++g)
        for (int b = 0; b < size; ++b)
          grid.push_back({GridInput(r, size), GridInput(g, size), GridInput(b, size)});
    std::vector<TICCColor> out(grid.size());
    transform.Translate(grid.data(), out.data(), grid.size());
    lut.LutType = lt3D;
    lut.SetSize3D(size);
    std::size_t i = 0;
    for (int r = 0; r < size; ++r)
      for (int g = 0; g < size; ++g)
        for (int b = 0; b < size; ++b) lut.Cube(r, g, b) = toLut(out[i++]);
  } else {
    CheckCurveSize(size);
    std::vector<TICCColor> ramp(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) {
      const std::uint16_t v = GridInput(i, size);
      ramp[i] = {v, v, v};
    }
    std::vector<TICCColor> out(ramp.size());
    transform.Translate(ramp.data(), out.data(), ramp.size());
    lut.LutType = lt1D;
    lut.SetSize1D(size);
    for (int i = 0; i < size; ++i) lut.Curve(i) = toLut(out[i]);
  }
}

void TransformBitmap(const TICCColorTransform& transform, std::span<std::uint8_t> bgrPixels) {
  const std::size_t count = bgrPixels.size() / 3;
  std::vector<TICCColor> colors(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* px = &bgrPixels[3 * i];
    colors[i] = {static_cast<std::uint16_t>(px[2] * 256), static_cast<std::uint16_t>(px[1] * 256),
                 static_cast<std::uint16_t>(px[0] * 256)};
  }
  transform.Translate(colors.data(), colors.data(), count);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* px = &bgrPixels[3 * i];
    px[0] = static_cast<std::uint8_t>(colors[i].B >> 8);
    px[1] = static_cast<std::uint8_t>(colors[i].G >> 8);
    px[2] = static_cast<std::uint8_t>(colors[i].R >> 8);
  }
}
