// The description of a LUT shown beside its preview and by `tovilut info`:
// its kind and size, its input domain when not 0..1, then its comment lines.
#pragma once

#include <string>
#include <vector>

#include "core/LUT.h"

std::vector<std::string> LutInfoLines(const TLUT& lut);

// "-1 .. 3", or per channel when they differ: "R -1 .. 3, G 0 .. 1, B 0 .. 1".
std::string DomainText(const TLutDomain& domain);
