#pragma once
// The configuration and the part of it one run is asked to do: directories, registration number,
// reporting period, options, server data, the two reference lists and the program's version data.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/dates.h"
#include "base/singleton.h"

namespace zz {

enum TMode { mWindow, mBPI };

// Version strings of the program (filled from the build's version data).
struct TExeData {
  std::string CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright, LegalTrademarks,
      OriginalFileName, ProductName, ProductVersion, Comments, PrivateBuild, SpecialBuild;
};

// The territorial codes an entry of the rights list grants, by name:
// TTerritoryRights{.MKS = true, .Country = true}.
struct TTerritoryRights {
  bool MKS = false, RKS = false, CZ1 = false, CZ3 = false, CZ4 = false, CZ5 = false, CZ6 = false, Country = false;
  static TTerritoryRights All() { return {true, true, true, true, true, true, true, true}; }
};

// One entry of the territory-code rights list.
class TTerritoryCode {
 public:
  TTerritoryCode(std::string Num, const TTerritoryRights& rights, std::string DateBegin = {}, std::string DateEnd = {});
  // The codes in the order of the rights file's flags and of the settings grid's columns.
  static constexpr int kCodeCount = 8;
  static constexpr const char* kCodes[kCodeCount] = {"МКС", "РКС", "Ч31", "Ч33", "Ч34", "Ч35", "Ч36", "СЕЛО"};
  bool& Flag(int index);
  bool Flag(int index) const { return const_cast<TTerritoryCode*>(this)->Flag(index); }

  bool FMKS, FRKS, FCZ1, FCZ3, FCZ4, FCZ5, FCZ6, FCountry;
  std::string FNum;
  std::string FDateBegin;
  std::string FDateEnd;

  // One line of the rights file; nullopt for an empty line.
  static std::optional<TTerritoryCode> FromLine(const std::string& line);
  std::string ToLine() const;
};

// One re-registration: the organisation's number changed from FSRegNum to FERegNum.
class TCrossRec {
 public:
  TCrossRec(std::string SRegNum, std::string ERegNum, int CrossY, int CrossP)
      : FSRegNum(std::move(SRegNum)), FERegNum(std::move(ERegNum)), FCrossYear(CrossY), FCrossPeriod(CrossP) {}
  std::string FSRegNum;
  std::string FERegNum;
  int FCrossYear;
  int FCrossPeriod;
};

// What one run is asked to do: directories, registration number, reporting period, options, the
// list server and the two reference lists. The configuration is one (TSettings); a run takes a copy
// of it when it starts and hands it down, so that nothing below the program's top reads the
// configuration or writes into it.
class TRunParams {
 public:
  TRunParams();

  bool UseUL() const { return FUseUL; }
  void SetUseUL(bool value) { FUseUL = value; }
  std::string FullVersion() const { return FExeData.FileVersion; }
  std::string Version() const { return FExeData.FileVersion.substr(0, 5); }
  std::string AppDate() const { return FExeData.Comments; }
  const TExeData& ExeData() const { return FExeData; }

  // Query of the list server; login, password and number are percent-encoded.
  std::string GetULQueryURL(const std::string& RegNum, int Year, int Period) const;

  // Territory-code rights list. Loading throws TListFileError for a date that is not a date.
  void TerrCodeRightListLoadFromFile(const std::string& FileName);
  void TerrCodeRightListSaveToFile(const std::string& FileName) const;
  std::vector<std::string> TerrCodeRightListGetList() const;
  // Throws std::runtime_error when a date of a consulted entry is not a valid date (dated calls).
  bool hasNordRight(const std::string& parTerrCode, TDate workPeriodBeginDate, TDate workPeriodEndDate, int year,
                    int period) const;

  // "<report dir>/ZAZORU-<year>-<quarter>[A]-REGNO-<number>", without the extension, for the
  // protocol of a run over `year` and `period`.
  std::string ProtocolFileName(int year, int period) const;
  // The same for the period the run was asked for.
  std::string getProtokolFileName() const { return ProtocolFileName(FYear, FPeriod); }

  // Re-registration list. Loading throws TListFileError for a year or quarter that is not an integer.
  void CrossListLoadFromFile(const std::string& FileName);
  void CrossListSaveToFile(const std::string& FileName) const;
  void CrossListAddElement(const std::string& SRegNum, const std::string& ERegNum, int Year, int Period);
  std::string GetActualRegNum(int year, int period) const;

  std::string FDirList;
  std::string FDirPD;
  std::string FDirReport;
  std::string FULMachine;
  std::string FULPort;
  std::string FULAppName;
  std::string FULLogin;
  std::string FULPass;
  bool FGetLastListFromUL = false;
  TMode FMode = mWindow;
  std::string FRegNum;
  // The reporting period asked for; 0: any.
  int FPeriod = 0;
  int FYear = 0;
  // How long a batch run waits for a report directory that another run holds.
  int FLockWaitMinutes = 10;
  bool FCheckPerFormat = false;
  // Writes findings.json beside the protocol, for calling programs.
  bool FFindings = false;
  bool fPensOption = false;
  bool FAccumulateOption = false;
  std::vector<TTerritoryCode> FTerrCodeRightList;
  bool FCompareWithList = false;
  bool fCompareTerrCodes = false;
  bool FCompareTerrCodesExtMode = false;
  bool FCompareWithListStaff = false;
  bool FCompareWithListNameList = false;
  std::vector<TCrossRec> FCrossList;

  // Windowed runs only (empty in batch mode): the texts of the main window's year and period boxes
  // when a value is chosen there ("" for "не имеет значения"), for the protocol head.
  std::string FYearChoice;
  std::string FPeriodChoice;

 private:
  bool FUseUL = false;
  TExeData FExeData;
};

// The configuration: what a run is asked to do, and what only the windows, the configuration file
// and the intake use.
class TSettings : public TSingleton, public TRunParams {
 public:
  static TSettings& GetInstance() { return TSingleton::GetInstance<TSettings>(); }

  // A configuration apart from the process's one: for a check made before any run starts, which
  // must leave nothing behind that the run would find.
  static std::unique_ptr<TSettings> Apart() { return std::unique_ptr<TSettings>(new TSettings()); }

  // The run's part of the configuration, as a value.
  TRunParams RunParams() const { return *this; }

  int FNumSettingsWin = 0;
  bool FSaveULPass = false;
  bool FDebug = false;
  // How long one employer's run of an intake may take before it is ended, in seconds.
  int FIntakeRunLimitSeconds = 4 * 60 * 60;
  // An intake stops starting runs after this many in a row failed on the list server (21).
  int FIntakeServerFailures = 3;
  // How long the intake's check of the list server before its first run may take.
  int FIntakeServerTimeoutSeconds = 15;
  std::string FCrossUserDB, FCrossPasswordDB, FCrossServerName, FCrossServerBase, FCrossServerPort;
  std::optional<TDate> FCrossDateLastUpdate;
  bool FCrossAutoUpdate = false;
  bool FCrossSavePass = false;
  bool FHasXMLClassifiers = false;

 protected:
  friend class TSingleton;
  TSettings() = default;
};

}  // namespace zz
