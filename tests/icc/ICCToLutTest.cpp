// ICC profile to LUT: the transform order by class and inversion, with each
// rendering intent and black point compensation, checked against LittleCMS's
// own transform of the grid colours; device links alone; colour space,
// abstract and gray profiles; the grid; the preview of a bitmap; and the
// profiles no LUT can come from.
#include "icc/ICCToLut.h"

#include <lcms2.h>

#include "TestSupport.h"
#include "core/Errors.h"
#include "icc/ICCProfilesForTests.h"
#include "icc/ICCWriteLib.h"
#include "icc/LutToICC.h"
#include "ops/IccConversions.h"
#include "ops/Conversion.h"
#include "registry/FormatTable.h"

namespace {

class ICCToLut : public TempDirTest {
 protected:
  // LittleCMS's own transform through profile files in order ("" = sRGB),
  // from and to the given formats.
  template <typename In, typename Out>
  static std::vector<Out> DirectOf(const std::vector<fs::path>& chain, const std::vector<In>& in,
                                   cmsUInt32Number inType, cmsUInt32Number outType,
                                   cmsUInt32Number intent, cmsUInt32Number flags) {
    std::vector<cmsHPROFILE> handles;
    for (const fs::path& f : chain)
      handles.push_back(f.empty() ? cmsCreate_sRGBProfile()
                                  : cmsOpenProfileFromFile(f.c_str(), "r"));
    cmsHTRANSFORM t = cmsCreateMultiprofileTransform(
        handles.data(), static_cast<cmsUInt32Number>(handles.size()), inType, outType, intent,
        flags | cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    std::vector<Out> out(in.size());
    if (t) cmsDoTransform(t, in.data(), out.data(), static_cast<cmsUInt32Number>(in.size()));
    EXPECT_NE(t, nullptr);
    if (t) cmsDeleteTransform(t);
    for (cmsHPROFILE h : handles) cmsCloseProfile(h);
    return out;
  }
  static std::vector<TICCColor> Direct(const std::vector<fs::path>& chain,
                                       const std::vector<TICCColor>& in,
                                       cmsUInt32Number intent = INTENT_PERCEPTUAL,
                                       cmsUInt32Number flags = 0) {
    return DirectOf<TICCColor, TICCColor>(chain, in, TYPE_RGB_16, TYPE_RGB_16, intent, flags);
  }

  static std::vector<TICCColor> Grid(int n) {
    std::vector<TICCColor> grid;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b)
          grid.push_back({GridInput(r, n), GridInput(g, n), GridInput(b, n)});
    return grid;
  }

  static void ExpectCube(const TLUT& lut, const std::vector<TICCColor>& want) {
    const int n = lut.Size3D();
    ASSERT_EQ(lut.LutType, lt3D);
    ASSERT_EQ(static_cast<std::size_t>(n) * n * n, want.size());
    std::size_t i = 0;
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b, ++i) {
          const TLutRGB& v = lut.Cube(r, g, b);
          ASSERT_EQ(v, (TLutRGB{want[i].R / 65535.0, want[i].G / 65535.0, want[i].B / 65535.0}))
              << r << " " << g << " " << b;
        }
  }
};

TEST(ICCToLutGrid, InputsAreRoundedTiesToEven) {
  const std::pair<int, int> rows17[] = {{0, 0},     {1, 4096},   {2, 8192},
                                        {8, 32768}, {15, 61439}, {16, 65535}};
  for (const auto& [k, v] : rows17) EXPECT_EQ(GridInput(k, 17), v) << k;
  EXPECT_EQ(GridInput(1, 2), 65535);
  EXPECT_EQ(GridInput(1, 3), 32768);  // 32767.5
}

TEST(ICCToLutClasses, SecondProfileByClass) {
  const struct {
    const char* Sig;
    bool Uses;
    bool Inverts;
    const char* Caption;
  } rows[] = {{"scnr", true, true, "Output Color Space"},
              {"mntr", true, true, "Input Color Space"},
              {"prtr", true, true, "Input Color Space"},
              {"spac", true, true, "Input Color Space"},
              {"abst", true, false, "Input Color Space"},
              {"link", false, false, nullptr},
              {"nmcl", false, false, nullptr}};
  for (const auto& row : rows) {
    EXPECT_EQ(UsesSecondProfile(Signature(row.Sig)), row.Uses) << row.Sig;
    EXPECT_EQ(CanInvert(Signature(row.Sig)), row.Inverts) << row.Sig;
    if (row.Caption) {
      EXPECT_EQ(SecondProfileCaption(Signature(row.Sig)), row.Caption);
    }
  }
}

