// The run settings: defaults, period codes, the list-server query address and the protocol file name.
#include "settings/settings.h"

#include <filesystem>

#include "base/reporting_period.h"
#include "base/strings.h"
#include "settings/scramble.h"
#include "version.h"

namespace zz {

TRunParams::TRunParams() {
  FExeData.FileVersion = ZAZORU_FILE_VERSION;
  FExeData.Comments = ZAZORU_BUILD_DATE;
  FExeData.ProductName = "Zazoru";
  FExeData.ProductVersion = ZAZORU_FILE_VERSION;
  FExeData.OriginalFileName = "zazoru";
}

std::string TRunParams::GetULQueryURL(const std::string& RegNum, int Year, int Period) const {
  return "http://" + FULMachine + ":" + FULPort + "/" + FULAppName +
         "/GetList?user=" + PercentEncode(UnscrambleText(FULLogin, kLoginKey)) +
         "&pass=" + PercentEncode(UnscrambleText(FULPass, kPasswordKey)) + "&regNum=" + PercentEncode(RegNum) +
         "&year=" + std::to_string(Year) + "&quarter=" + std::to_string(Period);
}

std::string TRunParams::ProtocolFileName(int year, int period) const {
  std::string name = "ZAZORU-" + std::to_string(year) + "-" + std::to_string(PeriodOrdinal(year, period)) +
                     (FAccumulateOption ? "A" : "") + "-REGNO-" + FRegNum;
  return (std::filesystem::path(FDirReport) / name).string();
}

}  // namespace zz
