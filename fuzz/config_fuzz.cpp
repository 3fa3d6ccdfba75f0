// The configuration file and the two reference lists beside it: the input holds the three files,
// separated by NUL bytes ("ZazoruConfig.ini", then "RightList.txt", then "CrossingList.txt"). They
// are read as a start-up reads them, the lists are consulted as a run consults them, and written
// back as the settings window writes them.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "app/config_file.h"
#include "base/dates.h"
#include "base/singleton.h"
#include "fuzz_support.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view parts[3];
  for (int i = 0; i < 3; ++i) {
    size_t nul = i < 2 ? input.find('\0') : std::string_view::npos;
    parts[i] = input.substr(0, nul);
    input = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  }
  const std::filesystem::path dir = zz::fuzz::ScratchDir() / "data";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  zz::fuzz::WriteBytes(dir / zz::kConfigFileName, parts[0]);
  zz::fuzz::WriteBytes(dir / zz::kRightListFileName, parts[1]);
  zz::fuzz::WriteBytes(dir / zz::kCrossListFileName, parts[2]);

  zz::TSingleton::DestroyAll();
  zz::TSettings& settings = zz::TSettings::GetInstance();
  settings.FRegNum = "087-104-003215";
  try {
    zz::ReadConfiguration(settings, dir);
  } catch (const std::exception&) {
    // A broken list file refuses the start-up with a message; not a finding.
    return 0;
  }
  for (int year : {2010, 2014, 2023})
    for (int period = 1; period <= 4; ++period) (void)settings.GetActualRegNum(year, period);
  (void)settings.TerrCodeRightListGetList();
  for (const zz::TTerritoryCode& code : settings.FTerrCodeRightList) {
    try {
      (void)settings.hasNordRight(code.FNum, zz::MakeDate(2023, 1, 1), zz::MakeDate(2023, 3, 31), 2023, 1);
      (void)settings.hasNordRight(code.FNum + "К", zz::MakeDate(2023, 1, 1), zz::MakeDate(2023, 3, 31), 2023, 1);
    } catch (const std::exception&) {
      // An invalid date of a consulted entry is reported by the check; not a finding.
    }
  }
  zz::fuzz::Expect(zz::WriteConfiguration(settings, dir), "settings that were read can be written back");
  return 0;
}
