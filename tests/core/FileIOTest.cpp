#include "core/FileIO.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <set>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
#include "icc/ICCLib.h"
#include "image/ImageLib.h"

namespace {

using FileIO = TempDirTest;

std::set<std::string> Listing(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    names.insert(fs::relative(e.path(), dir).string());
  return names;
}

// Makes writes beyond `bytes` fail with EFBIG, as a full disk fails them
// with ENOSPC, for as long as it lives.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Old_);
    OldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = Old_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Old_);
    std::signal(SIGXFSZ, OldHandler_);
  }

 private:
  rlimit Old_{};
  void (*OldHandler_)(int) = nullptr;
};

TEST_F(FileIO, AFailedWriteLeavesTheTargetAndNoTemporaryFile) {
  const std::string big(1 << 20, 'x');
  Write("precious.cube", "precious\n");
  Write("plain.txt", "a file, not a folder\n");
  struct TCase {
    const char* What;
    fs::path Target;
    std::function<void()> WriteIt;
  };
  const std::vector<TCase> cases = {
      {"disk full", Path("precious.cube"),
       [&] {
         TFileSizeLimit limit(4096);
         WriteFileAtomic(Path("precious.cube"), big);
       }},
      {"path through a file", Path("plain.txt/out.cube"),
       [&] { WriteFileAtomic(Path("plain.txt/out.cube"), "data"); }},
      {"missing folder", Path("nowhere/out.cube"),
       [&] { WriteFileAtomic(Path("nowhere/out.cube"), "data"); }},
      {"name too long", Path(std::string(300, 'n') + ".cube"),
       [&] { WriteFileAtomic(Path(std::string(300, 'n') + ".cube"), "data"); }},
      {"target is a folder", Dir, [&] { WriteFileAtomic(Dir, "data"); }},
  };
  const std::set<std::string> before = Listing(Dir);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    try {
      c.WriteIt();
      ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Target.filename().string()), std::string::npos)
          << e.what();
    }
    EXPECT_EQ(Listing(Dir), before);
    EXPECT_EQ(ReadText(Path("precious.cube")), "precious\n");
  }
}

TEST_F(FileIO, AnUnwritableFolderIsRefused) {
  fs::create_directory(Path("locked"));
  Write("locked/keep.cube", "keep\n");
  fs::permissions(Path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
  if (::access(Path("locked").c_str(), W_OK) == 0) {
    fs::permissions(Path("locked"), fs::perms::owner_all);
    GTEST_SKIP() << "permission bits do not stop this user's writes";
  }
  EXPECT_THROW(WriteFileAtomic(Path("locked/keep.cube"), "new\n"), EFileError);
  fs::permissions(Path("locked"), fs::perms::owner_all);
  EXPECT_EQ(Listing(Path("locked")), std::set<std::string>{"keep.cube"});
  EXPECT_EQ(ReadText(Path("locked/keep.cube")), "keep\n");
}

TEST_F(FileIO, AFileTooLargeForAnyLutIsRefusedBeforeItIsRead) {
  // A sparse file: its declared size costs no disk space.
  const fs::path huge = Write("huge.cube", "LUT_3D_SIZE 2\n");
  fs::resize_file(huge, MaxWholeFileSize + 1);
  const int format = LutRegistry().DetectLutFormat(huge);
  ASSERT_GE(format, 0);
  TLUT lut;
  try {
    LutRegistry().LoadLut(huge, lut, format);
    FAIL();
  } catch (const ELUTSizeError& e) {
    EXPECT_NE(std::string(e.what()).find("huge.cube\" is too large"), std::string::npos) << e.what();
  }
  fs::resize_file(huge, MaxWholeFileSize);
  EXPECT_EQ(ReadWholeFile(huge).size(), MaxWholeFileSize);
}

// A listening socket at the path, closed when it goes.
class TSocketFile {
 public:
  explicit TSocketFile(const fs::path& path) : Fd_(::socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = path.string();
    if (Fd_ < 0 || name.size() >= sizeof address.sun_path) throw std::runtime_error("no socket");
    std::copy(name.begin(), name.end(), address.sun_path);
    if (::bind(Fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
      throw std::runtime_error("cannot bind " + name);
  }
  ~TSocketFile() { ::close(Fd_); }

 private:
  int Fd_;
};

TEST_F(FileIO, EveryReaderRefusesWhatIsNotARegularFile) {
  // FIFOs are refused the same way; tests/cli runs them under a time limit.
  const std::pair<const char*, std::function<void(const fs::path&)>> readers[] = {
      {"whole.cube", [](const fs::path& f) { ReadWholeFile(f); }},
      {"prefix.dat", [](const fs::path& f) { ReadFilePrefix(f, 16); }},
      {"detected.cube", [](const fs::path& f) { TLUT lut; LutRegistry().LoadLut(f, lut, -1); }},
      {"picture.bmp", [](const fs::path& f) { ReadImageInfo(f); }},
      {"profile.icc", [](const fs::path& f) { TICCService().OpenProfile(f); }}};
  std::vector<std::unique_ptr<TSocketFile>> sockets;
  for (const auto& [name, read] : readers) {
    const struct {
      fs::path File;
      const char* Message;
    } kinds[] = {{Path("socket-" + std::string(name)), "It is a socket, not a regular file."},
                 {Path("device-" + std::string(name)), "It is a device, not a regular file."},
                 {Path("folder-" + std::string(name)), "Is a directory"}};
    sockets.push_back(std::make_unique<TSocketFile>(kinds[0].File));
    ASSERT_EQ(::symlink("/dev/zero", kinds[1].File.c_str()), 0);
    fs::create_directory(kinds[2].File);
    for (const auto& kind : kinds) {
      SCOPED_TRACE(kind.File.string());
      try {
        read(kind.File);
        ADD_FAILURE() << "read";
      } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find(kind.File.string() + "\". " + kind.Message),
                  std::string::npos)
            << e.what();
      }
    }
  }
}

}  // namespace
