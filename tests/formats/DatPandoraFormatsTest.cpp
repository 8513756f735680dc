#include "formats/DatPandoraFormats.h"

#include <functional>

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/LUTFormat.h"
#include "formats/FsiDitFormat.h"
#include "registry/FormatTable.h"

namespace {

// The message of what fn raises, or "no exception".
std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no exception";
}

// `count` float triples, the k-th holding k/1000, k/100 and k/10.
std::string Triples(int count, const char* separator = " ") {
  std::string text;
  for (int k = 0; k < count; ++k)
    text += std::to_string(k / 1000.0) + separator + std::to_string(k / 100.0) + separator +
            std::to_string(k / 10.0) + "\n";
  return text;
}

// `count` Pandora entry lines: entry number, then codes k, 2k, 3k.
std::string Entries(int count) {
  std::string text;
  for (int k = 0; k < count; ++k)
    text += std::to_string(k) + "\t" + std::to_string(k) + "\t" + std::to_string(2 * k) + "\t" +
            std::to_string(3 * k) + "\n";
  return text;
}

using DatPandoraTest = TempDirTest;

// --- DaVinci DAT ------------------------------------------------------------

TEST_F(DatPandoraTest, DatColumnsAreBlueGreenRedWithRedFastest) {
  TDavinciDat3DLutFormat format;
  TLUT lut;
  format.Read(Write("a.dat", "# not kept\n3DLUTSIZE 2\n\n0.1, 0.2,0.3\n" + Triples(8).substr(Triples(1).size())),
              lut, {});
  EXPECT_TRUE(lut.Comments.empty());
  ASSERT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Cube(0, 0, 0), (TLutRGB{0.3, 0.2, 0.1}));
  EXPECT_EQ(lut.Cube(1, 0, 0), (TLutRGB{0.1, 0.01, 0.001}));  // second line
  EXPECT_EQ(lut.Cube(0, 1, 0), (TLutRGB{0.2, 0.02, 0.002}));
  EXPECT_EQ(lut.Cube(1, 1, 1), (TLutRGB{0.7, 0.07, 0.007}));
}

TEST_F(DatPandoraTest, DatSizeWithoutKeywordIsTheCubeRootOfTheTriples) {
  struct Case {
    int Triples;
    int Size;  // 0: the file is incomplete
  };
  for (const Case& c : {Case{8, 2}, Case{4913, 17}, Case{4912, 0}, Case{4914, 17}}) {
    SCOPED_TRACE(c.Triples);
    TDavinciDat3DLutFormat format;
    TLUT lut;
    const fs::path file = Write("n.dat", "title line\n" + Triples(c.Triples, "\t"));
    if (c.Size == 0) {
      EXPECT_EQ(ErrorOf([&] { format.Read(file, lut, {}); }), "Incomplete file.");
    } else {
      format.Read(file, lut, {});
      ASSERT_EQ(lut.Size3D(), c.Size);
      const int last = c.Size - 1;
      EXPECT_DOUBLE_EQ(lut.Cube(last, last, last).R, (c.Size * c.Size * c.Size - 1) / 10.0);
    }
  }
}

TEST_F(DatPandoraTest, DatBadFiles) {
  const std::pair<std::string, const char*> cases[] = {
      {"3DLUTSIZE 2\n" + Triples(7), "Incomplete file."},
      {"# 3DLUTSIZE 2\n" + Triples(8), "Incomplete file."},  // no usable size line
      {"3DLUTSIZE two\n" + Triples(8), "'two' is not a valid integer value"},
      {"3DLUTSIZE 101\n" + Triples(8), "100x100x100"},
      {"3DLUTSIZE 1\n" + Triples(8), "at least 2 points"},
      {"just words\n", "Incomplete file."},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text.substr(0, 16));
    TDavinciDat3DLutFormat format;
    TLUT lut;
    const fs::path file = Write("bad.dat", text);
    EXPECT_NE(ErrorOf([&] { format.Read(file, lut, {}); }).find(message), std::string::npos);
    EXPECT_LE(lut.Size3D(), 2);
  }
}

TEST_F(DatPandoraTest, DatWriterPrintsBlueGreenRedUnclamped) {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(2);
  lut.Cube(1, 0, 0) = {1, 0.5, 0};
  lut.Cube(0, 1, 0) = {1.25, -0.0001, 0.0078125};
  TDavinciDat3DLutFormat format;
  format.Write(Path("out.dat"), lut, {12});
  EXPECT_EQ(ReadText(Path("out.dat")),
            "3DLUTSIZE 2\n\n"
            "0.000000 0.000000 0.000000\n"
            "0.000000 0.500000 1.000000\n"
            "0.007813 -0.000100 1.250000\n"
            "0.000000 0.000000 0.000000\n0.000000 0.000000 0.000000\n"
            "0.000000 0.000000 0.000000\n0.000000 0.000000 0.000000\n"
            "0.000000 0.000000 0.000000\n");
}

