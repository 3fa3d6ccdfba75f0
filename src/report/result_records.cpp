#include "report/result_records.h"

#include <cmath>
#include <initializer_list>

#include "isdata/add_tariff_payment.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "settings/strings.h"

namespace zz {

namespace {

using TCells = std::vector<std::string>;

std::string Esc(std::string_view text) { return HtmlEscape(text); }

TCells Concat(std::initializer_list<TCells> parts) {
  TCells all;
  for (const TCells& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Cell helpers: an absent object gives empty cells, never a crash.
TCells IsWorkerHead(const TWorker* w) {
  if (!w) return {"", "", "", ""};
  return {Esc(w->PackNum), Esc(w->NumInPack), Esc(w->SN), Esc(w->SurnameWithInitials())};
}

TCells ListWorkerHead(const TWorker* w) {
  if (!w) return {"", "", ""};
  return {Esc(w->SubNum), Esc(w->SN), Esc(w->SurnameWithInitials())};
}

std::string SN(const TWorker* w) { return w ? Esc(w->SN) : ""; }
std::string ShortName(const TWorker* w) { return w ? Esc(w->SurnameWithInitials()) : ""; }

std::string BasesOf(const TWorkPeriod* p) { return p ? Esc(p->Bases.DelimitedText()) : ""; }
std::string CodeOf(const TWorkPeriod* p) { return p ? Esc(p->ProfessionCode) : ""; }
std::string TerrOf(const TWorkPeriod* p) { return p ? Esc(p->TerritoryCondition) : ""; }
std::string AddDataOf(const TWorkPeriod* p) { return p ? Esc(p->AddPdData.ToString()) : ""; }
std::string BeginOf(const TWorkPeriod* p) { return p ? Esc(p->pBeginAsString()) : ""; }
std::string EndOf(const TWorkPeriod* p) { return p ? Esc(p->pEndAsString()) : ""; }
std::string PeriodOf(const TWorkPeriod* p) { return p ? Esc(p->pPeriodString()) : ""; }
std::string RateOf(const TWorkPeriod* p) { return p ? Esc(p->RateStr()) : ""; }
std::string WorkTimeOf(const TWorkPeriod* p) { return p ? Esc(p->WorkTimeAsString()) : ""; }
std::string SeniorityOf(const TWorkPeriod* p) { return p ? Esc(p->SeniorityBase()) : ""; }

// Bases; code; begin; end; rate; worked time; seniority basis; territorial condition; additional data.
TCells PeriodDetails(const TWorkPeriod* p) {
  if (!p) return TCells(9);
  return {BasesOf(p), CodeOf(p),   BeginOf(p),   EndOf(p),    RateOf(p), Esc(p->CompactWorkTimeText()),
          SeniorityOf(p), TerrOf(p), AddDataOf(p)};
}

std::unique_ptr<TUCPData> Ucp(const TWorker* packOwner, const TNodeData* node) {
  return std::make_unique<TUCPData>(packOwner ? packOwner->PackNum : std::string(), node);
}

const TNodeData* NodeOf(const TWorkPeriod* p) { return p ? &p->NodeData : nullptr; }
const TNodeData* NodeOf(const TWorker* w) { return w ? &w->NodeData : nullptr; }

// Round half to even, like the banker's rounding of the original amounts.
double RoundHalfEven(double value) {
  double rounded = std::round(value);
  if (std::fabs(value - std::trunc(value)) == 0.5) rounded = 2.0 * std::round(value / 2.0);
  return rounded;
}

}  // namespace

std::string MinutesAsHoursText(double minutes) {
  // Out-of-range amounts (broken input) print as zero rather than overflow.
  double rounded = std::isfinite(minutes) ? RoundHalfEven(minutes) : 0;
  if (std::fabs(rounded) > 9e15) rounded = 0;
  auto total = static_cast<long long>(rounded);
  return std::to_string(total / 60) + " часов " + std::to_string(total % 60) + " минут";
}

// ---------------------------------------------------------------------------------------------

TPositionError::TPositionError(TWorker* worker_IS, TWorkPeriod* workPeriod_IS) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, NodeOf(workPeriod_IS));
}

TCells TPositionError::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD), {BasesOf(p), CodeOf(p), TerrOf(p), AddDataOf(p)}});
}

