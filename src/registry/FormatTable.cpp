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
  r.AddFormat<TCube3DTruelightLutFormat>();
  r.AddFormat<TCube3DLutFormat>();
  r.AddFormat<TLustre3DLutFormat>();
  r.AddFormat<TPandora3DLutFormat>();
  r.AddFormat<T3dlLutFormat>();
  r.AddFormat<TNucoda3DLutFormat>();
  r.AddFormat<TCodex3DLutFormat>();
  r.AddFormat<TCube1DLutFormat>();
  r.AddFormat<TClipster3DLutFormat>();
  r.AddFormat<TLuther3DLutFormat>();
  r.AddFormat<TColorFrontOSD3DLutFormat>();
  r.AddFormat<TDavinciDat3DLutFormat>();
  r.AddFormat<TQuantel3DLutFormat>();
  r.AddFormat<TCodex1DLutFormat>();
  r.AddFormat<TLustre1DLutFormat>();
  r.AddFormat<TFilmlight1DLutFormat>();
  r.AddFormat<TQuantel1DLutFormat>();
  r.AddFormat<TStwo1DLutFormat>();
  r.AddFormat<TNucoda1DLutWriterFormat>();
  r.AddFormat<TColorFrontOSD1DLutFormat>();
  r.AddFormat<TFusion1DLutFormat>();
  r.AddFormat<TBlackmagic1DLutFormat>();
  r.AddFormat<TCinetal1DLutFormat>();
  r.AddFormat<TShake1DLutFormat>();
  r.AddFormat<TDavinciILut1DLutFormat>();
  r.AddFormat<TDavinciOLut1DLutFormat>();
  r.AddFormat<TSpeedgradeLook3DLutFormat>();
  r.AddFormat<TASC_CDL_Format>();
  r.AddFormat<TPFClean3D_Format>();
  r.AddFormat<TFSI_CFE_3DLutFormat>();
  r.AddFormat<TFSI_DIT_3DLutFormat>();
  r.AddFormat<TMatchLight3DLutFormat>();
  r.AddFormat<TSpeedgradeLook3DLutV2Format>();
  r.AddFormat<TPanasonic3DLutFormat>();
  r.AddFormat<THaldImage3DLutFormat>();
  r.AddFormat<TOBS3DLutFormat>();
  // Beyond the original 36: recognised only where none of those is.
  r.AddFormat<THaldClut3DLutFormat>();
  r.AddFormat<TStrip3DLutFormat>();
  // OpenColorIO's own, read through it.
  r.AddFormat<TClfLutFormat>();
  r.AddFormat<TCinespaceLutFormat>();
  r.AddFormat<TSpi1DLutFormat>();
  r.AddFormat<TSpi3DLutFormat>();
  r.AddFormat<TSpiMatrixLutFormat>();
  r.AddFormat<TNukeVfLutFormat>();
  r.AddFormat<THoudiniLutFormat>();

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
