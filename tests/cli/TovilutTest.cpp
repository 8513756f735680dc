// The command line as a user runs it: real processes, real files, exit codes.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "TestSupport.h"
#include "cli/TovilutRun.h"
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
  EXPECT_TRUE(Has(run.err, "bright.cube: warning: 358 values outside 0..1 (from 0 to 1.2) were clipped."))
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
  const struct {
    std::string args;
    fs::path output;
  } commands[] = {
      {"convert -p cube-resolve -o " + Q(Path("out")) + " " + lut, taken},
      {"merge -p cube-resolve -o " + Q(taken) + " " + lut, taken},
      {"icc2lut " + Q(icc) + " -p cube-resolve -o " + Q(taken), taken},
      {"lut2icc " + lut + " -o " + Q(taken), taken},
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
      EXPECT_TRUE(Has(results[0][1], "hot.cube: warning: 605 values outside 0..1 (from 0 to 1.5)"))
          << results[0][1];
      EXPECT_EQ(Has(results[0][0], "hot.3dl: largest difference"), verify) << results[0][0];
    }
}

}  // namespace
