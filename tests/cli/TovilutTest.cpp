// The command line as a user runs it: real processes, real files, exit codes.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <utility>

#include "TestSupport.h"
#include "cli/TovilutRun.h"
#include "core/FileIO.h"
#include "core/LUTFormat.h"
#include "image/ImageLib.h"
#include "registry/FormatTable.h"

namespace {

TEST_F(Tovilut, FormatsAndInfo) {
  TRun run = Run("formats");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Has(run.out, "Cube 3D Davinci"));
  EXPECT_TRUE(Has(run.out, "FSI DIT (Flanders Scientific) 3D"));

  run = Run("info " + Q(DataFile("cube/identity_2.cube")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "  Format: Cube 3D\n  Type: 3D\n  Dimension: 2\n")) << run.out;

  run = Run("info " + Q(Path("missing.cube")) + " " + Q(DataFile("cube/bad/truncated_cube.cube")));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "missing.cube: Cannot open file")) << run.err;
  EXPECT_TRUE(Has(run.err, "truncated_cube.cube: read as Cube 3D: Incomplete file.")) << run.err;
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
      {"nosuchcommand", "unknown command 'nosuchcommand'"},
      {"conver -p cube-resolve", "unknown command 'conver'; did you mean 'convert'?"},
      {"convert --overwrit -p cube-resolve -o " + Q(Dir) + " " + file,
       "unknown option '--overwrit'; did you mean '--overwrite'?"},
      {"info --jsn " + file, "unknown option '--jsn'; did you mean '--json'?"},
      {"convert -p 3dl-scratch -b 10 -o " + Q(Dir) + " " + file, "leave out --bits"},
      {"convert -j 0 -p cube-resolve -o " + Q(Dir) + " " + file, "--jobs must be a number of at least 1"},
      {"convert -j -3 -p cube-resolve -o " + Q(Dir) + " " + file, "--jobs must be a number of at least 1"},
      {"-p cube-resolve convert -o " + Q(Dir) + " " + file,
       "tovilut: options go after the command: tovilut convert -p …"},
      {"convert -p cube-reslove -o " + Q(Dir) + " " + file,
       "no output profile matches 'cube-reslove'; did you mean 'cube-resolve'?"},
      {"merge -p flme -o " + Q(Path("m")) + " " + file, "did you mean 'flame'?"},
      {"apply --interp cubic " + file + " a.png -o b.png", "--interp"},
      {"eval " + file + " 0.5 0.5", "give colours as R G B triples: 2 numbers given"},
      {"eval " + file + " 0.5 0.5 x", "'x' is not a number"},
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
  EXPECT_TRUE(Has(run.err, "size_101.cube:1: read as Cube 3D: The current version cannot process LUTs more than "
                           "100x100x100.\nIn general")) << run.err;
  EXPECT_TRUE(fs::exists(out / "first.cube"));
  EXPECT_FALSE(fs::exists(out / "size_101.cube"));
  EXPECT_FALSE(fs::exists(out / "last.cube"));
  run = Run("convert -q --keep-going -p 'cube 3d davinci' -o " + Q(out) + " --overwrite " + files);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(fs::exists(out / "last.cube"));

  // A missing output folder is created, with its parents.
  run = Run("convert -p 'cube 3d davinci' -o " + Q(Path("new/folder")) + " " + Q(first));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(Path("new/folder/first.cube")));
}

