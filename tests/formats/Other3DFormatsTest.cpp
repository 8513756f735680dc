// Codex, Luther, Quantel, Colorfront OSD, Nucoda and MatchLight: the exact
// lines the writers produce, how each reader takes real-world variations,
// and the refusals of bad input (always before any data is stored).
#include <functional>
#include <random>
#include <sstream>

#include "TestSupport.h"
#include "core/LUTFormat.h"
#include "formats/Other3DFormats.h"
#include "registry/FormatTable.h"

namespace {

std::string Join(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

// The nodes of a 2-point identity cube in file order, as integer codes.
std::string IdentityCodes2(int maxCode, bool blueFastest) {
  std::string out;
  for (int slow = 0; slow < 2; ++slow)
    for (int mid = 0; mid < 2; ++mid)
      for (int fast = 0; fast < 2; ++fast) {
        const int r = blueFastest ? slow : fast, b = blueFastest ? fast : slow;
        out += std::to_string(r * maxCode) + " " + std::to_string(mid * maxCode) + " " +
               std::to_string(b * maxCode) + "\n";
      }
  return out;
}

// n^3 float lines "x x x", red fastest, x counting up from `first`.
std::string CountingFloats(int n, int first = 0) {
  std::string out;
  for (int i = 0; i < n * n * n; ++i) {
    const std::string v = std::to_string(first + i);
    out += v + " " + v + " " + v + "\n";
  }
  return out;
}

template <typename TFormat>
int IndexOf() {
  return LutRegistry().IndexOf(typeid(TFormat));
}
const int Nucoda = IndexOf<TNucoda3DLutFormat>(), Codex = IndexOf<TCodex3DLutFormat>(),
          Luther = IndexOf<TLuther3DLutFormat>(), Colorfront = IndexOf<TColorFrontOSD3DLutFormat>(),
          Quantel = IndexOf<TQuantel3DLutFormat>(), MatchLight = IndexOf<TMatchLight3DLutFormat>();

const TLutOutputProfile& ProfileNamed(const std::string& name) {
  for (const auto& p : LutRegistry().LutOutputProfiles())
    if (p.Name == name) return p;
  throw std::runtime_error("no profile " + name);
}

class Other3DFormats : public TempDirTest {
 protected:
  TLUT Load(const fs::path& file) {
    TLUT lut;
    LutRegistry().LoadLut(file, lut, -1);
    return lut;
  }
};

// --- Writers: the exact lines ------------------------------------------------

// A 2-point cube whose values exercise rounding and clamping: node (r, g, b)
// holds (r, 0.5 g, 0.25 b), and the last node is pushed out of range.
TLUT WriterSource() {
  TLUT lut;
  lut.LutType = lt3D;
  lut.SetSize3D(2);
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b) lut.Cube(r, g, b) = {1.0 * r, 0.5 * g, 0.25 * b};
  lut.Cube(1, 1, 1) = {1.25, -0.1, 0.0078125};
  lut.Comments = {"not written by any of them"};
  return lut;
}

struct TWriterCase {
  std::string Profile;
  std::string Expected;
};

TEST_F(Other3DFormats, WritersProduceTheExactLines) {
  // 0.5 and 0.25 land on halves of a code at 12 and 10 bits: ties go to even.
  const std::string codes12 = Join({"0 0 0", "0 0 1024", "0 2048 0", "0 2048 1024", "4095 0 0",
                                    "4095 0 1024", "4095 2048 0", "4095 0 32"});
  const std::vector<TWriterCase> cases = {
      {"Codex 3D", Join({"Lut3D: 2", "", "R\tG\tB"}) + codes12},
      {"Luther 3D", Join({"#channels: c3", "#elements = 8", "0 0 0", "0 0 256", "0 512 0",
                          "0 512 256", "1023 0 0", "1023 0 256", "1023 512 0", "1023 0 8"})},
      {"Quantel 3D", Join({"max value 4095", "vertices 2", "blue is fastest changing",
                           "red is slowest changing", "", "cube data", "R G B"}) +
                         codes12},
      // Columns blue green red, red fastest, unclamped floats.
      {"Colorfront OSD 3D", Join({"0.000000 0.000000 0.000000", "0.000000 0.000000 1.000000",
                                  "0.000000 0.500000 0.000000", "0.000000 0.500000 1.000000",
                                  "0.250000 0.000000 0.000000", "0.250000 0.000000 1.000000",
                                  "0.250000 0.500000 0.000000", "0.007813 -0.100000 1.250000"})},
  };
  const TLUT source = WriterSource();
  for (const TWriterCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TLutOutputProfile& profile = ProfileNamed(c.Profile);
    const fs::path file = Path("out." + profile.Extension);
    LutRegistry().SaveLut(file, source, profile, -1);
    EXPECT_EQ(ReadText(file), c.Expected);
  }
}

TEST_F(Other3DFormats, NucodaWriterPutsAnIdentityRampBeforeTheCube) {
  TLUT source = WriterSource();
  const fs::path plain = Path("grade.cms");
  LutRegistry().SaveLut(plain, source, ProfileNamed("Nucoda 3D"), -1);
  std::vector<std::string> lines;
  std::istringstream in(ReadText(plain));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 7u + 4096 + 1 + 8);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
            (std::vector<std::string>{"NUCODA_3D_CUBE 1", "", "TITLE \"grade\"", "",
                                      "LUT_1D_SIZE 4096", "LUT_3D_SIZE 2", ""}));
  EXPECT_EQ(lines[7], "0.000000 0.000000 0.000000");
  EXPECT_EQ(lines[7 + 4095], "32.999999 32.999999 32.999999");
  EXPECT_EQ(lines[7 + 4096], "");
  EXPECT_EQ(lines[7 + 4097], "0.000000 0.000000 0.000000");
  EXPECT_EQ(lines[7 + 4098], "1.000000 0.000000 0.000000");  // red fastest
  EXPECT_EQ(lines.back(), "1.250000 -0.100000 0.007813");

  // Whatever curve the record holds, the same ramp is written.
  source.LutType = lt1DThen3D;
  source.SetSize1D(2);
  source.Curve(1) = {0.3, 0.3, 0.3};
  const fs::path withCurve = Dir / "sub";
  fs::create_directories(withCurve);
  LutRegistry().SaveLut(withCurve / "grade.cms", source, ProfileNamed("Nucoda 3D"), -1);
  EXPECT_EQ(ReadText(withCurve / "grade.cms"), ReadText(plain));
}

