// What a later intake redoes and what it may skip, the list server around the intake, one intake
// per report root, and the plan's order: `zazoru intake` on real files with the stand-in server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "app/intake_fixture.h"
#include "base/strings.h"
#include "support/liverto_stub_process.h"
#include "support/program_process.h"
#include "support/test_support.h"

namespace zz {
namespace {

namespace fs = std::filesystem;

using test::ISFileOf;
using test::kExample;
using test::kExampleRegNum;
using test::Lines;

std::map<std::string, std::string> Rows(const fs::path& csv) {
  std::map<std::string, std::string> rows;
  auto lines = Lines(test::ReadFile(csv));
  for (size_t i = 1; i < lines.size(); ++i) rows[lines[i].substr(0, lines[i].find(','))] = lines[i];
  return rows;
}

// A loopback port on which nothing listens.
int ClosedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

class IntakeResumeTest : public ::testing::Test {
 protected:
  test::TempDir work;
  fs::path is = work / "is";
  fs::path reports = work / "reports";
  fs::path config = work / "config";
  std::unique_ptr<test::TLivertoStubProcess> stub;

  IntakeResumeTest() {
    fs::create_directories(is);
    StartServer();
  }

  void StartServer(const std::vector<std::string>& options = {}) {
    stub = std::make_unique<test::TLivertoStubProcess>(kExample / "lists", options);
    Configure(stub->Port());
  }
  void Configure(int port, const std::string& options = "") {
    test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini",
                    "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(port) +
                        "\nApp=list4\nConnect=1\n[Options]\nWithList=0\nTerritoryControl=1\n" + options);
  }

  int Run(const std::vector<std::string>& args, const fs::path& output) {
    test::TProgramStart start{{test::BuiltProgram()}, config};
    start.Args.insert(start.Args.end(), args.begin(), args.end());
    start.Output = output;
    return test::RunProgramProcess(start);
  }
  std::vector<std::string> IntakeArgs(const std::string& extra) const {
    std::vector<std::string> args = {"intake", is.string(), reports.string()};
    for (std::string& word : test::Words(extra)) args.push_back(std::move(word));
    return args;
  }
  int Intake(const std::string& extra = "") { return Run(IntakeArgs(extra), work / "intake.txt"); }
  int Summarize() { return Run({"intake", "--summarize", reports.string()}, work / "summarize.txt"); }
  std::string Said() { return test::ReadFile(work / "intake.txt"); }

  pid_t StartIntake(const std::vector<std::string>& extra, const fs::path& output) {
    fs::create_directories(reports);
    test::TProgramStart start{{test::BuiltProgram(), "intake", is.string(), reports.string()}, config};
    start.Args.insert(start.Args.end(), extra.begin(), extra.end());
    start.Output = output;
    return test::StartProgram(start);
  }
  static int Wait(pid_t pid) { return test::WaitProgram(pid); }

  nlohmann::json Findings(const std::string& n) {
    std::ifstream in(reports / n / "findings.json");
    return nlohmann::json::parse(in, nullptr, false);
  }
  fs::file_time_type ProtocolTime(const std::string& n) {
    return fs::last_write_time(reports / n / Findings(n)["protocol"].get<std::string>());
  }
  std::string Protocol(const std::string& n) {
    return Cp1251ToUtf8(test::ReadFile(reports / n / Findings(n)["protocol"].get<std::string>()));
  }

