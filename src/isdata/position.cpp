// A staff position of the Perechen and its working-day amounts.
#include "isdata/position.h"

#include <algorithm>
#include <array>

#include "isdata/work_period.h"

namespace zz {

namespace {

constexpr std::string_view kHeatingPosition = "23200000-13786";
constexpr std::array<std::string_view, 6> kNavigationPositions = {"23003010",       "23003010-13156", "23003010-13502",
                                                                  "23003010-14706", "23003010-23484", "23003010-25410"};

}  // namespace

bool TPosition::Matches(const TBases& bases, std::string_view profCode, std::string_view terrCond) const {
  return Bases.DelimitedText() == bases.DelimitedText() && fProfessionCode == profCode &&
         TerritoryConditionsMatch(fTerrCond, terrCond);
}

bool TPosition::Matches(const TWorkPeriod& other) const {
  return Matches(other.Bases, other.ProfessionCode, other.TerritoryCondition);
}

double TPosition::setWorkingDays(TDate qBeginDate, TDate qEndDate, TDate dBegin, std::optional<TDate> dEnd,
                                 double positionCount, int /*year*/, std::string_view positionCode,
                                 std::string_view lgot, double warmDays, double navDays) const {
  if (positionCode == kHeatingPosition && warmDays != 0) return warmDays * positionCount;
  bool navigation =
      std::find(kNavigationPositions.begin(), kNavigationPositions.end(), positionCode) != kNavigationPositions.end() ||
      lgot.find("27-9") != std::string_view::npos;
  if (navigation && navDays != 0) return navDays * positionCount;
  TDate begin = std::max(dBegin, qBeginDate);
  TDate end = dEnd.value_or(qEndDate);
  return DaysInclusive(begin, end) * positionCount;
}

std::string TPosition::pPositionAsString() const {
  std::string text = Bases.DelimitedText();
  if (!fProfessionCode.empty()) text += " (" + fProfessionCode + ")";
  return text;
}

}  // namespace zz
