// `zazoru intake`: grouping, planning, running and summarising a whole intake.
#include "app/intake.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <set>
#include <thread>

#include "app/command_line.h"
#include "app/config_file.h"
#include "app/intake_grouping.h"
#include "app/intake_inputs.h"
#include "app/intake_jobs.h"
#include "app/intake_progress.h"
#include "app/intake_runner.h"
#include "app/intake_server_check.h"
#include "app/intake_summary.h"
#include "app/program.h"
#include "app/work_manager.h"
#include "base/exit_code.h"
#include "base/report_dir_lock.h"
#include "base/singleton.h"
#include "base/strings.h"
#include "base/utils.h"
#include "report/findings.h"
#include "search/staged_names.h"
#include "settings/classifiers.h"
#include "settings/settings.h"
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
  std::string Only;  // the one employer to redo
  std::vector<std::string> Paths;
};

constexpr const char* kServerDown = "не сверен: сервер Перечней недоступен";
constexpr const char* kStale = "устарел: файлы изменились после сверки";
constexpr const char* kNew = "не сверен: файлы появились после сверки";

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
    } else if (a == "--only" || a.rfind("--only=", 0) == 0) {
      o.Only = a == "--only" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
      if (!IsRegNumForm(o.Only)) return "--only ждёт рег. номер вида 000-000-000000, получено \"" + o.Only + "\"";
    } else if (a.rfind("--", 0) == 0) {
      return "неизвестный параметр " + a;
    } else {
      o.Paths.push_back(a);
    }
  }
  if (o.Plan && o.Summarize) return "--plan и --summarize вместе не используются";
  if (o.Summarize && !o.Only.empty()) return "--only и --summarize вместе не используются";
  if (o.Summarize && o.Paths.size() != 1) return "для --summarize нужен один каталог: корень отчётов";
  if (!o.Summarize && o.Paths.size() != 2) return "нужны два каталога: корень ИС и корень отчётов";
  return {};
}

// The configuration every child will read, read into a value of the intake's own and checked as
// the batch mode checks it, so that a configuration no run can use is refused before thousands of
// runs are each refused alone. None of it is left in this process for the forked runs to find.
struct TSharedConfiguration {
  std::unique_ptr<TSettings> Settings;
  std::vector<std::string> Problems;
};

TSharedConfiguration CheckSharedSettings(const fs::path& isRoot, const fs::path& reportRoot, const std::string& regNum,
                                         bool portable) {
  TSharedConfiguration shared{TSettings::Apart(), {}};
  TSettings& s = *shared.Settings;
  const fs::path dataDir = TWorkManager::DataDirectory(portable);
  const std::optional<TReadError> error = ReadConfiguration(s, dataDir);
  s.FHasXMLClassifiers = ClassifierDataAvailable();
  s.FRegNum = regNum;
  s.FDirPD = isRoot.string();
  s.FDirReport = reportRoot.string();
  shared.Problems = TWorkManagerBPI::BatchSettingsProblems(
      s, error ? TWorkManager::ConfigErrorMessage(dataDir, error->Text) : std::string());
  return shared;
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

// A forked run is the batch mode itself: the intake keeps its own configuration apart, so the run
// finds no settings, log or classifiers but its own. Only its clock starts anew.
int RunForkedJob(const std::vector<std::string>& argv) {
  RestartProcessSeconds();
  int code = RunProgram(argv);
  TSingleton::DestroyAll();
  return code;
}

// Largest first, so that a large employer started last does not keep one core busy while the others
// idle. The size of its files stands for its work (an archive counts compressed). Returns the order.
std::vector<size_t> LargestFirst(const std::vector<uintmax_t>& sizeOfJob) {
  std::vector<size_t> order(sizeOfJob.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return sizeOfJob[a] > sizeOfJob[b]; });
  return order;
}