TWorkingDaysError::TWorkingDaysError(TPosition* position, double fullWorkingDays_IS, double /*lgotWorkingDays_IS*/,
                                     int ISQuantity)
    : fFullWorkingDays_IS(fullWorkingDays_IS), fISQuantity(ISQuantity) {
  FPosition = position;
  FUCPData = Ucp(nullptr, nullptr);
}

TCells TWorkingDaysError::Cells() const {
  std::string positionDays = FPosition ? FormatNumber(FPosition->fWorkingDays) : "";
  std::string isDays = FormatNumber(fFullWorkingDays_IS);
  // The excess is computed from the two numbers as printed, so the row adds up on paper.
  double printedPosition = 0, printedIs = 0;
  TryParseDouble(positionDays, printedPosition);
  TryParseDouble(isDays, printedIs);
  return {FPosition ? Esc(FPosition->pPositionAsString()) : "",
          FPosition ? FormatNumber(FPosition->fQuantityByPositions) : "",
          positionDays,
          std::to_string(fISQuantity),
          isDays,
          FormatNumber(printedIs - printedPosition)};
}

TWorkingDaysResultRecord::TWorkingDaysResultRecord(TPosition* position, double fullWorkingDays_IS,
                                                   double lgotWorkingDays_IS, int ISQuantity)
    : TWorkingDaysError(position, fullWorkingDays_IS, lgotWorkingDays_IS, ISQuantity),
      fExDaysQuantity(fullWorkingDays_IS - lgotWorkingDays_IS) {}

TCells TWorkingDaysResultRecord::Cells() const {
  TCells cells = TWorkingDaysError::Cells();
  cells.push_back(FormatNumber(fExDaysQuantity));
  return cells;
}

TAddPdDataError::TAddPdDataError(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, std::string AddPdDataEarly,
                                 std::string AddPdDataLate, std::string AddPdData)
    : fAddPdDataEarly(std::move(AddPdDataEarly)), fAddPdDataLate(std::move(AddPdDataLate)), fAddPdData(std::move(AddPdData)) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, NodeOf(workPeriod_IS));
}

TCells TAddPdDataError::Cells() const {
  std::string explanation = "Код " + fAddPdData + " проставлен неправомерно.";
  if (!fAddPdDataEarly.empty() || !fAddPdDataLate.empty()) {
    explanation += " Период актуальности кода ";
    explanation += !fAddPdDataEarly.empty() ? "начинается " + fAddPdDataEarly : "закончился " + fAddPdDataLate;
  }
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD), {BasesOf(p), CodeOf(p), Esc(fAddPdData), Esc(explanation)}});
}

TSNError_IS::TSNError_IS(TWorker* worker_IS, TWorkPeriod* workPeriod_IS) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, NodeOf(worker_IS));
}

TCells TSNError_IS::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD), {BeginOf(p), EndOf(p), BasesOf(p), CodeOf(p)}});
}

TFullNameError::TFullNameError(TWorker* worker_IS, TWorker* worker_list) {
  FWorker_PD = worker_IS;
  FWorker_List = worker_list;
  FUCPData = Ucp(worker_IS, worker_IS ? &worker_IS->FullNameNodeData : nullptr);
}

TCells TFullNameError::Cells() const {
  const TWorker* is = FWorker_PD;
  const TWorker* list = FWorker_List;
  TCells isPart = is ? TCells{Esc(is->PackNum), Esc(is->NumInPack), Esc(is->SN), Esc(is->Surname), Esc(is->Name),
                              Esc(is->Patronymic)}
                     : TCells(6);
  TCells listPart =
      list ? TCells{Esc(list->SubNum), Esc(list->Surname), Esc(list->Name), Esc(list->Patronymic)} : TCells(4);
  return Concat({isPart, listPart});
}

TTeacherResult::TTeacherResult(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, double hours_IS, double hours_List)
    : fPerechTime(MinutesAsHoursText(hours_List)), fISTime(MinutesAsHoursText(hours_IS)) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, workPeriod_IS ? &workPeriod_IS->PDRKHoursNodeData : nullptr);
}

