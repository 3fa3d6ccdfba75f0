#pragma once
// A person read straight from the search: the kind of include the layers forbid.
#include "base/strings.h"
#include "search/searcher.h"
