// Rows of the working-conditions, additional-tariff, Perechen (ВИРУС) and territorial-condition chapters.
#include <string>

#include "isdata/add_tariff_payment.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "results/record_cells.h"
#include "results/result_records.h"

namespace zz {

using namespace cells;

TUTError::TUTError(TISSide is, TListSide list, std::string pdUT, bool SameAddTariff, std::string listUT)
    : fMess("Проставленные у ЗЛ для ДТ условия труда не совпадают в ИС и Перечне"), fListUT(std::move(listUT)) {
  FWorker_PD = is.Worker;
  FWorker_List = list.Worker;
  FWorkPeriod_List = list.Period;
  if (SameAddTariff) fPDUT = std::move(pdUT);
  TagData();
  if (FWorker_List)
    fPDUT += " (все периоды)";
  else
    fListUT += " (все периоды)";
  FUCPData = is.Worker ? Ucp(is.Worker, &is.Worker->PaymentsNodeData) : Ucp(nullptr, NodeOf(list.Period));
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

TAddTariffError::TAddTariffError(TISSide is, TListSide list, TResultType errType) : fErrType(errType) {
  FWorker_PD = is.Worker;
  FWorker_List = list.Worker;
  if (errType == rtList)
    FWorkPeriod_List = list.Period;
  else
    FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(errType == rtList ? nullptr : is.Worker, is.Worker ? &is.Worker->PaymentsNodeData : nullptr);
  TagData();
}

TCells TAddTariffError::Cells() const {
  bool isSide = FWorkPeriod_PD != nullptr;
  const TWorker* w = isSide ? FWorker_PD : FWorker_List;
  if (!w) w = FWorker_PD ? FWorker_PD : FWorker_List;
  const TWorkPeriod* p = isSide ? FWorkPeriod_PD : FWorkPeriod_List;
  bool listSide = fErrType == rtList;
  std::string explanation =
      listSide
          ? "У ЗЛ в перечне в периодах стажа проставлен доп. тариф, но не начислена сумма по доп. тарифу в ИС"
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

TAddTariffWarning::TAddTariffWarning(TISSide is, TResultType resultType, TAddTariffPayment* AddTariffPayment)
    : fResultType(resultType) {
  FWorker_PD = is.Worker;
  FWorkPeriod_List = is.Period;
  FAddTariffPayment = AddTariffPayment;
  FUCPData = Ucp(is.Worker, is.Worker ? &is.Worker->PaymentsNodeData : nullptr);
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

TUTWithoutAddTariffError::TUTWithoutAddTariffError(TListSide list) {
  FWorker_List = list.Worker;
  FWorkPeriod_List = list.Period;
  FUCPData = Ucp(nullptr, NodeOf(list.Period));
}

TCells TUTWithoutAddTariffError::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_List;
  return Concat({ListWorkerHead(FWorker_List), {BeginOf(p), EndOf(p), p ? Esc(p->WC) : ""}});
}

TBeerusError::TBeerusError(TListSide list, std::string Culprit) : FCulprit(std::move(Culprit)) {
  FWorker_List = list.Worker;
  FWorkPeriod_List = list.Period;
}

TCells TBeerusError::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_List;
  TCells details = PeriodDetails(p);
  details.resize(7);  // bases ... seniority basis; no territorial condition or additional data here
  return Concat({ListWorkerHead(FWorker_List), details, {Esc(FCulprit)}});
}

TTerrCodeData::TTerrCodeData(TISSide is) : FUcpNodeData(is.Period ? &is.Period->TerrNodeData : nullptr) {
  FWorkPeriod_PD = is.Period;
  FWorker_PD = is.Worker;
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

}  // namespace zz
