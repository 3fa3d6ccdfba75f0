#pragma once
// The generated employer: options, the random draws, jobs, periods, payments and persons, and the
// date and number texts the documents use.
#include <archive.h>
#include <archive_entry.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace gen {

namespace fs = std::filesystem;

struct TOptions {
  fs::path Out;
  long Persons = 1000;
  int Year = 2023;
  std::string RegNum = "087-104-003215";
  double Preferential = 0.3;
  double Discrepancies = 0.02;
  int Positions = 40;
  int ExcessPositions = -1;  // default: one in ten positions, at least one
  double MaxFileMb = 16;
  bool Zip = false;
  bool Correction = false;  // a СЗВ-КОРР repeating one person, see main.cpp
  uint64_t Seed = 20240101;
};

struct TRandom {
  uint64_t s;
  explicit TRandom(uint64_t seed) : s(seed ? seed : 88172645463325252ull) {}
  uint64_t Next() {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return s;
  }
  unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
  double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

const char* const kSurnames[] = {"ИВАНОВ",   "ПЕТРОВА", "СИДОРЕНКО", "КУЗНЕЦОВ", "ЁЛКИНА", "СМИРНОВ",
                                 "ВАСИЛЬЕВ", "ОРЛОВА",  "ГРОМОВ",    "ЛЕБЕДЕВА", "ЗАЙЦЕВ", "МОРОЗОВА"};
const char* const kNames[] = {"ИВАН", "МАРИЯ", "ПЁТР", "АННА", "СЕРГЕЙ", "ОЛЬГА", "НИКОЛАЙ", "ЕЛЕНА"};
const char* const kPatronymics[] = {"ИВАНОВИЧ", "ПЕТРОВНА", "СЕРГЕЕВИЧ", "НИКОЛАЕВНА", "АЛЕКСАНДРОВИЧ", ""};

// A job: the grounds and list position of a work period, as the IS and the Perechen write them.
struct TJob {
  std::string Oyt;       // special-conditions code (27-1, 27-2), or empty
  std::string Vl;        // long-service basis (27-ГД, 27-СМ), or empty
  std::string Position;  // list position code (with Oyt only)
  std::string Profession;
  bool Staffed = true;  // the Perechen has a staff position for it
  const std::string& Grounds() const { return Oyt.empty() ? Vl : Oyt; }
};

struct TPeriod {
  int Job = 0;
  int StartDay = 0;  // day of the quarter, 0 = 1 October
  int EndDay = 0;    // inclusive
  double Rate = 1;   // IS: ДоляСтавки of a ВЛ job (ОУТ jobs carry none: full rate); list: Ставка
  bool Tariff = false;  // list: ДополнительныйТариф "ДТ"
  std::string Class{};  // list: КлассУТ
};

// A payment of the additional tariff in a СЗВ-ИСХ.
struct TPayment {
  double Sum = 0;
  std::string Class;  // КодСОУТ
};

struct TPerson {
  std::string Surname, Name, Patronymic, ListSurname;
  std::string Snils;
  bool InIS = true;
  bool InList = false;
  bool Isx = false;  // in a СЗВ-ИСХ file instead of a СЗВ-СТАЖ
  std::vector<TPeriod> IS, List;
  std::vector<TPayment> Payments;
  std::string AddPd;  // ДопСведенияИС of the first IS period
};

enum TKind {
  kMissingInList,
  kMissingInIS,
  kOtherName,
  kOtherGrounds,
  kOtherRate,
  kUnpairedIS,
  kUnpairedList,
  kNoPosition,
  kCrossing,
  kTariffUnpaid,
  kTariffNoBenefit,
  kTariffList,
  kTariffClass,
  kClassNoTariff,
  kKindCount
};
const char* const kKindNames[] = {"missing_in_list", "missing_in_is",  "other_name",        "other_grounds",
                                  "other_rate",      "unpaired_is",    "unpaired_list",     "no_position",
                                  "crossing",        "tariff_unpaid",  "tariff_no_benefit", "tariff_list",
                                  "tariff_class",    "class_no_tariff"};
static_assert(sizeof kKindNames / sizeof kKindNames[0] == kKindCount);

inline std::string Snils(long i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%03ld-%03ld-%03ld %02ld", 100 + i / 1000000 % 900, i / 1000 % 1000, i % 1000, i % 97);
  return buf;
}

// Date of a day of the fourth quarter.
inline void QuarterDate(int year, int day, int& m, int& d) {
  static const int lengths[] = {31, 30, 31};
  m = 10;
  while (day >= lengths[m - 10]) {
    day -= lengths[m - 10];
    ++m;
  }
  d = day + 1;
  (void)year;
}

inline std::string IsoDate(int year, int day) {
  int m, d;
  QuarterDate(year, day, m, d);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, m, d);
  return buf;
}

inline std::string RuDate(int year, int day) {
  int m, d;
  QuarterDate(year, day, m, d);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d, m, year);
  return buf;
}

inline std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

constexpr int kQuarterDays = 92;  // 1 October .. 31 December
constexpr int kSplitDay = 46;     // 16 November: the second period of a two-period person

inline bool ParseOptions(int argc, char** argv, TOptions& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    const char* v = nullptr;
    if (a == "--zip" || a == "--correction") {
      (a == "--zip" ? o.Zip : o.Correction) = true;
      continue;
    }
    if (!(v = next())) return false;
    if (a == "--out")
      o.Out = v;
    else if (a == "--persons")
      o.Persons = std::atol(v);
    else if (a == "--year")
      o.Year = std::atoi(v);
    else if (a == "--regnum")
      o.RegNum = v;
    else if (a == "--preferential")
      o.Preferential = std::atof(v);
    else if (a == "--discrepancies")
      o.Discrepancies = std::atof(v);
    else if (a == "--positions")
      o.Positions = std::atoi(v);
    else if (a == "--excess-positions")
      o.ExcessPositions = std::atoi(v);
    else if (a == "--max-file-mb")
      o.MaxFileMb = std::atof(v);
    else if (a == "--seed")
      o.Seed = std::strtoull(v, nullptr, 10);
    else
      return false;
  }
  return !o.Out.empty() && o.Persons > 0 && o.Positions >= 4 && o.Year >= 2017;
}

}  // namespace gen
