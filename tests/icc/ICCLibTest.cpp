// The colour-management layer: class names, profiles that cannot be opened,
// and transforms that cannot be sampled.
#include "icc/ICCLib.h"

#include "TestSupport.h"
#include "icc/ICCProfilesForTests.h"
#include "icc/ICCWriteLib.h"

namespace {

TEST(ICCLib, ClassNames) {
  const struct {
    const char* Sig;
    const char* Name;
  } rows[] = {{"scnr", "Input Device Profile"},
              {"mntr", "Display Device Profile"},
              {"prtr", "Output Device Profile"},
              {"link", "Device Link Profile"},
              {"spac", "Color Space Conversion Profile"},
              {"abst", "Abstract Profile"},
              {"nmcl", "Named Color Profile"},
              {"xxxx", "Unknown"}};
  for (const auto& row : rows) EXPECT_EQ(ProfileClassName(Signature(row.Sig)), row.Name);
}

class ICCLibFiles : public TempDirTest {};

TEST_F(ICCLibFiles, OpeningFailuresNameTheFileAndTheReason) {
  TICCService service;
  const struct {
    fs::path File;
    const char* Reason;
  } rows[] = {{Path("absent.icc"), "not found"},
              {Write("short.icc", "ICC?"), "Read error"},
              {Write("text.icc", std::string(200, 'x')), ""}};
  for (const auto& row : rows) {
    try {
      service.OpenProfile(row.File);
      ADD_FAILURE() << row.File << " opened";
    } catch (const EICCError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find(row.File.string()), std::string::npos) << message;
      EXPECT_NE(message.find(row.Reason), std::string::npos) << message;
    }
  }
}

TEST_F(ICCLibFiles, OnlyThreeChannelTransforms) {
  TICCService service;
  const auto link = service.OpenProfile(SaveCMYKLink(Path("ink.icc")));
  try {
    service.CreateTransform({link.get()});
    ADD_FAILURE() << "a CMYK link gave a transform";
  } catch (const EICCError& e) {
    EXPECT_NE(std::string(e.what()).find("'CMYK' does not have three channels"), std::string::npos)
        << e.what();
  }
  const auto srgb = service.StandardSRGBProfile();
  EXPECT_EQ(srgb->ProfileClass(), Signature("mntr"));
  const auto display = service.OpenProfile(SaveRGBProfile(Path("d.icc"), cmsSigDisplayClass));
  const auto t = service.CreateTransform({srgb.get(), display.get()});
  EXPECT_EQ(t->TranslateColor({0, 0, 0}), (TICCColor{0, 0, 0}));
  const TICCColor white = t->TranslateColor({65535, 65535, 65535});
  EXPECT_GE(std::min({white.R, white.G, white.B}), 65534);
}

}  // namespace
