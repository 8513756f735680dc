#include "icc/ICCLib.h"

#include <lcms2.h>
#include <lcms2_plugin.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <utility>
#include <vector>

#include "core/FileIO.h"
#include "icc/ICCWriteLib.h"

void RecordICCError(TICCService& service, const char* text);

namespace {

// Colour spaces are checked by channel count only (see CheckTransformEnds),
// so the formatters do not name one: LittleCMS would refuse the device links
// this program wrote before it named their output side RGB (they said XYZ).
constexpr cmsUInt32Number Words(int channels) {
  return CHANNELS_SH(static_cast<cmsUInt32Number>(channels)) | BYTES_SH(2);
}

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

struct TTransformEnds {
  std::uint32_t Entry;
  std::uint32_t Exit;
};

// The colour spaces a chain of profiles starts and ends in. The signatures
// are whatever four bytes the file holds, so they are kept as integers: a
// word outside the library's enumerations is no valid value of its enum
// types.
TTransformEnds TransformEnds(const std::vector<cmsHPROFILE>& handles) {
  const auto classOf = [](cmsHPROFILE h) {
    return static_cast<std::uint32_t>(cmsGetDeviceClass(h));
  };
  const auto spaceOf = [](cmsHPROFILE h, bool pcs) {
    return static_cast<std::uint32_t>(pcs ? cmsGetPCS(h) : cmsGetColorSpace(h));
  };
  const cmsHPROFILE last = handles.back();
  const bool lastGivesPCS = handles.size() == 1 || classOf(last) == cmsSigLinkClass ||
                            classOf(last) == cmsSigAbstractClass;
  return {spaceOf(handles.front(), false), spaceOf(last, lastGivesPCS)};
}

int ChannelsOf(std::uint32_t space) {
  if (space == static_cast<std::uint32_t>(cmsSigGrayData)) return 1;
  return HasThreeChannels(space) ? 3 : 0;
}

// LittleCMS hands out texts as wchar_t, which holds UTF-32 here.
std::string Utf8FromWide(const std::wstring& text) {
  std::string out;
  for (const wchar_t w : text) {
    auto cp = static_cast<std::uint32_t>(w);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::string ProfileText(cmsHPROFILE h, cmsInfoType which) {
  const cmsUInt32Number bytes = cmsGetProfileInfo(h, which, "en", "US", nullptr, 0);
  if (bytes == 0) return {};
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  cmsGetProfileInfo(h, which, "en", "US", text.data(), bytes);
  text.resize(std::wcslen(text.c_str()));
  return Utf8FromWide(text);
}

// The library sizes a table from the counts a profile declares and fills it
// with zeros before it finds the file too short for it: a profile of a few
// hundred bytes could make it take half a gigabyte. A table that a profile
// really holds is stored in the file, so no single block the library asks
// for needs more than a few times the bytes of the largest profile opened,
// beyond what the transforms build for themselves.
constexpr std::size_t kAllocationBase = std::size_t{16} << 20;
constexpr std::size_t kBytesPerProfileByte = 8;

bool WithinCeiling(cmsContext context, std::size_t size) {
  const auto* service = static_cast<const TICCService*>(cmsGetContextUserData(context));
  const std::size_t largest = service ? service->LargestProfileBytes() : 0;
  return size <= kAllocationBase + kBytesPerProfileByte * largest;
}

void* Allocate(cmsContext context, cmsUInt32Number size) {
  return WithinCeiling(context, size) ? std::malloc(size) : nullptr;
}

void* Reallocate(cmsContext context, void* block, cmsUInt32Number size) {
  return WithinCeiling(context, size) ? std::realloc(block, size) : nullptr;
}

void Release(cmsContext, void* block) { std::free(block); }

cmsPluginMemHandler gMemoryCeiling = {
    {cmsPluginMagicNumber, 2000, cmsPluginMemHandlerSig, nullptr},
    Allocate,
    Release,
    Reallocate,
    nullptr,
    nullptr,
    nullptr};

void LogError(cmsContext context, cmsUInt32Number, const char* text) {
  if (auto* service = static_cast<TICCService*>(cmsGetContextUserData(context)))
    RecordICCError(*service, text);
}

}  // namespace

void RecordICCError(TICCService& service, const char* text) {
  // The first report is the cause; later ones tend to be its consequences.
  if (service.LastError_.empty() && text) service.LastError_ = text;
}

TICCService::TICCService() : Context_(cmsCreateContext(&gMemoryCeiling, this)) {
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
  if (std::error_code ec; std::filesystem::exists(fileName, ec)) {
    RefuseNonRegularFile(fileName);
    const std::uintmax_t bytes = std::filesystem::file_size(fileName, ec);
    if (!ec) LargestProfileBytes_ = std::max<std::size_t>(LargestProfileBytes_, bytes);
  }
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

std::vector<void*> TICCService::Handles(const std::vector<const TICCProfile*>& profiles,
                                        std::string& names) {
  std::vector<void*> handles;
  for (const TICCProfile* p : profiles) {
    handles.push_back(p->Handle_);
    names += (names.empty() ? "" : " -> ") + p->Name();
  }
  return handles;
}

void TICCService::CheckTransformEnds(const std::vector<const TICCProfile*>& profiles) {
  LastError_.clear();
  if (profiles.empty()) Raise("No profile to make a colour transform from");
  std::string names;
  const TTransformEnds ends = TransformEnds(Handles(profiles, names));
  // A LUT holds three channels; a gray end is sampled as a ramp on each.
  for (const std::uint32_t space : {ends.Entry, ends.Exit})
    if (ChannelsOf(space) == 0)
      Raise("No colour transform from " + names + ": the colour space " + SignatureText(space) +
            " does not have three channels");
}

std::unique_ptr<TICCTransform> TICCService::CreateTransform(
    const std::vector<const TICCProfile*>& profiles, TICCIntent intent,
    bool blackPointCompensation) {
  CheckTransformEnds(profiles);
  std::string names;
  std::vector<cmsHPROFILE> handles = Handles(profiles, names);
  const TTransformEnds ends = TransformEnds(handles);
  const int in = ChannelsOf(ends.Entry), out = ChannelsOf(ends.Exit);
  cmsUInt32Number flags = cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE;
  if (blackPointCompensation) flags |= cmsFLAGS_BLACKPOINTCOMPENSATION;
  cmsHTRANSFORM t =
      cmsCreateMultiprofileTransformTHR(static_cast<cmsContext>(Context_), handles.data(),
                                        static_cast<cmsUInt32Number>(handles.size()), Words(in),
                                        Words(out), static_cast<cmsUInt32Number>(intent), flags);
  if (!t) Raise("No colour transform from " + names);
  return std::unique_ptr<TICCTransform>(new TICCTransform(t, in, out));
}

TICCProfile::~TICCProfile() { cmsCloseProfile(static_cast<cmsHPROFILE>(Handle_)); }

std::uint32_t TICCProfile::ProfileClass() const {
  return static_cast<std::uint32_t>(cmsGetDeviceClass(static_cast<cmsHPROFILE>(Handle_)));
}

std::uint32_t TICCProfile::ColorSpace() const {
  return static_cast<std::uint32_t>(cmsGetColorSpace(static_cast<cmsHPROFILE>(Handle_)));
}

std::uint32_t TICCProfile::ConnectionSpace() const {
  return static_cast<std::uint32_t>(cmsGetPCS(static_cast<cmsHPROFILE>(Handle_)));
}

std::uint32_t TICCProfile::EncodedVersion() const {
  return cmsGetEncodedICCversion(static_cast<cmsHPROFILE>(Handle_));
}

std::string TICCProfile::Description() const {
  return ProfileText(static_cast<cmsHPROFILE>(Handle_), cmsInfoDescription);
}

std::string TICCProfile::Copyright() const {
  return ProfileText(static_cast<cmsHPROFILE>(Handle_), cmsInfoCopyright);
}

std::uint32_t TICCProfile::TagType(std::uint32_t tagSignature) const {
  const auto h = static_cast<cmsHPROFILE>(Handle_);
  const auto sig = static_cast<cmsTagSignature>(tagSignature);
  if (!cmsIsTag(h, sig)) return 0;
  // The type is the first word of the tag's body, read as stored.
  cmsUInt8Number head[4] = {};
  if (cmsReadRawTag(h, sig, head, sizeof head) < sizeof head) return 0;
  return (std::uint32_t{head[0]} << 24) | (std::uint32_t{head[1]} << 16) |
         (std::uint32_t{head[2]} << 8) | head[3];
}

int TICCProfile::LargestGrid() const {
  const auto h = static_cast<cmsHPROFILE>(Handle_);
  int largest = 0;
  for (const char* name : {"A2B0", "A2B1", "A2B2", "B2A0", "B2A1", "B2A2"}) {
    const auto sig = static_cast<cmsTagSignature>(Signature(name));
    if (!cmsIsTag(h, sig)) continue;
    const cmsUInt32Number size = cmsReadRawTag(h, sig, nullptr, 0);
    if (size < 32) continue;
    std::vector<cmsUInt8Number> tag(size);
    if (cmsReadRawTag(h, sig, tag.data(), size) != size) continue;
    const auto word = [&](std::size_t at) {
      return (std::uint32_t{tag[at]} << 24) | (std::uint32_t{tag[at + 1]} << 16) |
             (std::uint32_t{tag[at + 2]} << 8) | tag[at + 3];
    };
    const std::uint32_t type = word(0);
    const int inputs = tag[8];
    if (type == Signature("mft1") || type == Signature("mft2")) {
      largest = std::max<int>(largest, tag[10]);  // one count for every input
    } else if (type == Signature("mAB ") || type == Signature("mBA ")) {
      const std::uint32_t clut = word(24);  // 0 without a colour table
      for (int i = 0; clut != 0 && i < std::min(inputs, 16) && clut + i < size; ++i)
        largest = std::max<int>(largest, tag[clut + i]);
    }
  }
  return largest;
}

TICCTransform::~TICCTransform() { cmsDeleteTransform(static_cast<cmsHTRANSFORM>(Handle_)); }

TICCColor TICCTransform::TranslateColor(const TICCColor& in) const {
  TICCColor out;
  TranslateColors(&in, &out, 1);
  return out;
}

void TICCTransform::TranslateColors(const TICCColor* in, TICCColor* out, std::size_t count) const {
  static_assert(sizeof(TICCColor) == 6, "three packed 16-bit channels");
  if (InputChannels_ != 3 || OutputChannels_ != 3)
    throw std::logic_error("TranslateColors needs three channels at both ends");
  cmsDoTransform(static_cast<cmsHTRANSFORM>(Handle_), in, out, static_cast<cmsUInt32Number>(count));
}

void TICCTransform::TranslateWords(const std::uint16_t* in, std::uint16_t* out,
                                   std::size_t count) const {
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
