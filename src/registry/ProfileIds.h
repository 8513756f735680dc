// Short stable ids of the output profiles (`cube-resolve`, `3dl-scratch`):
// names to type in scripts, kept when a profile's caption changes and
// independent of its number. Profiles added later may have none yet.
#pragma once

#include <string>

#include "core/LUTFormat.h"

// The profile's id; empty when it has none.
std::string ProfileId(const TLutOutputProfile& profile);
