// Acquisition of the Perechen: queries to the stand-in list server (a real HTTP server process on
// loopback), the handling of its replies, the header check and the schema check of local files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/exit_code.h"
#include "list/the_list.h"
#include "search/list_acquisition.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "support/liverto_stub_process.h"
#include "support/process_state.h"
#include "support/test_support.h"
#include "xml/my_parser.h"

namespace zz {
namespace {

const std::string kOldNumber = "087-104-000001";
const std::string kNewNumber = "087-104-000002";

std::string PerechenXml(const std::string& regNum, const std::string& year, const std::string& months,
                        const std::string& extraAttributes = "", const std::string& surname = "Первый") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<Перечень ОтчетныйГод=\"" +
         year + "\" ОтчетныйПериод=\"" + months + "\" Тип=\"ИСХОДНЫЙ\"" + extraAttributes +
         ">\n"
         "  <Предприятие Наименование=\"Опытный завод\" РегНомер=\"" +
         regNum +
         "\">\n"
         "    <Подразделение Номер=\"1\" Наименование=\"Цех\">\n"
         "      <Позиция ДатаНач=\"01.01.2000\">\n"
         "        <Профессия>Литейщик</Профессия>\n"
         "        <ОснованиеЛьготы>27-1</ОснованиеЛьготы>\n"
         "        <ПозицияСписка>1030100А-11629</ПозицияСписка>\n"
         "        <КоличествоШтат>1</КоличествоШтат>\n"
         "      </Позиция>\n"
         "      <ПоименныйСписок>\n"
         "        <Работник СтраховойНомер=\"123-456-789 01\" Фамилия=\"" +
         surname +
         "\" Имя=\"Иван\">\n"
         "          <ПериодРаботы ДатаНач=\"01.01." +
         year + "\" ДатаКон=\"31.12." + year +
         "\">\n"
         "            <ОснованиеЛьготы>27-1</ОснованиеЛьготы>\n"
         "            <Ставка>1</Ставка>\n"
         "          </ПериодРаботы>\n"
         "        </Работник>\n"
         "      </ПоименныйСписок>\n"
         "    </Подразделение>\n"
         "  </Предприятие>\n"
         "</Перечень>\n";
}

// A set as far as the acquisition is concerned.
struct TTestSet {
  int Year = 0;
  int Quarter = 0;
  std::unique_ptr<TTheList> List;
  bool OrganizationHasLists = false;
};

// Server mode over the sets, built from the acquisition's pieces as the searcher's loop uses them.
void AcquireFromServer(TListAcquisition& acquisition, const TRunParams& settings, std::vector<TTestSet>& sets) {
  for (TTestSet& set : sets) {
    TServerQuarterRange range = ServerQuarterRange(set.Year, set.Quarter);
    for (int p = range.High; p >= range.Low && !set.List; --p) {
      std::string reg = settings.GetActualRegNum(set.Year, p);
      TListReply reply = acquisition.QueryListServer(settings.GetULQueryURL(reg, set.Year, p), set.Year,
                                                     ServerCollect(p, range.Low), p);
      if (acquisition.Failed()) return;
      if (!reply) continue;
      set.OrganizationHasLists = true;
      std::string description;
      bool correcting = false;
      if (acquisition.CheckListHeader(reply.List, set.Year, 0, p, description, correcting) &&
          ListElementQuarter(reply.List) == range.Low)
        set.List = ReadListElement(reply.List, set.Year, ServerListPeriod(set.Year, range.Low),
                                   ServerListFileName(description));
    }
  }
}

class ListAcquisitionTest : public test::FreshProcessTest {
 protected:
  ListAcquisitionTest() {
    TRunParams& s = fParams;
    s.FRegNum = kOldNumber;
    s.FULMachine = "127.0.0.1";
    s.FULAppName = "liverto";
    s.FULLogin = ScrambleText("инспектор", kLoginKey);
    s.FULPass = ScrambleText("p&ss word", kPasswordKey);
  }

  TRunParams& Settings() { return fParams; }

