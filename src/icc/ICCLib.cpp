#include "icc/ICCLib.h"

#include <lcms2.h>

#include <utility>

#include "core/FileIO.h"

void RecordICCError(TICCService& service, const char* text);

namespace {

// Colour spaces are checked by channel count only (see CreateTransform), so
// the formatters do not name one: LittleCMS would refuse a device link of
// this program, whose header names XYZ as its output side.
constexpr cmsUInt32Number ThreeWords = CHANNELS_SH(3) | BYTES_SH(2);

std::string SignatureText(cmsUInt32Number sig) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((sig >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return "'" + text + "'";
}

// The colour spaces of three channels. The library counts any signature it
// does not know as three; an unknown one is refused here instead.
bool HasThreeChannels(std::uint32_t space) {
  static constexpr cmsUInt32Number three[] = {
      cmsSigXYZData, cmsSigLabData, cmsSigLuvData, cmsSigYCbCrData, cmsSigYxyData, cmsSigRgbData,
      cmsSigHsvData, cmsSigHlsData, cmsSigCmyData, cmsSig3colorData, cmsSigMCH3Data};
  for (const cmsUInt32Number s : three)
    if (s == space) return true;
  return false;
}

void LogError(cmsContext context, cmsUInt32Number, const char* text) {
  if (auto* service = static_cast<TICCService*>(cmsGetContextUserData(context)))
    RecordICCError(*service, text);
}

}  // namespace

void RecordICCError(TICCService& service, const char* text) {
  // The first report is the cause; later ones tend to be its consequences.
  if (service.LastError_.empty() && text) service.LastError_ = text;
}

TICCService::TICCService() : Context_(cmsCreateContext(nullptr, this)) {
  if (!Context_) throw EICCError("The colour engine could not be started.");
  cmsSetLogErrorHandlerTHR(static_cast<cmsContext>(Context_), LogError);
}

TICCService::~TICCService() { cmsDeleteContext(static_cast<cmsContext>(Context_)); }

void TICCService::Raise(const std::string& what) {
  std::string message = what;
  if (!LastError_.empty()) message += ": " + LastError_;
  LastError_.clear();
  if (message.back() != '.') message += '.';
  throw EICCError(message);
}

std::unique_ptr<TICCProfile> TICCService::OpenProfile(const std::filesystem::path& fileName) {
  LastError_.clear();
  // The library would wait forever on a FIFO; a missing file it reports itself.
  if (std::error_code ec; std::filesystem::exists(fileName, ec)) RefuseNonRegularFile(fileName);
  cmsHPROFILE h =
      cmsOpenProfileFromFileTHR(static_cast<cmsContext>(Context_), fileName.c_str(), "r");
  if (!h) Raise("Cannot open the ICC profile \"" + fileName.string() + "\"");
  return std::unique_ptr<TICCProfile>(new TICCProfile(h, fileName.string()));
}

std::unique_ptr<TICCProfile> TICCService::StandardSRGBProfile() {
  LastError_.clear();
  cmsHPROFILE h = cmsCreate_sRGBProfileTHR(static_cast<cmsContext>(Context_));
  if (!h) Raise("Cannot make the sRGB profile");
  return std::unique_ptr<TICCProfile>(new TICCProfile(h, "sRGB"));
}

std::unique_ptr<TICCTransform> TICCService::CreateTransform(
    const std::vector<const TICCProfile*>& profiles) {
  LastError_.clear();
  if (profiles.empty()) Raise("No profile to make a colour transform from");
  std::vector<cmsHPROFILE> handles;
  std::string names;
  for (const TICCProfile* p : profiles) {
    handles.push_back(p->Handle_);
    names += (names.empty() ? "" : " -> ") + p->Name();
  }
  // Only three-channel colour can be sampled into a LUT. The signatures are
  // whatever four bytes the file holds, so they are kept as integers: a word
  // outside the library's enumerations is no valid value of its enum types.
  const auto classOf = [](cmsHPROFILE h) {
    return static_cast<std::uint32_t>(cmsGetDeviceClass(h));
  };
  const auto spaceOf = [](cmsHPROFILE h, bool pcs) {
    return static_cast<std::uint32_t>(pcs ? cmsGetPCS(h) : cmsGetColorSpace(h));
  };
  const cmsHPROFILE first = handles.front();
  const cmsHPROFILE last = handles.back();
  const std::uint32_t entry = spaceOf(first, false);
  const bool lastGivesPCS = handles.size() == 1 || classOf(last) == cmsSigLinkClass ||
                            classOf(last) == cmsSigAbstractClass;
  const std::uint32_t exit = spaceOf(last, lastGivesPCS);
  for (const std::uint32_t space : {entry, exit})
    if (!HasThreeChannels(space))
      Raise("No colour transform from " + names + ": the colour space " + SignatureText(space) +
            " does not have three channels");
  cmsHTRANSFORM t = cmsCreateMultiprofileTransformTHR(
      static_cast<cmsContext>(Context_), handles.data(),
      static_cast<cmsUInt32Number>(handles.size()), ThreeWords, ThreeWords, INTENT_PERCEPTUAL,
      cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
  if (!t) Raise("No colour transform from " + names);
  return std::unique_ptr<TICCTransform>(new TICCTransform(t));
}

TICCProfile::~TICCProfile() { cmsCloseProfile(static_cast<cmsHPROFILE>(Handle_)); }

std::uint32_t TICCProfile::ProfileClass() const {
  return static_cast<std::uint32_t>(cmsGetDeviceClass(static_cast<cmsHPROFILE>(Handle_)));
}

TICCTransform::~TICCTransform() { cmsDeleteTransform(static_cast<cmsHTRANSFORM>(Handle_)); }

TICCColor TICCTransform::TranslateColor(const TICCColor& in) const {
  TICCColor out;
  TranslateColors(&in, &out, 1);
  return out;
}

void TICCTransform::TranslateColors(const TICCColor* in, TICCColor* out, std::size_t count) const {
  static_assert(sizeof(TICCColor) == 6, "three packed 16-bit channels");
  cmsDoTransform(static_cast<cmsHTRANSFORM>(Handle_), in, out, static_cast<cmsUInt32Number>(count));
}

std::string ProfileClassName(std::uint32_t profileClass) {
  static constexpr std::pair<cmsProfileClassSignature, const char*> names[] = {
      {cmsSigInputClass, "Input Device Profile"},
      {cmsSigDisplayClass, "Display Device Profile"},
      {cmsSigOutputClass, "Output Device Profile"},
      {cmsSigLinkClass, "Device Link Profile"},
      {cmsSigColorSpaceClass, "Color Space Conversion Profile"},
      {cmsSigAbstractClass, "Abstract Profile"},
      {cmsSigNamedColorClass, "Named Color Profile"}};
  for (const auto& [sig, name] : names)
    if (profileClass == static_cast<std::uint32_t>(sig)) return name;
  return "Unknown";
}
