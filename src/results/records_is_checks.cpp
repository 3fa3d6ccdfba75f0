// Rows of the IS file's own checks: crossing periods, part time, hours, flights, jumps, additional data.
#include <string>

#include "isdata/add_tariff_payment.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "results/record_cells.h"
#include "results/result_records.h"

namespace zz {

using namespace cells;

TCrossingPDPeriodError::TCrossingPDPeriodError(TISSide is, const TWorkPeriod* SecondPdWorkperiod) {
  FWorker_PD = is.Worker;
  if (const TWorkPeriod* p = is.Period) {
    FFirstPackNum = p->PackNum;
    FFirstNumInPack = p->NumInPack;
    FFirstWorkPeriodStr = p->pPeriodString();
    FFirstBasesAndCode = p->BasesAndCode();
    FFirstAddPdData = p->AddPdData.ToString();
  }
  if (const TWorkPeriod* p = SecondPdWorkperiod) {
    FSecondPackNum = p->PackNum;
    FSecondNumInPack = p->NumInPack;
    FSecondWorkPeriodStr = p->pPeriodString();
    FSecondBasesAndCode = p->BasesAndCode();
    FSecondAddPdData = p->AddPdData.ToString();
  }
}

TCells TCrossingPDPeriodError::Cells() const {
  return {SN(FWorker_PD),       ShortName(FWorker_PD),   Esc(FFirstWorkPeriodStr), Esc(FFirstPackNum),
          Esc(FFirstNumInPack), Esc(FFirstBasesAndCode), Esc(FFirstAddPdData),     Esc(FSecondWorkPeriodStr),
          Esc(FSecondPackNum),  Esc(FSecondNumInPack),   Esc(FSecondBasesAndCode), Esc(FSecondAddPdData)};
}

TPartTimeResult::TPartTimeResult(TISSide is, std::string lgotBasis, std::string retirementBasis)
    : TResultRecordWithPeriod(is.Period),
      FLgotBasis(std::move(lgotBasis)),
      fRetirementBasis(std::move(retirementBasis)) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, is.Period ? &is.Period->RateNodeData : nullptr);
}

TCells TPartTimeResult::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat(
      {IsWorkerHead(FWorker_PD), {Esc(FLgotBasis), CodeOf(p), Esc(fRetirementBasis), BeginOf(p), EndOf(p), RateOf(p)}});
}

TPDRKWarning::TPDRKWarning(TISSide is, std::string retirementBasis)
    : TResultRecordWithPeriod(is.Period), fRetirementBasis(std::move(retirementBasis)) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, is.Period ? &is.Period->PDRKHoursNodeData : nullptr);
}

TCells TPDRKWarning::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD),
                 {Esc(fRetirementBasis), BeginOf(p), EndOf(p), p ? FormatNumber(p->PDRKHours) : "",
                  p ? FormatNumber(p->PDRKMinutes) : "", RateOf(p)}});
}

TFlightWarning::TFlightWarning(TISSide is, std::string retirementBasis)
    : TResultRecordWithPeriod(is.Period), fRetirementBasis(std::move(retirementBasis)) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, is.Period ? &is.Period->FactNodeData : nullptr);
}

TCells TFlightWarning::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD),
                 {Esc(fRetirementBasis), BeginOf(p), EndOf(p), p ? Esc(p->Hours) : "", p ? Esc(p->Minutes) : ""}});
}

TJumpWarning::TJumpWarning(TISSide is, const std::string& /*retirementBasis*/) : TResultRecordWithPeriod(is.Period) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, is.Period ? &is.Period->FactNodeData : nullptr);
}

TCells TJumpWarning::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD), {BasesOf(p), BeginOf(p), EndOf(p), p ? Esc(p->Hours) : ""}});
}

// ---------------------------------------------------------------------------------------------

TAddPdDataWarning::TAddPdDataWarning(TISSide is) : TResultRecordWithPeriod(is.Period) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, NodeOf(is.Worker));
}

std::unique_ptr<TAddPdDataWarning> TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide is, bool Season, bool UIK,
                                                                                const std::string& OTSPeriod,
                                                                                const TAddPdData* AddPdData) {
  if (!AddPdData) return nullptr;
  const TAddPdData& data = *AddPdData;
  // Most periods: no flag, so no detail either.
  if (!data.HasData() && !Season && !UIK) return nullptr;
  auto detailIfSet = [&](TAddPdDataEnum type) { return data.ValueByType(type) ? data.DetailByType(type) : ""; };

  std::string children = detailIfSet(epdLongChildren);
  if (children.empty()) children = detailIfSet(epdChildren);
  std::string admin = data.DetailByType(epdAdmin);
  std::string rsv = data.DetailByRSV();
  std::string noPay = data.DetailByType(epdNoPay);
  std::string leave = admin;
  if (!leave.empty()) leave += ", ";
  if (!noPay.empty()) leave += noPay;
  std::string parental = detailIfSet(epdParentalLeave);
  std::string temp = detailIfSet(epdTempIncapacity);
  std::string longLeave = detailIfSet(epdLongLeave);
  std::string season = Season ? "СЕЗОН" : "";
  std::string uik = UIK ? "УИК104" : "";

  if (children.empty() && admin.empty() && rsv.empty() && leave.empty() && longLeave.empty() && parental.empty() &&
      temp.empty() && season.empty() && uik.empty())
    return nullptr;

  std::unique_ptr<TAddPdDataWarning> record(new TAddPdDataWarning(is));
  record->FChildren = Esc(children);
  record->FAdminLeave = Esc(admin);
  record->FAddPdDataRSV = Esc(rsv);
  record->FLeave = Esc(leave);
  record->FLongLeave = Esc(longLeave);
  record->FParentalLeave = Esc(parental);
  record->FTempIncapacity = Esc(temp);
  record->FSeason = Esc(season);
  record->FUIK = Esc(uik);
  record->FOTSPeriod = Esc(OTSPeriod);
  return record;
}

void TAddPdDataWarning::MergeWithAnotherWarning(const TAddPdDataWarning& other) {
  auto join = [](std::string& kept, const std::string& next) { kept += "<br>" + next; };
  join(FChildren, other.FChildren);
  join(FParentalLeave, other.FParentalLeave);
  join(FSeason, other.FSeason);
  join(FLeave, other.FLeave);
  join(FUIK, other.FUIK);
  join(FOTSPeriod, other.FOTSPeriod);
  join(FAdminLeave, other.FAdminLeave);
  join(FTempIncapacity, other.FTempIncapacity);
  join(FLongLeave, other.FLongLeave);
  join(FAddPdDataRSV, other.FAddPdDataRSV);
  join(FListComments, other.FListComments);
}

void TAddPdDataWarning::AddListComment(const std::string& periodText, const std::string& note) {
  FListComments += Esc(periodText + ": \"" + note + "\"") + "<br>";
}

TCells TAddPdDataWarning::Cells() const {
  return Concat({IsWorkerHead(FWorker_PD),
                 {FChildren, FParentalLeave, FLeave, FOTSPeriod, FSeason, FUIK, FTempIncapacity, FLongLeave,
                  FAddPdDataRSV, FListComments}});
}

}  // namespace zz
