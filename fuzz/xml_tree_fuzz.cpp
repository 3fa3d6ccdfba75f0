// The XML node tree: any bytes are read into a whole tree or into none with a reason, within the
// depth and memory bounds, and every look-up of the tree answers consistently: descendants by name
// lie inside the subtree, children know their parent, paths can be formed for every node.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "xml/my_parser.h"

using zz::fuzz::Expect;

namespace {

bool IsInside(const zz::TMyNode* node, const zz::TMyNode* ancestor) {
  for (const zz::TMyNode* p = node->parent(); p; p = p->parent())
    if (p == ancestor) return true;
  return false;
}

void Visit(const zz::TMyNode* node, int depth, size_t& visited) {
  ++visited;
  Expect(depth < static_cast<int>(zz::kMaxElementDepth), "depth bounded");
  std::string path = node->GetXPath();
  Expect(!path.empty() && path[0] == '/', "path starts at the root");
  const std::string& name = node->NodeName();
  std::string_view text = node->text();
  (void)text;
  for (const zz::TMyAttrib& a : node->Attributes()) {
    const zz::TMyAttrib* found = node->Attributes().getNamedItem(a.name());
    Expect(found != nullptr && found->name() == a.name(), "attribute found by its name");
  }
  for (const zz::TMyNode* d : node->GetElementsByTagName(name)) {
    Expect(d->NodeName() == name, "descendant has the name asked for");
    Expect(IsInside(d, node), "descendant lies inside the subtree");
  }
  for (const zz::TMyNode* child : node->ChildNodes()) {
    Expect(child->parent() == node, "child knows its parent");
    zz::TMyNodeList same = node->SelectNodes(child->NodeName());
    Expect(!same.empty() && node->SelectSingleNode(child->NodeName()) == same.front(), "first child by name");
    Expect(same.size() == 1 ? child->NodeNumber() == 0 : child->NodeNumber() >= 1, "node number");
    Visit(child, depth + 1, visited);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zz::TMyParser parser;
  zz::TMyTreePtr tree = parser.parseBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  Expect(parser.TreeBytes <= zz::kTreeBytesBase + zz::kTreeBytesPerInputByte * size, "tree memory bounded");
  if (!tree) {
    Expect(!parser.LastError.empty(), "no tree without a reason");
    return 0;
  }
  Expect(parser.LastError.empty(), "a whole tree has no reason against it");
  size_t visited = 0;
  Visit(tree.get(), 0, visited);
  Expect(visited == tree.tree()->NodeCount(), "every node reached from the root");
  return 0;
}
