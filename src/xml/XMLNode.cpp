// The forgiving XML reader. It consumes the text from the front by cutting
// at '<' and '>', in the way the formats' own files have always been read:
//
//   <?xml version="1.0"?>           -> node "?xml", attribute version
//   <a x='1' y="2">t<b/></a>         -> node "a" (x, y, text "t"), child "b"
//
// Rules kept on purpose, because files in the field were written against them:
// - Only a comment directly ahead of an element is skipped, and only one; a
//   second comment in a row becomes a node named "!--".
// - Every space in a tag ends an attribute, even inside quotes; line breaks
//   count as spaces. A quoted value loses its first and last character.
// - Text before and after child elements is joined without separator; text
//   that is only blanks is dropped; CDATA is appended after a space.
// - Closing tag names are not checked; an unclosed element runs to the end.
// - Entity references stay as written.
// The tree is built without recursion (an explicit stack of open elements)
// and freed without recursion, so no nesting depth can exhaust the stack.
#include "xml/XMLNode.h"

#include <bit>
#include <climits>
#include <cmath>
#include <istream>
#include <iterator>

#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/StringLib.h"

// --- Values and attributes -------------------------------------------------

double TXMLValue::AsFloat() const { return StrToFloatTolerant(Text); }

std::int64_t TXMLValue::AsInteger() const {
  const double v = std::nearbyint(AsFloat());
  if (v >= 9.2233720368547758e18) return INT64_MAX;
  if (v <= -9.2233720368547758e18) return INT64_MIN;
  return static_cast<std::int64_t>(v);
}