// --- Readers -------------------------------------------------------------------

struct TReadCase {
  std::string Title;
  std::string FileName;
  std::string Content;
  int Format;
  TLutType Kind;
  std::function<void(const TLUT&)> Check;
};

TEST_F(Other3DFormats, ReadersTakeTheirFilesAsTheSystemsWriteThem) {
  const std::vector<TReadCase> cases = {
      {"Codex codes are 12-bit whatever depth was written", "a.txt",
       Join({"# from the recorder", "LUT3D: 2", "R\tG\tB"}) + IdentityCodes2(1023, true), Codex,
       lt3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Comments, std::vector<std::string>{"from the recorder"});
         EXPECT_DOUBLE_EQ(l.Cube(1, 1, 1).R, 1023.0 / 4095.0);
         EXPECT_DOUBLE_EQ(l.Cube(0, 0, 1).B, 1023.0 / 4095.0);
       }},
      {"Codex channels separated by tabs, commas or both; an index column is not data", "b.txt",
       Join({"Lut3D: 2", "0\t0\t0", "0,0,4095", "0, 4095, 0", "3 0 4095 4095", "0 4095 4095",
             "4095 0 0", "4095 0 4095", "4095\t4095, 0", "# trailing comment", "4095 4095 4095"}),
       Codex, lt3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Cube(0, 1, 0), (TLutRGB{0, 1, 0}));
         EXPECT_EQ(l.Cube(0, 1, 1), (TLutRGB{0, 1, 1}));
         EXPECT_EQ(l.Cube(1, 1, 0), (TLutRGB{1, 1, 0}));
         EXPECT_EQ(l.Cube(1, 1, 1), (TLutRGB{1, 1, 1}));
         EXPECT_EQ(l.Comments, std::vector<std::string>{"trailing comment"});
       }},
      {"Luther size counts entries, on a line beginning with #", "c.txt",
       Join({"#channels: c3", "#elements = 8", "# ignored comment"}) + IdentityCodes2(1023, true),
       Luther, lt3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Size3D(), 2);
         EXPECT_EQ(l.Cube(1, 0, 1), (TLutRGB{1, 0, 1}));
         EXPECT_TRUE(l.Comments.empty());
       }},
      {"Quantel range comes from the header", "d.txt",
       Join({"# by hand", "vertices 2", "max value 1000", "cube data", "R G B"}) +
           IdentityCodes2(1000, true),
       Quantel, lt3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Cube(1, 1, 0), (TLutRGB{1, 1, 0}));
       }},
      {"Colorfront columns are blue green red, red fastest", "e.3dmesh",
       Join({"# no header", "0.1 0.2 0.3", "", "0.4 0.5 0.6"}) + CountingFloats(2).substr(12),
       Colorfront, lt3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Size3D(), 2);
         EXPECT_EQ(l.Cube(0, 0, 0), (TLutRGB{0.3, 0.2, 0.1}));
         EXPECT_EQ(l.Cube(1, 0, 0), (TLutRGB{0.6, 0.5, 0.4}));
         EXPECT_EQ(l.Cube(1, 1, 1), (TLutRGB{7, 7, 7}));
       }},
      {"Nucoda version 1 curve values are divided by 33", "f.cms",
       Join({"NUCODA_3D_CUBE 1", "LUT_1D_SIZE 2", "0 0 0", "33 33 16.5"}), Nucoda, lt1D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Size1D(), 2);
         EXPECT_EQ(l.Curve(1), (TLutRGB{1, 1, 0.5}));
       }},
      {"Nucoda version 2 curve values are taken as they are", "g.cms",
       Join({"NUCODA_3D_CUBE 2", "LUT_1D_SIZE 2", "0 0 0", "33 33 33"}), Nucoda, lt1D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Curve(1), (TLutRGB{33, 33, 33}));
       }},
      {"Nucoda curve then cube; cube lines beyond N^3 are ignored", "h.cms",
       Join({"NUCODA_3D_CUBE 1", "TITLE \"x\"", "LUT_1D_SIZE 2", "LUT_3D_SIZE 2", "0 0 0",
             "33 33 33"}) +
           CountingFloats(2, 100) + CountingFloats(2, 900),
       Nucoda, lt1DThen3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Size1D(), 2);
         EXPECT_EQ(l.Size3D(), 2);
         EXPECT_EQ(l.Curve(1), (TLutRGB{1, 1, 1}));
         EXPECT_EQ(l.Cube(0, 0, 0), (TLutRGB{100, 100, 100}));
         EXPECT_EQ(l.Cube(1, 0, 0), (TLutRGB{101, 101, 101}));
         EXPECT_EQ(l.Cube(1, 1, 1), (TLutRGB{107, 107, 107}));
       }},
      {"Nucoda size line repeated mid-data is ignored", "i.cms",
       Join({"NUCODA_3D_CUBE 2", "LUT_3D_SIZE 3"}) + CountingFloats(2) + "LUT_3D_SIZE 2\n" +
           CountingFloats(3).substr(CountingFloats(2).size()),
       Nucoda, lt3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Size3D(), 3);
         EXPECT_EQ(l.Cube(2, 2, 2), (TLutRGB{26, 26, 26}));
       }},
      {"MatchLight curve in 0..15, then the cube blue fastest", "j.txt",
       Join({"MatchLight", "lutS 2", "cubeS 2", "not data", "0 0 0", "15 7.5 3"}) +
           IdentityCodes2(1, true) + "5 5 5\n",
       MatchLight, lt1DThen3D,
       [](const TLUT& l) {
         EXPECT_EQ(l.Size1D(), 2);
         EXPECT_EQ(l.Size3D(), 2);
         EXPECT_EQ(l.Curve(1), (TLutRGB{1, 0.5, 0.2}));
         EXPECT_EQ(l.Cube(0, 0, 1), (TLutRGB{0, 0, 1}));
         EXPECT_EQ(l.Cube(1, 1, 1), (TLutRGB{1, 1, 1}));
       }},
  };
  for (const TReadCase& c : cases) {
    SCOPED_TRACE(c.Title);
    const fs::path file = Write(c.FileName, c.Content);
    const TLUT lut = Load(file);
    ASSERT_EQ(lut.FormatIndex, c.Format);
    EXPECT_EQ(lut.LutType, c.Kind);
    c.Check(lut);
  }
}

