#pragma once
// One reporting period of the organisation in a run: its IS packs (initial and correcting), the
// Perechen found for it, the flags that decide whether a verification makes sense, and the
// two-stage release of its data around the writing of its protocol part.
//
// Persons, periods and payments live in arenas: each pack's (shared with the year-parts of an
// ЕФС-1 pack), the Perechen's, and the set's own for what the run makes (clones of united
// periods, divided and merged periods). All go with the set, so nothing is freed twice and
// nothing a record refers to is freed before the part that prints it is written.
#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/logger.h"
#include "isdata/data_arena.h"
#include "list/the_list.h"
#include "pack/pack.h"
#include "results/result.h"

namespace zz {

class TSet {
 public:
  TSet();
  ~TSet();
  TSet(const TSet&) = delete;
  TSet& operator=(const TSet&) = delete;

  // Initial or correcting by the pack's base data; the caller chose the set.
  void AddPack(std::unique_ptr<TPack> pack);
  // The first initial pack is an СПВ-2 (remembered once true).
  bool IsSPV2();
  // The IS workers of all packs united by insurance number; corrections replace workers and take
  // their records out of the given result lists.
  std::vector<TWorker*> UnionISWorkers(std::vector<std::unique_ptr<TResult>>& ErrorResults,
                                       std::vector<std::unique_ptr<TResult>>& WarningResults);
  // 0, 11, 12, 22, 23 or 25, with its log lines.
  int IsVerificationPossible(bool hasAtLeastOneInitPack);
  int CountVerifiedpeople() const;
  // Every pack reports a whole year (the forms from 2017 on and ЕФС-1 carry period 4 for the year).
  bool IsAnnual() const;

  void UniteList();
  void UniteIS();
  // Releases the collected data objects; with true those that records refer to stay.
  void FlushResults(bool notResultData);
  // Objects released so far (each counted once).
  size_t ReleasedCount() const { return FDeletedObjects.size(); }

  // Where the run puts the objects it makes for this set.
  TDataArena& Arena() { return *fArena; }

  std::unique_ptr<TTheList> FList;
  std::vector<std::unique_ptr<TPack>> FInitPacks;
  std::vector<std::unique_ptr<TPack>> FCorrPacks;
  int FYear = 0;
  int FPeriod = 0;
  bool FHasLgot = false;
  bool FOrganizationHasLists = false;
  bool FHasInitPacks = false;
  bool FHasSPV1 = false;

 private:
  // Insertion-ordered identity collection: Add collects, Finish drops every later repetition of an
  // object (one sort of the addresses instead of a hash set node per object).
  template <class T>
  struct TIdentitySet {
    std::vector<T*> items;
    void Add(T* item) {
      if (item) items.push_back(item);
    }
    void Finish() {
      std::vector<std::pair<const T*, size_t>> order;
      order.reserve(items.size());
      for (size_t i = 0; i < items.size(); ++i) order.emplace_back(items[i], i);
      std::sort(order.begin(), order.end());
      std::vector<bool> repeated(items.size(), false);
      for (size_t i = 1; i < order.size(); ++i)
        if (order[i].first == order[i - 1].first) repeated[order[i].second] = true;
      size_t kept = 0;
      for (size_t i = 0; i < items.size(); ++i)
        if (!repeated[i]) items[kept++] = items[i];
      items.resize(kept);
    }
  };
  template <class T>
  void Release(TIdentitySet<T>& collection, bool notResultData);

  TLoggingObject FLogger;
  bool fIsSPV2 = false;
  std::shared_ptr<TDataArena> fArena;
  bool fCollected = false;
  // Released objects, sorted, each once.
  std::vector<const void*> FDeletedObjects;
  TIdentitySet<TWorker> FListWorkers, FIsWorkers;
  TIdentitySet<TWorkPeriod> FistPeriods, FIsPeriods;
  TIdentitySet<TPosition> FListPositions;
  TIdentitySet<TAddTariffPayment> FIsPayments;
};

}  // namespace zz
