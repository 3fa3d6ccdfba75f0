#pragma once
// The concrete rows of the protocol's tables. Constructors keep references to model objects (which
// the set's arena owns) and make the row's source location.
#include <memory>
#include <string>
#include <vector>

#include "results/result.h"

namespace zz {

class TAddPdData;

class TPositionError : public TResultRecord {
 public:
  TPositionError(TWorker* worker_IS, TWorkPeriod* workPeriod_IS);
  std::vector<std::string> Cells() const override;
};

class TWorkingDaysError : public TResultRecord {
 public:
  TWorkingDaysError(TPosition* position, double fullWorkingDays_IS, double lgotWorkingDays_IS, int ISQuantity);
  std::vector<std::string> Cells() const override;

  double fFullWorkingDays_IS = 0;
  int fISQuantity = 0;
};

class TWorkingDaysResultRecord : public TWorkingDaysError {
 public:
  TWorkingDaysResultRecord(TPosition* position, double fullWorkingDays_IS, double lgotWorkingDays_IS, int ISQuantity);
  std::vector<std::string> Cells() const override;

  double fExDaysQuantity = 0;
};

class TAddPdDataError : public TResultRecord {
 public:
  TAddPdDataError(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, std::string AddPdDataEarly, std::string AddPdDataLate,
                  std::string AddPdData);
  std::vector<std::string> Cells() const override;

  std::string fAddPdDataEarly;
  std::string fAddPdDataLate;
  std::string fAddPdData;
};

class TSNError_IS : public TResultRecord {
 public:
  TSNError_IS(TWorker* worker_IS, TWorkPeriod* workPeriod_IS);
  std::vector<std::string> Cells() const override;
};

class TFullNameError : public TResultRecord {
 public:
  TFullNameError(TWorker* worker_IS, TWorker* worker_list);
  std::vector<std::string> Cells() const override;
};

// 27-ПД hours: both amounts are minutes, printed as "<h> часов <m> минут".
class TTeacherResult : public TResultRecord {
 public:
  TTeacherResult(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, double hours_IS, double hours_List);
  std::vector<std::string> Cells() const override;

  std::string fPerechTime;
  std::string fISTime;
};

// Minutes as "<hours> часов <minutes> минут", rounded half to even.
std::string MinutesAsHoursText(double minutes);

class TSNError_List : public TResultRecord {
 public:
  TSNError_List(TWorker* worker_list, TWorkPeriod* workperiod_List);
  std::vector<std::string> Cells() const override;
};

class TBasisError : public TResultRecord {
 public:
  TBasisError(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, TWorkPeriod* workperiod_List);
  std::vector<std::string> Cells() const override;
};

class TPeriodError_IS : public TResultRecord {
 public:
  TPeriodError_IS(TWorker* worker_IS, TWorkPeriod* workPeriod_IS);
  std::vector<std::string> Cells() const override;
};

class TPeriodError_List : public TResultRecord {
 public:
  TPeriodError_List(TWorker* worker_IS, TWorker* worker_list, TWorkPeriod* workperiod_List);
  std::vector<std::string> Cells() const override;
};

class TRateResult : public TResultRecord {
 public:
  TRateResult(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, TWorkPeriod* workperiod_List, TResultType resultType);
  std::vector<std::string> Cells() const override;

  TResultType fResultType;
};

class TFactWorkTimeError : public TResultRecord {
 public:
  TFactWorkTimeError(TWorker* worker_IS, TWorkPeriod* workperiod_List, TWorkPeriod* workPeriod_IS);
  std::vector<std::string> Cells() const override;
};

class TFactWorkTimeResult_List_IS : public TResultRecord {
 public:
  TFactWorkTimeResult_List_IS(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, TWorkPeriod* workperiod_List,
                              TResultType resultType);
  std::vector<std::string> Cells() const override;

  TResultType fResultType;
};

class TWorkDaysBasisError : public TResultRecord {
 public:
  TWorkDaysBasisError(TWorker* worker_list, TWorker* worker_IS, TWorkPeriod* workPeriod_IS,
                      TWorkPeriod* workperiod_List);
  std::vector<std::string> Cells() const override;
};

class TUTError : public TResultRecord {
 public:
  TUTError(TWorker* worker_list, TWorker* worker_IS, TWorkPeriod* workperiod_List, std::string pdUT, bool SameAddTariff,
           std::string listUT);
  std::vector<std::string> Cells() const override;

