// Inputs made to hurt: a command pointed at its own input, files that make a
// library open other files, flood the terminal or run for minutes. Each case
// checks the status, the message, what is left on disk and, where the case is
// about one, a bound on memory or time (set with generous limits that only
// end a run that would otherwise hang or flood the suite).
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
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

// A CTF of one element under its root.
std::string Ctf(const std::string& element) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ProcessList id=\"r\" version=\"2.0\">\n" +
         element + "\n</ProcessList>\n";
}

std::string Repeated(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

const std::string UnitMatrix =
    "<Matrix inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"3 3 3\">1 0 0 0 1 0 0 0 1"
    "</Array></Matrix>\n";

// Files that OpenColorIO reads: it opens what a file refers to by itself,
// logs a line per message and works for each operator, so these are checked
// before it sees them, and what it says comes once, in our words.
TEST_F(HostileInput, OpenColorIOFilesAreCheckedBeforeItReadsThem) {
  ASSERT_EQ(::mkfifo(Path("pipe.ctf").c_str(), 0600), 0);
  {
    std::ofstream sparse(Path("huge.ctf"));  // 1 GB, holding nothing
    sparse.seekp((std::streamoff(1) << 30) - 1);
    sparse.put('\n');
  }
  Write("elsewhere/plain.ctf", Ctf(UnitMatrix));
  const auto reference = [](const std::string& path) {
    return Ctf("<Reference inBitDepth=\"32f\" outBitDepth=\"32f\" path=\"" + path + "\"/>");
  };
  const std::string notFollowed = "References to other files are not followed: <Reference";
  const std::string readAsClf = "read as Academy/ASC Common LUT Format: ";
  const std::string wideDomain = "The input domain -1";  // -1e+30, as the format's precision gives it
  const std::string csp =
      "CSPLUTV100\n3D\n\n2\n-1e30 1e30\n0 1\n2\n-1e30 1e30\n0 1\n2\n-1e30 1e30\n0 1\n\n2 2 2\n"
      "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
  const struct {
    const char* Name;
    std::string Content;
    const char* Command;  // the file's name follows
    int Status;
    std::string Message;  // on stderr
  } rows[] = {
      {"zero.ctf", reference("/dev/zero"), "info", 1, notFollowed},
      {"fifo.ctf", reference("pipe.ctf"), "info", 1, notFollowed},
      {"sparse.ctf", reference("huge.ctf"), "info", 1, notFollowed},
      {"absolute.ctf", reference(Path("elsewhere/plain.ctf").string()), "info", 1, notFollowed},
      {"prefixed.ctf", Ctf("<x:Reference xmlns:x=\"u\" path=\"/dev/zero\"/>"), "info", 1,
       "References to other files are not followed: <x:Reference"},
      {"operators.clf", Ctf(Repeated(UnitMatrix, 4001)), "info", 1,
       readAsClf + "The transform holds more than 4000 operators"},
      {"unknown.clf", Ctf(Repeated("<u/>", 1000) + UnitMatrix), "info", 0,
       "unknown.clf: warning: 1000 warnings from the CLF reader; the first: "},
      {"unknown.clf", Ctf(Repeated("<u/>", 1000) + UnitMatrix),
       "convert -q --overwrite -p cube-resolve -o out", 0, ""},
      {"work.ctf",
       Ctf(Repeated("<Log inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"log10\"/>\n" +
                        UnitMatrix.substr(0, UnitMatrix.find("1 0 0 0 1")) +
                        "0.8 0.2 0 0.1 0.8 0.1 0 0.3 0.7</Array></Matrix>\n",
                    200)),
       "convert --overwrite -p cube-resolve -s 65 -o out", 1,
       "The transform's 400 operators are too many to evaluate at 65 x 65 x 65 points"},
      {"range.clf",
       Ctf("<Range inBitDepth=\"32f\" outBitDepth=\"32f\"><minInValue>-1e30</minInValue>"
           "<maxInValue>1e30</maxInValue><minOutValue>0</minOutValue><maxOutValue>1</maxOutValue>"
           "</Range>\n<LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"2 1\">0 1</Array>"
           "</LUT1D>"),
       "info", 1, readAsClf + wideDomain},
      {"wide.spi1d", "Version 1\nFrom -1e30 1e30\nLength 2\nComponents 1\n{\n0\n1\n}\n", "info",
       1, "read as Sony Imageworks 1D: " + wideDomain},
      {"wide.lut", "Version\t\t3\nFormat\t\tany\nType\t\tC\nFrom\t\t-1e30 1e30\nTo\t\t0 1\n"
                   "Black\t\t0\nWhite\t\t1\nLength\t\t2\nLUT:\nRGB { 0 1 }\n",
       "info", 1, "read as Houdini: " + wideDomain},
      {"wide.csp", csp, "info", 1, "read as Cinespace: A value beyond -1e6 to 1e6"},
      {"nan.clf",
       Ctf("<LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"2 1\">0 nan</Array></LUT1D>"),
       "info", 1, readAsClf + "The LUT holds a value that is not a number"},
  };
  for (const auto& row : rows) {
    Write(row.Name, row.Content);
    const std::set<std::string> listing = Listing();
    // A time limit ends a run that hangs; the CPU limit one that reads or
    // works for minutes.
    const TRun run = RunShell("cd " + Q(Dir) + " && ulimit -t 20 && timeout 60 " + TOVILUT_EXE +
                              " " + row.Command + " " + row.Name);
    EXPECT_EQ(run.status, row.Status) << row.Name << "\n" << run.err;
    if (row.Message.empty()) {
      EXPECT_EQ(run.err, "") << row.Name;
    } else {
      EXPECT_TRUE(Has(run.err, row.Message)) << row.Name << "\n" << run.err;
      // One line, naming the file as it was given.
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << row.Name << "\n" << run.err;
      if (!Has(row.Content, Dir.string())) {
        EXPECT_FALSE(Has(run.err, Dir.string())) << row.Name << "\n" << run.err;
      }
    }
    if (row.Status != 0) {
      EXPECT_EQ(Listing(), listing) << row.Name;
    }
  }
  // A batch of them on two jobs ends, each file refused in its turn.
  const TRun run = RunShell("cd " + Q(Dir) +
                            " && ulimit -t 20 && timeout 60 " + TOVILUT_EXE +
                            " convert -j 2 --keep-going -p cube-resolve -o batch zero.ctf "
                            "fifo.ctf sparse.ctf absolute.ctf operators.clf");
  EXPECT_EQ(run.status, 1) << run.err;
  for (const char* name : {"zero.ctf", "fifo.ctf", "sparse.ctf", "absolute.ctf", "operators.clf"})
    EXPECT_TRUE(Has(run.err, std::string(name) + ": read as ")) << run.err;
  EXPECT_TRUE(Has(run.err, "5 of 5 files failed")) << run.err;
  EXPECT_TRUE(fs::is_empty(Path("batch")));
}

}  // namespace
