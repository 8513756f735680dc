// Merging: a chain of LUTs applied in list order to an identity cube and
// saved as one 3D LUT, and the drag-to-swap order of the merge list.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"

inline constexpr const char* MergeSuccessMessage = "The LUT file was successfully created.";

// One file of a merge, with the options it is read at (a listed file's
// depth and CDL correction).
struct TMergeFile {
  std::filesystem::path File;
  TReadOptions Options;
};

// The files, each read with the same options.
std::vector<TMergeFile> MergeFiles(const std::vector<std::filesystem::path>& files,
                                   const TReadOptions& readOptions = {});

// Fill the target cube (its Size3D set) with the identity, then pass every
// node through each file in order, each with its own kind; no clamping
// between files. Every file is read with its format's own depth detection
// unless its read options fix the depth. With the output's format given,
// the cube covers the first file's input domain where that format keeps it;
// where it does not, lostDomain receives that domain (0..1: none lost).
void ComposeLuts(const TLutRegistry& registry, const std::vector<TMergeFile>& files, TLUT& target,
                 const TLUTFormat* output = nullptr, TLutDomain* lostDomain = nullptr);
inline void ComposeLuts(const TLutRegistry& registry, const std::vector<std::filesystem::path>& files,
                        TLUT& target, const TReadOptions& readOptions = {},
                        const TLUTFormat* output = nullptr, TLutDomain* lostDomain = nullptr) {
  ComposeLuts(registry, MergeFiles(files, readOptions), target, output, lostDomain);
}

// The merge's Save: asks before replacing an existing output (Yes/Cancel);
// answers false when the user declined and nothing was written. lostDomain
// as in ComposeLuts.
bool SaveMergedLut(const TLutRegistry& registry, const std::vector<TMergeFile>& files,
                   const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                   int bits, IConfirm& confirm, TLutDomain* lostDomain = nullptr);
inline bool SaveMergedLut(const TLutRegistry& registry, const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& output, const TLutOutputProfile& profile,
                          int size, int bits, IConfirm& confirm, const TReadOptions& readOptions = {},
                          TLutDomain* lostDomain = nullptr) {
  return SaveMergedLut(registry, MergeFiles(files, readOptions), output, profile, size, bits, confirm,
                       lostDomain);
}

// Dropping the entry dragged from position `from` onto position `onto`
// exchanges the two; positions outside the list change nothing.
template <typename T>
void SwapByDrag(std::vector<T>& items, int from, int onto) {
  const int count = static_cast<int>(items.size());
  if (from < 0 || onto < 0 || from >= count || onto >= count) return;
  std::swap(items[static_cast<std::size_t>(from)], items[static_cast<std::size_t>(onto)]);
}

// A path with its extension (after the last ".") replaced by the profile's.
std::string WithProfileExtension(const std::string& path, const TLutOutputProfile& profile);
