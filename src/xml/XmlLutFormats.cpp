// Integer-code LUTs in XML. Minimal files (2-point cubes, 2-entry curves):
//
// Clipster 3D (.txt), blue index fastest:
//   <LUT3D name='grade' N='2' BitDepth='16'>
//   <values>
//   0 0 0
//   0 0 65535
//   ...                          (8 lines)
//   </values>
//   </LUT3D>
//
// S.two 1D (.swto.xml), always 10-bit codes:
//   <?xml version="1.0"?>
//   <lut name="grade">
//   <data>
//   <elem r="0" g="0" b="0"/>
//   <elem r="1023" g="1023" b="1023"/>
//   </data>
//   </lut>
//
// PixelFarm PFClean 3D (.pfl), blue index fastest, codes up to <maximum>:
//   <?xml version="1.0" encoding="UTF-8" standalone="yes"?>
//   <lut type="ascii">
//   <maximum>255</maximum>
//   <size>2</size>
//   <cube>
//   0 0 0
//   ...                          (8 lines)
//   </cube>
//   </lut>
//
// Quirks, each kept on purpose:
// - Clipster's BitDepth names bits, PFClean's maximum names the largest code
//   itself; S.two files carry no depth and are always read as 10-bit.
// - S.two counts only children named elem (any letter case) and takes the
//   curve length from their number; other children are ignored.
// - Data lines that are not three integers are skipped, extra lines ignored.
// Sound where the files leave it open: a size missing, below 2 or above the
// record's capacity, and a depth or maximum that would divide by zero, are
// refused with a message before any data is stored; too few data lines are
// "Incomplete file." as in the line-oriented formats.
#include "xml/XmlLutFormats.h"

#include <cmath>

#include "core/GenericLutFormat.h"
#include "core/LutWriter.h"
#include "core/StringLib.h"
#include "xml/XMLNode.h"

std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

// The output file's name without folder and extension, as the files name it.
std::string LutName(const std::filesystem::path& fileName) {
  return XmlEscaped(fileName.stem().string());
}

// The data of both cube formats: one element's text of "r g b" code lines,
// blue index fastest. Lines that are not three integers are skipped, lines
// beyond the last node ignored, and too few raise "Incomplete file.".
class TCodeLinesParser : public TLutParser {
 public:
  TCodeLinesParser(double maxCode, const TReadOptions& options)
      : TLutParser(options), MaxLineCode(maxCode) {}

  // Fill the cube of n points per axis (checked first) from the text.
  void Fill(TLUT& lut, int n, std::string_view data) {
    DeclareCubeSize(lut, n);
    TTextFile text;
    text.SetText(std::string(data));
    Parse(text, lut);
    lut.LutType = lt3D;
    if (!Complete) throw ELUTError("Incomplete file.");
  }

 protected:
  void ReadLine(std::string_view line, TLUT& lut) override {
    double r, g, b;
    if (!Complete && ParseIntTriple(line, MaxLineCode, false, r, g, b))
      StoreNodeBlueFastest(lut, {r, g, b});
  }

 private:
  const double MaxLineCode;
};

// S.two codes are read at this depth whatever the file was written at.
constexpr int StwoCodeBits = 10;

}  // namespace

// --- Clipster 3D -----------------------------------------------------------

bool TClipster3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  // An Academy CLF/CTF process list holds LUT3D elements of its own.
  return MatchKeywords(fileName, "<LUT3D", "<ProcessList");
}

void TClipster3DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut,
                                const TReadOptions& options) const {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  TXMLNode& root = xml.NodeByName("LUT3D");
  const TXMLValue& size = root.Attributes["N"];
  if (Trim(size.Text).empty())
    throw ELUTError("The LUT3D element declares no size (its N attribute is missing).");
  const TXMLValue& depth = root.Attributes["BitDepth"];
  const int bits = depth.AsInt32();
  if (bits < 1 || bits > 32)
    throw ELUTError("Invalid BitDepth '" + depth.Text + "': expected 1 to 32 bits.");
  const int n = size.AsInt32();
  lut.Comments.push_back("Name: " + root.Attributes["name"].Text);
  TCodeLinesParser(MaxCode(bits), options).Fill(lut, n, root.NodeByName("values").Value.Text);
}

