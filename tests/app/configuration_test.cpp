// The configuration file: defaults, malformed values, round trips, and what a run keeps of it.
#include <gtest/gtest.h>

#include "app/config_file.h"
#include "base/ini_file.h"
#include "settings/list_file_error.h"
#include "settings/scramble.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

class ConfigurationTest : public test::FreshProcessTest {
 protected:
  test::TempDir dir;
  TSettings& s = TSettings::GetInstance();
};

TEST_F(ConfigurationTest, FirstStartReadsTheDefaults) {
  ReadConfiguration(s, dir.path() / "never-created");
  EXPECT_EQ(s.FDirList, DefaultDirectory());
  EXPECT_EQ(s.FDirPD, DefaultDirectory());
  EXPECT_EQ(s.FDirReport, DefaultDirectory());
  EXPECT_EQ(s.FULAppName, "list4");
  EXPECT_EQ(s.FULMachine, "");
  EXPECT_EQ(s.FYear, CurrentYear());
  EXPECT_EQ(s.FPeriod, 4);
  EXPECT_TRUE(s.FCompareWithList && s.FCompareWithListStaff && s.FCompareWithListNameList && s.FCheckPerFormat);
  EXPECT_FALSE(s.FDebug || s.UseUL() || s.fCompareTerrCodes || s.FAccumulateOption || s.FSaveULPass);
  EXPECT_FALSE(s.FCrossDateLastUpdate.has_value());
}

TEST_F(ConfigurationTest, MalformedValuesReadAsDefaultsAndCommandLineDirectoriesWin) {
  test::WriteFile(dir / "ZazoruConfig.ini",
                  "[options]\r\ndebug = 2\r\nWithList=yes\r\nStaff=0\r\n[Variables]\r\nYear=20x3\r\nPeriod=-1\r\n"
                  "[CrossListServer]\r\nDateLastUpdate=31.02.2023\r\n[Directories]\r\nIS=/from/ini\r\nReport=/r\r\n");
  s.FDirPD = "/from/command/line";
  ReadConfiguration(s, dir.path());
  EXPECT_TRUE(s.FDebug);            // any non-zero integer is on
  EXPECT_TRUE(s.FCompareWithList);  // not a number: the default
  EXPECT_FALSE(s.FCompareWithListStaff);
  EXPECT_EQ(s.FYear, CurrentYear());
  EXPECT_EQ(s.FPeriod, -1);
  EXPECT_FALSE(s.FCrossDateLastUpdate.has_value());
  EXPECT_EQ(s.FDirPD, "/from/command/line");
  EXPECT_EQ(s.FDirReport, "/r");
  test::WriteFile(dir / "ZazoruConfig.ini", "[Options]\nDebug=abc\n");
  ReadConfiguration(s, dir.path());
  EXPECT_FALSE(s.FDebug);
}

