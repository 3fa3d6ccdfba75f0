// The element path and line of a model object in its XML file.
#include "isdata/node_data.h"

#include "xml/my_node.h"

namespace zz {

TNodeData::TNodeData(const TMyNode* node) {
  if (!node) return;
  fLine = node->LineNumber();
  fXPath = node->GetXPath();
}

}  // namespace zz
