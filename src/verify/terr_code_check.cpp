// The territorial-code check: the codes of the set's IS periods against the organisation's rights.
#include "verify/verification.h"

namespace zz {

void TVerification::verifyTerrCodes(int setYear, int setPeriod) {
  if (!FParams.fCompareTerrCodes) return;
  auto errors = std::make_unique<TTerrCodeErrors>();
  const TDate none{};

  // A right for the period but no code at all in the IS files is worth a question to the employer.
  if (fTerrCodes.empty() && FParams.hasNordRight("all", none, none, setYear, setPeriod))
    fWarningResults.push_back(std::make_unique<TTerrCodeWarning>("all"));

  if (FParams.FCompareTerrCodesExtMode) {
    // Each code on its own dates.
    for (const auto& record : fTerrCodes) {
      const TWorkPeriod* period = record ? record->FWorkPeriod_PD : nullptr;
      if (!period) continue;
      if (!FParams.hasNordRight(period->TerritoryCondition, period->Start, period->Finish, setYear, setPeriod))
        errors->AddRecord(std::make_unique<TTerrCodeError>(*record));
    }
  } else if (!fTerrCodes.empty() && !FParams.hasNordRight("all", none, none, -1, -1)) {
    // No right of any kind: every code is unlawful.
    for (const auto& record : fTerrCodes)
      if (record) errors->AddRecord(std::make_unique<TTerrCodeError>(*record));
  }

  AddIfNotEmpty(std::move(errors));
}

}  // namespace zz