// Which way each class is sampled, with and without inversion.
TEST_F(ICCToLut, TransformOrderFollowsTheClass) {
  const struct {
    cmsProfileClassSignature Class;
    bool Invert;
    bool FromSecond;  // second colour space -> device
  } rows[] = {{cmsSigDisplayClass, false, true}, {cmsSigDisplayClass, true, false},
              {cmsSigOutputClass, false, true},  {cmsSigOutputClass, true, false},
              {cmsSigInputClass, false, false},  {cmsSigInputClass, true, true}};
  const std::vector<TICCColor> grid = Grid(5);
  for (const auto& row : rows) {
    const fs::path device = SaveRGBProfile(Path("device.icc"), row.Class);
    SCOPED_TRACE(ProfileClassName(row.Class) + (row.Invert ? ", inverted" : ""));
    const TICCColorTransform transform({device, {}, row.Invert});
    EXPECT_EQ(transform.SourceClass(), static_cast<std::uint32_t>(row.Class));
    TLUT lut;
    SampleTransform(transform, true, 5, lut);
    ExpectCube(lut, row.FromSecond ? Direct({"", device}, grid) : Direct({device, ""}, grid));
  }
}

TEST_F(ICCToLut, SecondProfileWhenItIsAFile) {
  const fs::path display = SaveRGBProfile(Path("display.icc"), cmsSigDisplayClass);
  const fs::path second = SaveRGBProfile(Path("second.icc"), cmsSigColorSpaceClass);
  const std::vector<TICCColor> grid = Grid(3);
  TLUT lut;
  SampleTransform(TICCColorTransform({display, second, false}), true, 3, lut);
  ExpectCube(lut, Direct({second, display}, grid));
  // A name that is not a file means sRGB.
  SampleTransform(TICCColorTransform({display, Path("none.icc"), false}), true, 3, lut);
  ExpectCube(lut, Direct({"", display}, grid));
}

TEST_F(ICCToLut, RampForOneDimensionalFormats) {
  const fs::path display = SaveRGBProfile(Path("display.icc"), cmsSigDisplayClass);
  TLUT lut;
  SampleTransform(TICCColorTransform({display, {}, false}), false, 9, lut);
  ASSERT_EQ(lut.LutType, lt1D);
  ASSERT_EQ(lut.Size1D(), 9);
  std::vector<TICCColor> ramp;
  for (int i = 0; i < 9; ++i) ramp.push_back({GridInput(i, 9), GridInput(i, 9), GridInput(i, 9)});
  const std::vector<TICCColor> want = Direct({"", display}, ramp);
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(lut.Curve(i),
              (TLutRGB{want[i].R / 65535.0, want[i].G / 65535.0, want[i].B / 65535.0}));
}

TEST_F(ICCToLut, DeviceLinkAlone) {
  const TLUT cube = MakeCube(9);
  const fs::path link = Path("link.icc");
  TLutProfileOptions o;
  o.Kind = TICCProfileKind::DeviceLink;
  WriteLutProfile(link, cube, o);
  // The second profile plays no part in a device link.
  const fs::path other = SaveRGBProfile(Path("other.icc"), cmsSigDisplayClass);
  TLUT lut;
  SampleTransform(TICCColorTransform({link, other, false}), true, 9, lut);
  for (int r = 0; r < 9; ++r)
    for (int g = 0; g < 9; ++g)
      for (int b = 0; b < 9; ++b) {
        EXPECT_NEAR(lut.Cube(r, g, b).R, LutValueToWord(cube.Cube(r, g, b).R) / 65535.0,
                    1.01 / 65535);
        EXPECT_NEAR(lut.Cube(r, g, b).B, LutValueToWord(cube.Cube(r, g, b).B) / 65535.0,
                    1.01 / 65535);
      }
  EXPECT_THROW(TICCColorTransform({link, {}, true}), EICCError);
}

// Each rendering intent, with and without black point compensation, both
// ways, on a profile of tables whose intents all differ.
TEST_F(ICCToLut, IntentAndBlackPointCompensation) {
  const fs::path tables = SaveTableProfile(Path("tables.icc"), cmsSigDisplayClass);
  const std::vector<TICCColor> grid = Grid(5);
  std::vector<std::vector<TICCColor>> seen;
  for (int intent = 0; intent < 4; ++intent)
    for (bool bpc : {false, true})
      for (bool invert : {false, true}) {
        SCOPED_TRACE("intent " + std::to_string(intent) + (bpc ? ", BPC" : "") +
                     (invert ? ", inverted" : ""));
        TICCTransformRequest request{tables, {}, invert};
        request.Intent = static_cast<TICCIntent>(intent);
        request.BlackPointCompensation = bpc;
        TLUT lut;
        SampleTransform(TICCColorTransform(request), true, 5, lut);
        const std::vector<fs::path> chain =
            invert ? std::vector<fs::path>{tables, ""} : std::vector<fs::path>{"", tables};
        const std::vector<TICCColor> want =
            Direct(chain, grid, static_cast<cmsUInt32Number>(intent),
                   bpc ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0);
        ExpectCube(lut, want);
        if (!invert) seen.push_back(want);
      }
  // The fixture tells them apart: the intents, and compensation for the
  // relative one, whose black is raised.
  EXPECT_NE(seen[0], seen[2]);
  EXPECT_NE(seen[2], seen[3]);
  EXPECT_NE(seen[2], seen[4]);
  EXPECT_NE(seen[2], seen[6]);
}

