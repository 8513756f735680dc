// LUT to ICC profile: the tables, the device-to-PCS conversion and its
// corners, value clamping, normalisation, the three builders' tags, and the
// written profiles as LittleCMS sees them.
#include "icc/LutToICC.h"
#include "ops/IccConversions.h"
#include "ops/WriteStep.h"

#include <lcms2.h>

#include <cmath>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "icc/ICCLib.h"
#include "icc/ICCTestSupport.h"
#include "icc/ICCToLut.h"
#include "registry/FormatTable.h"

namespace {

std::string BuildBytes(const TLUT& lut, TICCProfileKind kind, bool captureOne = false) {
  TICCProfileWriter w("unused.icc");
  TLutProfileOptions o;
  o.Kind = kind;
  o.Description = "grade";
  o.CaptureOneGamma = captureOne;
  BuildLutProfile(w, lut, o);
  return w.ProfileBytes();
}

struct TLut16View {
  int Grid, InputEntries, OutputEntries;
  std::string_view Body;
  std::size_t ClutAt() const { return 52 + 6 * static_cast<std::size_t>(InputEntries); }
  std::size_t OutputAt() const {
    return ClutAt() + 6 * static_cast<std::size_t>(Grid * Grid * Grid);
  }
  // Colour table entry i, channel c.
  std::uint16_t Clut(std::size_t i, int c) const { return BE16(Body, ClutAt() + 6 * i + 2 * c); }
};

TLut16View Lut16(std::string_view profile, std::string_view sig) {
  const std::string_view body = TagBody(profile, sig);
  EXPECT_EQ(body.substr(0, 4), "mft2");
  return {static_cast<unsigned char>(body[10]), BE16(body, 48), BE16(body, 50), body};
}

TLUT Curves(int m, TLutRGB (*f)(double)) {
  TLUT lut;
  lut.LutType = lt1D;
  lut.SetSize1D(m);
  for (int i = 0; i < m; ++i) lut.Curve(i) = f(i / (m - 1.0));
  return lut;
}

double EncodeSRGB(double x) {
  return x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
}

TEST(LutToICCTables, EncodingTableMeetsItsRows) {
  const TICCCurve& t = EncodingTable();
  const std::pair<int, int> rows[] = {{0, 0},        {1, 448},     {2, 1281},     {3, 2114},
                                      {10, 6278},    {50, 16015},  {100, 22614},  {256, 35170},
                                      {511, 48110},  {768, 57719}, {1000, 64830}, {1021, 65407},
                                      {1022, 65471}, {1023, 65535}};
  for (const auto& [i, v] : rows) EXPECT_EQ(t[i], v) << "row " << i;
  for (int i = 0; i < 1024; ++i) {
    if (i > 0) {
      EXPECT_LE(t[i - 1], t[i]) << i;
    }
    const double steps = t[i] * 1023.0 / 65535.0;
    EXPECT_EQ(t[i], std::nearbyint(std::nearbyint(steps) * 65535.0 / 1023.0)) << i;
    EXPECT_NEAR(t[i] / 65535.0, EncodeSRGB(i / 1023.0), 0.006) << i;
  }
  EXPECT_EQ(SRGBDecodingTable()[1023], 65535);
  EXPECT_EQ(SRGBDecodingTable()[0], 0);
  EXPECT_EQ(Gamma18Table()[1023], 65535);
}

TEST(LutToICCTables, DeviceCornersInThePCS) {
  const struct {
    bool CaptureOne;
    std::uint16_t In;
    std::uint16_t X, Y, Z;
  } rows[] = {{false, 65535, 31575, 32754, 27020},
              {false, 0, 105, 111, 92},
              {true, 65535, 31610, 32760, 27043},
              {true, 0, 0, 0, 0}};
  for (const auto& row : rows) {
    TICCProfileStream s;
    AppendRGBToXYZ(s, row.In, row.In, row.In, row.CaptureOne);
    EXPECT_EQ(BE16(s.Data(), 0), row.X);
    EXPECT_EQ(BE16(s.Data(), 2), row.Y);
    EXPECT_EQ(BE16(s.Data(), 4), row.Z);
  }
}

TEST(LutToICCTables, LutValuesAreClampedAndRounded) {
  EXPECT_EQ(LutValueToWord(1.2), 65535);
  EXPECT_EQ(LutValueToWord(-0.1), 0);
  EXPECT_EQ(LutValueToWord(std::nan("")), 0);
  EXPECT_EQ(LutValueToWord(0.5), 32768);  // 32767.5, ties to even
  EXPECT_EQ(LutValueToWord(1.0), 65535);
}

TEST(LutToICCTables, ProposalsForAChosenLutFile) {
  EXPECT_EQ(DefaultProfileDescription("/grades/day.for.night.cube"), "day.for.night");
  EXPECT_EQ(DefaultProfileFileName("/grades/day.for.night.cube"), "/grades/day.for.night.icc");
  EXPECT_EQ(DefaultProfileFileName("grades/look"), "grades/look.icc");
}

TEST(LutToICCNormalise, WhatAProfileCanHold) {
  TLUT both = MakeCube(5);
  both.LutType = lt1DThen3D;
  both.SetSize1D(9);
  for (int i = 0; i < 9; ++i) both.Curve(i) = {i / 8.0, i / 8.0, i / 8.0};
  const TLutRGB probe = both.ApplyToColor({0.25, 0.5, 0.75});
  both = ShapeForICC(std::move(both), false).Lut;
  EXPECT_EQ(both.LutType, lt3D);
  EXPECT_EQ(both.Size3D(), 33);
  const TLutRGB after = both.ApplyToColor({0.25, 0.5, 0.75});
  EXPECT_NEAR(after.R, probe.R, 1e-3);
  EXPECT_NEAR(after.B, probe.B, 1e-3);

  const struct {
    int Size, Expected;
  } curves[] = {{65536, 4096}, {4097, 4096}, {4096, 4096}, {256, 256}};
  for (const auto& row : curves) {
    TLUT lut = MakeCurves(row.Size);
    lut = ShapeForICC(std::move(lut), false).Lut;
    EXPECT_EQ(lut.LutType, lt1D);
    EXPECT_EQ(lut.Size1D(), row.Expected) << row.Size;
  }
  TLUT cube = MakeCube(17);
  cube = ShapeForICC(std::move(cube), false).Lut;
  EXPECT_EQ(cube.Size3D(), 17);
}

TEST(LutToICCDisplay, CubeBecomesThePCSToDeviceTable) {
  TLUT lut = MakeCube(5);
  lut.Cube(0, 0, 1) = {1.2, -0.1, 0.5};
  const std::string p = BuildBytes(lut, TICCProfileKind::Display);
  EXPECT_EQ(p.substr(12, 12), "mntrRGB XYZ ");
  EXPECT_EQ(TagNames(p), (std::vector<std::string>{"desc", "cprt", "wtpt", "A2B0", "B2A0"}));

  const TLut16View a2b = Lut16(p, "A2B0");
  EXPECT_EQ(a2b.Grid, 2);
  EXPECT_EQ(a2b.Body.size(), 124u);
  EXPECT_EQ(a2b.Clut(0, 0), 105);
  EXPECT_EQ(a2b.Clut(7, 0), 31575);
  EXPECT_EQ(a2b.Clut(7, 2), 27020);

  const TLut16View b2a = Lut16(p, "B2A0");
  EXPECT_EQ(b2a.Grid, 5);
  EXPECT_EQ(b2a.InputEntries, 1024);
  EXPECT_EQ(b2a.OutputEntries, 2);
  for (int k = 0; k < 9; ++k)
    EXPECT_EQ(BE32(b2a.Body, 12 + 4 * k), FloatToFixed(PCSToRGBMatrix()[k]));
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(BE16(b2a.Body, 52 + 2 * i), EncodingTable()[i]);
  EXPECT_EQ(b2a.Clut(1, 0), 65535);
  EXPECT_EQ(b2a.Clut(1, 1), 0);
  EXPECT_EQ(b2a.Clut(1, 2), 32768);
  std::size_t i = 0;
  for (int r = 0; r < 5; ++r)
    for (int g = 0; g < 5; ++g)
      for (int b = 0; b < 5; ++b, ++i)
        ASSERT_EQ(b2a.Clut(i, 1), LutValueToWord(lut.Cube(r, g, b).G)) << r << g << b;
}

TEST(LutToICCDisplay, CurvesBecomeOutputTables) {
  const TLUT lut = MakeCurves(7);
  const std::string p = BuildBytes(lut, TICCProfileKind::Display, true);
  const TLut16View a2b = Lut16(p, "A2B0");
  EXPECT_EQ(a2b.Clut(0, 0), 0);  // gamma 1.8 black
  const TLut16View b2a = Lut16(p, "B2A0");
  EXPECT_EQ(b2a.Grid, 2);
  EXPECT_EQ(b2a.OutputEntries, 7);
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 7; ++i) {
      const TLutRGB& v = lut.Curve(i);
      const double want = c == 0 ? v.R : c == 1 ? v.G : v.B;
      EXPECT_EQ(BE16(b2a.Body, b2a.OutputAt() + 2 * (7 * c + i)), LutValueToWord(want));
    }
}