// Clipping is said on stderr; --verify prints each output's largest
// difference and exits with 3 when an output does not read back.
TEST_F(Tovilut, ConvertSaysWhatIsClippedAndVerifies) {
  const fs::path out = Path("out");
  fs::create_directory(out);
  const fs::path bright = Write("bright.cube", "LUT_3D_SIZE 2\n0 0 0\n1.2 0 0\n0 1 0\n1 1 0\n"
                                               "0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  TRun run = Run("convert --verify -p 'quantel 3d' -o " + Q(out) + " " + Q(bright));
  EXPECT_EQ(run.status, 0) << run.err;
  // Counted on the 17-point cube written.
  EXPECT_TRUE(Has(run.err, "bright.cube: warning: 358 values outside 0..1 (from 1.000781 to 1.2) were clipped."))
      << run.err;
  EXPECT_TRUE(Has(run.out, "bright.txt: largest difference 0.2")) << run.out;

  run = Run("convert --overwrite -p 'cube 3d davinci' -o " + Q(out) + " " + Q(bright));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(Has(run.err, "warning")) << run.err;

  run = Run("convert --verify --overwrite -p 'shake 1d' -o " + Q(out) + " " + Q(bright));
  EXPECT_EQ(run.status, 3) << run.err;
}

// A domain beyond 0..1 goes out where the profile holds one, shows in
// info, and is said once on stderr where it is lost.
TEST_F(Tovilut, ConvertKeepsOrSaysTheInputDomain) {
  const fs::path out = Path("out");
  fs::create_directory(out);
  const fs::path wide = Write("wide.cube", "LUT_3D_SIZE 2\nDOMAIN_MIN -1 -1 -1\nDOMAIN_MAX 3 3 3\n"
                                           "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  TRun run = Run("info " + Q(wide));
  EXPECT_TRUE(Has(run.out, "  Input domain: -1 .. 3\n")) << run.out;
  run = Run("info --json " + Q(wide));
  EXPECT_TRUE(Has(run.out, "\"domain\":{\"min\":[-1,-1,-1],\"max\":[3,3,3]}")) << run.out;

  run = Run("convert --verify -s 2 -p 'cube 3d davinci' -o " + Q(out) + " " + Q(wide));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(Has(run.err, "warning")) << run.err;
  EXPECT_TRUE(Has(run.out, "wide.cube: largest difference 0\n")) << run.out;
  EXPECT_TRUE(Has(ReadText(out / "wide.cube"), "\nLUT_3D_SIZE 2\nLUT_3D_INPUT_RANGE -1 3\n"));

  // Merge (whose cube covers the first file's domain) and lut2icc (0..1
  // always) say the same where their output cannot keep it.
  const std::string lost = "wide.cube: warning: Inputs outside 0..1 are lost (the input domain is -1 .. 3).\n";
  for (const std::string& args :
       {"convert -p 'quantel 3d' -o " + Q(out) + " " + Q(wide),
        "merge -p 'quantel 3d' -o " + Q(out / "m.txt") + " " + Q(wide) + " " + Q(wide),
        "lut2icc " + Q(wide) + " -o " + Q(out / "w.icc")}) {
    run = Run(args);
    EXPECT_EQ(run.status, 0) << args << run.err;
    EXPECT_TRUE(Has(run.err, lost)) << args << run.err;
  }
  run = Run("merge -p cube-resolve -o " + Q(out / "m.cube") + " " + Q(wide) + " " + Q(wide));
  EXPECT_FALSE(Has(run.err, "warning")) << run.err;
}

// Every command that writes a LUT says what its output loses, in the same
// words as convert, naming the file it read.
TEST_F(Tovilut, EveryCommandThatWritesSaysWhatItLoses) {
  std::string dark = "LUT_3D_SIZE 2\n";  // out = 0.2 x in: a dark grade
  for (int b = 0; b < 2; ++b)
    for (int g = 0; g < 2; ++g)
      for (int r = 0; r < 2; ++r)
        dark += std::to_string(0.2 * r) + " " + std::to_string(0.2 * g) + " " + std::to_string(0.2 * b) + "\n";
  const fs::path grade = Write("dark.cube", dark);
  const fs::path hot = Write("hot.cube", "LUT_3D_SIZE 2\n-0.23 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n"
                                         "1 0 1\n0 1 1\n1.23 1 1\n");
  // A device link whose table has 33 points.
  LutRegistry().SaveLut(Path("look.cube"), MakeCube(33), ProfileNamed("Cube 3D Davinci"), -1);
  const fs::path link = Path("link.icc");
  ASSERT_EQ(Run("lut2icc --class link -o " + Q(link) + " " + Q(Path("look.cube"))).status, 0);
  const struct {
    std::string Args;
    std::string Said;
  } cases[] = {
      {"merge -p 3dl-scratch -o " + Q(Path("m.3dl")) + " " + Q(grade),
       "dark.cube: warning: Its largest code is 819 of 4095, so readers take this 12-bit 3DL file "
       "as 10-bit: it reads back about 4 times too bright.\n"},
      {"merge -p quantel-3d -o " + Q(Path("m.txt")) + " " + Q(hot),
       "hot.cube: warning: 768 values outside 0..1 (from -0.23 to 1.23) were clipped.\n"},
      {"lut2icc -o " + Q(Path("h.icc")) + " " + Q(hot),
       " values outside 0..1 (from -0.23 to 1.23) were clipped.\n"},
      {"convert -p 3dl-scratch -o " + Q(Path("out")) + " " + Q(grade),
       "dark.cube: warning: Its largest code is 819 of 4095"},
      {"icc2lut " + Q(link) + " -p cube-resolve -s 9 -o " + Q(Path("l.cube")),
       "link.icc: warning: The table was resampled from 33 to 9 points: up to 0."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Args);
    const TRun run = Run(c.Args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, c.Said)) << run.err;
  }
}

TEST_F(Tovilut, ConvertReadsTheChosenCorrectionOfACollection) {
  const auto correction = [](const std::string& id, const std::string& slope) {
    return "<ColorCorrection id=\"" + id + "\"><SOPNode><Slope>" + slope + "</Slope><Offset>0 0 0</Offset>"
           "<Power>1 1 1</Power></SOPNode></ColorCorrection>\n";
  };
  const fs::path ccc = Write("looks.ccc", "<ColorCorrectionCollection>\n" + correction("a", "1 1 1") +
                                              correction("b", "0.5 0.5 0.5") + "</ColorCorrectionCollection>\n");
  const fs::path out = Path("out");
  fs::create_directory(out);
  TRun run = Run("convert -q --cdl-id b -p 'cube 3d davinci' -o " + Q(out) + " " + Q(ccc));
  ASSERT_EQ(run.status, 0) << run.err;
  TLUT lut;
  LutRegistry().LoadLut(out / "looks.cube", lut, -1);
  EXPECT_NEAR(lut.Cube(32, 32, 32).R, 0.5, 1e-6);
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
      {"info " + bad, "bad.cube:3: read as Cube 3D: 'abc' is not a valid integer value"},
      {"convert -p 'cube 3d davinci' -o " + Q(Path("out")) + " " + bad,
       "bad.cube:3: read as Cube 3D: 'abc' is not a valid integer value"},
      {"merge -p 'cube 3d davinci' -o " + Q(Path("m.cube")) + " " + bad,
       "bad.cube:3: read as Cube 3D: 'abc' is not a valid integer value"},
      {"info " + quantel, "q.txt:2: read as Quantel 1D: Invalid maximum code 0 in the gMax line."},
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
      {"apply " + lut + " " + Q(Path("h.bmp")) + " " + Q(Write("g.bmp", "")), 1, "--overwrite"},
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
  EXPECT_EQ(Run("apply " + lut + " " + Q(Path("h.bmp")) + " " + Q(Path("g.bmp")) + " --overwrite").status, 0);
}

TEST_F(Tovilut, StandardHaldClutsAreGeneratedAndFineOnesResampled) {
  TRun run = Run("hald --level 12 " + Q(Path("level12")));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "level12.png")) << run.out;
  run = Run("info " + Q(Path("level12.png")));
  EXPECT_TRUE(Has(run.out, "  Format: Hald CLUT\n  Type: 3D\n  Dimension: 100\n")) << run.out;
  EXPECT_TRUE(Has(run.out, "Hald CLUT of 144 points resampled onto 100 points")) << run.out;
  run = Run("hald --level 1 " + Q(Path("level1.png")));
  EXPECT_EQ(run.status, 2);
  run = Run("hald --level 4 --bits 16 " + Q(Path("level4.jpg")));
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Has(run.err, "16 bits are written as .png or .tif only")) << run.err;
}

