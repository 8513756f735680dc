#include "xml/XMLNode.h"

#include <sstream>

#include "TestSupport.h"
#include "core/Errors.h"

namespace {

// A tree as one line: name, @attribute=value..., "text", {children}; the
// top-level items are separated by " | ".
std::string Dump(const TXMLNode& node) {
  std::string out = node.NodeName;
  for (std::size_t i = 0; i < node.Attributes.Count(); ++i)
    out += " @" + node.Attributes.Name(i) + "=" + node.Attributes.Value(i).Text;
  if (!node.Value.Text.empty()) out += " \"" + node.Value.Text + "\"";
  if (node.ChildCount()) {
    out += " {";
    for (std::size_t i = 0; i < node.ChildCount(); ++i)
      out += (i ? ", " : "") + Dump(node.Child(i));
    out += "}";
  }
  return out;
}

std::string DumpDocument(std::string_view text) {
  TXMLNode xml;
  xml.ParseText(text);
  std::string out;
  for (std::size_t i = 0; i < xml.ChildCount(); ++i) out += (i ? " | " : "") + Dump(xml.Child(i));
  return out;
}

struct TCase {
  const char* what;
  const char* text;
  const char* tree;
};

const TCase Cases[] = {
    {"declaration and root, both quote kinds", "<?xml version=\"1.0\"?><a x='1' y=\"2\">t</a>",
     "?xml @version=1.0 | a @x=1 @y=2 \"t\""},
    {"a comment before a child is skipped", "<a><!-- note --><b/></a>", "a {b}"},
    {"only the first of two comments is skipped", "<a><!-- one --><!-- two --><b/></a>",
     "a {!-- @two= @-=, b}"},
    {"CDATA joins after a space", "<a>x<![CDATA[y]]>z</a>", "a \"x yz\""},
    {"CDATA keeps markup as text", "<a><![CDATA[<b>]]></a>", "a \" <b>\""},
    {"blank content is dropped", "<a> \n\t </a>", "a"},
    {"blanks around text are kept", "<a> q </a>", "a \" q \""},
    {"text around children is joined", "<a>one<b/>two</a>", "a \"onetwo\" {b}"},
    {"line breaks in a tag separate attributes", "<a\nx=\"1\"\ny=\"2\"/>", "a @x=1 @y=2"},
    {"CR LF is two separators", "<a x=1\r\ny=2/>", "a @x=1 @= @y=2"},
    {"a quoted value is cut at a space", "<a x=\"p q\"/>", "a @x= @q\"="},
    {"repeated spaces give a nameless attribute", "<a x=1  y=2/>", "a @x=1 @= @y=2"},
    {"attribute names ignore case", "<a X=1 x=2/>", "a @X=2"},
    {"entities stay as written", "<a n='&lt;'>&amp;</a>", "a @n=&lt; \"&amp;\""},
    {"closing tag names are not checked", "<a><b>t</c></a>", "a {b \"t\"}"},
    {"text after the root is a nameless node", "<a/>\n", "a | "},
    {"an unclosed element runs to the end", "<a><b>text", "a {b \"tex\"} | "},
    {"a missing '>' makes the rest the tag", "<a x=\"1\"", "a @x="},
    {"a declaration keeps its '!'", "<!DOCTYPE x><a/>", "!DOCTYPE | a"},
    {"an unclosed comment swallows the rest", "<!-- never closed <a/>", ""},
    {"nothing", "", ""},
    {"only text is a tag less its last character", "abc", "ab"},
    {"a lone '<'", "<", ""},
    {"an empty tag", "<>x</>", " \"x\""},
};

TEST(XMLNode, CuttingRules) {
  for (const TCase& c : Cases) EXPECT_EQ(DumpDocument(c.text), c.tree) << c.what;
}

TEST(XMLNode, LookupByNameAndMissingValues) {
  TXMLNode xml;
  xml.ParseText("<ColorCorrection><SOPNode n='2,5'/></ColorCorrection>");
  TXMLNode& cc = xml.NodeByName("colorcorrection");
  EXPECT_TRUE(cc.HasNode("sopnode"));
  EXPECT_FALSE(cc.HasNode("SATNode"));
  TXMLNode& sop = cc.NodeByName("SOPNODE");
  EXPECT_DOUBLE_EQ(sop.Attributes["N"].AsFloat(), 2.5);
  EXPECT_EQ(sop.Attributes["n"].AsInteger(), 2);  // half to even
  // A missing attribute reads as empty text and is added by asking.
  EXPECT_EQ(sop.Attributes["absent"].Text, "");
  EXPECT_EQ(sop.Attributes["absent"].AsFloat(), 0.0);
  EXPECT_EQ(sop.Attributes.Count(), 2u);
  try {
    cc.NodeByName("Slope");
    FAIL();
  } catch (const ELUTError& e) {
    EXPECT_STREQ(e.what(), "The \"Slope\" node is not found");
  }
  TXMLValue bad{"1e999"};
  EXPECT_THROW(bad.AsFloat(), EConvertError);
  EXPECT_EQ(TXMLValue{"3e30"}.AsInt32(), INT32_MAX);
}

TEST(XMLNode, ParsingAgainReplacesTheTree) {
  TXMLNode xml;
  xml.ParseText("<a/><b/>");
  xml.ParseText("<c/>");
  EXPECT_EQ(xml.ChildCount(), 1u);
  std::istringstream stream(std::string("<d>x</d>\0<e/>", 13));
  xml.LoadXMLStream(stream);
  ASSERT_EQ(xml.ChildCount(), 1u);  // a NUL ends the text
  EXPECT_EQ(xml.Child(0).Value.Text, "x");
}

TEST(XMLNode, DeepAndWideDocumentsWithoutRecursion) {
  // Nesting deep enough to exhaust any call stack if parsed or freed recursively.
  constexpr int depth = 300000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<a>";
  text += "end";
  {
    TXMLNode xml;
    xml.ParseText(text);
    const TXMLNode* node = &xml;
    int levels = 0;
    while (node->ChildCount()) {
      node = &node->Child(0);
      ++levels;
    }
    EXPECT_EQ(levels, depth);
  }
  // Very many attributes in one tag stay linear to read.
  std::string tag = "<a";
  for (int i = 0; i < 50000; ++i) tag += " n" + std::to_string(i) + "=" + std::to_string(i);
  TXMLNode xml;
  xml.ParseText(tag + "/>");
  EXPECT_EQ(xml.Child(0).Attributes.Count(), 50000u);
  EXPECT_EQ(xml.Child(0).Attributes["N49999"].Text, "49999");
}

TEST(XMLNode, ManyAttributesKeepOneEntryPerNameWhateverTheCase) {
  // Past the first few, names are found through a hash table that grows
  // several times here; written again in other letter cases they must land
  // on the same entries.
  std::string tag = "<a";
  for (int i = 0; i < 5000; ++i) tag += " n" + std::to_string(i) + "=old";
  for (int i = 0; i < 5000; i += 3) tag += " N" + std::to_string(i) + "=new";
  TXMLNode xml;
  xml.ParseText(tag + "/>");
  TXMLAttributes& attributes = xml.Child(0).Attributes;
  ASSERT_EQ(attributes.Count(), 5000u);
  for (int i = 0; i < 5000; ++i) {
    EXPECT_EQ(attributes.Name(i), "n" + std::to_string(i));
    EXPECT_EQ(attributes.Value(i).Text, i % 3 ? "old" : "new") << i;
    EXPECT_TRUE(attributes.Has("N" + std::to_string(i)));
  }
  EXPECT_FALSE(attributes.Has("n5000"));
  EXPECT_EQ(attributes["n5000"].Text, "");  // a missing one is added empty
  EXPECT_EQ(attributes.Count(), 5001u);
  EXPECT_TRUE(attributes.Has("N5000"));
}

TEST(XMLNode, RefusesDocumentsBeyondTheItemLimit) {
  TXMLNode xml;
  EXPECT_NO_THROW(xml.ParseText("<a x=1><b/><c/></a>", 10));
  std::string many;
  for (int i = 0; i < 11; ++i) many += "<e/>";
  EXPECT_THROW(xml.ParseText("<r>" + many + "</r>", 10), ELUTError);
  EXPECT_THROW(xml.ParseText("<r a b c d e f g h i j k/>", 10), ELUTError);
}

using XMLNodeFile = TempDirTest;

TEST_F(XMLNodeFile, LoadXMLFileNamesAMissingFile) {
  TXMLNode xml;
  try {
    xml.LoadXMLFile(Path("missing.xml"));
    FAIL();
  } catch (const EFileError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.xml"), std::string::npos);
  }
}

}  // namespace