int TXMLValue::AsInt32() const {
  const std::int64_t v = AsInteger();
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

namespace {

constexpr std::size_t IndexFrom = 16;  // attributes before the index is kept

std::uint64_t CaseBlindHash(std::string_view name) {
  std::uint64_t h = 14695981039346656037u;  // FNV-1a
  for (const char c : name) {
    h ^= static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    h *= 1099511628211u;
  }
  return h;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

}  // namespace

std::ptrdiff_t TXMLAttributes::Find(std::string_view name) const {
  if (Index_) {
    const std::vector<std::uint32_t>& index = *Index_;
    const std::size_t mask = index.size() - 1;
    for (std::size_t at = CaseBlindHash(name) & mask;; at = (at + 1) & mask) {
      const std::uint32_t entry = index[at];
      if (entry == 0) return -1;
      if (SameName(Items_[entry - 1].first, name)) return static_cast<std::ptrdiff_t>(entry - 1);
    }
  }
  for (std::size_t i = 0; i < Items_.size(); ++i)
    if (SameName(Items_[i].first, name)) return static_cast<std::ptrdiff_t>(i);
  return -1;
}

void TXMLAttributes::Index(std::size_t i) {
  std::vector<std::uint32_t>& index = *Index_;
  const std::size_t mask = index.size() - 1;
  std::size_t at = CaseBlindHash(Items_[i].first) & mask;
  while (index[at] != 0) at = (at + 1) & mask;
  index[at] = static_cast<std::uint32_t>(i + 1);
}

TXMLValue& TXMLAttributes::operator[](std::string_view name) {
  if (const std::ptrdiff_t i = Find(name); i >= 0)
    return Items_[static_cast<std::size_t>(i)].second;
  Items_.emplace_back(std::string(name), TXMLValue{});
  if (Items_.size() >= IndexFrom) {
    if (Index_ && 2 * Items_.size() <= Index_->size()) {
      Index(Items_.size() - 1);
    } else {
      Index_ = std::make_unique<std::vector<std::uint32_t>>(std::bit_ceil(4 * Items_.size()), 0);
      for (std::size_t i = 0; i < Items_.size(); ++i) Index(i);
    }
  }
  return Items_.back().second;
}

bool TXMLAttributes::Has(std::string_view name) const { return Find(name) >= 0; }

void TXMLAttributes::Clear() {
  Items_.clear();
  Index_.reset();
}

// --- Nodes -----------------------------------------------------------------

TXMLNode::~TXMLNode() { FreeChildren(); }

void TXMLNode::FreeChildren() {
  // Detach every descendant into one list first, so that destroying a deep
  // tree never recurses.
  std::vector<std::unique_ptr<TXMLNode>> pending = std::move(Children_);
  Children_.clear();
  while (!pending.empty()) {
    std::unique_ptr<TXMLNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->Children_) pending.push_back(std::move(child));
    node->Children_.clear();
  }
}

TXMLNode& TXMLNode::AddChild() {
  Children_.push_back(std::make_unique<TXMLNode>());
  return *Children_.back();
}

void TXMLNode::Clear() {
  NodeName.clear();
  Attributes.Clear();
  FreeChildren();
}

const TXMLNode* TXMLNode::FindChild(std::string_view name) const {
  for (const auto& child : Children_)
    if (child->NodeName.size() == name.size() && StartsWithNoCase(child->NodeName, name))
      return child.get();
  return nullptr;
}

const TXMLNode& TXMLNode::NodeByName(std::string_view name) const {
  if (const TXMLNode* child = FindChild(name)) return *child;
  throw ELUTError("The \"" + std::string(name) + "\" node is not found");
}

TXMLNode& TXMLNode::NodeByName(std::string_view name) {
  return const_cast<TXMLNode&>(std::as_const(*this).NodeByName(name));
}

bool TXMLNode::HasNode(std::string_view name) const { return FindChild(name) != nullptr; }

// --- Parsing ---------------------------------------------------------------

namespace {

constexpr std::size_t npos = std::string_view::npos;
// Every space in a tag ends a name or an attribute, and so does a line break.
constexpr std::string_view TagSeparators = " \r\n";

class TXMLCutter {
 public:
  TXMLCutter(std::string_view text, std::size_t itemLimit) : S(text), Limit(itemLimit) {}

  // One top-level item into node, with everything nested in it.
  void ParseElement(TXMLNode& node) {
    std::vector<TXMLNode*> open;
    if (ParseTag(node)) open.push_back(&node);
    while (!open.empty()) {
      TXMLNode* child = ParseContentStep(*open.back());
      if (child == open.back()) {
        open.pop_back();  // its content has ended
      } else if (child) {
        open.push_back(child);
      }
    }
  }

  bool Done() const { return S.empty(); }
  void Count() {
    if (++Items > Limit)
      throw ELUTError("The XML document holds more than " + std::to_string(Limit) +
                      " elements and attributes.");
  }

 private:
  // The start tag of an element: name and attributes. True when the element
  // has content to parse (it is not "<x/>", "<?x?>" or "<!x>").
  bool ParseTag(TXMLNode& node) {
    const std::size_t first = S.find('<');
    if (first != npos && S.substr(first + 1, 3) == "!--") {
      const std::size_t end = S.find("-->");
      S.remove_prefix(end == npos ? S.size() : end + 3);
    }
    if (const std::size_t lt = S.find('<'); lt != npos) S.remove_prefix(lt + 1);
    // Without a '>' the rest of the text is the tag, less its last character.
    const std::size_t gt = S.find('>');
    const std::size_t p = gt == npos ? S.size() : gt + 1;  // counted from 1
    const bool closed =
        (p >= 2 && (S[p - 2] == '/' || S[p - 2] == '?')) || (!S.empty() && S.front() == '!');
    std::string_view tag = S.substr(0, p > 0 ? p - 1 : 0);
    S.remove_prefix(p);
    if (closed && !tag.empty()) tag.remove_suffix(1);
    const std::size_t space = tag.find_first_of(TagSeparators);
    node.NodeName = tag.substr(0, space);
    if (space != npos) ParseAttributes(node, Trim(tag.substr(space + 1)));
    if (!closed) node.Value.Text.clear();
    return !closed;
  }

  void ParseAttributes(TXMLNode& node, std::string_view text) {
    while (!text.empty()) {
      const std::size_t cut = text.find_first_of(TagSeparators);
      const std::string_view token = text.substr(0, cut);
      text.remove_prefix(cut == npos ? text.size() : cut + 1);
      const std::size_t eq = token.find('=');
      const std::string_view name = Trim(token.substr(0, eq));
      std::string_view value = eq == npos ? std::string_view{} : Trim(token.substr(eq + 1));
      if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
        value.remove_prefix(1);
        if (!value.empty()) value.remove_suffix(1);
      }
      const std::size_t before = node.Attributes.Count();
      TXMLValue& attribute = node.Attributes[name];
      if (node.Attributes.Count() != before) Count();
      attribute.Text = value;
    }
  }

  // One round of node's content: text up to the next '<', then a CDATA
  // section (nullptr: go on), the closing tag or the end (node itself: its
  // content has ended), or a child element (the child, when it has content
  // of its own to parse next; nullptr otherwise).
  TXMLNode* ParseContentStep(TXMLNode& node) {
    const std::size_t lt = S.find('<');
    // Without a '<' the last character of the text is not taken as text.
    const std::size_t take = lt == npos ? (S.empty() ? 0 : S.size() - 1) : lt;
    const std::string_view text = S.substr(0, take);
    if (!Trim(text).empty()) node.Value.Text.append(text);
    S.remove_prefix(take);
    if (S.empty() || lt == npos) return &node;
    if (S.substr(1, 8) == "![CDATA[") {
      const std::size_t end = S.find("]]>");
      const std::size_t stop = end == npos ? S.size() - 1 : end;
      node.Value.Text += ' ';
      if (stop > 9) node.Value.Text.append(S.substr(9, stop - 9));
      S.remove_prefix(end == npos ? S.size() : end + 3);
      return nullptr;
    }
    if (S.size() > 1 && S[1] == '/') {
      const std::size_t gt = S.find('>');
      S.remove_prefix(gt == npos ? S.size() : gt + 1);
      return &node;
    }
    Count();
    TXMLNode& child = node.AddChild();
    return ParseTag(child) ? &child : nullptr;
  }

  std::string_view S;  // what is left of the text
  std::size_t Limit;
  std::size_t Items = 0;
};

}  // namespace

void TXMLNode::ParseText(std::string_view text, std::size_t itemLimit) {
  Clear();
  TXMLCutter cutter(text, itemLimit);
  while (!cutter.Done()) {
    cutter.Count();
    cutter.ParseElement(AddChild());
  }
}

void TXMLNode::LoadXMLStream(std::istream& stream) {
  std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  ParseText(text);
}

void TXMLNode::LoadXMLFile(const std::filesystem::path& fileName) {
  std::string text = ReadWholeFile(fileName);
  if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  ParseText(text);
}