TCells TTeacherResult::Cells() const {
  return Concat({{BasesOf(FWorkPeriod_PD)}, IsWorkerHead(FWorker_PD), {Esc(fISTime), Esc(fPerechTime)}});
}

TSNError_List::TSNError_List(TWorker* worker_list, TWorkPeriod* workperiod_List) {
  FWorker_List = worker_list;
  FWorkPeriod_List = workperiod_List;
  FUCPData = Ucp(nullptr, NodeOf(worker_list));
}

TCells TSNError_List::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_List;
  return Concat({ListWorkerHead(FWorker_List), {BeginOf(p), EndOf(p), BasesOf(p), CodeOf(p)}});
}

TBasisError::TBasisError(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, TWorkPeriod* workperiod_List) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FWorkPeriod_List = workperiod_List;
  FUCPData = Ucp(worker_IS, NodeOf(workPeriod_IS));
}

TCells TBasisError::Cells() const {
  const TWorkPeriod* is = FWorkPeriod_PD;
  const TWorkPeriod* list = FWorkPeriod_List;
  return Concat({IsWorkerHead(FWorker_PD),
                 {PeriodOf(is), BasesOf(is), CodeOf(is), TerrOf(is), AddDataOf(is)},
                 {list ? Esc(list->NumSub) : "", BasesOf(list), CodeOf(list), TerrOf(list), AddDataOf(list)}});
}

TPeriodError_IS::TPeriodError_IS(TWorker* worker_IS, TWorkPeriod* workPeriod_IS) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, NodeOf(workPeriod_IS));
}

TCells TPeriodError_IS::Cells() const { return Concat({IsWorkerHead(FWorker_PD), PeriodDetails(FWorkPeriod_PD)}); }

TPeriodError_List::TPeriodError_List(TWorker* worker_IS, TWorker* worker_list, TWorkPeriod* workperiod_List) {
  FWorker_PD = worker_IS;
  FWorker_List = worker_list;
  FWorkPeriod_List = workperiod_List;
  FUCPData = Ucp(nullptr, NodeOf(workperiod_List));
}

TCells TPeriodError_List::Cells() const {
  return Concat({ListWorkerHead(FWorker_List), PeriodDetails(FWorkPeriod_List)});
}

TRateResult::TRateResult(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, TWorkPeriod* workperiod_List,
                         TResultType resultType)
    : fResultType(resultType) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FWorkPeriod_List = workperiod_List;
  const TWorkPeriod* located = workPeriod_IS ? workPeriod_IS : workperiod_List;
  FUCPData = Ucp(worker_IS, located ? &located->RateNodeData : nullptr);
}

TCells TRateResult::Cells() const {
  const TWorker* w = FWorker_PD ? FWorker_PD : FWorker_List;
  const TWorkPeriod* is = FWorkPeriod_PD;
  return Concat({IsWorkerHead(w), {BasesOf(is), PeriodOf(is), RateOf(is), RateOf(FWorkPeriod_List)}});
}

TFactWorkTimeError::TFactWorkTimeError(TWorker* worker_IS, TWorkPeriod* workperiod_List, TWorkPeriod* workPeriod_IS) {
  FWorker_PD = worker_IS;
  FWorkPeriod_List = workperiod_List;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, workPeriod_IS ? &workPeriod_IS->FactNodeData : nullptr);
}

TCells TFactWorkTimeError::Cells() const {
  const TWorkPeriod* is = FWorkPeriod_PD;
  return {SN(FWorker_PD), ShortName(FWorker_PD), BasesOf(is), CodeOf(is), WorkTimeOf(is), WorkTimeOf(FWorkPeriod_List)};
}

TFactWorkTimeResult_List_IS::TFactWorkTimeResult_List_IS(TWorker* worker_IS, TWorkPeriod* workPeriod_IS,
                                                         TWorkPeriod* workperiod_List, TResultType resultType)
    : fResultType(resultType) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FWorkPeriod_List = workperiod_List;
  const TWorkPeriod* located = workPeriod_IS ? workPeriod_IS : workperiod_List;
  FUCPData = Ucp(worker_IS, located ? &located->FactNodeData : nullptr);
}

