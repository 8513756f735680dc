// The registration table: every format in detection order (a format's
// position is its number everywhere), then every output profile in the order
// of the output-format lists. Profiles name their format by class.
#include "core/LUTFormat.h"
#include "formats/CubeFormats.h"
#include "formats/FsiDitFormat.h"
#include "image/HaldImage.h"

void RegisterLutFormats(TLutRegistry& r) {
  r.AddFormat<TCube3DTruelightLutFormat>();
  r.AddFormat<TCube3DLutFormat>();
  r.AddFormat<TCube1DLutFormat>();
  r.AddFormat<TFSI_CFE_3DLutFormat>();
  r.AddFormat<TFSI_DIT_3DLutFormat>();
  r.AddFormat<TPanasonic3DLutFormat>();
  r.AddFormat<THaldImage3DLutFormat>();
  r.AddFormat<TOBS3DLutFormat>();

  //                    name                                                   ext    size  bits  size? bits?
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", 32, 0, false, false);
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Davinci", "cube", 33, 0, true, false);
  r.AddOutputProfile<TCube3DTruelightLutFormat>("Cube 3D Truelight", "cube", 32, 0, false, false);
  r.AddOutputProfile<TFSI_CFE_3DLutFormat>("FSI CFE (Flanders Scientific) 3D", "cfe", 17, 0, false, false);
  r.AddOutputProfile<TFSI_DIT_3DLutFormat>("FSI DIT (Flanders Scientific) 3D", "dat", 64, 10, false, false);
  r.AddOutputProfile<TOBS3DLutFormat>("Open Broadcaster Software 3D PNG", "png", 64, 8, false, false);
  r.AddOutputProfile<TPanasonic3DLutFormat>("Panasonic 3D vlt, Varicam", "vlt", 17, 0, false, false);
  r.AddOutputProfile<TCube1DLutFormat>("Cube 1D", "cube", 4096, 0, false, false);
}
