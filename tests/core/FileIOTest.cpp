#include "core/FileIO.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <set>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
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

}  // namespace