  std::string fMess;
  std::string fPDUT;
  std::string fListUT;
};

class TAddTariffError : public TResultRecord {
 public:
  TAddTariffError(TWorker* worker_IS, TWorker* worker_list, TWorkPeriod* workperiod, TResultType errType);
  std::vector<std::string> Cells() const override;

  TResultType fErrType;
};

class TAddTariffWarning : public TResultRecord {
 public:
  TAddTariffWarning(TWorker* worker_IS, TResultType resultType, TWorkPeriod* workperiod_List,
                    TAddTariffPayment* AddTariffPayment);
  std::vector<std::string> Cells() const override;

  TResultType fResultType;
};

class TUTWithoutAddTariffError : public TResultRecord {
 public:
  TUTWithoutAddTariffError(TWorker* worker_List, TWorkPeriod* workPeriod_List);
  std::vector<std::string> Cells() const override;
};

class TBeerusError : public TResultRecord {
 public:
  TBeerusError(TWorker* Worker, TWorkPeriod* WorkPeriod, std::string Culprit);
  std::vector<std::string> Cells() const override;

  std::string FCulprit;
};

// An IS period with a territorial condition, collected by the pack reader; prints nothing itself.
class TTerrCodeData : public TResultRecord {
 public:
  TTerrCodeData(TWorkPeriod* workPeriod_IS, TWorker* worker_IS);
  void PrintLine(TStreamWriter&) const override {}
  std::vector<std::string> Cells() const override { return {}; }

  TNodeData FUcpNodeData;
};

class TTerrCodeError : public TResultRecord {
 public:
  explicit TTerrCodeError(const TTerrCodeData& TerrCodeData);
  std::vector<std::string> Cells() const override;
};

// Two overlapping IS periods; their texts are taken when the record is made.
class TCrossingPDPeriodError : public TResultRecord {
 public:
  TCrossingPDPeriodError(const TWorkPeriod* PdWorkperiod, const TWorkPeriod* SecondPdWorkperiod, TWorker* Worker_PD);
  std::vector<std::string> Cells() const override;

  std::string FFirstPackNum, FFirstNumInPack, FFirstWorkPeriodStr, FFirstBasesAndCode, FFirstAddPdData;
  std::string FSecondPackNum, FSecondNumInPack, FSecondWorkPeriodStr, FSecondBasesAndCode, FSecondAddPdData;
};

class TPartTimeResult : public TResultRecordWithPeriod {
 public:
  TPartTimeResult(std::string lgotBasis, std::string retirementBasis, TWorker* worker_IS, TWorkPeriod* workPeriod_IS);
  std::vector<std::string> Cells() const override;

  std::string FLgotBasis;
  std::string fRetirementBasis;
};

class TPDRKWarning : public TResultRecordWithPeriod {
 public:
  TPDRKWarning(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, std::string retirementBasis);
  std::vector<std::string> Cells() const override;

  std::string fRetirementBasis;
};

class TFlightWarning : public TResultRecordWithPeriod {
 public:
  TFlightWarning(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, std::string retirementBasis);
  std::vector<std::string> Cells() const override;

  std::string fRetirementBasis;
};

class TJumpWarning : public TResultRecordWithPeriod {
 public:
  TJumpWarning(TWorker* worker_IS, TWorkPeriod* workPeriod_IS, const std::string& retirementBasis);
  std::vector<std::string> Cells() const override;
};

// Additional IS data of a worker's periods. The text fields hold HTML (escaped details, "<br>"
// between merged values).
class TAddPdDataWarning : public TResultRecordWithPeriod {
 public:
  // Null when the period carries none of the reported kinds of data.
  static std::unique_ptr<TAddPdDataWarning> TryCreateAddPdDataWarning(TWorkPeriod* Period, TWorker* Worker_IS,
                                                                      bool Season, bool UIK,
                                                                      const std::string& OTSPeriod,
                                                                      const TAddPdData* AddPdData);
  std::vector<std::string> Cells() const override;

  // Appends the next record's values to this one's, each after "<br>".
  void MergeWithAnotherWarning(const TAddPdDataWarning& other);
  // Appends a note of a Perechen period: "<period>: "<note>"<br>".
  void AddListComment(const std::string& periodText, const std::string& note);

  std::string FSeason, FTempIncapacity, FUIK, FOTSPeriod, FListComments, FChildren, FAdminLeave, FParentalLeave, FLeave,
      FLongLeave, FAddPdDataRSV;

 private:
  TAddPdDataWarning(TWorkPeriod* period, TWorker* worker);
};

}  // namespace zz
