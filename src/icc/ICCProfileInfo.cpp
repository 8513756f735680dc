#include "icc/ICCProfileInfo.h"

#include <utility>

#include "core/FileIO.h"
#include "icc/ICCLib.h"
#include "icc/ICCWriteLib.h"

namespace {

// The tags whose bodies are colour tables: device to PCS and back for each
// intent, their floating-point kin, the gamut and the preview tables.
constexpr const char* LutTagNames[] = {"A2B0", "A2B1", "A2B2", "B2A0", "B2A1", "B2A2",
                                       "D2B0", "D2B1", "D2B2", "D2B3", "B2D0", "B2D1",
                                       "B2D2", "B2D3", "gamt", "pre0", "pre1", "pre2"};

std::string SignatureWord(std::uint32_t sig) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((sig >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string TagTypeName(std::uint32_t type) {
  static const std::pair<const char*, const char*> names[] = {{"mft1", "lut8"},
                                                              {"mft2", "lut16"},
                                                              {"mAB ", "lutAToB"},
                                                              {"mBA ", "lutBToA"},
                                                              {"mpet", "multiProcessElements"}};
  for (const auto& [sig, name] : names)
    if (type == Signature(sig)) return name;
  return "'" + SignatureWord(type) + "'";
}

std::string VersionText(std::uint32_t encoded) {
  std::string text = std::to_string(encoded >> 24) + "." + std::to_string((encoded >> 20) & 0xF);
  if (const std::uint32_t bugfix = (encoded >> 16) & 0xF) text += "." + std::to_string(bugfix);
  return text;
}

}  // namespace

bool IsICCProfileFile(const std::filesystem::path& fileName) {
  try {
    const std::string head = ReadFilePrefix(fileName, ICCHeader::Size);
    return head.size() == ICCHeader::Size && head.compare(ICCHeader::FileSignature, 4, "acsp") == 0;
  } catch (const std::exception&) {
    return false;
  }
}

TICCProfileInfo ReadICCProfileInfo(const std::filesystem::path& fileName) {
  TICCService service;
  const auto profile = service.OpenProfile(fileName);
  TICCProfileInfo info;
  info.ProfileClass = profile->ProfileClass();
  info.ColorSpace = profile->ColorSpace();
  info.ConnectionSpace = profile->ConnectionSpace();
  info.Version = profile->EncodedVersion();
  info.Description = profile->Description();
  info.Copyright = profile->Copyright();
  for (const char* name : LutTagNames)
    if (const std::uint32_t type = profile->TagType(Signature(name)))
      info.LutTags.push_back(std::string(name) + " (" + TagTypeName(type) + ")");
  info.CalibrationCurves = profile->TagType(Signature("vcgt")) != 0;
  return info;
}

std::vector<std::string> ICCProfileInfoLines(const TICCProfileInfo& info) {
  std::string tags;
  for (const std::string& tag : info.LutTags) tags += (tags.empty() ? "" : ", ") + tag;
  std::vector<std::string> lines = {
      "Class: " + ProfileClassName(info.ProfileClass),
      "Color space: " + SignatureWord(info.ColorSpace),
      "PCS: " + SignatureWord(info.ConnectionSpace),
      "Version: " + VersionText(info.Version),
      "Description: " + info.Description,
      "Copyright: " + info.Copyright,
      "LUT-based tags: " + (tags.empty() ? std::string("none") : tags)};
  if (info.ProfileClass == Signature("mntr"))
    lines.push_back(std::string("Calibration curves (vcgt): ") +
                    (info.CalibrationCurves ? "yes" : "none"));
  return lines;
}