template <class T>
void Reorder(std::vector<T>& items, const std::vector<size_t>& order) {
  std::vector<T> sorted;
  sorted.reserve(items.size());
  for (size_t i : order) sorted.push_back(std::move(items[i]));
  items = std::move(sorted);
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

// 0 only when every employer was reconciled to a verdict: a run that did not complete is 29, one
// that failed on the settings or the list server 21.
int IntakeExitCode(const std::vector<const TSummaryRow*>& rows, bool interrupted) {
  bool failed = interrupted, server = false;
  for (const TSummaryRow* row : rows) {
    if (!row->Completed())
      failed = true;
    else if (*row->ExitCode == ecSettingsOrServer)
      server = true;
  }
  return failed ? ecCritical : server ? ecSettingsOrServer : ecOk;
}

std::vector<const TSummaryRow*> AllRows(const TSummary& summary) {
  std::vector<const TSummaryRow*> rows;
  for (const TSummaryRow& row : summary.Rows) rows.push_back(&row);
  return rows;
}

int RefuseBusy(const std::string& message) {
  std::cerr << "zazoru intake: " << message << "\n";
  return ecSettingsOrServer;
}

// One intake per report root: a second one would redo what the first is doing and race it over the
// summary. Refused at once; the lock is held until the intake ends (and by its forked runs).
std::unique_ptr<TReportDirLock> LockReportRoot(const TIntakeLayout& layout, std::string& error) {
  std::error_code ec;
  fs::create_directories(layout.WorkDir(), ec);
  bool busy = false;
  try {
    return std::make_unique<TReportDirLock>(
        layout.WorkDir(), [&] { busy = true; }, std::chrono::milliseconds(0));
  } catch (const std::exception& e) {
    error = busy ? "корень отчётов " + layout.ReportRoot.string() +
                       " занят другой сверкой (zazoru intake); дождитесь её окончания"
                 : e.what();
    return nullptr;
  }
}

// Marks the rows whose run read other files than the employer has now (changed, added or removed
// since), and adds the employers that appeared since. Returns {stale, new}.
std::pair<size_t, size_t> MarkChangedSinceRun(const TIntakeLayout& layout, TSummary& summary) {
  std::optional<TIntakeGroups> groups;
  try {
    fs::path isRoot = ReadFileBytes(layout.ISRootFile(), 1 << 16);
    std::error_code ec;
    if (fs::is_directory(isRoot, ec)) groups = GroupIntakeFiles(isRoot, layout.ReportRoot);
  } catch (const std::exception&) {
  }
  if (!groups) groups = ReadManifest(layout);
  if (!groups) return {0, 0};
  std::map<std::string, const TIntakeEmployer*> now;
  for (const TIntakeEmployer& e : groups->Employers) now[e.RegNum] = &e;
  TDigestCache cache(layout.DigestCacheFile());
  const TInputsRecords records(layout);
  std::set<std::string> listed;
  size_t stale = 0, added = 0;
  for (TSummaryRow& row : summary.Rows) {
    listed.insert(row.RegNum);
    if (!row.ExitCode || row.Protocol.empty()) continue;
    std::optional<TInputsRecord> record = records.Find(row.RegNum, TInputsRecordKind::Done);
    if (!record) record = records.Find(row.RegNum, TInputsRecordKind::Planned);
    if (!record) continue;  // a report root from before the records: nothing to compare with
    auto it = now.find(row.RegNum);
    if ((it == now.end() ? std::string() : InputsText(cache, *it->second)) == record->Inputs) continue;
    row.Meaning = std::string(kStale) + " (" + row.Meaning + ")";
    ++stale;
  }
  for (const TIntakeEmployer& e : groups->Employers) {
    if (listed.count(e.RegNum)) continue;
    TSummaryRow row;
    row.RegNum = e.RegNum;
    row.Meaning = kNew;
    row.Missing = true;
    summary.Rows.push_back(std::move(row));
    ++added;
  }
  std::stable_sort(summary.Rows.begin(), summary.Rows.end(),
                   [](const TSummaryRow& a, const TSummaryRow& b) { return a.RegNum < b.RegNum; });
  cache.Save();
  return {stale, added};
}

int Summarize(const fs::path& reportRoot) {
  std::error_code ec;
  if (!fs::is_directory(reportRoot, ec)) return Refuse("нет каталога " + reportRoot.string());
  TIntakeLayout layout{{}, fs::absolute(reportRoot)};
  std::string busy;
  std::unique_ptr<TReportDirLock> lock = LockReportRoot(layout, busy);
  if (!lock) return RefuseBusy(busy);
  TSummary summary = SummarizeReportRoot(layout);
  const auto [stale, added] = MarkChangedSinceRun(layout, summary);
  if (!WriteSummary(layout, summary)) return ecCritical;
  std::cout << "Сводка: " << (layout.ReportRoot / "summary.csv").string() << ", "
            << (layout.ReportRoot / "index.html").string();
  if (stale || added)
    std::cout << "; файлы изменились после сверки: устарели: " << stale << ", новых работодателей: " << added;
  std::cout << "\n";
  if (stale || added) return ecCritical;
  return IntakeExitCode(AllRows(summary), false);
}

}  // namespace