// 16-bit and float pictures are graded at their own depth and keep alpha.
TEST_F(Tovilut, ApplyGradesDeepPicturesAtTheirOwnDepth) {
  const fs::path lut = Write("warm.cube",
                             "LUT_3D_SIZE 2\n0.1 0 0\n1 0 0\n0 0.9 0\n1 0.9 0\n"
                             "0 0 0.8\n1 0 0.8\n0 0.9 0.8\n1 0.9 0.8\n");
  TLUT source;
  LutRegistry().LoadLut(lut, source, -1);
  TDeepPicture in;
  in.Width = 64;
  in.Height = 2;
  in.Channels = 4;
  for (int y = 0; y < in.Height; ++y)
    for (int x = 0; x < in.Width; ++x)
      for (float v : {x * 1031.0f / 65535, y * 0.5f, (65535 - 997.0f * x) / 65535, x / 63.0f})
        in.Samples.push_back(v);
  struct Case {
    const char* name;
    int bits;
    bool isFloat;
    double tolerance;
  } cases[] = {{"deep.tif", 16, false, 1.0 / 65535}, {"deep.png", 16, false, 1.0 / 65535},
               {"float.tif", 32, true, 1e-6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    in.BitsPerSample = c.bits;
    in.Float = c.isFloat;
    SaveDeepImage(Path(c.name), in, ImageFileTypeOf(Path(c.name)).value());
    const fs::path out = Path(std::string("graded-") + c.name);
    const TRun run = Run("apply " + Q(lut) + " " + Q(Path(c.name)) + " " + Q(out));
    ASSERT_EQ(run.status, 0) << run.err;
    const TDeepPicture graded = DecodeDeepImage(out);
    EXPECT_EQ(graded.BitsPerSample, c.bits);
    EXPECT_EQ(graded.Float, c.isFloat);
    ASSERT_EQ(graded.Channels, 4);
    double worst = 0;
    for (std::size_t i = 0; i < in.Samples.size(); i += 4) {
      const TLutRGB want = source.ApplyToColor({in.Value(i), in.Value(i + 1), in.Value(i + 2)});
      worst = std::max({worst, std::abs(graded.Value(i) - want.R),
                        std::abs(graded.Value(i + 1) - want.G),
                        std::abs(graded.Value(i + 2) - want.B)});
      EXPECT_EQ(graded.Value(i + 3), in.Value(i + 3));
    }
    EXPECT_LE(worst, c.tolerance);
  }
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
  EXPECT_EQ(run.out, a.substr(1, a.size() - 2) + " + " + a.substr(1, a.size() - 2) + " -> " +
                         out.string() + "\n");
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
  for (const char* name : {"m.cube", "f2.icc", "x.cube", "o.png"})
    EXPECT_FALSE(fs::exists(Path(name))) << name;
  EXPECT_TRUE(fs::is_empty(Path("out")));  // convert makes its folder, and writes nothing
}

// The point of the tests below: what a first-time user types works or is
// answered in words that say what to do.

TEST_F(Tovilut, NoArgumentsPrintTheUsage) {
  const TRun run = Run("");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(Has(run.out, "convert")) << run.out;
  EXPECT_TRUE(Has(run.out, "Usage")) << run.out;
}

// -o is the output file of every one-file command and the folder of convert.
TEST_F(Tovilut, OutputOptionMeansOneThing) {
  const std::string lut = Q(DataFile("cube/identity_2.cube"));
  fs::create_directory(Path("folder"));
  const fs::path aFile = Write("a-file", "x\n");
  const struct {
    std::string args;
    int status;
    const char* message;
  } refused[] = {
      {"merge -p cube-resolve -o " + Q(Path("folder")) + " " + lut, 2, "-o names a folder"},
      {"lut2icc " + lut + " -o " + Q(Path("folder")), 2, "-o names a folder"},
      {"convert -p cube-resolve -o " + Q(aFile) + " " + lut, 2, "-o names a file"},
  };
  for (const auto& c : refused) {
    const TRun run = Run(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_TRUE(Has(run.err, c.message)) << c.args << "\n" << run.err;
  }

  // The profile's extension is added to a bare name; another one is kept, with a warning.
  TRun run = Run("merge -p cube-resolve -o " + Q(Path("bare")) + " " + lut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(Path("bare.cube")));
  EXPECT_EQ(run.err, "");
  run = Run("merge -p cube-resolve -o " + Q(Path("odd.txt")) + " " + lut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(Path("odd.txt")));
  EXPECT_TRUE(Has(run.err, "warning: 'odd.txt' does not end in .cube")) << run.err;

  // apply takes -o, and still the output after the picture; it says what it wrote.
  ASSERT_EQ(Run("hald " + Q(Path("h.bmp"))).status, 0);
  run = Run("apply " + lut + " " + Q(Path("h.bmp")) + " -o " + Q(Path("g1.png")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Path("h.bmp").string() + " -> " + Path("g1.png").string() + "\n");
  run = Run("apply " + lut + " " + Q(Path("h.bmp")) + " " + Q(Path("g2.png")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadText(Path("g1.png")), ReadText(Path("g2.png")));
}

TEST_F(Tovilut, ConvertTakesFoldersAndSubfoldersWithR) {
  const std::string cube = ReadText(DataFile("cube/identity_2.cube"));
  Write("in/a.cube", cube);
  Write("in/notes.txt", "not a LUT\n");
  Write("in/sub/b.cube", cube);
  TRun run = Run("convert -p cube-resolve -o " + Q(Path("flat")) + " " + Q(Path("in")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(Path("flat/a.cube")));
  EXPECT_FALSE(fs::exists(Path("flat/notes.cube")));
  EXPECT_FALSE(fs::exists(Path("flat/sub")));
  run = Run("convert -r -p cube-resolve -o " + Q(Path("deep")) + " " + Q(Path("in")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(Path("deep/a.cube")));
  EXPECT_TRUE(fs::exists(Path("deep/sub/b.cube")));
}

// A folder drops no LUT file in silence: a file under a LUT's extension
// that cannot be read is named with its reason, and the run fails.
TEST_F(Tovilut, AFolderNamesEveryLutFileItCannotRead) {
  const std::string cube = ReadText(DataFile("cube/identity_2.cube"));
  Write("in/a.cube", cube);
  Write("in/b.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  Write("in/c.spi3d", "not a LUT at all\n");
  Write("in/notes.txt", "not a LUT\n");
  TRun run = Run("convert --keep-going -p cube-resolve -o " + Q(Path("out")) + " " + Q(Path("in")));
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_TRUE(fs::exists(Path("out/a.cube")));
  EXPECT_TRUE(Has(run.err, "b.cube: read as Cube 3D: Incomplete file.")) << run.err;
  EXPECT_TRUE(Has(run.err, "c.spi3d: ")) << run.err;
  EXPECT_FALSE(Has(run.err, "notes.txt")) << run.err;
}

// A resampling that loses something is said; `--size source` keeps the
// file's own size; info gives a 3DL's input and output depths.
TEST_F(Tovilut, SizesAndDepthsAreSaid) {
  TLUT bent = MakeCube(57);
  bent.Cube(20, 31, 7) = {0.9, 0.1, 0.4};
  LutRegistry().SaveLut(Path("cam.cube"), bent, ProfileNamed("Cube 3D Davinci"), -1);
  TRun run = Run("convert -p cube-resolve -o " + Q(Path("d")) + " " + Q(Path("cam.cube")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.err, "cam.cube: warning: The table was resampled from 57 to 33 points: up to "))
      << run.err;
  run = Run("convert -s source -p cube-resolve -o " + Q(Path("s")) + " " + Q(Path("cam.cube")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(Has(run.err, "warning")) << run.err;
  EXPECT_TRUE(Has(ReadText(Path("s/cam.cube")), "\nLUT_3D_SIZE 57\n"));
  run = Run("merge -s source -p cube-resolve -o " + Q(Path("m.cube")) + " " + Q(Path("cam.cube")));
  EXPECT_EQ(run.status, 2) << run.err;

  run = Run("info " + Q(DataFile("3dl/shaper16_nodes12.3dl")));
  EXPECT_TRUE(Has(run.out, "  Integer codes read at: 12 bits (from the file)\n"
                           "  Input codes read at: 16 bits (from the file)\n")) << run.out;
  run = Run("info --json " + Q(DataFile("3dl/shaper16_nodes12.3dl")));
  EXPECT_TRUE(Has(run.out, "\"bits\":12,\"input_bits\":16,")) << run.out;
}

TEST_F(Tovilut, FixedValuesAcceptedAndCappedSizesNoted) {
  const std::string lut = Q(DataFile("cube/identity_2.cube"));
  TRun run = Run("convert -q -p '3DL Scratch' -b 12 -s 17 -o " + Q(Dir) + " " + lut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(Path("identity_2.3dl")));
  run = Run("convert -q -p cube-resolve -s 150 -o " + Q(Dir) + " " + lut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.err, "size 150 is above the largest of 'Cube 3D Davinci'; 99 is used"))
      << run.err;
}

// A declined overwrite reads the same and ends with the same status in every
// command; a skip asked for is listed, unless -q.
TEST_F(Tovilut, ExistingOutputsTreatedAlikeByEveryCommand) {
  const std::string lut = Q(DataFile("cube/identity_2.cube"));
  ASSERT_EQ(Run("hald " + Q(Path("h.bmp"))).status, 0);
  const fs::path icc = Path("p.icc");
  ASSERT_EQ(Run("lut2icc " + lut + " -o " + Q(icc)).status, 0);
  const fs::path taken = Write("out/identity_2.cube", "precious\n");
  const fs::path takenPicture = Write("out/taken.bmp", "precious\n");
  const fs::path takenProfile = Write("out/taken.icc", "precious\n");
  const struct {
    std::string args;
    fs::path output;
  } commands[] = {
      {"convert -p cube-resolve -o " + Q(Path("out")) + " " + lut, taken},
      {"merge -p cube-resolve -o " + Q(taken) + " " + lut, taken},
      {"icc2lut " + Q(icc) + " -p cube-resolve -o " + Q(taken), taken},
      {"lut2icc " + lut + " -o " + Q(takenProfile), takenProfile},
      {"apply " + lut + " " + Q(Path("h.bmp")) + " -o " + Q(takenPicture), takenPicture},
      {"hald " + Q(takenPicture), takenPicture},
  };
  for (const auto& c : commands) {
    TRun run = Run(c.args);
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_EQ(run.err, c.output.string() +
                           ": already exists; use --overwrite to replace it or --skip-existing to "
                           "keep it\n")
        << c.args;
    run = Run(c.args + " --skip-existing");
    EXPECT_EQ(run.status, 0) << c.args << "\n" << run.err;
    EXPECT_EQ(run.out, "skipped " + c.output.string() + " (already exists)\n") << c.args;
    EXPECT_EQ(ReadText(c.output), "precious\n") << c.args;
  }
  EXPECT_EQ(Run(commands[0].args + " --skip-existing -q").out, "");
}

TEST_F(Tovilut, AnUnrecognisedFileHasOneWording) {
  const std::string notes = Q(Write("notes.txt", "hi\n"));
  const std::string lut = Q(DataFile("cube/identity_2.cube"));
  ASSERT_EQ(Run("hald " + Q(Path("h.bmp"))).status, 0);
  const std::string commands[] = {
      "info " + notes,
      "convert -p cube-resolve -o " + Q(Path("out")) + " " + notes,
      "merge -p cube-resolve -o " + Q(Path("m.cube")) + " " + lut + " " + notes,
      "lut2icc " + notes + " -o " + Q(Path("p.icc")),
      "apply " + notes + " " + Q(Path("h.bmp")) + " -o " + Q(Path("g.png")),
  };
  for (const std::string& args : commands) {
    const TRun run = Run(args);
    EXPECT_EQ(run.status, 1) << args;
    EXPECT_TRUE(Has(run.err, "notes.txt: Unknown LUT format.\n")) << args << "\n" << run.err;
  }
}

// Integer codes read at a depth the user gives, in every command that reads LUTs.
TEST_F(Tovilut, InputBitsReachEveryReader) {
  // 1023 is white at 10 bits and a little above 1/4 at 12 (the depth a
  // writer means under a 10-bit shaper, so the one read by default).
  std::string grid = "0 1023\n";
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b)
        grid += std::to_string(r * 1023) + " " + std::to_string(g * 1023) + " " +
                std::to_string(b * 1023) + "\n";
  const std::string lut = Q(Write("ten.3dl", grid));
  TRun run = Run("info --input-bits 12 " + lut);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out, "  Integer codes read at: 12 bits\n")) << run.out;
  // Without --input-bits, info says the depth the reader worked out.
  const struct {
    const char* Profile;
    const char* Says;
  } depths[] = {{"3dl-scratch", "12 bits"}, {"lustre-1d", "16 bits"}, {"quantel-1d", "10 bits"},
                {"lustre-3d", "12 bits"}, {"cube-resolve", "the file's own depth"}};
  for (const auto& d : depths) {
    ASSERT_EQ(Run(std::string("convert -q -p ") + d.Profile + " -o " + Q(Path(d.Profile)) + " " +
                  Q(DataFile("cube/identity_2.cube")))
                  .status,
              0);
    const fs::path written = fs::directory_iterator(Path(d.Profile))->path();
    run = Run("info " + Q(written));
    EXPECT_TRUE(Has(run.out, std::string("  Integer codes read at: ") + d.Says)) << run.out;
  }
  ASSERT_EQ(Run("hald " + Q(Path("h.bmp"))).status, 0);
  const struct {
    std::string Ten, Twelve;
  } outputs[] = {
      {"merge --input-bits 10 -p cube-resolve -o " + Q(Path("m10.cube")) + " " + lut,
       "merge --input-bits 12 -p cube-resolve -o " + Q(Path("m12.cube")) + " " + lut},
      {"lut2icc --input-bits 10 " + lut + " -o " + Q(Path("p10.icc")),
       "lut2icc --input-bits 12 " + lut + " -o " + Q(Path("p12.icc"))},
      {"apply --input-bits 10 " + lut + " " + Q(Path("h.bmp")) + " -o " + Q(Path("a10.png")),
       "apply --input-bits 12 " + lut + " " + Q(Path("h.bmp")) + " -o " + Q(Path("a12.png"))},
  };
  const std::pair<const char*, const char*> files[] = {
      {"m10.cube", "m12.cube"}, {"p10.icc", "p12.icc"}, {"a10.png", "a12.png"}};
  for (std::size_t i = 0; i < std::size(outputs); ++i) {
    ASSERT_EQ(Run(outputs[i].Ten).status, 0) << outputs[i].Ten;
    ASSERT_EQ(Run(outputs[i].Twelve).status, 0) << outputs[i].Twelve;
    EXPECT_TRUE(ReadText(Path(files[i].first)) != ReadText(Path(files[i].second)))
        << outputs[i].Twelve;
  }
}

// The JSON is checked by a real parser, which also pulls out what is compared.
TEST_F(Tovilut, JsonForPipelines) {
  const auto parse = [&](const std::string& json, const std::string& expression) {
    const fs::path file = Write("doc.json", json);
    return RunShell("python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(" +
                    expression + ")' " + Q(file));
  };
  TRun run = Run("formats --json");
  ASSERT_EQ(run.status, 0);
  TRun parsed = parse(run.out, "[p[\"id\"] for p in d[\"profiles\"] if p[\"name\"]==\"Cube 3D Davinci\"][0], "
                               "len(d[\"formats\"]), len(d[\"profiles\"])");
  EXPECT_EQ(parsed.out, "cube-resolve " + std::to_string(LutRegistry().FormatCount()) + " " +
                            std::to_string(LutRegistry().LutOutputProfiles().size()) + "\n")
      << parsed.err;

  const fs::path lut = Write("look \"one\".cube",
                             "# a comment\twith a tab\nLUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n"
                             "0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  run = Run("info --json " + Q(lut));
  ASSERT_EQ(run.status, 0) << run.err;
  parsed = parse(run.out, "d[0][\"file\"], d[0][\"format\"], d[0][\"kind\"], d[0][\"sizes\"][\"3D\"], "
                          "d[0][\"bits\"], d[0][\"domain\"][\"max\"], d[0][\"comments\"]");
  EXPECT_TRUE(Has(parsed.out, lut.string() + " ")) << parsed.out << parsed.err;
  EXPECT_TRUE(Has(parsed.out, "Cube 3D 3D 2 None [1, 1, 1]")) << parsed.out << parsed.err;
  EXPECT_TRUE(Has(parsed.out, "a comment\\twith a tab")) << parsed.out;
}

// Outputs of one run never replace each other or an input, with or without
// --overwrite, and nothing is written (the one-thread and the parallel batch).
TEST_F(Tovilut, OutputsNeverReplaceEachOtherOrAnInput) {
  const fs::path a = Write("d1/a.cube", ReadText(DataFile("cube/identity_2.cube")));
  Write("d2/a.cube", ReadText(DataFile("cube/identity_2.cube")));
  for (const char* jobs : {"1", "2"}) {
    TRun run = Run(std::string("convert --overwrite -j ") + jobs + " -p cube-resolve -o " +
                   Q(Path("out")) + " " + Q(Path("d1/a.cube")) + " " + Q(Path("d2/a.cube")));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "would both be written to \"" + (Path("out") / "a.cube").string()))
        << run.err;
    EXPECT_FALSE(fs::exists(Path("out/a.cube")));
    run = Run(std::string("convert --overwrite -j ") + jobs + " -p cube-resolve -o " +
              Q(Path("d1")) + " " + Q(a));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "would write over the input")) << run.err;
    EXPECT_EQ(ReadText(a), ReadText(DataFile("cube/identity_2.cube")));
  }
}

// A look whose companion .cube is kept was not written, and is not said to be.
TEST_F(Tovilut, SkipExistingReportsOnlyWhatWasWritten) {
  const fs::path source = Write("in/grade.cube", ReadText(DataFile("cube/identity_2.cube")));
  Write("out/grade.cube", "kept\n");
  for (const char* jobs : {"1", "2"}) {
    const TRun run = Run(std::string("convert --skip-existing -j ") + jobs +
                         " -p premiere -o " + Q(Path("out")) + " " + Q(source));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Has(run.out, "->")) << run.out;
    EXPECT_TRUE(Has(run.out, (Path("out") / "grade.cube").string())) << run.out;
    EXPECT_FALSE(fs::exists(Path("out/grade.look")));
    EXPECT_EQ(ReadText(Path("out/grade.cube")), "kept\n");
  }
}

// An output that cannot be written (a folder has its name) stops the batch
// there with any number of jobs: no later output appears.
TEST_F(Tovilut, JobsStopWhereOneJobStopsWhenAWriteFails) {
  for (int i = 1; i <= 8; ++i)
    Write("in/l" + std::to_string(i) + ".cube", ReadText(DataFile("cube/identity_2.cube")));
  std::string first;
  for (const char* jobs : {"1", "2", "3"}) {
    const fs::path out = Path(std::string("out") + jobs);
    fs::create_directories(out / "l4.3dl");
    const TRun run = Run(std::string("convert -q --overwrite -p 3dl-scratch -j ") + jobs + " -o " +
                         Q(out) + " " + Q(Path("in")));
    std::string listing = std::to_string(run.status) + ":";
    for (int i = 1; i <= 8; ++i)
      if (fs::is_regular_file(out / ("l" + std::to_string(i) + ".3dl"))) listing += std::to_string(i);
    EXPECT_TRUE(Has(run.err, "Is a directory")) << jobs << run.err;
    if (first.empty()) first = listing;
    EXPECT_EQ(listing, first) << jobs;
  }
  EXPECT_EQ(first, "1:123");
}

// --jobs gives what one job gives: the same files, byte for byte, the same
// messages in the same order (clipping warnings and read-back figures
// included), the same status, with and without a failure.
TEST_F(Tovilut, JobsChangeNothingButTheTime) {
  const std::string source = Q(DataFile("cube/identity_2.cube"));
  const char* profiles[] = {"3dl-scratch", "cube-resolve", "lustre-3d", "dat-resolve",
                            "pandora-m3d", "cube-1d",     "lustre-1d", "quantel-1d"};
  for (const char* profile : profiles)
    ASSERT_EQ(Run(std::string("convert -q -p ") + profile + " -o " + Q(Path("mixed") / profile) +
                  " " + source)
                  .status,
              0)
        << profile;
  // Sorted between lustre-3d and pandora-m3d.
  Write("mixed/m_broken.cube", "LUT_3D_SIZE abc\n");
  Write("mixed/hot.cube", "LUT_3D_SIZE 2\n0 0 0\n1.5 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  // With and without reading back (whose failure stops the batch too), with
  // and without --keep-going: a failure stops the batch where one job stops it.
  for (const bool verify : {true, false})
    for (const bool keepGoing : {true, false}) {
      std::string results[2][3];
      for (int j = 0; j < 2; ++j) {
        const fs::path out = Path("out" + std::to_string(j) + (keepGoing ? "k" : "") +
                                  (verify ? "v" : ""));
        const TRun run = Run(std::string("convert ") + (verify ? "--verify " : "") +
                             (keepGoing ? "--keep-going " : "") + "-p 3dl-scratch -j " +
                             (j ? "3" : "1") + " -r -o " + Q(out) + " " + Q(Path("mixed")));
        std::vector<fs::path> written;
        for (const auto& entry : fs::recursive_directory_iterator(out))
          if (entry.is_regular_file()) written.push_back(entry.path().lexically_relative(out));
        std::sort(written.begin(), written.end());
        std::string files;
        for (const fs::path& file : written)
          files += file.string() + "=" + ReadText(out / file) + "\n";
        // The output folders' names differ, and only they.
        const auto common = [&](std::string text) {
          for (std::size_t at; (at = text.find(out.string())) != std::string::npos;)
            text.replace(at, out.string().size(), "OUT");
          return text;
        };
        results[j][0] = std::to_string(run.status) + common(run.out);
        results[j][1] = common(run.err);
        results[j][2] = files;
      }
      EXPECT_EQ(results[0][0], results[1][0]);
      EXPECT_EQ(results[0][1], results[1][1]);
      EXPECT_EQ(results[0][2], results[1][2]);
      EXPECT_TRUE(Has(results[0][1], "m_broken.cube:1:")) << results[0][1];
      EXPECT_EQ(Has(results[0][2], "quantel"), keepGoing) << results[0][2];
      EXPECT_TRUE(Has(results[0][1], "hot.cube: warning: 605 values outside 0..1 (from 1.001587 to 1.5)"))
          << results[0][1];
      EXPECT_EQ(Has(results[0][0], "hot.3dl: largest difference"), verify) << results[0][0];
    }
}

// Ctrl-C (SIGINT) or SIGTERM stops a batch between files, with 130 or 143
// and how far it got. The test stops reading the batch's stdout, so that the
// batch waits on a full pipe and cannot end before the signal comes.
TEST_F(Tovilut, SignalsEndABatchWithTheirStatusAndCount) {
  const std::string cube = ReadText(DataFile("cube/identity_2.cube"));
  constexpr int files = 1500;
  for (int i = 0; i < files; ++i) Write("in/l" + std::to_string(i) + ".cube", cube);
  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    const fs::path out = Path("out" + std::to_string(signal));
    const std::string command = "exec " + std::string(TOVILUT_EXE) + " convert -j 1 -s 2 -p cube-resolve -o " +
                                Q(out) + " " + Q(Path("in")) + " </dev/null 2>" + Q(Path("err.txt"));
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(pipeEnds[1], STDOUT_FILENO);
      ::close(pipeEnds[0]);
      ::close(pipeEnds[1]);
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(pipeEnds[1]);
    FILE* stream = ::fdopen(pipeEnds[0], "r");
    char line[4096];
    ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);  // the batch has begun
    EXPECT_TRUE(Has(line, " -> ")) << line;
    ::kill(pid, signal);
    while (std::fgets(line, sizeof line, stream)) {
    }
    std::fclose(stream);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
    EXPECT_EQ(WEXITSTATUS(raw), status);
    const std::string err = ReadText(Path("err.txt"));
    const std::string start = "tovilut: interrupted after ";
    const std::string end = " of " + std::to_string(files) + " files\n";
    ASSERT_TRUE(Has(err, start) && Has(err, end)) << err;
    const int done = std::stoi(err.substr(err.find(start) + start.size()));
    EXPECT_GT(done, 0);
    EXPECT_LT(done, files);
    std::size_t written = 0;
    for (const auto& entry : fs::directory_iterator(out)) written += entry.is_regular_file();
    EXPECT_EQ(written, static_cast<std::size_t>(done)) << "no unfinished file is left";
  }
}

