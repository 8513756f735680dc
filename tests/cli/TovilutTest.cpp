// The command line as a user runs it: real processes, real files, exit codes.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "TestSupport.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

namespace {

struct TRun {
  int status;
  std::string out;
  std::string err;
};

class Tovilut : public TempDirTest {
 protected:
  // Runs tovilut with stdin from /dev/null, as in a pipeline; `prefix` is a
  // command that runs it (such as a time limit).
  TRun Run(const std::string& args, const std::string& prefix = "") {
    const std::string errFile = Path("stderr.txt").string();
    const std::string command =
        prefix + std::string(TOVILUT_EXE) + " " + args + " </dev/null 2>'" + errFile + "'";
    TRun run{};
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
      run.out.append(buffer.data(), got);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = ReadText(errFile);
    fs::remove(errFile);
    return run;
  }
  static std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }
  static bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
  }
};

TEST_F(Tovilut, FormatsAndInfo) {
  TRun run = Run("formats");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Has(run.out, "Cube 3D Davinci"));
  EXPECT_TRUE(Has(run.out, "FSI DIT (Flanders Scientific) 3D"));

  run = Run("info " + Q(DataFile("cube/identity_2.cube")) + " " + Q(Write("notes.txt", "hi\n")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "  Format: Cube 3D\n  Type: 3D\n  Dimension: 2\n")) << run.out;
  EXPECT_TRUE(Has(run.out, "notes.txt\n  Format: unknown\n")) << run.out;

  run = Run("info " + Q(Path("missing.cube")) + " " + Q(DataFile("cube/bad/truncated_cube.cube")));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "missing.cube: Cannot open file")) << run.err;
  EXPECT_TRUE(Has(run.err, "truncated_cube.cube: Incomplete file.")) << run.err;
}

TEST_F(Tovilut, ConvertByNameNumberOrPieceWithSize) {
  const fs::path out = Path("out");
  fs::create_directory(out);
  TRun run = Run("convert -p 'cube 3d davinci' -s 17 -o " + Q(out) + " " + Q(DataFile("cube/identity_2.cube")));
  ASSERT_EQ(run.status, 0) << run.err;
  const TRun info = Run("info " + Q(out / "identity_2.cube"));
  EXPECT_TRUE(Has(info.out, "Dimension: 17")) << info.out;

  run = Run("convert -p 'FSI DIT (flanders scientific) 3d' -o " + Q(out) + " " +
            Q(DataFile("cube/identity_2.cube")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(fs::file_size(out / "identity_2.dat"), 1048704u);
}

TEST_F(Tovilut, UsageErrorsExitWithTwo) {
  const std::string file = Q(DataFile("cube/identity_2.cube"));
  struct Case {
    std::string args;
    const char* message;
  } cases[] = {
      {"convert -p cube -o " + Q(Dir) + " " + file, "matches several output profiles"},
      {"convert -p nonesuch -o " + Q(Dir) + " " + file, "no output profile matches"},
      {"convert -p 999 -o " + Q(Dir) + " " + file, "no output profile number 999"},
      {"convert -p 'cube 3d davinci' -s 1 -o " + Q(Dir) + " " + file, "Invalid cube size 1"},
      {"convert -p 'cube 3d davinci' -s big -o " + Q(Dir) + " " + file, "size must be"},
      {"convert -p 'cube 3d davinci' -b 9 -o " + Q(Dir) + " " + file, "bits must be"},
      {"convert -p 'cube 3d davinci' " + file, "--output"},
      {"convert -p 'cube 3d davinci' -s 123456 -o " + Q(Dir) + " " + file, "at most five digits"},
      {"convert -p 'Cube 3D Truelight' -s 17 -o " + Q(Dir) + " " + file, "leave out --size"},
      {"convert -p 'Cube 3D Truelight' -b 10 -o " + Q(Dir) + " " + file, "leave out --bits"},
      {"merge -p 'Cube 1D' -o " + Q(Path("m.cube")) + " " + file, "3D profile"},
      {"nosuchcommand", ""},
  };
  for (const Case& c : cases) {
    const TRun run = Run(c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_TRUE(Has(run.err, c.message)) << c.args << "\n" << run.err;
  }
  EXPECT_TRUE(fs::is_empty(Dir));
}

TEST_F(Tovilut, ExistingOutputsNeedAFlagWithoutATerminal) {
  const fs::path existing = Write("identity_2.cube", "precious\n");
  const std::string args = "convert -p 'cube 3d davinci' -o " + Q(Dir) + " " + Q(DataFile("cube/identity_2.cube"));
  TRun run = Run(args);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "--overwrite")) << run.err;
  EXPECT_EQ(ReadText(existing), "precious\n");
  run = Run(args + " --skip-existing");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadText(existing), "precious\n");
  run = Run(args + " --overwrite");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Has(ReadText(existing), "LUT_3D_SIZE 33"));
}

