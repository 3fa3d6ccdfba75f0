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

  // Working days of one entry of the position (valid dBegin..dEnd, no end = open) within the
  // quarter, times the staff units. Heating- and navigation-season positions count their season.
  double setWorkingDays(TDate qBeginDate, TDate qEndDate, TDate dBegin, std::optional<TDate> dEnd, double positionCount,
                        int year, std::string_view positionCode, std::string_view lgot, double warmDays,
                        double navDays) const;

  std::string pPositionAsString() const;

  std::string fPost;
  double fWorkingDays = 0;
  std::string fTerrCond;
  TBases Bases;
  std::string fProfessionCode;
  double fQuantityByPositions = 0;
};

}  // namespace zz
