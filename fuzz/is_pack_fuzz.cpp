// IS recognition and pack reading, as the file search does them: the tree is recognised for the
// number of the test files, the pack header and the persons are read, and an ЕФС-1 pack is split
// into its year-parts. Anything may be refused; nothing may crash.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>

#include "base/singleton.h"
#include "fuzz_support.h"
#include "isdata/base_data.h"
#include "pack/pack.h"
#include "search/searcher.h"
#include "settings/classifiers.h"
#include "settings/settings.h"
#include "xml/my_parser.h"

namespace {

void FillClassifiers() {
  auto& c = zz::Classifiers();
  c[zz::ctAddPdData] = {"АДМИНИСТР", "НЕОПЛ", "ВРНЕТРУД", "ДЕТИ", "ДЛДЕТИ", "ДЕКРЕТ", "ДЛОТПУСК"};
  c[zz::ctAddPdDataRsv] = {"ДОГОВОР"};
  c[zz::ctAddStag] = {"СЕЗОН"};
  c[zz::ctReplaceFrom] = {"28-"};
  c[zz::ctReplaceTo] = {"27-"};
  c[zz::ctPartTimeError] = {"0;27-1;1010100А-11443;27-ГД"};
  c[zz::ctPartTimeWarning] = {"27-2;;27-СМ"};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = (FillClassifiers(), true);
  (void)once;
  const std::string regNum = "087-001-000001";
  zz::TMyTreePtr tree = zz::TMyParser().parseBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!tree) return 0;
  // The first byte picks the year and period asked for, as the settings would.
  const int year = size > 0 && (data[0] & 1) ? 2018 : 0;
  std::optional<zz::TBaseData> base = zz::TBaseData::TryGetBaseData(regNum, tree.get(), year, 0);
  if (!base) return 0;
  zz::TMessageList errors;
  try {
    std::unique_ptr<zz::TPack> pack = zz::TPack::TryGetPackData(tree.get(), base->PDType(), errors, *base, "f.xml");
    if (!pack) return 0;
    pack->ReadWorkers(tree.get(), year);
    if (pack->BaseData.IsEFS1()) {
      zz::TSettings::GetInstance().FRegNum = regNum;
      zz::TSearcher searcher(zz::fuzz::ScratchDir() / "Temp");
      auto parts = searcher.SplitPackByYears(*pack);
      (void)parts;
    }
  } catch (const std::exception&) {
    // The search catches what the reading throws and reports it; that is not a finding.
  }
  return 0;
}
