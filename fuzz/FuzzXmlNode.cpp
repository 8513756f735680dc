// The fuzz target of the XML node tree: the fuzzer's bytes are cut into a
// tree exactly as the XML formats' readers load a file, and every node,
// attribute and value of the tree is then visited and converted to numbers,
// as those readers do. The tree is walked with an explicit stack: nesting
// depth is the input's to choose.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/Errors.h"
#include "xml/XMLNode.h"

namespace {

void TryNumbers(const TXMLValue& value) {
  try {
    (void)value.AsFloat();
    (void)value.AsInteger();
    (void)value.AsInt32();
  } catch (const EConvertError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TXMLNode root;
  try {
    root.ParseText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const ELUTError&) {
    return 0;  // more items than a document may hold
  }
  std::vector<const TXMLNode*> pending{&root};
  while (!pending.empty()) {
    const TXMLNode& node = *pending.back();
    pending.pop_back();
    TryNumbers(node.Value);
    for (std::size_t i = 0; i < node.Attributes.Count(); ++i) {
      TryNumbers(node.Attributes.Value(i));
      (void)node.Attributes.Has(node.Attributes.Name(i));
    }
    if (node.HasNode(node.NodeName)) (void)node.NodeByName(node.NodeName);
    for (std::size_t i = 0; i < node.ChildCount(); ++i) pending.push_back(&node.Child(i));
  }
  return 0;
}
