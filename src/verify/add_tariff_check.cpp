// Additional-tariff and working-conditions check: IS payments at the additional tariff against the
// benefit periods (pass A), and the Perechen periods marked "ДТ" with their working-conditions
// classes against the same persons' IS payments (pass B). Works on the periods as read.
#include "verify/add_tariff_check.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/strings.h"
#include "isdata/add_tariff_payment.h"
#include "isdata/classifier_access.h"
#include "isdata/work_period.h"
#include "isdata/worker.h"
#include "list/the_list.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "verify/add_tariff_namesakes.h"
#include "verify/verification.h"

namespace zz {

namespace {

const char kAddTariffMark[] = "ДТ";
const char kNoClass[] = "Без класса УТ";

std::string ClassText(const std::string& wc) { return wc.empty() ? kNoClass : wc; }

struct TBySN {
  bool operator()(const TWorker* worker, const std::string& sn) const { return worker->SN < sn; }
  bool operator()(const std::string& sn, const TWorker* worker) const { return sn < worker->SN; }
};

bool HasPayment(const TWorker& worker) {
  for (const TAddTariffPayment* payment : worker.AddTariffPayments)
    if (payment && payment->Sum > 0) return true;
  return false;
}

bool AnyAddTariffPeriod(const TWorker& worker) {
  for (const TWorkPeriod* period : worker.WorkPeriods)
    if (period && HasAddTariffBase(*period)) return true;
  return false;
}

void RemoveFirst(std::vector<std::string>& items, const std::string& item) {
  auto it = std::find(items.begin(), items.end(), item);
  if (it != items.end()) items.erase(it);
}

bool Holds(const std::vector<std::string>& items, const std::string& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

// The working-conditions classes of the partner's payments, each class and each row code once.
// Payments of 2017 and later have no row code: an empty one is no reason to skip a class.
std::vector<std::string> PaymentClasses(const TWorker& worker) {
  std::vector<std::string> classes;
  std::vector<std::string> rowCodes;
  for (const TAddTariffPayment* payment : worker.AddTariffPayments) {
    if (!payment || !(payment->Sum > 0)) continue;
    if (Holds(classes, payment->WC)) continue;
    if (!payment->StringNumber.empty() && Holds(rowCodes, payment->StringNumber)) continue;
    classes.push_back(ClassText(payment->WC));
    if (!payment->StringNumber.empty()) rowCodes.push_back(payment->StringNumber);
  }
  return classes;
}

template <class TTable>
void AddTo(std::unique_ptr<TTableResult>& table, std::unique_ptr<TResultRecord> record) {
  if (!table) table = std::make_unique<TTable>();
  table->AddRecord(std::move(record));
}

}  // namespace

bool HasAddTariffBase(const TWorkPeriod& period) {
  for (const std::string& code : ClassifierOrEmpty(ctAddTariff))
    if (!code.empty() && period.Bases.HasBases(code)) return true;
  return false;
}

std::string SemicolonText(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) text += ';';
    const std::string& item = items[i];
    bool quote = false;
    for (char c : item)
      if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ';') quote = true;
    if (quote)
      text += '"' + ReplaceAll(item, "\"", "\"\"") + '"';
    else
      text += item;
  }
  return text;
}