// 'spac' profiles of RGB are sampled as displays: from the second colour
// space to them, or back when inverted.
TEST_F(ICCToLut, ColourSpaceProfilesAreTakenAsDisplays) {
  const std::vector<TICCColor> grid = Grid(5);
  for (const fs::path& spac : {SaveSRGBSpaceProfile(Path("srgb.icc")),
                               SaveTableProfile(Path("tables.icc"), cmsSigColorSpaceClass)}) {
    SCOPED_TRACE(spac.string());
    for (bool invert : {false, true}) {
      TLUT lut;
      SampleTransform(TICCColorTransform({spac, {}, invert}), true, 5, lut);
      ExpectCube(lut, invert ? Direct({spac, ""}, grid) : Direct({"", spac}, grid));
    }
  }
}

// An abstract profile is a look in the connection space, placed between the
// second colour space and itself; it has no other way round.
TEST_F(ICCToLut, AbstractProfileIsALookBetweenTheSecondAndItself) {
  const fs::path look = SaveAbstractProfile(Path("look.icc"));
  const fs::path second = SaveRGBProfile(Path("second.icc"), cmsSigDisplayClass);
  const std::vector<TICCColor> grid = Grid(5);
  TLUT lut;
  SampleTransform(TICCColorTransform({look, {}, false}), true, 5, lut);
  ExpectCube(lut, Direct({"", look, ""}, grid));
  SampleTransform(TICCColorTransform({look, second, false}), true, 5, lut);
  ExpectCube(lut, Direct({second, look, second}, grid));
  try {
    TICCColorTransform({look, {}, true});
    ADD_FAILURE() << "an abstract profile was inverted";
  } catch (const EICCError& e) {
    EXPECT_STREQ(e.what(), "Inversion is impossible for selected ICC profile.");
  }
}

// A gray profile gives curves: its one channel is sampled as a ramp and put
// on all three, and the preview treats each channel the same way.
TEST_F(ICCToLut, GrayProfilesGiveCurves) {
  const fs::path display = SaveGrayProfile(Path("gray-display.icc"), cmsSigDisplayClass);
  const fs::path input = SaveGrayProfile(Path("gray-input.icc"), cmsSigInputClass);
  constexpr int n = 9;
  std::vector<TICCColor> ramp;
  std::vector<std::uint16_t> grays;
  for (int i = 0; i < n; ++i) {
    ramp.push_back({GridInput(i, n), GridInput(i, n), GridInput(i, n)});
    grays.push_back(GridInput(i, n));
  }
  const auto toGray = [&](const std::vector<fs::path>& chain) {
    const auto g = DirectOf<TICCColor, std::uint16_t>(chain, ramp, TYPE_RGB_16, TYPE_GRAY_16,
                                                      INTENT_PERCEPTUAL, 0);
    std::vector<TICCColor> out;
    for (std::uint16_t v : g) out.push_back({v, v, v});
    return out;
  };
  const auto fromGray = [&](const std::vector<fs::path>& chain) {
    return DirectOf<std::uint16_t, TICCColor>(chain, grays, TYPE_GRAY_16, TYPE_RGB_16,
                                              INTENT_PERCEPTUAL, 0);
  };
  const struct {
    fs::path Profile;
    bool Invert;
    std::vector<TICCColor> Want;
  } rows[] = {{display, false, toGray({"", display})},
              {display, true, fromGray({display, ""})},
              {input, false, fromGray({input, ""})},
              {input, true, toGray({"", input})}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Profile.filename().string() + (row.Invert ? ", inverted" : ""));
    const TICCColorTransform transform({row.Profile, {}, row.Invert});
    EXPECT_TRUE(transform.IsGray());
    TLUT lut;
    SampleTransform(transform, false, n, lut);
    ASSERT_EQ(lut.LutType, lt1D);
    for (int i = 0; i < n; ++i) {
      const TICCColor& w = row.Want[static_cast<std::size_t>(i)];
      EXPECT_EQ(lut.Curve(i), (TLutRGB{w.R / 65535.0, w.G / 65535.0, w.B / 65535.0})) << i;
    }
    // A colour: each channel as the ramp value it is.
    const TICCColor c = transform.Translate({GridInput(1, n), GridInput(4, n), GridInput(8, n)});
    EXPECT_EQ(c, (TICCColor{row.Want[1].R, row.Want[4].G, row.Want[8].B}));
    EXPECT_THROW(SampleTransform(transform, true, 5, lut), EICCError);
  }
}

