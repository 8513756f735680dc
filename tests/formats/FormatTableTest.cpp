// The registration table, whole: every format at its position with its name
// and kind, then every output profile in order with all its fields.
#include <set>
#include <typeinfo>

#include "TestSupport.h"
#include "formats/CubeFormats.h"
#include "formats/DatPandoraFormats.h"
#include "formats/FsiDitFormat.h"
#include "formats/OcioFormats.h"
#include "formats/OneDFloatFormats.h"
#include "formats/OneDIntegerFormats.h"
#include "formats/Other3DFormats.h"
#include "formats/ThreeDLFormats.h"
#include "image/HaldClutFormats.h"
#include "image/HaldImage.h"
#include "xml/CDLLib.h"
#include "xml/LookFormats.h"
#include "xml/XmlLutFormats.h"
#include "registry/FormatTable.h"
#include "registry/ProfileIds.h"

namespace {

struct TFormatRow {
  const std::type_info& Class;
  const char* Name;
  bool Is3D;
};

TEST(FormatTable, AllFormatsInDetectionOrder) {
  const TFormatRow rows[] = {
      {typeid(TCube3DTruelightLutFormat), "Cube 3D Truelight", true},
      {typeid(TCube3DLutFormat), "Cube 3D", true},
      {typeid(TLustre3DLutFormat), "Autodesk Lustre 3D", true},
      {typeid(TPandora3DLutFormat), "Pandora 3D, Technicolor", true},
      {typeid(T3dlLutFormat), "3DL", true},
      {typeid(TNucoda3DLutFormat), "Nucoda 3D", true},
      {typeid(TCodex3DLutFormat), "Codex 3D", true},
      {typeid(TCube1DLutFormat), "Cube 1D", false},
      {typeid(TClipster3DLutFormat), "Clipster 3D", true},
      {typeid(TLuther3DLutFormat), "Luther 3D", true},
      {typeid(TColorFrontOSD3DLutFormat), "Colorfront OSD 3D", true},
      {typeid(TDavinciDat3DLutFormat), "Davinci DAT 3D", true},
      {typeid(TQuantel3DLutFormat), "Quantel 3D", true},
      {typeid(TCodex1DLutFormat), "Codex 1D, Scratch 1D", false},
      {typeid(TLustre1DLutFormat), "Autodesk Lustre 1D", false},
      {typeid(TFilmlight1DLutFormat), "Filmlight Truelight 1D", false},
      {typeid(TQuantel1DLutFormat), "Quantel 1D", false},
      {typeid(TStwo1DLutFormat), "S.two 1D", false},
      {typeid(TNucoda1DLutWriterFormat), "Nucoda 1D", false},
      {typeid(TColorFrontOSD1DLutFormat), "Colorfront OSD 1D", false},
      {typeid(TFusion1DLutFormat), "Fusion 1D", false},
      {typeid(TBlackmagic1DLutFormat), "Blackmagic HDLink 1D", false},
      {typeid(TCinetal1DLutFormat), "Cine-tal 1D", false},
      {typeid(TShake1DLutFormat), "Shake 1D", false},
      {typeid(TDavinciILut1DLutFormat), "DaVinci Resolve ilut 1D", false},
      {typeid(TDavinciOLut1DLutFormat), "DaVinci Resolve olut 1D", false},
      {typeid(TSpeedgradeLook3DLutFormat), "Adobe SpeedGrade Look 3D", true},
      {typeid(TASC_CDL_Format), "ASC CDL", true},
      {typeid(TPFClean3D_Format), "PixelFarm PFClean 3D", true},
      {typeid(TFSI_CFE_3DLutFormat), "FSI CFE (Flanders Scientific) 3D", true},
      {typeid(TFSI_DIT_3DLutFormat), "FSI DIT (Flanders Scientific) 3D", true},
      {typeid(TMatchLight3DLutFormat), "MatchLight 3D Cube", true},
      {typeid(TSpeedgradeLook3DLutV2Format), "Adobe Primeire Look", true},
      {typeid(TPanasonic3DLutFormat), "Panasonic 3D", true},
      {typeid(THaldImage3DLutFormat), "Hald Image", true},
      {typeid(TOBS3DLutFormat), "OBS 3D", true},
      {typeid(THaldClut3DLutFormat), "Hald CLUT", true},
      {typeid(TStrip3DLutFormat), "Strip 3D", true},
      {typeid(TClfLutFormat), "Academy/ASC Common LUT Format", true},
      {typeid(TCinespaceLutFormat), "Cinespace", true},
      {typeid(TSpi1DLutFormat), "Sony Imageworks 1D", false},
      {typeid(TSpi3DLutFormat), "Sony Imageworks 3D", true},
      {typeid(TSpiMatrixLutFormat), "Sony Imageworks Matrix", true},
      {typeid(TNukeVfLutFormat), "Nuke vf", true},
      {typeid(THoudiniLutFormat), "Houdini", true},
  };
  const TLutRegistry& r = LutRegistry();
  ASSERT_EQ(r.FormatCount(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const TLUTFormat& f = *r.GetLutFormat(i);
    EXPECT_TRUE(typeid(f) == rows[i].Class) << i;
    EXPECT_EQ(f.Name, rows[i].Name) << i;
    EXPECT_EQ(f.Is3D, rows[i].Is3D) << i;
  }
}

// What each format can do, and the two rules the registry relies on: every
// profile writes through a format that can write, and detection only ever
// lands on a format that can read.
TEST(FormatTable, CapabilitiesFitTheProfilesAndDetection) {
  const TLutRegistry& r = LutRegistry();
  const std::set<std::string> readOnly = {"MatchLight 3D Cube", "ASC CDL", "DaVinci Resolve ilut 1D",
                                          "DaVinci Resolve olut 1D", "Hald Image",
                                          "Sony Imageworks Matrix", "Nuke vf", "Houdini"};
  const std::set<std::string> writeOnly = {"Cine-tal 1D", "Shake 1D", "Nucoda 1D",
                                           "Adobe Primeire Look", "OBS 3D"};
  for (int i = 0; i < r.FormatCount(); ++i) {
    const TLUTFormat& f = *r.GetLutFormat(i);
    SCOPED_TRACE(f.Name);
    EXPECT_EQ(f.Can(fcRead), !writeOnly.contains(f.Name));
    EXPECT_EQ(f.Can(fcWrite), !readOnly.contains(f.Name));
    EXPECT_EQ(f.Can(fcDetect), f.Can(fcRead));
  }
  for (const TLutOutputProfile& p : r.LutOutputProfiles()) EXPECT_TRUE(r.ProfileFormat(p).Can(fcWrite)) << p.Name;
  // A format that cannot write refuses loudly rather than writing nothing.
  const TLUTFormat& cdl = *r.GetLutFormat(r.IndexOf(typeid(TASC_CDL_Format)));
  EXPECT_THROW(cdl.Write(fs::temp_directory_path() / "never.cdl", TLUT{}, {}), std::logic_error);
}

TEST(FormatTable, AllOutputProfilesInListOrder) {
  const TLutOutputProfile rows[] = {
      {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", 4, 17, 12, false, false},
      {"3DL Fusion", "3dl", 4, 33, 12, false, false},
      {"Adobe Premiere Look", "look", 32, 32, 0, false, false},
      {"Adobe SpeedGrade Look", "look", 26, 8, 0, true, false},
      {"Autodesk Lustre 3D", "lut", 2, 33, 12, false, false},
      {"Clipster 3D", "txt", 8, 17, 16, false, false},
      {"Codex 3D", "txt", 6, 17, 12, false, false},
      {"Colorfront OSD 3D", "3dmesh", 10, 17, 0, false, false},
      {"Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", 1, 32, 0, false, false},
      {"Cube 3D Davinci", "cube", 1, 33, 0, true, false},
      {"Cube 3D Truelight", "cube", 0, 32, 0, false, false},
      {"Davinci DAT 3D", "dat", 11, 33, 0, false, false},
      {"Dolby DD3", "dd3", 4, 17, 12, false, false},
      {"FSI CFE (Flanders Scientific) 3D", "cfe", 29, 17, 0, false, false},
      {"FSI DIT (Flanders Scientific) 3D", "dat", 30, 64, 10, false, false},
      {"Nucoda 3D", "cms", 5, 33, 0, true, false},
      {"Luther 3D", "txt", 9, 33, 10, false, false},
      {"Open Broadcaster Software 3D PNG", "png", 35, 64, 8, false, false},
      {"Pandora 3D, Apple 3D m3d", "m3d", 3, 17, 16, false, false},
      {"Panasonic 3D vlt, Varicam", "vlt", 33, 17, 0, false, false},
      {"PixelFarm PFClean 3D", "pfl", 28, 16, 8, false, false},
      {"Quantel 3D", "txt", 12, 17, 12, false, false},
      {"Technicolor 3D mga", "mga", 3, 33, 16, false, false},
      {"Autodesk Lustre 1D", "lut", 14, 65536, 16, true, true},
      {"Blackmagic HDLink 1D", "txt", 21, 1024, 0, false, false},
      {"Cine-tal 1D", "txt", 22, 1024, 10, false, false},
      {"Codex 1D, Sony SRW-1, Scratch 1D", "dat", 13, 1024, 10, false, false},
      {"Colorfront OSD 1D", "1dlut", 19, 1024, 0, false, false},
      {"Cube 1D", "cube", 7, 4096, 0, false, false},
      {"Filmlight Truelight 1D", "cube", 15, 4096, 0, false, false},
      {"Fusion 1D", "alut", 20, 65536, 16, false, false},
      {"Nucoda 1D", "cms", 18, 4096, 0, false, false},
      {"Quantel 1D", "txt", 16, 1024, 10, false, false},
      {"S.two 1D", "swto.xml", 17, 1024, 10, false, false},
      {"Shake 1D", "txt", 23, 65536, 16, false, false},
      {"Hald CLUT", "png", 36, 64, 8, true, true},
      {"Strip PNG", "png", 37, 32, 8, true, false},
      {"Academy/ASC CLF 3D", "clf", 38, 33, 0, true, false},
      {"Cinespace 3D", "csp", 39, 33, 0, true, false},
      {"Sony Imageworks spi3d", "spi3d", 41, 33, 0, true, false},
      {"Sony Imageworks spi1d", "spi1d", 40, 4096, 0, false, false},
  };
  const TLutRegistry& r = LutRegistry();
  ASSERT_EQ(r.LutOutputProfiles().size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const TLutOutputProfile &p = r.LutOutputProfiles()[i], &want = rows[i];
    EXPECT_EQ(p.Name, want.Name) << i;
    EXPECT_EQ(p.Extension, want.Extension) << i;
    EXPECT_EQ(p.FormatIndex, want.FormatIndex) << i;
    EXPECT_EQ(p.DefaultSize, want.DefaultSize) << i;
    EXPECT_EQ(p.DefaultBits, want.DefaultBits) << i;
    EXPECT_EQ(p.SizeSelectable, want.SizeSelectable) << i;
    EXPECT_EQ(p.BitsSelectable, want.BitsSelectable) << i;
  }
}

// Ids are what scripts type: every profile has one, and no two profiles
// share one (a table keyed by caption would silently lose a renamed one).
TEST(FormatTable, ProfileIdsAreUniqueAndCoverEveryProfile) {
  const auto& profiles = LutRegistry().LutOutputProfiles();
  std::set<std::string> seen;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const std::string id = ProfileId(profiles[i]);
    EXPECT_FALSE(id.empty()) << profiles[i].Name;
    EXPECT_TRUE(id.empty() || seen.insert(id).second) << id;
  }
  EXPECT_EQ(ProfileId(profiles[9]), "cube-resolve");
  EXPECT_EQ(ProfileId(profiles[0]), "3dl-scratch");
}

}  // namespace