TEST(LutToICCDisplay, LongCurvesAndMixedRecordsAreResampled) {
  TLUT longCurves = MakeCurves(65536);
  longCurves = ShapeForICC(std::move(longCurves), false).Lut;
  EXPECT_EQ(Lut16(BuildBytes(longCurves, TICCProfileKind::Display), "B2A0").OutputEntries, 4096);
  EXPECT_EQ(Lut16(BuildBytes(longCurves, TICCProfileKind::DeviceLink), "A2B0").OutputEntries, 4096);

  TLUT both = MakeCube(9);
  both.LutType = lt1DThen3D;
  both.SetSize1D(2);
  both.Curve(1) = {1, 1, 1};
  both = ShapeForICC(std::move(both), false).Lut;
  EXPECT_EQ(Lut16(BuildBytes(both, TICCProfileKind::Display), "B2A0").Grid, 33);
  EXPECT_EQ(Lut16(BuildBytes(both, TICCProfileKind::DeviceLink), "A2B0").Grid, 33);
}

TEST(LutToICCInput, AlwaysA33PointTableThroughTheLut) {
  // The same inversion as a 2-point cube and as 2-entry curves: both are
  // exact at every grid point, so both give the same table.
  TLUT cube;
  cube.LutType = lt3D;
  cube.SetSize3D(2);
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) cube.Cube(r, g, b) = {1.0 - r, 1.0 - g, 1.0 - b};
  const TLUT curves = Curves(2, [](double x) { return TLutRGB{1 - x, 1 - x, 1 - x}; });

  const std::string p = BuildBytes(cube, TICCProfileKind::Input);
  EXPECT_EQ(p.substr(12, 4), "scnr");
  EXPECT_EQ(TagNames(p), (std::vector<std::string>{"desc", "cprt", "wtpt", "A2B0"}));
  const TLut16View a2b = Lut16(p, "A2B0");
  EXPECT_EQ(a2b.Grid, 33);
  EXPECT_EQ(a2b.InputEntries, 2);
  EXPECT_EQ(a2b.Clut(0, 1), 32754);               // black in, white out
  EXPECT_EQ(a2b.Clut(33 * 33 * 33 - 1, 1), 111);  // white in, black out
  EXPECT_EQ(TagBody(BuildBytes(curves, TICCProfileKind::Input), "A2B0"), a2b.Body);
}

