// The write step over losses and the operations that write through it: each
// case is a file in the shape one writer of the field makes, written by one
// operation, with the loss it must say (and about how large), or none.
#include "ops/WriteStep.h"

#include <cmath>
#include <functional>
#include <random>

#include "TestSupport.h"
#include "core/StringLib.h"
#include "icc/LutToICC.h"
#include "ops/Conversion.h"
#include "ops/IccConversions.h"
#include "ops/LutMerge.h"
#include "registry/FormatTable.h"
#include "registry/ProfileIds.h"

namespace {

using TFn = std::function<TLutRGB(const TLutRGB&)>;

std::string Triple(const TLutRGB& c) {
  return FormatFixed(6, c.R) + " " + FormatFixed(6, c.G) + " " + FormatFixed(6, c.B) + "\n";
}

// A grading system's cube: a title, the size, red fastest; with a shaper
// (LUT_1D_SIZE and its input range) when one is given.
std::string ResolveCube(int n, const TFn& cube, int m = 0, const TFn& shaper = {},
                        double lo = 0, double hi = 1) {
  std::string text = "TITLE \"grade\"\n";
  if (m > 0) {
    text += "LUT_1D_SIZE " + std::to_string(m) + "\n";
    if (lo != 0 || hi != 1)
      text += "LUT_1D_INPUT_RANGE " + FormatShortest(lo) + " " + FormatShortest(hi) + "\n";
  }
  text += "LUT_3D_SIZE " + std::to_string(n) + "\n";
  for (int i = 0; i < m; ++i) {
    const double x = lo + (hi - lo) * i / (m - 1.0);
    text += Triple(shaper({x, x, x}));
  }
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) text += Triple(cube({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)}));
  return text;
}

// A compositing application's 1D cube: LUT_1D_SIZE with a DOMAIN.
std::string AdobeCurves(int m, const TFn& curve, double lo = 0, double hi = 1) {
  std::string text = "LUT_1D_SIZE " + std::to_string(m) + "\n";
  if (lo != 0 || hi != 1)
    text += "DOMAIN_MIN " + FormatShortest(lo) + " " + FormatShortest(lo) + " " + FormatShortest(lo) +
            "\nDOMAIN_MAX " + FormatShortest(hi) + " " + FormatShortest(hi) + " " + FormatShortest(hi) + "\n";
  for (int i = 0; i < m; ++i) {
    const double x = lo + (hi - lo) * i / (m - 1.0);
    text += Triple(curve({x, x, x}));
  }
  return text;
}

