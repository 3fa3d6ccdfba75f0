// Additional IS data of a period, parsed from and printed to its text form.
#include "isdata/add_pd_data.h"

#include <algorithm>

#include "base/strings.h"
#include "isdata/classifier_access.h"
#include "isdata/work_period.h"

namespace zz {

const std::vector<std::string> NoLgotAddPdCodes = {"ДЕКРЕТ", "ВРНЕТРУД", "ДЛОТПУСК", "ВАХТА",   "ВРНЕТРУСПО",
                                                   "ВОЕНСЛ", "КВАЛИФ",   "ДЕТИ",     "ДОГОВОР", "НЕОПЛДОГ"};

const std::vector<std::string> CrossingAllowedAddPdData = {"ДОГОВОР", "НЕОПЛДОГ", "НЕОПЛАВТ", "ЗГДС",
                                                           "ЗГД",     "ЗГГС",     "ЗМС",      "ЗМД"};

namespace {

const char* const kTypeCodes[] = {"АДМИНИСТР", "НЕОПЛ",  "ВРНЕТРУД", "МЕСЯЦ",    "МЕДНЕТРУД", "ДЛОТПУСК", "ДЕТИ",
                                  "ДЛДЕТИ",    "ДЕКРЕТ", "ДЛОТПУСК", "КВАЛИФОБ", "КВАЛИФОЦ",  "ДИСПР"};

// The list's own look-up: first entry equal ignoring case.
int IndexInAddPdData(std::string_view name) {
  const auto& list = ClassifierOrEmpty(ctAddPdData);
  for (size_t i = 0; i < list.size(); ++i)
    if (SameTextCI(list[i], name)) return static_cast<int>(i);
  return -1;
}

}  // namespace

TAddPdData::TAddPdData(const TWorkPeriod* period) : FWorkPeriod(period) {
  FData.Grow(ClassifierOrEmpty(ctAddPdData).size());
}

bool TAddPdData::_Set(std::string_view value) {
  int index = IndexInAddPdData(value);
  if (index < 0) return false;
  FData.Set(static_cast<size_t>(index));
  return true;
}

bool TAddPdData::ValueByIndex(size_t index) const { return index < FData.size() && FData[index]; }

bool TAddPdData::ValueByName(std::string_view name) const {
  // No flag set: nothing to look up (most periods carry no additional data).
  if (!HasData()) return false;
  int index = IndexInAddPdData(name);
  return index >= 0 && ValueByIndex(static_cast<size_t>(index));
}

bool TAddPdData::ValueByType(TAddPdDataEnum type) const { return ValueByName(NameByType(type)); }

std::string TAddPdData::NameByIndex(size_t index) const {
  const auto& list = ClassifierOrEmpty(ctAddPdData);
  return index < list.size() ? list[index] : std::string();
}

std::string TAddPdData::NameByType(TAddPdDataEnum type) {
  auto index = static_cast<size_t>(type);
  return index < std::size(kTypeCodes) ? kTypeCodes[index] : std::string();
}

std::string TAddPdData::DetailByName(std::string_view name) const {
  if (!ValueByName(name)) return {};
  std::string period = FWorkPeriod ? FWorkPeriod->pPeriodString() : std::string();
  return period + " (" + std::string(name) + ")";
}

std::string TAddPdData::DetailByType(TAddPdDataEnum type) const { return DetailByName(NameByType(type)); }

std::string TAddPdData::DetailByRSV() const {
  if (!HasData()) return {};
  std::vector<std::string> details;
  for (const std::string& name : ClassifierOrEmpty(ctAddPdDataRsv)) {
    int index = IndexInAddPdData(name);
    if (index < 0 || !ValueByIndex(static_cast<size_t>(index))) continue;
    details.push_back(DetailByName(name));
  }
  return Join(details, ", ");
}

std::vector<std::string> TAddPdData::ToArray() const {
  std::vector<std::string> names;
  if (!HasData()) return names;
  const auto& list = ClassifierOrEmpty(ctAddPdData);
  for (size_t i = 0; i < FData.size() && i < list.size(); ++i)
    if (FData[i]) names.push_back(list[i]);
  return names;
}

std::string TAddPdData::ToString() const { return Join(ToArray(), ", "); }

void TAddPdData::Merge(const TAddPdData& other) {
  FData.Grow(other.FData.size());
  for (size_t i = 0; i < other.FData.size(); ++i)
    if (other.FData[i]) FData.Set(i);
}

bool TAddPdData::Equals(const TAddPdData* other) const {
  if (!other) return false;
  size_t n = std::max(FData.size(), other->FData.size());
  for (size_t i = 0; i < n; ++i)
    if (ValueByIndex(i) != other->ValueByIndex(i)) return false;
  return true;
}

bool TAddPdData::HasData() const { return FData.Any(); }

bool TAddPdData::HasNoLgotCode() const {
  for (const std::string& name : ToArray())
    if (std::find(NoLgotAddPdCodes.begin(), NoLgotAddPdCodes.end(), name) != NoLgotAddPdCodes.end()) return true;
  return false;
}

bool TAddPdData::IsSeniorityBearing() const {
  const auto& stag = ClassifierOrEmpty(ctAddStag);
  for (const std::string& name : ToArray())
    for (const std::string& entry : stag)
      if (!entry.empty() && name.find(entry) != std::string::npos) return true;
  return false;
}

}  // namespace zz
