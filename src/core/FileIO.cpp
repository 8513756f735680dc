// POSIX file access for the library: one read or one write per file.
#include "core/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/Errors.h"

namespace fs = std::filesystem;

void RaiseFileError(const char* action, const fs::path& fileName, int err) {
  throw EFileError(std::string("Cannot ") + action + " file \"" + fileName.string() + "\". " +
                   std::strerror(err));
}

TFileDescriptor& TFileDescriptor::operator=(TFileDescriptor&& other) noexcept {
  if (this != &other) Reset(other.Release());
  return *this;
}

int TFileDescriptor::Release() noexcept {
  const int fd = Fd_;
  Fd_ = -1;
  return fd;
}

void TFileDescriptor::Reset(int fd) noexcept {
  if (Fd_ >= 0) ::close(Fd_);
  Fd_ = fd;
}

int TFileDescriptor::Close() noexcept {
  const int fd = Release();
  return fd >= 0 && ::close(fd) != 0 ? errno : 0;
}

namespace {

void RefuseIfNotRegular(const fs::path& fileName, const struct stat& st) {
  if (S_ISREG(st.st_mode)) return;
  if (S_ISDIR(st.st_mode)) RaiseFileError("open", fileName, EISDIR);
  const char* kind = S_ISFIFO(st.st_mode)                          ? "a named pipe"
                     : S_ISSOCK(st.st_mode)                        ? "a socket"
                     : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                                                                   : "a special file";
  throw EFileError("Cannot open file \"" + fileName.string() + "\". It is " + kind +
                   ", not a regular file.");
}

}  // namespace

void RefuseNonRegularFile(const fs::path& fileName) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) RaiseFileError("open", fileName, errno);
  RefuseIfNotRegular(fileName, st);
}

TFileDescriptor OpenFileForReading(const fs::path& fileName, std::uint64_t* size) {
  RefuseNonRegularFile(fileName);
  // Should the name be swapped for a FIFO after the check, O_NONBLOCK still
  // returns at once and fstat refuses what was opened.
  TFileDescriptor fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd) RaiseFileError("open", fileName, errno);
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) RaiseFileError("open", fileName, errno);
  RefuseIfNotRegular(fileName, st);
  const int flags = ::fcntl(fd.Get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
  if (size) *size = static_cast<std::uint64_t>(st.st_size);
  return fd;
}

namespace {

// Up to maxBytes from an open regular file of the given size.
std::string ReadUpTo(const TFileDescriptor& fd, const fs::path& fileName, std::uint64_t size,
                     std::size_t maxBytes) {
  std::string data;
  data.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, size)));
  char buffer[1 << 16];
  while (data.size() < maxBytes) {
    const std::size_t want = std::min(sizeof buffer, maxBytes - data.size());
    const ssize_t got = ::read(fd.Get(), buffer, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      RaiseFileError("read", fileName, errno);
    }
    if (got == 0) break;
    data.append(buffer, static_cast<std::size_t>(got));
  }
  return data;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t put = ::write(fd, data.data(), data.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// The mode a newly created file would get, or the target's own mode when it
// is replaced, so that replacing a file keeps its permissions.
mode_t TargetMode(const fs::path& fileName) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string ReadWholeFile(const fs::path& fileName) {
  auto tooLarge = [&](std::uint64_t size) {
    throw ELUTSizeError("The file \"" + fileName.string() + "\" is too large for a LUT file (" +
                        std::to_string(size) + " bytes; at most " +
                        std::to_string(MaxWholeFileSize) + " are read).");
  };
  // Refused by its size before anything is read; read one byte past the
  // limit in case the file grows meanwhile.
  std::uint64_t size = 0;
  const TFileDescriptor fd = OpenFileForReading(fileName, &size);
  if (size > MaxWholeFileSize) tooLarge(size);
  std::string data = ReadUpTo(fd, fileName, size, MaxWholeFileSize + 1);
  if (data.size() > MaxWholeFileSize) tooLarge(data.size());
  return data;
}

std::string ReadFilePrefix(const fs::path& fileName, std::size_t maxBytes) {
  std::uint64_t size = 0;
  const TFileDescriptor fd = OpenFileForReading(fileName, &size);
  return ReadUpTo(fd, fileName, size, maxBytes);
}

void WriteFileAtomic(const fs::path& fileName, std::string_view data) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    RaiseFileError("create", fileName, EISDIR);
  const fs::path folder = fileName.has_parent_path() ? fileName.parent_path() : fs::path(".");
  std::string temp = (folder / ("." + fileName.filename().string() + ".XXXXXX")).string();
  // A name too long for the temporary is too long for the target as well.
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) RaiseFileError("create", fileName, errno);
  int err = 0;
  if (!WriteAll(fd, data)) err = errno;
  if (!err && ::fchmod(fd, TargetMode(fileName)) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (!err && ::rename(temp.c_str(), fileName.c_str()) != 0) err = errno;
  if (err) {
    ::unlink(temp.c_str());
    RaiseFileError("create", fileName, err);
  }
}
