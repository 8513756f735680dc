#include "core/TextFile.h"

#include <vector>

#include "TestSupport.h"
#include "core/Errors.h"

using TextFileTest = TempDirTest;

TEST_F(TextFileTest, LineBreaksNulAndByteOrderMark) {
  TTextFile text;
  text.LoadFromFile(Write("a.txt", std::string("\xEF\xBB\xBFone\r\ntwo\rthree\n\nfour") +
                                       std::string(1, '\0') + "ignored\n"));
  ASSERT_EQ(text.Count(), 5u);
  EXPECT_EQ(text[0], "one");
  EXPECT_EQ(text[1], "two");
  EXPECT_EQ(text[2], "three");
  EXPECT_EQ(text[3], "");
  EXPECT_EQ(text[4], "four");

  // Every mix of breaks cuts the same lines; a final break adds no empty line.
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"\r\r\n\n", {"", "", ""}},
      {"a\r\rb\r\n", {"a", "", "b"}},
      {"\r\nx\n\ny", {"", "x", "", "y"}},
  };
  for (const auto& c : cases) {
    text.SetText(c.text);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < text.Count(); ++i) lines.emplace_back(text[i]);
    EXPECT_EQ(lines, c.lines) << c.text;
  }
  // Lines added after a loaded last line without a break stay lines of their own.
  text.SetText("a\r\nb");
  text.Add("c");
  ASSERT_EQ(text.Count(), 3u);
  EXPECT_EQ(text[1], "b");
  EXPECT_EQ(text[2], "c");
  TTextFile built;
  built.Add("x");
  built.Add("");
  built.AddFilled([](std::string& out) { out += "y z"; });
  ASSERT_EQ(built.Count(), 3u);
  EXPECT_EQ(built[1], "");
  EXPECT_EQ(built[2], "y z");
  EXPECT_EQ(built.Text(), "x\n\ny z\n");
}

TEST_F(TextFileTest, ATextOfMoreLinesThanAnyLutIsRefused) {
  TTextFile text;
  text.SetText(std::string(MaxTextLines, '\n'));
  EXPECT_EQ(text.Count(), MaxTextLines);
  EXPECT_THROW(text.SetText(std::string(MaxTextLines + 1, '\n')), ELUTSizeError);
  EXPECT_EQ(text.Count(), 0u);
}

TEST_F(TextFileTest, SaveWritesLfAfterEveryLineAndReplacesAtomically) {
  TTextFile text;
  text.Add("first");
  text.Add("");
  text.Add("last");
  const fs::path file = Write("out.txt", "old content that is longer than the new one\r\n");
  text.SaveToFile(file);
  EXPECT_EQ(ReadText(file), "first\n\nlast\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 1);
}

TEST_F(TextFileTest, OpenAndCreateErrorsNameTheFile) {
  TTextFile text;
  try {
    text.LoadFromFile(Path("missing.cube"));
    FAIL();
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.cube"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos);
  }
  text.Add("x");
  EXPECT_THROW(text.SaveToFile(Path("no-folder/out.txt")), EFileError);
}

TEST_F(TextFileTest, MatchKeywordsLooksAtTheFirst4096BytesOnly) {
  const fs::path near = Write("near.txt", "# lut_3d_size in lower case\n");
  EXPECT_TRUE(MatchKeywords(near, "LUT_3D_SIZE", ""));
  EXPECT_FALSE(MatchKeywords(near, "LUT_3D_SIZE", "nucoda_3d_cube,LOWER CASE"));
  EXPECT_TRUE(MatchKeywords(near, "", "NOTHERE"));
  EXPECT_FALSE(MatchKeywords(near, "LUT_3D_SIZE,ABSENT", ""));
  const fs::path far = Write("far.txt", std::string(4090, ' ') + "LUT_3D_SIZE 2\n");
  EXPECT_FALSE(MatchKeywords(far, "LUT_3D_SIZE", ""));
}