TEST(LutToICCDeviceLink, TheLutItself) {
  TLUT lut = MakeCube(3);
  const std::string p = BuildBytes(lut, TICCProfileKind::DeviceLink);
  EXPECT_EQ(p.substr(12, 12), "linkRGB RGB ");  // the output side, not a PCS
  EXPECT_EQ(TagNames(p), (std::vector<std::string>{"desc", "cprt", "A2B0", "pseq"}));
  const TLut16View a2b = Lut16(p, "A2B0");
  EXPECT_EQ(a2b.Grid, 3);
  EXPECT_EQ(a2b.InputEntries, 2);
  EXPECT_EQ(BE32(a2b.Body, 12), 0x00010000u);  // identity matrix
  EXPECT_EQ(a2b.Clut(26, 0), LutValueToWord(lut.Cube(2, 2, 2).R));
  EXPECT_EQ(a2b.Clut(1, 2), LutValueToWord(lut.Cube(0, 0, 1).B));

  const TLUT curves = MakeCurves(5);
  const std::string link = BuildBytes(curves, TICCProfileKind::DeviceLink);
  const TLut16View c = Lut16(link, "A2B0");
  EXPECT_EQ(c.Grid, 2);
  EXPECT_EQ(c.OutputEntries, 5);
  EXPECT_EQ(BE16(c.Body, c.OutputAt() + 2 * (5 + 4)), LutValueToWord(curves.Curve(4).G));
}