void TClipster3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                 const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("<LUT3D name='" + LutName(fileName) + "'" + " N='" + std::to_string(lut.Size3D()) + "'" +
           " BitDepth='" + std::to_string(bits) + "'>");
  text.Add("<values>");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.Add("</values>");
  text.Add("</LUT3D>");
  text.SaveToFile(fileName, context.Replace);
}

// --- S.two 1D --------------------------------------------------------------

bool TStwo1DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "<lut,<data>,<elem", "");
}

void TStwo1DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut,
                            const TReadOptions&) const {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  TXMLNode& data = xml.NodeByName("lut").NodeByName("data");
  auto isEntry = [](const TXMLNode& node) {
    return node.NodeName.size() == 4 && StartsWithNoCase(node.NodeName, "elem");
  };
  int count = 0;
  for (std::size_t i = 0; i < data.ChildCount(); ++i) count += isEntry(data.Child(i)) ? 1 : 0;
  CheckCurveSize(count);  // refuses more entries than a curve holds
  lut.SetSize1D(count);
  const double maxCode = MaxCode(StwoCodeBits);
  int index = 0;
  for (std::size_t i = 0; i < data.ChildCount(); ++i) {
    TXMLNode& entry = data.Child(i);
    if (!isEntry(entry)) continue;
    lut.Curve(index++) = {entry.Attributes["r"].AsFloat() / maxCode,
                          entry.Attributes["g"].AsFloat() / maxCode,
                          entry.Attributes["b"].AsFloat() / maxCode};
  }
  lut.LutType = lt1D;
}

void TStwo1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                             const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("<?xml version=\"1.0\"?>");
  text.Add("<lut name=\"" + LutName(fileName) + "\">");
  text.Add("<data>");
  std::string line;
  for (int i = 0; i < lut.Size1D(); ++i) {
    const TLutRGB& rgb = lut.Curve(i);
    line = "<elem r=\"";
    AppendCodeValue(line, bits, rgb.R);
    line += "\" g=\"";
    AppendCodeValue(line, bits, rgb.G);
    line += "\" b=\"";
    AppendCodeValue(line, bits, rgb.B);
    line += "\"/>";
    text.Add(line);
  }
  text.Add("</data>");
  text.Add("</lut>");
  text.SaveToFile(fileName, context.Replace);
}

// --- PixelFarm PFClean 3D --------------------------------------------------

bool TPFClean3D_Format::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "<lut,<maximum>,<cube>", "");
}

void TPFClean3D_Format::Read(const std::filesystem::path& fileName, TLUT& lut,
                             const TReadOptions& options) const {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  TXMLNode& root = xml.NodeByName("lut");
  const int n = root.NodeByName("size").Value.AsInt32();
  const TXMLValue& maximum = root.NodeByName("maximum").Value;
  const std::int64_t maxCode = maximum.AsInteger();
  if (maxCode < 1)
    throw ELUTError("Invalid maximum code '" + maximum.Text + "': expected 1 or more.");
  const std::string_view data = root.NodeByName("cube").Value.Text;
  TCodeLinesParser(static_cast<double>(maxCode), options).Fill(lut, n, data);
}

void TPFClean3D_Format::Write(const std::filesystem::path& fileName, const TLUT& lut,
                              const TWriteContext& context) const {
  const int bits = context.Bits;
  TTextFile text;
  text.Add("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
  text.Add("<lut type=\"ascii\">");
  text.Add("<maximum>" + std::to_string(CodeValue(bits, 1.0)) + "</maximum>");
  text.Add("<size>" + std::to_string(lut.Size3D()) + "</size>");
  text.Add("<cube>");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.Add("</cube>");
  text.Add("</lut>");
  text.SaveToFile(fileName, context.Replace);
}
