#pragma once
// Model-side reading of the classifier lists: a list that was never built reads as empty, so that
// objects can be made (and tested) before or without the classifier files.
#include <string>
#include <vector>

#include "settings/classifiers.h"

namespace zz {

const std::vector<std::string>& ClassifierOrEmpty(TClassifierType type);

}  // namespace zz
