// The territory-code rights list: file format and the right check.
#include <stdexcept>

#include "base/reporting_period.h"
#include "base/strings.h"
#include "base/utils.h"
#include "settings/list_file_error.h"
#include "settings/settings.h"

namespace zz {

namespace {

const TDate kFarPast = MakeDate(1900, 1, 1);
const TDate kFarFuture = MakeDate(2099, 12, 31);
constexpr int kDateWidth = 10;

bool FlagAt(const std::string& flags, size_t i) { return i < flags.size() && flags[i] >= '1' && flags[i] <= '9'; }

TDate EntryDate(const std::string& text, TDate whenEmpty) {
  std::string t = Trim(text);
  if (t.empty()) return whenEmpty;
  return ParseDate(t);
}

}  // namespace

TTerritoryCode::TTerritoryCode(std::string Num, const TTerritoryRights& rights, std::string DateBegin,
                               std::string DateEnd)
    : FMKS(rights.MKS),
      FRKS(rights.RKS),
      FCZ1(rights.CZ1),
      FCZ3(rights.CZ3),
      FCZ4(rights.CZ4),
      FCZ5(rights.CZ5),
      FCZ6(rights.CZ6),
      FCountry(rights.Country),
      FNum(std::move(Num)),
      FDateBegin(std::move(DateBegin)),
      FDateEnd(std::move(DateEnd)) {}

bool& TTerritoryCode::Flag(int index) {
  switch (index) {
    case 0: return FMKS;
    case 1: return FRKS;
    case 2: return FCZ1;
    case 3: return FCZ3;
    case 4: return FCZ4;
    case 5: return FCZ5;
    case 6: return FCZ6;
    default: return FCountry;
  }
}

std::optional<TTerritoryCode> TTerritoryCode::FromLine(const std::string& line) {
  if (Trim(line).empty()) return std::nullopt;
  size_t slash = line.find('/');
  if (slash == std::string::npos) return TTerritoryCode(Trim(line), TTerritoryRights::All());

  std::string num = Trim(line.substr(0, slash));
  // The flags run from the slash to the first blank; the rest holds the dates.
  size_t flagsEnd = line.find_first_of(" \t", slash);
  std::string flags = line.substr(slash + 1, flagsEnd == std::string::npos ? std::string::npos : flagsEnd - slash - 1);
  std::string rest = flagsEnd == std::string::npos ? std::string() : line.substr(flagsEnd);

  // Dates are written as " begin end" with ten blanks for an unset one; a single date is the
  // end date when it stands after the begin date's placeholder.
  std::string begin, end;
  std::vector<std::pair<size_t, std::string>> tokens;
  for (size_t i = 0; i < rest.size();) {
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    size_t start = i;
    while (i < rest.size() && rest[i] != ' ' && rest[i] != '\t') ++i;
    if (i > start) tokens.emplace_back(start, rest.substr(start, i - start));
  }
  if (tokens.size() >= 2) {
    begin = tokens[0].second;
    end = tokens[1].second;
  } else if (tokens.size() == 1) {
    (tokens[0].first > kDateWidth ? end : begin) = tokens[0].second;
  }
  TTerritoryCode entry(num, TTerritoryRights{}, Trim(begin), Trim(end));
  for (int i = 0; i < kCodeCount; ++i) entry.Flag(i) = FlagAt(flags, static_cast<size_t>(i));
  return entry;
}

std::string TTerritoryCode::ToLine() const {
  std::string line = FNum + "/";
  for (int i = 0; i < kCodeCount; ++i) line += Flag(i) ? '1' : '0';
  if (!FDateBegin.empty() || !FDateEnd.empty()) {
    const std::string blank(kDateWidth, ' ');
    line += " " + (FDateBegin.empty() ? blank : FDateBegin) + " " + (FDateEnd.empty() ? blank : FDateEnd);
  }
  return line;
}

void TRunParams::TerrCodeRightListLoadFromFile(const std::string& FileName) {
  int lineNumber = 0;
  for (const std::string& line : ReadTextLines(FileName)) {
    ++lineNumber;
    auto entry = TTerritoryCode::FromLine(line);
    if (!entry) continue;
    // A damaged date is refused here, where its file and line are known, rather than at the first
    // check that consults the entry.
    for (const std::string* date : {&entry->FDateBegin, &entry->FDateEnd})
      if (!date->empty() && !TryParseDate(*date))
        throw TListFileError(FileName, lineNumber, *date, "не является датой в формате дд.мм.гггг");
    FTerrCodeRightList.push_back(*entry);
  }
}

void TRunParams::TerrCodeRightListSaveToFile(const std::string& FileName) const {
  std::vector<std::string> lines;
  for (const TTerritoryCode& e : FTerrCodeRightList) lines.push_back(e.ToLine());
  WriteTextLines(FileName, lines);
}

std::vector<std::string> TRunParams::TerrCodeRightListGetList() const {
  std::vector<std::string> nums;
  for (const TTerritoryCode& e : FTerrCodeRightList) nums.push_back(e.FNum);
  return nums;
}

bool TRunParams::hasNordRight(const std::string& parTerrCode, TDate workPeriodBeginDate, TDate workPeriodEndDate,
                              int year, int period) const {
  if (parTerrCode == "all") {
    workPeriodBeginDate = kFarPast;
    workPeriodEndDate = kFarFuture;
  }
  TDate windowStart = kFarPast, windowEnd = kFarFuture;
  const bool yearGiven = year != -1 && year != 0;
  if (yearGiven && period != 0 && period != -1) {
    // A half-year of 2010 (codes 2 and 4) is six months, not its last quarter.
    windowStart = MakeDate(year, static_cast<unsigned>(3 * FirstQuarterOfPeriod(year, period) - 2), 1);
    windowEnd = LastDayOfMonth(year, static_cast<unsigned>(3 * period));
  } else if (yearGiven) {
    windowStart = MakeDate(year, 1, 1);
    windowEnd = MakeDate(year, 12, 31);
  }
  const bool dated = year != -1 && period != -1;
  const std::string code = UpperLatin(parTerrCode);

  for (const TTerritoryCode& e : FTerrCodeRightList) {
    if (e.FNum.empty() || !FRegNum.starts_with(e.FNum)) continue;
    TDate entryBegin = kFarPast, entryEnd = kFarFuture;
    if (dated) {
      entryBegin = EntryDate(e.FDateBegin, kFarPast);
      entryEnd = EntryDate(e.FDateEnd, kFarFuture);
      bool meets =
          (windowStart <= entryBegin || windowStart <= entryEnd) && (windowEnd >= entryBegin || windowEnd >= entryEnd);
      if (!meets) continue;
    }
    if (!FCompareTerrCodesExtMode) return true;
    if (dated && !(entryBegin <= workPeriodBeginDate && entryEnd >= workPeriodEndDate)) continue;
    if (code == "ALL") return true;
    for (int i = 0; i < TTerritoryCode::kCodeCount; ++i)
      if (code == TTerritoryCode::kCodes[i] && e.Flag(i)) return true;
  }
  return false;
}

}  // namespace zz
