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

#include "core/LutWriter.h"
#include "core/StringLib.h"
#include "xml/XMLNode.h"

std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\'': out += "&apos;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

namespace {

// The output file's name without folder and extension, as the files name it.
std::string LutName(const std::filesystem::path& fileName) {
  return XmlEscaped(fileName.stem().string());
}

}  // namespace

void TXmlCodeCubeFormat::ReadCodeLines(std::string_view text, double maxCode, TLUT& lut) {
  IndexR = IndexG = IndexB = 0;
  Complete = false;
  while (!text.empty() && !Complete) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    double r, g, b;
    if (!line.empty() && ParseIntTriple(line, maxCode, false, r, g, b))
      StoreNodeBlueFastest(lut, {r, g, b});
  }
  lut.LutType = lt3D;
  if (!Complete) throw ELUTError("Incomplete file.");
}

// --- Clipster 3D -----------------------------------------------------------

bool TClipster3DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "<LUT3D", "");
}

void TClipster3DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  TXMLNode& root = xml.NodeByName("LUT3D");
  const TXMLValue& size = root.Attributes["N"];
  if (Trim(size.Text).empty())
    throw ELUTError("The LUT3D element declares no size (its N attribute is missing).");
  const TXMLValue& depth = root.Attributes["BitDepth"];
  ValueScale = depth.AsInt32();
  if (ValueScale < 1 || ValueScale > 32)
    throw ELUTError("Invalid BitDepth '" + depth.Text + "': expected 1 to 32 bits.");
  const int n = size.AsInt32();
  lut.Comments.push_back("Name: " + root.Attributes["name"].Text);
  DeclareCubeSize(lut, n);
  ReadCodeLines(root.NodeByName("values").Value.Text, std::exp2(ValueScale) - 1, lut);
}

void TClipster3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                 int bits) {
  TTextFile text;
  text.Add("<LUT3D name='" + LutName(fileName) + "'" + " N='" + std::to_string(lut.Size3D()) +
           "'" + " BitDepth='" + std::to_string(bits) + "'>");
  text.Add("<values>");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.Add("</values>");
  text.Add("</LUT3D>");
  text.SaveToFile(fileName);
}

// --- S.two 1D --------------------------------------------------------------

bool TStwo1DLutFormat::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "<lut,<data>,<elem", "");
}

void TStwo1DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut) {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  TXMLNode& data = xml.NodeByName("lut").NodeByName("data");
  auto isEntry = [](const TXMLNode& node) {
    return node.NodeName.size() == 4 && StartsWithNoCase(node.NodeName, "elem");
  };
  int count = 0;
  for (std::size_t i = 0; i < data.ChildCount(); ++i) count += isEntry(data.Child(i)) ? 1 : 0;
  DeclareCurveSize(lut, count);  // refuses more entries than a curve holds
  const double maxCode = std::exp2(ValueScale) - 1;
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

void TStwo1DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) {
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
  text.SaveToFile(fileName);
}

// --- PixelFarm PFClean 3D --------------------------------------------------

bool TPFClean3D_Format::Detect(const std::filesystem::path& fileName) {
  return MatchKeywords(fileName, "<lut,<maximum>,<cube>", "");
}

void TPFClean3D_Format::Read(const std::filesystem::path& fileName, TLUT& lut) {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  TXMLNode& root = xml.NodeByName("lut");
  const int n = root.NodeByName("size").Value.AsInt32();
  const TXMLValue& maximum = root.NodeByName("maximum").Value;
  const std::int64_t maxCode = maximum.AsInteger();
  if (maxCode < 1)
    throw ELUTError("Invalid maximum code '" + maximum.Text + "': expected 1 or more.");
  const std::string_view data = root.NodeByName("cube").Value.Text;
  DeclareCubeSize(lut, n);
  ReadCodeLines(data, static_cast<double>(maxCode), lut);
}

void TPFClean3D_Format::Write(const std::filesystem::path& fileName, const TLUT& lut, int bits) {
  TTextFile text;
  text.Add("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
  text.Add("<lut type=\"ascii\">");
  text.Add("<maximum>" + std::to_string(CodeValue(bits, 1.0)) + "</maximum>");
  text.Add("<size>" + std::to_string(lut.Size3D()) + "</size>");
  text.Add("<cube>");
  AddCodeNodes(text, lut, TNodeOrder::BlueFastest, bits);
  text.Add("</cube>");
  text.Add("</lut>");
  text.SaveToFile(fileName);
}
