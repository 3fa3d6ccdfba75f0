#pragma once
// The IS workers of one insurance number as the additional-tariff check meets them for a named-list
// "ДТ" period: in list order, until one of them pays for the period (an ЕФС-1 worker, a payment when
// the period has an additional-tariff basis, or a no-benefit period over its dates), and never past
// the first worker of the later forms. What decides the visit is worked out once per number, so
// that a question costs the few kinds of classes and no-benefit workers, not every namesake and
// every period of theirs.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "base/dates.h"
#include "isdata/work_period.h"
#include "isdata/worker.h"

namespace zz {

// The outcome of visiting the namesakes for one named-list period.
struct TNamesakeVisit {
  TWorker* Partner = nullptr;  // the last worker visited, null when none was
  bool Paid = false;
  bool ClassMatch = false;  // a class of the visited workers fits the period's class
};

class TNamesakes {
 public:
  explicit TNamesakes(std::vector<TWorker*> workers);

  TNamesakeVisit Visit(const TWorkPeriod& listPeriod) const;

 private:
  // Date spans, sorted by start, each with the latest finish up to it: whether any overlaps a span
  // of dates is one binary search.
  class TSpans {
   public:
    void Add(TDate start, TDate finish) { fSpans.emplace_back(start, finish); }
    void Seal();
    bool Overlaps(TDate from, TDate to) const;
    bool Empty() const { return fSpans.empty(); }

   private:
    std::vector<std::pair<TDate, TDate>> fSpans;
  };

  static constexpr size_t kNone = static_cast<size_t>(-1);

  std::vector<TWorker*> fWorkers;
  size_t fLimit;                    // the first worker of the later forms, or the count
  size_t fFirstEFS1 = kNone;        // the first ЕФС-1 worker
  size_t fFirstPaying = kNone;      // the first other worker with a payment
  size_t fFirstNoPayments = kNone;  // the first other worker without any payment row
  // Each class of a payment, with the first other worker paying in it.
  std::vector<std::pair<std::string, size_t>> fPaidClasses;
  // The workers with a no-benefit period, in order, with those periods.
  std::vector<std::pair<size_t, TSpans>> fNoLgot;
  // The periods of the first ЕФС-1 worker by their class.
  std::vector<std::pair<std::string, TSpans>> fEfs1Classes;
};

// The IS class is among the Perechen period's classes: a substring of its text, or both are empty.
bool ClassFits(const std::string& isClass, const std::string& listClass);

}  // namespace zz
