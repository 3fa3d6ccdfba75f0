// Child processes of the intake, N at a time, with their outcomes and a clean stop on Ctrl-C.
#include "app/intake_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <stdexcept>

#include "base/exit_code.h"

extern char** environ;

namespace zz {

namespace {

volatile sig_atomic_t gInterrupts = 0;

void OnInterrupt(int) { gInterrupts = gInterrupts + 1; }
void OnAlarm(int) {}

// Installs the handlers for the runner's life; restores the previous ones after. No SA_RESTART:
// the wait for a child must return when the user interrupts.
class TInterruptGuard {
 public:
  TInterruptGuard() {
    gInterrupts = 0;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &fOldInt);
    sigaction(SIGTERM, &sa, &fOldTerm);
    sa.sa_handler = OnAlarm;
    sigaction(SIGALRM, &sa, &fOldAlarm);
  }
  ~TInterruptGuard() {
    alarm(0);
    sigaction(SIGINT, &fOldInt, nullptr);
    sigaction(SIGTERM, &fOldTerm, nullptr);
    sigaction(SIGALRM, &fOldAlarm, nullptr);
  }

 private:
  struct sigaction fOldInt {};
  struct sigaction fOldTerm {};
  struct sigaction fOldAlarm {};
};

// Starts the child in a process group of its own, so that Ctrl-C on the terminal reaches only the
// intake, which decides what the running children do.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& outputFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t defaults, empty;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGALRM);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  sigemptyset(&empty);
  posix_spawnattr_setsigmask(&attr, &empty);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, args[0], &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return -rc;
  return pid;
}

bool SingleThreaded() {
  std::error_code ec;
  size_t threads = 0;
  for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end; it.increment(ec))
    ++threads;
  return !ec && threads == 1;
}

// The child a fresh program would be: a process group of its own, default signal handling, its
// output in the job's file and nothing to read. Whatever fails here fails as a program that could
// not be started would (127).
pid_t ForkRun(const TInProcessRun& run, const std::vector<std::string>& argv, const std::string& outputFile) {
  // What this process still holds in its buffers would be written a second time by the child.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) return -errno;
  if (pid > 0) {
    // Also here: the group must exist before the runner may signal it, whichever process runs first.
    setpgid(pid, pid);
    return pid;
  }
  setpgid(0, 0);
  for (int sig : {SIGINT, SIGTERM, SIGPIPE, SIGALRM}) signal(sig, SIG_DFL);
  sigset_t empty;
  sigemptyset(&empty);
  sigprocmask(SIG_SETMASK, &empty, nullptr);
  int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (out < 0 || in < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(out, STDERR_FILENO) < 0 || dup2(in, STDIN_FILENO) < 0)
    _exit(127);
  close(out);
  close(in);
  int code = ecCritical;
  try {
    code = run(argv);
  } catch (...) {
  }
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  // Not exit(): the handlers and static objects belong to the intake, not to this run.
  _exit(code & 0xff);
}

}  // namespace

TIntakeRunner::TIntakeRunner(const std::vector<TIntakeJob>& jobs, std::function<std::string(size_t)> outputFile,
                             TInProcessRun inProcess)
    : fJobs(jobs), fOutputFile(std::move(outputFile)), fInProcess(std::move(inProcess)) {}

pid_t TIntakeRunner::Start(size_t job) {
  if (fInProcess && SingleThreaded()) return ForkRun(fInProcess, fJobs[job].Argv, fOutputFile(job));
  return Spawn(fJobs[job].Argv, fOutputFile(job));
}

bool TIntakeRunner::Interrupted() const { return gInterrupts > 0; }

size_t TIntakeRunner::Run(unsigned parallel, const TRunnerEvents& events) {
  using Clock = std::chrono::steady_clock;
  TInterruptGuard guard;
  if (parallel == 0) parallel = 1;
  struct TRunning {
    size_t Job;
    Clock::time_point Start;
    std::optional<Clock::time_point> Ended;  // when the runner asked it to end
    bool TimedOut = false;
  };
  std::map<pid_t, TRunning> running;
  size_t next = 0;
  bool terminated = false;
  auto lastTick = Clock::now();
  // A stopped group takes no SIGTERM until it runs again; one that ignores it gets SIGKILL.
  constexpr auto kGrace = std::chrono::seconds(5);
  auto end = [](pid_t pid, TRunning& r) {
    kill(-pid, SIGTERM);
    kill(-pid, SIGCONT);
    r.Ended = Clock::now();
  };

  while (true) {
    while (gInterrupts == 0 && next < fJobs.size() && running.size() < parallel &&
           (!events.MayStart || events.MayStart())) {
      size_t job = next++;
      if (events.Started) events.Started(job);
      auto start = Clock::now();
      pid_t pid = Start(job);
      if (pid <= 0) {
        // The program could not be started: that job failed, the others may still run.
        if (events.Finished) events.Finished(job, TRunOutcome{127, 0, 0});
        continue;
      }
      running[pid] = {job, start, std::nullopt, false};
    }
    if (running.empty()) break;
    if (gInterrupts > 1 && !terminated) {
      for (auto& [pid, r] : running)
        if (!r.Ended) end(pid, r);
      terminated = true;
    }
    const auto now = Clock::now();
    for (auto& [pid, r] : running) {
      if (!r.Ended && now - r.Start > events.RunLimit) {
        r.TimedOut = true;
        end(pid, r);
      } else if (r.Ended && now - *r.Ended > kGrace) {
        kill(-pid, SIGKILL);
      }
    }
    // Wake at least once a second, for the progress line and for an interruption that came
    // between the check and the wait.
    alarm(1);
    int status = 0;
    pid_t pid = waitpid(-1, &status, 0);
    alarm(0);
    if (pid > 0) {
      auto it = running.find(pid);
      if (it != running.end()) {
        TRunOutcome outcome;
        if (WIFEXITED(status)) outcome.ExitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) outcome.Signal = WTERMSIG(status);
        outcome.Seconds = std::chrono::duration<double>(Clock::now() - it->second.Start).count();
        outcome.TimedOut = it->second.TimedOut;
        size_t job = it->second.Job;
        running.erase(it);
        if (events.Finished) events.Finished(job, outcome);
      }
    } else if (pid < 0 && errno == ECHILD) {
      break;
    }
    if (events.Tick && Clock::now() - lastTick >= std::chrono::seconds(1)) {
      lastTick = Clock::now();
      events.Tick();
    }
  }
  return next;
}

}  // namespace zz
