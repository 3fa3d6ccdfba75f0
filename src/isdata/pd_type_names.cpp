#include "isdata/pd_type_names.h"

namespace zz {

std::string PDTypeDisplayName(TPDType type) {
  switch (type) {
    case pdtSZV61: return "СЗВ-6-1";
    case pdtSZV62: return "СЗВ-6-2";
    case pdtSPV1: return "СПВ-1";
    case pdtSZV64: return "СЗВ-6-4";
    case pdtRSV1: return "РСВ-1";
    case pdtSPV2: return "СПВ-2";
    case pdtSZVStag: return "СЗВ-СТАЖ";
    case pdtSZVCorr: return "СЗВ-КОРР";
    case pdtSZVBase: return "СЗВ-ИСХ";
    case pdtEFS1: return "ЕФС-1";
  }
  return "";
}

}  // namespace zz
