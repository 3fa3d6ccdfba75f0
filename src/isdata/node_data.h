#pragma once
// Where an object came from in its XML file: the element (its path built on demand) and its line.
#include <cstdint>
#include <memory>
#include <string>

#include "xml/element_paths.h"

namespace zz {

class TMyNode;

class TNodeData {
 public:
  TNodeData() = default;
  // Copy of another record; an absent source gives an empty record.
  explicit TNodeData(const TNodeData* source) {
    if (source) *this = *source;
  }
  // The element's place and line; an absent node gives an empty record. The file's tree may be
  // released afterwards: the record keeps the file's compact path table, not a path string.
  explicit TNodeData(const TMyNode* node);

  bool IsEmpty() const { return fLine == 0 && !fPaths; }
  // "/a/b/c[2]"; empty for an empty record.
  std::string XPath() const { return fPaths ? fPaths->Path(fElement) : std::string(); }

  int fLine = 0;

 private:
  uint32_t fElement = 0;  // next to fLine, so that a record takes 24 bytes
  std::shared_ptr<const TElementPaths> fPaths;
};

}  // namespace zz