TCells TFactWorkTimeResult_List_IS::Cells() const {
  const TWorkPeriod* list = FWorkPeriod_List;
  std::string workTime;
  if (fResultType == rtList) workTime = WorkTimeOf(list);
  else if (fResultType == rtPD) workTime = WorkTimeOf(FWorkPeriod_PD);
  return {SN(FWorker_PD), ShortName(FWorker_PD), BasesOf(list), CodeOf(list), PeriodOf(list), workTime};
}

TWorkDaysBasisError::TWorkDaysBasisError(TWorker* worker_list, TWorker* worker_IS, TWorkPeriod* workPeriod_IS,
                                         TWorkPeriod* workperiod_List) {
  FWorker_List = worker_list;
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FWorkPeriod_List = workperiod_List;
  FUCPData = Ucp(worker_IS, workPeriod_IS ? &workPeriod_IS->SeniorityNodeData : nullptr);
}

TCells TWorkDaysBasisError::Cells() const {
  const TWorkPeriod* list = FWorkPeriod_List;
  return Concat(
      {IsWorkerHead(FWorker_PD), {BasesOf(list), CodeOf(list), SeniorityOf(FWorkPeriod_PD), SeniorityOf(list)}});
}

TUTError::TUTError(TWorker* worker_list, TWorker* worker_IS, TWorkPeriod* workperiod_List, std::string pdUT,
                   bool SameAddTariff, std::string listUT)
    : fMess("Проставленные у ЗЛ для ДТ условия труда не совпадают в ИС и Перечне"), fListUT(std::move(listUT)) {
  FWorker_PD = worker_IS;
  FWorker_List = worker_list;
  FWorkPeriod_List = workperiod_List;
  if (SameAddTariff) fPDUT = std::move(pdUT);
  TagData();
  if (FWorker_List)
    fPDUT += " (все периоды)";
  else
    fListUT += " (все периоды)";
  FUCPData = worker_IS ? Ucp(worker_IS, &worker_IS->PaymentsNodeData) : Ucp(nullptr, NodeOf(workperiod_List));
}

TCells TUTError::Cells() const {
  const TWorkPeriod* list = FWorkPeriod_List;
  std::string period, subdivision, listClass, message = fMess;
  if (list) {
    period = PeriodOf(list);
    subdivision = Esc(list->NumSub);
    listClass = list->WC.empty() ? "Без класса УТ" : Esc(list->WC);
    message += " (Класса УТ из Перечня нет в ИС)";
  } else {
    listClass = Esc(fListUT);
    message += " (Класса УТ из ИС нет в Перечне)";
  }
  TCells head = FWorker_PD ? IsWorkerHead(FWorker_PD) : TCells{"", "", SN(FWorker_List), ShortName(FWorker_List)};
  return Concat({head, {period, Esc(fPDUT), subdivision, listClass, Esc(message)}});
}

TAddTariffError::TAddTariffError(TWorker* worker_IS, TWorker* worker_list, TWorkPeriod* workperiod,
                                 TResultType errType)
    : fErrType(errType) {
  FWorker_PD = worker_IS;
  FWorker_List = worker_list;
  if (errType == rtList)
    FWorkPeriod_List = workperiod;
  else
    FWorkPeriod_PD = workperiod;
  FUCPData = Ucp(errType == rtList ? nullptr : worker_IS, worker_IS ? &worker_IS->PaymentsNodeData : nullptr);
  TagData();
}