TEST_F(Other3DFormats, NucodaVersionDoesNotCarryOverToTheNextFile) {
  TLUT lut;
  LutRegistry().LoadLut(
      Write("v1.cms", Join({"NUCODA_3D_CUBE 1", "LUT_1D_SIZE 2", "0 0 0", "33 33 33"})), lut,
      Nucoda);
  EXPECT_EQ(lut.Curve(1), (TLutRGB{1, 1, 1}));
  LutRegistry().LoadLut(Write("bare.cms", Join({"LUT_1D_SIZE 2", "0 0 0", "33 33 33"})), lut,
                        Nucoda);
  EXPECT_EQ(lut.Curve(1), (TLutRGB{33, 33, 33}));
}

// --- Refusals --------------------------------------------------------------------

enum class TFault { Incomplete, NotInteger, TooLarge, BadRange };

struct TBadCase {
  std::string Title;
  std::string FileName;
  std::string Content;
  TFault Fault;
  std::string Message;  // a piece of it
};

TEST_F(Other3DFormats, BadFilesFailWithAClearErrorAndStoreNothingOversized) {
  const std::string incomplete = "Incomplete file.";
  const std::string tooBig = "cannot process LUTs more than 100x100x100";
  const std::string tooLong = "cannot process 1D LUTs longer than 100000";
  std::string last = IdentityCodes2(4095, true);
  last.resize(last.rfind('\n', last.size() - 2) + 1);  // one node short
  const std::vector<TBadCase> cases = {
      {"Codex one node short", "a.txt", "Lut3D: 2\n" + last, TFault::Incomplete, incomplete},
      {"Codex size not an integer", "b.txt", "Lut3D: 17.5\n", TFault::NotInteger,
       "'17.5' is not a valid integer value"},
      {"Codex size over the limit", "c.txt", "Lut3D: 101\n" + last, TFault::TooLarge, tooBig},
      {"Luther entry count over the limit", "d.txt", "#channels: c3\n#elements = 1030301\n",
       TFault::TooLarge, tooBig},
      {"Luther entry count not an integer", "e.txt", "#channels: c3\n#elements = 8 entries\n",
       TFault::NotInteger, "'8 entries' is not a valid integer value"},
      {"Luther one node short", "f.txt", "#channels: c3\n#elements = 8\n" + last,
       TFault::Incomplete, incomplete},
      {"Quantel keywords are case-sensitive", "g.txt",
       "Max Value 4095\nvertices 2\n" + IdentityCodes2(4095, true), TFault::Incomplete, incomplete},
      {"Quantel size over the limit", "h.txt", "max value 4095\nvertices 200\n", TFault::TooLarge,
       tooBig},
      {"Quantel range of zero", "i.txt", "vertices 2\nmax value 0\n" + IdentityCodes2(0, true),
       TFault::BadRange, "Invalid max value 0"},
      {"Colorfront without a data line", "j.3dmesh", "# nothing here\n", TFault::Incomplete,
       incomplete},
      {"Colorfront with more lines than a 100-point cube", "k.3dmesh",
       [] {
         std::string s;
         for (int i = 0; i < 101 * 101 * 101; ++i) s += "0 0 0\n";
         return s;
       }(),
       TFault::TooLarge, tooBig},
      {"Nucoda without a data line", "l.cms", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 2\n",
       TFault::Incomplete, incomplete},
      {"Nucoda cube cut short", "m.cms",
       "NUCODA_3D_CUBE 2\nLUT_3D_SIZE 2\n" + CountingFloats(2).substr(6), TFault::Incomplete,
       incomplete},
      {"Nucoda curve cut short before its cube", "n.cms",
       "NUCODA_3D_CUBE 2\nLUT_1D_SIZE 16\nLUT_3D_SIZE 2\n" + CountingFloats(2), TFault::Incomplete,
       incomplete},
      {"Nucoda data without any size line", "o.cms", "NUCODA_3D_CUBE 2\n" + CountingFloats(2),
       TFault::Incomplete, incomplete},
      {"Nucoda version not an integer", "p.cms", "NUCODA_3D_CUBE one\n", TFault::NotInteger,
       "'one' is not a valid integer value"},
      {"Nucoda cube over the limit", "q.cms", "NUCODA_3D_CUBE 1\nLUT_3D_SIZE 101\n",
       TFault::TooLarge, tooBig},
      {"Nucoda curve over the limit", "r.cms", "NUCODA_3D_CUBE 1\nLUT_1D_SIZE 100001\n",
       TFault::TooLarge, tooLong},
      {"MatchLight sizes on one line", "s.txt", "lutS 2 cubeS 2\n", TFault::NotInteger,
       "'2 cubeS 2' is not a valid integer value"},
      {"MatchLight header only", "t.txt", "lutS 2\ncubeS 2\n", TFault::Incomplete, incomplete},
      {"MatchLight cube cut short", "u.txt", "lutS 2\ncubeS 2\n0 0 0\n1 1 1\n" + last,
       TFault::Incomplete, incomplete},
      {"MatchLight cube over the limit", "v.txt", "lutS 2\ncubeS 101\n", TFault::TooLarge, tooBig},
      {"MatchLight curve over the limit", "w.txt", "lutS 100001\ncubeS 2\n", TFault::TooLarge,
       tooLong},
  };
  for (const TBadCase& c : cases) {
    SCOPED_TRACE(c.Title);
    TLUT lut;
    const fs::path file = Write(c.FileName, c.Content);
    ASSERT_NE(LutRegistry().DetectLutFormat(file), -1);
    try {
      LutRegistry().LoadLut(file, lut, -1);
      ADD_FAILURE() << "read without an error";
    } catch (const ELUTSizeError& e) {
      EXPECT_EQ(c.Fault, TFault::TooLarge);
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    } catch (const EConvertError& e) {
      EXPECT_EQ(c.Fault, TFault::NotInteger);
      // The format that claimed the file is named in front of the message.
      EXPECT_TRUE(std::string(e.what()).starts_with("read as ")) << e.what();
      EXPECT_TRUE(std::string(e.what()).ends_with(c.Message)) << e.what();
    } catch (const ELUTError& e) {
      EXPECT_TRUE(c.Fault == TFault::Incomplete || c.Fault == TFault::BadRange);
      EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    }
    EXPECT_LE(lut.Size3D(), MaxCubeSize);
    EXPECT_LE(lut.Size1D(), MaxCurveSize);
  }
}

TEST_F(Other3DFormats, BinaryGarbageIsNotDetectedOrFailsCleanly) {
  std::mt19937 random(7);
  std::string garbage(8192, '\0');
  for (char& c : garbage) c = static_cast<char>(1 + random() % 255);  // no NUL to end the text
  for (const std::string name : {"garbage.txt", "garbage.cms", "garbage.dat"})
    EXPECT_EQ(LutRegistry().DetectLutFormat(Write(name, garbage)), -1) << name;
  // The OSD mesh is known by its extension alone, so its reader must refuse.
  const fs::path mesh = Write("garbage.3dmesh", garbage);
  ASSERT_EQ(LutRegistry().DetectLutFormat(mesh), Colorfront);
  TLUT lut;
  EXPECT_THROW(LutRegistry().LoadLut(mesh, lut, -1), ELUTError);
}

TEST_F(Other3DFormats, MatchLightIsReadOnly) {
  for (const auto& p : LutRegistry().LutOutputProfiles()) EXPECT_NE(p.FormatIndex, MatchLight);
  EXPECT_FALSE(TMatchLight3DLutFormat().Can(fcWrite));
}

}  // namespace
