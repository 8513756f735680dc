#include "core/LutInfo.h"

#include "core/StringLib.h"

std::string DomainText(const TLutDomain& domain) {
  auto range = [](double min, double max) {
    return FormatShortest(min) + " .. " + FormatShortest(max);
  };
  if (domain.IsUniform()) return range(domain.Min.R, domain.Max.R);
  return "R " + range(domain.Min.R, domain.Max.R) + ", G " + range(domain.Min.G, domain.Max.G) +
         ", B " + range(domain.Min.B, domain.Max.B);
}

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
  // Only a domain other than 0..1 is said, so every other LUT is described as before.
  if (lut.LutType != ltEmpty && !lut.InputDomain().IsUnit())
    lines.push_back("Input domain: " + DomainText(lut.InputDomain()));
  if (lut.LutType == lt1DThen3D && !lut.Domain3D.IsUnit())
    lines.push_back("Cube input domain: " + DomainText(lut.Domain3D));
  lines.insert(lines.end(), lut.Comments.begin(), lut.Comments.end());
  return lines;
}
