// Look files. A SpeedGrade look with a 2-point cube (8 nodes, 24 values,
// red index fastest; lines of at most 64 digits, the closing quote after the
// last digit):
//
//   <?xml version="1.0" ?>
//   <look>
//     <shaders>
//       <shader>
//         <name>"LUT"</name>
//         ... (visible, opacity, mask, vectormask, empty parameters)
//       </shader>
//     </shaders>
//     <LUT>
//       <size>"2"</size>
//       <data>"
//         000000000000000000000000000080 ... (64 digits)
//         ... (3 lines in all)"
//       </data>
//   </LUT>
//   </look>
//
// A Premiere look has no LUT element: its one shader parameter names a
// .cube file beside it, <LUT>"grade.cube"</LUT>.
//
// Quirks, each kept on purpose:
// - Each value is a little-endian 32-bit float as eight hex digits; a reader
//   takes digits in any case and skips everything else (quotes, blanks,
//   line breaks), so wrapped or lower-case data reads the same.
// - The size is written in quotes; a look without a LUT element, or of size
//   0, is a valid look that carries no LUT (ltEmpty).
// - The Premiere look is never detected on its own: its files are SpeedGrade
//   looks whose shader names a .cube beside them, and the SpeedGrade reader
//   reads that cube (a missing one is an error, never an empty look). Its
//   writer asks before replacing the .cube.
// Sound where the files leave it open: a size below 2 or above the record's
// capacity is refused before anything is stored, and data with fewer digits
// than the size needs is "Incomplete file.".
#include "xml/LookFormats.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "core/LutWriter.h"
#include "core/StringLib.h"
#include "formats/CubeFormats.h"
#include "xml/XMLNode.h"

namespace {

constexpr std::size_t HexLineLength = 64;  // eight values per data line

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::size_t CountHexDigits(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text) n += HexDigit(c) >= 0 ? 1 : 0;
  return n;
}

// The shader lines both looks open with; the Premiere look puts its .cube
// between the parameters lines.
void AddShaderHead(TTextFile& text) {
  text.Add("<?xml version=\"1.0\" ?>");
  text.Add("<look>");
  text.Add("  <shaders>");
  text.Add("    <shader>");
  text.Add("      <name>\"LUT\"</name>");
  text.Add("      <visible>\"1\"</visible>");
  text.Add("      <opacity>\"1\"</opacity>");
  text.Add("      <mask>\"0\"</mask>");
  text.Add("      <vectormask>\"0\"</vectormask>");
  text.Add("      <parameters>");
}

// The .cube file a Premiere look's shader parameter names (without its
// quotes); empty for a look that names none.
std::string CompanionCube(TXMLNode& xml) {
  if (!xml.HasNode("look") || !xml.NodeByName("look").HasNode("shaders")) return {};
  TXMLNode& shaders = xml.NodeByName("look").NodeByName("shaders");
  for (std::size_t i = 0; i < shaders.ChildCount(); ++i) {
    TXMLNode& shader = shaders.Child(i);
    if (!shader.HasNode("parameters") || !shader.NodeByName("parameters").HasNode("LUT")) continue;
    std::string_view name = Trim(shader.NodeByName("parameters").NodeByName("LUT").Value.Text);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
      name = name.substr(1, name.size() - 2);
    if (!name.empty()) return std::string(name);
  }
  return {};
}

void AddShaderTail(TTextFile& text) {
  text.Add("      </parameters>");
  text.Add("    </shader>");
  text.Add("  </shaders>");
}

}  // namespace

std::string FloatToHex(double value) {
  static constexpr char digits[] = "0123456789ABCDEF";
  const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
  std::string out(8, '0');
  for (int i = 0; i < 4; ++i) {  // least significant byte first
    const unsigned byte = (bits >> (8 * i)) & 0xFF;
    out[2 * i] = digits[byte >> 4];
    out[2 * i + 1] = digits[byte & 0xF];
  }
  return out;
}

double ReadHexFloat(std::string_view text, std::size_t& pos) {
  std::uint32_t bits = 0;
  int kept = 0;
  while (kept < 8 && pos < text.size()) {
    const int d = HexDigit(text[pos++]);
    if (d < 0) continue;
    // Digit pairs are bytes in memory order; the high nibble comes first.
    const int byte = kept / 2;
    const int shift = 8 * byte + (kept % 2 == 0 ? 4 : 0);
    bits |= static_cast<std::uint32_t>(d) << shift;
    ++kept;
  }
  const float value = std::bit_cast<float>(bits);
  return std::isnan(value) ? 0.0 : static_cast<double>(value);
}

