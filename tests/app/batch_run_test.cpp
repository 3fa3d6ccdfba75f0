// Batch runs of the built program, as the calling software starts it: a command line, a data
// directory with its configuration, and the exit code and protocol it leaves.
#include <regex>

#include "app/batch_run_fixture.h"

namespace zz {
namespace {

using test::BatchRunTest;
using test::kExample;
using test::kRegNum;
using test::VerificationRunTest;

TEST_F(BatchRunTest, EmptyDirectoryEndsWith10AndTheShortProtocol) {
  Configure("[Options]\nWithList=0\nTerritoryControl=1\n");
  test::WriteFile(is / "readme_123-456-789012.txt", "not xml");
  // The number comes from an *.xml name; without one the run is refused.
  EXPECT_EQ(Run(), 21);
  test::WriteFile(is / "other_123-456-789012.xml", "<Письмо>не сведения</Письмо>");
  EXPECT_EQ(Run(), 10);
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Код завершения программы: 10</div>"), std::string::npos);
  EXPECT_NE(
      protocol.find("<div style =\"color:blue\"><h3>Не было найдено файлов индивидуальных сведений в формате .xml"),
      std::string::npos);
  EXPECT_EQ(Run(), 10);  // the same again: nothing of the first run is left over
}

TEST_F(BatchRunTest, NoSetButSearchMessagesEndsWith11) {
  Configure("[Options]\nWithList=0\nTerritoryControl=1\n");
  // An IS file whose pack header cannot be read forms no set.
  std::string file = test::ReadFile(kExample / "is" / "087-104-003215_СЗВ-СТАЖ_2023.xml");
  size_t from = file.find("<СлужебнаяИнформация>");
  size_t to = file.find("</СлужебнаяИнформация>") + std::string("</СлужебнаяИнформация>").size();
  test::WriteFile(is / "broken_087-104-003215.xml", file.erase(from, to - from));
  EXPECT_EQ(Run(), 11);
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("перечней не найдено. Сверка не требуется."), std::string::npos);
  EXPECT_NE(protocol.find("Ошибка при разборе пачки: "), std::string::npos);
}

TEST_F(BatchRunTest, ServerDownEndsWith21WithTheServerMessage) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  // A port where nothing listens: take a free one from a stub and stop it.
  int port;
  {
    test::TLivertoStubProcess stub(kExample / "lists");
    port = stub.Port();
  }
  Configure(ServerConfig(port));
  EXPECT_EQ(Run(), 21);
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Код завершения программы: 21</div>"), std::string::npos);
  EXPECT_NE(
      protocol.find("Возникла ошибка при подключении к БД ПК &quot;Ливерто&quot;. Проверьте настройки подключения."),
      std::string::npos);
}

TEST_F(BatchRunTest, ExampleEmployerIsReconciledAgainstTheServersPerechen) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  test::TLivertoStubProcess stub(kExample / "lists");
  Configure(ServerConfig(stub.Port()) + "[Options]\nTerritoryControl=1\n");
  EXPECT_EQ(Run(), 30);
  auto queries = stub.Queries();
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_NE(queries[0].find("regNum=" + kRegNum + "&year=2023&quarter=4"), std::string::npos);

  auto files = ListFilesByExtension(reports, ".html");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "ZAZORU-2023-4-REGNO-" + kRegNum + ".html");
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Код завершения программы: 30</div>"), std::string::npos);
  EXPECT_NE(protocol.find("четвертый квартал"), std::string::npos);
  // The person missing from the named list, the unauthorised territorial code, and the Perechen used.
  EXPECT_NE(protocol.find("415-226-337 48"), std::string::npos);
  EXPECT_NE(protocol.find("Неправомерное проставление территориальных условий"), std::string::npos);
  EXPECT_NE(protocol.find("использовался файл Перечня: Перечень из БД ПК &quot;Ливерто&quot; за 2023 год 4 период"),
            std::string::npos);
  EXPECT_NE(protocol.find("<b>Всего исходных: 1</b>"), std::string::npos);
  for (const char* part : {"body.part", "init.part", "corr.part", "footer.part"})
    EXPECT_FALSE(std::filesystem::exists(reports / part)) << part;
}

