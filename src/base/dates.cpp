// Calendar days: parsing and printing "dd.mm.yyyy" and ISO dates, day arithmetic.
#include "base/dates.h"

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace zz {

using namespace std::chrono;

TDate MakeDate(int year, unsigned month, unsigned day) {
  return sys_days(std::chrono::year(year) / std::chrono::month(month) / std::chrono::day(day));
}

int YearOf(TDate date) { return static_cast<int>(year_month_day(date).year()); }
unsigned MonthOf(TDate date) { return static_cast<unsigned>(year_month_day(date).month()); }
unsigned DayOf(TDate date) { return static_cast<unsigned>(year_month_day(date).day()); }

TDate LastDayOfMonth(int y, unsigned m) {
  return sys_days(year_month_day_last(std::chrono::year(y), month_day_last(std::chrono::month(m))));
}

TDate Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return MakeDate(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday));
}

int CurrentYear() { return YearOf(Today()); }

namespace {

// Reads 1..maxDigits digits starting at pos; false when none.
bool ReadNumber(std::string_view text, size_t& pos, int minDigits, int maxDigits, int& value) {
  int digits = 0;
  value = 0;
  while (pos < text.size() && digits < maxDigits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos] - '0');
    ++pos;
    ++digits;
  }
  return digits >= minDigits;
}

std::optional<TDate> Valid(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return std::nullopt;
  year_month_day ymd{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(m)),
                     std::chrono::day(static_cast<unsigned>(d))};
  if (!ymd.ok()) return std::nullopt;
  return sys_days(ymd);
}

}  // namespace

std::optional<TDate> TryParseDate(std::string_view text) {
  size_t pos = 0;
  int d, m, y;
  if (!ReadNumber(text, pos, 1, 2, d) || pos >= text.size() || text[pos++] != '.') return std::nullopt;
  if (!ReadNumber(text, pos, 1, 2, m) || pos >= text.size() || text[pos++] != '.') return std::nullopt;
  if (!ReadNumber(text, pos, 4, 4, y) || pos != text.size()) return std::nullopt;
  return Valid(y, m, d);
}

std::optional<TDate> TryParseIsoDate(std::string_view text) {
  size_t pos = 0;
  int d, m, y;
  if (!ReadNumber(text, pos, 4, 4, y) || pos >= text.size() || text[pos++] != '-') return std::nullopt;
  if (!ReadNumber(text, pos, 1, 2, m) || pos >= text.size() || text[pos++] != '-') return std::nullopt;
  if (!ReadNumber(text, pos, 1, 2, d) || pos != text.size()) return std::nullopt;
  return Valid(y, m, d);
}

TDate ParseDate(std::string_view text) {
  auto date = TryParseDate(text);
  if (!date) throw std::runtime_error("'" + std::string(text) + "' is not a valid date");
  return *date;
}

std::string FormatDate(TDate date) {
  year_month_day ymd(date);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02u.%02u.%04d", static_cast<unsigned>(ymd.day()), static_cast<unsigned>(ymd.month()),
                static_cast<int>(ymd.year()));
  return buf;
}

std::string FormatIsoDate(TDate date) {
  year_month_day ymd(date);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()));
  return buf;
}

int DaysInclusive(TDate a, TDate b) { return static_cast<int>((b - a).count()) + 1; }

}  // namespace zz
