#include "core/LutInfo.h"

std::vector<std::string> LutInfoLines(const TLUT& lut) {
  std::vector<std::string> lines;
  switch (lut.LutType) {
    case lt1D:
      lines = {"Type: 1D", "Dimension: " + std::to_string(lut.Size1D())};
      break;
    case lt3D:
      lines = {"Type: 3D", "Dimension: " + std::to_string(lut.Size3D())};
      break;
    case lt1DThen3D:
      lines = {"Type: 1D & 3D",
               "Dimension: " + std::to_string(lut.Size1D()) + " & " + std::to_string(lut.Size3D())};
      break;
    case ltEmpty:
      lines = {"No LUT data."};
      break;
  }
  lines.insert(lines.end(), lut.Comments.begin(), lut.Comments.end());
  return lines;
}
