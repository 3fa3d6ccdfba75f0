#pragma once
// The paths of a document's elements, kept after its tree is released: per element only its parent,
// name and number (12 bytes), so that a path string is built only when something asks for it.
#include <cstdint>
#include <string>
#include <vector>

namespace zz {

class TElementPaths {
 public:
  // "/a/b/c[2]" of the element at that position in document order, as TMyNode::GetXPath gives it.
  std::string Path(uint32_t element) const;
  size_t Count() const { return fEntries.size(); }

 private:
  friend class TMyTree;
  static constexpr uint32_t kNoParent = UINT32_MAX;
  struct TEntry {
    uint32_t Parent = kNoParent;
    uint32_t Name = 0;
    int32_t Number = 0;
  };
  std::vector<TEntry> fEntries;
  std::vector<std::string> fNames;
};

}  // namespace zz
