// `zazoru intake`: grouping, planning, running and summarising a whole intake.
#include "app/intake.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <numeric>
#include <set>
#include <thread>

#include "app/command_line.h"
#include "app/intake_grouping.h"
#include "app/intake_jobs.h"
#include "app/intake_progress.h"
#include "app/intake_runner.h"
#include "app/intake_summary.h"
#include "app/program.h"
#include "app/work_manager.h"
#include "base/exit_code.h"
#include "base/run_cancel.h"
#include "base/singleton.h"
#include "base/utils.h"
#include "report/findings.h"
#include "settings/classifiers.h"
#include "xml/http_get.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

struct TIntakeOptions {
  bool Plan = false;
  bool Summarize = false;
  bool Again = false;
  bool Portable = false;
  bool Exec = false;
  unsigned Jobs = 0;
  std::vector<std::string> Paths;
};

int Refuse(const std::string& message) {
  std::cerr << "zazoru intake: " << message << "\n" << IntakeUsageText();
  return ecSettingsOrServer;
}

// Parses the intake's arguments; returns an error text, empty when they are fine.
std::string ParseOptions(const std::vector<std::string>& args, TIntakeOptions& o) {
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--plan") {
      o.Plan = true;
    } else if (a == "--summarize") {
      o.Summarize = true;
    } else if (a == "--again") {
      o.Again = true;
    } else if (a == "--exec") {
      o.Exec = true;
    } else if (a == "p") {
      o.Portable = true;
    } else if (a == "--jobs" || a.rfind("--jobs=", 0) == 0) {
      std::string value = a == "--jobs" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
      try {
        size_t used = 0;
        long n = std::stol(value, &used);
        if (used != value.size() || n < 1 || n > 1024) throw std::out_of_range(value);
        o.Jobs = static_cast<unsigned>(n);
      } catch (const std::exception&) {
        return "--jobs ждёт число от 1 до 1024, получено \"" + value + "\"";
      }
    } else if (a.rfind("--", 0) == 0) {
      return "неизвестный параметр " + a;
    } else {
      o.Paths.push_back(a);
    }
  }
  if (o.Plan && o.Summarize) return "--plan и --summarize вместе не используются";
  if (o.Summarize && o.Paths.size() != 1) return "для --summarize нужен один каталог: корень отчётов";
  if (!o.Summarize && o.Paths.size() != 2) return "нужны два каталога: корень ИС и корень отчётов";
  return {};
}

// The settings every child will read, checked once here as the batch mode checks them, so that a
// configuration no run can use is refused before thousands of runs are each refused alone.
std::vector<std::string> CheckSharedSettings(const fs::path& isRoot, const fs::path& reportRoot,
                                             const std::string& regNum, bool portable) {
  TWorkManagerBPI manager(portable);
  manager.ReadIni();
  FillClassifiers();
  TSettings& s = TSettings::GetInstance();
  s.FRegNum = regNum;
  s.FDirPD = isRoot.string();
  s.FDirReport = reportRoot.string();
  return manager.CheckSettings();
}

// The runs start from the build without the windows when it lies beside this program: it is the same
// batch mode without loading Qt, which costs a small employer's run more than the run itself.
fs::path ChildProgram() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path batch = self.parent_path() / "zazoru-batch";
  if (!ec && fs::is_regular_file(batch, ec) && access(batch.c_str(), X_OK) == 0) return batch;
  return self;
}

// A forked run starts from what a fresh program has: none of the settings, log or classifiers of
// the intake's own check, no exit code, no stop request. The rest is the batch mode itself.
int RunForkedJob(const std::vector<std::string>& argv) {
  RestartProcessSeconds();
  TSingleton::DestroyAll();
  Classifiers().clear();
  SetRunExitCode(ecOk);
  ResetRunCancel();
  int code = RunProgram(argv);
  TSingleton::DestroyAll();
  return code;
}

// Largest first, so that a large employer started last does not keep one core busy while the others
// idle. The size of its files stands for its work (an archive counts compressed).
void OrderLargestFirst(std::vector<TIntakeJob>& jobs, std::vector<size_t>& rowOfJob,
                       const std::vector<uintmax_t>& sizeOfJob) {
  std::vector<size_t> order(jobs.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return sizeOfJob[a] > sizeOfJob[b]; });
  std::vector<TIntakeJob> sortedJobs;
  std::vector<size_t> sortedRows;
  for (size_t i : order) {
    sortedJobs.push_back(std::move(jobs[i]));
    sortedRows.push_back(rowOfJob[i]);
  }
  jobs = std::move(sortedJobs);
  rowOfJob = std::move(sortedRows);
}

uintmax_t InputBytes(const TIntakeEmployer& employer) {
  uintmax_t total = 0;
  for (const fs::path& file : InputFiles(employer)) {
    std::error_code ec;
    uintmax_t size = fs::file_size(file, ec);
    if (!ec) total += size;
  }
  return total;
}