TEST_F(Tovilut, AFailureStopsTheBatchUnlessKeepGoing) {
  const fs::path out = Path("out");
  fs::create_directory(out);
  const fs::path first = Write("first.cube", ReadText(DataFile("cube/identity_2.cube")));
  const fs::path last = Write("last.cube", ReadText(DataFile("cube/identity_2.cube")));
  const std::string files =
      Q(first) + " " + Q(DataFile("cube/bad/size_101.cube")) + " " + Q(last);
  TRun run = Run("convert -q -p 'cube 3d davinci' -o " + Q(out) + " " + files);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "size_101.cube:1: The current version cannot process LUTs more than "
                           "100x100x100.\nIn general")) << run.err;
  EXPECT_TRUE(fs::exists(out / "first.cube"));
  EXPECT_FALSE(fs::exists(out / "size_101.cube"));
  EXPECT_FALSE(fs::exists(out / "last.cube"));
  run = Run("convert -q --keep-going -p 'cube 3d davinci' -o " + Q(out) + " --overwrite " + files);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(fs::exists(out / "last.cube"));

  run = Run("convert -p 'cube 3d davinci' -o " + Q(Path("no/such/folder")) + " " + Q(first));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "first.cube: Cannot create file")) << run.err;
}

// Errors from a line of text name it, in every command that reads LUTs.
TEST_F(Tovilut, ErrorsNameTheirLine) {
  const std::string bad = Q(Write("bad.cube", "# grade\nTITLE \"x\"\nLUT_3D_SIZE abc\n0 0 0\n"));
  const std::string quantel = Q(Write("q.txt", "table type\t2\ngMax\t0\ngSize\t2\n"));
  fs::create_directory(Path("out"));
  const struct {
    std::string args;
    const char* message;
  } cases[] = {
      {"info " + bad, "bad.cube:3: 'abc' is not a valid integer value"},
      {"convert -p 'cube 3d davinci' -o " + Q(Path("out")) + " " + bad,
       "bad.cube:3: 'abc' is not a valid integer value"},
      {"merge -p 'cube 3d davinci' -o " + Q(Path("m.cube")) + " " + bad,
       "bad.cube:3: 'abc' is not a valid integer value"},
      {"info " + quantel, "q.txt:2: Invalid maximum code 0 in the gMax line."},
  };
  for (const auto& c : cases) {
    const TRun run = Run(c.args);
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_TRUE(Has(run.err, c.message)) << c.args << "\n" << run.err;
  }
}

TEST_F(Tovilut, HaldImageGradedByApplyReadsBackAsTheLut) {
  const fs::path lut = Write("warm.cube",
                             "LUT_3D_SIZE 2\n0.1 0 0\n1 0 0\n0 0.9 0\n1 0.9 0\n"
                             "0 0 0.8\n1 0 0.8\n0 0.9 0.8\n1 0.9 0.8\n");
  TRun run = Run("hald " + Q(Path("HaldImage")));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "HaldImage.tif")) << run.out;
  run = Run("apply " + Q(lut) + " " + Q(Path("HaldImage.tif")) + " " + Q(Path("graded.bmp")));
  ASSERT_EQ(run.status, 0) << run.err;
  run = Run("info " + Q(Path("graded.bmp")));
  EXPECT_TRUE(Has(run.out, "  Format: Hald Image\n  Type: 3D\n  Dimension: 32\n")) << run.out;

  TLUT source, back;
  LutRegistry().LoadLut(lut, source, -1);
  LutRegistry().LoadLut(Path("graded.bmp"), back, -1);
  ASSERT_EQ(back.Size3D(), 32);
  double worst = 0;
  for (int r = 0; r < 32; ++r)
    for (int g = 0; g < 32; ++g)
      for (int b = 0; b < 32; ++b) {
        const TLutRGB want = source.ApplyToColor(
            {(r * 255 / 31) / 255.0, (g * 255 / 31) / 255.0, (b * 255 / 31) / 255.0});
        const TLutRGB got = back.Cube(r, g, b);
        worst = std::max({worst, std::abs(got.R - want.R), std::abs(got.G - want.G),
                          std::abs(got.B - want.B)});
      }
  EXPECT_LE(worst, 0.5 / 255 + 1e-9);
}

