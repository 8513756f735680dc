// The description of a LUT shown beside its preview and by `tovilut info`:
// its kind and size, then its comment lines.
#pragma once

#include <string>
#include <vector>

#include "core/LUT.h"

std::vector<std::string> LutInfoLines(const TLUT& lut);
