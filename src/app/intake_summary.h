#pragma once
// The intake's summary at the report root: summary.csv for programs and index.html for people,
// rebuilt from the findings the runs left, so that the intake and --summarize give the same.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/intake_grouping.h"
#include "app/intake_jobs.h"

namespace zz {

// How a child run ended, as the intake saw it.
struct TRunOutcome {
  int ExitCode = 0;
  int Signal = 0;  // non-zero when the run was ended by a signal
  double Seconds = 0;
};

struct TSummaryRow {
  std::string RegNum;
  std::string Organisation;
  std::optional<int> ExitCode;
  std::string Meaning;
  std::optional<int> Errors;
  std::optional<int> Warnings;
  std::string Protocol;  // relative to the report root
  std::optional<double> Seconds;
  // Its run ended and left nothing to read (--summarize): shown as failed, not as waiting.
  bool Missing = false;

  // The run reached its protocol: not a critical failure, not a refusal, not an unfinished run.
  bool Completed() const { return ExitCode && *ExitCode != 29 && !Protocol.empty(); }
};

// The row of one employer. With an outcome, the run's own exit code decides; without one, what its
// findings file says; `state` stands in when there is neither ("ожидает", "выполняется").
TSummaryRow MakeSummaryRow(const TIntakeLayout& layout, const std::string& regNum, const TRunOutcome* outcome,
                           const std::string& state);

struct TSummary {
  std::vector<TSummaryRow> Rows;
  std::vector<TUnassignedFile> Unassigned;
  bool Running = false;  // the page reloads itself while the intake runs
  bool Interrupted = false;
};

// Writes summary.csv and index.html at the report root, each replaced in one step.
void WriteSummary(const TIntakeLayout& layout, const TSummary& summary);

// The summary of what the runs left, for --summarize: employers from the intake's manifest, or the
// report root's directories named by a registration number when there is no manifest.
TSummary SummarizeReportRoot(const TIntakeLayout& layout);

}  // namespace zz
