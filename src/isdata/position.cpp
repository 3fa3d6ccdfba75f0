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

double TPosition::WorkingDaysIn(TDate quarterBegin, TDate quarterEnd, const TStaffEntry& entry,
                                const TSeasonDays& seasons) const {
  if (fProfessionCode == kHeatingPosition && seasons.Heating != 0) return seasons.Heating * entry.Units;
  bool navigation = std::find(kNavigationPositions.begin(), kNavigationPositions.end(), fProfessionCode) !=
                        kNavigationPositions.end() ||
                    Bases.HasBases("27-9");
  if (navigation && seasons.Navigation != 0) return seasons.Navigation * entry.Units;
  TDate begin = std::max(entry.Begin, quarterBegin);
  TDate end = entry.End.value_or(quarterEnd);
  return DaysInclusive(begin, end) * entry.Units;
}

std::string TPosition::pPositionAsString() const {
  std::string text = Bases.DelimitedText();
  if (!fProfessionCode.empty()) text += " (" + fProfessionCode + ")";
  return text;
}

}  // namespace zz