// The intake forks its runs from itself: from the program without the windows, each fork has far
// fewer mappings to copy. Returns only when that program cannot be started.
void ContinueInBatchProgram(const std::vector<std::string>& args) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const fs::path batch = ChildProgram();
  if (ec || batch == self) return;
  std::vector<std::string> batchArgs = args;
  batchArgs[0] = batch.string();
  std::vector<char*> argv;
  for (std::string& a : batchArgs) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::cout.flush();
  std::cerr.flush();
  execv(batch.c_str(), argv.data());
}

int ExitCodeOf(const TSummary& summary) {
  for (const TSummaryRow& row : summary.Rows)
    if (!row.Completed()) return ecCritical;
  return ecOk;
}

int Summarize(const fs::path& reportRoot) {
  std::error_code ec;
  if (!fs::is_directory(reportRoot, ec)) return Refuse("нет каталога " + reportRoot.string());
  TIntakeLayout layout{{}, fs::absolute(reportRoot)};
  TSummary summary = SummarizeReportRoot(layout);
  if (!WriteSummary(layout, summary)) return ecCritical;
  std::cout << "Сводка: " << (layout.ReportRoot / "summary.csv").string() << ", "
            << (layout.ReportRoot / "index.html").string() << "\n";
  return ExitCodeOf(summary);
}

}  // namespace

std::string IntakeUsageText() {
  return "  zazoru intake <корень ИС> <корень отчётов> [--jobs N] [--again] [--exec] [p]\n"
         "                                  сверка всех работодателей: файлы группируются по рег. номеру в имени,\n"
         "                                  каждый сверяется отдельным процессом \"zazoru bpi\" в <корень "
         "отчётов>/<рег. номер>/,\n"
         "                                  N одновременно (по умолчанию по числу ядер); сводка summary.csv и "
         "index.html;\n"
         "                                  уже сверенные (протокол новее файлов) пропускаются, если не указан "
         "--again;\n"
         "                                  --exec: каждая сверка запускается заново программой, а не копией процесса "
         "intake\n"
         "  zazoru intake --plan <корень ИС> <корень отчётов>\n"
         "                                  список команд \"zazoru bpi\" по одной на работодателя (для GNU parallel)\n"
         "  zazoru intake --summarize <корень отчётов>\n"
         "                                  сводка по тому, что оставили выполненные команды\n"
         "  Коды завершения intake: 0 все работодатели сверены (каков бы ни был итог каждого),\n"
         "  29 хотя бы одна сверка не завершилась (или сверка прервана), 21 параметры или настройки отклонены.\n";
}

