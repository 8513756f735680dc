// `tovilut lut2icc` and `tovilut icc2lut` as a user runs them: exit status,
// messages on stderr, and what is (not) written.
#include <sys/wait.h>

#include <cstdlib>

#include "TestSupport.h"
#include "core/FileIO.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

namespace {

class IccCommands : public TempDirTest {
 protected:
  // Runs tovilut with stdin from /dev/null (not a terminal); stderr is kept.
  int Run(const std::string& args) {
    const std::string command = std::string("cd '") + Dir.string() + "' && '" + TOVILUT_EXE + "' " +
                                args + " </dev/null >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    Err = ReadText(Path("err.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  fs::path WriteCube(const std::string& name, int n) {
    const fs::path file = Path(name);
    LutRegistry().SaveLut(file, MakeCube(n), ProfileNamed("Cube 3D Davinci"), -1);
    return file;
  }
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
      {"icc2lut junk.icc -p 'cube 3d davinci' -o x.cube", 1, "junk.icc: Cannot open the ICC profile", "x.cube"},
      {"icc2lut absent.icc -p 'cube 3d davinci' -o x.cube", 1, "not found", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube --invert", 1, "cannot be inverted", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube --second absent.icc", 1,
       "absent.icc: No such profile file.", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube -s 1", 2, "at least 2 points", "x.cube"},
      {"icc2lut link.icc -p 'cube 3d davinci' -o x.cube -s 0", 2, "at least 2 points", "x.cube"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Run(row.Args), row.Status) << row.Args << "\n" << Err;
    EXPECT_NE(Err.find(row.Message), std::string::npos) << row.Args << "\n" << Err;
    if (!row.NotWritten.empty()) {
      EXPECT_FALSE(fs::exists(Path(row.NotWritten))) << row.Args;
    }
  }
}

}  // namespace
