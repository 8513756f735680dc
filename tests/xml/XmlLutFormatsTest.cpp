#include "xml/XmlLutFormats.h"

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
#include "core/StringLib.h"
#include "registry/FormatTable.h"

namespace {

using XmlLutFormats = TempDirTest;

template <typename TFormat>
int IndexOf() {
  return LutRegistry().IndexOf(typeid(TFormat));
}

std::string ErrorOf(TLUTFormat& format, const fs::path& file) {
  TLUT lut;
  try {
    format.Read(file, lut, {});
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

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

TEST_F(XmlLutFormats, FixturesAreDetectedAndRead) {
  struct {
    const char* file;
    int format;
  } fixtures[] = {{"xml/clipster_10bit.txt", IndexOf<TClipster3DLutFormat>()},
                  {"xml/stwo_3.swto.xml", IndexOf<TStwo1DLutFormat>()},
                  {"xml/pfclean_8bit.pfl", IndexOf<TPFClean3D_Format>()}};
  for (const auto& f : fixtures) EXPECT_EQ(LutRegistry().DetectLutFormat(DataFile(f.file)), f.format) << f.file;
  // An Academy CLF process list is not a Clipster cube.
  const fs::path clf = Write("look.clf",
                             "<?xml version=\"1.0\"?>\n<ProcessList id=\"a\" compCLFversion=\"3\">\n"
                             "<LUT3D inBitDepth=\"32f\" outBitDepth=\"32f\">\n<Array dim=\"2 2 2 3\">\n" +
                                 std::string(24 * 2, ' ') + "\n</Array>\n</LUT3D>\n</ProcessList>\n");
  EXPECT_NE(LutRegistry().DetectLutFormat(clf), IndexOf<TClipster3DLutFormat>());

  TLUT clipster;
  LutRegistry().LoadLut(DataFile("xml/clipster_10bit.txt"), clipster, -1);
  EXPECT_EQ(clipster.LutType, lt3D);
  ASSERT_EQ(clipster.Size3D(), 2);
  EXPECT_EQ(clipster.Comments, std::vector<std::string>{"Name: grade"});
  EXPECT_EQ(clipster.Cube(0, 0, 0), (TLutRGB{1.0, 0.0, 512 / 1023.0}));
  EXPECT_EQ(clipster.Cube(0, 0, 1), (TLutRGB{0.0, 0.0, 1.0}));  // blue fastest
  EXPECT_EQ(clipster.Cube(1, 0, 0), (TLutRGB{1.0, 0.0, 0.0}));   // blank and bad lines skipped
  EXPECT_EQ(clipster.Cube(1, 1, 1), (TLutRGB{1.0, 1.0, 1.0}));   // the extra line ignored

  TLUT stwo;
  LutRegistry().LoadLut(DataFile("xml/stwo_3.swto.xml"), stwo, -1);
  EXPECT_EQ(stwo.LutType, lt1D);
  ASSERT_EQ(stwo.Size1D(), 3);  // ELEM counts, other children do not
  EXPECT_EQ(stwo.Curve(1), (TLutRGB{512 / 1023.0, 512 / 1023.0, 512 / 1023.0}));
  EXPECT_EQ(stwo.Curve(2), (TLutRGB{1.0, 1.0, 1000 / 1023.0}));

  TLUT pfclean;
  LutRegistry().LoadLut(DataFile("xml/pfclean_8bit.pfl"), pfclean, -1);
  ASSERT_EQ(pfclean.Size3D(), 2);
  EXPECT_EQ(pfclean.Cube(0, 0, 0), (TLutRGB{1.0, 128 / 255.0, 0.0}));
  EXPECT_EQ(pfclean.Cube(0, 0, 1), (TLutRGB{0.0, 0.0, 1.0}));
}

TEST_F(XmlLutFormats, WrittenLinesAndNodeOrder) {
  TLUT cube = MakeCube(17);
  cube.Cube(0, 0, 1) = {0.5, 1.7, -0.1};
  TClipster3DLutFormat clipster;
  clipster.Write(Path("my grade.txt"), cube, {16});
  const auto lines = Lines(ReadText(Path("my grade.txt")));
  ASSERT_EQ(lines.size(), 17u * 17 * 17 + 4);
  EXPECT_EQ(lines[0], "<LUT3D name='my grade' N='17' BitDepth='16'>");
  EXPECT_EQ(lines[1], "<values>");
  EXPECT_EQ(lines[2], FormatCodeValue(16, cube.Cube(0, 0, 0).R) + " " +
                          FormatCodeValue(16, cube.Cube(0, 0, 0).G) + " " +
                          FormatCodeValue(16, cube.Cube(0, 0, 0).B));
  EXPECT_EQ(lines[3], "32768 65535 0");  // node (0, 0, 1), clamped codes
  EXPECT_EQ(lines[lines.size() - 2], "</values>");
  EXPECT_EQ(lines.back(), "</LUT3D>");

  // A name that would end the tag early is written as entities.
  clipster.Write(Path("a>b.txt"), cube, {16});
  EXPECT_EQ(Lines(ReadText(Path("a>b.txt")))[0], "<LUT3D name='a&gt;b' N='17' BitDepth='16'>");
  TLUT back;
  clipster.Read(Path("a>b.txt"), back, {});
  EXPECT_EQ(back.Size3D(), 17);

  TPFClean3D_Format pfclean;
  pfclean.Write(Path("p.pfl"), MakeCube(2), {8});
  const auto pfl = Lines(ReadText(Path("p.pfl")));
  ASSERT_EQ(pfl.size(), 8u + 7);
  EXPECT_EQ(pfl[0], "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
  EXPECT_EQ(pfl[1], "<lut type=\"ascii\">");
  EXPECT_EQ(pfl[2], "<maximum>255</maximum>");
  EXPECT_EQ(pfl[3], "<size>2</size>");
  EXPECT_EQ(pfl[4], "<cube>");
  EXPECT_EQ(pfl[13], "</cube>");
  EXPECT_EQ(pfl[14], "</lut>");

  TLUT curves;
  curves.LutType = lt1D;
  curves.SetSize1D(2);
  curves.Curve(0) = {0.0, 0.5, 1.0};
  curves.Curve(1) = {1.0, 1.0, 1.0};
  TStwo1DLutFormat stwo;
  stwo.Write(Path("grade.swto.xml"), curves, {10});
  EXPECT_EQ(ReadText(Path("grade.swto.xml")),
            "<?xml version=\"1.0\"?>\n<lut name=\"grade.swto\">\n<data>\n"
            "<elem r=\"0\" g=\"512\" b=\"1023\"/>\n<elem r=\"1023\" g=\"1023\" b=\"1023\"/>\n"
            "</data>\n</lut>\n");
}

TEST_F(XmlLutFormats, SizesAndScalesAreCheckedBeforeData) {
  const std::string values = "<values>\n0 0 0\n</values></LUT3D>";
  struct {
    std::string text;
    std::string message;
  } clipsterCases[] = {
      {"<LUT3D name='x' BitDepth='10'>" + values, "The LUT3D element declares no size (its N attribute is missing)."},
      {"<LUT3D N='101' BitDepth='10'>" + values,
       "The current version cannot process LUTs more than 100x100x100.\r\nIn general, 64x64x64 is definitely enough for 3D LUTs."},
      {"<LUT3D N='1' BitDepth='10'>" + values, "Invalid cube size 1: a 3D LUT needs at least 2 points per axis."},
      {"<LUT3D N='2'>" + values, "Invalid BitDepth '': expected 1 to 32 bits."},
      {"<LUT3D N='2' BitDepth='10'>" + values, "Incomplete file."},
      {"<LUT3D N='2' BitDepth='10'></LUT3D>", "The \"values\" node is not found"},
      {"<LUT3DX N='2'/> <LUT3D", "The \"LUT3D\" node is not found"},
  };
  TClipster3DLutFormat clipster;
  for (const auto& c : clipsterCases) EXPECT_EQ(ErrorOf(clipster, Write("c.txt", c.text)), c.message) << c.text;

  struct {
    std::string text;
    std::string message;
  } pfcleanCases[] = {
      {"<lut><maximum>255</maximum><cube></cube></lut>", "The \"size\" node is not found"},
      {"<lut><size>200</size><maximum>255</maximum><cube></cube></lut>",
       "The current version cannot process LUTs more than 100x100x100.\r\nIn general, 64x64x64 is definitely enough for 3D LUTs."},
      {"<lut><size>2</size><maximum>0</maximum><cube></cube></lut>", "Invalid maximum code '0': expected 1 or more."},
      {"<lut><size>two</size><maximum>9</maximum><cube></cube></lut>", "'two' is not a valid floating point value"},
      {"<lut><size>2</size><maximum>9</maximum><cube>1 2 3</cube></lut>", "Incomplete file."},
  };
  TPFClean3D_Format pfclean;
  for (const auto& c : pfcleanCases) EXPECT_EQ(ErrorOf(pfclean, Write("p.pfl", c.text)), c.message) << c.text;
}

TEST_F(XmlLutFormats, StwoEntryCountLimits) {
  auto document = [](int entries, const char* name) {
    std::string text = "<lut><data>\n";
    for (int i = 0; i < entries; ++i)
      text += std::string("<") + name + " r=\"" + std::to_string(i % 1024) + "\" g=\"0\" b=\"1023\"/>\n";
    return text + "</data></lut>\n";
  };
  TStwo1DLutFormat stwo;
  TLUT lut;
  stwo.Read(Write("a.xml", document(1024, "Elem")), lut, {});
  ASSERT_EQ(lut.Size1D(), 1024);
  EXPECT_EQ(lut.Curve(1023).R, 1.0);
  EXPECT_EQ(ErrorOf(stwo, Write("b.xml", document(100001, "elem"))),
            "The current version cannot process 1D LUTs longer than 100000 entries.");
  EXPECT_EQ(ErrorOf(stwo, Write("c.xml", document(0, "elem"))),
            "Invalid curve length 0: a 1D LUT needs at least 2 entries.");
  EXPECT_EQ(ErrorOf(stwo, Write("d.xml", "<lut><elem/></lut>")), "The \"data\" node is not found");
}

}  // namespace
