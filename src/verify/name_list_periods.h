#pragma once
// Queries of the period comparison with the named list.
#include "isdata/work_period.h"
#include "isdata/worker.h"

namespace zz {

// The worker has a merged period with the same start and finish that matches `period` (codes,
// position code, "СЕЛО" condition, additional data).
bool HasExactTwin(const TWorkPeriod& period, const TWorker& worker);

}  // namespace zz
