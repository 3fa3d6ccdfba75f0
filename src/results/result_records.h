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
  explicit TPositionError(TISSide is);
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
  TAddPdDataError(TISSide is, std::string AddPdDataEarly, std::string AddPdDataLate, std::string AddPdData);
  std::vector<std::string> Cells() const override;

  std::string fAddPdDataEarly;
  std::string fAddPdDataLate;
  std::string fAddPdData;
};

class TSNError_IS : public TResultRecord {
 public:
  explicit TSNError_IS(TISSide is);
  std::vector<std::string> Cells() const override;
};

class TFullNameError : public TResultRecord {
 public:
  // Workers only; the periods of the sides are not kept.
  TFullNameError(TISSide is, TListSide list);
  std::vector<std::string> Cells() const override;
};

// 27-ПД hours: both amounts are minutes, printed as "<h> часов <m> минут".
class TTeacherResult : public TResultRecord {
 public:
  TTeacherResult(TISSide is, double hours_IS, double hours_List);
  std::vector<std::string> Cells() const override;

  std::string fPerechTime;
  std::string fISTime;
};

// Minutes as "<hours> часов <minutes> минут", rounded half to even.
std::string MinutesAsHoursText(double minutes);

class TSNError_List : public TResultRecord {
 public:
  explicit TSNError_List(TListSide list);
  std::vector<std::string> Cells() const override;
};

class TBasisError : public TResultRecord {
 public:
  // The Perechen side's worker is not kept.
  TBasisError(TISSide is, TListSide list);
  std::vector<std::string> Cells() const override;
};

class TPeriodError_IS : public TResultRecord {
 public:
  explicit TPeriodError_IS(TISSide is);
  std::vector<std::string> Cells() const override;
};

class TPeriodError_List : public TResultRecord {
 public:
  // The IS worker is kept, though the row prints only the Perechen side.
  TPeriodError_List(TISSide is, TListSide list);
  std::vector<std::string> Cells() const override;
};

class TRateResult : public TResultRecord {
 public:
  // The Perechen side's worker is not kept.
  TRateResult(TISSide is, TListSide list, TResultType resultType);
  std::vector<std::string> Cells() const override;

  TResultType fResultType;
};

class TFactWorkTimeError : public TResultRecord {
 public:
  // The Perechen side's worker is not kept.
  TFactWorkTimeError(TISSide is, TListSide list);
  std::vector<std::string> Cells() const override;
};

class TFactWorkTimeResult_List_IS : public TResultRecord {
 public:
  // The Perechen side's worker is not kept.
  TFactWorkTimeResult_List_IS(TISSide is, TListSide list, TResultType resultType);
  std::vector<std::string> Cells() const override;

  TResultType fResultType;
};

class TWorkDaysBasisError : public TResultRecord {
 public:
  TWorkDaysBasisError(TISSide is, TListSide list);
  std::vector<std::string> Cells() const override;
};

class TUTError : public TResultRecord {
 public:
  // The IS side gives the worker only. Without a Perechen worker the "(все периоды)" mark goes to
  // the Perechen class instead of the IS classes.
  TUTError(TISSide is, TListSide list, std::string pdUT, bool SameAddTariff, std::string listUT);
  std::vector<std::string> Cells() const override;

  std::string fMess;
  std::string fPDUT;
  std::string fListUT;
};

class TAddTariffError : public TResultRecord {
 public:
  // Only the period of the side errType names is kept (rtList: the Perechen's, otherwise the IS
  // one); the row tells the sides apart by which period it holds.
  TAddTariffError(TISSide is, TListSide list, TResultType errType);
  std::vector<std::string> Cells() const override;

  TResultType fErrType;
};

class TAddTariffWarning : public TResultRecord {
 public:
  // The period is the IS worker's own benefit period (or none); the row keeps it in
  // FWorkPeriod_List and prints it from there.
  TAddTariffWarning(TISSide is, TResultType resultType, TAddTariffPayment* AddTariffPayment);
  std::vector<std::string> Cells() const override;

  TResultType fResultType;
};

class TUTWithoutAddTariffError : public TResultRecord {
 public:
  explicit TUTWithoutAddTariffError(TListSide list);
  std::vector<std::string> Cells() const override;
};

class TBeerusError : public TResultRecord {
 public:
  TBeerusError(TListSide list, std::string Culprit);
  std::vector<std::string> Cells() const override;

  std::string FCulprit;
};

// An IS period with a territorial condition, collected by the pack reader; prints nothing itself.
class TTerrCodeData : public TResultRecord {
 public:
  explicit TTerrCodeData(TISSide is);
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
  // The side gives the worker and the first period; only the worker is kept.
  TCrossingPDPeriodError(TISSide is, const TWorkPeriod* SecondPdWorkperiod);
  std::vector<std::string> Cells() const override;

  std::string FFirstPackNum, FFirstNumInPack, FFirstWorkPeriodStr, FFirstBasesAndCode, FFirstAddPdData;
  std::string FSecondPackNum, FSecondNumInPack, FSecondWorkPeriodStr, FSecondBasesAndCode, FSecondAddPdData;
};

class TPartTimeResult : public TResultRecordWithPeriod {
 public:
  TPartTimeResult(TISSide is, std::string lgotBasis, std::string retirementBasis);
  std::vector<std::string> Cells() const override;

  std::string FLgotBasis;
  std::string fRetirementBasis;
};

class TPDRKWarning : public TResultRecordWithPeriod {
 public:
  TPDRKWarning(TISSide is, std::string retirementBasis);
  std::vector<std::string> Cells() const override;

  std::string fRetirementBasis;
};

class TFlightWarning : public TResultRecordWithPeriod {
 public:
  TFlightWarning(TISSide is, std::string retirementBasis);
  std::vector<std::string> Cells() const override;

  std::string fRetirementBasis;
};

class TJumpWarning : public TResultRecordWithPeriod {
 public:
  // The row prints the period's bases, not the retirement basis it is given.
  TJumpWarning(TISSide is, const std::string& retirementBasis);
  std::vector<std::string> Cells() const override;
};

// Additional IS data of a worker's periods. The text fields hold HTML (escaped details, "<br>"
// between merged values).
class TAddPdDataWarning : public TResultRecordWithPeriod {
 public:
  // Null when the period carries none of the reported kinds of data.
  static std::unique_ptr<TAddPdDataWarning> TryCreateAddPdDataWarning(TISSide is, bool Season, bool UIK,
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
  explicit TAddPdDataWarning(TISSide is);
};

}  // namespace zz
