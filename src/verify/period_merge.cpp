#include "verify/period_merge.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "isdata/add_pd_data.h"
#include "report/result_records.h"
#include "report/result_tables.h"
#include "settings/strings.h"
#include "settings/utils.h"

namespace zz {

namespace {

// Same start: a stable sort, so that periods starting on one day keep the order they came in.
void SortByStart(std::vector<TWorkPeriod*>& periods) {
  std::stable_sort(periods.begin(), periods.end(),
                   [](const TWorkPeriod* a, const TWorkPeriod* b) { return a->Start < b->Start; });
}

// Two pieces of R that the divider cuts apart: same kind, no worked time on either, same seniority
// basis, overlapping (ends included) and not exactly the same dates.
bool Cross(const TWorkPeriod& a, const TWorkPeriod& b) {
  if (a.BasesAndCode() != b.BasesAndCode()) return false;
  if (a.HasWorkTimeTexts() || b.HasWorkTimeTexts()) return false;
  if (a.SeniorityBase() != b.SeniorityBase()) return false;
  if (!(a.Finish >= b.Start && b.Finish >= a.Start)) return false;
  return !(a.Start == b.Start && a.Finish == b.Finish);
}

bool OverlapAllowed(const TWorkPeriod& a, const TWorkPeriod& b) {
  return InStringArray(CrossingAllowedAddPdData, Trim(a.AddPdData.ToString())) ||
         InStringArray(CrossingAllowedAddPdData, Trim(b.AddPdData.ToString()));
}

// A piece of `a`: its kind (codes, position code, condition, profession, seniority basis, which
// crossing periods share), its own dates and rate, and the defaults of a new period for everything
// else.
TWorkPeriod* MakePiece(TDataArena& arena, const TWorkPeriod& a, TDate start, TDate finish, double rate) {
  TWorkPeriod* piece = arena.Make<TWorkPeriod>();
  // Pieces are copies of a kind of period, not periods being read: no flight-code rule on them.
  piece->Bases.SetOnChange(nullptr);
  piece->Bases = a.Bases;
  piece->ProfessionCode = a.ProfessionCode;
  piece->TerritoryCondition = a.TerritoryCondition;
  piece->Profession = a.Profession;
  piece->SetSeniorityBase(a.SeniorityBase());
  piece->Start = start;
  piece->Finish = finish;
  piece->Rate = rate;
  return piece;
}

// The 27-ПДРК hours of a period go to the pieces that lie within it, in proportion to their days,
// so that the worker's total stays as read; the last piece takes what the rounding to whole
// minutes left. `minutes` holds each piece's running total.
void ShareHours(const TWorkPeriod& period, const std::vector<TWorkPeriod*>& pieces, std::vector<double>& minutes) {
  const double total = period.PDRKHours * 60 + period.PDRKMinutes;
  if (total == 0) return;
  const double days = static_cast<double>(DaysInclusive(period.Start, period.Finish));
  std::vector<size_t> within;
  for (size_t i = 0; i < pieces.size(); ++i)
    if (pieces[i]->Start >= period.Start && pieces[i]->Finish <= period.Finish) within.push_back(i);
  double given = 0;
  for (size_t k = 0; k < within.size(); ++k) {
    const TWorkPeriod& piece = *pieces[within[k]];
    double share = k + 1 == within.size()
                       ? total - given
                       : std::round(total * static_cast<double>(DaysInclusive(piece.Start, piece.Finish)) / days);
    given += share;
    minutes[within[k]] += share;
  }
}

// The pieces of two crossing periods, in order.
std::vector<TWorkPeriod*> Split(TDataArena& arena, const TWorkPeriod& a, const TWorkPeriod& b) {
  const auto day = std::chrono::days{1};
  const double both = a.Rate + b.Rate;
  std::vector<TWorkPeriod*> pieces;
  auto add = [&](TDate s, TDate f, double rate) { pieces.push_back(MakePiece(arena, a, s, f, rate)); };
  if (a.Start == b.Start) {
    if (a.Finish < b.Finish) {
      add(a.Start, a.Finish, both);
      add(a.Finish + day, b.Finish, b.Rate);
    } else {
      add(a.Start, b.Finish, both);
      add(b.Finish + day, a.Finish, a.Rate);
    }
  } else if (a.Finish == b.Finish) {
    if (a.Start < b.Start) {
      add(a.Start, b.Start - day, a.Rate);
      add(b.Start, a.Finish, both);
    } else {
      add(b.Start, a.Start - day, b.Rate);
      add(a.Start, a.Finish, both);
    }
  } else if (a.Start < b.Start && b.Finish < a.Finish) {  // b inside a
    add(a.Start, b.Start - day, a.Rate);
    add(b.Start, b.Finish, both);
    add(b.Finish + day, a.Finish, a.Rate);
  } else if (b.Start < a.Start && a.Finish < b.Finish) {  // a inside b
    add(b.Start, a.Start - day, b.Rate);
    add(a.Start, a.Finish, both);
    add(a.Finish + day, b.Finish, b.Rate);
  } else if (a.Start < b.Start) {  // a starts first, b ends last
    add(a.Start, b.Start - day, a.Rate);
    add(b.Start, a.Finish, both);
    add(a.Finish + day, b.Finish, b.Rate);
  } else {  // b starts first, a ends last
    add(b.Start, a.Start - day, b.Rate);
    add(a.Start, b.Finish, both);
    add(b.Finish + day, a.Finish, a.Rate);
  }
  std::vector<double> minutes(pieces.size(), 0.0);
  ShareHours(a, pieces, minutes);
  ShareHours(b, pieces, minutes);
  for (size_t i = 0; i < pieces.size(); ++i) {
    pieces[i]->PDRKHours = std::floor(minutes[i] / 60);
    pieces[i]->PDRKMinutes = minutes[i] - pieces[i]->PDRKHours * 60;
  }
  return pieces;
}

// Worked time is kept as the integer texts of the files; anything else cannot be added up.
long long WorkTimeValue(const std::string& text, const char* what) {
  int value = 0;
  if (!TryParseInt(Trim(text), value))
    throw std::runtime_error(std::string("'") + text + "' is not a valid integer value (" + what + ")");
  return value;
}

std::string AddWorkTime(const std::string& a, const std::string& b, const char* what) {
  return std::to_string(WorkTimeValue(a, what) + WorkTimeValue(b, what));
}

// The distinct non-empty territorial conditions of both texts, in alphabetical order, one blank
// between them. A text may already hold several conditions (a period joined before).
std::string JoinConditions(const std::string& a, const std::string& b) {
  std::vector<std::string> codes = SplitBlanks(a);
  for (std::string& code : SplitBlanks(b)) codes.push_back(std::move(code));
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return Join(codes, " ");
}

// Joins S into M (S ends the day before M starts, or starts the day after M ends).
void JoinInto(TWorkPeriod& M, const TWorkPeriod& S) {
  if (S.Finish < M.Start)
    M.Start = S.Start;
  else
    M.Finish = S.Finish;
  M.AddPdData.Merge(S.AddPdData);
  M.Months = AddWorkTime(M.Months, S.Months, "months");
  M.Days = AddWorkTime(M.Days, S.Days, "days");
  M.Hours = AddWorkTime(M.Hours, S.Hours, "hours");
  M.Minutes = AddWorkTime(M.Minutes, S.Minutes, "minutes");
  M.PDRKHours += S.PDRKHours;
  M.PDRKMinutes += S.PDRKMinutes;
  // One carry per join: 25 + 40 days give 1 month 35 days.
  if (WorkTimeValue(M.Days, "days") > 29) {
    M.Days = std::to_string(WorkTimeValue(M.Days, "days") - 30);
    M.Months = std::to_string(WorkTimeValue(M.Months, "months") + 1);
  }
  if (M.PDRKMinutes > 59) {
    M.PDRKMinutes -= 60;
    M.PDRKHours += 1;
  }
  MergePeriodWC(S, M);
  M.TerritoryCondition = JoinConditions(S.TerritoryCondition, M.TerritoryCondition);
}

// A named-list period whose worked time is present on one side only still joins when the IS
// worker has a no-benefit period spanning the joined dates.
bool CoveredByNoLgotPeriod(const TWorker* ISWorker, const TWorkPeriod& M, const TWorkPeriod& S) {
  if (!ISWorker) return false;
  for (const TWorkPeriod* X : ISWorker->MergedWorkPeriods)
    if (X && X->HasNoLgotAddPdData() && X->Start <= M.Start && X->Finish >= S.Finish) return true;
  return false;
}

bool Joinable(const TWorkPeriod& S, const TWorkPeriod& M, bool isIS, const TWorker* ISWorker) {
  if (S.HasFactWorkedTime() == M.HasFactWorkedTime()) return true;
  if (isIS) return S.HasNoLgotAddPdData() || M.HasNoLgotAddPdData();
  return CoveredByNoLgotPeriod(ISWorker, M, S);
}

bool Adjacent(const TWorkPeriod& S, const TWorkPeriod& M) {
  const auto day = std::chrono::days{1};
  return M.Start - S.Finish == day || S.Start - M.Finish == day;
}

}  // namespace

double RoundRate2(double rate) {
  const double scaled = rate * 100.0;
  if (!std::isfinite(scaled)) return rate;
  double whole = std::floor(scaled);
  const double rest = scaled - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return whole / 100.0;
}

bool SameRate2(double a, double b) { return RoundRate2(a) == RoundRate2(b); }

void MergePeriodWC(const TWorkPeriod& Period1, TWorkPeriod& Period2) {
  if (!Period1.WC.empty() && !Period2.WC.empty())
    Period2.WC = Period2.WC + ";" + Period1.WC;
  else if (!Period1.WC.empty())
    Period2.WC = Period1.WC;
}

void DivideCrossWorkPeriods(TWorker& worker, TDataArena& arena, TResultList* ErrorResults) {
  if (worker.WorkPeriods.empty()) return;
  std::vector<TWorkPeriod*> read;
  for (TWorkPeriod* p : worker.WorkPeriods)
    if (p) read.push_back(p);
  if (read.empty()) return;
  std::vector<TWorkPeriod*> sorted = read;
  SortByStart(sorted);

  TCrossingPDPeriodsErrors* table = nullptr;
  // R holds the periods as read until one has to change: a period that takes part in a split is
  // replaced by its pieces, and one whose rate grows below is copied first. The periods as read are
  // never changed, and a copy is made only where something differs from them (most periods of a
  // worker cross nothing).
  std::vector<TWorkPeriod*> R{sorted.front()};
  std::unordered_set<const TWorkPeriod*> own;  // members of R made here
  for (size_t i = 1; i < sorted.size(); ++i) {
    const TWorkPeriod& B = *sorted[i];
    bool crossed = false;
    for (size_t j = 0; j < R.size(); ++j) {
      const TWorkPeriod& A = *R[j];
      if (!Cross(A, B)) continue;
      if (ErrorResults && !OverlapAllowed(A, B)) {
        if (!table) {
          auto created = std::make_unique<TCrossingPDPeriodsErrors>();
          table = created.get();
          ErrorResults->push_back(std::move(created));
        }
        table->AddRecord(std::make_unique<TCrossingPDPeriodError>(&A, &B, &worker));
      }
      std::vector<TWorkPeriod*> pieces = Split(arena, A, B);
      own.insert(pieces.begin(), pieces.end());
      R.erase(R.begin() + static_cast<std::ptrdiff_t>(j));
      R.insert(R.end(), pieces.begin(), pieces.end());
      crossed = true;
      break;
    }
    if (!crossed) R.push_back(sorted[i]);
  }

  // The periods as read stay in the arena (records may refer to them) and in FParsePeriods.
  worker.FParsePeriods = worker.WorkPeriods;

  // Identical pieces become one with the rates added. The pieces are our own fresh copies that
  // nothing else refers to, so they are taken over; a period as read is copied before its rate grows.
  std::vector<TWorkPeriod*> R2{R.front()};
  for (size_t i = 1; i < R.size(); ++i) {
    TWorkPeriod* X = R[i];
    TWorkPeriod** same = nullptr;
    for (TWorkPeriod*& Y : R2)
      if (X->Start == Y->Start && X->Finish == Y->Finish && X->Matches(*Y) &&
          X->SeniorityBase() == Y->SeniorityBase()) {
        same = &Y;
        break;
      }
    if (same) {
      if (!own.count(*same)) {
        *same = (*same)->Clone(arena);
        own.insert(*same);
      }
      (*same)->Rate += X->Rate;
    } else {
      R2.push_back(X);
    }
  }
  worker.WorkPeriods = std::move(R2);
}

void MergeWorkPeriods(TWorker& worker, TDataArena& arena, bool isIS, const TWorker* ISWorker) {
  std::erase(worker.WorkPeriods, nullptr);
  if (worker.WorkPeriods.empty()) return;
  SortByStart(worker.WorkPeriods);

  std::vector<TWorkPeriod*> T{worker.WorkPeriods.front()->Clone(arena)};
  for (size_t i = 1; i < worker.WorkPeriods.size(); ++i) {
    const TWorkPeriod& S = *worker.WorkPeriods[i];
    bool joined = false;
    for (TWorkPeriod* M : T) {
      if (!S.Matches(*M) || S.SeniorityBase() != M->SeniorityBase() || !SameRate2(S.Rate, M->Rate)) continue;
      if (!Joinable(S, *M, isIS, ISWorker)) continue;
      if (!Adjacent(S, *M)) continue;
      JoinInto(*M, S);
      joined = true;
      break;
    }
    if (!joined) T.push_back(S.Clone(arena));
  }

  // Pieces with the same dates collapse, the rate capped at the full rate. T's members are fresh
  // copies of our own, taken over as the merged periods.
  std::vector<TWorkPeriod*>& merged = worker.MergedWorkPeriods;
  merged.push_back(T.front());
  for (size_t i = 1; i < T.size(); ++i) {
    TWorkPeriod* S = T[i];
    TWorkPeriod* same = nullptr;
    for (TWorkPeriod* M : merged)
      if (M && S->Start == M->Start && S->Finish == M->Finish && S->Matches(*M)) {
        same = M;
        break;
      }
    if (!same) {
      merged.push_back(S);
      continue;
    }
    same->Rate += S->Rate;
    MergePeriodWC(*S, *same);
    if (same->Rate > 1) same->Rate = 1;
    same->TerritoryCondition = JoinConditions(same->TerritoryCondition, S->TerritoryCondition);
  }
}

}  // namespace zz
