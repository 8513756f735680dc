#include "xml/LookFormats.h"

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
#include "registry/FormatTable.h"

namespace {

using LookFormats = TempDirTest;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    lines.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return lines;
}

std::string Look(const std::string& lut) {
  return "<?xml version=\"1.0\" ?>\n<look>\n  <shaders>\n  </shaders>\n" + lut + "</look>\n";
}

TEST(HexFloat, EncodingAndTolerantDecoding) {
  EXPECT_EQ(FloatToHex(1.0), "0000803F");
  EXPECT_EQ(FloatToHex(0.5), "0000003F");
  EXPECT_EQ(FloatToHex(0.0), "00000000");
  EXPECT_EQ(FloatToHex(-2.0), "000000C0");
  struct {
    std::string text;
    double value;
    std::size_t end;
  } cases[] = {
      {"0000803F", 1.0, 8},
      {"0000803f", 1.0, 8},
      {"\"  0000\n  80 3F\"", 1.0, 15},
      {"0000C07F", 0.0, 8},  // a NaN reads as 0
      {"000080", std::ldexp(1.0, -126), 6},  // cut short: missing digits count as 0
      {"0000803", std::ldexp(1.0, -30), 7},  // bytes 00 00 80 30
      {"00000040xx", 2.0, 8},
  };
  for (const auto& c : cases) {
    std::size_t pos = 0;
    EXPECT_EQ(ReadHexFloat(c.text, pos), c.value) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

TEST_F(LookFormats, SpeedGradeDataLinesAndClosingQuote) {
  TSpeedgradeLook3DLutFormat format;
  struct {
    int size;
    std::size_t fullLines;
    std::size_t lastDigits;
  } cases[] = {{8, 192, 64}, {17, 1842, 24}};
  for (const auto& c : cases) {
    TLUT cube;
    cube.LutType = lt3D;
    cube.SetSize3D(c.size);
    cube.FillIdentity3D();
    const fs::path file = Path("g" + std::to_string(c.size) + ".look");
    format.Write(file, cube, {16});
    const auto lines = Lines(ReadText(file));
    const std::size_t dataLines = c.fullLines + (c.lastDigits < 64 ? 1 : 0);
    ASSERT_EQ(lines.size(), 16 + dataLines + 3) << c.size;
    EXPECT_EQ(lines[13], "  <LUT>");
    EXPECT_EQ(lines[14], "    <size>\"" + std::to_string(c.size) + "\"</size>");
    EXPECT_EQ(lines[15], "    <data>\"");
    // Node (0,0,0), then the red value of node (1,0,0): red runs fastest.
    EXPECT_EQ(lines[16], "      " + std::string(24, '0') + FloatToHex(1.0 / (c.size - 1)) +
                             "00000000" "00000000" + FloatToHex(2.0 / (c.size - 1)) +
                             "00000000");
    for (std::size_t i = 16; i < 16 + dataLines - 1; ++i) ASSERT_EQ(lines[i].size(), 6u + 64) << i;
    const std::string& last = lines[16 + dataLines - 1];
    EXPECT_EQ(last.size(), 6 + c.lastDigits + 1);
    EXPECT_EQ(last.back(), '"');
    EXPECT_EQ(last.substr(last.size() - 9, 8), FloatToHex(1.0));
    EXPECT_EQ(lines[16 + dataLines], "    </data>");
    EXPECT_EQ(lines[16 + dataLines + 1], "</LUT>");
    EXPECT_EQ(lines[16 + dataLines + 2], "</look>");

    TLUT back;
    format.Read(file, back, {});
    ASSERT_EQ(back.LutType, lt3D);
    ASSERT_EQ(back.Size3D(), c.size);
    EXPECT_EQ(back.Cube(c.size - 1, 1, 0).R, 1.0);
    EXPECT_EQ(back.Cube(3, 2, 1).G, static_cast<float>(2.0 / (c.size - 1)));
  }
  const auto lines = Lines(ReadText(Path("g8.look")));
  const std::vector<std::string> head(lines.begin(), lines.begin() + 13);
  EXPECT_EQ(head, (std::vector<std::string>{
                      "<?xml version=\"1.0\" ?>", "<look>", "  <shaders>", "    <shader>",
                      "      <name>\"LUT\"</name>", "      <visible>\"1\"</visible>",
                      "      <opacity>\"1\"</opacity>", "      <mask>\"0\"</mask>",
                      "      <vectormask>\"0\"</vectormask>", "      <parameters>",
                      "      </parameters>", "    </shader>", "  </shaders>"}));
}

TEST_F(LookFormats, SpeedGradeReadingRules) {
  TSpeedgradeLook3DLutFormat format;
  // Lower case, any wrapping, size without quotes, the LUT element in any case.
  std::string data;
  for (int i = 0; i < 8; ++i) data += "0000803f 0000003f\n00000000 ";
  TLUT lut;
  format.Read(Write("a.look", Look("<lut><size>2</size><data>" + data + "</data></lut>")), lut, {});
  ASSERT_EQ(lut.LutType, lt3D);
  EXPECT_EQ(lut.Cube(1, 1, 1), (TLutRGB{1.0, 0.5, 0.0}));

  struct {
    std::string text;
    std::string outcome;
  } cases[] = {
      {Look(""), "empty"},
      {Look("<LUT><size>\"0\"</size><data>\"\"</data></LUT>"), "empty"},
      {"<look><LUT><size>\"2\"</size></LUT></look>", "The \"data\" node is not found"},
      {Look("<LUT><data/></LUT>"), "The \"size\" node is not found"},
      {Look("<LUT><size>\"two\"</size><data/></LUT>"), "'two' is not a valid integer value"},
      {Look("<LUT><size>\"101\"</size><data/></LUT>"),
       "The current version cannot process LUTs more than 100x100x100.\r\nIn general, 64x64x64 is definitely enough for 3D LUTs."},
      {Look("<LUT><size>\"2\"</size><data>\"" + std::string(8 * 24 - 1, '0') + "\"</data></LUT>"),
       "Incomplete file."},
  };
  for (const auto& c : cases) {
    TLUT record;
    std::string outcome;
    try {
      format.Read(Write("b.look", c.text), record, {});
      outcome = record.LutType == ltEmpty ? "empty" : "read";
    } catch (const std::exception& e) {
      outcome = e.what();
    }
    EXPECT_EQ(outcome, c.outcome) << c.text;
  }
}

// Answers from a script and keeps the questions asked.
class TScriptedConfirm : public IConfirm {
 public:
  explicit TScriptedConfirm(std::vector<TConfirmAnswer> answers) : Answers(std::move(answers)) {}
  TConfirmAnswer Confirm(const std::string& message, bool) override {
    Questions.push_back(message);
    TConfirmAnswer a = Answers.front();
    Answers.erase(Answers.begin());
    return a;
  }
  std::vector<TConfirmAnswer> Answers;
  std::vector<std::string> Questions;
};

TEST_F(LookFormats, PremiereLookWritesItsCubeBeside) {
  TSpeedgradeLook3DLutV2Format premiere;
  const TLUT cube = MakeCube(32);
  const fs::path look = Path("grade.look");
  premiere.Write(look, cube, {0});
  const auto lines = Lines(ReadText(look));
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[9], "      <parameters>");
  EXPECT_EQ(lines[10], "          <LUT>\"grade.cube\"</LUT>");
  EXPECT_EQ(lines[11], "      </parameters>");
  EXPECT_EQ(lines[14], "</look>");
  // The cube is the Cube 3D format's, and the look reads as that cube; without
  // the cube it is refused, never read as an empty look.
  const TLutRegistry& registry = LutRegistry();
  TLUT back;
  registry.LoadLut(Path("grade.cube"), back, -1);
  EXPECT_EQ(registry.GetLutFormat(back.FormatIndex)->Name, "Cube 3D");
  EXPECT_EQ(back.Size3D(), 32);
  EXPECT_NEAR(back.Cube(31, 5, 9).G, cube.Cube(31, 5, 9).G, 5e-7);
  EXPECT_FALSE(premiere.Detect(look));
  registry.LoadLut(look, back, -1);
  EXPECT_EQ(back.FormatIndex, registry.IndexOf(typeid(TSpeedgradeLook3DLutFormat)));
  EXPECT_EQ(back.LutType, lt3D);
  EXPECT_NEAR(back.Cube(31, 5, 9).G, cube.Cube(31, 5, 9).G, 5e-7);
  fs::remove(Path("grade.cube"));
  EXPECT_THROW(registry.LoadLut(look, back, -1), ELUTError);
}

TEST_F(LookFormats, PremiereLookAsksBeforeReplacingTheCube) {
  TSpeedgradeLook3DLutV2Format premiere;
  const fs::path look = Path("grade.look");
  const fs::path cube = Write("grade.cube", "precious");

  // Nobody to ask: refused, nothing written.
  EXPECT_THROW(premiere.Write(look, MakeCube(4), {0}), EFileError);
  EXPECT_EQ(ReadText(cube), "precious");
  EXPECT_FALSE(fs::exists(look));

  for (const TConfirmAnswer declined : {TConfirmAnswer::No, TConfirmAnswer::Cancel}) {
    TScriptedConfirm confirm({declined});
    EXPECT_THROW(premiere.Write(look, MakeCube(4), {0, &confirm}), EOutputKept);
    EXPECT_EQ(confirm.Questions, std::vector<std::string>{"The " + cube.string() +
                                                          " file is already exist. Are you sure want you to overwrite it?"});
    EXPECT_EQ(ReadText(cube), "precious");
    EXPECT_FALSE(fs::exists(look));
  }

  TScriptedConfirm yes({TConfirmAnswer::Yes});
  premiere.Write(look, MakeCube(4), {0, &yes});
  EXPECT_NE(ReadText(cube).find("LUT_3D_SIZE 4"), std::string::npos);
  EXPECT_TRUE(fs::exists(look));
}

}  // namespace
