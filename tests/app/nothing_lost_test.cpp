// Files the user relies on survive interrupted and concurrent runs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/config_file.h"
#include "base/ini_file.h"
#include "base/strings.h"
#include "base/utils.h"
#include "support/liverto_stub_process.h"
#include "support/process_state.h"
#include "support/program_process.h"
#include "support/test_support.h"

namespace zz {
namespace {

TEST(NothingLostTest, KilledWhileWritingTheConfigurationLeavesAWholeFile) {
  test::ResetProcessState();
  test::TempDir dir;
  TSettings& s = TSettings::GetInstance();
  s.FDirList = std::string(2 << 20, 'a');  // large enough that a write takes a while
  s.FYear = 2020;
  ASSERT_TRUE(WriteConfiguration(s, dir.path()));
  const std::string before = test::ReadFile(dir / "ZazoruConfig.ini");

  for (int delayMs : {1, 5, 20, 60}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      TSettings& c = TSettings::GetInstance();
      for (int i = 0;; ++i) {
        c.FDirList = std::string((2 << 20) + i, 'b');
        c.FYear = 2021;
        WriteConfiguration(c, dir.path());
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::string after = test::ReadFile(dir / "ZazoruConfig.ini");
    // Either the previous file or a complete new one, never a mixture or a cut.
    EXPECT_TRUE(after.ends_with("SavePassw=0\r\n")) << delayMs;
    TIniFile ini(dir / "ZazoruConfig.ini");
    int year = ini.ReadInteger("Variables", "Year", 0);
    EXPECT_TRUE(year == 2020 || year == 2021) << delayMs;
    std::string list = ini.ReadString("Directories", "Perech", "");
    EXPECT_TRUE(year == 2020 ? after == before : list.find('a') == std::string::npos) << delayMs;
  }
  test::ResetProcessState();
}

TEST(NothingLostTest, TwoRunsIntoOneReportDirectoryDoNotMixTheirParts) {
  const auto example = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
  test::TempDir work;
  // A slow server keeps the first run inside its search while the second one starts.
  test::TLivertoStubProcess stub(example / "lists", {"--delay-ms", "700"});
  std::vector<pid_t> runs;
  for (const char* name : {"first", "second"}) {
    std::filesystem::path config = work / name;
    test::WriteFile(
        config / "Zazoru" / "ZazoruConfig.ini",
        "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(stub.Port()) + "\nConnect=1\n[Options]\nDebug=1\n");
    std::filesystem::create_directories(work / "reports");
    pid_t pid = test::StartProgram(
        {{test::BuiltProgram(), "bpi", (example / "is").string(), (work / "reports").string()}, config});
    ASSERT_GE(pid, 0);
    runs.push_back(pid);
    // The second starts once the first has asked the server: it holds the directory by then,
    // however slowly the machine started it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (runs.size() == 1 && stub.Queries().empty() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (pid_t pid : runs) EXPECT_EQ(test::WaitProgram(pid), 30);
  std::string protocol = Cp1251ToUtf8(test::ReadFile(work / "reports" / "ZAZORU-2023-4-REGNO-087-104-003215.html"));
  EXPECT_NE(protocol.find("<b>Всего исходных: 1</b>"), std::string::npos);
  size_t headings = 0;
  for (size_t p = protocol.find("Отчетный период:"); p != std::string::npos;
       p = protocol.find("Отчетный период:", p + 1))
    ++headings;
  EXPECT_EQ(headings, 1u);
  std::string secondLog;
  for (const auto& f : ListFilesByExtension(work / "second" / "Zazoru" / "logs", ".log"))
    secondLog += test::ReadFile(f);
  EXPECT_NE(secondLog.find("занят другой сверкой, ожидаем её завершения"), std::string::npos);
}

}  // namespace
}  // namespace zz
