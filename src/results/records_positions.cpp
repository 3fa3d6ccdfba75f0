// Rows of the staff-position chapters: positions missing from the Perechen, working days, additional data.
#include <string>

#include "isdata/add_tariff_payment.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "results/record_cells.h"
#include "results/result_records.h"

namespace zz {

using namespace cells;

TPositionError::TPositionError(TISSide is) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, NodeOf(is.Period));
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

TAddPdDataError::TAddPdDataError(TISSide is, std::string AddPdDataEarly, std::string AddPdDataLate,
                                 std::string AddPdData)
    : fAddPdDataEarly(std::move(AddPdDataEarly)),
      fAddPdDataLate(std::move(AddPdDataLate)),
      fAddPdData(std::move(AddPdData)) {
  FWorker_PD = is.Worker;
  FWorkPeriod_PD = is.Period;
  FUCPData = Ucp(is.Worker, NodeOf(is.Period));
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

}  // namespace zz
