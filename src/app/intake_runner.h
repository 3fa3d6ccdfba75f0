#pragma once
// Runs the intake's jobs as child processes, N at a time. A child that fails is only an outcome:
// the others go on. Interrupted (SIGINT or SIGTERM), the runner starts no further job and waits
// for the running ones; a second interruption ends them (SIGTERM to each child's process group, woken
// should it be stopped, and SIGKILL for one that does not end within a few seconds). A child that runs
// past its time limit is ended the same way.
// A child is either a fresh program started from the job's command line or, given an in-process
// run, a fork of this process that runs the same command line without loading any library anew.
#include <sys/types.h>

#include <chrono>
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
  // How long one child may run before it is ended.
  std::chrono::seconds RunLimit = std::chrono::hours(4);
  // Asked before each start: false starts no further job (the running ones finish).
  std::function<bool()> MayStart;
};

// Runs a command line (program first) in a forked child as the program itself would, and returns
// its exit code.
using TInProcessRun = std::function<int(const std::vector<std::string>& argv)>;

class TIntakeRunner {
 public:
  // Each child's standard output and error go to `outputFile(job)`. With `inProcess`, children are
  // forks of this process as long as it has a single thread (a fork of a threaded process may
  // inherit a lock held by another thread); otherwise each job's program is started.
  TIntakeRunner(const std::vector<TIntakeJob>& jobs, std::function<std::string(size_t job)> outputFile,
                TInProcessRun inProcess = {});

  // Runs until every job has ended or the runner was interrupted and its children have ended.
  // Returns the number of jobs started.
  size_t Run(unsigned parallel, const TRunnerEvents& events);

  bool Interrupted() const;

 private:
  pid_t Start(size_t job);

  const std::vector<TIntakeJob>& fJobs;
  std::function<std::string(size_t)> fOutputFile;
  TInProcessRun fInProcess;
};

}  // namespace zz