// Every command that writes takes -q, which silences its stdout only; lut2icc
// warns about an extension that is not a profile's, as the others do.
TEST_F(Tovilut, QuietOnEveryCommandThatWrites) {
  const std::string lut = Q(DataFile("cube/identity_2.cube"));
  ASSERT_EQ(Run("lut2icc " + lut + " --class display -o " + Q(Path("d.icc"))).status, 0);
  ASSERT_EQ(Run("hald " + Q(Path("h.bmp"))).status, 0);
  const std::string commands[] = {
      "convert -p cube-resolve -o " + Q(Path("out")) + " " + lut,
      "merge -p cube-resolve -o " + Q(Path("m.cube")) + " " + lut,
      "icc2lut " + Q(Path("d.icc")) + " -p cube-resolve -o " + Q(Path("i.cube")),
      "lut2icc " + lut + " -o " + Q(Path("l.icc")),
      "hald " + Q(Path("h2.bmp")),
      "apply " + lut + " " + Q(Path("h.bmp")) + " -o " + Q(Path("g.png")),
  };
  for (const std::string& args : commands) {
    const TRun run = Run(args + " -q");
    EXPECT_EQ(run.status, 0) << args << run.err;
    EXPECT_EQ(run.out, "") << args;
    EXPECT_EQ(run.err, "") << args;
    const std::string name = args.substr(0, args.find(' '));
    EXPECT_TRUE(Has(Run(name + " --help").out, "failures and warnings still go to stderr")) << name;
    // Kept outputs are not listed either.
    EXPECT_EQ(Run(args + " -q --skip-existing").out, "") << args;
  }
  const TRun run = Run("lut2icc " + lut + " -o " + Q(Path("x.cube")));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.err, "tovilut: warning: 'x.cube' does not end in .icc or .icm, the extensions of ICC profiles"))
      << run.err;
  EXPECT_FALSE(Has(Run("lut2icc " + lut + " -o " + Q(Path("y.ICM"))).err, "warning")) << "any letter case";
}