// A finishing system's 3DL: the input shaper line over 10 bits, then
// 12-bit codes with blue fastest.
std::string FlameThreeDL(int n, const TFn& cube) {
  std::string text;
  for (int i = 0; i < n; ++i) text += (i ? " " : "") + std::to_string(i * 1023 / (n - 1));
  text += "\n";
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const TLutRGB c = cube({r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
        const auto code = [](double v) { return std::to_string(CodeValue(12, v)); };
        text += code(c.R) + " " + code(c.G) + " " + code(c.B) + "\n";
      }
  return text;
}

// A film print look: a toe, a shoulder and a hue twist.
TLutRGB FilmLook(const TLutRGB& x) {
  auto s = [](double v) { return v * v * (3 - 2 * v); };
  return {s(0.9 * x.R + 0.1 * x.G), s(0.85 * x.G + 0.15 * x.B), s(0.8 * x.B + 0.2 * x.R)};
}
// A display gamma, straight below 0 (a wide curve's inputs reach -0.1).
TLutRGB Gamma(const TLutRGB& x) {
  auto f = [](double v) { return v > 0 ? std::pow(v, 1 / 2.4) : v; };
  return {f(x.R), f(x.G), f(x.B)};
}
TLutRGB Log2Shaper(const TLutRGB& x) {
  auto f = [](double v) { return (std::log2(std::max(v, -0.04) + 0.05) + 4.4) / 7.5; };
  return {f(x.R), f(x.G), f(x.B)};
}

enum class TOp { Convert, Merge, IccToLut, LutToIcc };

struct TCase {
  const char* Name;  // the writer and what the file holds
  TOp Op;
  std::function<std::string()> Fixture;  // the file's text (not used by IccToLut)
  const char* Profile;                   // by id; for LutToIcc "input"/"display"/"link"
  int Size;
  const char* Loss;  // the start of the loss's sentence; "" for none at all
  double Least, Most;  // the loss's measured size lies in this range
};

class WriteStep : public TempDirTest {
 protected:
  std::vector<TWriteLoss> Run(const TCase& c) {
    const TLutRegistry& registry = LutRegistry();
    // The files go by their writers' extensions: 3DL text starts with its shaper's codes.
    std::string text = c.Fixture ? c.Fixture() : std::string();
    const char* ext = !text.empty() && text[0] >= '0' && text[0] <= '9' ? ".3dl" : ".cube";
    const fs::path in = c.Op == TOp::IccToLut ? Path("link.icc") : Write(c.Name + std::string(ext), text);
    std::vector<TWriteLoss> losses;
    TFixedConfirm yes(TConfirmAnswer::Yes);
    if (c.Op == TOp::LutToIcc) {
      TLutProfileOptions o;
      o.Description = "test";
      o.Kind = std::string(c.Profile) == "input"     ? TICCProfileKind::Input
               : std::string(c.Profile) == "display" ? TICCProfileKind::Display
                                                     : TICCProfileKind::DeviceLink;
      EXPECT_TRUE(ConvertLutToICC(registry, in, Path("out.icc"), o, yes, {}, &losses));
      return losses;
    }
    const TLutOutputProfile& profile = ProfileNamed(ProfileName(c.Profile));
    const fs::path out = Path("out." + profile.Extension);
    switch (c.Op) {
      case TOp::Convert: return ConvertLutFile(registry, in, out, profile, c.Size, -1);
      case TOp::Merge:
        EXPECT_TRUE(SaveMergedLut(registry, {in}, out, profile, c.Size, -1, yes, {}, &losses));
        return losses;
      default: {
        // A device link of a 33-point cube, as a profile maker writes one.
        TLutProfileOptions o;
        o.Description = "link";
        o.Kind = TICCProfileKind::DeviceLink;
        TLUT look = MakeCube(33);
        WriteLutProfile(in, look, o);
        EXPECT_TRUE(ConvertICCToLut(registry, {in, {}, false}, out, profile, c.Size, -1, yes, {},
                                    &losses));
        return losses;
      }
    }
  }
  static std::string ProfileName(const std::string& id) {
    for (const TLutOutputProfile& p : LutRegistry().LutOutputProfiles())
      if (ProfileId(p) == id) return p.Name;
    throw std::runtime_error("no profile " + id);
  }
};

TEST_F(WriteStep, EveryOperationSaysWhatItsOutputLoses) {
  const auto dark = [] { return ResolveCube(17, [](const TLutRGB& x) { return TLutRGB{0.2 * x.R, 0.2 * x.G, 0.2 * x.B}; }); };
  const auto film33 = [] { return FlameThreeDL(33, FilmLook); };
  const auto wide = [] {
    return ResolveCube(17, [](const TLutRGB& x) { return TLutRGB{1.46 * x.R - 0.23, x.G, 1.46 * x.B - 0.23}; });
  };
  const auto shaper16 = [] { return ResolveCube(4, FilmLook, 16, Gamma); };
  const auto logShaper = [] { return ResolveCube(33, FilmLook, 1024, Log2Shaper, -0.05, 8); };
  const auto wideCurve = [] { return AdobeCurves(4096, Gamma, -0.1, 2); };
  const auto gamma = [] { return AdobeCurves(1024, Gamma); };
  const auto hot = [] {
    return AdobeCurves(1024, [](const TLutRGB& x) { return TLutRGB{704 * x.R, x.G, x.B}; });
  };
  const TCase cases[] = {
      {"resolve_dark_grade_into_3dl", TOp::Merge, dark, "3dl-scratch", 17,
       "Its largest code is 819 of 4095, so readers take this 12-bit 3DL file as 10-bit: it reads "
       "back about 4 times too bright.", 0.5, 0.7},
      {"resolve_dark_grade_into_cube", TOp::Merge, dark, "cube-resolve", 17, "", 0, 0},
      {"flame_3dl_merged_smaller", TOp::Merge, film33, "cube-resolve", 17,
       "The table was resampled from 33 to 17 points: up to ", 0.001, 0.2},
      {"flame_3dl_merged_same_size", TOp::Merge, film33, "cube-resolve", 33, "", 0, 0},
      {"device_link_sampled_coarser", TOp::IccToLut, {}, "cube-resolve", 9,
       "The table was resampled from 33 to 9 points: up to ", 0.001, 0.2},
      {"device_link_at_its_size", TOp::IccToLut, {}, "cube-resolve", 33, "", 0, 0},
      {"resolve_wide_values_merged", TOp::Merge, wide, "3dl-scratch", 17,
       "values outside 0..1 (from -0.23 to 1.23) were clipped.", 0.2, 0.24},
      {"resolve_wide_values_profiled", TOp::LutToIcc, wide, "display", 0, "values outside 0..1",
       0.2, 0.24},
      {"resolve_shaper_into_spi3d", TOp::Convert, shaper16, "spi3d", KeepSourceSize,
       "The shaper cannot be kept by this format: up to ", 0.05, 0.3},
      {"resolve_shaper_into_look", TOp::Convert, shaper16, "look-speedgrade", KeepSourceSize,
       "The shaper cannot be kept by this format: up to ", 0.05, 0.3},
      {"resolve_shaper_into_hald", TOp::Convert, shaper16, "hald-clut", KeepSourceSize,
       "The shaper cannot be kept by this format: up to ", 0.05, 0.3},
      {"resolve_shaper_into_clf", TOp::Convert, shaper16, "clf-3d", KeepSourceSize, "", 0, 0},
      {"resolve_shaper_into_cinespace", TOp::Convert, shaper16, "cinespace-3d", KeepSourceSize, "",
       0, 0},
      {"resolve_shaper_profiled", TOp::LutToIcc, shaper16, "link", 0,
       "The shaper cannot be kept by this format: up to ", 0.01, 0.3},
      {"resolve_log_shaper_into_clf", TOp::Convert, logShaper, "clf-3d", KeepSourceSize, "", 0, 0},
      {"resolve_log_shaper_into_cinespace", TOp::Convert, logShaper, "cinespace-3d", 33, "", 0, 0},
      {"adobe_wide_curve_into_clf", TOp::Convert, wideCurve, "clf-3d", 33, "", 0, 0},
      {"adobe_wide_curve_into_cinespace", TOp::Convert, wideCurve, "cinespace-3d", 33, "", 0, 0},
      {"adobe_curve_into_resolve_cube", TOp::Convert, gamma, "cube-resolve", 33,
       "The 1D curves were sampled into a cube of 33 points: up to ", 0.003, 0.2},
      {"adobe_curve_into_3dl", TOp::Convert, gamma, "3dl-scratch", 17,
       "The 1D curves were sampled into a cube of 17 points: up to ", 0.01, 0.2},
      {"adobe_curve_merged", TOp::Merge, gamma, "cube-resolve", 33,
       "The 1D curves were sampled into a cube of 33 points: up to ", 0.003, 0.2},
      {"adobe_hot_curve_into_codex", TOp::Convert, hot, "codex-1d", KeepSourceSize,
       "Codes from 0 to 720192 are written beyond the 10-bit range of the header (0 to 1023): "
       "readers that hold them to it read values up to ", 600, 704},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::vector<TWriteLoss> losses = Run(c);
    if (*c.Loss == '\0') {
      for (const TWriteLoss& loss : losses) ADD_FAILURE() << loss.Text;
      continue;
    }
    ASSERT_EQ(losses.size(), 1u) << (losses.empty() ? "none" : losses.front().Text + " and more");
    EXPECT_NE(losses[0].Text.find(c.Loss), std::string::npos) << losses[0].Text;
    EXPECT_GE(losses[0].Size, c.Least) << losses[0].Text;
    EXPECT_LE(losses[0].Size, c.Most) << losses[0].Text;
  }
}

// What a format keeps of a shaper or a curve comes back within its text's
// rounding, read as the field reads it.
TEST_F(WriteStep, ShapersAndCurvesKeptByTheFormatReadBack) {
  const TLutRegistry& registry = LutRegistry();
  const struct {
    const char* Name;
    std::string Text;
    const char* Profile;
    TLutType Kind;
  } cases[] = {
      {"log_shaper_clf", ResolveCube(33, FilmLook, 1024, Log2Shaper, -0.05, 8), "clf-3d", lt1DThen3D},
      {"log_shaper_csp", ResolveCube(33, FilmLook, 1024, Log2Shaper, -0.05, 8), "cinespace-3d", lt1DThen3D},
      {"wide_curve_clf", AdobeCurves(4096, Gamma, -0.1, 2), "clf-3d", lt1D},
      {"wide_curve_csp", AdobeCurves(4096, Gamma, -0.1, 2), "cinespace-3d", lt1D},
  };
  std::mt19937 random(3);
  std::uniform_real_distribution<double> wide(-0.05, 1.9);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path in = Write(std::string(c.Name) + ".cube", c.Text);
    const TLutOutputProfile& profile = ProfileNamed(WriteStep::ProfileName(c.Profile));
    const fs::path out = Path(std::string(c.Name) + "." + profile.Extension);
    EXPECT_TRUE(ConvertLutFile(registry, in, out, profile, 33, -1).empty());
    TLUT source, back;
    registry.LoadLut(in, source, -1);
    registry.LoadLut(out, back, -1);
    EXPECT_EQ(back.LutType, c.Kind);
    double worst = 0;
    for (int i = 0; i < 2000; ++i) {
      const TLutRGB x{wide(random), wide(random), wide(random)};
      const TLutRGB a = source.ApplyToColor(x), b = back.ApplyToColor(x);
      worst = std::max({worst, std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
    }
    EXPECT_LT(worst, 1e-5);
  }
}

// Values beyond what a writer keeps are counted where it clips them, and
// nowhere else; their range is that of the clipped values.
TEST_F(WriteStep, ClippingIsCountedWhereTheWriterClips) {
  const TLutRegistry& registry = LutRegistry();
  const struct {
    const char* Profile;
    std::size_t Count;
  } cases[] = {
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", 3},
      {"Autodesk Lustre 3D", 3},
      {"Quantel 3D", 3},
      {"Cube 3D Davinci", 0},  // floating-point text keeps every value
      {"Davinci DAT 3D", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    TLUT lut = MakeCube(profile.DefaultSize);
    lut.Cube(0, 0, 0) = {-0.1, 0, 0};
    lut.Cube(1, 1, 1) = {1.2, 63, 1};
    const TShapedLut shaped = ShapeForProfile(registry, std::move(lut), profile, profile.DefaultSize, -1);
    ASSERT_EQ(shaped.Losses.size(), c.Count ? 1u : 0u);
    if (c.Count) {
      EXPECT_EQ(shaped.Losses[0].Text, "3 values outside 0..1 (from -0.1 to 63) were clipped.");
    }
  }
  TLUT curves = MakeCurves(1024);
  curves.Curve(3).R = 1.5;
  curves.Curve(2).G = 1.25;
  const TShapedLut quantel =
      ShapeForProfile(registry, TLUT(curves), ProfileNamed("Quantel 1D"), 1024, -1);
  ASSERT_EQ(quantel.Losses.size(), 1u);
  EXPECT_EQ(quantel.Losses[0].Text, "2 values outside 0..1 (from 1.25 to 1.5) were clipped.");
}

// A table taken over as it is loses nothing and is not measured; a formula
// is sampled at the output's own nodes.
TEST_F(WriteStep, AFormulaIsSampledOnceAtTheOutputsNodes) {
  const TLutRegistry& registry = LutRegistry();
  const fs::path cdl = Write("look.cc",
                             "<ColorCorrection id=\"a\"><SOPNode><Slope>1.2 1 0.9</Slope>"
                             "<Offset>0.01 0 -0.02</Offset><Power>0.8 1.1 1.3</Power></SOPNode>"
                             "<SatNode><Saturation>1.2</Saturation></SatNode></ColorCorrection>\n");
  TLUT source;
  registry.LoadLut(cdl, source, -1);
  const TLutOutputProfile& davinci = ProfileNamed("Cube 3D Davinci");
  const TShapedLut shaped = ShapeForProfile(registry, TLUT(source), davinci, 65, -1);
  EXPECT_TRUE(shaped.Losses.empty());
  ASSERT_EQ(shaped.Lut.Size3D(), 65);
  for (int i = 0; i < 65; i += 7) {
    const TLutRGB x{i / 64.0, (64 - i) / 64.0, (i / 2) / 64.0};
    const TLutRGB want = source.ApplyToColor(x);
    const TLutRGB& got = shaped.Lut.Cube(i, 64 - i, i / 2);
    EXPECT_NEAR(got.R, want.R, 1e-6);
    EXPECT_NEAR(got.G, want.G, 1e-6);
    EXPECT_NEAR(got.B, want.B, 1e-6);
  }
}

}  // namespace
