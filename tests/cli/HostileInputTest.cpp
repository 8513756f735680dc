// Inputs made to hurt: a command pointed at its own input, files that make a
// library open other files, flood the terminal or run for minutes. Each case
// checks the status, the message, what is left on disk and, where the case is
// about one, a bound on memory or time (set with generous limits that only
// end a run that would otherwise hang or flood the suite).
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "TestSupport.h"
#include "cli/TovilutRun.h"

namespace {

class HostileInput : public Tovilut {
 protected:
  std::set<std::string> Listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(Dir))
      names.insert(entry.path().lexically_relative(Dir).string());
    return names;
  }
};

// No command writes over one of its inputs, whatever the flags, whether the
// output names it, a symbolic link to it or a hard link to it; nothing else
// is written either.
TEST_F(HostileInput, NoCommandWritesOverItsInput) {
  const std::string cube = ReadText(DataFile("cube/identity_2.cube"));
  Write("in.cube", cube);
  Write("in2.cube", cube);
  ASSERT_EQ(Run("lut2icc " + Q(Path("in.cube")) + " -o " + Q(Path("p.icc"))).status, 0);
  ASSERT_EQ(Run("lut2icc " + Q(Path("in2.cube")) + " -o " + Q(Path("q.icc"))).status, 0);
  ASSERT_EQ(Run("hald " + Q(Path("pic.bmp"))).status, 0);
  const struct {
    const char* Input;   // the input the output lands on
    std::string Args;    // {OUT} stands for the output
    bool Folder;         // the output is a folder holding a file of the input's name
    const char* Message;
  } rows[] = {
      {"in.cube", "convert --overwrite -p cube-resolve -o {OUT} in.cube", true,
       "would write over the input"},
      {"in.cube", "convert --overwrite -j 2 -p cube-resolve -o {OUT} in2.cube in.cube", true,
       "would write over the input"},
      {"in2.cube", "merge --overwrite -p cube-resolve -o {OUT} in.cube in2.cube", false,
       "is the input"},
      {"p.icc", "icc2lut --overwrite p.icc -p cube-resolve -o {OUT}", false, "is the input"},
      {"q.icc", "icc2lut --overwrite p.icc --second q.icc -p cube-resolve -o {OUT}", false,
       "is the input"},
      {"in.cube", "lut2icc --overwrite in.cube -o {OUT}", false, "is the input"},
      {"pic.bmp", "apply --overwrite in.cube pic.bmp -o {OUT}", false, "is the input"},
  };
  int k = 0;
  for (const auto& row : rows) {
    for (const char* how : {"name", "symlink", "hardlink"}) {
      const std::string before = ReadText(Path(row.Input));
      fs::path out = row.Input;
      if (std::string(how) != "name") {
        const std::string ext = fs::path(row.Input).extension().string();
        const fs::path link = row.Folder ? Path("f" + std::to_string(k)) / row.Input
                                         : Path("l" + std::to_string(k) + ext);
        fs::create_directories(link.parent_path());
        if (std::string(how) == "symlink")
          fs::create_symlink(Path(row.Input), link);
        else
          fs::create_hard_link(Path(row.Input), link);
        out = row.Folder ? link.parent_path() : link;
        ++k;
      } else if (row.Folder) {
        out = ".";
      }
      const std::set<std::string> listing = Listing();
      std::string args = row.Args;
      args.replace(args.find("{OUT}"), 5, Q(out));
      const TRun run = RunShell("cd " + Q(Dir) + " && " + TOVILUT_EXE + " " + args);
      EXPECT_EQ(run.status, 1) << args << " (" << how << ")\n" << run.err;
      EXPECT_TRUE(Has(run.err, row.Message)) << args << " (" << how << ")\n" << run.err;
      EXPECT_EQ(ReadText(Path(row.Input)), before) << args << " (" << how << ")";
      EXPECT_EQ(Listing(), listing) << args << " (" << how << ")";
    }
  }
  // hald reads nothing: an existing file is kept unless --overwrite is given.
  const std::string picture = ReadText(Path("pic.bmp"));
  const TRun run = Run("hald " + Q(Path("pic.bmp")));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "--overwrite")) << run.err;
  EXPECT_EQ(ReadText(Path("pic.bmp")), picture);
}


}  // namespace
