#pragma once
// One Perechen: the staff positions of the organisation and the named list of workers with their
// periods, read for one reporting period from the "Перечень" element of a local file or of a reply
// of the list server.
//
// Workers, periods and positions live in a data arena. A Perechen made with the default constructor
// owns an arena of its own, so that everything it read goes when it goes (the set owns the Perechen,
// so that is when the set is released). A Perechen made with an arena of the caller puts everything
// into that arena instead; the arena must then outlive the Perechen's use of its objects.
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/dates.h"
#include "base/logger.h"
#include "base/read_result.h"
#include "isdata/bases.h"
#include "isdata/data_arena.h"
#include "isdata/position.h"
#include "isdata/work_period.h"
#include "isdata/worker.h"
#include "results/result.h"
#include "xml/my_node.h"

namespace zz {

class TMyNode;

// A field of the Perechen that cannot be read: a missing required attribute, a date or a number
// that is none. The Perechen is then not usable at all; the text names the element, the attribute
// and the line.
// A field of a Perechen that cannot be read: the Perechen is not used. Error() is the reader's error
// (the text, the line of the element; the file is the caller's to name).
class TListFieldError : public std::runtime_error {
 public:
  TListFieldError(const std::string& text, const TMyNode* node)
      : std::runtime_error(text), fError{text, {}, node ? node->LineNumber() : 0} {}
  const TReadError& Error() const { return fError; }

 private:
  TReadError fError;
};

class TTheList : public TLoggingObject {
 public:
  TTheList();
  explicit TTheList(TDataArena& arena);
  TTheList(const TTheList&) = delete;
  TTheList& operator=(const TTheList&) = delete;
  ~TTheList() override;

  // Reads the Perechen below the "Перечень" element. The caller sets fYear, fPeriod, FAccumulate and
  // fFileName first. A missing required attribute or an unreadable date or number outside a work
  // period ends the reading with std::runtime_error; what was read until then stays.
  void readStaff(int year, int period, const TMyNode* listNode);
  // Reads one named list of a subdivision (readStaff calls it for each subdivision that has one).
  void readWorkersList(TDate QBeginDate, TDate QEndDate, const TMyNode* NamesList, const std::string& numSub,
                       const std::string& SubName);

  // First position in list order that matches the codes, the upper-cased position code and the
  // upper-cased territorial condition by the position-matching rule; null when none does.
  TPosition* GetPositionByBasesAndCode(const TBases& Bases, std::string_view profCode, std::string_view terrCond) const;
  // The named-list worker with exactly this insurance number ("NNN-NNN-NNN NN"), or null.
  TWorker* FindWorkerBySN(std::string_view sn) const;

  bool Accumulate() const { return FAccumulate; }
  void SetAccumulate(bool value) { FAccumulate = value; }
  // Bounds of the reporting period as the last readStaff computed them; empty when it read nothing.
  std::optional<TDate> QuarterBegin() const { return fQBegin; }
  std::optional<TDate> QuarterEnd() const { return fQEnd; }
  TDataArena& Arena() const { return *fArena; }

  bool FAccumulate = false;
  int fYear = 0;
  // 1-4; for 2010: 2 = first half-year, 4 = second half-year.
  int fPeriod = 0;
  std::string fFileName;
  std::string fOrgName;
  double fNavDays = 0;
  double fWarmDays = 0;
  // The named list: one worker per insurance number, in first-seen order (objects in the arena).
  std::vector<TWorker*> fWorkers;
  // Staff positions, one per distinct codes/position code/condition, in first-seen order.
  std::vector<TPosition*> fPositions;
  // Messages about the Perechen's content, in the order met; the verification takes them over.
  std::vector<std::unique_ptr<TListError>> fParseErrors_List;

 private:
  enum class TSeason { Heating, Navigation };

  double SeasonDays(const TMyNode* node, TSeason season, TDate QBegin, TDate QEnd);
  TBases ReadBases(const TMyNode* node) const;
  void ReadWorkPeriods(TWorker* worker, const std::string& numSub, const TMyNode* workerNode, TDate QEnd, TDate QBegin);
  // Reads one period into `period`; false when the period is left out (archive mark, outside the
  // quarter). Throws on an unreadable field.
  bool ReadWorkPeriod(TWorkPeriod* period, const TMyNode* periodNode, TDate QEnd, TDate QBegin) const;
  void MergeOrAppend(TWorker* worker, TWorkPeriod* period, const std::string& numSub);
  // Computes the bounds of the reporting period; false when the period is not one of the four.
  bool QuarterBounds(int year, int period, TDate& QBegin, TDate& QEnd) const;
  void AddPosition(TPosition* position);
  void AddMessage(std::unique_ptr<TListError> message);

  std::unique_ptr<TDataArena> fOwnArena;
  TDataArena* fArena = nullptr;
  std::optional<TDate> fQBegin;
  std::optional<TDate> fQEnd;

  // Look-ups that keep the first match in list order without scanning the lists: workers by their
  // insurance number; positions by codes and position code, each bucket in list order (the
  // territorial condition is then tested within the bucket).
  std::unordered_map<std::string, TWorker*> fWorkersBySN;
  std::unordered_map<std::string, std::vector<TPosition*>> fPositionsByKey;
  // The named-list periods of a worker with many of them, by their dates, in list order: a period
  // read is merged only into one of the same dates.
  using TPeriodsByDates = std::map<std::pair<TDate, TDate>, std::vector<TWorkPeriod*>>;
  std::unordered_map<const TWorker*, TPeriodsByDates> fPeriodsByDates;
};

// A decimal number with "." as separator (the Perechen's own format); false for anything else,
// a comma separator included.
bool TryParseListNumber(std::string_view text, double& value);

}  // namespace zz
