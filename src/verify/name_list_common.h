#pragma once
// Helpers of the comparison with the Perechen's named list: the look-up of named-list workers by
// insurance number, the worked-time texts, and the lazily made tables.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/strings.h"
#include "isdata/worker.h"
#include "results/result.h"

namespace zz::name_list {

// Named-list workers by insurance number; a number met twice keeps the first worker in list order.
class TWorkerIndex {
 public:
  explicit TWorkerIndex(const std::vector<TWorker*>& workers) {
    fBySN.reserve(workers.size());
    for (TWorker* worker : workers)
      if (worker) fBySN.emplace(worker->SN, worker);
  }

  TWorker* Find(const std::string& sn) const {
    auto it = fBySN.find(sn);
    return it == fBySN.end() ? nullptr : it->second;
  }

 private:
  std::unordered_map<std::string_view, TWorker*> fBySN;  // keys: the workers' own numbers
};

// Two worked-time texts are the same amount: as integers when both are integers (so "05" is "5"),
// otherwise as texts, an empty text standing for "0".
inline bool SameTimeText(const std::string& a, const std::string& b) {
  int x = 0, y = 0;
  if (TryParseInt(a, x) && TryParseInt(b, y)) return x == y;
  return (a.empty() ? std::string("0") : a) == (b.empty() ? std::string("0") : b);
}

// The period has worked time: one of months, days, hours, minutes is not zero.
inline bool HasWorkedTime(const TWorkPeriod& period) { return period.HasWorkTimeTexts(); }

inline bool SameWorkedTime(const TWorkPeriod& a, const TWorkPeriod& b) {
  return SameTimeText(a.Months, b.Months) && SameTimeText(a.Days, b.Days) && SameTimeText(a.Hours, b.Hours) &&
         SameTimeText(a.Minutes, b.Minutes);
}

// The table, made at its first record.
template <class T>
T& Table(std::unique_ptr<T>& table) {
  if (!table) table = std::make_unique<T>();
  return *table;
}

// Hands a table holding at least one record to a result list; an absent or empty one is dropped.
template <class T>
void AppendTable(std::vector<std::unique_ptr<TResult>>& results, std::unique_ptr<T>& table) {
  if (table && table->Count() > 0) results.push_back(std::move(table));
  table.reset();
}

}  // namespace zz::name_list
