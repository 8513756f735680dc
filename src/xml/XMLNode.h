// A forgiving XML reader for the XML-based LUT formats and CDL files: it cuts
// a whole text into a tree of element nodes with attributes and text. It never
// reports a syntax error, keeps entity references as written, does not check
// that closing tags match, and treats every space inside a tag as an attribute
// separator. The readers of those formats rely on exactly these cutting rules
// (see XMLNode.cpp), so they are not approximated by a general XML library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TXMLValue {
 public:
  std::string Text;

  // Text as a number, "." or "," as decimal separator, empty text is 0;
  // anything else raises EConvertError.
  double AsFloat() const;
  // AsFloat rounded half to even, saturated to the 64-bit range.
  std::int64_t AsInteger() const;
  // AsInteger saturated to the int range, for sizes checked afterwards.
  int AsInt32() const;
};

// Attributes in insertion order; names compare without regard to ASCII case.
class TXMLAttributes {
 public:
  // The attribute of that name; one that is absent is added with empty text,
  // so a missing attribute reads as "" (and as 0 through AsFloat).
  TXMLValue& operator[](std::string_view name);
  bool Has(std::string_view name) const;
  std::size_t Count() const { return Items_.size(); }
  const std::string& Name(std::size_t i) const { return Items_[i].first; }
  const TXMLValue& Value(std::size_t i) const { return Items_[i].second; }
  void Clear();

 private:
  std::ptrdiff_t Find(std::string_view name) const;
  void Index(std::size_t i);
  std::vector<std::pair<std::string, TXMLValue>> Items_;
  // Kept once a tag holds many attributes, so that a hostile tag with very
  // many of them is not quadratic to read: an open-addressing table of
  // positions + 1 (0: empty) by the names' case-blind hash, at most half
  // full. It holds no copies of the names, and a node without it pays one
  // pointer.
  std::unique_ptr<std::vector<std::uint32_t>> Index_;
};

// Parsing limit: elements plus attributes of one document. Real LUT documents
// stay far below (an S.two 1D of 100,000 entries holds about 400,000); a
// hostile file would otherwise grow the tree far beyond the file's own size.
constexpr std::size_t MaxXMLItems = 1'000'000;

class TXMLNode {
 public:
  TXMLNode() = default;
  ~TXMLNode();
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  std::string NodeName;  // as written; "?xml" and "!--" keep their marks
  TXMLValue Value;       // the element's text content
  TXMLAttributes Attributes;

  TXMLNode& AddChild();
  std::size_t ChildCount() const { return Children_.size(); }
  TXMLNode& Child(std::size_t i) { return *Children_[i]; }
  const TXMLNode& Child(std::size_t i) const { return *Children_[i]; }
  // Empties the name, the attributes and the children.
  void Clear();

  // The first direct child of that name (ASCII case ignored); raises
  // ELUTError "The "name" node is not found" when there is none.
  TXMLNode& NodeByName(std::string_view name);
  const TXMLNode& NodeByName(std::string_view name) const;
  bool HasNode(std::string_view name) const;

  // Clears the node, then parses the text into its children: each top-level
  // item (declaration, root element, stray text) becomes one child. Raises
  // ELUTError only when the document holds more than itemLimit elements and
  // attributes.
  void ParseText(std::string_view text, std::size_t itemLimit = MaxXMLItems);
  void LoadXMLStream(std::istream& stream);
  // Raises EFileError naming the file when it cannot be read.
  void LoadXMLFile(const std::filesystem::path& fileName);

 private:
  const TXMLNode* FindChild(std::string_view name) const;
  void FreeChildren();
  std::vector<std::unique_ptr<TXMLNode>> Children_;
};
