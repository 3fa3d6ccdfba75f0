// Runs whose exit code and protocol must agree with what the input holds, in the corners real
// employers' files reach: corrections, red messages without tables, damaged Perechen fields.
#include <regex>

#include "app/batch_run_fixture.h"

namespace zz {
namespace {

using test::kExample;
using test::kRegNum;

class TrustRunTest : public test::VerificationRunTest {
 protected:
  static constexpr const char* kSnils = "112-233-445 95";
  static constexpr const char* kGrounds27_2 =
      "<ИС4:ОУТ><ИС4:Код>27-2</ИС4:Код><ИС4:ПозицияСписка>23200000-13786</ИС4:ПозицияСписка></ИС4:ОУТ>";
  static constexpr const char* kNorth = "<ИС4:ТУ><ИС4:Основание>МКС</ИС4:Основание></ИС4:ТУ>";

  // A СЗВ-КОРР of 2024 that corrects 2023 for the example employer: one person with the given
  // grounds over the fourth quarter.
  void WriteCorrection2023(const std::string& snils, const std::string& grounds) {
    std::string file =
        ReplaceAll(test::ReadFile(test::TestDataPath("is/szv_korr_2018_is5.xml")), "087-001-000001", kRegNum);
    const std::string is5 = ReplaceAll(grounds, "ИС4:", "ИС5:");
    test::WriteFile(
        is / (kRegNum + "_СЗВ-КОРР_2024.xml"),
        file.substr(0, file.find("<СЗВ-КОРР>")) +
            "<СЗВ-КОРР><ОтчетныйПериод><Код>0</Код><Год>2024</Год></ОтчетныйПериод><КорректируемыйПериод>"
            "<ОтчетныйПериод><Код>0</Код><Год>2023</Год></ОтчетныйПериод></КорректируемыйПериод><Тип>0</Тип>"
            "<ЗЛ><ФИО><УТ2:Фамилия>Ветлугин</УТ2:Фамилия><УТ2:Имя>Степан</УТ2:Имя><УТ2:Отчество>Аркадьевич"
            "</УТ2:Отчество></ФИО><СНИЛС>" +
            snils +
            "</СНИЛС></ЗЛ><СтажевыйПериод><ИС5:Период><УТ2:С>2023-10-01</УТ2:С><УТ2:По>2023-12-31</УТ2:По>"
            "</ИС5:Период><ИС5:ЛьготныйСтаж>" +
            is5 + "</ИС5:ЛьготныйСтаж></СтажевыйПериод></СЗВ-КОРР></ЭДФЗЖ>\n");
  }
  // The Perechen's named list holding the person of kSnils on the 27-2 job over the quarter.
  void WriteMatchingPerechen() {
    WritePerechen(kRegNum, 2023,
                  ListWorker(kSnils, ListPeriod("01.10.2023", "31.12.2023",
                                                "<ОснованиеЛьготы>27-2</ОснованиеЛьготы><ПозицияСписка>23200000-13786"
                                                "</ПозицияСписка><Ставка>1</Ставка>")));
  }
  void ClearReports() {
    for (const auto& entry : std::filesystem::directory_iterator(reports)) std::filesystem::remove_all(entry);
  }
  std::string Log() {
    auto logs = ListFilesByExtension(config / "Zazoru" / "logs", ".log");
    return logs.empty() ? std::string() : test::ReadFile(logs.back());
  }
};

TEST_F(TrustRunTest, ACorrectionRemovesExactlyThePersonItReplaces) {
  const std::string options = "[Options]\nTerritoryControl=1\nStaff=0\nNameList=1\n";
  WriteMatchingPerechen();
  // The initial record's unlawful code goes with the record the correction replaces: no table left.
  WriteStazh2023(Person(kSnils, IsPeriod("2023-10-01", "2023-12-31", std::string(kNorth) + kGrounds27_2)));
  WriteCorrection2023(kSnils, kGrounds27_2);
  EXPECT_EQ(RunWithServer(options), 0) << Output();
  std::string protocol = Protocol();
  EXPECT_EQ(protocol.find("Неправомерное проставление территориальных условий"), std::string::npos);
  EXPECT_EQ(protocol.find("ИТОГО ОШИБОК: 0"), std::string::npos);

  // The correction's own unlawful code stays, although the person is also in the initial pack.
  ClearReports();
  WriteStazh2023(Person(kSnils, IsPeriod("2023-10-01", "2023-12-31", kGrounds27_2)));
  WriteCorrection2023(kSnils, std::string(kNorth) + kGrounds27_2);
  EXPECT_EQ(RunWithServer(options), 30) << Output();
  protocol = Protocol();
  const size_t table = protocol.find("Неправомерное проставление территориальных условий");
  ASSERT_NE(table, std::string::npos);
  EXPECT_NE(protocol.find("СЗВ-КОРР_2024", table), std::string::npos);
}

TEST_F(TrustRunTest, RedFindingsEndWith30WhateverElseTheRunDoes) {
  // The territorial check alone: its error decides the code.
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  const std::string territorialOnly = "[Options]\nWithList=0\nTerritoryControl=1\n";
  EXPECT_EQ(RunWithServer(territorialOnly), 30) << Output();
  EXPECT_NE(Protocol().find("Неправомерное проставление территориальных условий"), std::string::npos);

  // A person whose only period cannot be read: a red message and no table.
  ClearReports();
  std::filesystem::remove_all(is);
  WriteStazh2023(Person(kSnils, IsPeriod("2023-10-01", "2023-13-31", kGrounds27_2)));
  EXPECT_EQ(RunWithServer(territorialOnly), 30) << Output();
  EXPECT_NE(Protocol().find("Ошибка при разборе данных работника"), std::string::npos);

  // Verdict 23 (no Perechen) stays beside one red message, not beside two.
  const std::string example = test::ReadFile(kExample / "is" / (kRegNum + "_СЗВ-СТАЖ_2023.xml"));
  for (const auto& [broken, code] : {std::pair{"2023-11-30", 23}, std::pair{"2023-12-31", 30}}) {
    ClearReports();
    std::filesystem::remove_all(is);
    test::WriteFile(is / (kRegNum + "_СЗВ-СТАЖ_2023.xml"), ReplaceAll(example, broken, "2023-11-31"));
    EXPECT_EQ(RunWithServer(), code) << broken;
  }
}

TEST_F(TrustRunTest, AnUnreadableFieldOfTheServersPerechenIsAFailedQuery) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  WritePerechen(kRegNum, 2023, "<Работник Фамилия=\"Ветлугин\" Имя=\"Степан\"></Работник>\n");
  EXPECT_EQ(RunWithServer(), 21) << Output();
  EXPECT_NE(Protocol().find("Возникла ошибка при подключении к БД ПК &quot;Ливерто&quot;"), std::string::npos);
  const std::string log = Log();
  EXPECT_TRUE(std::regex_search(log, std::regex("нет атрибута СтраховойНомер у элемента [^\\n]*Работник[^\\n]*строка")))
      << log;
  EXPECT_EQ(log.find("критическая ошибка"), std::string::npos);
}

TEST_F(TrustRunTest, TheServiceHeaderOfA2017FileIsAChildOfTheRoot) {
  std::string file = test::ReadFile(kExample / "is" / (kRegNum + "_СЗВ-СТАЖ_2023.xml"));
  file = ReplaceAll(file, "<СлужебнаяИнформация>", "<Обёртка><СлужебнаяИнформация>");
  file = ReplaceAll(file, "</СлужебнаяИнформация>", "</СлужебнаяИнформация></Обёртка>");
  test::WriteFile(is / (kRegNum + "_СЗВ-СТАЖ_2023.xml"), file);
  Configure("[Options]\nWithList=0\nTerritoryControl=1\n");
  EXPECT_EQ(Run(), 11) << Output();
  EXPECT_NE(Protocol().find("Ошибка при разборе пачки: "), std::string::npos);
}

TEST_F(TrustRunTest, AFileThatIsNotRecognisedSaysWhyInTheLog) {
  std::string file = test::ReadFile(kExample / "is" / (kRegNum + "_СЗВ-СТАЖ_2023.xml"));
  test::WriteFile(is / (kRegNum + "_СЗВ-СТАЖ_2023.xml"), ReplaceAll(file, "<Тип>0</Тип>", ""));
  EXPECT_EQ(RunWithServer(), 10) << Output();
  EXPECT_NE(Log().find("[ОШИБКА] "), std::string::npos);
  EXPECT_NE(Log().find("Не указан тип формы (Тип)"), std::string::npos) << Log();
}

TEST_F(TrustRunTest, AnAnnualReportMeetsDatedRightsOverItsWholeYear) {
  // The right holds for the first half-year: the February period is covered, the August one is not.
  test::WriteFile(config / "Zazoru" / "RightList.txt", "087-104/10000000 01.01.2023 30.06.2023\n");
  WriteStazh2023(Person("204-517-830 61", IsPeriod("2023-02-01", "2023-02-28", std::string(kNorth) + kGrounds27_2)) +
                 Person("301-442-118 07", IsPeriod("2023-08-01", "2023-08-31", std::string(kNorth) + kGrounds27_2)));
  EXPECT_EQ(RunWithServer("[Options]\nWithList=0\nTerritoryControl=1\nTerritoryControlExtendedMode=1\n"), 30)
      << Output();
  std::string protocol = Protocol();
  const size_t table = protocol.find("Неправомерное проставление территориальных условий");
  ASSERT_NE(table, std::string::npos);
  EXPECT_NE(protocol.find("301-442-118 07", table), std::string::npos);
  EXPECT_EQ(protocol.find("204-517-830 61", table), std::string::npos);
}

}  // namespace
}  // namespace zz
