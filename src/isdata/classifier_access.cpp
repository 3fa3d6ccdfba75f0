// Look-ups into the classifier lists from the model.
#include "isdata/classifier_access.h"

namespace zz {

const std::vector<std::string>& ClassifierOrEmpty(TClassifierType type) {
  static const std::vector<std::string> kEmpty;
  const auto& all = Classifiers();
  auto it = all.find(type);
  return it == all.end() ? kEmpty : it->second;
}

}  // namespace zz
