#pragma once
// Pieces of the staff-position check that are worth reaching from outside the check itself.
#include <string>
#include <vector>

#include "base/dates.h"

namespace zz {

// Additional-data codes that may not stand on a period of a benefit position.
extern const std::vector<std::string> PositionForbiddenAddPdData;

// The date the validity of additional-data codes is judged on: the first day of the reporting
// period of the Perechen (the quarter; for 2010, period 2 is the first and 4 the second half-year).
// Throws std::runtime_error when year or period cannot name one.
TDate StaffReferenceDate(int year, int period);

}  // namespace zz
