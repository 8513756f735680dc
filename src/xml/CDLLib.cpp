// ASC CDL correction files. A minimal one:
//
//   <ColorCorrection id="shot_042">
//     <SOPNode>
//       <Slope>1.1 1.0 0.9</Slope>
//       <Offset>-0.02 0 0.01</Offset>
//       <Power>1.0 1.0 1.2</Power>
//     </SOPNode>
//     <SATNode><Saturation>0.8</Saturation></SATNode>
//   </ColorCorrection>
//
// Collections (ColorCorrectionCollection, .ccc) and decision lists
// (ColorDecisionList > ColorDecision > ColorCorrection, .cdl) are read too:
// the first correction, or the one whose id the read options name.
//
// Quirks, each kept on purpose:
// - The three numbers may be separated by a space, a tab or a comma; a
//   decimal comma therefore splits a number, and the numbers left over make
//   it an error rather than a silently different correction.
// - Saturation mixes with Rec. 709 luma (0.2126, 0.7152, 0.0722), as the
//   CDL's own definition and every grading system do, and no result is
//   clamped: the LUT keeps what the correction gives, values above 1 included.
// - The arithmetic is single precision with the power taken in extended
//   precision, so cubes match those made from the same file before.
#include "xml/CDLLib.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/LutFormula.h"
#include "core/StringLib.h"
#include "core/TextFile.h"
#include "xml/XMLNode.h"

namespace {

constexpr int CDLCubeSize = 33;

float ParseCDLNumber(std::string_view token) {
  double v = 0;
  if (!TryParseFloat(token, v))
    throw EConvertError("'" + std::string(token) + "' is not a valid floating point value");
  return static_cast<float>(v);
}

void ReadTriple(const TXMLNode& sop, std::string_view name, float& r, float& g, float& b) {
  const std::string_view all = Trim(sop.NodeByName(name).Value.Text);
  std::string_view text = all;
  r = ParseCDLNumber(CutToken(text));
  g = ParseCDLNumber(CutToken(text));
  b = ParseCDLNumber(CutToken(text));
  // A decimal comma splits numbers; the text left over is how that shows.
  if (!Trim(text).empty())
    throw EConvertError("'" + std::string(all) +
                        "' is not a list of three numbers with '.' as "
                        "the decimal separator");
}

float SlopeOffsetPower(float x, float slope, float offset, float power) {
  const float v = static_cast<float>(static_cast<long double>(x) * slope + offset);
  if (!(v > 0)) return 0;  // NaN as well
  return static_cast<float>(std::pow(static_cast<long double>(v), static_cast<long double>(power)));
}

}  // namespace

namespace {

bool SameName(const TXMLNode& node, std::string_view name) {
  return UpperCase(node.NodeName) == UpperCase(name);
}

// The corrections a file holds, in file order: the root ColorCorrection, the
// ColorCorrection elements of a collection, or those of a decision list's
// ColorDecision elements.
std::vector<TXMLNode*> Corrections(TXMLNode& xml) {
  std::vector<TXMLNode*> found;
  if (xml.HasNode("ColorCorrection")) {
    found.push_back(&xml.NodeByName("ColorCorrection"));
  } else if (xml.HasNode("ColorCorrectionCollection")) {
    TXMLNode& collection = xml.NodeByName("ColorCorrectionCollection");
    for (std::size_t i = 0; i < collection.ChildCount(); ++i)
      if (SameName(collection.Child(i), "ColorCorrection")) found.push_back(&collection.Child(i));
  } else if (xml.HasNode("ColorDecisionList")) {
    TXMLNode& list = xml.NodeByName("ColorDecisionList");
    for (std::size_t i = 0; i < list.ChildCount(); ++i)
      if (SameName(list.Child(i), "ColorDecision") && list.Child(i).HasNode("ColorCorrection"))
        found.push_back(&list.Child(i).NodeByName("ColorCorrection"));
  }
  // A file without any raises the reader's own node-not-found error.
  if (found.empty()) found.push_back(&xml.NodeByName("ColorCorrection"));
  return found;
}

void ReadCorrection(TXMLNode& correction, TCDLCorrection& cdl) {
  cdl.Id = correction.Attributes["id"].Text;
  const TXMLNode& sop = correction.NodeByName("SOPNode");
  ReadTriple(sop, "Slope", cdl.SlopeR, cdl.SlopeG, cdl.SlopeB);
  ReadTriple(sop, "Offset", cdl.OffsetR, cdl.OffsetG, cdl.OffsetB);
  ReadTriple(sop, "Power", cdl.PowerR, cdl.PowerG, cdl.PowerB);
  cdl.Saturation = 1;
  if (correction.HasNode("SATNode") && correction.NodeByName("SATNode").HasNode("Saturation"))
    cdl.Saturation = static_cast<float>(
        correction.NodeByName("SATNode").NodeByName("Saturation").Value.AsFloat());
}

}  // namespace