TEST_F(Tovilut, HaldAndApplyRefuseWhatTheyCannotDo) {
  const std::string lut = Q(DataFile("cube/identity_2.cube"));
  ASSERT_EQ(Run("hald " + Q(Path("h.bmp"))).status, 0);
  struct Case {
    std::string args;
    int status;
    const char* message;
  } cases[] = {
      {"hald " + Q(Path("h.png")), 2, "written as .bmp, .jpg or .tif"},
      {"hald " + Q(Path("h.bmp")), 1, "--overwrite"},
      {"apply " + lut + " " + Q(Path("h.bmp")) + " " + Q(Path("out.gif")), 2, "OUTPUT must end in"},
      {"apply " + lut + " " + Q(Path("h.bmp")) + " " + Q(Path("h.bmp")), 1, "--overwrite"},
      {"apply " + Q(Write("notes.txt", "hi\n")) + " " + Q(Path("h.bmp")) + " " + Q(Path("o.png")), 1,
       "notes.txt: Unknown LUT format."},
      {"apply " + lut + " " + Q(Write("pic.gif", "GIF89a")) + " " + Q(Path("o.png")), 1,
       "pic.gif: Unknown picture file extension (.gif)"},
  };
  for (const Case& c : cases) {
    const TRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_TRUE(Has(run.err, c.message)) << c.args << "\n" << run.err;
  }
  EXPECT_FALSE(fs::exists(Path("o.png")));
  EXPECT_EQ(Run("apply " + lut + " " + Q(Path("h.bmp")) + " " + Q(Path("h.bmp")) + " --overwrite").status, 0);
}

TEST_F(Tovilut, MergeAppliesTheFirstFileFirst) {
  const std::string a = Q(DataFile("cube/identity_2.cube"));
  const fs::path out = Path("merged.cube");
  TRun run = Run("merge -p 'cube 3d davinci' -s 120 -o " + Q(out) + " " + a + " " + Q(Path("none.cube")));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "none.cube: Cannot open file")) << run.err;
  EXPECT_FALSE(fs::exists(out));
  run = Run("merge -p 'cube 3d davinci' -s 120 -o " + Q(out) + " " + a + " " + a);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "The LUT file was successfully created.\n");
  EXPECT_TRUE(Has(Run("info " + Q(out)).out, "Dimension: 99"));
  run = Run("merge -p 'cube 3d davinci' -o " + Q(out) + " " + a);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "--overwrite")) << run.err;
}

TEST_F(Tovilut, NamedPipesAndDevicesAreRefusedWithoutWaiting) {
  // Opening a FIFO for reading waits for a writer that never comes; the
  // time limit only ends a run that would otherwise hang the suite.
  for (const char* name : {"f.cube", "f.icc", "f.png"})
    ASSERT_EQ(::mkfifo(Path(name).c_str(), 0600), 0) << name;
  ASSERT_EQ(::symlink("/dev/zero", Path("zero.bmp").c_str()), 0);
  const fs::path cube = DataFile("cube/identity_2.cube");
  const struct {
    std::string Args;
    const char* File;
    const char* Kind;
  } rows[] = {
      {"info " + Q(Path("f.cube")), "f.cube", "a named pipe"},
      {"convert -p 'cube 3d davinci' -o " + Q(Path("out")) + " " + Q(Path("f.cube")), "f.cube",
       "a named pipe"},
      {"merge -p 'cube 3d davinci' -o " + Q(Path("m.cube")) + " " + Q(Path("f.cube")), "f.cube",
       "a named pipe"},
      {"lut2icc " + Q(Path("f.cube")) + " -o " + Q(Path("f2.icc")), "f.cube", "a named pipe"},
      {"icc2lut " + Q(Path("f.icc")) + " -p 'cube 3d davinci' -o " + Q(Path("x.cube")), "f.icc",
       "a named pipe"},
      {"apply " + Q(cube) + " " + Q(Path("f.png")) + " " + Q(Path("o.png")), "f.png",
       "a named pipe"},
      {"info " + Q(Path("zero.bmp")), "zero.bmp", "a device"},
      {"apply " + Q(cube) + " " + Q(Path("zero.bmp")) + " " + Q(Path("o.png")), "zero.bmp",
       "a device"},
  };
  for (const auto& row : rows) {
    const TRun run = Run(row.Args, "timeout 60 ");
    EXPECT_EQ(run.status, 1) << row.Args << "\n" << run.err;
    EXPECT_TRUE(
        Has(run.err, std::string(row.File) + "\". It is " + row.Kind + ", not a regular file."))
        << row.Args << "\n"
        << run.err;
  }
  for (const char* name : {"out", "m.cube", "f2.icc", "x.cube", "o.png"})
    EXPECT_FALSE(fs::exists(Path(name))) << name;
}

}  // namespace
