// Merging: a chain of LUTs applied in list order to an identity cube and
// saved as one 3D LUT, and the drag-to-swap order of the merge list.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"

inline constexpr const char* MergeSuccessMessage = "The LUT file was successfully created.";

// Fill the target cube (its Size3D set) with the identity, then pass every
// node through each file in order, each with its own kind; no clamping
// between files. Every file is read with its format's own depth detection
// unless the read options fix the depth. With the output's format given,
// the cube covers the first file's input domain where that format keeps it;
// where it does not, lostDomain receives that domain (0..1: none lost).
void ComposeLuts(const TLutRegistry& registry, const std::vector<std::filesystem::path>& files,
                 TLUT& target, const TReadOptions& readOptions = {},
                 const TLUTFormat* output = nullptr, TLutDomain* lostDomain = nullptr);

// The merge's Save: asks before replacing an existing output (Yes/Cancel);
// answers false when the user declined and nothing was written. lostDomain
// as in ComposeLuts.
bool SaveMergedLut(const TLutRegistry& registry, const std::vector<std::filesystem::path>& files,
                   const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                   int bits, IConfirm& confirm, const TReadOptions& readOptions = {},
                   TLutDomain* lostDomain = nullptr);

// Dropping the entry dragged from position `from` onto position `onto`
// exchanges the two; positions outside the list change nothing.
void SwapByDrag(std::vector<std::filesystem::path>& files, int from, int onto);

// A path with its extension (after the last ".") replaced by the profile's.
std::string WithProfileExtension(const std::string& path, const TLutOutputProfile& profile);
