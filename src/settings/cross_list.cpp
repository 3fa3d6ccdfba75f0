// The re-registration list: file format and the number valid in a reporting period.
#include <set>
#include <stdexcept>

#include "base/strings.h"
#include "base/utils.h"
#include "settings/list_file_error.h"
#include "settings/settings.h"

namespace zz {

namespace {

int ToInteger(const std::string& text, const std::string& fileName, int lineNumber) {
  int value = 0;
  if (!TryParseInt(Trim(text), value))
    throw TListFileError(fileName, lineNumber, Trim(text), "не является целым числом");
  return value;
}

// Text before the next "/" (the whole rest when there is none); removes it and the "/" from `line`.
std::string TakeField(std::string& line) {
  size_t slash = line.find('/');
  std::string field = line.substr(0, slash);
  line.erase(0, slash == std::string::npos ? line.size() : slash + 1);
  return field;
}

}  // namespace

void TRunParams::CrossListLoadFromFile(const std::string& FileName) {
  int lineNumber = 0;
  for (std::string line : ReadTextLines(FileName)) {
    ++lineNumber;
    if (Trim(line).empty()) continue;
    std::string oldNum = Trim(TakeField(line));
    std::string newNum = Trim(TakeField(line));
    std::string yearText = line.substr(0, line.find('/'));
    int year = ToInteger(yearText, FileName, lineNumber);
    // The year's own decimal length is cut off, so a year written with a leading zero shifts the quarter.
    line.erase(0, std::min(line.size(), std::to_string(year).size() + 1));
    int quarter = ToInteger(line, FileName, lineNumber);
    FCrossList.emplace_back(oldNum, newNum, year, quarter);
  }
}

void TRunParams::CrossListSaveToFile(const std::string& FileName) const {
  std::vector<std::string> lines;
  for (const TCrossRec& r : FCrossList)
    lines.push_back(r.FSRegNum + "/" + r.FERegNum + "/" + std::to_string(r.FCrossYear) + "/" +
                    std::to_string(r.FCrossPeriod));
  WriteTextLines(FileName, lines);
}

void TRunParams::CrossListAddElement(const std::string& SRegNum, const std::string& ERegNum, int Year, int Period) {
  FCrossList.emplace_back(SRegNum, ERegNum, Year, Period);
}

std::string TRunParams::GetActualRegNum(int year, int period) const {
  std::string result = FRegNum;
  std::set<std::string> seen{result};
  const int requested = year * 4 + period;
  bool changed = true;
  while (changed) {
    changed = false;
    for (const TCrossRec& r : FCrossList) {
      if (r.FERegNum != result || r.FCrossYear * 4 + r.FCrossPeriod <= requested) continue;
      // A list that maps numbers in a circle would otherwise repeat the passes forever.
      if (!seen.insert(r.FSRegNum).second) return result;
      result = r.FSRegNum;
      changed = true;
    }
  }
  return result;
}

}  // namespace zz
