#include "ops/LutMerge.h"

#include "TestSupport.h"
#include "registry/FormatTable.h"

namespace {

struct TAnswer : IConfirm {
  TConfirmAnswer Answer = TConfirmAnswer::Yes;
  int Asked = 0;
  TConfirmAnswer Confirm(const std::string&, bool withNo) override {
    EXPECT_FALSE(withNo);  // the merge offers Yes and Cancel only
    ++Asked;
    return Answer;
  }
};

class Merge : public TempDirTest {
 protected:
  const TLutOutputProfile& Profile(const std::string& name) {
    for (const auto& p : LutRegistry().LutOutputProfiles())
      if (p.Name == name) return p;
    throw std::runtime_error("no profile " + name);
  }
  fs::path Save(const std::string& name, const TLUT& lut, const std::string& profile) {
    LutRegistry().SaveLut(Path(name), lut, Profile(profile), -1);
    return Path(name);
  }
  static TLUT Composed(const std::vector<fs::path>& files, int n) {
    return TLUT::Resampled(ReadMergeChain(LutRegistry(), MergeFiles(files)), lt3D, n);
  }
};

TEST_F(Merge, OneFileReproducesItsCube) {
  const TLUT cube = MakeCube(17);
  const TLUT merged = Composed({Save("a.cube", cube, "Cube 3D Davinci")}, 17);
  for (int i = 0; i < 17; ++i) {
    const TLutRGB &x = merged.Cube(i, 16 - i, i / 2), &y = cube.Cube(i, 16 - i, i / 2);
    EXPECT_NEAR(x.R, y.R, 5e-7);
    EXPECT_NEAR(x.G, y.G, 5e-7);
    EXPECT_NEAR(x.B, y.B, 5e-7);
  }
  EXPECT_TRUE(merged.Comments.empty());
}

TEST_F(Merge, TheTopFileIsAppliedFirstWithoutClampingBetween) {
  TLUT curves;  // doubles every channel: pushes values past 1
  curves.LutType = lt1D;
  curves.SetSize1D(2);
  curves.Curve(1) = {2, 2, 2};
  TLUT halve;  // a cube that halves; inputs above 1 clamp at its lookup
  halve.LutType = lt3D;
  halve.SetSize3D(2);
  halve.FillIdentity3D();
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) halve.Cube(r, g, b) = {r * 0.5, g * 0.5, b * 0.5};
  const fs::path c = Save("curves.cube", curves, "Cube 1D");
  const fs::path h = Save("halve.cube", halve, "Cube 3D Davinci");
  const TLUT curvesThenCube = Composed({c, h}, 5);
  const TLUT cubeThenCurves = Composed({h, c}, 5);
  // 0.25 -> 0.5 -> 0.25, and 0.75 -> 1.5 -> clamped 1 -> 0.5
  EXPECT_NEAR(curvesThenCube.Cube(1, 3, 0).R, 0.25, 1e-12);
  EXPECT_NEAR(curvesThenCube.Cube(1, 3, 0).G, 0.5, 1e-12);
  // 0.75 -> 0.375 -> 0.75
  EXPECT_NEAR(cubeThenCurves.Cube(1, 3, 0).G, 0.75, 1e-12);
}

// The merged cube covers the first LUT's domain where the output holds one.
TEST_F(Merge, TheMergedCubeCoversTheFirstDomain) {
  const fs::path wide = Write("wide.cube", "LUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE -1 3\n"
                                           "-1 -1 -1\n3 -1 -1\n-1 3 -1\n3 3 -1\n-1 -1 3\n3 -1 3\n-1 3 3\n3 3 3\n");
  TAnswer confirm;
  ASSERT_TRUE(SaveMergedLut(LutRegistry(), {wide}, Path("m.cube"), Profile("Cube 3D Davinci"), 5, -1, confirm));
  TLUT merged;
  LutRegistry().LoadLut(Path("m.cube"), merged, -1);
  EXPECT_EQ(merged.Domain3D, (TLutDomain{{-1, -1, -1}, {3, 3, 3}}));
  EXPECT_NEAR(merged.ApplyToColor({2.5, -0.5, 1}).R, 2.5, 1e-6);
  ASSERT_TRUE(SaveMergedLut(LutRegistry(), {wide}, Path("m.txt"), Profile("Quantel 3D"), 5, -1, confirm));
  LutRegistry().LoadLut(Path("m.txt"), merged, -1);
  EXPECT_TRUE(merged.Domain3D.IsUnit());
}

TEST_F(Merge, SaveAsksBeforeReplacingAndCapsTheSize) {
  const fs::path a = Save("a.cube", MakeCube(9), "Cube 3D Davinci");
  const fs::path out = Write("merged.cube", "keep\n");
  TAnswer confirm;
  confirm.Answer = TConfirmAnswer::Cancel;
  EXPECT_FALSE(SaveMergedLut(LutRegistry(), {a}, out, Profile("Cube 3D Davinci"), 33, -1, confirm));
  EXPECT_EQ(ReadText(out), "keep\n");
  confirm.Answer = TConfirmAnswer::Yes;
  EXPECT_TRUE(SaveMergedLut(LutRegistry(), {a}, out, Profile("Cube 3D Davinci"), 33, -1, confirm));
  EXPECT_NE(ReadText(out).find("LUT_3D_SIZE 33"), std::string::npos);
  EXPECT_THROW(SaveMergedLut(LutRegistry(), {a}, Path("x.cube"), Profile("Cube 3D Davinci"), 1, -1,
                             confirm),
               ELUTSizeError);
  try {
    SaveMergedLut(LutRegistry(), {a, Write("notes.txt", "x\n")}, Path("y.cube"),
                  Profile("Cube 3D Davinci"), 17, -1, confirm);
    FAIL();
  } catch (const EInFileError& e) {
    EXPECT_EQ(e.File, Path("notes.txt").string());
    EXPECT_STREQ(e.what(), "Unknown LUT format.");
  }
  EXPECT_FALSE(fs::exists(Path("y.cube")));
}

TEST(MergeOrder, DragSwapsTwoEntries) {
  std::vector<fs::path> files = {"A", "B", "C"};
  SwapByDrag(files, 0, 2);
  EXPECT_EQ(files, (std::vector<fs::path>{"C", "B", "A"}));
  SwapByDrag(files, 1, 3);  // not on an entry
  SwapByDrag(files, -1, 0);
  EXPECT_EQ(files, (std::vector<fs::path>{"C", "B", "A"}));
  TLutOutputProfile p;
  p.Extension = "3dl";
  EXPECT_EQ(WithProfileExtension("/x.y/out.cube", p), "/x.y/out.3dl");
  EXPECT_EQ(WithProfileExtension("/x.y/out", p), "/x.y/out.3dl");
}

}  // namespace