std::vector<std::string> ReadCDLIds(const std::filesystem::path& fileName) {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  std::vector<std::string> ids;
  for (TXMLNode* correction : Corrections(xml)) ids.push_back(correction->Attributes["id"].Text);
  return ids;
}

void ReadCDLFile(const std::filesystem::path& fileName, TCDLCorrection& cdl,
                 const std::string& id, int index) {
  TXMLNode xml;
  xml.LoadXMLFile(fileName);
  const std::vector<TXMLNode*> corrections = Corrections(xml);
  TXMLNode* chosen = corrections.front();
  if (!id.empty()) {
    const auto it = std::find_if(corrections.begin(), corrections.end(), [&](TXMLNode* c) {
      return c->Attributes["id"].Text == id;
    });
    if (it == corrections.end()) {
      // Name what there is to choose from.
      std::string ids;
      for (TXMLNode* c : corrections) {
        const std::string& each = c->Attributes["id"].Text;
        ids +=
            (ids.empty() ? "" : ", ") + (each.empty() ? std::string("(none)") : "\"" + each + "\"");
      }
      throw ELUTError("No colour correction with the id \"" + id +
                      "\" in the file; its ids: " + ids + ".");
    }
    chosen = *it;
  } else if (index >= 0) {
    // Corrections without an id are told apart by their place in the file.
    if (static_cast<std::size_t>(index) >= corrections.size())
      throw ELUTError("No colour correction #" + std::to_string(index + 1) + " in the file; it holds " +
                      std::to_string(corrections.size()) + ".");
    chosen = corrections[static_cast<std::size_t>(index)];
  }
  ReadCorrection(*chosen, cdl);
}

void ApplyCDL(const TCDLCorrection& cdl, float r, float g, float b, float& outR, float& outG,
              float& outB) {
  const float pr = SlopeOffsetPower(r, cdl.SlopeR, cdl.OffsetR, cdl.PowerR);
  const float pg = SlopeOffsetPower(g, cdl.SlopeG, cdl.OffsetG, cdl.PowerG);
  const float pb = SlopeOffsetPower(b, cdl.SlopeB, cdl.OffsetB, cdl.PowerB);
  const long double sat = cdl.Saturation;
  const float luma = static_cast<float>(static_cast<long double>(0.2126f) * pr +
                                        static_cast<long double>(0.7152f) * pg +
                                        static_cast<long double>(0.0722f) * pb);
  const long double grey = (1 - sat) * luma;
  outR = static_cast<float>(pr * sat + grey);
  outG = static_cast<float>(pg * sat + grey);
  outB = static_cast<float>(pb * sat + grey);
}

namespace {

// The correction itself, which lookups evaluate: an output is sampled from
// it at its own nodes, and eval and apply use it between the nodes of the
// record's cube.
class TCdlFormula final : public TLutFormula {
 public:
  explicit TCdlFormula(const TCDLCorrection& cdl) : Cdl_(cdl) {}
  void Apply(TLutRGB* colours, std::size_t count) const override {
    for (std::size_t i = 0; i < count; ++i) {
      TLutRGB& c = colours[i];
      float r, g, b;
      ApplyCDL(Cdl_, static_cast<float>(c.R), static_cast<float>(c.G), static_cast<float>(c.B), r, g, b);
      c = {r, g, b};
    }
  }

 private:
  TCDLCorrection Cdl_;
};

}  // namespace

bool TASC_CDL_Format::Detect(const std::filesystem::path& fileName) const {
  return MatchKeywords(fileName, "<ColorCorrection,<SOPNode>", "");
}

void TASC_CDL_Format::Read(const std::filesystem::path& fileName, TLUT& lut,
                           const TReadOptions& options) const {
  TCDLCorrection cdl;
  ReadCDLFile(fileName, cdl, options.CdlId, options.CdlIndex);
  lut.Comments.push_back("Name: " + cdl.Id);
  lut.LutType = lt3D;
  lut.SetSize3D(CDLCubeSize);
  constexpr float last = CDLCubeSize - 1;
  for (int r = 0; r < CDLCubeSize; ++r)
    for (int g = 0; g < CDLCubeSize; ++g)
      for (int b = 0; b < CDLCubeSize; ++b) {
        float outR, outG, outB;
        ApplyCDL(cdl, static_cast<float>(r) / last, static_cast<float>(g) / last,
                 static_cast<float>(b) / last, outR, outG, outB);
        lut.Cube(r, g, b) = {outR, outG, outB};
      }
  lut.Formula = std::make_shared<const TCdlFormula>(cdl);
}
