// `tovilut lut2icc` and `tovilut icc2lut` as a user runs them: exit status,
// messages on stderr, and what is (not) written.
#include <sys/wait.h>

#include <cstdlib>

#include "TestSupport.h"
#include "core/FileIO.h"
#include "core/LUTFormat.h"
#include "icc/ICCProfilesForTests.h"
#include "ops/IccConversions.h"
#include "registry/FormatTable.h"

namespace {

class IccCommands : public TempDirTest {
 protected:
  // Runs tovilut with stdin from /dev/null (not a terminal); stderr is kept.
  int Run(const std::string& args) {
    const std::string command = std::string("cd '") + Dir.string() + "' && '" + TOVILUT_EXE + "' " +
                                args + " </dev/null >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    Out = ReadText(Path("out.txt"));
    Err = ReadText(Path("err.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  fs::path WriteCube(const std::string& name, int n) {
    const fs::path file = Path(name);
    LutRegistry().SaveLut(file, MakeCube(n), ProfileNamed("Cube 3D Davinci"), -1);
    return file;
  }
  std::string Out;
  std::string Err;
};

TEST_F(IccCommands, DeviceLinkRoundTrip) {
  WriteCube("grade.cube", 9);
  ASSERT_EQ(Run("lut2icc grade.cube -o grade.icc --class link"), 0) << Err;
  ASSERT_EQ(Run("icc2lut grade.icc -p 'cube 3d davinci' -o back.cube -s 9"), 0) << Err;
  TLUT source, back;
  LutRegistry().LoadLut(Path("grade.cube"), source, -1);
  LutRegistry().LoadLut(Path("back.cube"), back, -1);
  ASSERT_EQ(back.Size3D(), 9);
  for (int r = 0; r < 9; ++r)
    for (int g = 0; g < 9; ++g)
      for (int b = 0; b < 9; ++b)
        EXPECT_NEAR(back.Cube(r, g, b).G, source.Cube(r, g, b).G, 1.5 / 65535);
}

TEST_F(IccCommands, ExistingOutputNeedsOverwrite) {
  WriteCube("grade.cube", 5);
  Write("grade.icc", "keep me");
  EXPECT_EQ(Run("lut2icc grade.cube -o grade.icc"), 1);
  EXPECT_NE(Err.find("--overwrite"), std::string::npos) << Err;
  EXPECT_EQ(ReadText(Path("grade.icc")), "keep me");
  EXPECT_EQ(Run("lut2icc grade.cube -o grade.icc --overwrite --class display"), 0) << Err;
  EXPECT_EQ(ReadText(Path("grade.icc")).substr(36, 4), "acsp");

  Write("out.cube", "keep me");
  EXPECT_EQ(Run("icc2lut grade.icc -p 'cube 3d davinci' -o out.cube"), 1);
  EXPECT_EQ(ReadText(Path("out.cube")), "keep me");
}

// Both commands follow --overwrite and --skip-existing as convert does, the
// Premiere look's companion .cube included.
TEST_F(IccCommands, OverwriteFlagsAsInConvert) {
  WriteCube("grade.cube", 5);
  ASSERT_EQ(Run("lut2icc grade.cube -o grade.icc --class display"), 0) << Err;
  const struct {
    const char* command;
    std::vector<const char*> outputs;
  } commands[] = {
      {"icc2lut grade.icc -p 'Adobe Premiere Look' -o look1.look", {"look1.look", "look1.cube"}},
      {"lut2icc grade.cube -o out.icc", {"out.icc"}},
  };
  for (const auto& c : commands) {
    SCOPED_TRACE(c.command);
    for (const char* out : c.outputs) Write(out, "keep me");
    EXPECT_EQ(Run(c.command), 1);
    EXPECT_NE(Err.find("--overwrite"), std::string::npos) << Err;
    EXPECT_EQ(Run(std::string(c.command) + " --skip-existing"), 0) << Err;
    for (const char* out : c.outputs) EXPECT_EQ(ReadText(Path(out)), "keep me") << out;
    EXPECT_EQ(Run(std::string(c.command) + " --overwrite"), 0) << Err;
    for (const char* out : c.outputs) EXPECT_NE(ReadText(Path(out)), "keep me") << out;
    EXPECT_EQ(Run(std::string(c.command) + " --overwrite --skip-existing"), 2);
  }
}

TEST_F(IccCommands, FailuresAreReportedAndWriteNothing) {
  WriteCube("grade.cube", 5);
  Write("notes.txt", "no LUT here\n");
  Write("junk.icc", "no profile here");
  ASSERT_EQ(Run("lut2icc grade.cube -o link.icc --class link"), 0) << Err;
  ASSERT_EQ(Run("lut2icc grade.cube -o input.icc"), 0) << Err;
  const struct {
    std::string Args;
    int Status;
    std::string Message;
    std::string NotWritten;
  } rows[] = {
      {"lut2icc notes.txt -o notes.icc", 1, "notes.txt: Unknown LUT format.", "notes.icc"},
      {"lut2icc grade.cube -o missing/grade.icc", 1, "Could not write the profile", ""},
      {"lut2icc grade.cube -o x.icc --class printer", 2, "printer", "x.icc"},
      {"lut2icc grade.cube -o x.icc --description ''", 2, "description", "x.icc"},
      {"icc2lut junk.icc -p 'cube 3d davinci' -o x.cube", 1,
       "junk.icc: Cannot open the ICC profile", "x.cube"},
      {"icc2lut absent.icc -p 'cube 3d davinci' -o x.cube", 1, "not found", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube --invert", 1, "cannot be inverted",
       "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube --second absent.icc", 1,
       "absent.icc: No such profile file.", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube -s 1", 2, "at least 2 points", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube -s 0", 2, "at least 2 points", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube --second link.icc", 2,
       "--second cannot be used with a device link", "x.cube"},
      {"icc2lut input.icc -p 'cube 3d davinci' -o x.cube --invert", 1,
       "input.icc: Inversion is impossible for selected ICC profile.\n", "x.cube"},
      {"icc2lut input.icc -p 'cube 3d davinci' -o x.cube --intent colorimetric", 2, "--intent",
       "x.cube"},
      {"lut2icc grade.cube -o x.icc --icc-version 3", 2, "--icc-version", "x.icc"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Run(row.Args), row.Status) << row.Args << "\n" << Err;
    EXPECT_NE(Err.find(row.Message), std::string::npos) << row.Args << "\n" << Err;
    if (!row.NotWritten.empty()) {
      EXPECT_FALSE(fs::exists(Path(row.NotWritten))) << row.Args;
    }
  }
}

// The intent, compensation and inversion options reach the conversion: the
// command writes what the library writes for the same request, titled with
// what made it.
TEST_F(IccCommands, IntentAndBlackPointCompensationOptions) {
  const fs::path tables = SaveTableProfile(Path("tables.icc"), cmsSigDisplayClass);
  const struct {
    std::string Args;
    TICCIntent Intent;
    bool BPC, Invert;
    const char* Title;
  } rows[] = {{"", TICCIntent::Perceptual, false, false,
               "tables.icc with sRGB, forward, perceptual intent, no black point compensation"},
              {"--intent relative --bpc", TICCIntent::RelativeColorimetric, true, false,
               "tables.icc with sRGB, forward, relative intent, black point compensation"},
              {"--intent Saturation --invert", TICCIntent::Saturation, false, true,
               "tables.icc with sRGB, inverted, saturation intent, no black point compensation"},
              {"--intent absolute", TICCIntent::AbsoluteColorimetric, false, false,
               "tables.icc with sRGB, forward, absolute intent, no black point compensation"}};
  for (const auto& row : rows) {
    ASSERT_EQ(
        Run("icc2lut tables.icc -p 'cube 3d davinci' -s 5 -o cli.cube --overwrite " + row.Args), 0)
        << row.Args << "\n"
        << Err;
    TICCTransformRequest request{tables, {}, row.Invert};
    request.Intent = row.Intent;
    request.BlackPointCompensation = row.BPC;
    TFixedConfirm yes;
    ConvertICCToLut(LutRegistry(), request, Path("lib.cube"), ProfileNamed("Cube 3D Davinci"), 5,
                    -1, yes, row.Title);
    EXPECT_EQ(ReadText(Path("cli.cube")), ReadText(Path("lib.cube"))) << row.Args;
    EXPECT_NE(ReadText(Path("cli.cube")).find(std::string("TITLE \"") + row.Title + "\"\n"),
              std::string::npos)
        << ReadText(Path("cli.cube"));
  }
  // A device link has no second profile; a format without titles gets it as
  // its first comment.
  ASSERT_EQ(Run("lut2icc cli.cube --class link -o link.icc"), 0) << Err;
  ASSERT_EQ(Run("icc2lut link.icc --bpc -p 3dl-scratch -o link.3dl"), 0) << Err;
  const std::string written = ReadText(Path("link.3dl"));
  EXPECT_EQ(written.substr(0, written.find('\n')),
            "# TITLE \"link.icc, forward, perceptual intent, black point compensation\"")
      << written;
}

TEST_F(IccCommands, VersionTwoProfilesAndInfo) {
  WriteCube("grade.cube", 5);
  ASSERT_EQ(Run("lut2icc grade.cube -o v2.icc --class display --icc-version 2"), 0) << Err;
  const std::string p = ReadText(Path("v2.icc"));
  EXPECT_EQ(p.substr(8, 2), std::string("\x02\x40", 2));
  EXPECT_EQ(ReadText(Path("v2.icc")).substr(16, 8), "RGB XYZ ");
  ASSERT_EQ(Run("info v2.icc grade.cube"), 0) << Err;
  const std::string profileInfo =
      "v2.icc\n"
      "  Format: ICC profile\n"
      "  Class: Display Device Profile\n"
      "  Color space: RGB\n"
      "  PCS: XYZ\n"
      "  Version: 2.4\n"
      "  Description: grade\n"
      "  Copyright: Copyright (c)\n"
      "  LUT-based tags: A2B0 (lut16), B2A0 (lut16)\n"
      "  Calibration curves (vcgt): none\n";
  EXPECT_EQ(Out.substr(0, profileInfo.size()), profileInfo);
  EXPECT_EQ(Out.substr(profileInfo.size(), 28), "grade.cube\n  Format: Cube 3D");
  Write("broken.icc", std::string(36, 'x') + "acsp" + std::string(88, '\0'));
  EXPECT_EQ(Run("info broken.icc"), 1);
  EXPECT_NE(Err.find("broken.icc: Cannot open the ICC profile"), std::string::npos) << Err;
}

}  // namespace