  // Holds an employer's report directory as a run would: its run waits until Release.
  int HoldReportDir(const std::string& n) {
    test::WriteFile(reports / n / ".zazoru.lock", "");
    // Not inherited by the intake started after: its copy would keep the directory locked.
    int fd = open((reports / n / ".zazoru.lock").c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_EQ(flock(fd, LOCK_EX), 0);
    return fd;
  }
  // Waits until the employer's run says it waits for its report directory.
  bool RunIsWaiting(const std::string& n) {
    for (int i = 0; i < 1000; ++i) {
      std::ifstream in(reports / ".intake" / "output" / (n + ".txt"));
      std::string text((std::istreambuf_iterator<char>(in)), {});
      if (text.find("занят другой сверкой") != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
};

// A file that arrives with an old time, as cp -p, rsync -a or unpacking leave it.
void WriteWithOldTime(const fs::path& file, const std::string& bytes) {
  test::WriteFile(file, bytes);
  fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::hours(24 * 30));
}

TEST_F(IntakeResumeTest, ALaterIntakeRedoesAnEmployerWhoseFilesAreNotThoseItsRunRead) {
  const std::string a = "011-000-000001", b = "022-000-000002";
  WriteWithOldTime(is / (a + ".xml"), ISFileOf(a));
  WriteWithOldTime(is / (b + ".xml"), ISFileOf(b));
  ASSERT_EQ(Intake("--jobs 2"), 0) << Said();
  const auto a1 = ProtocolTime(a), b1 = ProtocolTime(b);

  // A late file of a with a time older than a's protocol.
  WriteWithOldTime(is / "late" / (a + "_2.xml"), ISFileOf(a));
  // b's file touched only: the same bytes are the same file. (Two seconds on, its digest is kept for
  // the next intake: a file changed just before an intake may change again with the same times.)
  const auto touched = fs::file_time_type::clock::now() + std::chrono::hours(1);
  fs::last_write_time(is / (b + ".xml"), touched);
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  ASSERT_EQ(Intake("--jobs 2"), 0) << Said();
  const auto a2 = ProtocolTime(a);
  EXPECT_NE(a2, a1);
  EXPECT_EQ(ProtocolTime(b), b1);
  EXPECT_NE(Protocol(a).find("<b>Всего исходных: 2</b>"), std::string::npos);
  EXPECT_NE(Said().find("(1 уже были сверены)"), std::string::npos) << Said();

  // b's bytes changed, its size and time kept: only the change time tells ...
  const std::string changed = ReplaceAll(ISFileOf(b), "Заречного", "Заречнаго");
  ASSERT_EQ(changed.size(), ISFileOf(b).size());
  test::WriteFile(is / (b + ".xml"), changed);
  fs::last_write_time(is / (b + ".xml"), touched);
  // ... and a's late file removed.
  fs::remove_all(is / "late");
  ASSERT_EQ(Intake("--jobs 2"), 0) << Said();
  EXPECT_NE(ProtocolTime(b), b1);
  EXPECT_NE(ProtocolTime(a), a2);
  EXPECT_NE(Protocol(a).find("<b>Всего исходных: 1</b>"), std::string::npos);
  EXPECT_EQ(Said().find("уже были сверены"), std::string::npos) << Said();
}

TEST_F(IntakeResumeTest, AnInterruptedAgainIsFinishedByTheNextPlainRun) {
  std::vector<std::string> numbers;
  for (int i = 1; i <= 8; ++i) {
    char n[33];  // room for the format with any two ints
    std::snprintf(n, sizeof n, "0%02d-000-0000%02d", i, i);
    numbers.push_back(n);
    test::WriteFile(is / (numbers.back() + ".xml"), ISFileOf(numbers.back()));
  }
  ASSERT_EQ(Intake("--jobs 2"), 0) << Said();
  std::map<std::string, fs::file_time_type> first;
  for (const auto& n : numbers) first[n] = ProtocolTime(n);

  // --again, interrupted while its first run waits.
  int held = HoldReportDir(numbers[0]);
  fs::remove_all(reports / ".intake" / "output");
  pid_t again = StartIntake({"--again", "--jobs", "1"}, work / "again.txt");
  ASSERT_TRUE(RunIsWaiting(numbers[0])) << test::ReadFile(work / "again.txt");
  kill(again, SIGINT);
  close(held);
  EXPECT_EQ(Wait(again), 29) << test::ReadFile(work / "again.txt");
  EXPECT_NE(ProtocolTime(numbers[0]), first[numbers[0]]);
  EXPECT_EQ(ProtocolTime(numbers.back()), first[numbers.back()]);

  // The plain run redoes what --again did not reach, and only that.
  ASSERT_EQ(Intake("--jobs 2"), 0) << Said();
  EXPECT_NE(Said().find("(1 уже были сверены)"), std::string::npos) << Said();
  for (const auto& n : numbers) EXPECT_NE(ProtocolTime(n), first[n]) << n;
}

// The records of finished runs are lines of one journal: one cut while it was written (a crash)
// costs the next intake that employer's run, no other.
TEST_F(IntakeResumeTest, ARecordCutByACrashRedoesThatEmployerOnly) {
  const std::string a = "011-000-000001", b = "022-000-000002";
  test::WriteFile(is / (a + ".xml"), ISFileOf(a));
  test::WriteFile(is / (b + ".xml"), ISFileOf(b));
  ASSERT_EQ(Intake("--jobs 1"), 0) << Said();
  const auto a1 = ProtocolTime(a), b1 = ProtocolTime(b);
  const fs::path journal = reports / ".intake" / "inputs.log";
  std::string text = test::ReadFile(journal);
  ASSERT_EQ(text.back(), '\n');
  const size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
  const std::string last = text.substr(lastLine);
  const std::string cutOne = last.find(a) != std::string::npos ? a : b, other = cutOne == a ? b : a;
  test::WriteFile(journal, text.substr(0, lastLine + last.size() / 2));

  ASSERT_EQ(Intake("--jobs 1"), 0) << Said();
  EXPECT_NE(Said().find("(1 уже были сверены)"), std::string::npos) << Said();
  EXPECT_NE(ProtocolTime(cutOne), cutOne == a ? a1 : b1);
  EXPECT_EQ(ProtocolTime(other), other == a ? a1 : b1);
  // The protocol names the file where it lies, not by the intake's link to it.
  EXPECT_NE(Protocol(a).find((is / (a + ".xml")).string()), std::string::npos);
  EXPECT_EQ(Protocol(a).find(".intake"), std::string::npos);
}

TEST_F(IntakeResumeTest, SummarizeShowsAnEmployerWhoseFilesChangedSinceItsRunAsStale) {
  const std::string a = "011-000-000001", b = "022-000-000002", c = "033-000-000003";
  for (const auto& n : {a, b}) WriteWithOldTime(is / (n + ".xml"), ISFileOf(n));
  ASSERT_EQ(Intake("--jobs 2"), 0) << Said();
  ASSERT_EQ(Summarize(), 0) << test::ReadFile(work / "summarize.txt");

  WriteWithOldTime(is / (b + ".xml"), ISFileOf(b) + "\n");
  WriteWithOldTime(is / (c + ".xml"), ISFileOf(c));  // a new employer
  EXPECT_EQ(Summarize(), 29) << test::ReadFile(work / "summarize.txt");
  auto rows = Rows(reports / "summary.csv");
  EXPECT_EQ(rows[a].find("устарел"), std::string::npos) << rows[a];
  EXPECT_NE(rows[b].find(",30,устарел: файлы изменились после сверки"), std::string::npos) << rows[b];
  EXPECT_NE(rows[c].find("не сверен: файлы появились после сверки"), std::string::npos) << rows[c];
  EXPECT_NE(test::ReadFile(work / "summarize.txt").find("устарели: 1"), std::string::npos)
      << test::ReadFile(work / "summarize.txt");

  // A plan for what changed: until its jobs have run, their old results are not shown as results.
  ASSERT_EQ(Run({"intake", "--plan", is.string(), reports.string()}, work / "plan.txt"), 0);
  EXPECT_EQ(Lines(test::ReadFile(work / "plan.txt")).size(), 2u);
  EXPECT_EQ(Summarize(), 29);
  rows = Rows(reports / "summary.csv");
  EXPECT_NE(rows[b].find("нет результата"), std::string::npos) << rows[b];
  EXPECT_EQ(rows[a].find("нет результата"), std::string::npos) << rows[a];
}

TEST_F(IntakeResumeTest, AListServerDownStopsTheIntakeAndTheNextIntakeRedoesEveryEmployer) {
  std::vector<std::string> numbers;
  for (int i = 1; i <= 6; ++i) {
    char n[33];  // room for the format with any two ints
    std::snprintf(n, sizeof n, "0%02d-000-0000%02d", i, i);
    numbers.push_back(n);
    test::WriteFile(is / (numbers.back() + ".xml"), ISFileOf(numbers.back()));
  }
  // Down before the start: nothing is started.
  stub->Stop();
  Configure(ClosedPort());
  EXPECT_EQ(Intake("--jobs 2"), 21) << Said();
  EXPECT_NE(Said().find("сервер Перечней недоступен"), std::string::npos) << Said();
  for (const auto& n : numbers) EXPECT_FALSE(fs::exists(reports / n / "findings.json")) << n;
  auto rows = Rows(reports / "summary.csv");
  ASSERT_EQ(rows.size(), numbers.size());
  EXPECT_NE(rows[numbers[0]].find(",21,не сверен: сервер Перечней недоступен"), std::string::npos) << rows[numbers[0]];

  // Down after the start: the first run waits for its directory while the server goes.
  StartServer();
  int held = HoldReportDir(numbers[0]);
  pid_t intake = StartIntake({"--jobs", "1"}, work / "intake.txt");
  ASSERT_TRUE(RunIsWaiting(numbers[0])) << Said();
  stub->Stop();
  close(held);
  EXPECT_EQ(Wait(intake), 21) << Said();
  EXPECT_NE(Said().find("сервер Перечней недоступен"), std::string::npos) << Said();
  rows = Rows(reports / "summary.csv");
  // Three runs in a row ended with 21 (the default of IntakeServerFailures); no further one started.
  for (size_t i = 0; i < 3; ++i) EXPECT_NE(rows[numbers[i]].find(",21,"), std::string::npos) << rows[numbers[i]];
  for (size_t i = 3; i < numbers.size(); ++i) {
    EXPECT_NE(rows[numbers[i]].find(",21,не сверен: сервер Перечней недоступен"), std::string::npos)
        << rows[numbers[i]];
    EXPECT_FALSE(fs::exists(reports / ".intake" / "output" / (numbers[i] + ".txt"))) << numbers[i];
  }
  EXPECT_NE(test::ReadFile(reports / "index.html").find("сервер Перечней недоступен"), std::string::npos);

  // Up again: every employer is reconciled, none counted done before.
  StartServer();
  EXPECT_EQ(Intake("--jobs 2"), 0) << Said();
  EXPECT_EQ(Said().find("уже были сверены"), std::string::npos) << Said();
  rows = Rows(reports / "summary.csv");
  for (const auto& n : numbers) EXPECT_NE(rows[n].find(",30,найдены ошибки,1,1,"), std::string::npos) << rows[n];
}

TEST_F(IntakeResumeTest, AHangingListServerIsCaughtBeforeTheFirstRun) {
  for (const std::string n : {"011-000-000001", "022-000-000002", "033-000-000003"})
    test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  StartServer({"--delay-ms", "60000"});
  Configure(stub->Port(), "IntakeServerTimeout=2\n");
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(Intake("--jobs 2"), 21) << Said();
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 20.0);
  EXPECT_NE(Said().find("сервер Перечней недоступен"), std::string::npos) << Said();
  EXPECT_NE(Said().find("сервер не ответил за 2000 мс"), std::string::npos) << Said();
  EXPECT_FALSE(fs::exists(reports / ".intake" / "output" / "011-000-000001.txt"));
  EXPECT_EQ(stub->Queries().size(), 1u);
}

TEST_F(IntakeResumeTest, ASecondIntakeOnTheSameReportRootIsRefused) {
  const std::string a = "011-000-000001", b = "022-000-000002";
  for (const auto& n : {a, b}) test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  int held = HoldReportDir(a);
  pid_t first = StartIntake({"--jobs", "1"}, work / "first.txt");
  ASSERT_TRUE(RunIsWaiting(a)) << test::ReadFile(work / "first.txt");
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(Intake("--jobs 1"), 21) << Said();
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 10.0);
  EXPECT_NE(Said().find("занят другой сверкой"), std::string::npos) << Said();
  EXPECT_EQ(Summarize(), 21);
  close(held);
  EXPECT_EQ(Wait(first), 0) << test::ReadFile(work / "first.txt");
  EXPECT_EQ(Rows(reports / "summary.csv").size(), 2u);
}

TEST_F(IntakeResumeTest, ThePlanListsTheLargestFirstAndOnlyRedoesOneEmployer) {
  const std::string a = "011-000-000001", b = "022-000-000002", large = "033-000-000003";
  for (const auto& n : {a, b}) test::WriteFile(is / (n + ".xml"), ISFileOf(n));
  test::WriteFile(is / "q3" / (large + ".xml"), ISFileOf(large));
  test::WriteFile(is / "q4" / (large + ".xml"), ISFileOf(large));
  ASSERT_EQ(Run({"intake", "--plan", is.string(), reports.string()}, work / "plan.txt"), 0);
  auto plan = Lines(test::ReadFile(work / "plan.txt"));
  ASSERT_EQ(plan.size(), 3u);
  EXPECT_NE(plan[0].find("'--regnum' '" + large + "'"), std::string::npos) << plan[0];
  EXPECT_NE(plan[1].find("'--regnum' '" + a + "'"), std::string::npos) << plan[1];

  ASSERT_EQ(Intake("--jobs 2"), 0) << Said();
  const auto rows = Rows(reports / "summary.csv");
  const auto a1 = ProtocolTime(a), b1 = ProtocolTime(b), large1 = ProtocolTime(large);
  // Changed files of another employer do not make --only redo it.
  test::WriteFile(is / (a + ".xml"), ISFileOf(a) + "\n");
  ASSERT_EQ(Intake("--only " + b), 0) << Said();
  EXPECT_NE(ProtocolTime(b), b1);
  EXPECT_EQ(ProtocolTime(a), a1);
  EXPECT_EQ(ProtocolTime(large), large1);
  auto after = Rows(reports / "summary.csv");
  EXPECT_EQ(after.size(), 3u);
  EXPECT_EQ(after[large], rows.at(large));
  EXPECT_NE(after[a].find("устарел"), std::string::npos) << after[a];
  EXPECT_NE(Said().find("Сверено 1 из 1"), std::string::npos) << Said();

  EXPECT_EQ(Intake("--only 099-000-000099"), 21);
  EXPECT_NE(Said().find("099-000-000099"), std::string::npos) << Said();
  EXPECT_EQ(Intake("--only 12345"), 21);
}

}  // namespace
}  // namespace zz
