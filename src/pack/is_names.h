#pragma once
// Element names of one IS file, by generation: plain names before 2017, namespace prefixes of the
// generation from 2017 on, fixed names in ЕФС-1. Built once per pack so that reading builds no
// names per element.
#include <string>

#include "isdata/base_data.h"

namespace zz {

enum TIsGeneration { igPre2017, ig2017, igEFS1 };

struct TIsNames {
  explicit TIsNames(const TBaseData& data);

  TIsGeneration Generation;
  TIsPrefixes Prefix;

  // Header.
  std::string Header, DateTag, NumberTag, OrgParent, OrgTag, OrgName;

  // Person.
  std::string Person, FullName, Surname, Name, Patronymic, SN;

  // Work periods.
  std::string StagePeriod = "СтажевыйПериод";
  std::string PeriodElement;  // empty before 2017: the dates are the period's own children
  std::string Start, Finish;
  std::string Lgot;
  std::string LgotCodes;  // the code element inside ЛьготныйСтаж; empty: ЛьготныйСтаж itself

  // Codes of one ЛьготныйСтаж.
  std::string TU, TUBasis, TUCoeff;
  std::string OUT, OUTCode, OUTPosition;
  std::string VL, VLBasis, VLRate;
  std::string Calendar, CalendarMonths, CalendarDays;
  std::string Hours, HoursHours, HoursMinutes;
  std::string AddPd;
  std::string IS, ISBasis;
  std::string SOUT, SOUTCode;  // ЕФС-1 only

  // Additional-tariff sums of a 2017 payment period: the ИС-family prefix + "ДопТарифП".
  std::string TariffSum;
};

}  // namespace zz