std::string IntakeUsageText() {
  return "  zazoru intake <корень ИС> <корень отчётов> [--jobs N] [--again] [--only РЕГ.НОМЕР] [--exec] [p]\n"
         "                                  сверка всех работодателей: файлы группируются по рег. номеру в имени (или "
         "в самом файле),\n"
         "                                  каждый сверяется отдельным процессом \"zazoru bpi\" в <корень "
         "отчётов>/<рег. номер>/,\n"
         "                                  N одновременно (по умолчанию по числу ядер); сводка summary.csv и "
         "index.html;\n"
         "                                  пропускаются работодатели, чья последняя завершённая сверка прочла те же "
         "файлы\n"
         "                                  (путь, размер, содержимое), если не указан --again; --only: только один "
         "работодатель;\n"
         "                                  --exec: каждая сверка запускается заново программой, а не копией процесса "
         "intake\n"
         "  zazoru intake --plan <корень ИС> <корень отчётов>\n"
         "                                  список команд \"zazoru bpi\" по одной на работодателя, крупные первыми "
         "(для "
         "GNU parallel)\n"
         "  zazoru intake --summarize <корень отчётов>\n"
         "                                  сводка по тому, что оставили выполненные команды\n"
         "  Коды завершения intake: 0 все работодатели сверены до итога (каков бы ни был итог каждого),\n"
         "  29 хотя бы одна сверка не завершилась (или сверка прервана, или файлы изменились после сверки),\n"
         "  21 параметры или настройки отклонены, корень отчётов занят другой сверкой, сервер Перечней недоступен.\n";
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

  std::string busy;
  std::unique_ptr<TReportDirLock> lock = LockReportRoot(layout, busy);
  if (!lock) return RefuseBusy(busy);

  TIntakeGroups groups = GroupIntakeFiles(layout.ISRoot, layout.ReportRoot);
  if (!o.Only.empty() && std::none_of(groups.Employers.begin(), groups.Employers.end(),
                                      [&](const TIntakeEmployer& e) { return e.RegNum == o.Only; }))
    return Refuse("под " + layout.ISRoot.string() + " нет файлов работодателя " + o.Only);
  // Read once here, for the check and for every forked run.
  PreloadClassifiers();
  const TSharedConfiguration shared =
      CheckSharedSettings(layout.ISRoot, layout.ReportRoot,
                          groups.Employers.empty() ? "000-000-000000" : groups.Employers.front().RegNum, o.Portable);
  if (!shared.Problems.empty()) {
    std::cerr << "zazoru intake: настройки не позволяют сверку:\n";
    for (const std::string& m : shared.Problems) std::cerr << "  " << m << "\n";
    return ecSettingsOrServer;
  }
  const TSettings& settings = *shared.Settings;
  const std::chrono::seconds runLimit(settings.FIntakeRunLimitSeconds);
  const int serverFailureLimit = settings.FIntakeServerFailures;
  // What an intake killed while writing its summary or manifest left behind.
  RemoveStaleAtomicTemps(layout.ReportRoot);
  RemoveStaleAtomicTemps(layout.WorkDir());
  // Where earlier versions kept a file per employer; they are redone once.
  fs::remove_all(layout.WorkDir() / "inputs", ec);
  // The names file the employers' folders share is laid anew by this intake's staging.
  fs::remove(layout.WorkDir() / "staging" / kStagedNamesFile, ec);
  WriteManifest(layout, groups);
  WriteFileAtomically(layout.ISRootFile(), layout.ISRoot.string());
  // Nothing counts as done until its run completes again, so that an interrupted --again is finished
  // by the next plain run.
  TInputsRecords records(layout);
  records.Compact();
  if (o.Again && o.Only.empty()) records.RemoveAllDone();

  const fs::path program = ChildProgram();
  TSummary summary;
  summary.Unassigned = groups.Unassigned;
  std::vector<TIntakeJob> jobs;
  std::vector<size_t> rowOfJob;
  std::vector<uintmax_t> sizeOfJob;
  std::vector<std::string> inputsOfJob;  // what each run will read, recorded when it completes
  size_t skipped = 0;
  TDigestCache digests(layout.DigestCacheFile());
  for (const TIntakeEmployer& employer : groups.Employers) {
    std::string inputs = InputsText(digests, employer);
    if (!o.Only.empty() && employer.RegNum != o.Only) {
      // Left as it is, but not shown as current when its files changed.
      summary.Rows.push_back(MakeSummaryRow(layout, employer.RegNum, nullptr, ""));
      TSummaryRow& row = summary.Rows.back();
      if (row.ExitCode && !IsEmployerCurrent(layout, records, employer.RegNum, inputs))
        row.Meaning = std::string(kStale) + " (" + row.Meaning + ")";
      continue;
    }
    if (!o.Again && o.Only.empty() && IsEmployerCurrent(layout, records, employer.RegNum, inputs)) {
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
      inputsOfJob.push_back(std::move(inputs));
    } catch (const std::exception& e) {
      row.ExitCode = ecCritical;
      row.Meaning = e.what();
    }
    summary.Rows.push_back(std::move(row));
  }
  digests.Save();

  const std::vector<size_t> order = LargestFirst(sizeOfJob);
  Reorder(jobs, order);
  Reorder(rowOfJob, order);
  Reorder(inputsOfJob, order);

  if (o.Plan) {
    for (size_t job = 0; job < jobs.size(); ++job) {
      // Until the job has run, what its employer's directory holds is no result of these files.
      records.Remove(jobs[job].RegNum, TInputsRecordKind::Done);
      records.Write(jobs[job].RegNum, TInputsRecordKind::Planned, {0, inputsOfJob[job]});
      TFindings::RemoveStale(layout.ReportDir(jobs[job].RegNum));
      std::cout << ShellCommandLine(jobs[job].Argv) << "\n";
    }
    return ecOk;
  }

  // The rows this intake answers for: with --only, its one employer.
  std::vector<const TSummaryRow*> scope;
  auto inScope = [&] {
    scope.clear();
    if (o.Only.empty()) return AllRows(summary);
    for (size_t row : rowOfJob) scope.push_back(&summary.Rows[row]);
    return scope;
  };
  auto finalLine = [&](const std::string& extra) {
    size_t reconciled = 0;
    const std::vector<const TSummaryRow*> rows = inScope();
    for (const TSummaryRow* row : rows) reconciled += row->Completed() && *row->ExitCode != ecSettingsOrServer;
    std::cout << "Сверено " << reconciled << " из " << rows.size() << " работодателей"
              << (skipped ? " (" + std::to_string(skipped) + " уже были сверены)" : std::string())
              << (summary.Unassigned.empty() ? std::string()
                                             : ", не распределено или пропущено файлов: " +
                                                   std::to_string(summary.Unassigned.size()) + " (причины в сводке)")
              << extra << ". Сводка: " << (layout.ReportRoot / "index.html").string() << "\n";
  };

  // With the server down or silent every run would end with 21, each after the full timeout.
  if (!jobs.empty()) {
    if (std::optional<std::string> reason =
            CheckListServer(settings, jobs.front().RegNum, settings.FIntakeServerTimeoutSeconds)) {
      std::cerr << "zazoru intake: сервер Перечней недоступен (" << *reason << "); сверка не начата\n";
      for (size_t row : rowOfJob) {
        summary.Rows[row].ExitCode = ecSettingsOrServer;
        summary.Rows[row].Meaning = kServerDown;
      }
      WriteSummary(layout, summary);
      finalLine(", сервер Перечней недоступен");
      return ecSettingsOrServer;
    }
  }

  summary.Running = true;
  WriteSummary(layout, summary);

  if (!o.Exec) {
    // What every forked run would otherwise do alike is done once here.
    InitHttp();
  }
  fs::create_directories(layout.WorkDir() / "output", ec);
  const unsigned parallel = o.Jobs ? o.Jobs : std::max(1u, std::thread::hardware_concurrency());
  TIntakeProgress progress(o.Only.empty() ? groups.Employers.size() : jobs.size(), skipped);
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

  // Runs failing on the list server one after another: it went down or silent during the intake.
  int serverFailures = 0;
  bool serverStopped = false;
  TIntakeRunner runner(
      jobs, [&](size_t job) { return layout.OutputFile(jobs[job].RegNum).string(); },
      o.Exec ? TInProcessRun() : TInProcessRun(RunForkedJob));
  TRunnerEvents events;
  events.MayStart = [&] { return !serverStopped; };
  events.Started = [&](size_t job) {
    records.Remove(jobs[job].RegNum, TInputsRecordKind::Done);
    records.Remove(jobs[job].RegNum, TInputsRecordKind::Planned);
    TFindings::RemoveStale(layout.ReportDir(jobs[job].RegNum));
    running.insert(job);
    summary.Rows[rowOfJob[job]].Meaning = "выполняется";
    show();
  };
  events.Finished = [&](size_t job, const TRunOutcome& outcome) {
    running.erase(job);
    ++done;
    TSummaryRow& row = summary.Rows[rowOfJob[job]];
    row = MakeSummaryRow(layout, jobs[job].RegNum, &outcome, "");
    if (row.Completed() && IsVerdictCode(*row.ExitCode))
      records.Write(jobs[job].RegNum, TInputsRecordKind::Done, {*row.ExitCode, inputsOfJob[job]});
    if (outcome.Signal == 0 && outcome.ExitCode == ecSettingsOrServer) {
      if (++serverFailures >= serverFailureLimit && !serverStopped) {
        serverStopped = true;
        progress.Finish();
        std::cerr << "zazoru intake: сервер Перечней недоступен: " << serverFailures
                  << " сверки подряд завершились с кодом 21; новые сверки не начинаются\n";
      }
    } else {
      serverFailures = 0;
    }
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
  for (size_t job = started; job < jobs.size(); ++job) {
    TSummaryRow& row = summary.Rows[rowOfJob[job]];
    if (serverStopped) {
      row.ExitCode = ecSettingsOrServer;
      row.Meaning = kServerDown;
    } else {
      row.Meaning = "не начата: сверка прервана";
    }
  }
  const bool summaryWritten = WriteSummary(layout, summary);

  std::string extra;
  if (serverStopped)
    extra = ", сервер Перечней недоступен: не начато " + std::to_string(jobs.size() - started);
  else if (summary.Interrupted)
    extra = ", сверка прервана";
  finalLine(extra);
  if (!summaryWritten) return ecCritical;
  if (serverStopped) return ecSettingsOrServer;
  return IntakeExitCode(inScope(), summary.Interrupted);
}

}  // namespace zz
