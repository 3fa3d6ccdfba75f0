// The program entry: refusals, their messages and exit codes, failures before the log exists.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/program.h"
#include "app/work_manager.h"
#include "base/logger.h"
#include "base/utils.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

// Each case runs the whole program with its data directory in a temporary XDG_CONFIG_HOME.
class ProgramTest : public test::FreshProcessTest {
 protected:
  test::TempDir home;
  std::filesystem::path dataDir = home.path() / "Zazoru";
  void SetUp() override { setenv("XDG_CONFIG_HOME", home.path().c_str(), 1); }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }
  void WriteConfig(const std::string& text) { test::WriteFile(dataDir / "ZazoruConfig.ini", text); }
  std::string LogText() {
    std::string all;
    for (const auto& f : ListFilesByExtension(dataDir / "logs", ".log")) all += test::ReadFile(f);
    return all;
  }
};

TEST_F(ProgramTest, DirectoryWithoutRegistrationNumberIsRefusedWith21) {
  WriteConfig("[Options]\nDebug=1\n");
  test::TempDir is;
  test::WriteFile(is / "no-number-here.xml", "<a/>");
  EXPECT_EQ(RunProgram({"zazoru", "bpi", is.path().string()}), 21);
  std::string log = LogText();
  EXPECT_EQ(log.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_NE(log.find("[ОШИБКА] "), std::string::npos);
  EXPECT_NE(log.find(" Не найден рег. номер\r\n"), std::string::npos);
  EXPECT_NE(log.find("***возникли ошибки в параметрах сверки"), std::string::npos);
  EXPECT_NE(log.find("Перед началом сверки укажите корректный регистрационный номер предприятия!"), std::string::npos);
  EXPECT_NE(log.find("[ИНФО] "), std::string::npos);
  EXPECT_NE(log.find("---установленая дата 0"), std::string::npos);
}

TEST_F(ProgramTest, BatchRefusalListsEveryMessageOfTheMode) {
  WriteConfig(
      "[Options]\nAccumulate=1\nStaff=0\nNameList=0\n[LivertoServer]\nGetLastList=1\n"
      "[Directories]\nReport=/nonexistent/reports\n");
  EXPECT_EQ(RunProgram({"zazoru", "/bpi", "123-456-789012"}), 21);
  std::string log = LogText();  // errors are written even with Debug off
  EXPECT_EQ(log.find("[ИНФО]"), std::string::npos);
  for (const char* message : {"Проверьте путь, где будет сохраняться протокол сверки! Такого каталога не существует!",
                              "Выберите хотя бы одну из опций сверки", "в конфигурационном файле параметр WithList=1",
                              "В режиме БПИ опция \"Накопительным итогом\" не может быть использована!",
                              "В режиме БПИ опция \"Брать последний актуальный Перечень\" не может быть использована!"})
    EXPECT_NE(log.find(message), std::string::npos) << message;
  EXPECT_EQ(log.find("корректный регистрационный номер"), std::string::npos);
}

TEST_F(ProgramTest, FailureBeforeTheLoggerIsReadyEndsWith29AndSaysWhy) {
  test::WriteFile(dataDir / "CrossingList.txt", "A/B/not-a-year/1\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram({"zazoru", "/bpi", "123-456-789012"}), 29);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("not-a-year"), std::string::npos);
  // The log is opened for the reason all the same.
  EXPECT_NE(LogText().find("not-a-year"), std::string::npos);
}

TEST_F(ProgramTest, FailureAfterTheLoggerIsReadyLeavesATraceFile) {
  test::TempDir is;
  WriteConfig("[Options]\nWithList=0\nTerritoryControl=1\n[Directories]\nReport=" + is.path().string() + "\n");
  test::WriteFile(is / "init.part", "old");
  test::WriteFile(is / "szv_123-456-789012.xml", "<not-an-is-file/>");
  // The protocol cannot be created where a directory of its name stands.
  std::filesystem::create_directories(is / "ZAZORU-0-0-REGNO-123-456-789012.html");
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram({"zazoru", "bpi", is.path().string()}), 29);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("критическая ошибка"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(is / "init.part"));
  auto traces = ListFilesByExtension(dataDir / "logs", ".trace");
  ASSERT_EQ(traces.size(), 1u);
  EXPECT_EQ(test::ReadFile(traces[0]).rfind("\xEF\xBB\xBFСообщение об ошибке: Не удалось записать файл", 0), 0u);
  std::string log = LogText();
  EXPECT_NE(log.find("Произошла ошибка: Не удалось записать файл"), std::string::npos);
  EXPECT_NE(log.find("Стек ошибки сохранён в файл " + traces[0].string() + ", направьте его разработчику."),
            std::string::npos);
  EXPECT_NE(log.find("***критическая ошибка"), std::string::npos);
}

TEST_F(ProgramTest, HelpAndVersionComeFirst) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(RunProgram({"zazoru", "bpi", "--version"}), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("zazoru " + TSettings::GetInstance().FullVersion(), 0), 0u);
  testing::internal::CaptureStdout();
  EXPECT_EQ(RunProgram({"zazoru", "--help"}), 0);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("bpi"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dataDir));
}

TEST_F(ProgramTest, WindowAskedOfABuildWithoutWindowsIsRefusedWith29) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram({"zazoru"}), 29);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("оконный режим в этой сборке недоступен"), std::string::npos);
}

TEST_F(ProgramTest, DataDirectoryOfBothForms) {
  EXPECT_EQ(TWorkManager::DataDirectory(false), dataDir);
  EXPECT_EQ(TWorkManager::DataDirectory(true), ExecutableDir());
  unsetenv("XDG_CONFIG_HOME");
  const char* oldHome = std::getenv("HOME");
  std::string savedHome = oldHome ? oldHome : "";
  setenv("HOME", home.path().c_str(), 1);
  EXPECT_EQ(TWorkManager::DataDirectory(false), home.path() / ".config" / "Zazoru");
  setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(ProgramTest, PrepareClearsTheTemporaryDirectoryAndFillsClassifiers) {
  test::WriteFile(dataDir / "Temp" / "left.xml", "x");
  TWorkManagerBPI manager(false);
  static_cast<TWorkManager&>(manager).TWorkManager::Prepare();
  EXPECT_FALSE(std::filesystem::exists(dataDir / "Temp" / "left.xml"));
  EXPECT_TRUE(TSettings::GetInstance().FHasXMLClassifiers);
  EXPECT_NO_THROW(ClassifierList(ctAddStag));
  std::string reason = "x";
  EXPECT_TRUE(manager.UpdateCrossList(reason));
  EXPECT_EQ(reason, "");
}

}  // namespace
}  // namespace zz
