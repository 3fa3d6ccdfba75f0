// Reading and writing "ZazoruConfig.ini" and the two reference lists beside it.
#include "app/config_file.h"

#include <algorithm>
#include <cstdlib>

#include "base/ini_file.h"
#include "base/utils.h"

namespace zz {

namespace fs = std::filesystem;

namespace {
constexpr const char* kDirectories = "Directories";
constexpr const char* kLivertoServer = "LivertoServer";
constexpr const char* kVariables = "Variables";
constexpr const char* kOptions = "Options";
constexpr const char* kCrossListServer = "CrossListServer";
}  // namespace

std::string DefaultDirectory() {
  const char* home = std::getenv("HOME");
  return home && *home ? std::string(home) : std::string("/");
}

void CopyDefaultFiles(const fs::path& dataDir) {
  for (const char* name : {kConfigFileName, kRightListFileName, kCrossListFileName}) {
    std::error_code ec;
    if (fs::exists(dataDir / name, ec)) continue;
    fs::path shipped = FindShippedFile(name);
    if (!fs::is_regular_file(shipped, ec)) continue;
    // The data directory does not exist on a first start; the copy needs it.
    fs::create_directories(dataDir, ec);
    fs::copy_file(shipped, dataDir / name, fs::copy_options::skip_existing, ec);
  }
}

std::string ReadConfiguration(TSettings& s, const fs::path& dataDir) {
  CopyDefaultFiles(dataDir);
  TIniFile ini(dataDir / kConfigFileName);
  const std::string home = DefaultDirectory();

  s.FDirList = ini.ReadString(kDirectories, "Perech", home);
  if (s.FDirPD.empty()) s.FDirPD = ini.ReadString(kDirectories, "IS", home);
  if (s.FDirReport.empty()) s.FDirReport = ini.ReadString(kDirectories, "Report", home);

  s.FULMachine = ini.ReadString(kLivertoServer, "Name", "");
  s.FULPort = ini.ReadString(kLivertoServer, "Port", "");
  s.FULAppName = ini.ReadString(kLivertoServer, "App", "list4");
  s.FSaveULPass = ini.ReadBool(kLivertoServer, "SavePassw", false);
  s.FGetLastListFromUL = ini.ReadBool(kLivertoServer, "GetLastList", false);
  s.FULLogin = ini.ReadString(kLivertoServer, "Login", "");
  s.FULPass = ini.ReadString(kLivertoServer, "Password", "");
  s.SetUseUL(ini.ReadBool(kLivertoServer, "Connect", false));

  s.FYear = ini.ReadInteger(kVariables, "Year", CurrentYear());
  s.FPeriod = ini.ReadInteger(kVariables, "Period", 4);
  s.fPensOption = ini.ReadBool(kVariables, "PENS", false);

  s.fCompareTerrCodes = ini.ReadBool(kOptions, "TerritoryControl", false);
  s.FCompareTerrCodesExtMode = ini.ReadBool(kOptions, "TerritoryControlExtendedMode", false);
  std::error_code ec;
  if (fs::exists(dataDir / kRightListFileName, ec))
    s.TerrCodeRightListLoadFromFile((dataDir / kRightListFileName).string());
  if (fs::exists(dataDir / kCrossListFileName, ec)) s.CrossListLoadFromFile((dataDir / kCrossListFileName).string());
  s.FCompareWithListStaff = ini.ReadBool(kOptions, "Staff", true);
  s.FCompareWithListNameList = ini.ReadBool(kOptions, "NameList", true);
  s.FAccumulateOption = ini.ReadBool(kOptions, "Accumulate", false);
  s.FCompareWithList = ini.ReadBool(kOptions, "WithList", true);
  s.FDebug = ini.ReadBool(kOptions, "Debug", false);
  // Read only: a key the user adds by hand, kept as it is when the file is written back.
  s.FLockWaitMinutes = std::max(0, ini.ReadInteger(kOptions, "LockWait", 10));
  s.FIntakeRunLimitSeconds = std::max(1, ini.ReadInteger(kOptions, "IntakeRunLimit", 4 * 60 * 60));
  s.FIntakeServerFailures = std::max(1, ini.ReadInteger(kOptions, "IntakeServerFailures", 3));
  s.FIntakeServerTimeoutSeconds = std::max(1, ini.ReadInteger(kOptions, "IntakeServerTimeout", 15));
  s.FCheckPerFormat = ini.ReadBool(kOptions, "CheckPerFormat", true);
  // The command line may have asked for the findings already.
  s.FFindings = s.FFindings || ini.ReadBool(kOptions, "Findings", false);

  s.FCrossUserDB = ini.ReadString(kCrossListServer, "Login", "");
  s.FCrossPasswordDB = ini.ReadString(kCrossListServer, "Password", "");
  s.FCrossServerName = ini.ReadString(kCrossListServer, "Name", "");
  s.FCrossServerPort = ini.ReadString(kCrossListServer, "Port", "");
  s.FCrossServerBase = ini.ReadString(kCrossListServer, "Base", "");
  s.FCrossDateLastUpdate = ini.ReadDate(kCrossListServer, "DateLastUpdate", std::nullopt);
  s.FCrossAutoUpdate = ini.ReadBool(kCrossListServer, "AutoUpdate", false);
  s.FCrossSavePass = ini.ReadBool(kCrossListServer, "SavePassw", false);
  return ini.ReadError();
}

bool WriteConfiguration(const TSettings& s, const fs::path& dataDir) {
  try {
    std::error_code ec;
    fs::create_directories(dataDir, ec);
    TIniFile ini(dataDir / kConfigFileName);
    if (!ini.ReadError().empty()) return false;
    ini.WriteString(kDirectories, "Perech", s.FDirList);
    ini.WriteString(kDirectories, "IS", s.FDirPD);
    ini.WriteString(kDirectories, "Report", s.FDirReport);

    ini.WriteString(kLivertoServer, "Name", s.FULMachine);
    ini.WriteString(kLivertoServer, "Port", s.FULPort);
    ini.WriteString(kLivertoServer, "App", s.FULAppName);
    ini.WriteBool(kLivertoServer, "SavePassw", s.FSaveULPass);
    ini.WriteBool(kLivertoServer, "GetLastList", s.FGetLastListFromUL);
    ini.WriteString(kLivertoServer, "Login", s.FSaveULPass ? s.FULLogin : "");
    ini.WriteString(kLivertoServer, "Password", s.FSaveULPass ? s.FULPass : "");
    ini.WriteBool(kLivertoServer, "Connect", s.UseUL());

    ini.WriteInteger(kVariables, "Year", s.FYear);
    ini.WriteInteger(kVariables, "Period", s.FPeriod);
    ini.WriteBool(kVariables, "PENS", s.fPensOption);

    s.TerrCodeRightListSaveToFile((dataDir / kRightListFileName).string());
    s.CrossListSaveToFile((dataDir / kCrossListFileName).string());

    ini.WriteBool(kOptions, "TerritoryControl", s.fCompareTerrCodes);
    ini.WriteBool(kOptions, "TerritoryControlExtendedMode", s.FCompareTerrCodesExtMode);
    ini.WriteBool(kOptions, "Staff", s.FCompareWithListStaff);
    ini.WriteBool(kOptions, "NameList", s.FCompareWithListNameList);
    ini.WriteBool(kOptions, "Accumulate", s.FAccumulateOption);
    ini.WriteBool(kOptions, "WithList", s.FCompareWithList);
    ini.WriteBool(kOptions, "Debug", s.FDebug);
    ini.WriteBool(kOptions, "CheckPerFormat", s.FCheckPerFormat);

    ini.WriteString(kCrossListServer, "Login", s.FCrossSavePass ? s.FCrossUserDB : "");
    ini.WriteString(kCrossListServer, "Password", s.FCrossSavePass ? s.FCrossPasswordDB : "");
    ini.WriteString(kCrossListServer, "Name", s.FCrossServerName);
    ini.WriteString(kCrossListServer, "Port", s.FCrossServerPort);
    ini.WriteString(kCrossListServer, "Base", s.FCrossServerBase);
    ini.WriteDate(kCrossListServer, "DateLastUpdate", s.FCrossDateLastUpdate);
    ini.WriteBool(kCrossListServer, "AutoUpdate", s.FCrossAutoUpdate);
    ini.WriteBool(kCrossListServer, "SavePassw", s.FCrossSavePass);
    ini.UpdateFile();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace zz
