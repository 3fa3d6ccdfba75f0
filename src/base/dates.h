#pragma once
// Calendar days. "dd.mm.yyyy" is the program's own date format; IS files of 2017 on write "yyyy-mm-dd".
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace zz {

using TDate = std::chrono::sys_days;

TDate MakeDate(int year, unsigned month, unsigned day);
int YearOf(TDate date);
unsigned MonthOf(TDate date);
unsigned DayOf(TDate date);
TDate LastDayOfMonth(int year, unsigned month);
TDate Today();
int CurrentYear();

// "dd.mm.yyyy" (day and month may have one digit); nullopt when the text is not a valid date.
std::optional<TDate> TryParseDate(std::string_view text);
// "yyyy-mm-dd"; nullopt when invalid.
std::optional<TDate> TryParseIsoDate(std::string_view text);
// Parses "dd.mm.yyyy"; throws std::runtime_error("'<text>' is not a valid date") when invalid.
TDate ParseDate(std::string_view text);

std::string FormatDate(TDate date);     // dd.mm.yyyy
std::string FormatIsoDate(TDate date);  // yyyy-mm-dd

// Days from a to b inclusive of both (b - a + 1).
int DaysInclusive(TDate a, TDate b);

}  // namespace zz
