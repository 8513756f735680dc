// What `tovilut info` shows about an ICC profile: its class, colour spaces,
// version, texts, and the tags that hold colour tables (LUT-based tags).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TICCProfileInfo {
  std::uint32_t ProfileClass = 0;
  std::uint32_t ColorSpace = 0;
  std::uint32_t ConnectionSpace = 0;  // the output colour space for a device link
  std::uint32_t Version = 0;          // as encoded in the header, 0x04300000 for 4.3
  std::string Description;            // UTF-8
  std::string Copyright;
  // "A2B0 (lut16)" and the like, in the order of the ICC tag names.
  std::vector<std::string> LutTags;
  // Whether the profile carries video card calibration curves (a vcgt tag).
  bool CalibrationCurves = false;
};

// Whether the file carries the ICC profile signature ('acsp' at byte 36).
// A file that cannot be read is no profile here.
bool IsICCProfileFile(const std::filesystem::path& fileName);

// Raises EICCError when LittleCMS cannot open the profile.
TICCProfileInfo ReadICCProfileInfo(const std::filesystem::path& fileName);

// "Class: Display Device Profile", "Color space: RGB", ... one field a line;
// a display profile also says whether it carries calibration curves.
std::vector<std::string> ICCProfileInfoLines(const TICCProfileInfo& info);
