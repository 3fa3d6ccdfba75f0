// The run settings: defaults, period codes, the list-server query address and the protocol file name.
#include "settings/settings.h"

#include <filesystem>

#include "base/strings.h"
#include "settings/scramble.h"
#include "version.h"

namespace zz {

TSettings::TSettings() {
  FExeData.FileVersion = ZAZORU_FILE_VERSION;
  FExeData.Comments = ZAZORU_BUILD_DATE;
  FExeData.ProductName = "Zazoru";
  FExeData.ProductVersion = ZAZORU_FILE_VERSION;
  FExeData.OriginalFileName = "zazoru";
}

int TSettings::periodAsSZV() const {
  if (FYear == 2010) return FPeriod <= 2 ? 1 : 2;
  return FPeriod;
}

int TSettings::periodBegin(int year, int period) {
  if (year == 2010) return period <= 2 ? 1 : 3;
  return period;
}

std::string TSettings::GetULQueryURL(const std::string& RegNum, int Year, int Period) const {
  return "http://" + FULMachine + ":" + FULPort + "/" + FULAppName +
         "/GetList?user=" + PercentEncode(UnscrambleText(FULLogin, kLoginKey)) +
         "&pass=" + PercentEncode(UnscrambleText(FULPass, kPasswordKey)) + "&regNum=" + PercentEncode(RegNum) +
         "&year=" + std::to_string(Year) + "&quarter=" + std::to_string(Period);
}

std::string TSettings::getProtokolFileName() const {
  int quarter = FYear == 2010 ? (FPeriod >= 3 ? 2 : 1) : FPeriod;
  std::string name = "ZAZORU-" + std::to_string(FYear) + "-" + std::to_string(quarter) +
                     (FAccumulateOption ? "A" : "") + "-REGNO-" + FRegNum;
  return (std::filesystem::path(FDirReport) / name).string();
}

}  // namespace zz