// What failed is named: the line and value, the ids there are, the folder.
TEST_F(Tovilut, MessagesNameWhatFailed) {
  const fs::path bad = Write("bad.cube", "LUT_3D_SIZE 2\n0 0 0\nabc 1 1\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  const fs::path ccc = Write("looks.ccc", "<ColorCorrectionCollection>\n"
                                          "<ColorCorrection id=\"a\"><SOPNode><Slope>1 1 1</Slope></SOPNode></ColorCorrection>\n"
                                          "<ColorCorrection id=\"b\"><SOPNode><Slope>1 1 1</Slope></SOPNode></ColorCorrection>\n"
                                          "</ColorCorrectionCollection>\n");
  const struct {
    std::string args;
    const char* message;
  } cases[] = {
      {"info " + Q(bad),
       "bad.cube:3: read as Cube 3D: Incomplete file: the line 'abc 1 1' was skipped: 'abc' is not a number.\n"},
      {"convert --cdl-id c -p cube-resolve -o " + Q(Path("out")) + " " + Q(ccc),
       "No colour correction with the id \"c\" in the file; its ids: \"a\", \"b\".\n"},
      {"lut2icc " + Q(DataFile("cube/identity_2.cube")) + " -o /sys/tovilut-test.icc",
       "Permission denied: the folder \"/sys\" cannot be written to."},
  };
  for (const auto& c : cases) {
    const TRun run = Run(c.args);
    EXPECT_EQ(run.status, 1) << c.args;
    EXPECT_TRUE(Has(run.err, c.message)) << c.args << "\n" << run.err;
  }
  // A file that is only short keeps its plain message.
  EXPECT_TRUE(Has(Run("info " + Q(Write("short.cube", "LUT_3D_SIZE 2\n0 0 0\n"))).err,
                  "short.cube: read as Cube 3D: Incomplete file.\n"));
}

