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

namespace {

// Reads up to maxBytes; an fd-owning helper so every path closes the file.
std::string ReadUpTo(const fs::path& fileName, std::size_t maxBytes) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) RaiseFileError("open", fileName, errno);
  std::string data;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    RaiseFileError("open", fileName, EISDIR);
  }
  // A regular file is read straight into the string, in one read as a rule;
  // anything else in blocks until its end.
  std::size_t expected = 1 << 16;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    expected = std::min<std::size_t>(maxBytes, static_cast<std::size_t>(st.st_size) + 1);
  std::size_t filled = 0;
  while (filled < maxBytes) {
    if (filled == data.size()) data.resize(std::min(maxBytes, std::max(expected, 2 * filled)));
    const ssize_t got = ::read(fd, data.data() + filled, data.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      RaiseFileError("read", fileName, err);
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  data.resize(filled);
  ::close(fd);
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
  auto tooLarge = [&](std::uintmax_t size) {
    throw ELUTSizeError("The file \"" + fileName.string() + "\" is too large for a LUT file (" +
                        std::to_string(size) + " bytes; at most " +
                        std::to_string(MaxWholeFileSize) + " are read).");
  };
  // A regular file is refused by its size before anything is read; a pipe or
  // device by reading one byte past the limit.
  struct stat st {};
  if (::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::uintmax_t>(st.st_size) > MaxWholeFileSize)
    tooLarge(static_cast<std::uintmax_t>(st.st_size));
  std::string data = ReadUpTo(fileName, MaxWholeFileSize + 1);
  if (data.size() > MaxWholeFileSize) tooLarge(data.size());
  return data;
}

std::string ReadFilePrefix(const fs::path& fileName, std::size_t maxBytes) {
  return ReadUpTo(fileName, maxBytes);
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