TEST_F(DatPandoraTest, DatAndPandoraDetection) {
  const TLutRegistry& registry = LutRegistry();
  const int dat = registry.IndexOf(typeid(TDavinciDat3DLutFormat));
  const int pandora = registry.IndexOf(typeid(TPandora3DLutFormat));
  TLUT dit = MakeCube(64);
  TFSI_DIT_3DLutFormat().Write(Path("monitor.dat"), dit, {10});
  const std::tuple<const char*, std::string, int> cases[] = {
      {"keyword.txt", "3dlutsize 2\n" + Triples(8), dat},
      {"plain.dat", "title\n" + Triples(8), dat},
      {"plain.DAT", Triples(8), dat},
      {"plain.txt", Triples(8), -1},
      {"words.dat", "no numbers here\n1 2\n", -1},
      {"garbage.dat", std::string("\x01\x02\xff\xfe\x80 abc\n", 9), -1},
      {"lower.m3d", "channel 3d\nin 8\nout 1024\nformat lut\n" + Entries(8), pandora},
      {"upper.mga", "CHANNEL 3D\nFORMAT LUT\n", pandora},
      {"half.m3d", "channel 3d\nin 8\nout 1024\n" + Entries(8), -1},
  };
  for (const auto& [name, text, expected] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(registry.DetectLutFormat(Write(name, text)), expected);
  }
  // The monitor format shares ".dat" but is binary: it is not taken as DAT.
  EXPECT_EQ(registry.DetectLutFormat(Path("monitor.dat")),
            registry.IndexOf(typeid(TFSI_DIT_3DLutFormat)));
}

// --- Pandora ----------------------------------------------------------------

const std::string PandoraHead = "#HEADER\n#END\n\nchannel 3d\n";

TEST_F(DatPandoraTest, PandoraIndexColumnBlueFastestAndCodeRange) {
  TPandora3DLutFormat format;
  TLUT lut;
  format.Read(Write("a.m3d", PandoraHead + "  in 8\nout 1024\n\nformat lut\n\nvalues\tred\tgreen\tblue\n" +
                                 Entries(8) + "8\t9\t9\t9\n"),
              lut, {});
  EXPECT_TRUE(lut.Comments.empty());
  ASSERT_EQ(lut.Size3D(), 2);
  EXPECT_EQ(lut.Cube(0, 0, 1), (TLutRGB{1 / 1023.0, 2 / 1023.0, 3 / 1023.0}));
  EXPECT_EQ(lut.Cube(1, 0, 0), (TLutRGB{4 / 1023.0, 8 / 1023.0, 12 / 1023.0}));
  EXPECT_EQ(lut.Cube(1, 1, 1), (TLutRGB{7 / 1023.0, 14 / 1023.0, 21 / 1023.0}));
}

TEST_F(DatPandoraTest, PandoraSizesAndBadFiles) {
  struct Case {
    const char* Name;
    std::string Text;
    const char* Message;  // nullptr: reads as a cube of Size points
    int Size;
  };
  const Case cases[] = {
      {"in 9 rounds to 2", "in 9\nout 256\n" + Entries(8), nullptr, 2},
      {"in 26 rounds to 3", "in 26\nout 256\n" + Entries(27), nullptr, 3},
      {"in 35937 gives 33, one entry short", "in 35937\nout 65536\n" + Entries(35936),
       "Incomplete file.", 0},
      {"capital In is no size line", "In 8\nout 256\n" + Entries(8), "Incomplete file.", 0},
      {"no out line", "in 8\n" + Entries(8), "Incomplete file.", 0},
      {"in not an integer", "in 8.0\nout 256\n" + Entries(8), "'8.0' is not a valid integer value", 0},
      {"out not an integer", "in 8\nout many\n" + Entries(8), "'many' is not a valid integer value", 0},
      {"in over the limit", "in 1030301\nout 256\n" + Entries(8), "100x100x100", 0},
      {"in of 1", "in 1\nout 256\n" + Entries(8), "at least 2 points", 0},
      {"out of 1", "in 8\nout 1\n" + Entries(8), "Invalid code range 1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPandora3DLutFormat format;
    TLUT lut;
    const fs::path file = Write("p.m3d", PandoraHead + c.Text);
    if (c.Message) {
      EXPECT_NE(ErrorOf([&] { format.Read(file, lut, {}); }).find(c.Message), std::string::npos);
      EXPECT_NE(lut.Size3D(), 101);
    } else {
      format.Read(file, lut, {});
      EXPECT_EQ(lut.Size3D(), c.Size);
    }
  }
}

TEST_F(DatPandoraTest, PandoraWriterAtSixteenBits) {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(2);
  lut.FillIdentity3D();
  lut.Cube(1, 1, 1) = {1.2, 0.5, -0.1};
  TPandora3DLutFormat format;
  format.Write(Path("out.m3d"), lut, {16});
  EXPECT_EQ(ReadText(Path("out.m3d")),
            "#HEADER\n#type: 3D cube file\n#format: 1.00\n"
            "#comment: Converted by Tovi LUT Converter\n#END\n\n"
            "channel 3d\nin 8\nout 65536\n\nformat lut\n\nvalues\tred\tgreen\tblue\n"
            "0\t0\t0\t0\n1\t0\t0\t65535\n2\t0\t65535\t0\n3\t0\t65535\t65535\n"
            "4\t65535\t0\t0\n5\t65535\t0\t65535\n6\t65535\t65535\t0\n7\t65535\t32768\t0\n");
  TLUT back;
  format.Read(Path("out.m3d"), back, {});
  EXPECT_EQ(back.Cube(1, 0, 1), (TLutRGB{1, 0, 1}));
  EXPECT_EQ(back.Cube(1, 1, 1), (TLutRGB{1, 32768 / 65535.0, 0}));
}

}  // namespace
