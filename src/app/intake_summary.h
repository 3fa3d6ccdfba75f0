#pragma once
// The intake's summary at the report root: summary.csv and unassigned.csv for programs, index.html
// and summary.xlsx for people, rebuilt from the findings the runs left, so that the intake and
// --summarize give the same.
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
  int Signal = 0;         // non-zero when the run was ended by a signal
  bool TimedOut = false;  // ended by the intake for taking longer than its limit
  double Seconds = 0;
};

struct TSummaryRow {
  std::string RegNum;
  std::string Organisation;
  std::optional<int> ExitCode;
  std::string Meaning;
  std::optional<int> Errors;
  std::optional<int> Warnings;
  std::optional<int> Damaged;  // inputs the run could not read whole
  std::string Protocol;        // relative to the report root
  std::string Findings;        // the findings file read, relative to the report root
  std::optional<double> Seconds;
  // Its run ended and left nothing to read (--summarize): shown as failed, not as waiting.
  bool Missing = false;

  // The run reached its protocol: not a critical failure, not a refusal, not an unfinished run.
  bool Completed() const { return ExitCode && *ExitCode != 29 && !Protocol.empty(); }
  // Ended, and not with a verdict: a critical error, a refusal, a signal, nothing left to read.
  bool Failed() const { return Missing || (ExitCode && !Completed()); }
};

// The row of one employer. With an outcome, the run's own exit code decides; without one, what its
// findings file says; `state` stands in when there is neither ("ожидает", "выполняется").
TSummaryRow MakeSummaryRow(const TIntakeLayout& layout, const std::string& regNum, const TRunOutcome* outcome,
                           const std::string& state);

// Why a file without a number in its name went to no employer.
inline constexpr const char* kUnassignedReason = "в имени нет рег. номера";
// The file's reason as the summary files show it (its own, or that of a file without a number),
// escaped as ShownPath escapes, since a reason may name another path.
std::string ShownReason(const TUnassignedFile& file);

struct TSummary {
  std::vector<TSummaryRow> Rows;
  std::vector<TUnassignedFile> Unassigned;
  bool Running = false;  // the page reloads itself while the intake runs
  bool Interrupted = false;
};

// Writes summary.csv, unassigned.csv and index.html at the report root, each replaced in one step;
// once the intake has ended (not Running) summary.xlsx too, which is only removed while it runs, lest
// an earlier intake's workbook pass for this one's. A file that cannot be written is reported on
// standard error; after the end its earlier version is removed (a page saying the intake still runs
// is replaced by one saying the summary was lost). Returns false when any file was not written.
bool WriteSummary(const TIntakeLayout& layout, const TSummary& summary);

// A file name as the summary files show it: control characters and bytes that are not UTF-8 as
// "\n", "\xNN", so that a name cannot break a line of the summary or its encoding.
std::string ShownPath(const std::filesystem::path& path);

// A cell that a spreadsheet would take for a formula (=, +, -, @, a tab or CR first) with an
// apostrophe before it, so that it stays text.
std::string SpreadsheetText(const std::string& text);

// The summary of what the runs left, for --summarize: employers from the intake's manifest, or the
// report root's directories named by a registration number when there is no manifest.
TSummary SummarizeReportRoot(const TIntakeLayout& layout);

}  // namespace zz
