#pragma once
// Additional IS data of a period (ДопСведенияИС): one flag per entry of the ctAddPdData list.
#include <string>
#include <string_view>
#include <vector>

namespace zz {

class TWorkPeriod;

enum TAddPdDataEnum {
  epdAdmin,
  epdNoPay,
  epdTempIncapacity,
  epdMonth,
  epdMedicalIncapacity,
  epdAddVacation,
  epdChildren,
  epdLongChildren,
  epdParentalLeave,
  epdLongLeave,
  epdQualifOb,
  epdQualifOc,
  epdDispr,
};

// Codes whose presence means the period earns no benefit of its own.
extern const std::vector<std::string> NoLgotAddPdCodes;
// Codes that make an overlap of two periods acceptable.
extern const std::vector<std::string> CrossingAllowedAddPdData;

class TAddPdData {
 public:
  // Flags sized to ctAddPdData as it is now, all false.
  explicit TAddPdData(const TWorkPeriod* period);

  // Sets the flag of `value`; false (nothing changed) when the code is not in ctAddPdData.
  bool _Set(std::string_view value);

  bool ValueByIndex(size_t index) const;
  bool ValueByName(std::string_view name) const;
  bool ValueByType(TAddPdDataEnum type) const;
  std::string NameByIndex(size_t index) const;
  static std::string NameByType(TAddPdDataEnum type);

  // "<period> (<name>)" when the flag is set, else empty.
  std::string DetailByName(std::string_view name) const;
  std::string DetailByType(TAddPdDataEnum type) const;
  // Details of the flagged РСВ-1 specific codes, in ctAddPdDataRsv order, joined by ", ".
  std::string DetailByRSV() const;

  std::vector<std::string> ToArray() const;
  std::string ToString() const;

  void Merge(const TAddPdData& other);
  bool Equals(const TAddPdData* other) const;
  bool HasData() const;
  // A flagged name equals one of NoLgotAddPdCodes.
  bool HasNoLgotCode() const;
  // A flagged name contains an entry of ctAddStag.
  bool IsSeniorityBearing() const;

  std::vector<bool> FData;
  const TWorkPeriod* FWorkPeriod = nullptr;
};

}  // namespace zz