  std::unique_ptr<test::TLivertoStubProcess> StartStub(std::vector<std::string> extra = {}) {
    extra.insert(extra.end(), {"--app", "liverto", "--user", "инспектор", "--pass", "p&ss word"});
    auto stub = std::make_unique<test::TLivertoStubProcess>(fDir.path(), extra);
    Settings().FULPort = std::to_string(stub->Port());
    return stub;
  }

  TListAcquisition MakeAcquisition(THttpGetLimits limits = DefaultListServerLimits()) {
    return TListAcquisition(
        Settings(), [this](std::unique_ptr<TListError> m) { fMessages.push_back(std::move(m)); }, limits);
  }

  static std::string QueryTail(const std::string& line) { return line.substr(line.find("&regNum=")); }

  TRunParams fParams;
  test::TempDir fDir;
  std::vector<std::unique_ptr<TListError>> fMessages;
};

// ---------------------------------------------------------------------------------------------
// Server mode

TEST(LivertoStubTest, HelpAnswersWithTheUsageAndSuccess) {
  test::TempDir dir;
  const std::string out = (dir / "out.txt").string();
  auto run = [&](const std::string& arguments) {
    int status = std::system(
        ("'" + test::TLivertoStubProcess::StubPath().string() + "' " + arguments + " > '" + out + "' 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("--help"), 0);
  EXPECT_EQ(test::ReadFile(out).rfind("usage: liverto-stub --dir DIR", 0), 0u) << test::ReadFile(out);
  EXPECT_EQ(run("--port 1 -h"), 0);
  EXPECT_EQ(run("--bogus"), 2);  // a wrong argument is still refused
  EXPECT_NE(test::ReadFile(out).find("bad argument --bogus"), std::string::npos);
}

TEST_F(ListAcquisitionTest, SecondQuarterSetAsksForQuarters432AndTakesItsOwn) {
  test::WriteFile(fDir / "a_q4.xml", PerechenXml(kOldNumber, "2023", "12"));
  test::WriteFile(fDir / "b_q2.xml", PerechenXml(kOldNumber, "2023", "6", "", "Второй"));
  auto stub = StartStub();
  TListAcquisition acquisition = MakeAcquisition();
  std::vector<TTestSet> sets(1);
  sets[0].Year = 2023;
  sets[0].Quarter = 2;
  AcquireFromServer(acquisition, Settings(), sets);

  std::vector<std::string> queries = stub->Queries();
  ASSERT_EQ(queries.size(), 3u) << ::testing::PrintToString(queries);
  EXPECT_EQ(queries[0],
            "GET /liverto/GetList?user=%D0%B8%D0%BD%D1%81%D0%BF%D0%B5%D0%BA%D1%82%D0%BE%D1%80"
            "&pass=p%26ss%20word&regNum=087-104-000001&year=2023&quarter=4&collect=2");
  EXPECT_EQ(QueryTail(queries[1]), "&regNum=087-104-000001&year=2023&quarter=3&collect=2");
  EXPECT_EQ(QueryTail(queries[2]), "&regNum=087-104-000001&year=2023&quarter=2");

  // The fourth-quarter Perechen came back first but belongs to another quarter; the third quarter has
  // none (a warning); the second quarter's is attached.
  ASSERT_TRUE(sets[0].List);
  EXPECT_TRUE(sets[0].OrganizationHasLists);
  TTheList& list = *sets[0].List;
  EXPECT_EQ(list.fYear, 2023);
  EXPECT_EQ(list.fPeriod, 2);
  EXPECT_FALSE(list.FAccumulate);
  EXPECT_EQ(list.fFileName, "Перечень из БД ПК \"Ливерто\" за 2023 год 2 период");
  ASSERT_EQ(list.fWorkers.size(), 1u);
  EXPECT_EQ(list.fWorkers[0]->Surname, "ВТОРОЙ");
  EXPECT_EQ(list.fWorkers[0]->WorkPeriods[0]->Start, MakeDate(2023, 4, 1));

  ASSERT_EQ(fMessages.size(), 1u);
  EXPECT_FALSE(fMessages[0]->IsError);
  EXPECT_EQ(fMessages[0]->FYear, 2023);
  EXPECT_EQ(fMessages[0]->FPeriod, 3);
  EXPECT_EQ(fMessages[0]->FMessage,
            "<br>Версия ПК \"Ливерто\": stub-1.0<br>Пояснение: По запрашиваемым параметрам ничего найдено не было");
  EXPECT_FALSE(acquisition.Failed());
}

TEST_F(ListAcquisitionTest, FourthQuarterSetAsksOnceWithoutCollect) {
  test::WriteFile(fDir / "q4.xml", PerechenXml(kOldNumber, "2023", "", " НакопитИтогом=\"1\""));
  auto stub = StartStub();
  TListAcquisition acquisition = MakeAcquisition();
  std::vector<TTestSet> sets(1);
  sets[0].Year = 2023;
  sets[0].Quarter = 4;
  AcquireFromServer(acquisition, Settings(), sets);

  std::vector<std::string> queries = stub->Queries();
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(QueryTail(queries[0]), "&regNum=087-104-000001&year=2023&quarter=4");
  ASSERT_TRUE(sets[0].List);  // no "ОтчетныйПериод": the fourth quarter
  EXPECT_TRUE(sets[0].List->FAccumulate);
  EXPECT_EQ(sets[0].List->fFileName, "Перечень из БД ПК \"Ливерто\" за 2023 год 4 период (накопительным итогом)");
  EXPECT_EQ(*sets[0].List->QuarterBegin(), MakeDate(2023, 1, 1));
  EXPECT_TRUE(fMessages.empty());
}

TEST_F(ListAcquisitionTest, Year2010AsksForTheHalfYearAndTagsMessagesWithItsCode) {
  test::WriteFile(fDir / "h2.xml", PerechenXml(kOldNumber, "2010", "6"));
  auto stub = StartStub();
  TListAcquisition acquisition = MakeAcquisition();
  std::vector<TTestSet> sets(2);
  sets[0].Year = 2010;
  sets[0].Quarter = 3;
  sets[1].Year = 2010;
  sets[1].Quarter = 1;
  AcquireFromServer(acquisition, Settings(), sets);

  std::vector<std::string> queries = stub->Queries();
  ASSERT_EQ(queries.size(), 3u) << ::testing::PrintToString(queries);
  EXPECT_EQ(QueryTail(queries[0]), "&regNum=087-104-000001&year=2010&quarter=2");
  EXPECT_EQ(QueryTail(queries[1]), "&regNum=087-104-000001&year=2010&quarter=2&collect=1");
  EXPECT_EQ(QueryTail(queries[2]), "&regNum=087-104-000001&year=2010&quarter=1");

  ASSERT_TRUE(sets[0].List);  // "ОтчетныйПериод" 6 gives 2, the low bound: the second half-year
  EXPECT_EQ(sets[0].List->fPeriod, 4);
  EXPECT_EQ(*sets[0].List->QuarterBegin(), MakeDate(2010, 7, 1));
  EXPECT_EQ(*sets[0].List->QuarterEnd(), MakeDate(2010, 12, 31));
  EXPECT_FALSE(sets[1].List);  // that reply is not the first half-year's; then nothing was found
  ASSERT_EQ(fMessages.size(), 1u);
  EXPECT_FALSE(fMessages[0]->IsError);
  EXPECT_EQ(fMessages[0]->FYear, 2010);
  EXPECT_EQ(fMessages[0]->FPeriod, 2);  // half-year 1 is reported as 2
}

TEST_F(ListAcquisitionTest, ReRegisteredNumberIsAskedForAndAcceptedForTheQueriedQuarter) {
  Settings().FRegNum = kNewNumber;
  Settings().CrossListAddElement(kOldNumber, kNewNumber, 2023, 3);
  test::WriteFile(fDir / "old_q2.xml", PerechenXml(kOldNumber, "2023", "6", "", "Старый"));
  test::WriteFile(fDir / "new_q4.xml", PerechenXml(kNewNumber, "2023", "12", "", "Новый"));
  auto stub = StartStub();
  TListAcquisition acquisition = MakeAcquisition();
  std::vector<TTestSet> sets(2);
  sets[0].Year = 2023;
  sets[0].Quarter = 4;
  sets[1].Year = 2023;
  sets[1].Quarter = 2;
  AcquireFromServer(acquisition, Settings(), sets);

  std::vector<std::string> queries = stub->Queries();
  ASSERT_EQ(queries.size(), 4u) << ::testing::PrintToString(queries);
  EXPECT_EQ(QueryTail(queries[0]), "&regNum=087-104-000002&year=2023&quarter=4");
  EXPECT_EQ(QueryTail(queries[1]), "&regNum=087-104-000002&year=2023&quarter=4&collect=2");
  EXPECT_EQ(QueryTail(queries[2]), "&regNum=087-104-000002&year=2023&quarter=3&collect=2");
  EXPECT_EQ(QueryTail(queries[3]), "&regNum=087-104-000001&year=2023&quarter=2");

  // Each Perechen is filed under the number valid for its quarter and is accepted.
  ASSERT_TRUE(sets[0].List);
  EXPECT_EQ(sets[0].List->fWorkers.at(0)->Surname, "НОВЫЙ");
  ASSERT_TRUE(sets[1].List);
  EXPECT_EQ(sets[1].List->fWorkers.at(0)->Surname, "СТАРЫЙ");
}

TEST_F(ListAcquisitionTest, NothingFoundIsAWarningAndTheNextQuarterIsTried) {
  auto stub = StartStub({"--version", "7.4.1"});
  TListAcquisition acquisition = MakeAcquisition();
  std::vector<TTestSet> sets(1);
  sets[0].Year = 2023;
  sets[0].Quarter = 3;
  AcquireFromServer(acquisition, Settings(), sets);
  EXPECT_EQ(stub->Queries().size(), 2u);
  EXPECT_FALSE(sets[0].List);
  EXPECT_FALSE(sets[0].OrganizationHasLists);
  ASSERT_EQ(fMessages.size(), 2u);
  for (const auto& m : fMessages) {
    EXPECT_FALSE(m->IsError);
    EXPECT_NE(m->FMessage.find("Версия ПК \"Ливерто\": 7.4.1"), std::string::npos);
  }
  EXPECT_EQ(fMessages[0]->FPeriod, 4);
  EXPECT_EQ(fMessages[1]->FPeriod, 3);
  EXPECT_FALSE(acquisition.Failed());
}

TEST_F(ListAcquisitionTest, FailingServerGives21AndNoFurtherQueries) {
  const std::string kConnection =
      "Возникла ошибка при подключении к БД ПК \"Ливерто\". Проверьте настройки подключения.";
  THttpGetLimits quick;
  quick.ConnectTimeoutMs = 2000;
  quick.TotalTimeoutMs = 800;
  // A server nobody configured, which would answer.
  test::TLivertoStubProcess elsewhere(fDir.path());
  struct Case {
    std::string name;
    std::vector<std::string> args;
  } cases[] = {{"HTTP 500", {"--fail-status", "500"}},
               {"connection closed", {"--close"}},
               {"silent server", {"--delay-ms", "4000"}},
               {"a second document after the reply", {"--append", "<ОтветЛиверто/>"}},
               {"text after the reply", {"--append", "конец"}},
               // Megabytes of blanks, far more than the parser takes at once, then the transfer breaks off.
               {"cut after a long tail", {"--append-blanks", "5000000", "--close-after", "4500000"}},
               {"redirect to another server", {"--redirect", elsewhere.BaseUrl()}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fMessages.clear();
    auto stub = StartStub(c.args);
    TListAcquisition acquisition = MakeAcquisition(quick);
    std::vector<TTestSet> sets(2);
    sets[0] = {2023, 2, nullptr, false};
    sets[1] = {2022, 4, nullptr, false};
    auto started = std::chrono::steady_clock::now();
    AcquireFromServer(acquisition, Settings(), sets);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    EXPECT_TRUE(acquisition.Failed());
    EXPECT_EQ(stub->Queries().size(), 1u);  // the first query of the first set, then nothing
    EXPECT_LT(seconds, 3.0);
    EXPECT_EQ(fMessages.size(), 1u);
    if (fMessages.empty()) continue;
    EXPECT_TRUE(fMessages[0]->IsError);
    EXPECT_EQ(fMessages[0]->FMessage, kConnection);
    EXPECT_EQ(fMessages[0]->FYear, 2023);
    EXPECT_EQ(fMessages[0]->FPeriod, 4);
  }
  EXPECT_TRUE(elsewhere.Queries().empty());
}

TEST_F(ListAcquisitionTest, ServerDownGives21) {
  int port = 0;
  {
    auto stub = StartStub();
    port = stub->Port();
  }  // stopped: nothing listens there any more
  Settings().FULPort = std::to_string(port);
  TListAcquisition acquisition = MakeAcquisition();
  std::vector<TTestSet> sets(2);
  sets[0] = {2023, 4, nullptr, false};
  sets[1] = {2023, 3, nullptr, false};
  AcquireFromServer(acquisition, Settings(), sets);
  EXPECT_TRUE(acquisition.Failed());
  ASSERT_EQ(fMessages.size(), 1u);
  EXPECT_TRUE(fMessages[0]->IsError);
  EXPECT_FALSE(sets[0].List);
}

TEST_F(ListAcquisitionTest, ErrorRepliesWithAndWithoutExplanationGive21) {
  {
    auto stub =
        StartStub({"--error-message", "Сервис <временно> недоступен", "--error-explanation", "Идет обновление"});
    TListAcquisition acquisition = MakeAcquisition();
    TListReply reply = acquisition.QueryListServer(Settings().GetULQueryURL(kOldNumber, 2023, 4), 2023, -1, 4);
    EXPECT_FALSE(reply);
    EXPECT_TRUE(acquisition.Failed());
    ASSERT_EQ(fMessages.size(), 1u);
    EXPECT_TRUE(fMessages[0]->IsError);
    EXPECT_EQ(fMessages[0]->FMessage,
              "Возникла ошибка при запросе к БД ПК \"Ливерто\":<br>Версия ПК \"Ливерто\": stub-1.0<br>Сообщение: "
              "Сервис <временно> недоступен<br>Пояснение: Идет обновление");
    // Text from the server is escaped, the joints are line breaks.
    EXPECT_NE(fMessages[0]->MessageHtml().find("<br>Сообщение: Сервис &lt;временно&gt; недоступен<br>"),
              std::string::npos);
  }
  fMessages.clear();
  {
    auto stub = StartStub({"--error-message", "Ошибка базы данных", "--version", "8.0"});
    TListAcquisition acquisition = MakeAcquisition();
    acquisition.QueryListServer(Settings().GetULQueryURL(kOldNumber, 2023, 4), 2023, -1, 4);
    EXPECT_TRUE(acquisition.Failed());
    ASSERT_EQ(fMessages.size(), 1u);
    EXPECT_TRUE(fMessages[0]->IsError);
    EXPECT_EQ(fMessages[0]->FMessage,
              "Возникла ошибка при запросе к БД ПК \"Ливерто\":<br>Версия ПК \"Ливерто\": 8.0<br>Сообщение: "
              "Ошибка базы данных");
  }
  fMessages.clear();
  {
    auto stub = StartStub();
    Settings().FULPass = ScrambleText("wrong", kPasswordKey);
    TListAcquisition acquisition = MakeAcquisition();
    acquisition.QueryListServer(Settings().GetULQueryURL(kOldNumber, 2023, 4), 2023, -1, 4);
    EXPECT_TRUE(acquisition.Failed());
    ASSERT_EQ(fMessages.size(), 1u);
    EXPECT_NE(fMessages[0]->FMessage.find("Неверное имя пользователя или пароль"), std::string::npos);
  }
}

// ---------------------------------------------------------------------------------------------
// Header check

class ListHeaderTest : public ListAcquisitionTest {
 protected:
  bool Check(const std::string& xml, int year, int quarter, int regNumQuarter) {
    fTree = TMyParser().parseBytes(xml);
    TListAcquisition acquisition = MakeAcquisition();
    description.clear();
    return acquisition.CheckListHeader(fTree.get(), year, quarter, regNumQuarter, description, correcting);
  }
  TMyTreePtr fTree;
  std::string description;
  bool correcting = true;
};

TEST_F(ListHeaderTest, OrganisationYearAndQuarter) {
  EXPECT_TRUE(Check(PerechenXml(kOldNumber, "2023", "9"), 2023, 3, 3));
  EXPECT_EQ(description, "за 2023 год 3 период");
  EXPECT_FALSE(correcting);
  EXPECT_TRUE(Check(PerechenXml(kOldNumber, "2023", "9"), 0, 0, 3));
  EXPECT_FALSE(Check(PerechenXml("087-104-999999", "2023", "9"), 2023, 3, 3));
  EXPECT_FALSE(Check(PerechenXml(kOldNumber, "2022", "9"), 2023, 3, 3));
  EXPECT_FALSE(Check(PerechenXml(kOldNumber, "2023", "9"), 2023, 2, 2));  // a later quarter, not cumulative
  EXPECT_FALSE(Check(PerechenXml(kOldNumber, "2023", "6"), 2023, 3, 3));  // an earlier quarter
  EXPECT_TRUE(Check(PerechenXml(kOldNumber, "2023", "9", " НакопитИтогом=\"1\""), 2023, 2, 2));
  EXPECT_EQ(description, "за 2023 год 3 период (накопительным итогом)");
  for (const char* yearEnd : {"", "0", "12"}) {
    EXPECT_TRUE(Check(PerechenXml(kOldNumber, "2023", yearEnd), 2023, 4, 4)) << yearEnd;
    EXPECT_EQ(description, "за 2023 год 4 период");
  }
}

TEST_F(ListHeaderTest, TypeCorrectingFlagAndBrokenHeaders) {
  std::string correctingXml = PerechenXml(kOldNumber, "2023", "12");
  correctingXml.replace(correctingXml.find("ИСХОДНЫЙ"), std::string("ИСХОДНЫЙ").size(), "КОРРЕКТИРУЮЩИЙ");
  EXPECT_TRUE(Check(correctingXml, 2023, 4, 4));
  EXPECT_TRUE(correcting);

  std::string noType = PerechenXml(kOldNumber, "2023", "12");
  noType.erase(noType.find(" Тип=\"ИСХОДНЫЙ\""), std::string(" Тип=\"ИСХОДНЫЙ\"").size());
  EXPECT_FALSE(Check(noType, 2023, 4, 4));
  EXPECT_FALSE(Check(PerechenXml(kOldNumber, "две тысячи", "12"), 0, 0, 4));
  EXPECT_FALSE(Check(PerechenXml(kOldNumber, "2023", "дек"), 0, 0, 4));
  EXPECT_FALSE(Check("<Перечень ОтчетныйГод=\"2023\" Тип=\"ИСХОДНЫЙ\"/>", 2023, 4, 4));  // no Предприятие
  EXPECT_FALSE(Check("<Перечень ОтчетныйГод=\"2023\" Тип=\"И\"><Предприятие/></Перечень>", 2023, 4, 4));
  TListAcquisition acquisition = MakeAcquisition();
  EXPECT_FALSE(acquisition.CheckListHeader(nullptr, 2023, 4, 4, description, correcting));
  EXPECT_TRUE(fMessages.empty());
}

TEST_F(ListHeaderTest, RegistrationNumberIsMappedForTheGivenQuarter) {
  Settings().FRegNum = kNewNumber;
  Settings().CrossListAddElement(kOldNumber, kNewNumber, 2023, 3);
  const std::string filedUnderNew = PerechenXml(kNewNumber, "2023", "12");
  EXPECT_TRUE(Check(filedUnderNew, 2023, 0, 4));
  EXPECT_FALSE(Check(filedUnderNew, 2023, 0, 0));  // quarter 0 maps to the number before the change
  EXPECT_TRUE(Check(PerechenXml(kOldNumber, "2023", "6"), 2023, 2, 2));
  EXPECT_FALSE(Check(PerechenXml(kOldNumber, "2023", "12"), 2023, 4, 4));
}

// ---------------------------------------------------------------------------------------------
// Schema check of local files

TEST_F(ListAcquisitionTest, LocalFilesValidAndInvalidAgainstTheSchema) {
  TListAcquisition acquisition = MakeAcquisition();
  const std::string sample = test::TestDataPath("list/perechen_2023_q4.xml").string();
  EXPECT_TRUE(acquisition.CheckListFormat(sample).empty());

  const std::string valid = (fDir / "valid.xml").string();
  test::WriteFile(valid, PerechenXml(kOldNumber, "2023", "6"));
  EXPECT_TRUE(acquisition.CheckListFormat(valid).empty());

  // A comma in a staff count: the schema names the element and its line.
  std::string comma = PerechenXml(kOldNumber, "2023", "6");
  comma.replace(comma.find("<КоличествоШтат>1<"), std::string("<КоличествоШтат>1<").size(), "<КоличествоШтат>0,5<");
  const std::string commaPath = (fDir / "comma.xml").string();
  test::WriteFile(commaPath, comma);
  std::vector<std::string> lines = acquisition.CheckListFormat(commaPath);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Несоответствие требуемому формату xml (" + commaPath + "):");
  EXPECT_NE(lines[1].find("КоличествоШтат"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2], "Строка 9, позиция 9");

  // A missing required attribute.
  std::string noName = PerechenXml(kOldNumber, "2023", "6");
  noName.erase(noName.find(" Наименование=\"Опытный завод\""), std::string(" Наименование=\"Опытный завод\"").size());
  test::WriteFile(fDir / "noname.xml", noName);
  lines = acquisition.CheckListFormat((fDir / "noname.xml").string());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find("Наименование"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2].substr(0, lines[2].find(',')), "Строка 3");

  // Not well-formed: the parser's line and position.
  test::WriteFile(fDir / "broken.xml", "<?xml version=\"1.0\"?>\n<Перечень>\n  <Предприятие></Перечень>\n");
  lines = acquisition.CheckListFormat((fDir / "broken.xml").string());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_FALSE(lines[1].empty());
  EXPECT_EQ(lines[2].substr(0, lines[2].find(',')), "Строка 3");

  // Entities are not expanded from outside and never hang the check.
  test::WriteFile(fDir / "xxe.xml",
                  "<?xml version=\"1.0\"?>\n<!DOCTYPE Перечень [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n"
                  "<Перечень>&e;</Перечень>\n");
  EXPECT_EQ(acquisition.CheckListFormat((fDir / "xxe.xml").string()).size(), 3u);

  EXPECT_THROW(acquisition.CheckListFormat((fDir / "missing.xml").string()), std::runtime_error);
}

TEST(ServerQueryRules, QuarterRangesCollectAndPeriods) {
  EXPECT_EQ(ServerQuarterRange(2023, 2).Low, 2);
  EXPECT_EQ(ServerQuarterRange(2023, 2).High, 4);
  EXPECT_EQ(ServerQuarterRange(2010, 3).Low, 2);
  EXPECT_EQ(ServerQuarterRange(2010, 2).Low, 1);
  EXPECT_EQ(ServerQuarterRange(2010, 4).High, 2);
  EXPECT_EQ(ServerCollect(4, 2), 2);
  EXPECT_EQ(ServerCollect(2, 2), -1);
  EXPECT_EQ(ServerListPeriod(2023, 3), 3);
  EXPECT_EQ(ServerListPeriod(2010, 1), 2);
  EXPECT_EQ(ServerListPeriod(2010, 2), 4);
}

}  // namespace
}  // namespace zz
