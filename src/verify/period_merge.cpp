// Merging and splitting a worker's periods before comparison.
#include "verify/period_merge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/strings.h"
#include "base/utils.h"
#include "isdata/add_pd_data.h"
#include "results/result_records.h"
#include "results/result_tables.h"

namespace zz {

namespace {

// Same start: a stable sort, so that periods starting on one day keep the order they came in.
void SortByStart(std::vector<TWorkPeriod*>& periods) {
  std::stable_sort(periods.begin(), periods.end(),
                   [](const TWorkPeriod* a, const TWorkPeriod* b) { return a->Start < b->Start; });
}

bool OverlapAllowed(const TWorkPeriod& a, const TWorkPeriod& b) {
  return InStringArray(CrossingAllowedAddPdData, Trim(a.AddPdData.ToString())) ||
         InStringArray(CrossingAllowedAddPdData, Trim(b.AddPdData.ToString()));
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

// A worker has few periods as a rule: up to this many, look-ups scan them instead of filing them.
constexpr size_t kScanned = 16;

using TDates = std::pair<TDate, TDate>;

TDates DatesOf(const TWorkPeriod& p) { return {p.Start, p.Finish}; }

struct TDayHash {
  size_t operator()(TDate d) const { return std::hash<int64_t>{}(d.time_since_epoch().count()); }
};

struct TDatesHash {
  size_t operator()(const TDates& d) const {
    const auto a = static_cast<uint64_t>(d.first.time_since_epoch().count());
    const auto b = static_cast<uint64_t>(d.second.time_since_epoch().count());
    return std::hash<uint64_t>{}(a * 0x9E3779B97F4A7C15ull ^ b);
  }
};

// Places in a list of periods, by the periods' dates, each in list order.
using TByDates = std::unordered_map<TDates, std::vector<size_t>, TDatesHash>;

// The members of the divider's list R that a later period may cross (Cross). Few members are
// scanned. Otherwise only members of the same kind without worked time are candidates, and, the later periods coming by
// start, a member that ends before the current one starts never will again. The live members of a kind are kept by
// dates, each dates' places in R in order, so that the first crossing member in R's order is found among the distinct
// dates still open instead of among all of R.
class TCrossCandidates {
 public:
  static constexpr size_t kNone = SIZE_MAX;

  TCrossCandidates(std::vector<TWorkPeriod*>& members, bool scan) : fR(members), fScan(scan) {}

  void Add(TWorkPeriod* p) {
    fR.push_back(p);
    if (fScan || p->HasWorkTimeTexts()) return;
    TGroup& group = fGroups[KindOf(*p)];
    TBucket& bucket = group.ByDates[DatesOf(*p)];
    bucket.Places.push_back(fR.size() - 1);
    if (!bucket.Listed) {
      bucket.Listed = true;
      bucket.Dates = DatesOf(*p);
      group.Open.push_back(&bucket);
    }
  }

  // The first member of R (by place) that crosses B, or kNone.
  size_t FirstCrossing(const TWorkPeriod& B) {
    if (fScan) {
      for (size_t j = 0; j < fR.size(); ++j)
        if (fR[j] && Cross(*fR[j], B)) return j;
      return kNone;
    }
    if (B.HasWorkTimeTexts()) return kNone;
    auto found = fGroups.find(KindOf(B));
    if (found == fGroups.end()) return kNone;
    std::vector<TBucket*>& open = found->second.Open;
    size_t first = kNone;
    for (size_t k = 0; k < open.size();) {
      TBucket* bucket = open[k];
      if (bucket->Head == bucket->Places.size() || bucket->Dates.second < B.Start) {
        bucket->Listed = false;
        bucket->Places.clear();
        bucket->Head = 0;
        open[k] = open.back();
        open.pop_back();
        continue;
      }
      if (bucket->Dates.first <= B.Finish && bucket->Dates != DatesOf(B))
        first = std::min(first, bucket->Places[bucket->Head]);
      ++k;
    }
    return first;
  }

  // Takes the member at place j (found by FirstCrossing) out of R, leaving a null place.
  void Remove(size_t j) {
    if (fScan) {
      fR[j] = nullptr;
      return;
    }
    TBucket& bucket = fGroups[KindOf(*fR[j])].ByDates[DatesOf(*fR[j])];
    ++bucket.Head;  // j is the first place of its dates
    fR[j] = nullptr;
  }

 private:
  struct TBucket {
    TDates Dates{};
    std::vector<size_t> Places;
    size_t Head = 0;
    bool Listed = false;
  };
  struct TGroup {
    std::unordered_map<TDates, TBucket, TDatesHash> ByDates;  // references stay valid as it grows
    std::vector<TBucket*> Open;
  };

  static std::string KindOf(const TWorkPeriod& p) {
    std::string key = p.BasesAndCode();
    key += '\0';
    key += p.SeniorityBase();
    return key;
  }

  std::vector<TWorkPeriod*>& fR;
  const bool fScan;
  std::unordered_map<std::string, TGroup> fGroups;
};

// A piece of `a`: its kind (codes, position code, condition, profession, seniority basis, which
// crossing periods share), its own dates and rate, and the defaults of a new period for everything
// else.
TWorkPeriod* MakePiece(TDataArena& arena, const TWorkPeriod& a, TDate start, TDate finish, double rate) {
  TWorkPeriod* piece = arena.Make<TWorkPeriod>();
  // Pieces are copies of a kind of period, not periods being read: no flight-code rule on them.
  piece->Bases.SetOnChange(nullptr, nullptr);
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
// worker has a no-benefit period spanning the joined dates. The no-benefit periods are sorted by
// start with the latest finish so far, so that a question is one binary search.
class TNoLgotCover {
 public:
  explicit TNoLgotCover(const TWorker* ISWorker) {
    if (!ISWorker) return;
    for (const TWorkPeriod* X : ISWorker->MergedWorkPeriods)
      if (X && X->HasNoLgotAddPdData()) fSpans.emplace_back(X->Start, X->Finish);
    std::sort(fSpans.begin(), fSpans.end());
    for (size_t i = 1; i < fSpans.size(); ++i) fSpans[i].second = std::max(fSpans[i].second, fSpans[i - 1].second);
  }

  // Some no-benefit period starts on or before `from` and ends on or after `to`.
  bool Covers(TDate from, TDate to) const {
    auto end = std::upper_bound(fSpans.begin(), fSpans.end(), from,
                                [](TDate d, const TDates& span) { return d < span.first; });
    return end != fSpans.begin() && std::prev(end)->second >= to;
  }

 private:
  std::vector<TDates> fSpans;  // start, latest finish of the spans up to this one
};

bool Joinable(const TWorkPeriod& S, const TWorkPeriod& M, bool isIS, const TNoLgotCover& cover) {
  if (S.HasFactWorkedTime() == M.HasFactWorkedTime()) return true;
  if (isIS) return S.HasNoLgotAddPdData() || M.HasNoLgotAddPdData();
  return cover.Covers(M.Start, S.Finish);
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
  // worker cross nothing). A member replaced by its pieces is left as a null place, so that R keeps
  // the order in which its members came.
  std::vector<TWorkPeriod*> R;
  std::unordered_set<const TWorkPeriod*> own;  // members of R made here
  TCrossCandidates candidates(R, sorted.size() <= kScanned);
  candidates.Add(sorted.front());
  for (size_t i = 1; i < sorted.size(); ++i) {
    const TWorkPeriod& B = *sorted[i];
    const size_t j = candidates.FirstCrossing(B);
    if (j == TCrossCandidates::kNone) {
      candidates.Add(sorted[i]);
      continue;
    }
    const TWorkPeriod& A = *R[j];
    if (ErrorResults && !OverlapAllowed(A, B)) {
      if (!table) {
        auto created = std::make_unique<TCrossingPDPeriodsErrors>();
        table = created.get();
        ErrorResults->push_back(std::move(created));
      }
      table->AddRecord(std::make_unique<TCrossingPDPeriodError>(TISSide{&worker, R[j]}, &B));
    }
    std::vector<TWorkPeriod*> pieces = Split(arena, A, B);
    own.insert(pieces.begin(), pieces.end());
    candidates.Remove(j);
    for (TWorkPeriod* piece : pieces) candidates.Add(piece);
  }
  std::erase(R, nullptr);

  // The periods as read stay in the arena (records may refer to them) and in FParsePeriods.
  worker.FParsePeriods = worker.WorkPeriods;

  // Identical pieces become one with the rates added. The pieces are our own fresh copies that
  // nothing else refers to, so they are taken over; a period as read is copied before its rate grows.
  std::vector<TWorkPeriod*> R2{R.front()};
  const bool scan = R.size() <= kScanned;
  TByDates r2Dates;
  if (!scan) r2Dates[DatesOf(*R.front())].push_back(0);
  for (size_t i = 1; i < R.size(); ++i) {
    TWorkPeriod* X = R[i];
    TWorkPeriod** same = nullptr;
    std::vector<size_t>* sameDates = scan ? nullptr : &r2Dates[DatesOf(*X)];
    auto sameAs = [&](size_t k) {
      TWorkPeriod*& Y = R2[k];
      if (X->Start == Y->Start && X->Finish == Y->Finish && X->Matches(*Y) && X->SeniorityBase() == Y->SeniorityBase())
        same = &Y;
      return same != nullptr;
    };
    if (scan) {
      for (size_t k = 0; k < R2.size(); ++k)
        if (sameAs(k)) break;
    } else {
      for (size_t k : *sameDates)
        if (sameAs(k)) break;
    }
    if (same) {
      if (!own.count(*same)) {
        *same = (*same)->Clone(arena);
        own.insert(*same);
      }
      (*same)->Rate += X->Rate;
    } else {
      if (sameDates) sameDates->push_back(R2.size());
      R2.push_back(X);
    }
  }
  worker.WorkPeriods = std::move(R2);
}

void MergeWorkPeriods(TWorker& worker, TDataArena& arena, bool isIS, const TWorker* ISWorker) {
  std::erase(worker.WorkPeriods, nullptr);
  if (worker.WorkPeriods.empty()) return;
  SortByStart(worker.WorkPeriods);
  const TNoLgotCover cover(isIS ? nullptr : ISWorker);
  const auto day = std::chrono::days{1};

  // A period joins the first member of T (in T's order) of its kind and rate that ends the day before
  // it starts or starts the day after it ends. Members are found by those two dates; a join moves one
  // of a member's ends, and a place filed under the old date is passed over when met.
  const bool scan = worker.WorkPeriods.size() <= kScanned;
  std::vector<TWorkPeriod*> T{worker.WorkPeriods.front()->Clone(arena)};
  std::unordered_map<TDate, std::vector<size_t>, TDayHash> byFinish, byStart;
  if (!scan) {
    byFinish[T.front()->Finish].push_back(0);
    byStart[T.front()->Start].push_back(0);
  }
  std::vector<size_t> places;
  for (size_t i = 1; i < worker.WorkPeriods.size(); ++i) {
    const TWorkPeriod& S = *worker.WorkPeriods[i];
    places.clear();
    if (scan) {
      for (size_t k = 0; k < T.size(); ++k)
        if (T[k]->Finish == S.Start - day || T[k]->Start == S.Finish + day) places.push_back(k);
    }
    if (auto f = byFinish.find(S.Start - day); f != byFinish.end())
      for (size_t k : f->second)
        if (T[k]->Finish == f->first) places.push_back(k);
    if (auto f = byStart.find(S.Finish + day); f != byStart.end())
      for (size_t k : f->second)
        if (T[k]->Start == f->first) places.push_back(k);
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    bool joined = false;
    for (size_t k : places) {
      TWorkPeriod* M = T[k];
      if (!S.Matches(*M) || S.SeniorityBase() != M->SeniorityBase() || !SameRate2(S.Rate, M->Rate)) continue;
      if (!Joinable(S, *M, isIS, cover)) continue;
      const TDate start = M->Start;
      JoinInto(*M, S);
      if (!scan) {
        if (M->Start != start)
          byStart[M->Start].push_back(k);
        else
          byFinish[M->Finish].push_back(k);
      }
      joined = true;
      break;
    }
    if (!joined) {
      T.push_back(S.Clone(arena));
      if (scan) continue;
      byFinish[T.back()->Finish].push_back(T.size() - 1);
      byStart[T.back()->Start].push_back(T.size() - 1);
    }
  }

  // Pieces with the same dates collapse, the rate capped at the full rate. T's members are fresh
  // copies of our own, taken over as the merged periods.
  std::vector<TWorkPeriod*>& merged = worker.MergedWorkPeriods;
  const bool scanMerged = merged.size() + T.size() <= kScanned;
  TByDates mergedDates;
  if (!scanMerged) {
    for (size_t k = 0; k < merged.size(); ++k)
      if (merged[k]) mergedDates[DatesOf(*merged[k])].push_back(k);
    mergedDates[DatesOf(*T.front())].push_back(merged.size());
  }
  merged.push_back(T.front());
  for (size_t i = 1; i < T.size(); ++i) {
    TWorkPeriod* S = T[i];
    TWorkPeriod* same = nullptr;
    std::vector<size_t>* sameDates = scanMerged ? nullptr : &mergedDates[DatesOf(*S)];
    if (scanMerged) {
      for (TWorkPeriod* M : merged)
        if (M && S->Start == M->Start && S->Finish == M->Finish && S->Matches(*M)) {
          same = M;
          break;
        }
    } else {
      for (size_t k : *sameDates)
        if (S->Matches(*merged[k])) {
          same = merged[k];
          break;
        }
    }
    if (!same) {
      if (sameDates) sameDates->push_back(merged.size());
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
