// The registration table: every format in detection order (a format's
// position is its number everywhere), then every output profile in the order
// of the output-format lists. Profiles name their format by class.
#include "core/LUTFormat.h"
#include "formats/CubeFormats.h"
#include "formats/FsiDitFormat.h"
#include "xml/CDLLib.h"
#include "xml/LookFormats.h"
#include "xml/XmlLutFormats.h"

void RegisterLutFormats(TLutRegistry& r) {
  r.AddFormat<TCube3DTruelightLutFormat>();
  r.AddFormat<TCube3DLutFormat>();
  r.AddFormat<TCube1DLutFormat>();
  r.AddFormat<TClipster3DLutFormat>();
  r.AddFormat<TStwo1DLutFormat>();
  r.AddFormat<TSpeedgradeLook3DLutFormat>();
  r.AddFormat<TASC_CDL_Format>();
  r.AddFormat<TPFClean3D_Format>();
  r.AddFormat<TFSI_CFE_3DLutFormat>();
  r.AddFormat<TFSI_DIT_3DLutFormat>();
  r.AddFormat<TSpeedgradeLook3DLutV2Format>();
  r.AddFormat<TPanasonic3DLutFormat>();

  //                    name                                                   ext    size  bits  size? bits?
  r.AddOutputProfile<TSpeedgradeLook3DLutV2Format>("Adobe Premiere Look", "look", 32, 0, false, false);
  r.AddOutputProfile<TSpeedgradeLook3DLutFormat>("Adobe SpeedGrade Look", "look", 8, 0, true, false);
  r.AddOutputProfile<TClipster3DLutFormat>("Clipster 3D", "txt", 17, 16, false, false);
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", 32, 0, false, false);
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Davinci", "cube", 33, 0, true, false);
  r.AddOutputProfile<TCube3DTruelightLutFormat>("Cube 3D Truelight", "cube", 32, 0, false, false);
  r.AddOutputProfile<TFSI_CFE_3DLutFormat>("FSI CFE (Flanders Scientific) 3D", "cfe", 17, 0, false, false);
  r.AddOutputProfile<TFSI_DIT_3DLutFormat>("FSI DIT (Flanders Scientific) 3D", "dat", 64, 10, false, false);
  r.AddOutputProfile<TPanasonic3DLutFormat>("Panasonic 3D vlt, Varicam", "vlt", 17, 0, false, false);
  r.AddOutputProfile<TPFClean3D_Format>("PixelFarm PFClean 3D", "pfl", 16, 8, false, false);
  r.AddOutputProfile<TCube1DLutFormat>("Cube 1D", "cube", 4096, 0, false, false);
  r.AddOutputProfile<TStwo1DLutFormat>("S.two 1D", "swto.xml", 1024, 10, false, false);
}
