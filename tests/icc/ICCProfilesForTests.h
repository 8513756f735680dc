// Small ICC profiles made with LittleCMS itself, saved into a test folder:
// an RGB device profile of any class, and a CMYK device link.
#pragma once

#include <lcms2.h>

#include <filesystem>
#include <stdexcept>

// A gamma 2.2 RGB device with wide primaries, unlike sRGB in every channel.
inline std::filesystem::path SaveRGBProfile(const std::filesystem::path& file,
                                            cmsProfileClassSignature cls) {
  cmsCIExyY white;
  cmsWhitePointFromTemp(&white, 6504);
  const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsHPROFILE h = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(gamma);
  cmsSetDeviceClass(h, cls);
  const bool ok = cmsSaveProfileToFile(h, file.c_str());
  cmsCloseProfile(h);
  if (!ok) throw std::runtime_error("cannot save the test profile");
  return file;
}

inline std::filesystem::path SaveCMYKLink(const std::filesystem::path& file) {
  cmsHPROFILE h = cmsCreateInkLimitingDeviceLink(cmsSigCmykData, 300);
  const bool ok = cmsSaveProfileToFile(h, file.c_str());
  cmsCloseProfile(h);
  if (!ok) throw std::runtime_error("cannot save the test profile");
  return file;
}