// Clashes are listed all at once; --keep-going ends with its count and status 1.
TEST_F(Tovilut, BatchClashesAllAtOnceAndKeepGoingCounts) {
  const std::string cube = ReadText(DataFile("cube/identity_2.cube"));
  for (const char* file : {"d1/a.cube", "d2/a.cube", "d1/b.cube", "d2/b.cube"}) Write(file, cube);
  TRun run = Run("convert -p cube-resolve -o " + Q(Path("out")) + " " + Q(Path("d1")) + " " + Q(Path("d2")));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "would both be written to \"" + (Path("out") / "a.cube").string() + "\"\n"))
      << run.err;
  EXPECT_TRUE(Has(run.err, "would both be written to \"" + (Path("out") / "b.cube").string() +
                               "\"; nothing was converted.\n"))
      << run.err;

  Write("d3/broken.cube", "LUT_3D_SIZE abc\n");
  Write("d3/c.cube", cube);
  Write("d3/d.cube", cube);
  run = Run("convert -q --keep-going -p cube-resolve -o " + Q(Path("out3")) + " " + Q(Path("d3")));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "\n2 converted, 1 failed\n")) << run.err;
}

// info: failed files in the JSON array; text from files shown without its
// control characters, and JSON that every parser takes; -0 and 32-bit
// float bounds as they were written.
TEST_F(Tovilut, InfoShowsWhatFilesHoldSafely) {
  const fs::path odd = Write("odd.cube", "# red \x1b[31malert\x1b[0m\n# caf\xe9 \xff\nTITLE \"bell\x07\"\n"
                                        "DOMAIN_MIN -0 -0 -0\nDOMAIN_MAX 2 2 2\nLUT_3D_SIZE 2\n"
                                        "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  const fs::path broken = Write("broken.cube", "LUT_3D_SIZE abc\n");
  TRun run = Run("info " + Q(odd));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(Has(run.out, "\x1b")) << run.out;
  EXPECT_FALSE(Has(run.out, "\x07")) << run.out;
  EXPECT_TRUE(Has(run.out, "red \\x1b[31malert\\x1b[0m")) << run.out;
  EXPECT_TRUE(Has(run.out, "Input domain: 0 .. 2\n")) << run.out;

  run = Run("info --json " + Q(odd) + " " + Q(Path("missing.cube")) + " " + Q(broken));
  EXPECT_EQ(run.status, 1);
  const fs::path json = Write("doc.json", run.out);
  const TRun parsed = RunShell(
      "python3 -c 'import json,sys; d=json.load(open(sys.argv[1], encoding=\"utf-8\")); "
      "print(len(d)); print(d[0][\"comments\"]); print(d[0][\"domain\"]); "
      "print([(\"error\" in e, e.get(\"line\")) for e in d]); print(d[2][\"error\"])' " + Q(json));
  EXPECT_EQ(parsed.status, 0) << parsed.err << run.out;
  EXPECT_EQ(parsed.out,
            "3\n['red \\x1b[31malert\\x1b[0m', 'caf\xef\xbf\xbd \xef\xbf\xbd']\n"
            "{'min': [0, 0, 0], 'max': [2, 2, 2]}\n"
            "[(False, None), (True, None), (True, 1)]\n"
            "read as Cube 3D: 'abc' is not a valid integer value\n")
      << parsed.err;

  // A bound read as a 32-bit float shows, and is written, as it was typed.
  const fs::path spi = Write("log.spi1d", "Version 1\nFrom -0.1 1.1\nLength 2\nComponents 1\n{\n0\n1\n}\n");
  run = Run("info " + Q(spi));
  EXPECT_TRUE(Has(run.out, "Input domain: -0.1 .. 1.1\n")) << run.out << run.err;
  run = Run("convert -q -p cube-1d -o " + Q(Path("out")) + " " + Q(spi));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(ReadText(Path("out/log.cube")), "\nDOMAIN_MIN -0.1 -0.1 -0.1\nDOMAIN_MAX 1.1 1.1 1.1\n"))
      << ReadText(Path("out/log.cube"));
}

