#pragma once
// index.html at the intake's report root: the summary as a worklist for the office.
#include <string>

#include "app/intake_summary.h"

namespace zz {

// The page: counts per verdict at the top, each a filter; the employers that need action first; a
// search by number or name; sort, filter and search kept across the reloads while the intake runs.
// Plain HTML with a small inline script, no external resources.
std::string IndexPage(const TSummary& summary);

// Which employers need action first: failed runs, errors, damaged files, then the verdicts
// 12/22/23/25/11/10, then warnings, then clean; the runs under way, then those still waiting.
int WorklistRank(const TSummaryRow& row);

}  // namespace zz
