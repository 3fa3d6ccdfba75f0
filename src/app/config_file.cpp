// Reading and writing "ZazoruConfig.ini" and the two reference lists beside it.
#include "app/config_file.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

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

namespace {

// One line per key of the configuration file: how it is read and how it is written back. A line
// without Write is read only, and says why. The lines keep the file's order, in which a new file is
// laid out.
struct TConfigKey {
  const char* Section;
  const char* Key;
  std::function<void(TSettings&, const TIniFile&, const std::string& home)> Read;
  std::function<void(const TSettings&, TIniFile&)> Write;
};

template <class T>
using TField = T TSettings::*;

TConfigKey Text(const char* section, const char* key, TField<std::string> field, std::string def) {
  return {section, key,
          [=](TSettings& s, const TIniFile& ini, const std::string&) { s.*field = ini.ReadString(section, key, def); },
          [=](const TSettings& s, TIniFile& ini) { ini.WriteString(section, key, s.*field); }};
}

TConfigKey Flag(const char* section, const char* key, TField<bool> field, bool def) {
  return {section, key,
          [=](TSettings& s, const TIniFile& ini, const std::string&) { s.*field = ini.ReadBool(section, key, def); },
          [=](const TSettings& s, TIniFile& ini) { ini.WriteBool(section, key, s.*field); }};
}

// A number that is only read: kept in the file as the user wrote it, never offered by the windows.
TConfigKey ReadOnlyNumber(const char* section, const char* key, TField<int> field, int def, int least) {
  return {section, key,
          [=](TSettings& s, const TIniFile& ini, const std::string&) {
            s.*field = std::max(least, ini.ReadInteger(section, key, def));
          },
          nullptr};
}

// Written only while the user lets the password be saved.
TConfigKey Secret(const char* section, const char* key, TField<std::string> field, TField<bool> save) {
  return {section, key,
          [=](TSettings& s, const TIniFile& ini, const std::string&) { s.*field = ini.ReadString(section, key, ""); },
          [=](const TSettings& s, TIniFile& ini) { ini.WriteString(section, key, s.*save ? s.*field : ""); }};
}

// A directory the command line may have given already.
TConfigKey Directory(const char* key, TField<std::string> field, bool commandLineFirst) {
  return {kDirectories, key,
          [=](TSettings& s, const TIniFile& ini, const std::string& home) {
            if (!commandLineFirst || (s.*field).empty()) s.*field = ini.ReadString(kDirectories, key, home);
          },
          [=](const TSettings& s, TIniFile& ini) { ini.WriteString(kDirectories, key, s.*field); }};
}

const std::vector<TConfigKey>& ConfigKeys() {
  static const std::vector<TConfigKey> keys = {
      Directory("Perech", &TSettings::FDirList, false),
      Directory("IS", &TSettings::FDirPD, true),
      Directory("Report", &TSettings::FDirReport, true),

      Text(kLivertoServer, "Name", &TSettings::FULMachine, ""),
      Text(kLivertoServer, "Port", &TSettings::FULPort, ""),
      Text(kLivertoServer, "App", &TSettings::FULAppName, "list4"),
      Flag(kLivertoServer, "SavePassw", &TSettings::FSaveULPass, false),
      Flag(kLivertoServer, "GetLastList", &TSettings::FGetLastListFromUL, false),
      Secret(kLivertoServer, "Login", &TSettings::FULLogin, &TSettings::FSaveULPass),
      Secret(kLivertoServer, "Password", &TSettings::FULPass, &TSettings::FSaveULPass),
      {kLivertoServer, "Connect",
       [](TSettings& s, const TIniFile& ini, const std::string&) {
         s.SetUseUL(ini.ReadBool(kLivertoServer, "Connect", false));
       },
       [](const TSettings& s, TIniFile& ini) { ini.WriteBool(kLivertoServer, "Connect", s.UseUL()); }},

      {kVariables, "Year",
       [](TSettings& s, const TIniFile& ini, const std::string&) {
         s.FYear = ini.ReadInteger(kVariables, "Year", CurrentYear());
       },
       [](const TSettings& s, TIniFile& ini) { ini.WriteInteger(kVariables, "Year", s.FYear); }},
      {kVariables, "Period",
       [](TSettings& s, const TIniFile& ini, const std::string&) {
         s.FPeriod = ini.ReadInteger(kVariables, "Period", 4);
       },
       [](const TSettings& s, TIniFile& ini) { ini.WriteInteger(kVariables, "Period", s.FPeriod); }},
      Flag(kVariables, "PENS", &TSettings::fPensOption, false),

      Flag(kOptions, "TerritoryControl", &TSettings::fCompareTerrCodes, false),
      Flag(kOptions, "TerritoryControlExtendedMode", &TSettings::FCompareTerrCodesExtMode, false),
      Flag(kOptions, "Staff", &TSettings::FCompareWithListStaff, true),
      Flag(kOptions, "NameList", &TSettings::FCompareWithListNameList, true),
      Flag(kOptions, "Accumulate", &TSettings::FAccumulateOption, false),
      Flag(kOptions, "WithList", &TSettings::FCompareWithList, true),
      Flag(kOptions, "Debug", &TSettings::FDebug, false),
      // Read only, the four below: keys an office adds by hand for batch runs and intakes.
      ReadOnlyNumber(kOptions, "LockWait", &TSettings::FLockWaitMinutes, 10, 0),
      ReadOnlyNumber(kOptions, "IntakeRunLimit", &TSettings::FIntakeRunLimitSeconds, 4 * 60 * 60, 1),
      ReadOnlyNumber(kOptions, "IntakeServerFailures", &TSettings::FIntakeServerFailures, 3, 1),
      ReadOnlyNumber(kOptions, "IntakeServerTimeout", &TSettings::FIntakeServerTimeoutSeconds, 15, 1),
      Flag(kOptions, "CheckPerFormat", &TSettings::FCheckPerFormat, true),
      // Read only: the command line may have asked for the findings already, and a run's option
      // must not become the configuration's.
      {kOptions, "Findings",
       [](TSettings& s, const TIniFile& ini, const std::string&) {
         s.FFindings = s.FFindings || ini.ReadBool(kOptions, "Findings", false);
       },
       nullptr},

      Secret(kCrossListServer, "Login", &TSettings::FCrossUserDB, &TSettings::FCrossSavePass),
      Secret(kCrossListServer, "Password", &TSettings::FCrossPasswordDB, &TSettings::FCrossSavePass),
      Text(kCrossListServer, "Name", &TSettings::FCrossServerName, ""),
      Text(kCrossListServer, "Port", &TSettings::FCrossServerPort, ""),
      Text(kCrossListServer, "Base", &TSettings::FCrossServerBase, ""),
      {kCrossListServer, "DateLastUpdate",
       [](TSettings& s, const TIniFile& ini, const std::string&) {
         s.FCrossDateLastUpdate = ini.ReadDate(kCrossListServer, "DateLastUpdate", std::nullopt);
       },
       [](const TSettings& s, TIniFile& ini) {
         ini.WriteDate(kCrossListServer, "DateLastUpdate", s.FCrossDateLastUpdate);
       }},
      Flag(kCrossListServer, "AutoUpdate", &TSettings::FCrossAutoUpdate, false),
      Flag(kCrossListServer, "SavePassw", &TSettings::FCrossSavePass, false),
  };
  return keys;
}

}  // namespace

