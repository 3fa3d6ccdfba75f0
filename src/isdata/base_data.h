#pragma once
// Recognition of IS files: which employer, document kind, format generation, reporting period and
// corrected period a node tree holds.
#include <optional>
#include <string>
#include <string_view>

namespace zz {

class TMyNode;
class TWorkPeriod;

enum TPDType {
  pdtSZV61,
  pdtSZV62,
  pdtSPV1,
  pdtSZV64,
  pdtRSV1,
  pdtSPV2,
  pdtSZVStag,
  pdtSZVCorr,
  pdtSZVBase,
  pdtEFS1,
};

// "СЗВ-6-1" ... "ЕФС-1": the name the log and the form look-ups use.
std::string PDTypeName(TPDType type);
// One of the six kinds of the files before 2017.
bool IsPre2017Kind(TPDType type);

// Format generation, by the namespaces the root "ЭДФЗЖ" declares (umfNone: any other root).
enum TUtModeFormat { umfNone, umfOld, umfNew, umfNewest, umfRedHot };

// Namespace prefixes of one generation ("УТ2:", "ИС4:" ...); empty for umfNone.
struct TIsPrefixes {
  std::string UT, IS, VS, AF;
};
TIsPrefixes PrefixesOf(TUtModeFormat mode);

enum TUtDataType { udtBaseBase, udtCorrCorr, udtStagBase, udtStagAdd, udtStagPens };
std::string UtDataTypeName(TUtDataType type);

class TBaseData {
 public:
  TBaseData() = default;
  // The base data of one year-part of an ЕФС-1 pack: years from the period, the rest from BaseData.
  TBaseData(const TBaseData& BaseData, const TWorkPeriod& Period);

  // Recognises the tree under Node as an IS file of SearchRegNum; none when it is not one (or
  // not of SearchYear/SearchPeriod, 0 meaning any). Reasons go to the log only; never throws.
  static std::optional<TBaseData> TryGetBaseData(const std::string& SearchRegNum, const TMyNode* Node, int SearchYear,
                                                 int SearchPeriod);

  int Year() const { return FYear; }
  int Period() const { return FPeriod; }
  int CorrYear() const { return FCorrYear; }
  int CorrPeriod() const { return FCorrPeriod; }
  TPDType PDType() const { return FPDType; }
  const std::string& ContractType() const { return FContractType; }
  const std::string& CategoryCode() const { return FCategoryCode; }
  bool Correction() const { return FCorrection; }
  TUtModeFormat UtMode() const { return FUtMode; }
  TUtDataType UtDataType() const { return FUtDataType; }

  bool IsEFS1() const { return FPDType == pdtEFS1; }
  bool IsPre2017() const { return IsPre2017Kind(FPDType); }

 private:
  friend class TBaseDataReader;

  int FYear = 0;
  int FPeriod = 0;
  int FCorrYear = 0;
  int FCorrPeriod = 0;
  TPDType FPDType = pdtSZVStag;
  std::string FContractType;
  std::string FCategoryCode;
  bool FCorrection = false;
  TUtModeFormat FUtMode = umfNone;
  TUtDataType FUtDataType = udtBaseBase;
};

}  // namespace zz
