#pragma once
// Runs the intake's jobs as child processes, N at a time. A child that fails is only an outcome:
// the others go on. Interrupted (SIGINT or SIGTERM), the runner starts no further job and waits
// for the running ones; a second interruption ends them (SIGTERM to each child's process group).
#include <functional>
#include <string>
#include <vector>

#include "app/intake_jobs.h"
#include "app/intake_summary.h"

namespace zz {

struct TRunnerEvents {
  std::function<void(size_t job)> Started;
  std::function<void(size_t job, const TRunOutcome& outcome)> Finished;
  // Called about once a second while children run, for the progress line and the summary.
  std::function<void()> Tick;
};

class TIntakeRunner {
 public:
  // Each child's standard output and error go to `outputFile(job)`.
  TIntakeRunner(const std::vector<TIntakeJob>& jobs, std::function<std::string(size_t job)> outputFile);

  // Runs until every job has ended or the runner was interrupted and its children have ended.
  // Returns the number of jobs started.
  size_t Run(unsigned parallel, const TRunnerEvents& events);

  bool Interrupted() const;

 private:
  const std::vector<TIntakeJob>& fJobs;
  std::function<std::string(size_t)> fOutputFile;
};

}  // namespace zz
