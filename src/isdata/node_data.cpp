// The element and line of a model object in its XML file.
#include "isdata/node_data.h"

#include "xml/my_node.h"

namespace zz {

TNodeData::TNodeData(const TMyNode* node) {
  if (!node) return;
  fLine = node->LineNumber();
  fPaths = node->Tree().ElementPaths();
  fElement = node->Index();
}

}  // namespace zz