TEST_F(BatchRunTest, ARunStartedAgainForLargePagesKeepsItsArgumentsAndWritesOneLogAndProtocol) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  test::TLivertoStubProcess stub(kExample / "lists");
  Configure(ServerConfig(stub.Port()) + "[Options]\nTerritoryControl=1\nDebug=1\n");
  const std::vector<std::string> args = {test::BuiltProgram("zazoru-batch"), "bpi", is.string(), reports.string()};
  ASSERT_EQ(RunAs(args, {"ZAZORU_LARGE_PAGES=0"}), 30);
  const std::string plain = Protocol();
  for (const auto& entry : std::filesystem::directory_iterator(reports)) std::filesystem::remove_all(entry);
  std::filesystem::remove_all(config / "Zazoru" / "logs");
  // The caller has a tunable of its own; the restart adds its one beside it.
  ASSERT_EQ(RunAs(args, {"ZAZORU_LARGE_PAGES=1", "GLIBC_TUNABLES=glibc.malloc.check=0"}), 30);
  auto undated = [](std::string text) {
    return std::regex_replace(text, std::regex("\\d\\d\\.\\d\\d\\.\\d{4}[ 0-9:.]*"), "");
  };
  EXPECT_EQ(undated(Protocol()), undated(plain));
  size_t logs = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(config / "Zazoru" / "logs"))
    logs += entry.is_regular_file();
  EXPECT_EQ(logs, 1u);
  EXPECT_EQ(stub.Queries().size(), 2u);
}

TEST_F(BatchRunTest, PortableDirectoryFormKeepsItsDataBesideTheProgram) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  // A program of its own with its configuration and classifier files beside it.
  const std::filesystem::path app = work / "app";
  std::filesystem::create_directories(app);
  for (const char* file : {"zazoru", "perech-lmvt.xsd", "perech-lmvt-additional.xml"})
    std::filesystem::copy_file(std::filesystem::path(ZAZORU_BINARY_DIR) / file, app / file);
  test::TLivertoStubProcess stub(kExample / "lists");
  test::WriteFile(app / "ZazoruConfig.ini",
                  ServerConfig(stub.Port()) + "[Options]\nDebug=1\n[Directories]\nReport=" + reports.string() + "\n");
  test::WriteFile(work / "p" / "keep.txt", "a directory named p is not the protocol directory");
  EXPECT_EQ(RunAs({(app / "zazoru").string(), "bpi", is.string(), "p"}, {}, work.path()), 30) << Output();
  EXPECT_NE(Protocol().find("использовался файл Перечня"), std::string::npos);
  EXPECT_EQ(ListFilesByExtension(work / "p", ".html").size(), 0u);
  EXPECT_TRUE(std::filesystem::is_directory(app / "logs"));
  EXPECT_FALSE(std::filesystem::exists(config / "Zazoru"));  // nothing under the user's configuration
}

TEST_F(BatchRunTest, ProgramPathWithBpiTakesTheDirectoryForm) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  test::TLivertoStubProcess stub(kExample / "lists");
  Configure(ServerConfig(stub.Port()));
  const std::filesystem::path link = work / "x" / "bpidir" / "zazoru";
  std::filesystem::create_directories(link.parent_path());
  std::filesystem::create_symlink(std::filesystem::path(ZAZORU_BINARY_DIR) / "zazoru", link);
  EXPECT_EQ(RunAs({link.string(), is.string(), reports.string()}), 30) << Output();
  EXPECT_EQ(ListFilesByExtension(reports, ".html")[0].filename(), "ZAZORU-2023-4-REGNO-" + kRegNum + ".html");
}

TEST_F(BatchRunTest, NumberInANameOfAnotherCodePageIsFound) {
  std::string file = test::ReadFile(kExample / "is" / "087-104-003215_СЗВ-СТАЖ_2023.xml");
  test::WriteFile(is / ("\xDE" + kRegNum + ".xml"), file);  // "Ю" in windows-1251, no separator
  test::TLivertoStubProcess stub(kExample / "lists");
  Configure(ServerConfig(stub.Port()));
  EXPECT_EQ(Run(), 30) << Output();
  EXPECT_EQ(ListFilesByExtension(reports, ".html")[0].filename(), "ZAZORU-2023-4-REGNO-" + kRegNum + ".html");
}

TEST_F(BatchRunTest, DamagedReferenceListEndsWith29NamingItsLine) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  Configure("[Options]\nWithList=0\nTerritoryControl=1\n");
  const std::filesystem::path data = config / "Zazoru";
  test::WriteFile(data / "CrossingList.txt", "087-104-000001/087-104-003215/2021/3\r\n087-104-000002/B/20x1/3\r\n");
  EXPECT_EQ(Run(), 29);
  const std::string message = "Ошибка в файле " + (data / "CrossingList.txt").string() +
                              ", строка 2: значение \"20x1\" не является целым числом";
  EXPECT_NE(Output().find(message), std::string::npos) << Output();
  auto logs = ListFilesByExtension(data / "logs", ".log");
  ASSERT_EQ(logs.size(), 1u);
  std::string log = test::ReadFile(logs[0]);
  EXPECT_NE(log.find(message), std::string::npos) << log;
  EXPECT_NE(log.find("***критическая ошибка"), std::string::npos);
  EXPECT_EQ(ListFilesByExtension(reports, ".html").size(), 0u);
  // The list is left as it was for the user to mend.
  EXPECT_NE(test::ReadFile(data / "CrossingList.txt").find("20x1"), std::string::npos);

  std::filesystem::remove(data / "CrossingList.txt");
  test::WriteFile(data / "RightList.txt", "087-104/11111111 01.01.2023 31.02.2023\n");
  EXPECT_EQ(Run(), 29);
  EXPECT_NE(Output().find("RightList.txt, строка 1: значение \"31.02.2023\" не является датой"), std::string::npos)
      << Output();
}

