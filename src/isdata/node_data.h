#pragma once
// Where an object came from in its XML file: element path and line.
#include <string>

namespace zz {

class TMyNode;

class TNodeData {
 public:
  TNodeData() = default;
  TNodeData(std::string xpath, int line) : fLine(line), fXPath(std::move(xpath)) {}
  // Copy of another record; an absent source gives an empty record.
  explicit TNodeData(const TNodeData* source) {
    if (source) *this = *source;
  }
  // The element's path and line; an absent node gives an empty record.
  explicit TNodeData(const TMyNode* node);

  bool IsEmpty() const { return fLine == 0 && fXPath.empty(); }

  int fLine = 0;
  std::string fXPath;
};

}  // namespace zz
