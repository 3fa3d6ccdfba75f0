// Rows of the named-list chapter: persons, names, grounds, periods, rates and worked time on both sides.
#include <string>

#include "isdata/add_tariff_payment.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "results/record_cells.h"
#include "results/result_records.h"

namespace zz {

using namespace cells;

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
  TCells isPart = is ? TCells{Esc(is->PackNum), Esc(is->NumInPack), Esc(is->SN),
                              Esc(is->Surname), Esc(is->Name),      Esc(is->Patronymic)}
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
  if (fResultType == rtList)
    workTime = WorkTimeOf(list);
  else if (fResultType == rtPD)
    workTime = WorkTimeOf(FWorkPeriod_PD);
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

}  // namespace zz
