#include "ops/BatchConversion.h"

#include <deque>
#include <fstream>

#include "TestSupport.h"
#include "ops/Conversion.h"
#include "registry/FormatTable.h"

namespace {

// Answers questions from a script and records what was asked.
struct TScriptedConfirm : IConfirm {
  std::deque<TConfirmAnswer> Answers;
  std::vector<std::string> Asked;
  TConfirmAnswer Confirm(const std::string& message, bool) override {
    Asked.push_back(message);
    const TConfirmAnswer a = Answers.front();
    Answers.pop_front();
    return a;
  }
};

struct TRecordingProgress : IProgress {
  std::vector<double> Steps;
  int CancelAfter = -1;  // cancel at this many steps
  bool Ended = false;
  std::vector<std::string> Items;
  void SetProgress(double percent) override { Steps.push_back(percent); }
  void SetItem(std::size_t number, std::size_t count, const std::string& name) override {
    Items.push_back(std::to_string(number) + " of " + std::to_string(count) + " " + name);
  }
  bool Cancelled() override { return static_cast<int>(Steps.size()) == CancelAfter; }
  void End() override { Ended = true; }
};

class Batch : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    fs::create_directories(Path("in/a"));
    fs::create_directories(Path("in/b"));
    fs::create_directories(Path("out"));
    const std::string cube = ReadText(DataFile("cube/identity_2.cube"));
    for (const char* f : {"in/a/one.cube", "in/a/two.cube", "in/a/three.cube", "in/b/one.cube"})
      Write(f, cube);
    Write("in/a/bad.cube", ReadText(DataFile("cube/bad/truncated_cube.cube")));
    for (const auto& p : LutRegistry().LutOutputProfiles())
      if (p.Name == "Cube 3D Davinci") Settings.Profile = &p;
    Settings.OutputFolder = Path("out");
    Settings.Size = 5;
  }
  TLutFileRow Row(const std::string& folder, const std::string& name, bool checked = true) {
    return {name, Path(folder).string(), checked, TLutFileEntry{-1, 1, {}}};
  }
  TBatchSettings Settings;
  TScriptedConfirm Confirm;
  TRecordingProgress Progress;
};

TEST_F(Batch, ProgressCountsAllRowsAndSkipsUnchecked) {
  const std::vector<TLutFileRow> rows = {Row("in/a", "one.cube"), Row("in/a", "two.cube", false),
                                         Row("in/a", "three.cube"), Row("in/a", "four.cube", false)};
  EXPECT_EQ(ConvertCheckedFiles(LutRegistry(), rows, Settings, Confirm, Progress),
            TBatchResult::Completed);
  EXPECT_EQ(Progress.Steps, (std::vector<double>{25, 75}));
  // The window's "N of M" counts the checked rows only.
  EXPECT_EQ(Progress.Items, (std::vector<std::string>{"1 of 2 one.cube", "2 of 2 three.cube"}));
  EXPECT_TRUE(Progress.Ended);
  EXPECT_TRUE(fs::exists(Path("out/one.cube")));
  EXPECT_FALSE(fs::exists(Path("out/two.cube")));
  EXPECT_TRUE(fs::exists(Path("out/three.cube")));
}

TEST_F(Batch, OverwriteQuestionNoSkipsCancelStops) {
  const std::vector<TLutFileRow> rows = {Row("in/a", "one.cube"), Row("in/a", "two.cube"),
                                         Row("in/a", "three.cube")};
  Write("out/two.cube", "keep\n");
  Write("out/three.cube", "keep too\n");
  Confirm.Answers = {TConfirmAnswer::No, TConfirmAnswer::Cancel};
  EXPECT_EQ(ConvertCheckedFiles(LutRegistry(), rows, Settings, Confirm, Progress),
            TBatchResult::Cancelled);
  ASSERT_EQ(Confirm.Asked.size(), 2u);
  EXPECT_EQ(Confirm.Asked[0], "The " + Path("out/two.cube").string() +
                                  " file is already exist. Are you sure want you to overwrite it?");
  EXPECT_TRUE(fs::exists(Path("out/one.cube")));
  EXPECT_EQ(ReadText(Path("out/two.cube")), "keep\n");
  EXPECT_EQ(ReadText(Path("out/three.cube")), "keep too\n");
  EXPECT_EQ(Progress.Steps, (std::vector<double>{100.0 / 3}));
}

