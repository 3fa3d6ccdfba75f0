// One set's verification: the order of the checks and the tables they fill.
#include "verify/verification.h"

#include <string_view>
#include <unordered_map>
#include <utility>

#include "list/the_list.h"
#include "pack/pack.h"
#include "verify/period_merge.h"

namespace zz {

namespace {

const char* const kEmptyNameList =
    "Выбран параметр \"Сверка ИС с поименным списком к Перечню\", но в поименном списке нет ни одного периода "
    "для сверки!";

// Moves a pack's table into the result list when it holds a record; an empty one stays with the pack.
// The pack is left with an empty table of the kind, so that it never holds a table it lost.
template <class Table>
Table* TakeIfNotEmpty(std::unique_ptr<Table>& table, std::vector<std::unique_ptr<TResult>>& results) {
  if (!table || table->Count() == 0) return nullptr;
  Table* raw = table.get();
  results.push_back(std::move(table));
  table = std::make_unique<Table>();
  return raw;
}

}  // namespace

TVerification::TVerification(TDataArena& arena, const TRunParams& params) : FParams(params), fArena(arena) {
  fWithPositions = FParams.FCompareWithListStaff;
  fWithNameList = FParams.FCompareWithListNameList;
}

void TVerification::AddIfNotEmpty(std::unique_ptr<TTableResult> table) {
  if (!table || table->Count() == 0) return;
  if (table->IsError)
    FErrorResults.push_back(std::move(table));
  else
    fWarningResults.push_back(std::move(table));
}

void TVerification::getParseErrorsAndWarnings(TPack& pack, TTheList* theList) {
  TakeIfNotEmpty(pack.PDRKWarnings, fWarningResults);
  TakeIfNotEmpty(pack.JumpWarnings, fWarningResults);
  TakeIfNotEmpty(pack.FlightWarnings, fWarningResults);
  TakeIfNotEmpty(pack.PartTimeErrors, FErrorResults);
  TakeIfNotEmpty(pack.PartTimeWarnings, fWarningResults);
  TAddPdDataWarnings* addPdData = TakeIfNotEmpty(pack.AddPdDataWarnings, fWarningResults);

  if (addPdData && theList) {
    // The first named-list worker of each insurance number, in list order.
    std::unordered_map<std::string_view, const TWorker*> listWorkers;
    listWorkers.reserve(theList->fWorkers.size());
    for (const TWorker* w : theList->fWorkers)
      if (w) listWorkers.emplace(w->SN, w);
    // The notes of the worker's Perechen periods as the list has them (before any merging).
    for (size_t i = 0; i < addPdData->Count(); ++i) {
      auto* record = dynamic_cast<TAddPdDataWarning*>(addPdData->Record(i));
      if (!record || !record->FWorker_PD) continue;
      auto found = listWorkers.find(record->FWorker_PD->SN);
      if (found == listWorkers.end()) continue;
      const TWorker* listWorker = found->second;
      const std::vector<TWorkPeriod*>& periods =
          listWorker->FParsePeriods.empty() ? listWorker->WorkPeriods : listWorker->FParsePeriods;
      for (const TWorkPeriod* period : periods)
        if (period && !period->Note.empty()) record->AddListComment(period->pPeriodString(), period->Note);
    }
  }

  if (theList && !theList->fParseErrors_List.empty()) {
    // From now on the verification owns the Perechen's messages; the list keeps none of them.
    for (auto& message : theList->fParseErrors_List) fVerListErrors.push_back(std::move(message));
    theList->fParseErrors_List.clear();
  }
}

void TVerification::verify(TTheList* list, const std::vector<TWorker*>& workers_IS, int nYear, int nPeriod) {
  // Dates of the display texts are always "dd.mm.yyyy" (FormatDate); no process-wide format to set.
  if (!list) return;
  WriteLogEntry("*** Сверка ИС с Перечнем за " + std::to_string(nYear) + " год, период " + std::to_string(nPeriod));

  CheckAddTariff(*list, workers_IS, nYear);
  CheckVirusCode(*list);

  for (TWorker* worker : workers_IS) {
    if (!worker) continue;
    DivideCrossWorkPeriods(*worker, fArena, &FErrorResults);
    MergeWorkPeriods(*worker, fArena, true, nullptr);
  }
  // Each named-list worker's IS worker: the first of the IS workers with the same number. The named
  // list is the smaller side, so it is the one put in a map.
  std::unordered_map<std::string_view, TWorker*> firstISWorker;
  firstISWorker.reserve(list->fWorkers.size());
  for (TWorker* worker : list->fWorkers)
    if (worker) firstISWorker.emplace(worker->SN, nullptr);
  for (TWorker* worker : workers_IS) {
    if (!worker) continue;
    auto found = firstISWorker.find(worker->SN);
    if (found != firstISWorker.end() && !found->second) found->second = worker;
  }
  for (TWorker* worker : list->fWorkers) {
    if (!worker) continue;
    DivideCrossWorkPeriods(*worker, fArena, nullptr);
    MergeWorkPeriods(*worker, fArena, false, firstISWorker[worker->SN]);
  }

  if (fWithPositions) {
    CheckStaffPositions(*list, workers_IS);
    ReportPositionsNotFound(*list, workers_IS);
  }
  if (fWithNameList) {
    MatchNameListWorkers(*list, workers_IS);
    if (list->fWorkers.empty())
      fWarningResults.push_back(std::make_unique<TProtocolMessage>(kEmptyNameList, false));
    else if (!fCorrPacksOnly)
      CompareNameListPeriods(*list, workers_IS, nYear);
  }
  WriteLogEntry("*** Сверка ИС с Перечнем окончена");
}

}  // namespace zz
