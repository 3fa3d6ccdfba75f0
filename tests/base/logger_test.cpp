// The log: dropped entries, flushing, failures with their stack-trace files, one line per entry.
#include <gtest/gtest.h>

#include <regex>

#include "base/logger.h"
#include "base/singleton.h"
#include "base/utils.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

class LoggerTest : public test::FreshProcessTest {
 protected:
  test::TempDir dir;
  std::filesystem::path logDir = dir.path() / "a" / "b" / "logs";
  TLogger& logger() { return TLogger::GetInstance(); }
  std::vector<std::filesystem::path> Files(const char* ext) { return ListFilesByExtension(logDir, ext); }
};

TEST_F(LoggerTest, EntriesBeforeInitAndInformationWithoutDebugAreDropped) {
  logger().AddEntry("lost", true);
  EXPECT_FALSE(logger().Initialized());
  logger().Init(logDir.string(), false, "15.12.2023");
  logger().AddEntry("info only", false);
  EXPECT_FALSE(std::filesystem::exists(logDir));
  EXPECT_FALSE(logger().HasErrors());

  std::vector<std::string> seen;
  logger().Growl = [&](const std::string& line) { seen.push_back(line); };
  logger().AddEntry("first error", true);
  logger().AddEntry("more info", false);
  EXPECT_TRUE(logger().HasErrors());
  auto logs = Files(".log");
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_TRUE(std::regex_match(logs[0].filename().string(),
                               std::regex(R"(15\.12\.2023Log_\d\d\.\d\d\.\d{4} \d\d\.\d\d\.\d\d\.\d{3}\.log)")));
  std::string text = test::ReadFile(logs[0]);
  EXPECT_TRUE(std::regex_match(text, std::regex("\xEF\xBB\xBF\\[ОШИБКА\\] \\d\\d\\.\\d\\d\\.\\d{4} "
                                                "\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d{3} first error\r\n")));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], text.substr(3, text.size() - 5));
}

TEST_F(LoggerTest, EveryEntryIsFlushedAtOnce) {
  logger().Init(logDir.string(), true, "P");
  logger().AddEntry("one", false);
  EXPECT_NE(test::ReadFile(Files(".log")[0]).find("[ИНФО] "), std::string::npos);
  logger().AddEntry("two", false);
  EXPECT_NE(test::ReadFile(Files(".log")[0]).find(" two\r\n"), std::string::npos);
}

TEST_F(LoggerTest, ExceptionGoesToTheLogAndATraceFile) {
  logger().Init(logDir.string(), false, "P");
  std::string trace = logger().LogException(std::runtime_error("первое\r\nвторое"));
  ASSERT_FALSE(trace.empty());
  std::string traceText = test::ReadFile(trace);
  EXPECT_EQ(traceText.rfind("\xEF\xBB\xBFСообщение об ошибке: первое\r\nвторое\r\n", 0), 0u);
  EXPECT_GT(std::count(traceText.begin(), traceText.end(), '\n'), 3);
  std::string log = test::ReadFile(Files(".log")[0]);
  EXPECT_NE(log.find("Произошла ошибка: первоевторое\r\n"), std::string::npos);
  EXPECT_NE(log.find("\r\n    "), std::string::npos);  // stack lines, indented, without prefix
  EXPECT_NE(log.find("Стек ошибки сохранён в файл " + trace + ", направьте его разработчику."), std::string::npos);
}

TEST_F(LoggerTest, UnwritableDirectoryFailsTheEntry) {
  test::WriteFile(dir / "blocker", "");
  logger().Init((dir / "blocker" / "logs").string(), true, "P");
  EXPECT_ANY_THROW(logger().AddEntry("x", true));
}

struct TBaseSingleton : TSingleton {
  static inline int constructed = 0;
  TBaseSingleton() { ++constructed; }
};
struct TDerivedSingleton : TBaseSingleton {};

TEST(SingletonTest, OneInstancePerExactClass) {
  test::ResetProcessState();
  TBaseSingleton::constructed = 0;
  TBaseSingleton& a = TSingleton::GetInstance<TBaseSingleton>();
  TBaseSingleton& b = TSingleton::GetInstance<TBaseSingleton>();
  EXPECT_EQ(&a, &b);
  EXPECT_EQ(TBaseSingleton::constructed, 1);
  TDerivedSingleton& d = TSingleton::GetInstance<TDerivedSingleton>();
  EXPECT_NE(static_cast<TBaseSingleton*>(&d), &a);
  EXPECT_EQ(TBaseSingleton::constructed, 2);
  TSingleton::DestroyInstance<TBaseSingleton>();
  EXPECT_EQ(&TSingleton::GetInstance<TDerivedSingleton>(), &d);
  TSingleton::GetInstance<TBaseSingleton>();
  EXPECT_EQ(TBaseSingleton::constructed, 3);
  test::ResetProcessState();
}

}  // namespace
}  // namespace zz
