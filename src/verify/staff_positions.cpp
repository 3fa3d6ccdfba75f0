// Staff-position check: the IS merged periods against the staff positions of the Perechen.
#include "verify/staff_positions.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "base/reporting_period.h"
#include "base/strings.h"
#include "isdata/position.h"
#include "isdata/work_period.h"
#include "isdata/worker.h"
#include "list/the_list.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "settings/classifiers.h"
#include "verify/verification.h"

namespace zz {

const std::vector<std::string> PositionForbiddenAddPdData = {"НЕОПЛ",  "КВАЛИФОЦ", "ДИСПР",   "ВОЕНСЛ",  "ДЕТИ",
                                                             "ОБЩЕСТ", "СДКРОВ",   "ОТСТРАН", "ПРОСТОЙ", "УЧОТПУСК",
                                                             "ДЛДЕТИ", "ДЕТИПРЛ",  "ЧАЭС",    "ДОПВЫХ"};

namespace {

// A period with one of these codes also belongs to a position matched with its own additional data.
const std::vector<std::string> kIncapacityCodes = {"ВРНЕТРУД", "МЕСЯЦ", "МЕДНЕТРУД"};

// The heating-season position, whose excess over its days is only a warning for 27-2.
constexpr std::string_view kHeatingPosition = "23200000-13786";

bool IsOneOf(const std::vector<std::string>& codes, const std::string& code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// A number as the protocol prints it, read back: the comparison must agree with the printed row.
double AsPrinted(double value) {
  double printed = value;
  TryParseDouble(FormatNumber(value), printed);
  return printed;
}

// An IS merged period with what the check needs of it, whatever the position.
struct TPeriodFacts {
  explicit TPeriodFacts(TWorkPeriod& period)
      : Period(&period),
        Codes(period.Bases.DelimitedText()),
        AddPdData(period.AddPdData.ToArray()),
        HasData(period.AddPdData.HasData()),
        NoCodes(period.HasLgotSideDataOnly()),
        Days(period.WorkingDays()) {
    for (const std::string& code : AddPdData) {
      if (IsOneOf(kIncapacityCodes, code)) Incapacity = true;
      Forbidden.push_back(IsOneOf(PositionForbiddenAddPdData, code));
    }
  }

  TWorkPeriod* Period;
  std::string Codes;
  std::vector<std::string> AddPdData;
  bool HasData;
  bool NoCodes;
  double Days;
  bool Incapacity = false;
  // Whether each code of AddPdData may not stand on a benefit position.
  std::vector<bool> Forbidden;
  // Validity explanations of the codes of AddPdData, at the same places; made on first use.
  bool Explained = false;
  std::vector<std::string> Early;
  std::vector<std::string> Late;
};

// Validity window of the additional-data codes, looked up by the code's place in ctAddPdData.
class TCodeValidity {
 public:
  explicit TCodeValidity(TDate reference) : fReference(reference) {}

  // Fills the texts of a start after the reference date and of an end before it. Throws when the
  // code or its dates cannot be looked up, or a date text is not a date.
  void Explain(const std::string& code, std::string& early, std::string& late) const {
    early.clear();
    late.clear();
    if (code.empty()) return;
    const std::vector<std::string>& codes = ClassifierList(ctAddPdData);
    auto it = std::find(codes.begin(), codes.end(), code);
    if (it == codes.end()) throw std::runtime_error("код " + code + " не найден в классификаторе");
    size_t index = static_cast<size_t>(it - codes.begin());
    std::string start = Trim(ClassifierList(ctAddPdDataStartDates).at(index));
    std::string end = Trim(ClassifierList(ctAddPdDataEndDates).at(index));
    if (!start.empty() && ParseDate(start) > fReference) early = start;
    if (!end.empty() && ParseDate(end) < fReference) late = end;
  }

  void ExplainOnce(TPeriodFacts& facts) const {
    if (facts.Explained) return;
    facts.Early.assign(facts.AddPdData.size(), std::string());
    facts.Late.assign(facts.AddPdData.size(), std::string());
    for (size_t i = 0; i < facts.AddPdData.size(); ++i) Explain(facts.AddPdData[i], facts.Early[i], facts.Late[i]);
    facts.Explained = true;
  }

 private:
  TDate fReference;
};

}  // namespace

TDate StaffReferenceDate(int year, int period) {
  if (year < 1 || year > 9999 || period < 1 || period > 4)
    throw std::runtime_error("отчетный период " + std::to_string(period) + " " + std::to_string(year) +
                             " не задает дату начала");
  return MakeDate(year, static_cast<unsigned>(FirstQuarterOfPeriod(year, period) * 3 - 2), 1);
}

void TVerification::CheckStaffPositions(TTheList& list, const std::vector<TWorker*>& workers_IS) {
  std::unique_ptr<TTableResult> daysErrors;
  std::unique_ptr<TTableResult> daysWarnings;
  std::unique_ptr<TTableResult> addPdDataErrors;
  try {
    const TCodeValidity validity(StaffReferenceDate(list.fYear, list.fPeriod));

    // What does not depend on the position is worked out once per period.
    std::vector<std::vector<TPeriodFacts>> facts;
    facts.reserve(workers_IS.size());
    for (TWorker* worker : workers_IS) {
      facts.emplace_back();
      if (!worker) continue;
      for (TWorkPeriod* period : worker->MergedWorkPeriods)
        if (period) facts.back().emplace_back(*period);
    }

    // A period takes part in a position's pass when it may match it (same codes and position code),
    // when it has additional data (its codes are checked against every position), or when it has
    // no codes (it belongs to every position). Any other period neither adds days nor reports
    // anything, so each pass visits only the periods that may, in worker and period order: those
    // filed under the position's codes and position code, merged with the ones of every pass.
    using TPlace = std::pair<uint32_t, uint32_t>;  // worker index, period index
    std::vector<TPlace> everyPass;
    std::unordered_map<std::string, std::vector<TPlace>> byKind;
    auto kindKey = [](const std::string& codes, const std::string& positionCode) {
      return codes + '\x1f' + positionCode;
    };
    for (size_t w = 0; w < facts.size(); ++w)
      for (size_t i = 0; i < facts[w].size(); ++i) {
        const TPeriodFacts& x = facts[w][i];
        const TPlace place{static_cast<uint32_t>(w), static_cast<uint32_t>(i)};
        if (!x.AddPdData.empty() || x.NoCodes) everyPass.push_back(place);
        byKind[kindKey(x.Codes, x.Period->ProfessionCode)].push_back(place);
      }
    static const std::vector<TPlace> kNone;
    std::vector<TPlace> pass;

    for (TPosition* position : list.fPositions) {
      if (!position) continue;
      const std::string& positionCodes = position->Bases.DelimitedText();
      double fullDays = 0;
      double lgotDays = 0;
      int workerCount = 0;

      auto kind = byKind.find(kindKey(positionCodes, position->fProfessionCode));
      const std::vector<TPlace>& sameKind = kind == byKind.end() ? kNone : kind->second;
      pass.clear();
      std::set_union(sameKind.begin(), sameKind.end(), everyPass.begin(), everyPass.end(), std::back_inserter(pass));

      size_t lastWorker = SIZE_MAX;
      bool used = false;
      for (const TPlace& place : pass) {
        const size_t w = place.first;
        if (w != lastWorker) {
          if (used) ++workerCount;
          used = false;
          lastWorker = w;
        }
        TWorker* worker = workers_IS[w];
        TPeriodFacts& x = facts[w][place.second];
        {
          TWorkPeriod* period = x.Period;
          // Codes and position code equal are the first two conditions of any match.
          const bool mayMatch = x.Codes == positionCodes && period->ProfessionCode == position->fProfessionCode;
          const bool matches = mayMatch && position->Matches(*period);
          if (!x.AddPdData.empty()) {
            validity.ExplainOnce(x);  // in the order of the first position, so a failure stops where it is met
            for (size_t i = 0; i < x.AddPdData.size(); ++i) {
              const std::string& code = x.AddPdData[i];
              const std::string& early = x.Early[i];
              const std::string& late = x.Late[i];
              if ((matches && x.Forbidden[i]) || !early.empty() || !late.empty()) {
                if (!addPdDataErrors) addPdDataErrors = std::make_unique<TAddPdDataErrors>();
                addPdDataErrors->AddRecord(
                    std::make_unique<TAddPdDataError>(TISSide{worker, period}, early, late, code));
              }
            }
          }

          bool belongs =
              matches ||
              (x.Incapacity && mayMatch &&
               period->Matches(position->Bases, position->fProfessionCode, position->fTerrCond, period->AddPdData)) ||
              x.NoCodes;
          if (!belongs) continue;
          fullDays += x.Days;
          if (!x.HasData) lgotDays += x.Days;
          used = true;
          period->FoundInListPositions = true;
        }
      }
      if (used) ++workerCount;

      if (fCorrPacksOnly) continue;

      // Excess days that lie on periods with additional data are accepted.
      double allowed = AsPrinted(position->fWorkingDays);
      if (allowed < AsPrinted(fullDays) && AsPrinted(lgotDays) > allowed) {
        if (position->fProfessionCode == kHeatingPosition && position->Bases.HasBases("27-2")) {
          if (!daysWarnings) daysWarnings = std::make_unique<TWorkingDaysWarnings>();
          daysWarnings->AddRecord(
              std::make_unique<TWorkingDaysResultRecord>(position, fullDays, lgotDays, workerCount));
        } else {
          if (!daysErrors) daysErrors = std::make_unique<TWorkingDaysErrors>();
          daysErrors->AddRecord(std::make_unique<TWorkingDaysError>(position, fullDays, lgotDays, workerCount));
        }
      }
    }
  } catch (const std::exception& e) {
    // The check ends without findings; the flags set so far stay for ReportPositionsNotFound.
    WriteLogEntry(std::string("Сверка со штатными позициями прервана: ") + e.what(), true);
    return;
  }

  if (daysErrors) AddIfNotEmpty(std::move(daysErrors));
  if (daysWarnings) AddIfNotEmpty(std::move(daysWarnings));
  if (addPdDataErrors) AddIfNotEmpty(std::move(addPdDataErrors));
}

void TVerification::ReportPositionsNotFound(TTheList& /*list*/, const std::vector<TWorker*>& workers_IS) {
  std::unique_ptr<TTableResult> table;
  for (TWorker* worker : workers_IS) {
    if (!worker) continue;
    for (TWorkPeriod* period : worker->MergedWorkPeriods) {
      if (!period || period->FoundInListPositions) continue;
      if (!table) table = std::make_unique<TPositionErrors>();
      table->AddRecord(std::make_unique<TPositionError>(TISSide{worker, period}));
    }
  }
  if (table) AddIfNotEmpty(std::move(table));
}

}  // namespace zz