TEST_F(ICCToLut, NoTransformForOtherClasses) {
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsSetDeviceClass(lab, cmsSigColorSpaceClass);
  const fs::path labSpace = Path("lab-spac.icc");
  ASSERT_TRUE(cmsSaveProfileToFile(lab, labSpace.c_str()));
  cmsCloseProfile(lab);
  const struct {
    fs::path File;
    cmsProfileClassSignature Class;
  } rows[] = {{SaveRGBProfile(Path("named.icc"), cmsSigNamedColorClass), cmsSigNamedColorClass},
              {labSpace, cmsSigColorSpaceClass}};
  for (const auto& row : rows) {
    try {
      TICCColorTransform t({row.File, {}, false});
      ADD_FAILURE() << row.File << " gave a transform";
    } catch (const EICCError& e) {
      EXPECT_NE(std::string(e.what()).find(ProfileClassName(row.Class)), std::string::npos)
          << e.what();
    }
  }
  // A profile LittleCMS cannot invert: the input profile made from a LUT has
  // no PCS-to-device table.
  const fs::path input = Path("input.icc");
  WriteLutProfile(input, MakeCube(3), {});
  EXPECT_NO_THROW(TICCColorTransform({input, {}, false}));
  try {
    TICCColorTransform({input, {}, true});
    ADD_FAILURE() << "the input profile was inverted";
  } catch (const EICCError& e) {
    EXPECT_STREQ(e.what(), "Inversion is impossible for selected ICC profile.");
  }
}

TEST_F(ICCToLut, BitmapPreview) {
  const fs::path display = SaveRGBProfile(Path("display.icc"), cmsSigDisplayClass);
  const TICCColorTransform transform({display, {}, false});
  // Two pixels, blue, green, red each.
  std::vector<std::uint8_t> pixels = {10, 128, 250, 255, 0, 1};
  const std::vector<std::uint8_t> before = pixels;
  TransformBitmap(transform, pixels);
  for (int p = 0; p < 2; ++p) {
    const std::uint8_t* in = &before[3 * p];
    const TICCColor out = transform.Translate({static_cast<std::uint16_t>(in[2] * 256),
                                               static_cast<std::uint16_t>(in[1] * 256),
                                               static_cast<std::uint16_t>(in[0] * 256)});
    EXPECT_EQ(pixels[3 * p + 0], out.B >> 8);
    EXPECT_EQ(pixels[3 * p + 1], out.G >> 8);
    EXPECT_EQ(pixels[3 * p + 2], out.R >> 8);
  }
  EXPECT_NE(pixels, before);
}

TEST_F(ICCToLut, ConversionSavesThroughTheOutputProfile) {
  const TLutRegistry& registry = LutRegistry();
  const TLutOutputProfile& profile = ProfileNamed("Cube 3D Davinci");
  EXPECT_EQ(EffectiveSize(registry, profile, "150"), 99);
  TFixedConfirm yes;
  const fs::path display = SaveRGBProfile(Path("display.icc"), cmsSigDisplayClass);
  const fs::path out = Path("display.cube");
  ConvertICCToLut(registry, {display, {}, false}, out, profile, 17, -1, yes);
  TLUT back;
  registry.LoadLut(out, back, -1);
  EXPECT_EQ(back.LutType, lt3D);
  EXPECT_EQ(back.Size3D(), 17);

  for (int size : {0, 1}) {
    const fs::path none = Path("none" + std::to_string(size) + ".cube");
    EXPECT_THROW(ConvertICCToLut(registry, {display, {}, false}, none, profile, size, -1, yes),
                 ELUTSizeError);
    EXPECT_FALSE(fs::exists(none));
    TLUT lut;
    EXPECT_THROW(SampleTransform(TICCColorTransform({display, {}, false}), false, size, lut),
                 ELUTSizeError);
  }
  const fs::path junk = Write("junk.icc", "not a profile");
  EXPECT_THROW(ConvertICCToLut(registry, {junk, {}, false}, Path("j.cube"), profile, 17, -1, yes),
               EICCError);
  EXPECT_FALSE(fs::exists(Path("j.cube")));
}

}  // namespace
