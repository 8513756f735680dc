// What is shown about an ICC profile: the profiles this program writes, in
// both versions, and profiles of tables and of a matrix made by LittleCMS.
#include "icc/ICCProfileInfo.h"

#include "TestSupport.h"
#include "core/Errors.h"
#include "icc/ICCLib.h"
#include "icc/ICCProfilesForTests.h"
#include "icc/LutToICC.h"

namespace {

class ICCProfileInfo : public TempDirTest {
 protected:
  fs::path WriteOurs(const std::string& name, TICCProfileKind kind, TICCVersion version) {
    TLutProfileOptions o;
    o.Kind = kind;
    o.Version = version;
    o.Description = "caf\xC3\xA9";
    WriteLutProfile(Path(name), MakeCube(3), o);
    return Path(name);
  }
};

TEST_F(ICCProfileInfo, LinesForEachKindOfProfile) {
  const struct {
    fs::path File;
    std::vector<std::string> Lines;
  } rows[] = {
      {WriteOurs("link.icc", TICCProfileKind::DeviceLink, TICCVersion::V4),
       {"Class: Device Link Profile", "Color space: RGB", "PCS: RGB", "Version: 4.0",
        "Description: caf\xC3\xA9", "Copyright: Copyright (c)", "LUT-based tags: A2B0 (lut16)"}},
      {WriteOurs("display.icc", TICCProfileKind::Display, TICCVersion::V2),
       {"Class: Display Device Profile", "Color space: RGB", "PCS: XYZ", "Version: 2.4",
        "Description: caf?", "Copyright: Copyright (c)",
        "LUT-based tags: A2B0 (lut16), B2A0 (lut16)", "Calibration curves (vcgt): none"}},
      {SaveCalibratedDisplayProfile(Path("calibrated.icc")),
       {"Class: Display Device Profile", "Color space: RGB", "PCS: XYZ", "Version: 4.4",
        "Description: sRGB built-in", "Copyright: No copyright, use freely",
        "LUT-based tags: none", "Calibration curves (vcgt): yes"}},
      {SaveTableProfile(Path("tables.icc"), cmsSigColorSpaceClass),
       {"Class: Color Space Conversion Profile", "Color space: RGB", "PCS: Lab", "Version: 4.3",
        "Description: Tables for each intent", "Copyright: Tables for each intent",
        "LUT-based tags: A2B0 (lutAToB), A2B1 (lutAToB), A2B2 (lutAToB), B2A0 (lutBToA), "
        "B2A1 (lutBToA), B2A2 (lutBToA)"}},
      {SaveGrayProfile(Path("gray.icc"), cmsSigDisplayClass),
       {"Class: Display Device Profile", "Color space: GRAY", "PCS: XYZ", "Version: 4.4",
        "Description: gray built-in", "Copyright: No copyright, use freely",
        "LUT-based tags: none", "Calibration curves (vcgt): none"}},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(IsICCProfileFile(row.File)) << row.File;
    EXPECT_EQ(ICCProfileInfoLines(ReadICCProfileInfo(row.File)), row.Lines) << row.File;
  }
}

TEST_F(ICCProfileInfo, OnlyProfilesAreTakenForProfiles) {
  std::string almost(128, '\0');
  almost.replace(36, 4, "acsp");
  const fs::path truncated = Write("truncated.icc", almost.substr(0, 100));
  const fs::path broken = Write("broken.icc", almost);
  EXPECT_FALSE(IsICCProfileFile(Write("grade.cube", "LUT_3D_SIZE 2\n")));
  EXPECT_FALSE(IsICCProfileFile(Path("absent.icc")));
  EXPECT_FALSE(IsICCProfileFile(truncated));
  // A header that only looks right is taken for a profile, and refused.
  EXPECT_TRUE(IsICCProfileFile(broken));
  EXPECT_THROW(ReadICCProfileInfo(broken), EICCError);
}

}  // namespace