TEST_F(ConfigurationTest, WriteThenReadGivesTheSameSettings) {
  s.FDirList = "/lists";
  s.FDirPD = "/is dir";
  s.FDirReport = "/reports";
  s.FULMachine = "server";
  s.FULPort = "8080";
  s.FULAppName = "app";
  s.FSaveULPass = true;
  s.FGetLastListFromUL = true;
  s.FULLogin = ScrambleText("user", kLoginKey);
  s.FULPass = ScrambleText("pa=ss", kPasswordKey);
  s.SetUseUL(true);
  s.FYear = 2021;
  s.FPeriod = 2;
  s.fPensOption = true;
  s.fCompareTerrCodes = true;
  s.FCompareTerrCodesExtMode = true;
  s.FCompareWithListStaff = false;
  s.FCompareWithListNameList = true;
  s.FAccumulateOption = true;
  s.FCompareWithList = false;
  s.FDebug = true;
  s.FCheckPerFormat = false;
  s.FCrossUserDB = "dbuser";
  s.FCrossPasswordDB = "dbpass";
  s.FCrossServerName = "db";
  s.FCrossServerPort = "5432";
  s.FCrossServerBase = "base";
  s.FCrossDateLastUpdate = ParseDate("05.06.2024");
  s.FCrossAutoUpdate = true;
  s.FCrossSavePass = true;
  s.FTerrCodeRightList.emplace_back("123-456", TTerritoryRights{.MKS = true, .Country = true}, "", "31.12.2022");
  s.CrossListAddElement("111-111-111111", "222-222-222222", 2020, 3);
  ASSERT_TRUE(WriteConfiguration(s, dir.path()));
  std::string written = test::ReadFile(dir / "ZazoruConfig.ini");
  EXPECT_LT(written.find("[Directories]"), written.find("[LivertoServer]"));
  EXPECT_LT(written.find("[Variables]"), written.find("[Options]"));
  EXPECT_NE(written.find("Connect=1\r\n"), std::string::npos);

  test::ResetProcessState();
  TSettings& r = TSettings::GetInstance();
  ReadConfiguration(r, dir.path());
  EXPECT_EQ(r.FDirList, "/lists");
  EXPECT_EQ(r.FDirPD, "/is dir");
  EXPECT_EQ(r.FULMachine, "server");
  EXPECT_EQ(r.FULAppName, "app");
  EXPECT_EQ(UnscrambleText(r.FULLogin, kLoginKey), "user");
  EXPECT_EQ(UnscrambleText(r.FULPass, kPasswordKey), "pa=ss");
  EXPECT_TRUE(r.UseUL() && r.FSaveULPass && r.FGetLastListFromUL && r.fPensOption && r.fCompareTerrCodes);
  EXPECT_TRUE(r.FCompareTerrCodesExtMode && r.FAccumulateOption && r.FDebug && r.FCrossAutoUpdate);
  EXPECT_FALSE(r.FCompareWithListStaff || r.FCompareWithList || r.FCheckPerFormat);
  EXPECT_EQ(r.FYear, 2021);
  EXPECT_EQ(r.FPeriod, 2);
  EXPECT_EQ(r.FCrossUserDB, "dbuser");
  EXPECT_EQ(r.FCrossServerBase, "base");
  EXPECT_EQ(FormatDate(*r.FCrossDateLastUpdate), "05.06.2024");
  ASSERT_EQ(r.FTerrCodeRightList.size(), 1u);
  EXPECT_EQ(r.FTerrCodeRightList[0].FDateEnd, "31.12.2022");
  ASSERT_EQ(r.FCrossList.size(), 1u);
  EXPECT_EQ(r.FCrossList[0].FCrossPeriod, 3);
}

TEST_F(ConfigurationTest, CredentialsAreNotStoredUnlessAsked) {
  s.FULLogin = "scrambled";
  s.FULPass = "scrambled";
  s.FCrossUserDB = "u";
  s.FSaveULPass = false;
  s.FCrossSavePass = false;
  ASSERT_TRUE(WriteConfiguration(s, dir.path()));
  TIniFile ini(dir / "ZazoruConfig.ini");
  EXPECT_EQ(ini.ReadString("LivertoServer", "Login", "?"), "");
  EXPECT_EQ(ini.ReadString("LivertoServer", "Password", "?"), "");
  EXPECT_EQ(ini.ReadString("CrossListServer", "Login", "?"), "");
}

TEST_F(ConfigurationTest, WritingKeepsForeignKeysAndFailsOnAReadOnlyPlace) {
  test::WriteFile(dir / "ZazoruConfig.ini", "; comment\n[Own]\nKey=value\n[Options]\nDebug=1\nExtra=x\n");
  ASSERT_TRUE(WriteConfiguration(s, dir.path()));
  TIniFile ini(dir / "ZazoruConfig.ini");
  EXPECT_EQ(ini.ReadString("Own", "Key", ""), "value");
  EXPECT_EQ(ini.ReadString("Options", "Extra", ""), "x");
  EXPECT_EQ(ini.ReadString("Options", "Debug", ""), "0");
  std::string text = test::ReadFile(dir / "ZazoruConfig.ini");
  EXPECT_EQ(text.rfind("; comment", 0), 0u);

  test::WriteFile(dir / "file", "");
  EXPECT_FALSE(WriteConfiguration(s, dir / "file" / "sub"));  // a file where the directory should be
}