int RunIntake(const std::vector<std::string>& args) {
  for (size_t i = 2; i < args.size(); ++i)
    if (args[i] == "--help") {
      std::cout << "Использование:\n" << IntakeUsageText();
      return ecOk;
    }
  TIntakeOptions o;
  if (std::string error = ParseOptions(args, o); !error.empty()) return Refuse(error);
  if (o.Summarize) return Summarize(o.Paths[0]);
  if (!o.Plan && !o.Exec) ContinueInBatchProgram(args);

  std::error_code ec;
  TIntakeLayout layout{fs::absolute(o.Paths[0]), fs::absolute(o.Paths[1])};
  if (!fs::is_directory(layout.ISRoot, ec)) return Refuse("нет каталога ИС " + layout.ISRoot.string());
  fs::create_directories(layout.ReportRoot, ec);
  if (!fs::is_directory(layout.ReportRoot, ec))
    return Refuse("не удаётся создать каталог отчётов " + layout.ReportRoot.string());
  layout.ISRoot = fs::weakly_canonical(layout.ISRoot, ec);
  layout.ReportRoot = fs::weakly_canonical(layout.ReportRoot, ec);
  // Protocols carry the number in their names: written among the inputs they would be read as inputs.
  if (layout.ISRoot == layout.ReportRoot) return Refuse("корень отчётов не может совпадать с корнем ИС");

  TIntakeGroups groups = GroupIntakeFiles(layout.ISRoot, layout.ReportRoot);
  std::vector<std::string> refused =
      CheckSharedSettings(layout.ISRoot, layout.ReportRoot,
                          groups.Employers.empty() ? "000-000-000000" : groups.Employers.front().RegNum, o.Portable);
  if (!refused.empty()) {
    std::cerr << "zazoru intake: настройки не позволяют сверку:\n";
    for (const std::string& m : refused) std::cerr << "  " << m << "\n";
    return ecSettingsOrServer;
  }
  // Read before the forked runs' state is dropped below.
  const std::chrono::seconds runLimit(TSettings::GetInstance().FIntakeRunLimitSeconds);
  // What an intake killed while writing its summary or manifest left behind.
  RemoveStaleAtomicTemps(layout.ReportRoot);
  RemoveStaleAtomicTemps(layout.WorkDir());
  WriteManifest(layout, groups);

  const fs::path program = ChildProgram();
  TSummary summary;
  summary.Unassigned = groups.Unassigned;
  std::vector<TIntakeJob> jobs;
  std::vector<size_t> rowOfJob;
  std::vector<uintmax_t> sizeOfJob;
  size_t skipped = 0;
  for (const TIntakeEmployer& employer : groups.Employers) {
    if (!o.Again && IsEmployerCurrent(layout, employer)) {
      summary.Rows.push_back(MakeSummaryRow(layout, employer.RegNum, nullptr, ""));
      ++skipped;
      continue;
    }
    TSummaryRow row;
    row.RegNum = employer.RegNum;
    try {
      StageEmployer(layout, employer);
      row.Meaning = "ожидает";
      jobs.push_back(MakeJob(layout, employer, program, o.Portable));
      rowOfJob.push_back(summary.Rows.size());
      sizeOfJob.push_back(InputBytes(employer));
    } catch (const std::exception& e) {
      row.ExitCode = ecCritical;
      row.Meaning = e.what();
    }
    summary.Rows.push_back(std::move(row));
  }

  if (o.Plan) {
    for (const TIntakeJob& job : jobs) std::cout << ShellCommandLine(job.Argv) << "\n";
    return ecOk;
  }

  OrderLargestFirst(jobs, rowOfJob, sizeOfJob);
  summary.Running = true;
  WriteSummary(layout, summary);

  if (!o.Exec) {
    // What every forked run would otherwise do alike is done once here; the rest of this process's
    // state (settings, log) goes, so that each run begins with none of it.
    InitHttp();
    PreloadClassifiers();
    TSingleton::DestroyAll();
  }
  fs::create_directories(layout.WorkDir() / "output", ec);
  const unsigned parallel = o.Jobs ? o.Jobs : std::max(1u, std::thread::hardware_concurrency());
  TIntakeProgress progress(groups.Employers.size(), skipped);
  std::set<size_t> running;
  size_t done = skipped;
  auto lastWrite = std::chrono::steady_clock::now();
  auto show = [&] {
    std::vector<std::string> current;
    for (size_t job : running) current.push_back(jobs[job].RegNum);
    progress.Update(done, current);
  };
  // At most once a second, and never more than a tenth of the time: an office's summary of tens of
  // thousands of rows takes a while to write.
  std::chrono::steady_clock::duration writeInterval = std::chrono::seconds(1);
  auto writeSoon = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastWrite < writeInterval) return;
    WriteSummary(layout, summary);
    lastWrite = std::chrono::steady_clock::now();
    writeInterval = std::max<std::chrono::steady_clock::duration>(std::chrono::seconds(1), 10 * (lastWrite - now));
  };

  TIntakeRunner runner(
      jobs, [&](size_t job) { return layout.OutputFile(jobs[job].RegNum).string(); },
      o.Exec ? TInProcessRun() : TInProcessRun(RunForkedJob));
  TRunnerEvents events;
  events.Started = [&](size_t job) {
    TFindings::RemoveStale(layout.ReportDir(jobs[job].RegNum));
    running.insert(job);
    summary.Rows[rowOfJob[job]].Meaning = "выполняется";
    show();
  };
  events.Finished = [&](size_t job, const TRunOutcome& outcome) {
    running.erase(job);
    ++done;
    summary.Rows[rowOfJob[job]] = MakeSummaryRow(layout, jobs[job].RegNum, &outcome, "");
    show();
    writeSoon();
  };
  events.Tick = [&] {
    show();
    writeSoon();
  };
  events.RunLimit = runLimit;
  size_t started = runner.Run(parallel, events);
  progress.Finish();

  summary.Running = false;
  summary.Interrupted = runner.Interrupted();
  for (size_t job = started; job < jobs.size(); ++job)
    summary.Rows[rowOfJob[job]].Meaning = "не начата: сверка прервана";
  const bool summaryWritten = WriteSummary(layout, summary);

  size_t completed = 0;
  for (const TSummaryRow& row : summary.Rows) completed += row.Completed();
  std::cout << "Сверено " << completed << " из " << summary.Rows.size() << " работодателей"
            << (skipped ? " (" + std::to_string(skipped) + " уже были сверены)" : std::string())
            << (summary.Unassigned.empty() ? std::string()
                                           : ", не распределено или пропущено файлов: " +
                                                 std::to_string(summary.Unassigned.size()) + " (причины в сводке)")
            << (summary.Interrupted ? ", сверка прервана" : "")
            << ". Сводка: " << (layout.ReportRoot / "index.html").string() << "\n";
  return summaryWritten ? ExitCodeOf(summary) : ecCritical;
}

}  // namespace zz
