#pragma once
// One set's verification: the comparison of its united IS workers with its Perechen, and the
// result blocks, verdict and summaries the protocol prints.
#include <memory>
#include <string>
#include <vector>

#include "base/logger.h"
#include "isdata/data_arena.h"
#include "isdata/worker.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "results/verification_results.h"
#include "settings/settings.h"

namespace zz {

class TPack;
class TTheList;

class TVerification : public TVerificationResults, public TLoggingObject {
 public:
  // Objects the checks create (pieces of divided periods, merged periods) go into `arena`, the
  // arena of the set being verified. `params` (the run's options and rights list) outlives it.
  TVerification(TDataArena& arena, const TRunParams& params);

  // Collects a pack's own findings; called for every initial pack, then every correcting pack.
  void getParseErrorsAndWarnings(TPack& pack, TTheList* theList);
  // Territorial-code check for the set's year and period; period 0 stands for the whole year.
  void verifyTerrCodes(int setYear, int setPeriod);
  // The comparison: `workers_IS` are the set's IS workers united by insurance number.
  void verify(TTheList* list, const std::vector<TWorker*>& workers_IS, int nYear, int nPeriod);

  // The checks, in the order verify runs them.
  void CheckAddTariff(TTheList& list, const std::vector<TWorker*>& workers_IS, int nYear);
  void CheckVirusCode(TTheList& list);
  void CheckStaffPositions(TTheList& list, const std::vector<TWorker*>& workers_IS);
  void ReportPositionsNotFound(TTheList& list, const std::vector<TWorker*>& workers_IS);
  void MatchNameListWorkers(TTheList& list, const std::vector<TWorker*>& workers_IS);
  void CompareNameListPeriods(TTheList& list, const std::vector<TWorker*>& workers_IS, int nYear);

  // Appends the table to the error or warning results when it holds a record; drops it otherwise.
  void AddIfNotEmpty(std::unique_ptr<TTableResult> table);

  const TRunParams& FParams;
  bool fCorrPacksOnly = false;
  bool fWithPositions = false;
  bool fWithNameList = false;
  std::vector<std::unique_ptr<TTerrCodeData>> fTerrCodes;
  std::vector<std::string> fFileNames;

 protected:
  TDataArena& fArena;
};

}  // namespace zz