class LutToICCFiles : public TempDirTest {};

// Every class, from every kind of record, with both decodings, in both
// versions, opens in LittleCMS and makes the transform the profile-to-LUT
// conversion uses.
TEST_F(LutToICCFiles, EveryProfileGivesATransform) {
  TLUT both = MakeCube(9);
  both.LutType = lt1DThen3D;
  both.SetSize1D(16);
  for (int i = 0; i < 16; ++i) both.Curve(i) = {i / 15.0, i / 15.0, i / 15.0};
  both = ShapeForICC(std::move(both), false).Lut;
  const TLUT records[] = {MakeCube(17), MakeCurves(256), both};
  int n = 0;
  for (TICCVersion version : {TICCVersion::V4, TICCVersion::V2})
    for (TICCProfileKind kind :
         {TICCProfileKind::Display, TICCProfileKind::Input, TICCProfileKind::DeviceLink})
      for (const TLUT& lut : records)
        for (bool captureOne : {false, true}) {
          const fs::path file = Path("p" + std::to_string(n++) + ".icc");
          TLutProfileOptions o;
          o.Kind = kind;
          o.Description = "caf\xC3\xA9";
          o.CaptureOneGamma = captureOne;
          o.Version = version;
          WriteLutProfile(file, lut, o);
          SCOPED_TRACE(file.string());
          ASSERT_NO_THROW({
            const TICCColorTransform t({file, {}, false});
            t.Translate({1000, 30000, 65535});
          });
        }
}

// LittleCMS reads the texts, the white point and the header back as written;
// version 2 text is ASCII.
TEST_F(LutToICCFiles, LittleCMSReadsTheTagsBack) {
  const struct {
    TICCVersion Version;
    cmsUInt32Number Encoded;
    const wchar_t* Description;
  } rows[] = {{TICCVersion::V4, 0x04000000, L"Caf\u00E9 \u20AC"},
              {TICCVersion::V2, 0x02400000, L"Caf? ?"}};
  for (const auto& row : rows) {
    const fs::path file = Path("texts.icc");
    TLutProfileOptions o;
    o.Kind = TICCProfileKind::Display;
    o.Description = "Caf\xC3\xA9 \xE2\x82\xAC";
    o.Copyright = "Copyright (c) Tovi";
    o.Version = row.Version;
    WriteLutProfile(file, MakeCube(3), o);
    cmsHPROFILE h = cmsOpenProfileFromFile(file.c_str(), "r");
    ASSERT_NE(h, nullptr);
    wchar_t text[64] = {};
    cmsGetProfileInfo(h, cmsInfoDescription, "en", "US", text, sizeof text);
    EXPECT_EQ(std::wstring(text), row.Description);
    cmsGetProfileInfo(h, cmsInfoCopyright, "en", "US", text, sizeof text);
    EXPECT_EQ(std::wstring(text), L"Copyright (c) Tovi");
    const auto* white = static_cast<const cmsCIEXYZ*>(cmsReadTag(h, cmsSigMediaWhitePointTag));
    ASSERT_NE(white, nullptr);
    EXPECT_NEAR(white->X, 0.9642, 1e-4);
    EXPECT_NEAR(white->Z, 0.8249, 1e-4);
    EXPECT_EQ(cmsGetEncodedICCversion(h), row.Encoded);
    EXPECT_EQ(cmsGetDeviceClass(h), cmsSigDisplayClass);
    EXPECT_EQ(cmsGetPCS(h), cmsSigXYZData);
    EXPECT_TRUE(cmsIsCLUT(h, INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT));
    cmsCloseProfile(h);
  }
}

