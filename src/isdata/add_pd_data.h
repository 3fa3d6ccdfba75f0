#pragma once
// Additional IS data of a period (ДопСведенияИС): one flag per entry of the ctAddPdData list.
#include <algorithm>
#include <cstdint>
#include <memory>
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

// The flags of ctAddPdData by index: the first 64 in place, so that a period's flags cost no
// allocation of their own; a longer classifier spills into a vector.
class TFlagBits {
 public:
  TFlagBits() = default;
  TFlagBits(const TFlagBits& other) { *this = other; }
  TFlagBits& operator=(const TFlagBits& other) {
    if (this == &other) return *this;
    fFirst = other.fFirst;
    fSize = other.fSize;
    fMore.reset();
    if (size_t words = MoreWords(fSize)) {
      fMore = std::make_unique<uint64_t[]>(words);
      std::copy_n(other.fMore.get(), words, fMore.get());
    }
    return *this;
  }

  size_t size() const { return fSize; }
  bool operator[](size_t index) const {
    if (index >= fSize) return false;
    uint64_t word = index < 64 ? fFirst : fMore[index / 64 - 1];
    return (word >> (index % 64)) & 1;
  }
  // Grows to `size` with the new flags clear; never shrinks.
  void Grow(size_t size) {
    if (size <= fSize) return;
    if (MoreWords(size) > MoreWords(fSize)) {
      auto more = std::make_unique<uint64_t[]>(MoreWords(size));  // zeroed
      if (fMore) std::copy_n(fMore.get(), MoreWords(fSize), more.get());
      fMore = std::move(more);
    }
    fSize = static_cast<uint32_t>(size);
  }
  void Set(size_t index) {
    Grow(index + 1);
    (index < 64 ? fFirst : fMore[index / 64 - 1]) |= uint64_t{1} << (index % 64);
  }
  bool Any() const {
    if (fFirst) return true;
    for (size_t i = 0; i < MoreWords(fSize); ++i)
      if (fMore[i]) return true;
    return false;
  }

 private:
  static size_t MoreWords(size_t size) { return size > 64 ? (size - 1) / 64 : 0; }

  uint64_t fFirst = 0;
  uint32_t fSize = 0;
  std::unique_ptr<uint64_t[]> fMore;  // flags from 64 on, when the classifier is that long
};

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

  TFlagBits FData;
  const TWorkPeriod* FWorkPeriod = nullptr;
};

}  // namespace zz
