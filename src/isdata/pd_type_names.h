#pragma once
#include <string>

#include "isdata/base_data.h"

namespace zz {

// The document kind as the protocol shows it ("СЗВ-СТАЖ", "ЕФС-1" ...).
std::string PDTypeDisplayName(TPDType type);

}  // namespace zz
