#pragma once
// Normalising a worker's periods before any comparison: overlapping periods of the same kind are cut
// into pieces that do not overlap (DivideCrossWorkPeriods), then adjacent periods of the same kind are
// joined and pieces with the same dates collapsed (MergeWorkPeriods). Every later check compares
// the worker's MergedWorkPeriods.
//
// New periods (copies, pieces, joined periods) are made in the arena of the set being verified; the
// periods as read are never changed.
#include <memory>
#include <vector>

#include "isdata/data_arena.h"
#include "isdata/work_period.h"
#include "isdata/worker.h"
#include "results/result.h"

namespace zz {

using TResultList = std::vector<std::unique_ptr<TResult>>;

// Replaces worker.WorkPeriods with pieces that do not overlap; the list as read goes to
// FParsePeriods. With ErrorResults (IS workers) an overlap that no additional-data code allows is
// reported in a TCrossingPDPeriodsErrors table of the worker's own, appended to ErrorResults at its
// first row. Nothing happens for a worker without periods.
void DivideCrossWorkPeriods(TWorker& worker, TDataArena& arena, TResultList* ErrorResults);

// Appends the worker's joined periods to worker.MergedWorkPeriods (sorting WorkPeriods by start).
// isIS: the worker comes from the IS files (ISWorker is then null). For a named-list worker,
// ISWorker is the IS worker with the same insurance number, already merged, or null. Throws
// std::runtime_error when a worked-time text to be added up is not an integer.
void MergeWorkPeriods(TWorker& worker, TDataArena& arena, bool isIS, const TWorker* ISWorker);

// Joins Period1's working-conditions class into Period2's: "<Period2.WC>;<Period1.WC>" when both
// are set, Period1's when only it is set.
void MergePeriodWC(const TWorkPeriod& Period1, TWorkPeriod& Period2);

// A rate taken to two decimal places, a value exactly halfway going to the even neighbour
// (0.125 -> 0.12, 0.375 -> 0.38). Rates are compared in this form.
double RoundRate2(double rate);

// The two rates are equal at two decimal places.
bool SameRate2(double a, double b);

}  // namespace zz
