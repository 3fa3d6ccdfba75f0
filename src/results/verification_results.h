#pragma once
// What the protocol needs of one verified set: its period, results, verdict and summaries.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "results/result.h"

namespace zz {

// Summary of the Perechen a set was compared with.
struct TListData {
  std::string fFileName;
  std::string fOrgName;
  int fWorkerCount = 0;
};

// Summary of one IS pack, one row of the protocol's source tables.
struct TPDPackData {
  std::string fFileName;
  std::string fNum;
  std::string fISType;  // display name of the document kind ("СЗВ-СТАЖ" ...)
  std::string fDatePack;
  std::string fCategoryCode;
  std::string fOrgName;
  std::string fShortOrgName;
  std::string fWorkers;
  int fLgotWorkers = 0;
};

struct TPDData {
  std::vector<TPDPackData> FInitPacks;
  std::vector<TPDPackData> FCorrPacks;
};

using TMessageList = std::vector<std::unique_ptr<TProtocolMessage>>;

class TVerificationResults {
 public:
  virtual ~TVerificationResults() = default;

  int fYear = 0;
  int fPeriod = 0;
  int fECode = 0;
  std::vector<std::unique_ptr<TResult>> FErrorResults;
  std::vector<std::unique_ptr<TResult>> fWarningResults;
  std::unique_ptr<TPreZazoruResult> fPreZazoruResult;
  // The Perechen's own messages once taken over; owned here from then on.
  TMessageList fVerListErrors;
  std::optional<TListData> fListData;
  TPDData fPDData;
};

}  // namespace zz
