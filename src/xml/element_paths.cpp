// Building element paths from the compact table a tree leaves behind.
#include "xml/element_paths.h"

#include <algorithm>

namespace zz {

std::string TElementPaths::Path(uint32_t element) const {
  std::vector<uint32_t> chain;
  for (uint32_t at = element; at < fEntries.size(); at = fEntries[at].Parent) chain.push_back(at);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const TEntry& e = fEntries[*it];
    path += '/';
    path += fNames[e.Name];
    if (e.Number != 0) {
      path += '[';
      path += std::to_string(e.Number);
      path += ']';
    }
  }
  return path;
}

}  // namespace zz
