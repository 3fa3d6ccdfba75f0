#pragma once
// One reporting period of the organisation in a run: its IS packs (initial and correcting), the
// Perechen found for it, and the flags that decide whether a verification makes sense.
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
  TLoggingObject FLogger;
  bool fIsSPV2 = false;
  std::shared_ptr<TDataArena> fArena;
};

}  // namespace zz
