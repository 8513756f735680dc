// Merging: a chain of LUTs applied in list order, sampled once at the
// output's nodes and saved as one 3D LUT, and the drag-to-swap order of the merge list.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "core/UserPrompt.h"
#include "ops/WriteLoss.h"

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

// The files read (each with its format's own depth detection unless its
// options fix the depth) as one source: a record whose formula passes a
// colour through each file in order, each with its own kind, with no
// clamping between files, over the first file's input domain. It holds no
// tables: the write step samples it once, at the output's own nodes.
TLUT ReadMergeChain(const TLutRegistry& registry, const std::vector<TMergeFile>& files);

// The merge's Save: asks before replacing an existing output (Yes/Cancel);
// answers false when the user declined and nothing was written. The chain
// goes through the write step; losses (when given) receives what the
// output lost.
bool SaveMergedLut(const TLutRegistry& registry, const std::vector<TMergeFile>& files,
                   const std::filesystem::path& output, const TLutOutputProfile& profile, int size,
                   int bits, IConfirm& confirm, std::vector<TWriteLoss>* losses = nullptr);
inline bool SaveMergedLut(const TLutRegistry& registry, const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& output, const TLutOutputProfile& profile,
                          int size, int bits, IConfirm& confirm, const TReadOptions& readOptions = {},
                          std::vector<TWriteLoss>* losses = nullptr) {
  return SaveMergedLut(registry, MergeFiles(files, readOptions), output, profile, size, bits, confirm,
                       losses);
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
