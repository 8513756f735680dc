// The registration table: every format in detection order (a format's
// position is its number everywhere), then every output profile in the order
// of the output-format lists. Profiles name their format by class.
#include "core/LUTFormat.h"
#include "formats/CubeFormats.h"
#include "formats/FsiDitFormat.h"
#include "formats/OneDFloatFormats.h"
#include "formats/OneDIntegerFormats.h"

void RegisterLutFormats(TLutRegistry& r) {
  r.AddFormat<TCube3DTruelightLutFormat>();
  r.AddFormat<TCube3DLutFormat>();
  r.AddFormat<TCube1DLutFormat>();
  r.AddFormat<TCodex1DLutFormat>();
  r.AddFormat<TLustre1DLutFormat>();
  r.AddFormat<TFilmlight1DLutFormat>();
  r.AddFormat<TQuantel1DLutFormat>();
  r.AddFormat<TNucoda1DLutWriterFormat>();
  r.AddFormat<TColorFrontOSD1DLutFormat>();
  r.AddFormat<TFusion1DLutFormat>();
  r.AddFormat<TBlackmagic1DLutFormat>();
  r.AddFormat<TCinetal1DLutFormat>();
  r.AddFormat<TShake1DLutFormat>();
  r.AddFormat<TDavinciILut1DLutFormat>();
  r.AddFormat<TDavinciOLut1DLutFormat>();
  r.AddFormat<TFSI_CFE_3DLutFormat>();
  r.AddFormat<TFSI_DIT_3DLutFormat>();
  r.AddFormat<TPanasonic3DLutFormat>();

  //                    name                                                   ext    size  bits  size? bits?
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", 32, 0, false, false);
  r.AddOutputProfile<TCube3DLutFormat>("Cube 3D Davinci", "cube", 33, 0, true, false);
  r.AddOutputProfile<TCube3DTruelightLutFormat>("Cube 3D Truelight", "cube", 32, 0, false, false);
  r.AddOutputProfile<TFSI_CFE_3DLutFormat>("FSI CFE (Flanders Scientific) 3D", "cfe", 17, 0, false, false);
  r.AddOutputProfile<TFSI_DIT_3DLutFormat>("FSI DIT (Flanders Scientific) 3D", "dat", 64, 10, false, false);
  r.AddOutputProfile<TPanasonic3DLutFormat>("Panasonic 3D vlt, Varicam", "vlt", 17, 0, false, false);
  r.AddOutputProfile<TLustre1DLutFormat>("Autodesk Lustre 1D", "lut", 65536, 16, true, true);
  r.AddOutputProfile<TBlackmagic1DLutFormat>("Blackmagic HDLink 1D", "txt", 1024, 0, false, false);
  r.AddOutputProfile<TCinetal1DLutFormat>("Cine-tal 1D", "txt", 1024, 10, false, false);
  r.AddOutputProfile<TCodex1DLutFormat>("Codex 1D, Sony SRW-1, Scratch 1D", "dat", 1024, 10, false, false);
  r.AddOutputProfile<TColorFrontOSD1DLutFormat>("Colorfront OSD 1D", "1dlut", 1024, 0, false, false);
  r.AddOutputProfile<TCube1DLutFormat>("Cube 1D", "cube", 4096, 0, false, false);
  r.AddOutputProfile<TFilmlight1DLutFormat>("Filmlight Truelight 1D", "cube", 4096, 0, false, false);
  r.AddOutputProfile<TFusion1DLutFormat>("Fusion 1D", "alut", 65536, 16, false, false);
  r.AddOutputProfile<TNucoda1DLutWriterFormat>("Nucoda 1D", "cms", 4096, 0, false, false);
  r.AddOutputProfile<TQuantel1DLutFormat>("Quantel 1D", "txt", 1024, 10, false, false);
  r.AddOutputProfile<TShake1DLutFormat>("Shake 1D", "txt", 65536, 16, false, false);
}
