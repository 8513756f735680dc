// Small ICC profiles made with LittleCMS itself, saved into a test folder:
// RGB device profiles of any class (a matrix and curves, or tables whose
// rendering intents differ), sRGB as a colour space profile, gray profiles,
// an abstract profile and a CMYK device link. The interop suite writes the
// same profiles (icc_fixtures) for the other programs to read.
#pragma once

#include <lcms2.h>

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace icc_fixtures {

inline void Save(cmsHPROFILE h, const std::filesystem::path& file) {
  const bool ok = cmsSaveProfileToFile(h, file.c_str());
  cmsCloseProfile(h);
  if (!ok) throw std::runtime_error("cannot save the test profile " + file.string());
}

// Wide primaries, unlike sRGB in every channel; each channel decodes as
// black + (1 - black) * x^gamma.
inline cmsHPROFILE MatrixShaperRGB(double gamma, double black) {
  cmsCIExyY white;
  cmsWhitePointFromTemp(&white, 6504);
  const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
  std::vector<cmsFloat32Number> table(4096);
  for (std::size_t i = 0; i < table.size(); ++i)
    table[i] = static_cast<cmsFloat32Number>(
        black + (1 - black) * std::pow(static_cast<double>(i) / 4095.0, gamma));
  cmsToneCurve* curve =
      black == 0 ? cmsBuildGamma(nullptr, gamma)
                 : cmsBuildTabulatedToneCurveFloat(
                       nullptr, static_cast<cmsUInt32Number>(table.size()), table.data());
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE h = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(curve);
  return h;
}

inline int SampleThrough(const cmsUInt16Number in[], cmsUInt16Number out[], void* transform) {
  cmsDoTransform(static_cast<cmsHTRANSFORM>(transform), in, out, 1);
  return TRUE;
}

// A pipeline of one colour table sampled from a transform, 16 bits a
// channel, between identity curves (the table tags need curves around it).
inline cmsPipeline* TablePipeline(cmsHPROFILE from, cmsUInt32Number fromType, cmsHPROFILE to,
                                  cmsUInt32Number toType, cmsUInt32Number grid) {
  cmsHTRANSFORM t = cmsCreateTransform(from, fromType, to, toType, INTENT_RELATIVE_COLORIMETRIC,
                                       cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
  cmsPipeline* p = cmsPipelineAlloc(nullptr, 3, 3);
  cmsStage* clut = cmsStageAllocCLut16bit(nullptr, grid, 3, 3, nullptr);
  cmsStageSampleCLut16bit(clut, SampleThrough, t, 0);
  cmsPipelineInsertStage(p, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsPipelineInsertStage(p, cmsAT_END, clut);
  cmsPipelineInsertStage(p, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
  cmsDeleteTransform(t);
  return p;
}

}  // namespace icc_fixtures

// A gamma 2.2 RGB device with wide primaries, unlike sRGB in every channel.
inline std::filesystem::path SaveRGBProfile(const std::filesystem::path& file,
                                            cmsProfileClassSignature cls) {
  cmsHPROFILE h = icc_fixtures::MatrixShaperRGB(2.2, 0);
  cmsSetDeviceClass(h, cls);
  icc_fixtures::Save(h, file);
  return file;
}

// LittleCMS's sRGB as a colour space ('spac') profile.
inline std::filesystem::path SaveSRGBSpaceProfile(const std::filesystem::path& file) {
  cmsHPROFILE h = cmsCreate_sRGBProfile();
  cmsSetDeviceClass(h, cmsSigColorSpaceClass);
  icc_fixtures::Save(h, file);
  return file;
}

// An RGB profile of tables with a Lab connection space (version 4) whose
// rendering intents all differ: the perceptual tables are a gamma 2.2
// device, the colorimetric ones gamma 1.8 with a raised black (so that
// black point compensation moves them), the saturation ones gamma 2.6; its
// media white is not D50 (so that absolute differs from relative).
inline std::filesystem::path SaveTableProfile(const std::filesystem::path& file,
                                              cmsProfileClassSignature cls) {
  using namespace icc_fixtures;
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE h = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(h, 4.3);
  cmsSetDeviceClass(h, cls);
  cmsSetColorSpace(h, cmsSigRgbData);
  cmsSetPCS(h, cmsSigLabData);
  const struct {
    cmsTagSignature AToB, BToA;
    double Gamma, Black;
  } intents[] = {{cmsSigAToB0Tag, cmsSigBToA0Tag, 2.2, 0},
                 {cmsSigAToB1Tag, cmsSigBToA1Tag, 1.8, 0.01},
                 {cmsSigAToB2Tag, cmsSigBToA2Tag, 2.6, 0}};
  for (const auto& intent : intents) {
    cmsHPROFILE device = MatrixShaperRGB(intent.Gamma, intent.Black);
    cmsPipeline* toPCS = TablePipeline(device, TYPE_RGB_16, lab, TYPE_Lab_16, 17);
    cmsPipeline* fromPCS = TablePipeline(lab, TYPE_Lab_16, device, TYPE_RGB_16, 17);
    cmsWriteTag(h, intent.AToB, toPCS);
    cmsWriteTag(h, intent.BToA, fromPCS);
    cmsPipelineFree(toPCS);
    cmsPipelineFree(fromPCS);
    cmsCloseProfile(device);
  }
  const cmsCIEXYZ media = {0.93, 0.97, 0.76};
  cmsWriteTag(h, cmsSigMediaWhitePointTag, &media);
  cmsMLU* text = cmsMLUalloc(nullptr, 1);
  cmsMLUsetASCII(text, "en", "US", "Tables for each intent");
  cmsWriteTag(h, cmsSigProfileDescriptionTag, text);
  cmsWriteTag(h, cmsSigCopyrightTag, text);
  cmsMLUfree(text);
  cmsCloseProfile(lab);
  icc_fixtures::Save(h, file);
  return file;
}

// A gray device of gamma 1.8 under D50.
inline std::filesystem::path SaveGrayProfile(const std::filesystem::path& file,
                                             cmsProfileClassSignature cls) {
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.8);
  cmsHPROFILE h = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
  cmsFreeToneCurve(gamma);
  cmsSetDeviceClass(h, cls);
  icc_fixtures::Save(h, file);
  return file;
}

// An sRGB display profile that carries video card calibration curves (vcgt).
inline std::filesystem::path SaveCalibratedDisplayProfile(const std::filesystem::path& file) {
  cmsHPROFILE h = cmsCreate_sRGBProfile();
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 1.1);
  const cmsToneCurve* curves[3] = {gamma, gamma, gamma};
  cmsWriteTag(h, cmsSigVcgtTag, curves);
  cmsFreeToneCurve(gamma);
  icc_fixtures::Save(h, file);
  return file;
}

// A look in Lab: brighter, more contrast, hue turned, more saturation.
inline std::filesystem::path SaveAbstractProfile(const std::filesystem::path& file) {
  cmsHPROFILE h = cmsCreateBCHSWabstractProfile(17, 5, 1.1, 10, 20, 0, 0);
  icc_fixtures::Save(h, file);
  return file;
}

inline std::filesystem::path SaveCMYKLink(const std::filesystem::path& file) {
  icc_fixtures::Save(cmsCreateInkLimitingDeviceLink(cmsSigCmykData, 300), file);
  return file;
}