// eval prints each colour through the LUT, worked out here from the nodes:
// over the file's domain, through its shaper, with either interpolation.
TEST_F(Tovilut, EvalPrintsColoursThroughTheLut) {
  // Node values 0..7 in red, their squares in green, a constant in blue.
  std::string text = "LUT_3D_SIZE 2\nDOMAIN_MIN -1 -1 -1\nDOMAIN_MAX 3 3 3\n";
  for (int i = 0; i < 8; ++i)  // red fastest
    text += std::to_string(i) + " " + std::to_string(i * i) + " 0.25\n";
  const fs::path wide = Write("wide.cube", text);
  const auto node = [](int r, int g, int b) { return static_cast<double>(r + 2 * g + 4 * b); };
  const auto trilinear = [&](double r, double g, double b) {
    double sum = 0;
    for (int i = 0; i < 8; ++i) {
      const int R = i & 1, G = i >> 1 & 1, B = i >> 2 & 1;
      sum += (R ? r : 1 - r) * (G ? g : 1 - g) * (B ? b : 1 - b) * node(R, G, B);
    }
    return sum;
  };
  // Inputs over -1..3: 0 is a quarter of the way.
  TRun run = Run("eval " + Q(wide) + " 0 1 2 3 3 3");
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  double r, g, b;
  lines >> r >> g >> b;
  EXPECT_NEAR(r, trilinear(0.25, 0.5, 0.75), 1e-12);
  EXPECT_EQ(b, 0.25);
  lines >> r >> g >> b;
  EXPECT_EQ(r, 7);
  EXPECT_EQ(g, 49);

  // On the diagonal, tetrahedral weighs the two ends alone.
  run = Run("eval --interp tetrahedral " + Q(wide) + " 1 1 1");
  EXPECT_EQ(run.out, "3.5 24.5 0.25\n") << run.err;
  run = Run("eval " + Q(wide) + " 1 1 1");
  EXPECT_EQ(run.out, "3.5 17.5 0.25\n") << run.err;

  // stdin with "-", and JSON.
  run = RunShell("(printf '1 1 1\\n-1,-1,-1\\n' | " + std::string(TOVILUT_EXE) + " eval --json " +
                 Q(wide) + " -)");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "[{\"in\":[1,1,1],\"out\":[3.5,17.5,0.25]},{\"in\":[-1,-1,-1],\"out\":[0,0,0.25]}]\n");

  // A shaper halves every input before the cube.
  const fs::path shaped = Write("shaped.cube", "LUT_1D_SIZE 2\nLUT_3D_SIZE 2\n0 0 0\n0.5 0.5 0.5\n" +
                                                   text.substr(text.find("0 0 0.25")));
  run = Run("eval " + Q(shaped) + " 1 0.5 0");
  std::istringstream shapedLine(run.out);
  shapedLine >> r >> g >> b;
  EXPECT_NEAR(r, trilinear(0.5, 0.25, 0), 1e-12) << run.out << run.err;

  run = Run("eval " + Q(Path("missing.cube")) + " 0 0 0");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "missing.cube: Cannot open file")) << run.err;
}