// --- SpeedGrade look -------------------------------------------------------

bool TSpeedgradeLook3DLutFormat::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "<look>,<shaders", "");
}

void TSpeedgradeLook3DLutFormat::Read(const std::filesystem::path& fileName, TLUT& lut,
                                      const TReadOptions& options) const {
  int n = 0;
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  std::string_view data;
  if (const std::string cube = CompanionCube(xml); !cube.empty()) {
    // A Premiere look: its LUT is the .cube it names, beside it.
    const std::filesystem::path cubeFile = fileName.parent_path() / std::filesystem::u8path(cube);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(cubeFile, ec))
      throw ELUTError("The look's LUT file \"" + cubeFile.string() + "\" is not found.");
    TCube3DLutFormat().Read(cubeFile, lut, options);
    return;
  }
  if (xml.HasNode("look") && xml.NodeByName("look").HasNode("lut")) {
    const TXMLNode& table = xml.NodeByName("look").NodeByName("lut");
    std::string_view size = table.NodeByName("size").Value.Text;
    if (!size.empty() && size.front() == '"')
      size = size.substr(1, size.size() >= 2 ? size.size() - 2 : 0);
    n = StrToInt(size);
    data = table.NodeByName("data").Value.Text;
  }
  if (n == 0) {
    lut.LutType = ltEmpty;
    return;
  }
  CheckCubeSize(n);
  lut.SetSize3D(n);
  const std::size_t nodes = static_cast<std::size_t>(n) * n * n;
  if (CountHexDigits(data) < nodes * 3 * 8) throw ELUTError("Incomplete file.");
  std::size_t pos = 0;
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        TLutRGB& node = lut.Cube(r, g, b);
        node.R = ReadHexFloat(data, pos);
        node.G = ReadHexFloat(data, pos);
        node.B = ReadHexFloat(data, pos);
      }
  lut.LutType = lt3D;
}

void TSpeedgradeLook3DLutFormat::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                       const TWriteContext& context) const {
  TTextFile text;
  AddShaderHead(text);
  AddShaderTail(text);
  text.Add("  <LUT>");
  text.Add("    <size>\"" + std::to_string(lut.Size3D()) + "\"</size>");
  // The closing quote goes after the last data line, so lines are held back
  // one step.
  std::string line = "    <data>\"";
  std::string digits;
  auto flush = [&] {
    text.Add(line);
    line = "      " + digits;
    digits.clear();
  };
  ForEachNodeRedFastest(lut, [&](const TLutRGB& rgb) {
    for (const double v : {rgb.R, rgb.G, rgb.B}) {
      digits += FloatToHex(v);
      if (digits.size() == HexLineLength) flush();
    }
  });
  if (!digits.empty()) flush();
  text.Add(line + "\"");
  text.Add("    </data>");
  text.Add("</LUT>");
  text.Add("</look>");
  text.SaveToFile(fileName, context.Replace);
}

// --- Premiere look ---------------------------------------------------------

std::filesystem::path LookCubePath(const std::filesystem::path& lookFile) {
  return std::filesystem::path(lookFile).replace_extension(".cube");
}

std::vector<std::filesystem::path> TSpeedgradeLook3DLutV2Format::CompanionFiles(
    const std::filesystem::path& fileName) const {
  return {LookCubePath(fileName)};
}

void TSpeedgradeLook3DLutV2Format::Write(const std::filesystem::path& fileName, const TLUT& lut,
                                         const TWriteContext& context) const {
  const std::filesystem::path cube = LookCubePath(fileName);
  std::error_code ec;
  const bool exists = std::filesystem::exists(std::filesystem::symlink_status(cube, ec));
  if (exists) {
    if (!context.Confirm)
      throw EFileError("The look's LUT file \"" + cube.string() +
                       "\" already exists and nobody was asked to overwrite it; nothing was "
                       "written.");
    if (context.Confirm->ConfirmOverwrite(cube, true) != TConfirmAnswer::Yes) throw EOutputKept();
  }
  // The cube is replaced only when the user said so above.
  TCube3DLutFormat().Write(cube, lut, {0, nullptr, exists ? TReplace::Allow : TReplace::Never});
  TTextFile text;
  AddShaderHead(text);
  text.Add("          <LUT>\"" + cube.filename().string() + "\"</LUT>");
  AddShaderTail(text);
  text.Add("</look>");
  text.SaveToFile(fileName, context.Replace);
}
