#include "core/LUTFormat.h"

#include "TestSupport.h"
#include "registry/FormatTable.h"

using Registry = TempDirTest;

TEST_F(Registry, UnknownFileClearsCommentsAndLeavesTheRestAlone) {
  TLUT lut = MakeCube(3);
  lut.FormatIndex = 4;
  lut.Comments = {"old"};
  LutRegistry().LoadLut(Write("plain.txt", "nothing to see here\n"), lut, -1);
  EXPECT_EQ(lut.FormatIndex, -1);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.Size3D(), 3);
  EXPECT_EQ(lut.Cube(2, 2, 2), MakeCube(3).Cube(2, 2, 2));
}

TEST_F(Registry, MissingFileRaisesTheOpenError) {
  TLUT lut;
  EXPECT_THROW(LutRegistry().LoadLut(Path("gone.cube"), lut, -1), EFileError);
}

TEST_F(Registry, GetLutFormatOutsideTheListIsNone) {
  const TLutRegistry& r = LutRegistry();
  EXPECT_EQ(r.GetLutFormat(-1), nullptr);
  EXPECT_EQ(r.GetLutFormat(static_cast<int>(r.FormatCount())), nullptr);
  EXPECT_NE(r.GetLutFormat(0), nullptr);
}

TEST_F(Registry, SaveLutPassesTheProfileDefaultBitsForDefault) {
  // A format that only records the bits it was asked to write with.
  static int written = 0;
  struct TSpyFormat : TLUTFormat {
    TSpyFormat() : TLUTFormat("Spy", true, fcWrite) {}
    void Write(const fs::path&, const TLUT&, const TWriteContext& context) const override {
      written = context.Bits;
    }
  };
  TLutRegistry r;
  r.AddFormat<TSpyFormat>();
  r.AddOutputProfile<TSpyFormat>("spy", "spy", 17, 12, false, false);
  r.SaveLut(Path("x.spy"), TLUT{}, r.GetOutputProfile(0), -1);
  EXPECT_EQ(written, 12);
  r.SaveLut(Path("x.spy"), TLUT{}, r.GetOutputProfile(0), 10);
  EXPECT_EQ(written, 10);
}

TEST_F(Registry, ProfilesPointAtTheirFormatByClass) {
  const TLutRegistry& r = LutRegistry();
  for (const TLutOutputProfile& p : r.LutOutputProfiles()) {
    ASSERT_NE(r.GetLutFormat(p.FormatIndex), nullptr) << p.Name;
    EXPECT_FALSE(p.Extension.empty()) << p.Name;
    EXPECT_GE(p.DefaultSize, 2) << p.Name;
  }
}
