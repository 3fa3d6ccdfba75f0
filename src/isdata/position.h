#pragma once
// One staff position of the Perechen.
#include <optional>
#include <string>
#include <string_view>

#include "base/dates.h"
#include "isdata/bases.h"
#include "isdata/result_data.h"

namespace zz {

class TWorkPeriod;

class TPosition : public TResultData {
 public:
  // Codes, position code and "СЕЛО" rule of the period comparison; additional data plays no part.
  bool Matches(const TBases& bases, std::string_view profCode, std::string_view terrCond) const;
  bool Matches(const TWorkPeriod& other) const;

  // One entry of the position in the staff list: valid from Begin to End (none: open), in staff units.
  struct TStaffEntry {
    TDate Begin{};
    std::optional<TDate> End;
    double Units = 0;
  };
  // The days of the quarter a heating- and a navigation-season position work; 0: not given.
  struct TSeasonDays {
    double Heating = 0;
    double Navigation = 0;
  };
  // Working days of one entry of the position within the quarter, times its staff units. A
  // heating- or navigation-season position (by its code, or navigation by the ground 27-9) counts
  // its season's days when they are given.
  double WorkingDaysIn(TDate quarterBegin, TDate quarterEnd, const TStaffEntry& entry,
                       const TSeasonDays& seasons) const;

  std::string pPositionAsString() const;

  std::string fPost;
  double fWorkingDays = 0;
  std::string fTerrCond;
  TBases Bases;
  std::string fProfessionCode;
  double fQuantityByPositions = 0;
};

}  // namespace zz