// --interp reaches the resampling of convert and merge: the middle node of
// a 3-point cube from a 2-point one is the mean of the two diagonal ends
// (tetrahedral) or of all eight nodes (trilinear).
TEST_F(Tovilut, InterpolationReachesConvertAndMerge) {
  const fs::path source = Write("s.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 0 0\n0 0 0\n"
                                          "0 0 0\n0 0 0\n0 0 0\n1 1 1\n");
  const struct {
    std::string args;
    fs::path output;
  } commands[] = {
      {"convert -q -s 3 -p cube-resolve -o " + Q(Path("out")), Path("out/s.cube")},
      {"merge -q -s 3 -p cube-resolve -o " + Q(Path("m.cube")), Path("m.cube")},
  };
  for (const auto& c : commands)
    for (const auto& [interp, middle] : {std::pair{"trilinear", 0.25}, std::pair{"tetrahedral", 0.5}}) {
      const TRun run = Run(c.args + " --overwrite --interp " + interp + " " + Q(source));
      ASSERT_EQ(run.status, 0) << c.args << run.err;
      TLUT lut;
      LutRegistry().LoadLut(c.output, lut, -1);
      EXPECT_EQ(lut.Cube(1, 1, 1).R, middle) << c.args << interp;
    }
}

}  // namespace

namespace {

// The process's exit status, stderr and peak resident memory in MB.
struct TMeasuredRun {
  int Status = -1;
  std::string Err;
  long PeakMb = 0;
};

TMeasuredRun RunMeasured(const std::vector<std::string>& args, const fs::path& errFile) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  TMeasuredRun run;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int raw = 0;
    struct rusage usage {};
    ::wait4(pid, &raw, 0, &usage);
    run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.PeakMb = usage.ru_maxrss / 1024;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.Err = ReadText(errFile);
  return run;
}

// The PNG's IHDR made to declare `height` rows, its check sum made to fit.
std::string WithDeclaredHeight(std::string png, std::uint32_t height) {
  for (int i = 0; i < 4; ++i) png[20 + i] = static_cast<char>(height >> (24 - 8 * i));
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  return png;
}

}  // namespace

// Pictures that declare 100 million pixels and hold a few rows, and DPX and
// OpenEXR files that promise more than they hold: apply fails naming the
// picture and what is missing, writes nothing, and never holds the declared
// picture (1.6 GB as samples; a DPX read as if whole would have passed).
TEST_F(Tovilut, ApplyStreamsAndStopsWhereAPictureRunsOut) {
  const fs::path lut = DataFile("cube/identity_2.cube");
  // Four rows of 16-bit RGBA noise (320 kB that do not compress), declared
  // 10000 rows tall: the file could hold that many pixels.
  TDeepPicture rows;
  rows.Width = 10000;
  rows.Height = 4;
  rows.Channels = 4;
  rows.BitsPerSample = 16;
  for (std::size_t i = 0; i < 10000u * 4 * 4; ++i)
    rows.Samples.push_back(static_cast<float>((i * 2654435761u) % 65536) / 65535.0f);
  SaveDeepImage(Path("rows.png"), rows, TImageFileType::Png);
  Write("tall.png", WithDeclaredHeight(ReadWholeFile(Path("rows.png")), 10000));
  TDeepPicture dpx;
  dpx.Width = dpx.Height = 64;
  dpx.BitsPerSample = 10;
  dpx.Samples.assign(64 * 64 * 3, 0.5f);
  SaveDeepImage(Path("whole.dpx"), dpx, TImageFileType::Dpx);
  const std::string whole = ReadWholeFile(Path("whole.dpx"));
  ASSERT_EQ(whole.size(), 2048u + 64 * 64 * 4);  // 10 bits: three samples a word
  Write("cut.dpx", whole.substr(0, 5000));
  std::string far = whole;
  far.replace(4, 4, "\x7F\xFF\xFF\xFF");    // the image data offset
  far.replace(808, 4, "\x7F\xFF\xFF\xFF");  // and the element's own
  Write("far.dpx", far);
  // An attribute that claims 2 GB in a 44-byte file.
  std::string exr("\x76\x2F\x31\x01\x02\0\0\0comments\0string\0\xF0\xFF\xFF\x7F", 28);
  Write("claims.exr", exr + std::string(16, 'x'));
  // Sizes the library does not read by: a data window declared 1 byte long
  // (the library reads 16), and, found by fuzzing, a channel list whose end
  // marker lies past its declared size, after which the library took four
  // bytes of the next attribute's name for a size of 1.6 GB.
  Write("window.exr", exr.substr(0, 8) + std::string("dataWindow\0box2i\0\x01\0\0\0", 21) + std::string(16, 'x'));
  fs::copy_file(DataFile("image/bad/exr_channel_list_past_its_size.exr"), Path("channels.exr"));
  const struct {
    const char* Name;
    const char* Message;
  } cases[] = {
      {"tall.png", "runs out at row 4"},
      {"cut.dpx", "its 64 x 64 pixels need 16384 bytes of image data from byte 2048, the file holds 2952"},
      {"far.dpx", "its image data is said to start at byte 2147483647, past the end of its 18432 bytes"},
      {"claims.exr", "its attribute \"comments\" declares 2147483632 bytes at byte 28, past the end"},
      {"window.exr", "its attribute \"dataWindow\" of type box2i declares a size of 1; that type's size is 16"},
      {"channels.exr", "its channel list \"channels\" does not end where its 55 bytes do"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const fs::path out = Path(std::string("out-") + c.Name);
    const TMeasuredRun run = RunMeasured(
        {TOVILUT_EXE, "apply", lut.string(), Path(c.Name).string(), "-o", out.string()}, Path("err.txt"));
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(Has(run.Err, Path(c.Name).string())) << run.Err;
    EXPECT_TRUE(Has(run.Err, c.Message)) << run.Err;
    EXPECT_FALSE(Has(run.Err, "bad_alloc")) << run.Err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_LT(run.PeakMb, 400);
  }
  // The whole picture still goes through, a strip at a time.
  Write("short.png", WithDeclaredHeight(ReadWholeFile(Path("rows.png")), 4));
  EXPECT_EQ(RunMeasured({TOVILUT_EXE, "apply", lut.string(), Path("short.png").string(), "-o",
                         Path("short-out.png").string()},
                        Path("err.txt"))
                .Status,
            0);
}
