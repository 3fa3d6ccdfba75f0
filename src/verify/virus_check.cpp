// ВИРУС code check: named-list periods with the seniority basis ВИРУС must lie in its window of
// 2020 and go with one of the benefit bases it was introduced for.
#include <memory>
#include <string>
#include <vector>

#include "base/dates.h"
#include "isdata/work_period.h"
#include "isdata/worker.h"
#include "list/the_list.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "verify/verification.h"

namespace zz {

namespace {

// The window in which the code may be used, both days included.
TDate VirusFirstDay() {
  static const TDate day = ParseDate("01.01.2020");
  return day;
}
TDate VirusLastDay() {
  static const TDate day = ParseDate("30.09.2020");
  return day;
}

const std::vector<std::string> kVirusLgotBases = {"27-1", "27-2"};
const std::vector<std::string> kVirusSeniorityBases = {"27-ГД", "27-СМ", "27-ГДХР", "27-СМХР"};

const char kVirusDatesText[] = "Код \"ВИРУС\" проставляется для периодов работы с 01.01.2020 до 30.09.2020";
const char kVirusBasesText[] = "Код \"ВИРУС\" должен сочетаться с кодами 27-1/27-2 или 27-ГД/27-ГДХР/27-СМ/27-СМХР";

// A period read without a date keeps the default of a new period.
bool HasDate(TDate date) { return date != TDate{}; }

bool HasAnyBase(const TBases& bases, const std::vector<std::string>& codes) {
  for (const std::string& code : codes)
    if (bases.HasBases(code)) return true;
  return false;
}

}  // namespace

void TVerification::CheckVirusCode(TTheList& list) {
  std::unique_ptr<TTableResult> table;
  auto add = [&table](TWorker* worker, TWorkPeriod* period, const char* culprit) {
    if (!table) table = std::make_unique<TBeerusErrors>();
    table->AddRecord(std::make_unique<TBeerusError>(TListSide{worker, period}, culprit));
  };

  for (TWorker* worker : list.fWorkers) {
    if (!worker) continue;
    for (TWorkPeriod* period : worker->WorkPeriods) {
      if (!period || period->SeniorityBase() != "ВИРУС") continue;
      if ((HasDate(period->Start) && period->Start < VirusFirstDay()) ||
          (HasDate(period->Finish) && period->Finish > VirusLastDay()))
        add(worker, period, kVirusDatesText);
      if (!HasAnyBase(period->Bases, kVirusLgotBases) && !HasAnyBase(period->Bases, kVirusSeniorityBases))
        add(worker, period, kVirusBasesText);
    }
  }
  if (table) AddIfNotEmpty(std::move(table));
}

}  // namespace zz
