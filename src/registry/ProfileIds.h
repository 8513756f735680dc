// Short stable ids of the output profiles (`cube-resolve`, `3dl-scratch`):
// names to type in scripts, kept when a profile's caption changes and
// independent of its number. Profiles added later may have none yet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/LUTFormat.h"

// The profile's id; empty when it has none.
std::string ProfileId(const TLutOutputProfile& profile);

// The names people use for a profile, after the program or system that
// reads it (`resolve`, `flame`, `nuke`): each names one profile.
struct TProfileAlias {
  std::string_view Name;
  std::string_view Id;
};
const std::vector<TProfileAlias>& ProfileAliases();
// The aliases of one profile, in the table's order.
std::vector<std::string> ProfileAliasesOf(const TLutOutputProfile& profile);
