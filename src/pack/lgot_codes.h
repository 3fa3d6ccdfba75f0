#pragma once
// The codes of one ЛьготныйСтаж element and a person's additional-tariff payments.
#include <string>
#include <string_view>
#include <vector>

namespace zz {

class TMyNode;
class TPack;
class TWorker;
class TWorkPeriod;
struct TIsNames;

// Codes whose hours are read from the ВЛ element, looked for in this order.
extern const std::vector<std::string> HoursBaseCodes;

struct TLgotCodes {
  std::string VL;   // long-service basis
  std::string OUT;  // special-conditions code
};

// Seniority flags of a period; set by reading, never cleared.
struct TSeniorityFlags {
  bool Season = false;  // "СЕЗОН"
  bool UIK = false;     // "УИК104"
};

// Reads one code element into the period: territorial condition (recorded in the pack's
// TerrCodes), special conditions and list position, long service with rate and worked time,
// additional data, calculated seniority and, in ЕФС-1, the working-conditions class. Raises the
// part-time, hours, flight and jump records in the pack's tables. Throws when hours or minutes
// held as numbers do not convert.
TLgotCodes ReadLgotCodes(TPack& pack, const TIsNames& names, const TMyNode* codeNode, TWorkPeriod& period,
                         TWorker& worker, TSeniorityFlags& flags);

// The person's additional-tariff payments, HasAT and PaymentsNodeData. Throws when a sum of a
// 2017-generation payment does not convert; before 2017 a failure is logged and ends the reading.
void ReadTariffPayments(TPack& pack, const TIsNames& names, const TMyNode* workerNode, TWorker& worker);

// 0: rate fine, 1: part-time warning, 2: part-time error (by the classifier lists).
int CheckPartTime(std::string_view OUT, std::string_view ProfessionCode, std::string_view VL, double Rate);

// The hours record of a ВЛ code: jumps, ПД-family hours missing, or flight hours.
void AddHoursWarnings(TPack& pack, TWorker& worker, TWorkPeriod& period, const std::string& VL);

}  // namespace zz
