#pragma once
// Payments charged at an additional tariff.
#include <string>

#include "isdata/result_data.h"

namespace zz {

class TDataArena;

enum TAddTariffBase { atb1, atb218 };

// "27-1" or "27-2-18".
std::string AddTariffBaseName(TAddTariffBase base);

class TAddTariffPayment : public TResultData {
 public:
  TAddTariffPayment(TAddTariffBase base, std::string wc, double sum, std::string num)
      : Base(base), Sum(sum), WC(std::move(wc)), StringNumber(std::move(num)) {}

  TAddTariffPayment* Clone(TDataArena& arena) const;

  TAddTariffBase Base;
  double Sum;
  std::string WC;
  std::string StringNumber;
};

}  // namespace zz
