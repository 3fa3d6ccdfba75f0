// Amounts of hours printed as text.
#include <cmath>
#include <string>

#include "results/result_records.h"

namespace zz {

namespace {

// Round half to even, like the banker's rounding of the original amounts.
double RoundHalfEven(double value) {
  double rounded = std::round(value);
  if (std::fabs(value - std::trunc(value)) == 0.5) rounded = 2.0 * std::round(value / 2.0);
  return rounded;
}

}  // namespace

std::string MinutesAsHoursText(double minutes) {
  // Out-of-range amounts (broken input) print as zero rather than overflow.
  double rounded = std::isfinite(minutes) ? RoundHalfEven(minutes) : 0;
  if (std::fabs(rounded) > 9e15) rounded = 0;
  auto total = static_cast<long long>(rounded);
  return std::to_string(total / 60) + " часов " + std::to_string(total % 60) + " минут";
}

}  // namespace zz
