#pragma once
// One work period, on either side of the reconciliation (IS file or Perechen named list).
#include <string>
#include <string_view>
#include <vector>

#include "base/dates.h"
#include "base/shared_text.h"
#include "isdata/add_pd_data.h"
#include "isdata/bases.h"
#include "isdata/node_data.h"
#include "isdata/result_data.h"

namespace zz {

class TDataArena;

// Seniority bases a period may carry; anything else offered to SetSeniorityBase is ignored.
extern const std::vector<std::string> SeniorityBaseCodes;
// Flight codes: a period carrying one of them always counts at the full rate.
extern const std::vector<std::string> FlightBaseCodes;

// "0", the worked-time texts' start value, looked up once.
const TSharedText& ZeroText();

class TWorkPeriod : public TResultData {
 public:
  TWorkPeriod();
  // The Bases list and AddPdData point back at the period: periods are made in place, never copied.
  TWorkPeriod(const TWorkPeriod&) = delete;
  TWorkPeriod& operator=(const TWorkPeriod&) = delete;

  const std::string& SeniorityBase() const { return FSeniorityBase.str(); }
  // Stores the value only when it contains one of SeniorityBaseCodes.
  void SetSeniorityBase(std::string_view value);

  // A new period in the arena with the comparison-relevant fields copied (not the year, the
  // Perechen comment and note, the verification flags, nor IsResultData).
  TWorkPeriod* Clone(TDataArena& arena) const;

  bool Matches(const TBases& bases, std::string_view profCode, std::string_view terrCond,
               const TAddPdData& addPdData) const;
  bool Matches(const TWorkPeriod& other) const;

  double WorkingDays() const;
  // One of the worked-time texts (months, days, hours, minutes) stands for some time.
  bool HasWorkTimeTexts() const;
  bool HasFactWorkedTime() const;
  bool HasLgotSideDataOnly() const { return Bases.Empty(); }
  bool HasNoLgotAddPdData() const { return AddPdData.HasNoLgotCode(); }

  std::string RateStr() const;
  std::string pBeginAsString() const;
  std::string pEndAsString() const;
  std::string pPeriodString() const;
  std::string BasesAndCode() const;
  std::string WorkTimeAsString() const;
  std::string CompactWorkTimeText() const;

  int Year = 0;
  int CorrYear = 0;
  TSharedText Period;
  TSharedText TerritoryCondition;
  TSharedText TerritoryCoeff;
  TNodeData NodeData;
  TNodeData PDRKHoursNodeData;
  TSharedText WC;
  TSharedText ProfessionCode;
  TSharedText PackNum;
  std::string NumInPack;
  TSharedText NumSub;
  TSharedText Months = ZeroText();
  TSharedText Days = ZeroText();
  TSharedText Hours = ZeroText();
  TSharedText Minutes = ZeroText();
  TNodeData RateNodeData;
  TNodeData FactNodeData;
  double PDRKHours = 0;
  double PDRKMinutes = 0;
  TNodeData TerrNodeData;
  TNodeData SeniorityNodeData;
  TDate Start{};
  TDate Finish{};
  TSharedText Profession;
  TSharedText PackDate;
  bool Compared = false;
  TSharedText Comment;
  TSharedText Note;
  TAddPdData AddPdData;
  double Rate = 1.0;
  bool FoundInListPositions = false;
  TSharedText AddTariff;
  TBases Bases;

 private:
  void ApplyFlightRule();

  TSharedText FSeniorityBase;
};

// A worked-time text stands for no time: empty, or an integer of value 0 ("0", "00"). The files
// write the texts in either form, so they are compared as numbers.
bool IsZeroWorkTime(std::string_view text);

// Rule 3 of the period comparison: only "СЕЛО" is compared, an empty condition goes with it.
bool TerritoryConditionsMatch(std::string_view own, std::string_view other);

// Drops a reader's temporary period unless a result record refers to it. The memory stays with the
// set's arena until the set is released, so a record made earlier can never be left dangling.
void ReleaseWorkPeriod(TWorkPeriod*& period);

// "dd.mm.yyyy", or empty for a date outside the years 1..9999.
std::string FormatDateOrEmpty(TDate date);

}  // namespace zz
