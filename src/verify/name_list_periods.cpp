// Period comparison with the named list: the merged periods of every IS worker in the named list
// are paired with the named-list worker's merged periods by dates and kind; each pair is compared
// for benefit basis, rate, seniority basis and worked time, and periods without a partner on either
// side are reported, as are named-list workers the IS does not have.
#include "verify/name_list_periods.h"

#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "list/the_list.h"
#include "verify/name_list_common.h"
#include "verify/period_merge.h"
#include "verify/verification.h"

namespace zz {

namespace {

// A worker's merged periods with the same dates as a given one, in the worker's order. Only periods
// with the same start and finish are ever compared, so that is all a look-up has to visit. A worker
// has few periods as a rule: they are scanned; a worker with many is grouped by dates once.
class TPeriodsByDates {
 public:
  explicit TPeriodsByDates(const TWorker& worker) : fPeriods(worker.MergedWorkPeriods) {
    if (fPeriods.size() <= kScanned) return;
    for (TWorkPeriod* period : fPeriods)
      if (period) fGroups[{period->Start, period->Finish}].push_back(period);
  }

  // The periods of the same dates as `period`, in order; the reference stays valid until the next call.
  const std::vector<TWorkPeriod*>& SameDates(const TWorkPeriod& period) const {
    static const std::vector<TWorkPeriod*> none;
    if (fPeriods.size() > kScanned) {
      auto it = fGroups.find({period.Start, period.Finish});
      return it == fGroups.end() ? none : it->second;
    }
    fScratch.clear();
    for (TWorkPeriod* other : fPeriods)
      if (other && other->Start == period.Start && other->Finish == period.Finish) fScratch.push_back(other);
    return fScratch;
  }

  bool HasTwin(const TWorkPeriod& period) const {
    if (fPeriods.size() > kScanned) {
      auto it = fGroups.find({period.Start, period.Finish});
      if (it == fGroups.end()) return false;
      for (const TWorkPeriod* other : it->second)
        if (other->Matches(period)) return true;
      return false;
    }
    for (const TWorkPeriod* other : fPeriods)
      if (other && other->Start == period.Start && other->Finish == period.Finish && other->Matches(period))
        return true;
    return false;
  }

