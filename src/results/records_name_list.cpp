// Rows of the named-list chapter: persons, names, grounds, periods, rates and worked time on both sides.
#include <string>

#include "isdata/add_tariff_payment.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "results/record_cells.h"
#include "results/result_records.h"

namespace zz {

using namespace cells;

TSNError_IS::TSNError_IS(TISSide is) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, NodeOf(is.Worker));
}

TCells TSNError_IS::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_PD;
  return Concat({IsWorkerHead(FWorker_PD), {BeginOf(p), EndOf(p), BasesOf(p), CodeOf(p)}});
}

TFullNameError::TFullNameError(TISSide is, TListSide list) {
  FWorker_PD = is.Worker;
  FWorker_List = list.Worker;
  FUCPData = Ucp(is.Worker, is.Worker ? &is.Worker->FullNameNodeData : nullptr);
}

TCells TFullNameError::Cells() const {
  const TWorker* is = FWorker_PD;
  const TWorker* list = FWorker_List;
  TCells isPart = is ? TCells{Esc(is->PackNum), Esc(is->NumInPack), Esc(is->SN),
                              Esc(is->Surname), Esc(is->Name),      Esc(is->Patronymic)}
                     : TCells(6);
  TCells listPart =
      list ? TCells{Esc(list->SubNum), Esc(list->Surname), Esc(list->Name), Esc(list->Patronymic)} : TCells(4);
  return Concat({isPart, listPart});
}

TTeacherResult::TTeacherResult(TISSide is, double hours_IS, double hours_List)
    : fPerechTime(MinutesAsHoursText(hours_List)), fISTime(MinutesAsHoursText(hours_IS)) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, is.Period ? &is.Period->PDRKHoursNodeData : nullptr);
}

TCells TTeacherResult::Cells() const {
  return Concat({{BasesOf(FWorkPeriod_PD)}, IsWorkerHead(FWorker_PD), {Esc(fISTime), Esc(fPerechTime)}});
}

TSNError_List::TSNError_List(TListSide list) {
  FWorker_List = list.Worker;
  FWorkPeriod_List = list.Period;
  FUCPData = Ucp(nullptr, NodeOf(list.Worker));
}

TCells TSNError_List::Cells() const {
  const TWorkPeriod* p = FWorkPeriod_List;
  return Concat({ListWorkerHead(FWorker_List), {BeginOf(p), EndOf(p), BasesOf(p), CodeOf(p)}});
}

TBasisError::TBasisError(TISSide is, TListSide list) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FWorkPeriod_List = list.Period;
  FUCPData = Ucp(is.Worker, NodeOf(is.Period));
}

TCells TBasisError::Cells() const {
  const TWorkPeriod* is = FWorkPeriod_PD;
  const TWorkPeriod* list = FWorkPeriod_List;
  return Concat({IsWorkerHead(FWorker_PD),
                 {PeriodOf(is), BasesOf(is), CodeOf(is), TerrOf(is), AddDataOf(is)},
                 {list ? Esc(list->NumSub) : "", BasesOf(list), CodeOf(list), TerrOf(list), AddDataOf(list)}});
}

TPeriodError_IS::TPeriodError_IS(TISSide is) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, NodeOf(is.Period));
}

TCells TPeriodError_IS::Cells() const { return Concat({IsWorkerHead(FWorker_PD), PeriodDetails(FWorkPeriod_PD)}); }

TPeriodError_List::TPeriodError_List(TISSide is, TListSide list) {
  FWorker_PD = is.Worker;
  FWorker_List = list.Worker;
  FWorkPeriod_List = list.Period;
  FUCPData = Ucp(nullptr, NodeOf(list.Period));
}

TCells TPeriodError_List::Cells() const {
  return Concat({ListWorkerHead(FWorker_List), PeriodDetails(FWorkPeriod_List)});
}

TRateResult::TRateResult(TISSide is, TListSide list, TResultType resultType) : fResultType(resultType) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FWorkPeriod_List = list.Period;
  const TWorkPeriod* located = is.Period ? is.Period : list.Period;
  FUCPData = Ucp(is.Worker, located ? &located->RateNodeData : nullptr);
}

TCells TRateResult::Cells() const {
  const TWorker* w = FWorker_PD ? FWorker_PD : FWorker_List;
  const TWorkPeriod* is = FWorkPeriod_PD;
  return Concat({IsWorkerHead(w), {BasesOf(is), PeriodOf(is), RateOf(is), RateOf(FWorkPeriod_List)}});
}

TFactWorkTimeError::TFactWorkTimeError(TISSide is, TListSide list) {
  FWorker_PD = is.Worker;
  FWorkPeriod_List = list.Period;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, is.Period ? &is.Period->FactNodeData : nullptr);
}

TCells TFactWorkTimeError::Cells() const {
  const TWorkPeriod* is = FWorkPeriod_PD;
  return {SN(FWorker_PD), ShortName(FWorker_PD), BasesOf(is), CodeOf(is), WorkTimeOf(is), WorkTimeOf(FWorkPeriod_List)};
}

TFactWorkTimeResult_List_IS::TFactWorkTimeResult_List_IS(TISSide is, TListSide list, TResultType resultType)
    : fResultType(resultType) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FWorkPeriod_List = list.Period;
  const TWorkPeriod* located = is.Period ? is.Period : list.Period;
  FUCPData = Ucp(is.Worker, located ? &located->FactNodeData : nullptr);
}

TCells TFactWorkTimeResult_List_IS::Cells() const {
  const TWorkPeriod* list = FWorkPeriod_List;
  std::string workTime;
  if (fResultType == rtList)
    workTime = WorkTimeOf(list);
  else if (fResultType == rtPD)
    workTime = WorkTimeOf(FWorkPeriod_PD);
  return {SN(FWorker_PD), ShortName(FWorker_PD), BasesOf(list), CodeOf(list), PeriodOf(list), workTime};
}

TWorkDaysBasisError::TWorkDaysBasisError(TISSide is, TListSide list) {
  FWorker_List = list.Worker;
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FWorkPeriod_List = list.Period;
  FUCPData = Ucp(is.Worker, is.Period ? &is.Period->SeniorityNodeData : nullptr);
}

TCells TWorkDaysBasisError::Cells() const {
  const TWorkPeriod* list = FWorkPeriod_List;
  return Concat(
      {IsWorkerHead(FWorker_PD), {BasesOf(list), CodeOf(list), SeniorityOf(FWorkPeriod_PD), SeniorityOf(list)}});
}

}  // namespace zz
