#include "core/FileIO.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <latch>
#include <set>
#include <thread>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
#include "icc/ICCLib.h"
#include "image/ImageLib.h"
#include "registry/FormatTable.h"

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

// Runs `body` in a child process and returns its wait status: signals and
// resource limits then concern the child alone.
int InChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
    }
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST_F(FileIO, AnEndingSignalRemovesTheTemporaryFile) {
  Write("precious.cube", "precious\n");
  for (const int sig : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(sig);
    const int status = InChild([&] {
      TAtomicFile file(Path("precious.cube"));
      file.Write("half of it");
      if (Listing(Dir).size() != 2) return 1;  // the temporary is there
      ::raise(sig);
      return 2;
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(Listing(Dir), std::set<std::string>{"precious.cube"});
    EXPECT_EQ(ReadText(Path("precious.cube")), "precious\n");
  }
  // A signal the program ignores is its own business: the write goes on.
  const int status = InChild([&] {
    std::signal(SIGHUP, SIG_IGN);
    TAtomicFile file(Path("precious.cube"));
    file.Write("new\n");
    ::raise(SIGHUP);
    file.Commit();
    return 0;
  });
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadText(Path("precious.cube")), "new\n");
}

TEST_F(FileIO, AFileSizeLimitIsReportedNotFatal) {
  // SIGXFSZ at its default would end the program and leave the temporary.
  Write("precious.cube", "precious\n");
  const int status = InChild([&] {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit small{};
    ::getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    try {
      WriteFileAtomic(Path("precious.cube"), std::string(1 << 20, 'x'));
      return 1;
    } catch (const EFileError& e) {
      if (std::string(e.what()).find("File too large") == std::string::npos) return 2;
    }
    struct sigaction after {};
    ::sigaction(SIGXFSZ, nullptr, &after);
    return after.sa_handler == SIG_DFL ? 0 : 3;  // left as it was found
  });
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Listing(Dir), std::set<std::string>{"precious.cube"});
  EXPECT_EQ(ReadText(Path("precious.cube")), "precious\n");
}

TEST_F(FileIO, NamesUpToTheLimitAreWrittenWithARecognisableTemporary) {
  std::string accented;
  for (int i = 0; i < 127; ++i) accented += "\xC3\xA9";  // é, two bytes each
  for (const std::string& name :
       {std::string(248, 'a'), std::string(251, 'b'), std::string(255, 'c'), accented + "d"}) {
    SCOPED_TRACE(name.size());
    {
      TAtomicFile file(Path(name));
      file.Write("data\n");
      const std::set<std::string> names = Listing(Dir);
      ASSERT_EQ(names.size(), 1u);
      const std::string temp = *names.begin();
      EXPECT_LE(temp.size(), 255u);
      ASSERT_EQ(temp.substr(0, 1), ".");
      const std::size_t tail = temp.rfind(".tovi-");
      ASSERT_NE(tail, std::string::npos) << temp;
      EXPECT_EQ(temp.size() - tail, 12u) << temp;
      // Cut from the front of the target's name, and never inside a character.
      EXPECT_EQ(name.substr(0, tail - 1), temp.substr(1, tail - 1));
      EXPECT_NE(static_cast<unsigned char>(name[tail - 1]) & 0xC0, 0x80);
      file.Commit();
    }
    EXPECT_EQ(ReadText(Path(name)), "data\n");
    fs::remove(Path(name));
    WriteFileAtomic(Path(name), "again\n", TReplace::Never);
    EXPECT_EQ(ReadText(Path(name)), "again\n");
    fs::remove(Path(name));
  }
}

TEST_F(FileIO, NoReplaceCommitRefusesAnyExistingName) {
  Write("taken.cube", "taken\n");
  ASSERT_EQ(::symlink("nowhere.cube", Path("dangling.cube").c_str()), 0);
  for (const char* name : {"taken.cube", "dangling.cube"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(WriteFileAtomic(Path(name), "new\n", TReplace::Never), EFileExistsError);
  }
  EXPECT_EQ(Listing(Dir), (std::set<std::string>{"dangling.cube", "taken.cube"}));
  EXPECT_EQ(ReadText(Path("taken.cube")), "taken\n");
  EXPECT_EQ(fs::read_symlink(Path("dangling.cube")), "nowhere.cube");
  // Replacing is still the default, and keeps the replaced file's permissions.
  fs::permissions(Path("taken.cube"), fs::perms::owner_read | fs::perms::owner_write);
  WriteFileAtomic(Path("taken.cube"), "new\n");
  EXPECT_EQ(ReadText(Path("taken.cube")), "new\n");
  EXPECT_EQ(fs::status(Path("taken.cube")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FileIO, OfWritersRacingForOneNameWithoutReplacingExactlyOneWins) {
  constexpr int writers = 8;
  for (int round = 0; round < 20; ++round) {
    const fs::path target = Path("race" + std::to_string(round) + ".cube");
    std::latch start(writers);
    std::atomic<int> won{0}, refused{0}, winner{-1};
    std::vector<std::thread> threads;
    for (int i = 0; i < writers; ++i)
      threads.emplace_back([&, i] {
        TAtomicFile file(target);
        file.Write("writer " + std::to_string(i) + "\n");
        start.arrive_and_wait();  // every temporary written before anyone commits
        try {
          file.Commit(TReplace::Never);
          ++won;
          winner = i;
        } catch (const EFileExistsError&) {
          ++refused;
        }
      });
    for (std::thread& t : threads) t.join();
    ASSERT_EQ(won, 1);
    ASSERT_EQ(refused, writers - 1);
    EXPECT_EQ(ReadText(target), "writer " + std::to_string(winner) + "\n");
  }
  EXPECT_EQ(Listing(Dir).size(), 20u);  // no temporary left behind
}

TEST_F(FileIO, EveryReaderRefusesWhatIsNotARegularFile) {
  // FIFOs are refused the same way; tests/cli runs them under a time limit.
  const std::pair<const char*, std::function<void(const fs::path&)>> readers[] = {
      {"whole.cube", [](const fs::path& f) { ReadWholeFile(f); }},
      {"prefix.dat", [](const fs::path& f) { ReadFilePrefix(f, 16); }},
      {"detected.cube",
       [](const fs::path& f) {
         TLUT lut;
         LutRegistry().LoadLut(f, lut, -1);
       }},
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
