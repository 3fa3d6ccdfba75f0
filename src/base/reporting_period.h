#pragma once
// The one rule of reporting periods that varies by year: 2010 was reported in half-years. Its
// periods are coded 2 (the first half-year) and 4 (the second) where a quarter would stand, and
// counted 1 and 2 where periods are counted (the list server's queries, the protocol's name).

namespace zz {

constexpr bool InHalfYears(int year) { return year == 2010; }

// Half-years or quarters in the year.
constexpr int PeriodsInYear(int year) { return InHalfYears(year) ? 2 : 4; }

constexpr int MonthsPerPeriod(int year) { return InHalfYears(year) ? 6 : 3; }

// Which period of the year a period code is, from 1: codes up to 2 of 2010 are its first half-year,
// the others its second; in other years the code is the quarter.
constexpr int PeriodOrdinal(int year, int code) { return InHalfYears(year) ? (code <= 2 ? 1 : 2) : code; }

// The code of the year's period `ordinal`: 2 and 4 for 2010's half-years, the quarter otherwise.
constexpr int PeriodCode(int year, int ordinal) {
  return InHalfYears(year) && (ordinal == 1 || ordinal == 2) ? 2 * ordinal : ordinal;
}

// The first quarter the period of `code` covers: 1 or 3 for 2010's half-years, the quarter otherwise.
constexpr int FirstQuarterOfPeriod(int year, int code) { return InHalfYears(year) ? (code <= 2 ? 1 : 3) : code; }

}  // namespace zz
