// Whole-file reads and crash-safe whole-file writes. Every input is read
// through OpenFileForReading; every output of the program goes through
// WriteFileAtomic: the bytes land in a temporary file beside the target,
// which is renamed over it only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/Errors.h"

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

// Whether putting a finished file in place may replace a file of that name.
enum class TReplace { Allow, Never };

// A file written under a temporary name in the target's folder and put in
// place whole by Commit; until then the target is untouched, and a failure,
// an exception or the object's end removes the temporary.
// - The temporary is ".NAME.tovi-XXXXXX", NAME shortened so that the whole
//   stays within the folder's name limit: targets of any allowed length can
//   be written, and what a kill -9 leaves behind is recognisably ours.
// - While one exists, SIGTERM, SIGHUP and SIGINT (where the program has not
//   set its own handling) remove every temporary and then end the program as
//   the signal would have; SIGXFSZ is ignored so that a file size limit is
//   reported as "File too large" and cleaned up like any failed write.
// - Commit(TReplace::Never) puts the file in place only if no file of that
//   name exists at that moment (a dangling symbolic link counts as one), in
//   one step, and raises EFileExistsError otherwise: of two writers racing
//   for one name, exactly one wins.
class TAtomicFile {
 public:
  explicit TAtomicFile(const std::filesystem::path& fileName);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  void Write(std::string_view data);
  // Bytes at an offset of the temporary, for layouts written out of order
  // (rows bottom up, a directory patched at the end); Write goes on at the
  // end of what Write wrote, wherever these land.
  void WriteAt(std::uint64_t offset, std::string_view data);
  // What is written so far, back; fewer bytes than asked past its end.
  std::size_t ReadAt(std::uint64_t offset, char* to, std::size_t size);
  void Commit(TReplace replace = TReplace::Allow);

 private:
  void PutInPlaceIfAbsent();
  void Register(const std::string& name) noexcept;
  void Unregister() noexcept;
  void Discard() noexcept;

  std::filesystem::path Target_;
  std::string Name_;        // the target's name in its folder
  TFileDescriptor Folder_;  // the target's folder
  TFileDescriptor File_;    // the temporary, while it is written
  std::string Temp_;        // the temporary's name, while it exists
  int Slot_ = -1;           // where the signal handler finds it
  bool Counted_ = false;    // among the writers that keep the handlers set
};

// Where several threads write the files of one batch, a file is put in place
// only when the batch says it is its turn: Commit waits, the file complete
// under its temporary name, until the gate set on the committing thread
// answers. A gate that answers false abandons the file: the temporary is
// removed and EWriteAbandoned raised. A thread without a gate commits at once.
class ICommitGate {
 public:
  virtual bool AwaitTurn() = 0;

 protected:
  ~ICommitGate() = default;
};

// Sets the gate for the files the current thread commits while it lives.
class TCommitGateScope {
 public:
  explicit TCommitGateScope(ICommitGate& gate);
  ~TCommitGateScope();
  TCommitGateScope(const TCommitGateScope&) = delete;
  TCommitGateScope& operator=(const TCommitGateScope&) = delete;

 private:
  ICommitGate* Outer_;
};

class EWriteAbandoned : public EFileError {
 public:
  using EFileError::EFileError;
};

// Removes the temporary of every TAtomicFile alive. Safe in a signal
// handler: for handlers of the program's own that end it.
void RemoveUnfinishedFiles() noexcept;

// Replace (or create) the file with exactly these bytes through TAtomicFile.
// On any failure the target is untouched, no temporary file is left, and
// EFileError is raised (EFileExistsError when replace is Never and a file of
// that name exists).
void WriteFileAtomic(const std::filesystem::path& fileName, std::string_view data,
                     TReplace replace = TReplace::Allow);

// "Cannot open file "name". reason" for the current errno.
[[noreturn]] void RaiseFileError(const char* action, const std::filesystem::path& fileName,
                                 int err);
