// Whole-file reads and crash-safe whole-file writes. Every output of the
// program goes through WriteFileAtomic: the bytes land in a temporary file
// beside the target, which is renamed over it only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// The largest file read whole. Every such file is a LUT, a look or a CDL: a
// 100-point cube written with long numbers stays far below, while a hostile
// file of gigabytes would otherwise be held in memory whole.
constexpr std::size_t MaxWholeFileSize = std::size_t(128) << 20;

// An open file descriptor, closed when it goes.
class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  explicit TFileDescriptor(int fd) noexcept : Fd_(fd) {}
  TFileDescriptor(TFileDescriptor&& other) noexcept : Fd_(other.Release()) {}
  TFileDescriptor& operator=(TFileDescriptor&& other) noexcept;
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;
  ~TFileDescriptor() { Reset(); }

  int Get() const noexcept { return Fd_; }
  explicit operator bool() const noexcept { return Fd_ >= 0; }
  int Release() noexcept;
  void Reset(int fd = -1) noexcept;
  // Closes now and returns close()'s errno (0 when it succeeded): the last
  // error of a write may only show here.
  int Close() noexcept;

 private:
  int Fd_ = -1;
};

// Raises EFileError naming the file unless it is an existing regular file.
// The one check of every reader, for libraries that open the file by name
// themselves (ICC profiles).
void RefuseNonRegularFile(const std::filesystem::path& fileName);

// An existing file opened for reading, with its size. Anything but a regular
// file (a folder, a FIFO, a device, a socket) is refused with EFileError
// before it is opened for reading, and opening never waits: a FIFO without a
// writer would otherwise hold the program forever.
TFileDescriptor OpenFileForReading(const std::filesystem::path& fileName,
                                   std::uint64_t* size = nullptr);

// The whole file as bytes. Raises EFileError naming the file, and
// ELUTSizeError when it is larger than MaxWholeFileSize.
std::string ReadWholeFile(const std::filesystem::path& fileName);

// At most maxBytes from the start of the file (shorter files give all).
std::string ReadFilePrefix(const std::filesystem::path& fileName, std::size_t maxBytes);

// Replace (or create) the file with exactly these bytes. On any failure the
// target is untouched, no temporary file is left, and EFileError is raised.
void WriteFileAtomic(const std::filesystem::path& fileName, std::string_view data);

// "Cannot open file "name". reason" for the current errno.
[[noreturn]] void RaiseFileError(const char* action, const std::filesystem::path& fileName, int err);
