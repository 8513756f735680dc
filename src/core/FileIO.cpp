// POSIX file access for the library: one read or one write per file.
#include "core/FileIO.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

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
  const char* kind = S_ISFIFO(st.st_mode)                         ? "a named pipe"
                     : S_ISSOCK(st.st_mode)                       ? "a socket"
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

// Up to maxBytes from an open regular file of the given size, read straight
// into the string, in one read as a rule (one byte more than the size shows
// at once when the file has grown).
std::string ReadUpTo(const TFileDescriptor& fd, const fs::path& fileName, std::uint64_t size,
                     std::size_t maxBytes) {
  std::string data;
  const std::size_t expected =
      static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, size + 1));
  std::size_t filled = 0;
  while (filled < maxBytes) {
    if (filled == data.size()) data.resize(std::min(maxBytes, std::max(expected, 2 * filled)));
    const ssize_t got = ::read(fd.Get(), data.data() + filled, data.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      RaiseFileError("read", fileName, errno);
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  data.resize(filled);
  return data;
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

// --- Crash-safe writes -----------------------------------------------------

namespace {

// Temporaries being written, for the signal handler to remove: the folder's
// descriptor (-1: free slot, -2: being filled) and the name inside it, so
// that the handler needs nothing but unlinkat, which a handler may call.
struct TPendingFile {
  std::atomic<int> Folder{-1};
  char Name[NAME_MAX + 1] = {};
};
// Writers at one time that are covered; more still write, uncovered.
TPendingFile PendingFiles[64];

// Signals that end the program by default. While a temporary exists, each
// whose disposition is still the default removes the temporaries and then
// ends the program as it would have (the shell reports 128 + signal). One
// the program handles or ignores itself is left to the program.
constexpr int EndingSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnEndingSignal(int sig) {
  RemoveUnfinishedFiles();
  ::signal(sig, SIG_DFL);
  ::raise(sig);  // delivered once this handler returns
}

std::mutex HandlersMutex;
int Writers = 0;
std::vector<int> HandledSignals;  // ours to restore when the last writer ends

bool HasDefaultAction(int sig) {
  struct sigaction current {};
  return ::sigaction(sig, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
         current.sa_handler == SIG_DFL;
}

void InstallHandlers() {
  for (const int sig : EndingSignals) {
    if (!HasDefaultAction(sig)) continue;
    struct sigaction ours {};
    ours.sa_handler = OnEndingSignal;
    ::sigemptyset(&ours.sa_mask);
    for (const int other : EndingSignals) ::sigaddset(&ours.sa_mask, other);
    if (::sigaction(sig, &ours, nullptr) == 0) HandledSignals.push_back(sig);
  }
  // Beyond the file size limit write() then fails with EFBIG ("File too
  // large"), which is reported and cleaned up, instead of killing the program.
  if (HasDefaultAction(SIGXFSZ) && ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR)
    HandledSignals.push_back(SIGXFSZ);
}

void RestoreHandlers() {
  for (const int sig : HandledSignals) {
    struct sigaction current {};
    ::sigaction(sig, nullptr, &current);
    const auto ours = sig == SIGXFSZ ? SIG_IGN : OnEndingSignal;
    if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == ours) ::signal(sig, SIG_DFL);
  }
  HandledSignals.clear();
}

// Six random letters or digits; no two writers pick the same in practice,
// and O_EXCL settles it when they do.
std::string RandomSuffix() {
  static constexpr char letters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[6];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    static std::atomic<unsigned> counter{0};
    const auto seed = static_cast<std::uint64_t>(::getpid()) << 32 ^
                      static_cast<std::uint64_t>(std::time(nullptr)) ^ counter++;
    for (std::size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(seed >> (8 * i));
  }
  std::string suffix;
  for (const unsigned char b : bytes) suffix += letters[b % (sizeof letters - 1)];
  return suffix;
}

// ".NAME.tovi-XXXXXX", with NAME cut (at a character boundary) so that the
// whole stays within the folder's limit whatever the target's length.
std::string TemporaryName(const std::string& name, std::size_t limit) {
  const std::string tail = ".tovi-" + RandomSuffix();
  std::size_t keep = std::min(name.size(), limit - 1 - tail.size());
  while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
    --keep;
  return "." + name.substr(0, keep) + tail;
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

}  // namespace

void RemoveUnfinishedFiles() noexcept {
  for (TPendingFile& pending : PendingFiles) {
    const int folder = pending.Folder.load(std::memory_order_acquire);
    if (folder >= 0) ::unlinkat(folder, pending.Name, 0);
  }
}

TAtomicFile::TAtomicFile(const fs::path& fileName) : Target_(fileName) {
  Name_ = fileName.filename().string();
  if (Name_.empty() || Name_ == "." || Name_ == "..") RaiseFileError("create", fileName, EISDIR);
  const fs::path folder = fileName.has_parent_path() ? fileName.parent_path() : fs::path(".");
  Folder_.Reset(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!Folder_) RaiseFileError("create", fileName, errno);
  const long limit = ::fpathconf(Folder_.Get(), _PC_NAME_MAX);
  const std::size_t nameMax =
      limit > 32 && limit < NAME_MAX ? static_cast<std::size_t>(limit) : NAME_MAX;
  if (Name_.size() > nameMax) RaiseFileError("create", fileName, ENAMETOOLONG);
  struct stat st {};
  if (::fstatat(Folder_.Get(), Name_.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode))
    RaiseFileError("create", fileName, EISDIR);
  {
    const std::lock_guard lock(HandlersMutex);
    if (Writers++ == 0) InstallHandlers();
    Counted_ = true;
  }
  int err = EEXIST;
  for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    const std::string candidate = TemporaryName(Name_, nameMax);
    // Known to the signal handler before it exists, until it is gone.
    Register(candidate);
    // Created as a new file would be (the umask applies); a replaced file's
    // own permissions are given to it in Commit.
    File_.Reset(
        ::openat(Folder_.Get(), candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (File_) {
      Temp_ = candidate;
      return;
    }
    err = errno;
    Unregister();
  }
  Discard();
  if (err == EACCES || err == EPERM || err == EROFS)  // the folder is what refused
    throw EFileError("Cannot create file \"" + fileName.string() + "\". " + std::strerror(err) +
                     ": the folder \"" + folder.string() + "\" cannot be written to.");
  RaiseFileError("create", fileName, err);
}

TAtomicFile::~TAtomicFile() { Discard(); }

void TAtomicFile::Discard() noexcept {
  File_.Reset();
  if (!Temp_.empty()) ::unlinkat(Folder_.Get(), Temp_.c_str(), 0);
  Temp_.clear();
  Unregister();
  if (Counted_) {
    const std::lock_guard lock(HandlersMutex);
    if (--Writers == 0) RestoreHandlers();
    Counted_ = false;
  }
}

void TAtomicFile::Write(std::string_view data) {
  if (!File_) RaiseFileError("create", Target_, EBADF);
  if (!WriteAll(File_.Get(), data)) RaiseFileError("create", Target_, errno);
}

void TAtomicFile::WriteAt(std::uint64_t offset, std::string_view data) {
  if (!File_) RaiseFileError("create", Target_, EBADF);
  while (!data.empty()) {
    const ssize_t n = ::pwrite(File_.Get(), data.data(), data.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) RaiseFileError("create", Target_, n < 0 ? errno : EIO);
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
}

std::size_t TAtomicFile::ReadAt(std::uint64_t offset, char* to, std::size_t size) {
  if (!File_) RaiseFileError("create", Target_, EBADF);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::pread(File_.Get(), to + got, size - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) RaiseFileError("create", Target_, errno);
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

namespace {
thread_local ICommitGate* CommitGate = nullptr;
}  // namespace

TCommitGateScope::TCommitGateScope(ICommitGate& gate) : Outer_(CommitGate) { CommitGate = &gate; }
TCommitGateScope::~TCommitGateScope() { CommitGate = Outer_; }

void TAtomicFile::Commit(TReplace replace) {
  if (!File_) RaiseFileError("create", Target_, EBADF);
  if (CommitGate && !CommitGate->AwaitTurn())
    throw EWriteAbandoned("The batch stopped before \"" + Target_.string() + "\" was written.");
  struct stat st {};
  // A replaced file keeps its permissions.
  if (replace == TReplace::Allow && ::fstatat(Folder_.Get(), Name_.c_str(), &st, 0) == 0 &&
      ::fchmod(File_.Get(), st.st_mode & 07777) != 0)
    RaiseFileError("create", Target_, errno);
  if (const int err = File_.Close()) RaiseFileError("create", Target_, err);
  if (replace == TReplace::Allow) {
    if (::renameat(Folder_.Get(), Temp_.c_str(), Folder_.Get(), Name_.c_str()) != 0)
      RaiseFileError("create", Target_, errno);
  } else {
    PutInPlaceIfAbsent();
  }
  Temp_.clear();
  Discard();
}

void TAtomicFile::PutInPlaceIfAbsent() {
  const int folder = Folder_.Get();
  const auto raiseExists = [&] {
    throw EFileExistsError("The file \"" + Target_.string() + "\" already exists.");
  };
  if (::renameat2(folder, Temp_.c_str(), folder, Name_.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno == EEXIST) raiseExists();
  if (errno != EINVAL && errno != ENOSYS) RaiseFileError("create", Target_, errno);
  // The file system has no such rename: a hard link is made only where no
  // name is, and the temporary name is then dropped.
  if (::linkat(folder, Temp_.c_str(), folder, Name_.c_str(), 0) == 0) {
    ::unlinkat(folder, Temp_.c_str(), 0);
    return;
  }
  if (errno == EEXIST) raiseExists();
  if (errno != EPERM && errno != EOPNOTSUPP) RaiseFileError("create", Target_, errno);
  // Nor hard links (FAT on a memory card): all that is left is to look first.
  struct stat st {};
  if (::fstatat(folder, Name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) raiseExists();
  if (::renameat(folder, Temp_.c_str(), folder, Name_.c_str()) != 0)
    RaiseFileError("create", Target_, errno);
}

void TAtomicFile::Register(const std::string& name) noexcept {
  for (std::size_t i = 0; i < std::size(PendingFiles); ++i) {
    int expected = -1;
    if (!PendingFiles[i].Folder.compare_exchange_strong(expected, -2)) continue;
    std::memcpy(PendingFiles[i].Name, name.c_str(), name.size() + 1);
    PendingFiles[i].Folder.store(Folder_.Get(), std::memory_order_release);
    Slot_ = static_cast<int>(i);
    return;
  }
}

void TAtomicFile::Unregister() noexcept {
  if (Slot_ >= 0) PendingFiles[Slot_].Folder.store(-1, std::memory_order_release);
  Slot_ = -1;
}

void WriteFileAtomic(const fs::path& fileName, std::string_view data, TReplace replace) {
  TAtomicFile file(fileName);
  file.Write(data);
  file.Commit(replace);
}