 private:
  static constexpr size_t kScanned = 16;
  const std::vector<TWorkPeriod*>& fPeriods;
  std::map<std::pair<TDate, TDate>, std::vector<TWorkPeriod*>> fGroups;
  mutable std::vector<TWorkPeriod*> fScratch;
};

// Bases whose rate must be the same on both sides.
bool HasRateBoundBases(const TWorkPeriod& period) {
  for (const char* base : {"27-ПД", "27-ГД", "27-СМ", "27-ГДХР", "27-СМХР"})
    if (period.Bases.HasBases(base)) return true;
  return false;
}

// The tables of the comparison, each made at its first record.
struct TPeriodTables {
  std::unique_ptr<TBasisErrors> basis;
  std::unique_ptr<TPeriodErrors_IS> periodsIS;
  std::unique_ptr<TPeriodErrors_List> periodsList;
  std::unique_ptr<TRateErrors> rate;
  std::unique_ptr<TFactWorkTimeErrors> factTime;
  std::unique_ptr<TFactWorkTimeErrors_List> factTimeListErrors;
  std::unique_ptr<TFactWorkTimeErrors_IS> factTimeISErrors;
  std::unique_ptr<TFactWorkTimeWarnings_List> factTimeListWarnings;
  std::unique_ptr<TFactWorkTimeWarnings_IS> factTimeISWarnings;
  std::unique_ptr<TStavkaWarnings> stavka;
  std::unique_ptr<TWorkDaysBasisErrors> seniorityBasis;
  std::unique_ptr<TRateTooHighErrors> rateTooHigh;
  std::unique_ptr<TNoRateErrors> noRate;
};

// The checks of one candidate pair, in their fixed order.
void CheckPair(TPeriodTables& t, TWorker* worker, TWorker* listWorker, TWorkPeriod* x, TWorkPeriod* y, int nYear) {
  using name_list::Table;

  if (HasRateBoundBases(*x) && !SameRate2(x->Rate, y->Rate))
    Table(t.rate).AddRecord(std::make_unique<TRateResult>(TISSide{worker, x}, TListSide{.Period = y}, rtPD));
  if (y->Rate > 1 || x->Rate > 1)
    Table(t.stavka).AddRecord(std::make_unique<TRateResult>(TISSide{worker, x}, TListSide{.Period = y}, rtList));
  if (y->Rate > 2 || x->Rate > 2)
    Table(t.rateTooHigh).AddRecord(std::make_unique<TRateResult>(TISSide{worker, x}, TListSide{.Period = y}, rtList));
  if (x->Bases.HasBases("ПДРК") && (!(y->Rate > 0) || !(x->Rate > 0)))
    Table(t.noRate).AddRecord(std::make_unique<TRateResult>(TISSide{worker, x}, TListSide{.Period = y}, rtList));

  if (x->SeniorityBase() != y->SeniorityBase() && !x->HasNoLgotAddPdData())
    Table(t.seniorityBasis)
        .AddRecord(std::make_unique<TWorkDaysBasisError>(TISSide{worker, x}, TListSide{listWorker, y}));

  const bool timeIS = name_list::HasWorkedTime(*x);
  const bool timeList = name_list::HasWorkedTime(*y);
  if (timeIS && timeList) {
    if (!name_list::SameWorkedTime(*x, *y))
      Table(t.factTime).AddRecord(std::make_unique<TFactWorkTimeError>(TISSide{worker, x}, TListSide{.Period = y}));
  } else if (timeIS) {
    auto record = std::make_unique<TFactWorkTimeResult_List_IS>(TISSide{worker, x}, TListSide{.Period = y}, rtPD);
    if (nYear >= 2010)
      Table(t.factTimeISErrors).AddRecord(std::move(record));
    else
      Table(t.factTimeISWarnings).AddRecord(std::move(record));
  } else if (timeList) {
    auto record = std::make_unique<TFactWorkTimeResult_List_IS>(TISSide{worker, x}, TListSide{.Period = y}, rtList);
    if (nYear >= 2010)
      Table(t.factTimeListErrors).AddRecord(std::move(record));
    else
      Table(t.factTimeListWarnings).AddRecord(std::move(record));
  }
}

}  // namespace

bool HasExactTwin(const TWorkPeriod& period, const TWorker& worker) {
  for (const TWorkPeriod* other : worker.MergedWorkPeriods)
    if (other && other->Start == period.Start && other->Finish == period.Finish && other->Matches(period)) return true;
  return false;
}

void TVerification::CompareNameListPeriods(TTheList& list, const std::vector<TWorker*>& workers_IS, int nYear) {
  using name_list::Table;

  // Named-list workers that the worker matching did not find in the IS.
  std::unique_ptr<TSNErrors_List> snErrors;
  if (!fCorrPacksOnly) {
    for (TWorker* listWorker : list.fWorkers) {
      if (!listWorker || listWorker->FoundInPds) continue;
      for (TWorkPeriod* period : listWorker->MergedWorkPeriods)
        if (period) Table(snErrors).AddRecord(std::make_unique<TSNError_List>(TListSide{listWorker, period}));
    }
  }
  name_list::AppendTable(FErrorResults, snErrors);

  const name_list::TWorkerIndex nameList(list.fWorkers);
  TPeriodTables t;

  // A named-list worker meets every IS worker of his insurance number: his periods by dates are
  // made once, and the look-up of his periods still without a partner shrinks as they find one.
  struct TListPeriods {
    explicit TListPeriods(TWorker& worker) : ByDates(worker) {
      for (TWorkPeriod* y : worker.MergedWorkPeriods)
        if (y && !y->Compared) Unpaired.push_back(y);
    }
    TPeriodsByDates ByDates;
    std::vector<TWorkPeriod*> Unpaired;
  };
  std::unordered_map<const TWorker*, std::unique_ptr<TListPeriods>> listSides;

  for (TWorker* worker : workers_IS) {
    if (!worker) continue;
    TWorker* listWorker = nameList.Find(worker->SN);
    if (!listWorker) continue;

    const TPeriodsByDates isByDates(*worker);
    std::unique_ptr<TListPeriods>& side = listSides[listWorker];
    if (!side) side = std::make_unique<TListPeriods>(*listWorker);
    const TPeriodsByDates& listByDates = side->ByDates;

    // Basis: periods of the same dates that do not match, unless either has a matching twin on the
    // other side.
    for (TWorkPeriod* x : worker->MergedWorkPeriods) {
      if (!x) continue;
      for (TWorkPeriod* y : listByDates.SameDates(*x))
        if (!y->Matches(*x) && !listByDates.HasTwin(*x) && !isByDates.HasTwin(*y))
          Table(t.basis).AddRecord(std::make_unique<TBasisError>(TISSide{worker, x}, TListSide{.Period = y}));
    }

    // Pairing: the first free named-list period of the same dates and kind. A full IS rate does not
    // pair with a part rate in the list; the checks have then run and the scan goes on.
    for (TWorkPeriod* x : worker->MergedWorkPeriods) {
      if (!x) continue;
      for (TWorkPeriod* y : listByDates.SameDates(*x)) {
        if (y->Compared || !x->Matches(*y)) continue;
        CheckPair(t, worker, listWorker, x, y, nYear);
        if (!(x->Rate >= 1 && y->Rate < 1)) {
          x->Compared = true;
          y->Compared = true;
          break;
        }
      }
    }

    for (TWorkPeriod* x : worker->MergedWorkPeriods)
      if (x && !x->Compared && !x->HasLgotSideDataOnly())
        Table(t.periodsIS).AddRecord(std::make_unique<TPeriodError_IS>(TISSide{worker, x}));
    std::erase_if(side->Unpaired, [](const TWorkPeriod* y) { return y->Compared; });
    for (TWorkPeriod* y : side->Unpaired)
      Table(t.periodsList)
          .AddRecord(std::make_unique<TPeriodError_List>(TISSide{.Worker = worker}, TListSide{listWorker, y}));
  }

  name_list::AppendTable(FErrorResults, t.basis);
  name_list::AppendTable(FErrorResults, t.periodsIS);
  name_list::AppendTable(FErrorResults, t.periodsList);
  name_list::AppendTable(FErrorResults, t.rate);
  name_list::AppendTable(FErrorResults, t.factTime);
  name_list::AppendTable(FErrorResults, t.factTimeListErrors);
  name_list::AppendTable(FErrorResults, t.factTimeISErrors);
  name_list::AppendTable(fWarningResults, t.factTimeListWarnings);
  name_list::AppendTable(fWarningResults, t.factTimeISWarnings);
  name_list::AppendTable(fWarningResults, t.stavka);
  name_list::AppendTable(FErrorResults, t.seniorityBasis);
  name_list::AppendTable(FErrorResults, t.rateTooHigh);
  name_list::AppendTable(FErrorResults, t.noRate);
}

}  // namespace zz
