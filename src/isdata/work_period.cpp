// A work period's dates, codes, rate and worked time, and their texts in the protocol.
#include "isdata/work_period.h"

#include <algorithm>

#include "base/strings.h"
#include "isdata/data_arena.h"

namespace zz {

const std::vector<std::string> SeniorityBaseCodes = {"СЕЗОН", "УИК104", "ВОДОЛАЗ", "ПОЛЕ", "ВИРУС"};
const std::vector<std::string> FlightBaseCodes = {"САМОЛЕТ", "СПЕЦАВ",  "ИТСИСП",  "ЛЕТИСП",
                                                  "ИНСПЕКТ", "ОПЫТИСП", "ИСПКЛС1", "ИТСМАВ"};

namespace {
const char kSelo[] = "СЕЛО";
}

const TSharedText& ZeroText() {
  static const TSharedText zero("0");
  return zero;
}

std::string FormatDateOrEmpty(TDate date) {
  int year = YearOf(date);
  if (year < 1 || year > 9999) return {};
  return FormatDate(date);
}

TWorkPeriod::TWorkPeriod() : AddPdData(this) {
  Bases.SetOnChange([](void* owner) { static_cast<TWorkPeriod*>(owner)->ApplyFlightRule(); }, this);
}

void TWorkPeriod::ApplyFlightRule() {
  const std::string& text = Bases.DelimitedText();
  for (const std::string& code : FlightBaseCodes)
    if (text.find(code) != std::string::npos) {
      Rate = 1.0;
      return;
    }
}

void TWorkPeriod::SetSeniorityBase(std::string_view value) {
  for (const std::string& code : SeniorityBaseCodes)
    if (value.find(code) != std::string_view::npos) {
      FSeniorityBase = value;
      return;
    }
}

TWorkPeriod* TWorkPeriod::Clone(TDataArena& arena) const {
  TWorkPeriod* copy = arena.Make<TWorkPeriod>();
  copy->ProfessionCode = ProfessionCode;
  // A plain copy of the codes: the clone keeps the rate this period has now.
  copy->Bases.SetOnChange(nullptr, nullptr);
  copy->Bases = Bases;
  copy->Start = Start;
  copy->Finish = Finish;
  copy->TerritoryCondition = TerritoryCondition;
  copy->Profession = Profession;
  copy->AddTariff = AddTariff;
  copy->SetSeniorityBase(FSeniorityBase);
  copy->WC = WC;
  copy->Rate = Rate;
  copy->Months = Months;
  copy->Days = Days;
  copy->Hours = Hours;
  copy->Minutes = Minutes;
  copy->PDRKHours = PDRKHours;
  copy->PDRKMinutes = PDRKMinutes;
  copy->AddPdData.FData = AddPdData.FData;
  copy->NumSub = NumSub;
  copy->PackNum = PackNum;
  copy->NumInPack = NumInPack;
  copy->RateNodeData = RateNodeData;
  copy->NodeData = NodeData;
  copy->FactNodeData = FactNodeData;
  copy->SeniorityNodeData = SeniorityNodeData;
  copy->PDRKHoursNodeData = PDRKHoursNodeData;
  return copy;
}

bool TerritoryConditionsMatch(std::string_view own, std::string_view other) {
  bool ownSelo = own == kSelo;
  bool otherSelo = other == kSelo;
  if (!ownSelo && !otherSelo) return true;
  if (ownSelo) return otherSelo || other.empty();
  return own.empty();
}

bool TWorkPeriod::Matches(const TBases& bases, std::string_view profCode, std::string_view terrCond,
                          const TAddPdData& addPdData) const {
  if (Bases.DelimitedText() != bases.DelimitedText()) return false;
  if (ProfessionCode != profCode) return false;
  if (!TerritoryConditionsMatch(TerritoryCondition, terrCond)) return false;

  bool ownBearing = AddPdData.IsSeniorityBearing();
  if (ownBearing && AddPdData.Equals(&addPdData)) return true;
  if (!ownBearing && !addPdData.IsSeniorityBearing()) return true;
  return AddPdData.HasNoLgotCode() || addPdData.HasNoLgotCode();
}

bool TWorkPeriod::Matches(const TWorkPeriod& other) const {
  return Matches(other.Bases, other.ProfessionCode, other.TerritoryCondition, other.AddPdData);
}

double TWorkPeriod::WorkingDays() const {
  if (AddPdData.HasData()) return 0;
  return DaysInclusive(Start, Finish) * Rate;
}

bool IsZeroWorkTime(std::string_view text) {
  if (text.empty()) return true;
  int value = 0;
  return TryParseInt(text, value) && value == 0;
}

bool TWorkPeriod::HasWorkTimeTexts() const {
  return !IsZeroWorkTime(Months) || !IsZeroWorkTime(Days) || !IsZeroWorkTime(Hours) || !IsZeroWorkTime(Minutes);
}

bool TWorkPeriod::HasFactWorkedTime() const {
  if (HasWorkTimeTexts()) return true;
  if (PDRKHours != 0 || PDRKMinutes != 0) return Bases.DelimitedText() != "27-ПД";
  return false;
}

std::string TWorkPeriod::RateStr() const { return Rate > 0 ? FormatNumber(Rate) : "Не указана"; }

std::string TWorkPeriod::pBeginAsString() const { return FormatDateOrEmpty(Start); }

std::string TWorkPeriod::pEndAsString() const { return FormatDateOrEmpty(Finish); }

std::string TWorkPeriod::pPeriodString() const { return pBeginAsString() + " - " + pEndAsString(); }

std::string TWorkPeriod::BasesAndCode() const {
  std::string text = Bases.DelimitedText();
  if (!ProfessionCode.empty()) text += " (" + ProfessionCode + ")";
  return text;
}

std::string TWorkPeriod::WorkTimeAsString() const {
  if (Bases.HasBases("РЕАКТИВН") || Bases.HasBases("НОРМСП")) return Hours + " прыжков/спусков/подъемов";
  return Months + " мес., " + Days + " дн., " + Hours + " ч., " + Minutes + " мин.";
}

std::string TWorkPeriod::CompactWorkTimeText() const {
  std::string text;
  if (Months != "0") text += Months + " мес. ";
  if (Days != "0") text += Days + " дн. ";
  if (Hours != "0") text += Hours + " ч. ";
  if (Minutes != "0") text += Minutes + " мин.";
  return text;
}

void ReleaseWorkPeriod(TWorkPeriod*& period) {
  if (!period || period->IsResultData) return;
  period = nullptr;
}

}  // namespace zz
