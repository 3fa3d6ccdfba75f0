// The intake as an office starts it: a tree of employers' files, the built program, child runs,
// and the summary it leaves at the report root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "app/intake_fixture.h"
#include "app/intake_summary.h"
#include "app/program.h"
#include "base/singleton.h"
#include "base/strings.h"
#include "base/utils.h"
#include "settings/classifiers.h"
#include "support/liverto_stub_process.h"
#include "support/test_support.h"
#include "support/zip_writer.h"

namespace zz {
namespace {

namespace fs = std::filesystem;

using test::ISFileOf;
using test::kExample;
using test::kExampleRegNum;
using test::Lines;

// The summary's rows by registration number (first column), seconds (last column) left out.
std::map<std::string, std::string> RowsWithoutSeconds(const fs::path& csv) {
  std::map<std::string, std::string> rows;
  auto lines = Lines(test::ReadFile(csv));
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    std::string key = l.substr(0, l.find(','));
    rows[key] = l.substr(0, l.rfind(','));
  }
  return rows;
}

class IntakeTest : public test::IntakeFixture {
 protected:
  int Intake(const std::string& extra = "", const fs::path& reportRoot = {}) {
    fs::path root = reportRoot.empty() ? reports : reportRoot;
    return Run(IntakeArgs(root, extra), work / "intake.txt");
  }