TCells TAddTariffError::Cells() const {
  bool isSide = FWorkPeriod_PD != nullptr;
  const TWorker* w = isSide ? FWorker_PD : FWorker_List;
  if (!w) w = FWorker_PD ? FWorker_PD : FWorker_List;
  const TWorkPeriod* p = isSide ? FWorkPeriod_PD : FWorkPeriod_List;
  bool listSide = fErrType == rtList;
  std::string explanation =
      listSide ? "У ЗЛ в перечне в периодах стажа проставлен доп. тариф, но не начислена сумма по доп. тарифу в ИС"
               : "У ЗЛ в периодах стажа присутствует льгота " + BasesOf(p) + ", но не начислена сумма выплат по доп. тарифу";
  return {listSide || !FUCPData ? "" : Esc(FUCPData->FPackNum),
          w ? Esc(w->NumInPack) : "",
          SN(w),
          ShortName(w),
          PeriodOf(p),
          listSide ? "" : BasesOf(FWorkPeriod_PD),
          listSide ? "" : CodeOf(FWorkPeriod_PD),
          w ? Esc(w->SubNum) : "",
          listSide ? BasesOf(FWorkPeriod_List) : "",
          listSide ? CodeOf(FWorkPeriod_List) : "",
          explanation};
}

TAddTariffWarning::TAddTariffWarning(TWorker* worker_IS, TResultType resultType, TWorkPeriod* workperiod_List,
                                     TAddTariffPayment* AddTariffPayment)
    : fResultType(resultType) {
  FWorker_PD = worker_IS;
  FWorkPeriod_List = workperiod_List;
  FAddTariffPayment = AddTariffPayment;
  FUCPData = Ucp(worker_IS, worker_IS ? &worker_IS->PaymentsNodeData : nullptr);
  TagData();
}

TCells TAddTariffWarning::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_List;
  std::string explanation;
  if (fResultType == rtNoLgot) {
    const TAddTariffPayment* pay = FAddTariffPayment;
    explanation = "У ЗЛ начислена сумма выплат по доп. тарифу " + (pay ? AddTariffBaseName(pay->Base) : std::string()) +
                  " на сумму " + (pay ? FormatNumber(pay->Sum) : std::string()) +
                  " руб., но в его периодах стажа льгота отсутствует";
  } else {
    explanation = "У ЗЛ в периодах стажа присутствует льгота " + BasesOf(p) +
                  ", но не начислена сумма выплат по доп. тариф, т.к. имеются: " + AddDataOf(p);
  }
  return Concat({IsWorkerHead(FWorker_PD), {PeriodOf(p), BasesOf(p), CodeOf(p), explanation}});
}

TUTWithoutAddTariffError::TUTWithoutAddTariffError(TWorker* worker_List, TWorkPeriod* workPeriod_List) {
  FWorker_List = worker_List;
  FWorkPeriod_List = workPeriod_List;
  FUCPData = Ucp(nullptr, NodeOf(workPeriod_List));
}

TCells TUTWithoutAddTariffError::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_List;
  return Concat({ListWorkerHead(FWorker_List), {BeginOf(p), EndOf(p), p ? Esc(p->WC) : ""}});
}

TBeerusError::TBeerusError(TWorker* Worker, TWorkPeriod* WorkPeriod, std::string Culprit)
    : FCulprit(std::move(Culprit)) {
  FWorker_List = Worker;
  FWorkPeriod_List = WorkPeriod;
}

TCells TBeerusError::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_List;
  TCells details = PeriodDetails(p);
  details.resize(7);  // bases ... seniority basis; no territorial condition or additional data here
  return Concat({ListWorkerHead(FWorker_List), details, {Esc(FCulprit)}});
}

TTerrCodeData::TTerrCodeData(TWorkPeriod* workPeriod_IS, TWorker* worker_IS)
    : FUcpNodeData(workPeriod_IS ? &workPeriod_IS->TerrNodeData : nullptr) {
  FWorkPeriod_PD = workPeriod_IS;
  FWorker_PD = worker_IS;
  TagData();
}

TTerrCodeError::TTerrCodeError(const TTerrCodeData& TerrCodeData) {
  FWorker_PD = TerrCodeData.FWorker_PD;
  FWorkPeriod_PD = TerrCodeData.FWorkPeriod_PD;
  FUCPData = Ucp(FWorker_PD, &TerrCodeData.FUcpNodeData);
}

TCells TTerrCodeError::Cells() const {
  const TWorker* w = FWorker_PD;
  const TWorkPeriod* p = FWorkPeriod_PD;
  return {w ? Esc(w->PackNum) : "", SN(w), ShortName(w), PeriodOf(p), TerrOf(p), p ? Esc(p->TerritoryCoeff) : ""};
}