// Outputs of one batch never replace each other or one of its inputs,
// whatever the answers: refused before anything is written.
TEST_F(Batch, OutputsNeverReplaceEachOtherOrAnInput) {
  const TLutOutputProfile* look = nullptr;
  for (const auto& p : LutRegistry().LutOutputProfiles())
    if (p.Name == "Adobe Premiere Look") look = &p;
  ASSERT_NE(look, nullptr);
  const struct {
    const char* Name;
    std::vector<TLutFileRow> Rows;
    std::string Folder;
    const TLutOutputProfile* Profile;
    const char* Says;
  } cases[] = {
      {"one name from two folders", {Row("in/a", "two.cube"), Row("in/b", "one.cube"), Row("in/a", "one.cube")},
       "out", Settings.Profile, "would both be written to"},
      {"into the input's folder", {Row("in/a", "one.cube")}, "in/a", Settings.Profile,
       "would write over the input"},
      {"the same folder spelt another way", {Row("in/a", "one.cube")}, "in/b/../a", Settings.Profile,
       "would write over the input"},
      {"the look's cube over its source", {Row("in/a", "one.cube")}, "in/a", look,
       "would write over the input"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Settings.OutputFolder = Path(c.Folder);
    Settings.Profile = c.Profile;
    Confirm.Answers = {TConfirmAnswer::Yes, TConfirmAnswer::Yes};
    try {
      ConvertCheckedFiles(LutRegistry(), c.Rows, Settings, Confirm, Progress);
      ADD_FAILURE() << "not refused";
    } catch (const EBatchError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
    }
    EXPECT_TRUE(Confirm.Asked.empty());
    EXPECT_EQ(ReadText(Path("in/a/one.cube")), ReadText(DataFile("cube/identity_2.cube")));
  }
  EXPECT_FALSE(fs::exists(Path("out/two.cube")));
  EXPECT_FALSE(fs::exists(Path("out/one.cube")));
}

// A file that another writer puts at the output while the batch works on it
// is reported, not replaced: only an existing file the user approved is.
TEST_F(Batch, AnOutputThatAppearsMeanwhileIsNotReplaced) {
  struct TRacingProgress : TRecordingProgress {
    fs::path Target;
    void SetProgress(double percent) override {
      TRecordingProgress::SetProgress(percent);
      std::ofstream(Target) << "the other writer's\n";
    }
  } racing;
  racing.Target = Path("out/one.cube");
  std::string error;
  Settings.OnError = [&](const TLutFileRow&, const std::exception& e) {
    error = e.what();
    return true;
  };
  EXPECT_EQ(ConvertCheckedFiles(LutRegistry(), {Row("in/a", "one.cube")}, Settings, Confirm, racing),
            TBatchResult::Completed);
  EXPECT_NE(error.find("already exists"), std::string::npos) << error;
  EXPECT_EQ(ReadText(Path("out/one.cube")), "the other writer's\n");
}

TEST_F(Batch, CancelBetweenFilesKeepsEarlierOutputs) {
  const std::vector<TLutFileRow> rows = {Row("in/a", "one.cube"), Row("in/a", "two.cube"),
                                         Row("in/a", "three.cube")};
  Progress.CancelAfter = 2;
  EXPECT_EQ(ConvertCheckedFiles(LutRegistry(), rows, Settings, Confirm, Progress),
            TBatchResult::Cancelled);
  EXPECT_TRUE(fs::exists(Path("out/one.cube")));
  EXPECT_FALSE(fs::exists(Path("out/two.cube")));
}

TEST_F(Batch, AnErrorStopsTheBatchThereUnlessHandled) {
  const std::vector<TLutFileRow> rows = {Row("in/a", "one.cube"), Row("in/a", "bad.cube"),
                                         Row("in/a", "three.cube")};
  EXPECT_THROW(ConvertCheckedFiles(LutRegistry(), rows, Settings, Confirm, Progress), ELUTError);
  EXPECT_TRUE(Progress.Ended);
  EXPECT_TRUE(fs::exists(Path("out/one.cube")));
  EXPECT_FALSE(fs::exists(Path("out/bad.cube")));
  EXPECT_FALSE(fs::exists(Path("out/three.cube")));

  std::vector<std::string> failed;
  Settings.OnError = [&](const TLutFileRow& row, const std::exception&) {
    failed.push_back(row.FileName);
    return true;
  };
  Confirm.Answers = {TConfirmAnswer::Yes};
  EXPECT_EQ(ConvertCheckedFiles(LutRegistry(), rows, Settings, Confirm, Progress),
            TBatchResult::Completed);
  EXPECT_EQ(failed, std::vector<std::string>{"bad.cube"});
  EXPECT_TRUE(fs::exists(Path("out/three.cube")));
}

TEST_F(Batch, AWriteFaultStopsTheBatchAndLeavesNoTemporaryFile) {
  // An output name taken by a folder: the write of that file fails.
  fs::create_directory(Path("out/two.cube"));
  const std::vector<TLutFileRow> rows = {Row("in/a", "one.cube"), Row("in/a", "two.cube"),
                                         Row("in/a", "three.cube")};
  Confirm.Answers = {TConfirmAnswer::Yes};
  EXPECT_THROW(ConvertCheckedFiles(LutRegistry(), rows, Settings, Confirm, Progress), EFileError);
  EXPECT_TRUE(Progress.Ended);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(Path("out"))) left.push_back(e.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"one.cube", "two.cube"}));
  EXPECT_TRUE(fs::is_directory(Path("out/two.cube")));
  EXPECT_TRUE(fs::is_empty(Path("out/two.cube")));
}