  // Starts the intake without waiting for it; no core file if one of its runs crashes.
  pid_t StartIntake(const std::string& jobs) {
    fs::create_directories(reports);
    test::TProgramStart start{{program, "intake", is.string(), reports.string(), "--jobs", jobs}, config};
    start.Output = work / "intake.txt";
    start.NoCoreFile = true;
    return test::StartProgram(start);
  }
  std::string Csv() { return test::ReadFile(reports / "summary.csv"); }
};

TEST_F(IntakeTest, GroupsNestedFoldersArchivesAndNamesWithoutANumber) {
  const std::string a = kExampleRegNum, b = "055-001-000777";
  test::WriteFile(is / "2023" / "q4" / (a + "_СЗВ-СТАЖ_2023.xml"), ISFileOf(a));
  // The same name in another folder is a file of its own.
  test::WriteFile(is / "again" / (a + "_СЗВ-СТАЖ_2023.xml"), ISFileOf(a));
  // A name holding two numbers belongs to the first one.
  test::WriteFile(is / ("письмо_" + a + "_копия_" + b + ".txt"), "сопроводительное письмо");
  // An employer that sent an archive only: the number comes from the archive's name.
  test::WriteZipArchive(is / "zip" / "deep" / ("ФЗЖ_" + b + ".zip"), {{"сведения.xml", ISFileOf(b)}});
  test::WriteFile(is / "misc" / "readme.txt", "без номера");
  test::WriteFile(is / "misc" / "сведения_12-345-678901.xml", ISFileOf(b));

  // One at a time: the runs share the configuration's directory for unpacked archives.
  ASSERT_EQ(Intake("--jobs 1"), 0) << test::ReadFile(work / "intake.txt");

  size_t aFiles = 0;
  for (auto& e : fs::directory_iterator(reports / ".intake" / "staging" / a))
    aFiles += e.is_regular_file() && !e.path().filename().string().starts_with(".");  // not its names file
  EXPECT_EQ(aFiles, 3u);

  for (const std::string& n : {a, b}) {
    auto f = Findings(n);
    ASSERT_TRUE(f.is_object()) << n;
    EXPECT_EQ(f["regnum"], n);
    // The archive's employer was read, not refused for want of an "*.xml" name.
    EXPECT_EQ(f["exit_code"], 30) << n;
    ASSERT_EQ(f["sets"].size(), 1u) << n;
    EXPECT_EQ(f["sets"][0]["year"], 2023);
    EXPECT_EQ(f["sets"][0]["period"], 4);
    EXPECT_TRUE(fs::exists(reports / n / f["protocol"].get<std::string>()));
  }
  // The two copies of one file are both in its protocol's source table.
  EXPECT_NE(Cp1251ToUtf8(test::ReadFile(reports / a / Findings(a)["protocol"].get<std::string>()))
                .find("<b>Всего исходных: 2</b>"),
            std::string::npos);

  auto lines = Lines(Csv());
  ASSERT_EQ(lines.size(), 3u) << Csv();
  EXPECT_EQ(lines[0], "regnum,organisation,exit_code,meaning,errors,warnings,damaged,protocol,seconds");
  EXPECT_EQ(lines[1].rfind(b + ",", 0), 0u);
  EXPECT_EQ(lines[2].rfind(a + ",", 0), 0u);
  // The territorial check alone: its error decides the code. Two files of b's (the archive and the
  // file whose own number is b's), each with its error.
  EXPECT_NE(lines[1].find(",\"МУП \"\"Теплосеть Заречного района\"\"\",30,найдены ошибки,2,1,0,"), std::string::npos)
      << lines[1];
  auto unassigned = Lines(test::ReadFile(reports / "unassigned.csv"));
  ASSERT_EQ(unassigned.size(), 2u) << test::ReadFile(reports / "unassigned.csv");
  EXPECT_TRUE(unassigned[1].starts_with((is / "misc" / "readme.txt").string() + ",")) << unassigned[1];
  // A name whose number is not of the form: the number the file holds decides.
  EXPECT_NE(Cp1251ToUtf8(test::ReadFile(reports / b / Findings(b)["protocol"].get<std::string>()))
                .find((is / "misc" / "сведения_12-345-678901.xml").string()),
            std::string::npos);
  std::string index = test::ReadFile(reports / "index.html");
  EXPECT_NE(index.find("<a href=\"" + a + "/ZAZORU-2023-4-REGNO-" + a + ".html\""), std::string::npos);
  EXPECT_EQ(index.find("http-equiv=\"refresh\""), std::string::npos);  // the intake has ended
}

TEST_F(IntakeTest, AFailingEmployerDoesNotStopTheOthers) {
  const std::vector<std::string> numbers = {"011-000-000001", "022-000-000002", "033-000-000003", "044-000-000004"};
  for (const auto& n : numbers) test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  // The second employer's run cannot lock its report directory: the child fails (29).
  fs::create_directories(reports / numbers[1] / ".zazoru.lock");
  // The third one's report directory cannot even be made.
  test::WriteFile(reports / numbers[2], "a file where the directory should be");

  EXPECT_EQ(Intake("--jobs 2"), 29) << test::ReadFile(work / "intake.txt");
  auto rows = RowsWithoutSeconds(reports / "summary.csv");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_NE(rows[numbers[0]].find(",30,найдены ошибки,1,1,0," + numbers[0] + "/ZAZORU-"), std::string::npos)
      << rows[numbers[0]];
  EXPECT_NE(rows[numbers[3]].find(",30,найдены ошибки,1,1,0," + numbers[3] + "/ZAZORU-"), std::string::npos)
      << rows[numbers[3]];
  EXPECT_EQ(rows[numbers[1]], numbers[1] + ",,29,критическая ошибка: сверка не завершена,,,,");
  EXPECT_EQ(rows[numbers[2]].find(numbers[2] + ",,29,"), 0u) << rows[numbers[2]];
  // The child's own message is kept for whoever looks into it.
  EXPECT_NE(test::ReadFile(reports / ".intake" / "output" / (numbers[1] + ".txt")).find("критическая ошибка"),
            std::string::npos);
  EXPECT_NE(test::ReadFile(reports / "index.html")
                .find("<tr class=\"failed\" data-k=\"c29\" data-p=\"0\"><td class=\"k\">" + numbers[1]),
            std::string::npos);
}

// The process whose standard output is `file`: a forked run's command line is its parent's.
pid_t ProcessWritingTo(const fs::path& file) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (fs::read_symlink(entry.path() / "fd" / "1", ec) == file) return std::stoi(name);
  }
  return -1;
}

