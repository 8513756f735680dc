// Whole-file reads and crash-safe whole-file writes. Every output of the
// program goes through WriteFileAtomic: the bytes land in a temporary file
// beside the target, which is renamed over it only when complete.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

// The largest file read whole. Every such file is a LUT, a look or a CDL: a
// 100-point cube written with long numbers stays far below, while a hostile
// file of gigabytes would otherwise be held in memory whole.
constexpr std::size_t MaxWholeFileSize = std::size_t(128) << 20;

// The whole file as bytes. Raises EFileError naming the file, and
// ELUTSizeError when it is larger than MaxWholeFileSize.
std::string ReadWholeFile(const std::filesystem::path& fileName);

// At most maxBytes from the start of the file (shorter files give all).
std::string ReadFilePrefix(const std::filesystem::path& fileName, std::size_t maxBytes);

// Replace (or create) the file with exactly these bytes. On any failure the
// target is untouched, no temporary file is left, and EFileError is raised.
void WriteFileAtomic(const std::filesystem::path& fileName, std::string_view data);

// "Cannot open file "name". reason" for the current errno.
[[noreturn]] void RaiseFileError(const char* action, const std::filesystem::path& fileName,
                                 int err);