void TVerification::CheckAddTariff(TTheList& list, const std::vector<TWorker*>& workers_IS, int nYear) {
  if (nYear <= 2012) return;

  std::unique_ptr<TTableResult> warnings;      // TAddTariffWarnings
  std::unique_ptr<TTableResult> utErrors;      // TUTErrors
  std::unique_ptr<TTableResult> tariffErrors;  // TAddTariffErrors
  std::unique_ptr<TTableResult> utWithout;     // TUTWithoutAddTariffErrors

  // Pass A: the IS payments against the IS benefit periods. Persons of the later forms carry no
  // payments, and the pass ends at the first of them.
  for (TWorker* worker : workers_IS) {
    if (!worker) continue;
    if (worker->HasAT) break;
    const bool anyBenefit = AnyAddTariffPeriod(*worker);
    for (TAddTariffPayment* payment : worker->AddTariffPayments) {
      if (!payment || !(payment->Sum > 0) || anyBenefit) continue;
      AddTo<TAddTariffWarnings>(warnings,
                                std::make_unique<TAddTariffWarning>(TISSide{.Worker = worker}, rtNoLgot, payment));
    }
    if (worker->IsEFS1 || HasPayment(*worker)) continue;
    for (TWorkPeriod* period : worker->WorkPeriods) {
      if (!period || !HasAddTariffBase(*period)) continue;
      if (period->HasNoLgotAddPdData())
        AddTo<TAddTariffWarnings>(warnings,
                                  std::make_unique<TAddTariffWarning>(TISSide{worker, period}, rtNoPayments, nullptr));
      else
        AddTo<TAddTariffErrors>(tariffErrors,
                                std::make_unique<TAddTariffError>(TISSide{worker, period}, TListSide{}, rtPD));
    }
  }

  // Pass B: the Perechen's "ДТ" periods and classes against the same person's IS data.
  if (!fCorrPacksOnly) {
    // The IS workers sorted by insurance number, list order kept among equal numbers; made when a
    // "ДТ" period first needs it.
    std::vector<TWorker*> isBySN;
    std::unordered_map<std::string_view, std::unique_ptr<TNamesakes>> namesakes;
    bool indexed = false;
    auto namesakesOf = [&](const std::string& SN) -> const TNamesakes& {
      if (!indexed) {
        for (TWorker* worker : workers_IS)
          if (worker) isBySN.push_back(worker);
        std::stable_sort(isBySN.begin(), isBySN.end(),
                         [](const TWorker* a, const TWorker* b) { return a->SN < b->SN; });
        indexed = true;
      }
      std::unique_ptr<TNamesakes>& known = namesakes[SN];
      if (!known) {
        auto [first, last] = std::equal_range(isBySN.begin(), isBySN.end(), SN, TBySN{});
        known = std::make_unique<TNamesakes>(std::vector<TWorker*>(first, last));
      }
      return *known;
    };

    for (TWorker* listWorker : list.fWorkers) {
      if (!listWorker) continue;

      std::optional<std::vector<std::string>> isClasses;
      bool periodErrorReported = false;
      bool paid = false;
      TWorker* partner = nullptr;

      for (TWorkPeriod* listPeriod : listWorker->WorkPeriods) {
        if (!listPeriod) continue;
        if (listPeriod->AddTariff != kAddTariffMark) {
          if (!listPeriod->WC.empty())
            AddTo<TUTWithoutAddTariffErrors>(
                utWithout, std::make_unique<TUTWithoutAddTariffError>(TListSide{listWorker, listPeriod}));
          continue;
        }

        const TNamesakeVisit visit = namesakesOf(listWorker->SN).Visit(*listPeriod);
        paid = visit.Paid;
        const bool classMatch = visit.ClassMatch;
        partner = visit.Partner;
        if (partner) {
          listWorker->PackNum = partner->PackNum;
          listWorker->NumInPack = partner->NumInPack;
        }

        if (!paid && partner)
          AddTo<TAddTariffErrors>(
              tariffErrors,
              std::make_unique<TAddTariffError>(TISSide{.Worker = partner}, TListSide{listWorker, listPeriod}, rtList));
        if (partner && !isClasses) isClasses = PaymentClasses(*partner);
        if (!classMatch && partner) {
          AddTo<TUTErrors>(utErrors,
                           std::make_unique<TUTError>(TISSide{.Worker = partner}, TListSide{listWorker, listPeriod},
                                                      SemicolonText(*isClasses), paid, std::string()));
          periodErrorReported = true;
        }
      }

      // Classes paid in the IS that no period of the person in the Perechen carries.
      if (!isClasses) continue;
      std::vector<std::string> listClasses;
      for (const TWorkPeriod* listPeriod : listWorker->WorkPeriods) {
        if (!listPeriod) continue;
        std::string c = ClassText(listPeriod->WC);
        if (!Holds(listClasses, c)) listClasses.push_back(c);
        if (isClasses) RemoveFirst(*isClasses, c);
      }
      if (isClasses && !isClasses->empty()) {
        WriteLogEntry("УТ в перечне: " + SemicolonText(listClasses));
        if (!periodErrorReported)
          for (const std::string& isClass : *isClasses)
            AddTo<TUTErrors>(utErrors,
                             std::make_unique<TUTError>(TISSide{.Worker = partner}, TListSide{.Worker = listWorker},
                                                        isClass, paid, SemicolonText(listClasses)));
      }
    }
  }

  if (warnings) AddIfNotEmpty(std::move(warnings));
  if (utErrors) AddIfNotEmpty(std::move(utErrors));
  if (tariffErrors) AddIfNotEmpty(std::move(tariffErrors));
  if (utWithout) AddIfNotEmpty(std::move(utWithout));
}

}  // namespace zz