// The run that writes into `output` once it waits for a report directory another holds.
pid_t WaitingRun(const fs::path& output) {
  for (int i = 0; i < 1000; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(output);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.find("занят другой сверкой") == std::string::npos) continue;
    // An earlier run's file may say so too: only a process writing it now counts.
    if (pid_t pid = ProcessWritingTo(output); pid > 0) return pid;
  }
  return -1;
}

TEST_F(IntakeTest, ACrashingRunDoesNotStopTheOthers) {
  const std::string crashing = "011-000-000001", a = "022-000-000002", b = "033-000-000003";
  for (const auto& n : {crashing, a, b}) test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  // Held here, the lock keeps the first run waiting until it is made to crash.
  test::WriteFile(reports / crashing / ".zazoru.lock", "");
  int lock = open((reports / crashing / ".zazoru.lock").c_str(), O_RDWR);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);

  pid_t intake = StartIntake("2");
  ASSERT_GT(intake, 0);
  const pid_t run = WaitingRun(reports / ".intake" / "output" / (crashing + ".txt"));
  ASSERT_GT(run, 0) << test::ReadFile(work / "intake.txt");
  ASSERT_NE(run, intake);
  // SIGKILL, as the system's out-of-memory killer ends a run: a sanitizer build turns SIGSEGV into an
  // ordinary exit of its own.
  kill(run, SIGKILL);
  close(lock);
  int status = 0;
  waitpid(intake, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 29);

  auto rows = RowsWithoutSeconds(reports / "summary.csv");
  EXPECT_EQ(rows[crashing], crashing + ",,29,прервана сигналом 9,,,,");
  for (const auto& n : {a, b})
    EXPECT_NE(rows[n].find(",30,найдены ошибки,1,1,0," + n + "/ZAZORU-"), std::string::npos) << rows[n];
  EXPECT_NE(test::ReadFile(work / "intake.txt").find("Сверено 2 из 3 работодателей"), std::string::npos);
}