std::optional<TReadError> ReadConfiguration(TSettings& s, const fs::path& dataDir) {
  CopyDefaultFiles(dataDir);
  TIniFile ini(dataDir / kConfigFileName);
  const std::string home = DefaultDirectory();
  for (const TConfigKey& key : ConfigKeys()) key.Read(s, ini, home);
  std::error_code ec;
  if (fs::exists(dataDir / kRightListFileName, ec))
    s.TerrCodeRightListLoadFromFile((dataDir / kRightListFileName).string());
  if (fs::exists(dataDir / kCrossListFileName, ec)) s.CrossListLoadFromFile((dataDir / kCrossListFileName).string());
  if (ini.ReadError().empty()) return std::nullopt;
  return TReadError{ini.ReadError(), (dataDir / kConfigFileName).string()};
}

bool WriteConfiguration(const TSettings& s, const fs::path& dataDir) {
  try {
    std::error_code ec;
    fs::create_directories(dataDir, ec);
    TIniFile ini(dataDir / kConfigFileName);
    if (!ini.ReadError().empty()) return false;
    for (const TConfigKey& key : ConfigKeys())
      if (key.Write) key.Write(s, ini);
    s.TerrCodeRightListSaveToFile((dataDir / kRightListFileName).string());
    s.CrossListSaveToFile((dataDir / kCrossListFileName).string());
    ini.UpdateFile();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace zz