TEST_F(Batch, RowsAreReadAtTheirDepthAndSizesBelowTwoAreRefused) {
  // A 3DL whose codes stay below 1024 under a 10-bit shaper: 10-bit codes by
  // default, 12-bit ones when the row says so.
  Write("in/a/codes.3dl", "0 1023\n0 0 0\n0 0 1023\n0 1023 0\n0 1023 1023\n"
                          "1023 0 0\n1023 0 1023\n1023 1023 0\n1023 1023 1023\n");
  TLutFileRow row = Row("in/a", "codes.3dl");
  row.Entry->BitsPerValue = 12;
  Settings.Size = 2;
  ConvertCheckedFiles(LutRegistry(), {row}, Settings, Confirm, Progress);
  TLUT back;
  LutRegistry().LoadLut(Path("out/codes.cube"), back, -1);
  EXPECT_NEAR(back.Cube(1, 1, 1).R, 1023.0 / 4095, 1e-6);
  // The next read without a depth works the depth out again: nothing carried over.
  TFixedConfirm yes;
  ConvertCheckedFiles(LutRegistry(), {Row("in/a", "codes.3dl")}, Settings, yes, Progress);
  LutRegistry().LoadLut(Path("out/codes.cube"), back, -1);
  EXPECT_NEAR(back.Cube(1, 1, 1).R, 1.0, 1e-6);

  Settings.Size = 1;
  EXPECT_THROW(ConvertCheckedFiles(LutRegistry(), {Row("in/a", "two.cube")}, Settings, Confirm,
                                   Progress),
               ELUTSizeError);
  EXPECT_FALSE(fs::exists(Path("out/two.cube")));
}

}  // namespace