TCrossingPDPeriodError::TCrossingPDPeriodError(const TWorkPeriod* PdWorkperiod, const TWorkPeriod* SecondPdWorkperiod,
                                               TWorker* Worker_PD) {
  FWorker_PD = Worker_PD;
  if (const TWorkPeriod* p = PdWorkperiod) {
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
  return {SN(FWorker_PD),
          ShortName(FWorker_PD),
          Esc(FFirstWorkPeriodStr),
          Esc(FFirstPackNum),
          Esc(FFirstNumInPack),
          Esc(FFirstBasesAndCode),
          Esc(FFirstAddPdData),
          Esc(FSecondWorkPeriodStr),
          Esc(FSecondPackNum),
          Esc(FSecondNumInPack),
          Esc(FSecondBasesAndCode),
          Esc(FSecondAddPdData)};
}

TPartTimeResult::TPartTimeResult(std::string lgotBasis, std::string retirementBasis, TWorker* worker_IS,
                                 TWorkPeriod* workPeriod_IS)
    : TResultRecordWithPeriod(workPeriod_IS), FLgotBasis(std::move(lgotBasis)), fRetirementBasis(std::move(retirementBasis)) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, workPeriod_IS ? &workPeriod_IS->RateNodeData : nullptr);
}

TCells TPartTimeResult::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD),
                 {Esc(FLgotBasis), CodeOf(p), Esc(fRetirementBasis), BeginOf(p), EndOf(p), RateOf(p)}});
}

TPDRKWarning::TPDRKWarning(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, std::string retirementBasis)
    : TResultRecordWithPeriod(workPeriod_IS), fRetirementBasis(std::move(retirementBasis)) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, workPeriod_IS ? &workPeriod_IS->PDRKHoursNodeData : nullptr);
}

TCells TPDRKWarning::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD),
                 {Esc(fRetirementBasis), BeginOf(p), EndOf(p), p ? FormatNumber(p->PDRKHours) : "",
                  p ? FormatNumber(p->PDRKMinutes) : "", RateOf(p)}});
}

TFlightWarning::TFlightWarning(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, std::string retirementBasis)
    : TResultRecordWithPeriod(workPeriod_IS), fRetirementBasis(std::move(retirementBasis)) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, workPeriod_IS ? &workPeriod_IS->FactNodeData : nullptr);
}

TCells TFlightWarning::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD),
                 {Esc(fRetirementBasis), BeginOf(p), EndOf(p), p ? Esc(p->Hours) : "", p ? Esc(p->Minutes) : ""}});
}

TJumpWarning::TJumpWarning(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, const std::string& /*retirementBasis*/)
    : TResultRecordWithPeriod(workPeriod_IS) {
  FWorker_PD = worker_IS;
  FWorkPeriod_PD = workPeriod_IS;
  FUCPData = Ucp(worker_IS, workPeriod_IS ? &workPeriod_IS->FactNodeData : nullptr);
}

TCells TJumpWarning::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD), {BasesOf(p), BeginOf(p), EndOf(p), p ? Esc(p->Hours) : ""}});
}

// ---------------------------------------------------------------------------------------------

TAddPdDataWarning::TAddPdDataWarning(TWorkPeriod* period, TWorker* worker) : TResultRecordWithPeriod(period) {
  FWorker_PD = worker;
  FWorkPeriod_PD = period;
  FUCPData = Ucp(worker, NodeOf(worker));
}

std::unique_ptr<TAddPdDataWarning> TAddPdDataWarning::TryCreateAddPdDataWarning(TWorkPeriod* Period,
                                                                                TWorker* Worker_IS, bool Season,
                                                                                bool UIK, const std::string& OTSPeriod,
                                                                                const TAddPdData* AddPdData) {
  if (!AddPdData) return nullptr;
  const TAddPdData& data = *AddPdData;
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

  std::unique_ptr<TAddPdDataWarning> record(new TAddPdDataWarning(Period, Worker_IS));
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
