// A reporting period's packs and Perechen: uniting the IS persons and judging whether to verify.
#include "search/set.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "results/result_tables.h"

namespace zz {

namespace {

// Takes the records of a replaced person out of every table of the list: those of its insurance
// number that belong to any other worker than the one replacing it. A table this leaves empty goes
// too, so that it neither prints nor counts.
void RemoveWorkerRecords(std::vector<std::unique_ptr<TResult>>& results, const TWorker& replacing) {
  for (auto& result : results) {
    auto* table = dynamic_cast<TTableResult*>(result.get());
    if (!table || table->Count() == 0) continue;
    std::vector<const TResultRecord*> victims;
    for (size_t i = 0; i < table->Count(); ++i) {
      const TResultRecord* record = table->Record(i);
      if (record->FWorker_PD && record->FWorker_PD != &replacing && record->FWorker_PD->SN == replacing.SN)
        victims.push_back(record);
    }
    for (const TResultRecord* record : victims) table->DeleteRecord(record);
    if (table->Count() == 0) result.reset();
  }
  std::erase(results, nullptr);
}

}  // namespace

TSet::TSet() : fArena(std::make_shared<TDataArena>()) {}

// The Perechen first, then the packs; the arenas go with their last holder.
TSet::~TSet() {
  FList.reset();
  FInitPacks.clear();
  FCorrPacks.clear();
}

void TSet::AddPack(std::unique_ptr<TPack> pack) {
  if (pack->HasLgot) FHasLgot = true;
  (pack->BaseData.Correction() ? FCorrPacks : FInitPacks).push_back(std::move(pack));
}

bool TSet::IsSPV2() {
  if (!fIsSPV2 && !FInitPacks.empty() && FInitPacks[0]->BaseData.PDType() == pdtSPV2) fIsSPV2 = true;
  return fIsSPV2;
}

int TSet::CountVerifiedpeople() const {
  int count = 0;
  for (const auto& p : FInitPacks) count += p->LgotWorkerCount();
  for (const auto& p : FCorrPacks) count += p->LgotWorkerCount();
  return count;
}

bool TSet::IsAnnual() const {
  auto annual = [](const auto& pack) { return !pack->BaseData.IsPre2017(); };
  return (!FInitPacks.empty() || !FCorrPacks.empty()) && std::all_of(FInitPacks.begin(), FInitPacks.end(), annual) &&
         std::all_of(FCorrPacks.begin(), FCorrPacks.end(), annual);
}

std::vector<TWorker*> TSet::UnionISWorkers(std::vector<std::unique_ptr<TResult>>& ErrorResults,
                                           std::vector<std::unique_ptr<TResult>>& WarningResults) {
  FHasSPV1 = false;
  // Each insurance number's place in `united`, in first-seen order. The keys are the workers' own
  // numbers, which live as long as the packs.
  std::unordered_map<std::string_view, size_t> placeBySN;
  std::vector<TWorker*> united;
  size_t workers = 0;
  for (const auto& pack : FInitPacks) workers += pack->Workers.size();
  for (const auto& pack : FCorrPacks) workers += pack->Workers.size();
  placeBySN.reserve(workers);
  united.reserve(workers);
  for (size_t i = 0; i < FInitPacks.size(); ++i) {
    TPack& pack = *FInitPacks[i];
    if (i == 0 && pack.BaseData.PDType() == pdtSPV1) FHasSPV1 = true;
    for (TWorker* worker : pack.Workers) {
      auto [it, inserted] = placeBySN.emplace(worker->SN, united.size());
      if (inserted) {
        united.push_back(worker);
        continue;
      }
      TWorker* entered = united[it->second];
      for (TWorkPeriod* period : worker->WorkPeriods) entered->WorkPeriods.push_back(period->Clone(*fArena));
      if (!worker->WorkPeriods.empty() && worker->HasLgotBasis) entered->HasLgotBasis = true;
      for (TAddTariffPayment* payment : worker->AddTariffPayments)
        if (payment->Sum > 0) entered->AddTariffPayments.push_back(payment->Clone(*fArena));
    }
  }
  for (auto& pack : FCorrPacks) {
    for (TWorker* worker : pack->Workers) {
      auto [it, inserted] = placeBySN.emplace(worker->SN, united.size());
      if (inserted) {
        united.push_back(worker);
        continue;
      }
      RemoveWorkerRecords(ErrorResults, *worker);
      RemoveWorkerRecords(WarningResults, *worker);
      united[it->second] = worker;
    }
  }
  return united;
}

int TSet::IsVerificationPossible(bool hasAtLeastOneInitPack) {
  const bool hasList = FList != nullptr;
  const bool hasCorr = !FCorrPacks.empty();
  int code = 0;
  std::string line;
  if (hasList && hasCorr && !hasAtLeastOneInitPack && FHasLgot) {
    code = 22;
    line = "---Найдены только корректирующие ИС, необходимо уточнить отсутствие ИС со льготниками за отчетный период";
  } else if (!hasList && !IsSPV2() && (FHasInitPacks || hasCorr) && FHasLgot) {
    code = 23;
    line = "---Найдены ИС с льготниками (Исхд, либо Исхд и Корр, либо Корр), перечень не найден";
  } else if (hasList && !FHasLgot && !hasCorr && !FHasInitPacks && !FList->fWorkers.empty()) {
    code = 25;
    line =
        "---Не было найдено файлов индивидуальных сведений со льготами с подходящими для сверки заданными "
        "условиями (РегНомер,Год,Период,Тип), но найден перечень";
  } else if (!hasList && !FHasLgot && FOrganizationHasLists) {
    code = 12;
    line = "---Необходимо уточнить отсутствие ИС со льготниками и Перечня (организация ранее предоставляла перечни)";
  } else if (!hasList && !FHasLgot) {
    code = 11;
    line = "---Необходимо уточнить отсутствие ИС со льготниками и Перечня (организация ранее не предоставляла перечни)";
  }
  if (code != 0) FLogger.WriteLogEntry(line);
  FLogger.WriteLogEntry("---eCode=" + std::to_string(code));
  return code;
}

}  // namespace zz
