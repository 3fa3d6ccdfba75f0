#pragma once
// One insured person, read from an IS file or from the Perechen's named list.
#include <string>
#include <vector>

#include "base/shared_text.h"
#include "isdata/add_tariff_payment.h"
#include "isdata/node_data.h"
#include "isdata/result_data.h"
#include "isdata/work_period.h"

namespace zz {

// The lists hold pointers into the set's arena (TDataArena), which owns every period and payment;
// a worker never frees them.
class TWorker : public TResultData {
 public:
  TWorker() = default;
  // The person's identity and flags, with empty period and payment lists.
  TWorker(const TWorker& other);
  TWorker& operator=(const TWorker&) = delete;

  bool AddWorkperiod(TWorkPeriod* period);

  std::string SurnameWithInitials() const;
  std::string SurnameWithInitialsAndSN() const;
  // No merged period carries codes (true for none).
  bool HasLgotSidePeriodsOnly() const;

  std::vector<TWorkPeriod*> FParsePeriods;
  TSharedText PackNum;
  std::string NumInPack;
  std::string SN;
  TSharedText SubNum;
  TNodeData FullNameNodeData;
  TNodeData NodeData;
  TNodeData PaymentsNodeData;
  TSharedText Surname;
  TSharedText Name;
  TSharedText Patronymic;
  bool HasAT = false;
  std::vector<TWorkPeriod*> WorkPeriods;
  bool HasLgotBasis = false;
  TSharedText CategoryCode;
  std::vector<TAddTariffPayment*> AddTariffPayments;
  std::vector<TWorkPeriod*> MergedWorkPeriods;
  bool FoundInPds = false;
  bool IsEFS1 = false;
};

}  // namespace zz
