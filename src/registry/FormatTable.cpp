// The registration table: every format in detection order (a format's
// position is its number everywhere), then every output profile in the order
// of the output-format lists. Profiles name their format by class.
#include "registry/FormatTable.h"

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

void RegisterLutFormats(TLutRegistry& r) {
  // Each format with the extensions its files carry (those of formats that
  // read are what the file pickers and folder scans offer).
  r.AddFormat<TCube3DTruelightLutFormat>({"cube", "cub"});
  r.AddFormat<TCube3DLutFormat>({"cube"});
  r.AddFormat<TLustre3DLutFormat>({"lut"});
  r.AddFormat<TPandora3DLutFormat>({"m3d", "mga"});
  r.AddFormat<T3dlLutFormat>({"3dl", "dd3"});
  r.AddFormat<TNucoda3DLutFormat>({"cms"});
  r.AddFormat<TCodex3DLutFormat>({"txt"});
  r.AddFormat<TCube1DLutFormat>({"cube"});
  r.AddFormat<TClipster3DLutFormat>({"txt", "xml"});
  r.AddFormat<TLuther3DLutFormat>({"txt"});
  r.AddFormat<TColorFrontOSD3DLutFormat>({"3dmesh"});
  r.AddFormat<TDavinciDat3DLutFormat>({"dat"});
  r.AddFormat<TQuantel3DLutFormat>({"txt"});
  r.AddFormat<TCodex1DLutFormat>({"dat"});
  r.AddFormat<TLustre1DLutFormat>({"lut"});
  r.AddFormat<TFilmlight1DLutFormat>({"cube"});
  r.AddFormat<TQuantel1DLutFormat>({"txt"});
  r.AddFormat<TStwo1DLutFormat>({"xml"});
  r.AddFormat<TNucoda1DLutWriterFormat>({"cms"});
  r.AddFormat<TColorFrontOSD1DLutFormat>({"1dlut"});
  r.AddFormat<TFusion1DLutFormat>({"alut"});
  r.AddFormat<TBlackmagic1DLutFormat>({"txt"});
  r.AddFormat<TCinetal1DLutFormat>({"txt"});
  r.AddFormat<TShake1DLutFormat>({"txt"});
  r.AddFormat<TDavinciILut1DLutFormat>({"ilut"});
  r.AddFormat<TDavinciOLut1DLutFormat>({"olut"});
  r.AddFormat<TSpeedgradeLook3DLutFormat>({"look"});
  r.AddFormat<TASC_CDL_Format>({"cc", "ccc", "cdl"});
  r.AddFormat<TPFClean3D_Format>({"pfl"});
  r.AddFormat<TFSI_CFE_3DLutFormat>({"cfe"});
  r.AddFormat<TFSI_DIT_3DLutFormat>({"dat"});
  r.AddFormat<TMatchLight3DLutFormat>({"mlc"});
  r.AddFormat<TSpeedgradeLook3DLutV2Format>({"look"});
  r.AddFormat<TPanasonic3DLutFormat>({"vlt"});
  r.AddFormat<THaldImage3DLutFormat>({"bmp", "jpg", "jpeg", "tif", "tiff"});
  r.AddFormat<TOBS3DLutFormat>({"png"});
  // Beyond the original 36: recognised only where none of those is.
  r.AddFormat<THaldClut3DLutFormat>({"png", "tga", "tif", "tiff"});
  r.AddFormat<TStrip3DLutFormat>({"png"});
  // OpenColorIO's own, read through it.
  r.AddFormat<TClfLutFormat>({"clf", "ctf"});
  r.AddFormat<TCinespaceLutFormat>({"csp"});
  r.AddFormat<TSpi1DLutFormat>({"spi1d"});
  r.AddFormat<TSpi3DLutFormat>({"spi3d"});
  r.AddFormat<TSpiMatrixLutFormat>({"spimtx"});
  r.AddFormat<TNukeVfLutFormat>({"vf"});
  r.AddFormat<THoudiniLutFormat>({"lut"});

  // clang-format off: one profile a line, in columns
  //                    name                                                   ext    size  bits
  //                    size? bits?
  r.AddOutputProfile<T3dlLutFormat>("3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", 17, 12,
                                    false, false);
  r.AddOutputProfile<T3dlLutFormat>("3DL Fusion", "3dl", 33, 12, false, false);
  r.AddOutputProfile<TSpeedgradeLook3DLutV2Format>("Adobe Premiere Look", "look", 32, 0, false,
                                                   false);
  r.AddOutputProfile<TSpeedgradeLook3DLutFormat>("Adobe SpeedGrade Look", "look", 8, 0, true,
                                                 false);
  r.AddOutputProfile<TLustre3DLutFormat>("Autodesk Lustre 3D", "lut", 33, 12, false, false);
  r.AddOutputProfile<TClipster3DLutFormat>("Clipster 3D", "txt", 17, 16, false, false);
  r.AddOutputProfile<TCodex3DLutFormat>("Codex 3D", "txt", 17, 12, false, false);
  r.AddOutputProfile<TColorFrontOSD3DLutFormat>("Colorfront OSD 3D", "3dmesh", 17, 0, false, false);
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke",
                                       "cube", 32, 0, false, false);
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Davinci", "cube", 33, 0, true, false, true);
  r.AddOutputProfile<TCube3DTruelightLutFormat>("Cube 3D Truelight", "cube", 32, 0, false, false);
  r.AddOutputProfile<TDavinciDat3DLutFormat>("Davinci DAT 3D", "dat", 33, 0, false, false);
  r.AddOutputProfile<T3dlLutFormat>("Dolby DD3", "dd3", 17, 12, false, false);
  r.AddOutputProfile<TFSI_CFE_3DLutFormat>("FSI CFE (Flanders Scientific) 3D", "cfe", 17, 0, false,
                                           false);
  r.AddOutputProfile<TFSI_DIT_3DLutFormat>("FSI DIT (Flanders Scientific) 3D", "dat", 64, 10, false,
                                           false);
  r.AddOutputProfile<TNucoda3DLutFormat>("Nucoda 3D", "cms", 33, 0, true, false);
  r.AddOutputProfile<TLuther3DLutFormat>("Luther 3D", "txt", 33, 10, false, false);
  r.AddOutputProfile<TOBS3DLutFormat>("Open Broadcaster Software 3D PNG", "png", 64, 8, false,
                                      false);
  r.AddOutputProfile<TPandora3DLutFormat>("Pandora 3D, Apple 3D m3d", "m3d", 17, 16, false, false);
  r.AddOutputProfile<TPanasonic3DLutFormat>("Panasonic 3D vlt, Varicam", "vlt", 17, 0, false,
                                            false);
  r.AddOutputProfile<TPFClean3D_Format>("PixelFarm PFClean 3D", "pfl", 16, 8, false, false);
  r.AddOutputProfile<TQuantel3DLutFormat>("Quantel 3D", "txt", 17, 12, false, false);
  r.AddOutputProfile<TPandora3DLutFormat>("Technicolor 3D mga", "mga", 33, 16, false, false);
  r.AddOutputProfile<TLustre1DLutFormat>("Autodesk Lustre 1D", "lut", 65536, 16, true, true);
  r.AddOutputProfile<TBlackmagic1DLutFormat>("Blackmagic HDLink 1D", "txt", 1024, 0, false, false);
  r.AddOutputProfile<TCinetal1DLutFormat>("Cine-tal 1D", "txt", 1024, 10, false, false);
  r.AddOutputProfile<TCodex1DLutFormat>("Codex 1D, Sony SRW-1, Scratch 1D", "dat", 1024, 10, false,
                                        false);
  r.AddOutputProfile<TColorFrontOSD1DLutFormat>("Colorfront OSD 1D", "1dlut", 1024, 0, false,
                                                false);
  r.AddOutputProfile<TCube1DLutFormat>("Cube 1D", "cube", 4096, 0, false, false);
  r.AddOutputProfile<TFilmlight1DLutFormat>("Filmlight Truelight 1D", "cube", 4096, 0, false,
                                            false);
  r.AddOutputProfile<TFusion1DLutFormat>("Fusion 1D", "alut", 65536, 16, false, false);
  r.AddOutputProfile<TNucoda1DLutWriterFormat>("Nucoda 1D", "cms", 4096, 0, false, false);
  r.AddOutputProfile<TQuantel1DLutFormat>("Quantel 1D", "txt", 1024, 10, false, false);
  r.AddOutputProfile<TStwo1DLutFormat>("S.two 1D", "swto.xml", 1024, 10, false, false);
  r.AddOutputProfile<TShake1DLutFormat>("Shake 1D", "txt", 65536, 16, false, false);
  // Beyond the original 35.
  r.AddOutputProfile<THaldClut3DLutFormat>("Hald CLUT", "png", 64, 8, true, true);
  r.AddOutputProfile<TStrip3DLutFormat>("Strip PNG", "png", 32, 8, true, false);
  r.AddOutputProfile<TClfLutFormat>("Academy/ASC CLF 3D", "clf", 33, 0, true, false);
  r.AddOutputProfile<TCinespaceLutFormat>("Cinespace 3D", "csp", 33, 0, true, false);
  r.AddOutputProfile<TSpi3DLutFormat>("Sony Imageworks spi3d", "spi3d", 33, 0, true, false);
  r.AddOutputProfile<TSpi1DLutFormat>("Sony Imageworks spi1d", "spi1d", 4096, 0, false, false);
  // clang-format on
}

const TLutRegistry& LutRegistry() {
  static const TLutRegistry registry = [] {
    TLutRegistry r;
    RegisterLutFormats(r);
    return r;
  }();
  return registry;
}