TEST_F(VerificationRunTest, PiecesOfCrossingPeriodsKeepTheirSeniorityBasis) {
  const std::string grounds =
      "<ИС4:ВЛ><ИС4:Основание>27-ГД</ИС4:Основание><ИС4:ДоляСтавки>0.5</ИС4:ДоляСтавки></ИС4:ВЛ>"
      "<ИС4:ИС><ИС4:Основание>СЕЗОН</ИС4:Основание></ИС4:ИС>";
  WriteStazh2023(Person("112-233-445 95",
                        IsPeriod("2023-10-01", "2023-11-30", grounds) + IsPeriod("2023-11-01", "2023-12-31", grounds)));
  auto period = [](const char* from, const char* to, const char* rate) {
    return ListPeriod(from, to,
                      std::string("<ОснованиеЛьготы>27-ГД</ОснованиеЛьготы><Ставка>") + rate +
                          "</Ставка><ОснованиеИсчисленияСтажа>СЕЗОН</ОснованиеИсчисленияСтажа>");
  };
  WritePerechen(
      kRegNum, 2023,
      ListWorker("112-233-445 95", period("01.10.2023", "31.10.2023", "0.5") + period("01.11.2023", "30.11.2023", "1") +
                                       period("01.12.2023", "31.12.2023", "0.5")));
  EXPECT_EQ(RunWithServer(), 30) << Output();
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Периоды стажа пересекаются"), std::string::npos);  // the crossing itself is still an error
  EXPECT_EQ(protocol.find("Несовпадение основания исчисления стажа"), std::string::npos);
  EXPECT_EQ(protocol.find("Периоды работы, указанные в ИС, но отсутствующие"), std::string::npos);
}

TEST_F(VerificationRunTest, PiecesOfCrossingPeriodsShareTheir27PDRKHours) {
  const std::string grounds =
      "<ИС4:ВЛ><ИС4:Основание>27-ПДРК</ИС4:Основание><ИС4:ДоляСтавки>0.5</ИС4:ДоляСтавки>"
      "<ВС2:ВыработкаВчасах><ВС2:Часы>60</ВС2:Часы></ВС2:ВыработкаВчасах></ИС4:ВЛ>";
  WriteStazh2023(Person("112-233-445 95",
                        IsPeriod("2023-10-01", "2023-11-30", grounds) + IsPeriod("2023-11-01", "2023-12-31", grounds)));
  auto period = [](const char* from, const char* to, const char* rate, const char* hours) {
    return ListPeriod(from, to,
                      std::string("<ОснованиеЛьготы>27-ПДРК</ОснованиеЛьготы><Ставка>") + rate + "</Ставка><Часы>" +
                          hours + "</Часы>");
  };
  auto perechen = [&](const char* lastHours) {
    WritePerechen(kRegNum, 2023,
                  ListWorker("112-233-445 95", period("01.10.2023", "31.10.2023", "0.5", "40") +
                                                   period("01.11.2023", "30.11.2023", "1", "40") +
                                                   period("01.12.2023", "31.12.2023", "0.5", lastHours)));
  };
  // The IS total of 120 hours against the same total in the Perechen: no difference.
  perechen("40");
  RunWithServer();
  EXPECT_EQ(Protocol().find("Расхождение в количестве часов"), std::string::npos);
  // Against 110 hours the difference names the whole IS total.
  std::filesystem::remove(ListFilesByExtension(reports, ".html")[0]);
  perechen("30");
  RunWithServer();
  std::string protocol = Protocol();
  size_t table = protocol.find("Расхождение в количестве часов по льготам 27-ПДРК");
  ASSERT_NE(table, std::string::npos);
  EXPECT_NE(protocol.find("120 часов 0 минут", table), std::string::npos);
  EXPECT_NE(protocol.find("110 часов 0 минут", table), std::string::npos);
}