// A device link is an RGB to RGB transform for LittleCMS, named so in its
// formats, and gives the cube back at the grid. (Left to itself, LittleCMS
// moves the white node of an optimised RGB to RGB transform onto white; the
// LUT's own white is what is checked here.)
TEST_F(LutToICCFiles, DeviceLinkReproducesTheCube) {
  const TLUT lut = MakeCube(33);
  for (TICCVersion version : {TICCVersion::V4, TICCVersion::V2}) {
    const fs::path file = Path("link.icc");
    TLutProfileOptions o;
    o.Kind = TICCProfileKind::DeviceLink;
    o.Version = version;
    WriteLutProfile(file, lut, o);
    cmsHPROFILE h = cmsOpenProfileFromFile(file.c_str(), "r");
    ASSERT_NE(h, nullptr);
    cmsHTRANSFORM t = cmsCreateTransform(h, TYPE_RGB_16, nullptr, TYPE_RGB_16, INTENT_PERCEPTUAL,
                                         cmsFLAGS_NOWHITEONWHITEFIXUP);
    cmsCloseProfile(h);
    ASSERT_NE(t, nullptr);
    int worst = 0;
    for (int r = 0; r < 33; ++r)
      for (int g = 0; g < 33; ++g)
        for (int b = 0; b < 33; ++b) {
          const TICCColor in = {GridInput(r, 33), GridInput(g, 33), GridInput(b, 33)};
          TICCColor out;
          cmsDoTransform(t, &in, &out, 1);
          const TLutRGB& want = lut.Cube(r, g, b);
          worst = std::max({worst, std::abs(out.R - LutValueToWord(want.R)),
                            std::abs(out.G - LutValueToWord(want.G)),
                            std::abs(out.B - LutValueToWord(want.B))});
        }
    cmsDeleteTransform(t);
    EXPECT_LE(worst, 2);
  }
}

// Through a colour-managed chain the profiles apply the LUT: sRGB to the
// display profile gives the LUT's output, the input profile to sRGB too.
// Checked inside the gamut: towards black and the gamut's edges LittleCMS
// compensates the version 4 perceptual black point, and the rounded matrix
// meets the steep start of the encoding curve.
TEST_F(LutToICCFiles, ProfilesApplyTheLutInAColourManagedChain) {
  const TLUT lut = MakeCube(17);
  for (TICCProfileKind kind : {TICCProfileKind::Display, TICCProfileKind::Input}) {
    const fs::path file = Path("profile.icc");
    TLutProfileOptions o;
    o.Kind = kind;
    WriteLutProfile(file, lut, o);
    const TICCColorTransform t({file, {}, false});
    double worst = 0;
    for (int r = 4; r <= 12; r += 4)
      for (int g = 4; g <= 12; g += 4)
        for (int b = 4; b <= 12; b += 4) {
          const TICCColor out = t.Translate({GridInput(r, 17), GridInput(g, 17), GridInput(b, 17)});
          const TLutRGB& want = lut.Cube(r, g, b);
          worst =
              std::max({worst, std::abs(out.R / 65535.0 - want.R),
                        std::abs(out.G / 65535.0 - want.G), std::abs(out.B / 65535.0 - want.B)});
        }
    EXPECT_LT(worst, 0.01) << (kind == TICCProfileKind::Display ? "display" : "input");
  }
}

TEST_F(LutToICCFiles, ConvertsALutFile) {
  const fs::path lutFile = Path("grade.cube");
  LutRegistry().SaveLut(lutFile, MakeCube(5), ProfileNamed("Cube 3D Davinci"), -1);
  const fs::path out = Path("grade.icc");
  TLutProfileOptions o;
  o.Kind = TICCProfileKind::DeviceLink;
  TFixedConfirm yes;
  ConvertLutToICC(LutRegistry(), lutFile, out, o, yes);
  const std::string p = ReadWholeFile(out);
  EXPECT_EQ(BE32(p, 0), p.size());
  EXPECT_EQ(Lut16(p, "A2B0").Grid, 5);
}

TEST_F(LutToICCFiles, FailuresWriteNothing) {
  const fs::path junk = Write("notes.txt", "nothing a LUT format knows\n");
  const fs::path out = Path("out.icc");
  TFixedConfirm yes;
  EXPECT_THROW(ConvertLutToICC(LutRegistry(), junk, out, {}, yes), ELUTError);
  EXPECT_FALSE(fs::exists(out));

  const fs::path lutFile = Path("grade.cube");
  LutRegistry().SaveLut(lutFile, MakeCube(3), ProfileNamed("Cube 3D Davinci"), -1);
  const fs::path nowhere = Path("missing") / "out.icc";
  try {
    ConvertLutToICC(LutRegistry(), lutFile, nowhere, {}, yes);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("Could not write the profile"), std::string::npos);
  }

  TLUT empty;
  empty.LutType = ltEmpty;
  EXPECT_THROW(WriteLutProfile(out, empty, {}), ELUTError);
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