TEST_F(ConfigurationTest, QuotedValuesLoseOnePairOfQuotes) {
  test::WriteFile(dir / "ZazoruConfig.ini",
                  "[LivertoServer]\nName=\"my host\"\nPort='8080'\nApp=\"\"list4\"\"\nLogin=\"half\n"
                  "Password=\"\"\nConnect=\"1\"\n[Directories]\nReport = \" /reports \" \nIS=\"/is'\n");
  ReadConfiguration(s, dir.path());
  EXPECT_EQ(s.FULMachine, "my host");
  EXPECT_EQ(s.FULPort, "8080");
  EXPECT_EQ(s.FULAppName, "\"list4\"");  // one pair only
  EXPECT_EQ(s.FULLogin, "\"half");       // no pair: as written
  EXPECT_EQ(s.FULPass, "");
  EXPECT_TRUE(s.UseUL());  // numbers too
  EXPECT_EQ(s.FDirReport, " /reports ");
  EXPECT_EQ(s.FDirPD, "\"/is'");  // quotes that do not match stay

  // Values that reading would change are written so that they read back as they were.
  s.FULMachine = "\"quoted\"";
  s.FDirList = " /lists with blanks ";
  s.FULPort = "'";
  ASSERT_TRUE(WriteConfiguration(s, dir.path()));
  TSettings& r = TSettings::GetInstance();
  r.FDirPD.clear();
  r.FDirReport.clear();
  ReadConfiguration(r, dir.path());
  EXPECT_EQ(r.FULMachine, "\"quoted\"");
  EXPECT_EQ(r.FDirList, " /lists with blanks ");
  EXPECT_EQ(r.FULPort, "'");
  EXPECT_EQ(r.FDirReport, " /reports ");
}

TEST_F(ConfigurationTest, DamagedReferenceListsNameTheFileTheLineAndTheValue) {
  auto failure = [&](const char* name, const std::string& text) {
    test::WriteFile(dir / name, text);
    try {
      ReadConfiguration(s, dir.path());
    } catch (const TListFileError& e) {
      std::filesystem::remove(dir / name);
      return std::string(e.what());
    }
    std::filesystem::remove(dir / name);
    return std::string("no failure");
  };
  const std::string cross = (dir / "CrossingList.txt").string();
  EXPECT_EQ(failure("CrossingList.txt", "A/B/2021/3\r\n\r\nA/B/20x1/3\r\n"),
            "Ошибка в файле " + cross + ", строка 3: значение \"20x1\" не является целым числом");
  EXPECT_EQ(failure("CrossingList.txt", "A/B/2021/x\n"),
            "Ошибка в файле " + cross + ", строка 1: значение \"x\" не является целым числом");
  const std::string rights = (dir / "RightList.txt").string();
  EXPECT_EQ(failure("RightList.txt", "123-456/11000000\n123/00000001 01.01.2023 31.02.2023\n"),
            "Ошибка в файле " + rights + ", строка 2: значение \"31.02.2023\" не является датой в формате дд.мм.гггг");
  EXPECT_EQ(failure("RightList.txt", "123/00000001            2023-01-01\n"),
            "Ошибка в файле " + rights + ", строка 1: значение \"2023-01-01\" не является датой в формате дд.мм.гггг");
  // Sound lists with the placeholders of unset dates load.
  EXPECT_EQ(failure("RightList.txt", "123/00000001            31.12.2022\n123-456\n"), "no failure");
  // The failure is a reader's error: the file and the line beside the text.
  test::WriteFile(dir / "CrossingList.txt", "A/B/2021/3\nA/B/20x1/3\n");
  try {
    ReadConfiguration(s, dir.path());
    ADD_FAILURE() << "no failure";
  } catch (const TListFileError& e) {
    EXPECT_EQ(e.Error().File, cross);
    EXPECT_EQ(e.Error().Line, 2);
    EXPECT_EQ(e.Error().Text, e.what());
  }
  std::filesystem::remove(dir / "CrossingList.txt");
}

TEST_F(ConfigurationTest, ShippedDefaultFilesAreCopiedButNeverOverwritten) {
  test::TempDir cwd;
  auto saved = std::filesystem::current_path();
  std::filesystem::current_path(cwd.path());
  test::WriteFile(cwd / "ZazoruConfig.ini", "[Variables]\nPeriod=2\n");
  test::WriteFile(cwd / "RightList.txt", "123-456/11111111\n");
  test::WriteFile(dir / "RightList.txt", "999/00000000\n");
  ReadConfiguration(s, dir / "data");
  test::WriteFile(dir / "data" / "RightList.txt", "kept\n");
  ReadConfiguration(s, dir / "data");
  std::filesystem::current_path(saved);
  EXPECT_EQ(s.FPeriod, 2);
  EXPECT_EQ(test::ReadFile(dir / "data" / "RightList.txt"), "kept\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "data" / "CrossingList.txt"));
}

}  // namespace
}  // namespace zz
