// Payments at an additional tariff and their comparison.
#include "isdata/add_tariff_payment.h"

#include "isdata/data_arena.h"

namespace zz {

std::string AddTariffBaseName(TAddTariffBase base) { return base == atb1 ? "27-1" : "27-2-18"; }

TAddTariffPayment* TAddTariffPayment::Clone(TDataArena& arena) const {
  return arena.Make<TAddTariffPayment>(Base, WC, Sum, StringNumber);
}

}  // namespace zz
