#pragma once
// The concrete tables of the protocol. Each class takes its id, kind, chapter, title and header
// from the catalogue (TableCatalogue); the few with their own rules override AddRecord.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "results/result.h"

namespace zz {

// Every table kind, in catalogue order.
const std::vector<TTableDescription>& TableCatalogue();
// The description of one table class; throws std::out_of_range for an unknown name.
const TTableDescription& DescribeTable(std::string_view className);

#define ZZ_TABLE(Name, Base) \
  class Name : public Base { \
   public:                   \
    Name();                  \
  };

// One row per distinct IS period: a record whose period matches one already listed is dropped.
class TPositionErrors : public TTableResult {
 public:
  TPositionErrors();
  void AddRecord(std::unique_ptr<TResultRecord> record) override;

 protected:
  void Forget(const TResultRecord* record) override;

 private:
  // The kept records with an IS worker and period, by the worker's pack, number in pack, insurance
  // number and short name (what a duplicate must share), each list in insertion order; and the key
  // each of them was filed under.
  std::unordered_map<std::string, std::vector<const TResultRecord*>> fByWorker;
  std::unordered_map<const TResultRecord*, std::string> fKeys;
};

ZZ_TABLE(TWorkingDaysErrors, TTableResult)
ZZ_TABLE(TWorkingDaysWarnings, TTableResult)
ZZ_TABLE(TAddPdDataErrors, TTableResult)
ZZ_TABLE(TPdInsNumErrors, TTableResult)
ZZ_TABLE(TFullNameErrors, TTableResult)

class TPrincipalErrors : public TTableResult {
 public:
  TPrincipalErrors();

 protected:
  using TTableResult::TTableResult;
};

ZZ_TABLE(TTeacherWarnings, TPrincipalErrors)
ZZ_TABLE(TSNErrors_List, TTableResult)
ZZ_TABLE(TBasisErrors, TTableResult)
ZZ_TABLE(TPeriodErrors_IS, TTableResult)
ZZ_TABLE(TPeriodErrors_List, TTableResult)
ZZ_TABLE(TRateErrors, TTableResult)
ZZ_TABLE(TStavkaWarnings, TTableResult)
ZZ_TABLE(TRateTooHighErrors, TTableResult)
ZZ_TABLE(TNoRateErrors, TTableResult)
ZZ_TABLE(TFactWorkTimeErrors, TTableResult)
ZZ_TABLE(TFactWorkTimeErrors_List, TTableResult)
ZZ_TABLE(TFactWorkTimeWarnings_List, TTableResult)
ZZ_TABLE(TFactWorkTimeErrors_IS, TTableResult)
ZZ_TABLE(TFactWorkTimeWarnings_IS, TTableResult)
ZZ_TABLE(TWorkDaysBasisErrors, TTableResult)
ZZ_TABLE(TUTErrors, TTableResult)
ZZ_TABLE(TAddTariffErrors, TTableResult)
ZZ_TABLE(TAddTariffWarnings, TTableResult)
ZZ_TABLE(TUTWithoutAddTariffErrors, TTableResult)
ZZ_TABLE(TBeerusErrors, TTableResult)
ZZ_TABLE(TTerrCodeErrors, TTableResult)
ZZ_TABLE(TCrossingPDPeriodsErrors, TTableResult)
ZZ_TABLE(TPartTimeErrors, TTableResultWithPeriod)
ZZ_TABLE(TPartTimeWarnings, TTableResultWithPeriod)
ZZ_TABLE(TPDRKWarnings, TTableResultWithPeriod)
ZZ_TABLE(TFlightWarnings, TTableResultWithPeriod)
ZZ_TABLE(TJumpWarnings, TTableResultWithPeriod)

// One row per worker: consecutive warnings of the same person are merged into the last row.
class TAddPdDataWarnings : public TTableResultWithPeriod {
 public:
  TAddPdDataWarnings();
  void AddRecord(std::unique_ptr<TResultRecord> record) override;
};

#undef ZZ_TABLE

}  // namespace zz