TEST_F(VerificationRunTest, WorkedTimeOfZeroWrittenAs00IsNoWorkedTime) {
  const std::string grounds =
      "<ИС4:ОУТ><ИС4:Код>27-2</ИС4:Код><ИС4:ПозицияСписка>23200000-13786</ИС4:ПозицияСписка>"
      "</ИС4:ОУТ>";
  WriteStazh2023(Person("112-233-445 95", IsPeriod("2023-10-01", "2023-12-31", grounds)));
  const std::string kind =
      "<ОснованиеЛьготы>27-2</ОснованиеЛьготы><ПозицияСписка>23200000-13786</ПозицияСписка>"
      "<Ставка>1</Ставка>";
  WritePerechen(
      kRegNum, 2023,
      ListWorker("112-233-445 95", ListPeriod("01.10.2023", "31.10.2023",
                                              kind + "<ФактическиОтработано><Месяцев>00</Месяцев><Дней>00</Дней>"
                                                     "</ФактическиОтработано>") +
                                       ListPeriod("01.11.2023", "31.12.2023", kind)));
  RunWithServer();
  std::string protocol = Protocol();
  EXPECT_EQ(protocol.find("Периоды работы, указанные в ИС, но отсутствующие"), std::string::npos);
  EXPECT_EQ(protocol.find("Периоды работы, указанные в поименном списке к Перечню, но отсутствующие"),
            std::string::npos);
  EXPECT_EQ(protocol.find("Фактически отработано"), std::string::npos);
}

TEST_F(VerificationRunTest, ClassesOfPaymentsWithoutRowCodeAreAllCompared) {
  // СЗВ-ИСХ: one person with two payments of the additional tariff, classes in either order, against
  // a Perechen period of class 3.1 only.
  const std::string regNum = "087-001-000001";
  std::string file = test::ReadFile(test::TestDataPath("is/szv_isx_2017_af.xml"));
  size_t from = file.find("<СтажевыйПериод>"), to = file.find("</СЗВ-ИСХ>");
  WritePerechen(
      regNum, 2017,
      "<Работник СтраховойНомер=\"150-160-170 80\" Фамилия=\"Соколов\" Имя=\"Пётр\">" +
          ListPeriod("01.01.2017", "31.12.2017",
                     "<ОснованиеЛьготы>27-1</ОснованиеЛьготы><ПозицияСписка>1010100А-11443</ПозицияСписка>"
                     "<Ставка>1</Ставка><ДополнительныйТариф>ДТ</ДополнительныйТариф><КлассУТ>3.1</КлассУТ>") +
          "</Работник>\n");
  for (const auto& [first, second] : {std::pair{"3.1", "3.2"}, std::pair{"3.2", "3.1"}}) {
    SCOPED_TRACE(std::string(first) + " then " + second);
    auto payment = [](const char* month, const char* wc) {
      return std::string("<Период><Месяц>") + month + "</Месяц><КодСОУТ>" + wc +
             "</КодСОУТ>"
             "<ИС:ДопТарифП1>100</ИС:ДопТарифП1></Период>";
    };
    test::WriteFile(is / (regNum + "_isx.xml"),
                    file.substr(0, from) +
                        "<СтажевыйПериод><ИС:Период><УТ:С>2017-01-01</УТ:С><УТ:По>2017-12-31</УТ:По></ИС:Период>"
                        "<ИС:ЛьготныйСтаж><ИС:ОУТ><ИС:Код>27-1</ИС:Код><ИС:ПозицияСписка>1010100А-11443"
                        "</ИС:ПозицияСписка></ИС:ОУТ></ИС:ЛьготныйСтаж></СтажевыйПериод><ВыплатыДТ>" +
                        payment("Янв", first) + payment("Фев", second) + "</ВыплатыДТ>" + file.substr(to));
    for (const auto& old : ListFilesByExtension(reports, ".html")) std::filesystem::remove(old);
    EXPECT_EQ(RunWithServer(), 30) << Output();
    std::string protocol = Protocol();
    size_t table = protocol.find("ЗЛ с ошибками по условиям труда");
    ASSERT_NE(table, std::string::npos);
    EXPECT_NE(protocol.find("<td>3.2 (все периоды)</td>", table), std::string::npos) << protocol.substr(table, 2000);
  }
}

TEST_F(VerificationRunTest, NoErrorsIsNotSaidUnderARedVerdict) {
  // IS files with early-pension workers and no Perechen: verdict 23.
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  EXPECT_EQ(RunWithServer(), 23) << Output();
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Найдены ИС с льготниками (Исхд, либо Исхд и Корр, либо Корр), перечень не найден"),
            std::string::npos);
  EXPECT_EQ(protocol.find("Ошибок нет"), std::string::npos);
}

}  // namespace
}  // namespace zz