TEST_F(IntakeTest, TheSummaryTrustsTheRunAndReadsNothingOfAReportRootInsideTheISRoot) {
  const std::string regNum = "044-000-000004";
  std::string file = ISFileOf(regNum);
  test::WriteFile(is / (regNum + ".xml"), ReplaceAll(file, "МУП \"Теплосеть Заречного района\"", "Завод, цех 1"));
  const fs::path inside = is / "reports";
  // What an intake killed while writing its summary left: swept by the next one.
  const fs::path stale = inside / "summary.csv.tmp-4194305-abcdef";
  test::WriteFile(stale, "half a summary");
  ASSERT_EQ(Intake("", inside), 0) << test::ReadFile(work / "intake.txt");
  EXPECT_FALSE(fs::exists(stale));
  auto lines = Lines(test::ReadFile(inside / "summary.csv"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[1].starts_with(regNum + ",\"Завод, цех 1\",30,")) << lines[1];

  // Again, with the first intake's protocols and links under the IS root: still one employer, one file.
  ASSERT_EQ(Intake("--again", inside), 0) << test::ReadFile(work / "intake.txt");
  EXPECT_EQ(Lines(test::ReadFile(inside / "summary.csv")).size(), 2u);
  EXPECT_EQ(Lines(test::ReadFile(inside / ".intake" / "manifest.tsv")).size(), 1u);

  // A run whose own code disagrees with the findings file it left: the run's code is the row's.
  ASSERT_EQ(Findings(regNum, inside)["exit_code"], 30);
  const TRunOutcome outcome{.ExitCode = 1};
  const TSummaryRow row = MakeSummaryRow(TIntakeLayout{is, inside}, regNum, &outcome, "");
  EXPECT_EQ(row.ExitCode, 1);
  EXPECT_EQ(row.Meaning, "есть предупреждения");
}

TEST_F(IntakeTest, ACallersLongTunablesNeverKeepTheRunsFromStarting) {
  for (const auto& n : {kExampleRegNum, std::string("022-000-000002")}) test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  // One environment string may hold 128 KiB: the caller's value fits, with the large-page tunable
  // added it would not.
  std::string tunables;
  while (tunables.size() < 131040) tunables += "glibc.malloc.check=0:";
  tunables.resize(131040);
  setenv("GLIBC_TUNABLES", tunables.c_str(), 1);
  setenv("ZAZORU_LARGE_PAGES", "1", 1);
  const int code = Intake("--exec");
  unsetenv("GLIBC_TUNABLES");
  unsetenv("ZAZORU_LARGE_PAGES");
  EXPECT_EQ(code, 0) << test::ReadFile(work / "intake.txt");
  for (const auto& n : {kExampleRegNum, std::string("022-000-000002")}) EXPECT_EQ(Findings(n)["exit_code"], 30) << n;
}

// What a run leaves with the report root's own path put in a neutral place.
std::string Neutral(std::string text, const fs::path& root) { return ReplaceAll(text, root.string(), "<root>"); }

TEST_F(IntakeTest, ForkedRunsLeaveWhatStartedProgramsLeave) {
  const std::string large = kExampleRegNum, b = "022-000-000002", c = "033-000-000003", d = "055-000-000005",
                    e = "066-000-000006", failing = "044-000-000004";
  // Two files make the largest employer, the one started first.
  test::WriteFile(is / "q3" / (large + "_СЗВ-СТАЖ_2023.xml"), ISFileOf(large));
  test::WriteFile(is / "q4" / (large + "_СЗВ-СТАЖ_2023.xml"), ISFileOf(large));
  for (const auto& n : {b, c, d, e, failing}) test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  const fs::path forked = work / "forked", started = work / "started";
  for (const fs::path& root : {forked, started}) fs::create_directories(root / failing / ".zazoru.lock");

  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_EQ(Intake("--jobs 1", forked), 29) << test::ReadFile(work / "intake.txt");
  const double forkedSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  ASSERT_EQ(Intake("--jobs 1 --exec", started), 29) << test::ReadFile(work / "intake.txt");

  EXPECT_EQ(RowsWithoutSeconds(forked / "summary.csv"), RowsWithoutSeconds(started / "summary.csv"));
  double sumOfSeconds = 0;
  for (const auto& n : {large, b, c, d, e, failing}) {
    EXPECT_EQ(Neutral(test::ReadFile(forked / ".intake" / "output" / (n + ".txt")), forked),
              Neutral(test::ReadFile(started / ".intake" / "output" / (n + ".txt")), started))
        << n;
    if (n == failing) continue;
    auto fromFork = Findings(n, forked), fromProgram = Findings(n, started);
    ASSERT_TRUE(fromFork.is_object() && fromProgram.is_object()) << n;
    sumOfSeconds += fromFork["seconds"].get<double>();
    fromFork.erase("seconds");
    fromProgram.erase("seconds");
    EXPECT_EQ(fromFork, fromProgram) << n;
    const std::string protocol = fromFork["protocol"];
    EXPECT_EQ(Neutral(test::ReadFile(forked / n / protocol), forked),
              Neutral(test::ReadFile(started / n / protocol), started))
        << n;
  }
  // Each forked run counts its own time, not the intake's since it began.
  EXPECT_LT(sumOfSeconds, forkedSeconds);
  const auto protocolTime = [&](const std::string& n) {
    return fs::last_write_time(forked / n / Findings(n, forked)["protocol"].get<std::string>());
  };
  for (const auto& n : {b, c, d, e}) EXPECT_LT(protocolTime(large), protocolTime(n)) << n;
}

TEST_F(IntakeTest, ASecondRunSkipsWhatIsCurrentAndRedoesWhatChanged) {
  const std::string a = "011-000-000001", b = "022-000-000002";
  test::WriteFile(is / (a + ".xml"), ISFileOf(a));
  test::WriteFile(is / (b + ".xml"), ISFileOf(b));
  ASSERT_EQ(Intake("--jobs 2"), 0);
  auto protocolTime = [&](const std::string& n) {
    return fs::last_write_time(reports / n / Findings(n)["protocol"].get<std::string>());
  };
  const auto a1 = protocolTime(a), b1 = protocolTime(b);
  const std::string csv1 = Csv();

  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(Intake("--jobs 2"), 0);
  EXPECT_EQ(protocolTime(a), a1);
  EXPECT_EQ(protocolTime(b), b1);
  EXPECT_EQ(Csv(), csv1);  // the summary of a run that skipped everything is the same summary
  EXPECT_NE(test::ReadFile(work / "intake.txt").find("(2 уже были сверены)"), std::string::npos);

  // A changed input makes its employer stale, and only that one.
  test::WriteFile(is / (b + ".xml"), ISFileOf(b) + "\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(Intake("--jobs 2"), 0);
  EXPECT_EQ(protocolTime(a), a1);
  EXPECT_NE(protocolTime(b), b1);

  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(Intake("--again --jobs 1"), 0);
  EXPECT_NE(protocolTime(a), a1);
}

TEST_F(IntakeTest, InterruptedItStopsStartingRunsAndLeavesASummary) {
  std::vector<std::string> numbers;
  for (int i = 1; i <= 12; ++i) {
    char n[33];  // room for the format with any two ints
    std::snprintf(n, sizeof n, "0%02d-000-0000%02d", i, i);
    numbers.push_back(n);
    test::WriteFile(is / (numbers.back() + ".xml"), ISFileOf(numbers.back()));
  }
  pid_t pid = StartIntake("1");
  ASSERT_GE(pid, 0);
  // Interrupt once the first run has begun.
  for (int i = 0; i < 500 && !fs::exists(reports / ".intake" / "output" / (numbers[0] + ".txt")); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 29);

  auto rows = RowsWithoutSeconds(reports / "summary.csv");
  ASSERT_EQ(rows.size(), numbers.size());
  // The run under way when the interruption came was let finish.
  EXPECT_NE(rows[numbers[0]].find(",30,найдены ошибки,"), std::string::npos) << rows[numbers[0]];
  EXPECT_NE(rows[numbers.back()].find("не начата: сверка прервана"), std::string::npos) << rows[numbers.back()];
  EXPECT_FALSE(fs::exists(reports / numbers.back() / "findings.json"));
  EXPECT_NE(test::ReadFile(reports / "index.html").find("Сверка прервана."), std::string::npos);

  // What was done counts: the next run does only the rest.
  ASSERT_EQ(Intake("--jobs 2"), 0);
  EXPECT_NE(test::ReadFile(work / "intake.txt").find("уже были сверены"), std::string::npos);
}

TEST_F(IntakeTest, HangingAndStoppedRunsAreEnded) {
  const std::string hanging = "011-000-000001", other = "022-000-000002";
  for (const auto& n : {hanging, other}) test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  // Held here, the lock keeps the run waiting (ten minutes by default).
  test::WriteFile(reports / hanging / ".zazoru.lock", "");
  int lock = open((reports / hanging / ".zazoru.lock").c_str(), O_RDWR);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const fs::path ini = config / "Zazoru" / "ZazoruConfig.ini";
  const std::string settings = test::ReadFile(ini);
  auto endsWithin = [](pid_t pid, int seconds) {
    int status = 0;
    for (int i = 0; i < seconds * 10; ++i) {
      if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -2;
  };

  // Past the time limit of one employer's run.
  test::WriteFile(ini, settings + "IntakeRunLimit=2\n");
  pid_t intake = StartIntake("2");
  EXPECT_EQ(endsWithin(intake, 30), 29) << test::ReadFile(work / "intake.txt");
  auto rows = RowsWithoutSeconds(reports / "summary.csv");
  EXPECT_EQ(rows[hanging], hanging + ",,29,прервана: превышено время сверки работодателя,,,,");
  EXPECT_NE(rows[other].find(",30,найдены ошибки,"), std::string::npos) << rows[other];

  // Stopped, it takes no SIGTERM until woken: the second Ctrl-C still ends it.
  test::WriteFile(ini, settings);
  intake = StartIntake("1");
  const pid_t run = WaitingRun(reports / ".intake" / "output" / (hanging + ".txt"));
  ASSERT_GT(run, 0) << test::ReadFile(work / "intake.txt");
  kill(run, SIGSTOP);
  kill(intake, SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  kill(intake, SIGINT);
  EXPECT_EQ(endsWithin(intake, 20), 29) << test::ReadFile(work / "intake.txt");
  close(lock);
}

TEST_F(IntakeTest, APlanRunByGnuParallelGivesTheSameSummary) {
  if (std::system("command -v parallel > /dev/null") != 0) GTEST_SKIP() << "GNU parallel is not installed";
  for (const std::string n : {"011-000-000001", "022-000-000002", "033-000-000003"})
    test::WriteFile(is / n / (n + ".xml"), ISFileOf(n));
  test::WriteFile(is / "readme.txt", "без номера");
  ASSERT_EQ(Intake("--jobs 2"), 0);

  fs::path planned = work / "planned";
  ASSERT_EQ(Run({"intake", "--plan", is.string(), planned.string()}, work / "plan.txt"), 0);
  auto plan = Lines(test::ReadFile(work / "plan.txt"));
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_EQ(plan[0].find("'" + std::string(ZAZORU_BINARY_DIR) + "/zazoru-batch' 'bpi' '"), 0u) << plan[0];
  // Before the jobs ran there is nothing to read: every employer is unfinished.
  EXPECT_EQ(Run({"intake", "--summarize", planned.string()}, work / "summarize.txt"), 29);
  EXPECT_NE(
      test::ReadFile(planned / "summary.csv").find("011-000-000001,,,нет результата: сверка не завершена,,,,,\r\n"),
      std::string::npos);
  // parallel's own status counts the jobs that ended non-zero, and a verdict is a non-zero code.
  int status = std::system((Env() + "parallel --will-cite -j 2 < '" + (work / "plan.txt").string() + "'").c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 100) << status;
  ASSERT_EQ(Run({"intake", "--summarize", planned.string()}, work / "summarize.txt"), 0);

  EXPECT_EQ(RowsWithoutSeconds(planned / "summary.csv"), RowsWithoutSeconds(reports / "summary.csv"));
  EXPECT_EQ(RowsWithoutSeconds(planned / "summary.csv").size(), 3u);
}

TEST_F(IntakeTest, RefusesBadArgumentsAndSettingsWith21) {
  EXPECT_EQ(Intake("--jobs 0"), 21);
  EXPECT_EQ(Intake("", is), 21);
  EXPECT_EQ(Run({"intake", (work / "missing").string(), reports.string()}, work / "o.txt"), 21);
  test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini", "[Options]\nWithList=0\nTerritoryControl=0\n");
  test::WriteFile(is / (kExampleRegNum + ".xml"), ISFileOf(kExampleRegNum));
  EXPECT_EQ(Intake(), 21);
  EXPECT_NE(test::ReadFile(work / "intake.txt").find("Хоть один из параметров должен быть включенным"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(reports / kExampleRegNum));
}

// The runs are forked from the intake's process: its own reading and check of the configuration
// must leave there no settings, log or classifiers for a run to inherit.
TEST_F(IntakeTest, ItsCheckLeavesNoRunStateInTheProcessItForksFrom) {
  test::WriteFile(is / (kExampleRegNum + ".xml"), ISFileOf(kExampleRegNum));
  fs::create_directories(reports);
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string savedValue = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  // In this process, not started again as the intake is to have large pages.
  setenv("ZAZORU_LARGE_PAGES", "0", 1);
  TSingleton::DestroyAll();
  Classifiers().clear();
  testing::internal::CaptureStdout();
  // The plan stops where the runs would be forked.
  const int code = RunProgram({"zazoru", "intake", is.string(), reports.string(), "--plan"});
  const std::string plan = testing::internal::GetCapturedStdout();
  saved ? setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  unsetenv("ZAZORU_LARGE_PAGES");
  EXPECT_EQ(code, 0);
  EXPECT_NE(plan.find(kExampleRegNum), std::string::npos) << plan;
  EXPECT_EQ(TSingleton::Count(), 0u);
  EXPECT_TRUE(Classifiers().empty());
}

}  // namespace
}  // namespace zz
