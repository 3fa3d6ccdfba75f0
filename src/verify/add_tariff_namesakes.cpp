// Matching the IS workers of one insurance number for the additional-tariff check.
#include "verify/add_tariff_namesakes.h"

#include <algorithm>
#include <iterator>

#include "base/strings.h"
#include "isdata/add_tariff_payment.h"
#include "verify/add_tariff_check.h"

namespace zz {

bool ClassFits(const std::string& isClass, const std::string& listClass) {
  if (isClass.empty()) return listClass.empty();
  return Contains(listClass, isClass);
}

void TNamesakes::TSpans::Seal() {
  std::sort(fSpans.begin(), fSpans.end());
  for (size_t i = 1; i < fSpans.size(); ++i) fSpans[i].second = std::max(fSpans[i].second, fSpans[i - 1].second);
}

bool TNamesakes::TSpans::Overlaps(TDate from, TDate to) const {
  auto end = std::upper_bound(fSpans.begin(), fSpans.end(), to,
                              [](TDate d, const std::pair<TDate, TDate>& span) { return d < span.first; });
  return end != fSpans.begin() && std::prev(end)->second >= from;
}

TNamesakes::TNamesakes(std::vector<TWorker*> workers) : fWorkers(std::move(workers)), fLimit(fWorkers.size()) {
  for (size_t w = 0; w < fWorkers.size(); ++w) {
    const TWorker& worker = *fWorkers[w];
    if (worker.HasAT) {
      fLimit = w;
      break;
    }
    if (worker.IsEFS1) {
      if (fFirstEFS1 == kNone) {
        fFirstEFS1 = w;
        for (const TWorkPeriod* period : worker.WorkPeriods) {
          if (!period) continue;
          auto it = std::find_if(fEfs1Classes.begin(), fEfs1Classes.end(),
                                 [&](const auto& c) { return c.first == period->WC; });
          if (it == fEfs1Classes.end()) it = fEfs1Classes.insert(fEfs1Classes.end(), {period->WC, TSpans()});
          it->second.Add(period->Start, period->Finish);
        }
        for (auto& c : fEfs1Classes) c.second.Seal();
      }
    } else {
      if (worker.AddTariffPayments.empty() && fFirstNoPayments == kNone) fFirstNoPayments = w;
      for (const TAddTariffPayment* payment : worker.AddTariffPayments) {
        if (!payment || !(payment->Sum > 0)) continue;
        if (fFirstPaying == kNone) fFirstPaying = w;
        if (std::none_of(fPaidClasses.begin(), fPaidClasses.end(),
                         [&](const auto& c) { return c.first == payment->WC; }))
          fPaidClasses.emplace_back(payment->WC, w);
      }
    }
    TSpans noLgot;
    for (const TWorkPeriod* period : worker.WorkPeriods)
      if (period && period->HasNoLgotAddPdData()) noLgot.Add(period->Start, period->Finish);
    if (!noLgot.Empty()) {
      noLgot.Seal();
      fNoLgot.emplace_back(w, std::move(noLgot));
    }
  }
}

TNamesakeVisit TNamesakes::Visit(const TWorkPeriod& listPeriod) const {
  TNamesakeVisit visit;
  if (fLimit == 0) return visit;
  // The worker that pays: the first ЕФС-1 one, the first with a payment when the period has an
  // additional-tariff basis, or an earlier one with a no-benefit period over the period's dates
  // (a worker that pays by itself is not asked about his no-benefit periods).
  size_t stop = fFirstEFS1;
  if (fFirstPaying < stop && HasAddTariffBase(listPeriod)) stop = fFirstPaying;
  bool byNoLgot = false;
  for (const auto& [w, spans] : fNoLgot) {
    if (w >= stop || w >= fLimit) break;
    if (spans.Overlaps(listPeriod.Start, listPeriod.Finish)) {
      stop = w;
      byNoLgot = true;
      break;
    }
  }
  if (stop >= fLimit) stop = kNone;
  const size_t last = stop == kNone ? fLimit - 1 : stop;

  visit.Partner = fWorkers[last];
  visit.Paid = stop != kNone;
  if (byNoLgot) visit.ClassMatch = true;
  if (listPeriod.WC.empty() && fFirstNoPayments <= last) visit.ClassMatch = true;
  for (const auto& [wc, w] : fPaidClasses)
    if (w <= last && ClassFits(wc, listPeriod.WC)) visit.ClassMatch = true;
  if (stop != kNone && stop == fFirstEFS1)
    for (const auto& [wc, spans] : fEfs1Classes)
      if (ClassFits(wc, listPeriod.WC) && spans.Overlaps(listPeriod.Start, listPeriod.Finish)) visit.ClassMatch = true;
  return visit;
}

}  // namespace zz
