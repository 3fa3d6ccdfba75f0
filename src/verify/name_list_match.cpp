// Worker matching with the named list: every IS worker with a benefit is paired with the named-list
// worker of the same insurance number; the pair's full names and 27-ПД hours are compared, and a
// worker the named list lacks is reported with all his periods.
#include <algorithm>
#include <unordered_map>

#include "list/the_list.h"
#include "verify/name_list_common.h"
#include "verify/verification.h"

namespace zz {

namespace {

// Minutes of 27-ПД work held as numbers.
double PdMinutes(const TWorkPeriod& period) { return period.PDRKHours * 60 + period.PDRKMinutes; }

// A worker whose benefit is only a territorial condition does not count as a worker with a benefit
// in the summary of his pack.
void LowerLgotWorkers(std::vector<TPDPackData>& packs, const std::string& packNum) {
  auto it = std::find_if(packs.begin(), packs.end(), [&](const TPDPackData& pack) { return pack.fNum == packNum; });
  if (it != packs.end()) --it->fLgotWorkers;
}

}  // namespace

void TVerification::MatchNameListWorkers(TTheList& list, const std::vector<TWorker*>& workers_IS) {
  const name_list::TWorkerIndex nameList(list.fWorkers);

  std::unique_ptr<TPrincipalErrors> principalErrors;
  std::unique_ptr<TTeacherWarnings> teacherWarnings;
  std::unique_ptr<TFullNameErrors> fullNameErrors;
  std::unique_ptr<TPdInsNumErrors> pdInsNumErrors;
  // 27-ПД minutes of a named-list worker, added up once however many IS workers share his number.
  std::unordered_map<const TWorker*, double> listPdMinutes;

  for (TWorker* worker : workers_IS) {
    if (!worker || !worker->HasLgotBasis) continue;

    // 27-ПД hours of the IS side; a period whose additional data takes the benefit away does not count.
    double isMinutes = 0;
    bool pd = false;
    bool pdrk = false;
    TWorkPeriod* lastPeriod = nullptr;
    for (TWorkPeriod* period : worker->MergedWorkPeriods) {
      if (!period) continue;
      lastPeriod = period;
      if (period->AddPdData.HasData() && period->HasNoLgotAddPdData()) continue;
      if (period->Bases.HasBases("27-ПД")) {
        isMinutes += PdMinutes(*period);
        pd = true;
        if (period->Bases.HasBases("27-ПДРК")) pdrk = true;
      }
    }

    if (worker->HasLgotSidePeriodsOnly()) {
      LowerLgotWorkers(fPDData.FInitPacks, worker->PackNum);
      LowerLgotWorkers(fPDData.FCorrPacks, worker->PackNum);
    }

    double listMinutes = 0;
    TWorker* listWorker = nameList.Find(worker->SN);
    if (listWorker) {
      if (pd) {
        auto [known, fresh] = listPdMinutes.try_emplace(listWorker, 0.0);
        if (fresh)
          for (const TWorkPeriod* period : listWorker->MergedWorkPeriods)
            if (period && period->Bases.HasBases("27-ПД")) known->second += PdMinutes(*period);
        listMinutes = known->second;
      }
      if (worker->Surname + worker->Name + worker->Patronymic !=
          listWorker->Surname + listWorker->Name + listWorker->Patronymic)
        name_list::Table(fullNameErrors)
            .AddRecord(std::make_unique<TFullNameError>(TISSide{.Worker = worker}, TListSide{.Worker = listWorker}));
      listWorker->FoundInPds = true;
    }

    if (pd && isMinutes != listMinutes) {
      auto record = std::make_unique<TTeacherResult>(TISSide{worker, lastPeriod}, isMinutes, listMinutes);
      if (pdrk)
        name_list::Table(principalErrors).AddRecord(std::move(record));
      else
        name_list::Table(teacherWarnings).AddRecord(std::move(record));
    }

    if (!listWorker) {
      for (TWorkPeriod* period : worker->MergedWorkPeriods)
        if (period) name_list::Table(pdInsNumErrors).AddRecord(std::make_unique<TSNError_IS>(TISSide{worker, period}));
    }
  }

  name_list::AppendTable(FErrorResults, principalErrors);
  name_list::AppendTable(fWarningResults, teacherWarnings);
  name_list::AppendTable(FErrorResults, fullNameErrors);
  name_list::AppendTable(FErrorResults, pdInsNumErrors);
}

}  // namespace zz
