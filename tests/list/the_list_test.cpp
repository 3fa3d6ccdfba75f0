// The Perechen reader: quarter bounds, staff positions, seasons, the named list with clipping and
// merging of periods, the list messages, and look-ups on large named lists.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "list/the_list.h"
#include "settings/classifiers.h"
#include "support/process_state.h"
#include "support/test_support.h"
#include "xml/my_parser.h"

namespace zz {
namespace {

TDate D(int d, unsigned m, int y) { return MakeDate(y, m, d); }

class ListReaderTest : public test::FreshProcessTest {
 protected:
  ListReaderTest() {
    auto& c = Classifiers();
    c[ctAddPdData] = {"АДМИНИСТР", "НЕОПЛ", "ВРНЕТРУД", "ДЕТИ", "ДЕКРЕТ", "ДЛОТПУСК"};
    c[ctAddStag] = {"", "СЕЗОН"};
  }

  // Reads the first "Перечень" of the document for the given year and period.
  TTheList& Read(const std::string& xml, int year, int period, bool accumulate = false) {
    fTree = TMyParser().parseBytes(xml);
    EXPECT_TRUE(fTree);
    const TMyNode* root = fTree.get();
    const TMyNode* element = root && root->NodeName() == "Перечень" ? root : nullptr;
    fList.fYear = year;
    fList.fPeriod = period;
    fList.FAccumulate = accumulate;
    fList.fFileName = "test";
    fList.readStaff(year, period, element);
    return fList;
  }

  static std::vector<std::string> Texts(const TTheList& list) {
    std::vector<std::string> texts;
    for (const auto& m : list.fParseErrors_List) texts.push_back(m->FMessage);
    return texts;
  }

  TMyTreePtr fTree;
  TTheList fList;
};

// A Perechen of 087-104-000001 with the given enterprise content.
std::string Perechen(const std::string& year, const std::string& months, const std::string& enterpriseBody) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Перечень ОтчетныйГод=\"" + year + "\" ОтчетныйПериод=\"" +
         months + "\" Тип=\"ИСХОДНЫЙ\">\n<Предприятие Наименование=\"Опытный завод\" РегНомер=\"087-104-000001\">\n" +
         enterpriseBody + "\n</Предприятие>\n</Перечень>\n";
}

std::string OpenPosition(const std::string& code, const std::string& ground, const std::string& count) {
  return "<Позиция ДатаНач=\"01.01.2000\"><ОснованиеЛьготы>" + ground + "</ОснованиеЛьготы><ПозицияСписка>" + code +
         "</ПозицияСписка><КоличествоШтат>" + count + "</КоличествоШтат></Позиция>";
}

// ---------------------------------------------------------------------------------------------

TEST_F(ListReaderTest, QuarterBoundsPlainCumulativeAndHalfYearsOf2010) {
  const std::string body = "<Подразделение Номер=\"1\">" + OpenPosition("П-1", "27-1", "1") + "</Подразделение>";
  struct Case {
    std::string year;
    int period;
    bool accumulate;
    TDate begin, end;
  } cases[] = {
      {"2023", 4, false, D(1, 10, 2023), D(31, 12, 2023)}, {"2023", 4, true, D(1, 1, 2023), D(31, 12, 2023)},
      {"2023", 2, false, D(1, 4, 2023), D(30, 6, 2023)},   {"2024", 1, false, D(1, 1, 2024), D(31, 3, 2024)},
      {"2010", 4, false, D(1, 7, 2010), D(31, 12, 2010)},  // second half-year
      {"2010", 2, false, D(1, 1, 2010), D(30, 6, 2010)},   // first half-year
  };
  for (const Case& c : cases) {
    TTheList list;
    TMyTreePtr tree = TMyParser().parseBytes(Perechen(c.year, "12", body));
    list.fYear = std::stoi(c.year);
    list.fPeriod = c.period;
    list.FAccumulate = c.accumulate;
    list.readStaff(list.fYear, c.period, tree.get());
    SCOPED_TRACE(c.year + " " + std::to_string(c.period) + (c.accumulate ? " cumulative" : ""));
    ASSERT_TRUE(list.QuarterBegin() && list.QuarterEnd());
    EXPECT_EQ(*list.QuarterBegin(), c.begin);
    EXPECT_EQ(*list.QuarterEnd(), c.end);
    ASSERT_EQ(list.fPositions.size(), 1u);
    EXPECT_EQ(list.fPositions[0]->fWorkingDays, DaysInclusive(c.begin, c.end));
  }
}

TEST_F(ListReaderTest, PeriodOutsideTheFourQuartersReadsNothing) {
  const std::string xml =
      Perechen("2023", "12", "<Подразделение Номер=\"1\">" + OpenPosition("П-1", "27-1", "1") + "</Подразделение>");
  for (int period : {0, 5, -1}) {
    TTheList& list = Read(xml, 2023, period);
    EXPECT_TRUE(list.fPositions.empty());
    EXPECT_TRUE(list.fOrgName.empty());
    EXPECT_FALSE(list.QuarterBegin());
  }
}

TEST_F(ListReaderTest, NamedListAndPositionsOfASmallPerechen) {
  TTheList& list = Read(test::ReadFile(test::TestDataPath("list/named_list_2023_q2.xml")), 2023, 2);
  EXPECT_EQ(list.fOrgName, "ООО \"Северный литейный двор\"");

  // Positions: two entries of one position (the second with "КВАЛИФ" left out and a lower-case code),
  // the comma entry, and the third subdivision's position; the ended and the unjustified ones are out.
  ASSERT_EQ(list.fPositions.size(), 3u);
  TPosition* casting = list.fPositions[0];
  EXPECT_EQ(casting->Bases.DelimitedText(), "27-1");
  EXPECT_EQ(casting->fProfessionCode, "1030100А-11629");
  EXPECT_EQ(casting->fPost, "Вагранщик");
  EXPECT_DOUBLE_EQ(casting->fWorkingDays, 2 * 91 + 0.5 * 47);  // 01.04-30.06 and 15.05-30.06
  EXPECT_DOUBLE_EQ(casting->fQuantityByPositions, 2.5);
  TPosition* comma = list.fPositions[1];
  EXPECT_EQ(comma->Bases.DelimitedText(), "27-2");
  EXPECT_EQ(comma->fPost, "Стерженщик");
  EXPECT_EQ(comma->fWorkingDays, 0);
  EXPECT_EQ(comma->fQuantityByPositions, 0);
  EXPECT_EQ(list.fPositions[2]->fTerrCond, "МКС");
  EXPECT_EQ(list.fPositions[2]->fWorkingDays, 91);

  // The named list: the archive worker and the one without periods in the quarter are out.
  ASSERT_EQ(list.fWorkers.size(), 2u);
  TWorker* a = list.fWorkers[0];
  EXPECT_EQ(a->SN, "111-222-333 44");  // twelfth character made a blank
  EXPECT_EQ(a->Surname, "ГУСЛЯКОВА");
  EXPECT_EQ(a->Name, "ЗОЯ");
  EXPECT_EQ(a->Patronymic, "ПЕТРОВНА");
  EXPECT_EQ(a->SubNum, "1");
  EXPECT_EQ(a->NodeData.XPath(), "/Перечень/Предприятие/Подразделение[1]/ПоименныйСписок/Работник[1]");
  ASSERT_EQ(a->WorkPeriods.size(), 6u);

  TWorkPeriod* clipped = a->WorkPeriods[0];
  EXPECT_EQ(clipped->Start, D(1, 4, 2023));  // 15.02-20.05 read for the second quarter
  EXPECT_EQ(clipped->Finish, D(20, 5, 2023));
  EXPECT_EQ(clipped->Rate, 0.5);
  EXPECT_EQ(clipped->ProfessionCode, "1030100А-11629");
  EXPECT_EQ(clipped->AddTariff, "ДТ");
  EXPECT_EQ(clipped->WC, "3.3");
  EXPECT_EQ(clipped->Profession, "Вагранщик");
  EXPECT_EQ(clipped->NumSub, "1");
  EXPECT_FALSE(clipped->RateNodeData.IsEmpty());

  TWorkPeriod* merged = a->WorkPeriods[1];  // same dates and ground, different list positions: one period
  EXPECT_EQ(merged->Start, D(1, 6, 2023));
  EXPECT_DOUBLE_EQ(merged->Rate, 0.75);
  EXPECT_EQ(merged->ProfessionCode, "1030100А-11629");

  EXPECT_EQ(a->WorkPeriods[2]->ProfessionCode, "КОД-А");  // "27-ГДХР" with different codes stay apart
  EXPECT_EQ(a->WorkPeriods[3]->ProfessionCode, "КОД-Б");

  TWorkPeriod* marked = a->WorkPeriods[4];  // only the exact "isArchive" leaves a period out
  EXPECT_EQ(marked->Comment, "ISARCHIVE");
  EXPECT_EQ(marked->Note, "архивная отметка другого написания");
  EXPECT_EQ(marked->Rate, 1.0);  // no "Ставка"
  EXPECT_EQ(marked->Months, "0");
  EXPECT_EQ(marked->Days, "2");
  EXPECT_TRUE(marked->AddPdData.ValueByName("ВРНЕТРУД"));

  TWorkPeriod* second = a->WorkPeriods[5];  // the same person in subdivision 2, archive comment ignored
  EXPECT_EQ(second->NumSub, "2");
  EXPECT_EQ(second->TerritoryCondition, "МКС");

  TWorker* e = list.fWorkers[1];
  EXPECT_EQ(e->Surname, "ЁЛКИН");
  EXPECT_EQ(e->Patronymic, "");
  EXPECT_EQ(e->SubNum, "2");
  ASSERT_EQ(e->WorkPeriods.size(), 2u);
  EXPECT_DOUBLE_EQ(e->WorkPeriods[0]->Rate, 1.5);  // "28-1" joins a period holding its grounds and code
  EXPECT_DOUBLE_EQ(e->WorkPeriods[0]->PDRKHours, 120.5);
  EXPECT_DOUBLE_EQ(e->WorkPeriods[0]->PDRKMinutes, 30);
  EXPECT_EQ(e->WorkPeriods[0]->SeniorityBase(), "СЕЗОН");
  EXPECT_EQ(e->WorkPeriods[1]->ProfessionCode, "КОД-Г");

  EXPECT_EQ(list.FindWorkerBySN("444-555-666 77"), e);
  EXPECT_EQ(list.FindWorkerBySN("222-333-444 55"), nullptr);
  EXPECT_EQ(list.FindWorkerBySN("333-444-555 66"), nullptr);
}

TEST_F(ListReaderTest, MessagesOfTheSmallPerechenInTheOrderMet) {
  TTheList& list = Read(test::ReadFile(test::TestDataPath("list/named_list_2023_q2.xml")), 2023, 2);
  ASSERT_EQ(list.fParseErrors_List.size(), 5u) << ::testing::PrintToString(Texts(list));
  const auto& m = list.fParseErrors_List;

  EXPECT_TRUE(dynamic_cast<TBadPeriodListError*>(m[0].get()));
  EXPECT_TRUE(m[0]->IsError);
  EXPECT_EQ(m[0]->FMessage,
            "Ошибка заполнения одного из полей в периоде работы льготника из поименного списка к Перечню. "
            "ГУСЛЯКОВА ЗОЯ ПЕТРОВНА (111-222-333 44)");
  EXPECT_NE(m[0]->FNodeData.XPath().find("ПериодРаботы[7]"), std::string::npos);

  EXPECT_EQ(typeid(*m[1]), typeid(TListError));
  EXPECT_TRUE(m[1]->IsError);
  EXPECT_EQ(m[1]->FMessage,
            "Некорректное заполнение перечня. Доли ставок в штатном расписании следует писать через точку, а не "
            "запятую. Основания льготы:27-2, профессия:Стерженщик");
  EXPECT_TRUE(m[1]->FNodeData.IsEmpty());

  EXPECT_TRUE(dynamic_cast<TBadPositionListError*>(m[2].get()));
  EXPECT_FALSE(m[2]->IsError);
  EXPECT_EQ(m[2]->FMessage,
            "Позиция штатного расписания (Профессия=Обрубщик, ОснованиеЛьготы=27-2\r\n, ПозицияСписка=2150100А-16045) "
            "из подразделения №:1, Наименование:\"Литейный цех\"<br> - не учитывается при сверке т.к. имеет статус "
            "\"ПРОВЕРЕНА-ВКЛЮЧЕНА-НЕОБОСНОВАНО\"");
  EXPECT_NE(m[2]->MessageHtml().find("&quot;Литейный цех&quot;<br> - не учитывается"), std::string::npos);

  EXPECT_TRUE(dynamic_cast<TNoPeopleInNameListListError*>(m[3].get()));
  EXPECT_FALSE(m[3]->IsError);
  EXPECT_EQ(m[3]->FMessage, "Предупреждение. У подразделения №4, \"Пустой участок\" пуст поименный список");

  EXPECT_TRUE(dynamic_cast<TNoNameListListError*>(m[4].get()));
  EXPECT_FALSE(m[4]->IsError);
  EXPECT_EQ(m[4]->FMessage, "Предупреждение. Нет поименных списков в 1 подразделениях из 4 подразделений Перечня.");
  EXPECT_EQ(m[4]->FNodeData.XPath(), "/Перечень/Предприятие");

  for (const auto& message : m) {
    EXPECT_EQ(message->FYear, 0);
    EXPECT_EQ(message->FPeriod, 0);
  }
}

TEST_F(ListReaderTest, SeasonsAcrossTheYearEndAndTheirMessages) {
  const std::string body =
      "<ОтопительныйСезон ДатаНач=\"01.01.2023\" ДатаКон=\"30.04.2023\"/>"
      "<ОтопительныйСезон ДатаНач=\"01.10.2023\" ДатаКон=\"30.04.2024\"/>"
      "<НавигационныйСезон ДатаНач=\"01.05.2024\"/>"
      "<НавигационныйСезон ДатаНач=\"01.05.2022\" ДатаКон=\"15.10.2022\"/>"
      "<Подразделение Номер=\"1\">" +
      OpenPosition("23200000-13786", "27-2", "2") + OpenPosition("23003010", "27-9", "1") +
      "</Подразделение>"
      "<Подразделение Номер=\"2\"><ОтопительныйСезон ДатаНач=\"15.10.2023\"/>" +
      OpenPosition("23200000-13786", "27-2", "1") + "</Подразделение>";
  TTheList& list = Read(Perechen("2023", "12", body), 2023, 4);

  EXPECT_EQ(list.fWarmDays, 92);  // 01.10-31.12; the first season ends before the quarter
  // The navigation season starting in 2024 lies after the quarter, the 2022 one before it.
  EXPECT_EQ(list.fNavDays, 0);

  std::vector<std::string> texts = Texts(list);
  ASSERT_EQ(texts.size(), 4u) << ::testing::PrintToString(texts);
  EXPECT_EQ(texts[0], "Неверно указан год окончания 2-го отопительнного периода! (2024)");
  EXPECT_FALSE(list.fParseErrors_List[0]->IsError);
  EXPECT_EQ(texts[1], "Неверно указан год начала 1-го навигационного периода! (2024)");
  EXPECT_TRUE(list.fParseErrors_List[1]->IsError);
  EXPECT_EQ(texts[2], "Неверно указан год окончания 2-го навигационного периода! (2022)");
  EXPECT_TRUE(list.fParseErrors_List[2]->IsError);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(dynamic_cast<TWrongPeriod*>(list.fParseErrors_List[i].get()));
  EXPECT_EQ(texts[3], "Предупреждение. Нет поименных списков в 2 подразделениях из 2 подразделений Перечня.");
  EXPECT_NE(list.fParseErrors_List[0]->FNodeData.XPath().find("ОтопительныйСезон[2]"), std::string::npos);

  // The heating position counts the season days of its subdivision: the enterprise's 92 in the first,
  // the subdivision's own 15.10-31.12 (78) in the second, which gives one position with both entries.
  ASSERT_EQ(list.fPositions.size(), 2u);
  EXPECT_DOUBLE_EQ(list.fPositions[0]->fWorkingDays, 92 * 2 + 78 * 1);
  // No navigation days: the navigation position counts the entry's days in the quarter.
  EXPECT_DOUBLE_EQ(list.fPositions[1]->fWorkingDays, 92);
}

TEST_F(ListReaderTest, ADayOnTheQuarterBoundIsInTheQuarter) {
  // A heating season that starts on the quarter's last day, and a named-list period that ends on its
  // first: one day each.
  const std::string body =
      "<ОтопительныйСезон ДатаНач=\"31.12.2023\" ДатаКон=\"30.04.2024\"/>"
      "<Подразделение Номер=\"1\"><ПоименныйСписок><Работник СтраховойНомер=\"111-222-333 44\" Фамилия=\"Лось\" "
      "Имя=\"Ян\"><ПериодРаботы ДатаНач=\"01.07.2023\" ДатаКон=\"01.10.2023\"><ОснованиеЛьготы>27-2"
      "</ОснованиеЛьготы></ПериодРаботы></Работник></ПоименныйСписок></Подразделение>";
  TTheList& list = Read(Perechen("2023", "12", body), 2023, 4);
  EXPECT_EQ(list.fWarmDays, 1);
  ASSERT_EQ(list.fWorkers.size(), 1u);
  ASSERT_EQ(list.fWorkers[0]->WorkPeriods.size(), 1u);
  EXPECT_EQ(list.fWorkers[0]->WorkPeriods[0]->Start, D(1, 10, 2023));
  EXPECT_EQ(list.fWorkers[0]->WorkPeriods[0]->Finish, D(1, 10, 2023));
}

TEST_F(ListReaderTest, PositionLookUpKeepsTheFirstMatchInListOrder) {
  const std::string body =
      "<Подразделение Номер=\"1\">"
      "<Позиция ДатаНач=\"01.01.2020\"><ОснованиеЛьготы>27-5</ОснованиеЛьготы><ПозицияСписка>к-1</ПозицияСписка>"
      "<ТерриториальныеУсловия>МКС</ТерриториальныеУсловия><КоличествоШтат>1</КоличествоШтат></Позиция>"
      "<Позиция ДатаНач=\"01.01.2020\"><ОснованиеЛьготы>27-5</ОснованиеЛьготы><ПозицияСписка>к-1</ПозицияСписка>"
      "<ТерриториальныеУсловия>СЕЛО</ТерриториальныеУсловия><КоличествоШтат>1</КоличествоШтат></Позиция>"
      "<Позиция ДатаНач=\"01.01.2020\"><ОснованиеЛьготы>27-5</ОснованиеЛьготы><ПозицияСписка>К-1</ПозицияСписка>"
      "<ТерриториальныеУсловия>РКС</ТерриториальныеУсловия><КоличествоШтат>1</КоличествоШтат></Позиция>"
      "</Подразделение>";
  TTheList& list = Read(Perechen("2023", "3", body), 2023, 1);
  // "МКС" and "СЕЛО" differ; "РКС" goes with the "МКС" position, which came first.
  ASSERT_EQ(list.fPositions.size(), 2u);
  EXPECT_EQ(list.fPositions[0]->fTerrCond, "МКС");
  EXPECT_EQ(list.fPositions[0]->fQuantityByPositions, 2);
  EXPECT_EQ(list.fPositions[1]->fTerrCond, "СЕЛО");

  TBases bases;
  bases.Add("27-5");
  EXPECT_EQ(list.GetPositionByBasesAndCode(bases, "к-1", ""), list.fPositions[0]);
  EXPECT_EQ(list.GetPositionByBasesAndCode(bases, "К-1", "село"), list.fPositions[1]);
  EXPECT_EQ(list.GetPositionByBasesAndCode(bases, "К-2", ""), nullptr);
  TBases other;
  other.Add("27-5");
  other.Add("27-1");
  EXPECT_EQ(list.GetPositionByBasesAndCode(other, "К-1", ""), nullptr);
}

TEST_F(ListReaderTest, MissingRequiredDataEndsTheReadingWithAFailure) {
  const std::string noStart = Perechen(
      "2023", "12",
      "<Подразделение><Позиция><ОснованиеЛьготы>27-1</ОснованиеЛьготы><КоличествоШтат>1</КоличествоШтат></Позиция>"
      "</Подразделение>");
  EXPECT_THROW(Read(noStart, 2023, 4), std::runtime_error);

  TTheList second;
  TMyTreePtr tree = TMyParser().parseBytes(
      Perechen("2023", "12",
               "<Подразделение><ПоименныйСписок><Работник Фамилия=\"Без номера\"/></ПоименныйСписок></Подразделение>"));
  second.fYear = 2023;
  second.fPeriod = 4;
  EXPECT_THROW(second.readStaff(2023, 4, tree.get()), std::runtime_error);

  TTheList third;
  TMyTreePtr bad = TMyParser().parseBytes(Perechen("2023", "12", "<ОтопительныйСезон ДатаНач=\"31.02.2023\"/>"));
  third.fYear = 2023;
  third.fPeriod = 4;
  EXPECT_THROW(third.readStaff(2023, 4, bad.get()), std::runtime_error);
  try {
    third.readStaff(2023, 4, bad.get());
    ADD_FAILURE() << "read";
  } catch (const TListFieldError& e) {
    // The reader's error: the text and the line of the element that holds the bad date.
    EXPECT_EQ(e.Error().Text, e.what());
    EXPECT_EQ(e.Error().Line, bad->GetElementsByTagName("ОтопительныйСезон")[0]->LineNumber());
  }

  TTheList fourth;
  fourth.fYear = 2023;
  fourth.fPeriod = 4;
  EXPECT_THROW(fourth.readStaff(2023, 4, nullptr), std::runtime_error);  // no element at all
}

TEST_F(ListReaderTest, ShortOrOddInsuranceNumbersDoNotBreakTheReading) {
  const std::string body =
      "<Подразделение Номер=\"1\"><ПоименныйСписок>"
      "<Работник СтраховойНомер=\"123\"><ПериодРаботы ДатаНач=\"01.01.2023\" ДатаКон=\"31.03.2023\"/></Работник>"
      "<Работник СтраховойНомер=\"ЯЯЯ-ЯЯЯ-ЯЯЯ-ЯЯ\"><ПериодРаботы ДатаНач=\"01.01.2023\" "
      "ДатаКон=\"31.03.2023\"/></Работник>"
      "</ПоименныйСписок></Подразделение>";
  TTheList& list = Read(Perechen("2023", "3", body), 2023, 1);
  ASSERT_EQ(list.fWorkers.size(), 2u);
  EXPECT_EQ(list.fWorkers[0]->SN, "123");
  EXPECT_EQ(list.fWorkers[1]->SN, "ЯЯЯ-ЯЯЯ-ЯЯЯ ЯЯ");
}

TEST_F(ListReaderTest, LargeNamedListIsReadWithoutQuadraticLookUps) {
  // 20,000 persons, each listed in two subdivisions.
  std::string people;
  people.reserve(20000 * 200);
  for (int i = 0; i < 20000; ++i) {
    char sn[32];
    std::snprintf(sn, sizeof sn, "%03d-%03d-%03d %02d", i / 1000000, (i / 1000) % 1000, i % 1000, i % 100);
    people += std::string("<Работник СтраховойНомер=\"") + sn +
              "\" Фамилия=\"Ф\" Имя=\"И\"><ПериодРаботы ДатаНач=\"01.01.2023\" ДатаКон=\"31.03.2023\">"
              "<ОснованиеЛьготы>27-1</ОснованиеЛьготы></ПериодРаботы></Работник>";
  }
  const std::string body = "<Подразделение Номер=\"1\"><ПоименныйСписок>" + people +
                           "</ПоименныйСписок></Подразделение><Подразделение Номер=\"2\"><ПоименныйСписок>" + people +
                           "</ПоименныйСписок></Подразделение>";
  auto started = std::chrono::steady_clock::now();
  TTheList& list = Read(Perechen("2023", "3", body), 2023, 1);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ASSERT_EQ(list.fWorkers.size(), 20000u);
  ASSERT_EQ(list.fWorkers[12345]->WorkPeriods.size(), 1u);  // the second listing merges into the first
  EXPECT_DOUBLE_EQ(list.fWorkers[12345]->WorkPeriods[0]->Rate, 2.0);
  EXPECT_EQ(list.FindWorkerBySN("000-019-999 99"), list.fWorkers[19999]);
  EXPECT_LT(seconds, 10.0);
}

TEST_F(ListReaderTest, ObjectsLiveInTheArenaOfTheCaller) {
  TDataArena arena;
  {
    TTheList list(arena);
    TMyTreePtr tree = TMyParser().parseBytes(test::ReadFile(test::TestDataPath("list/named_list_2023_q2.xml")));
    list.fYear = 2023;
    list.fPeriod = 2;
    list.readStaff(2023, 2, tree.get());
    EXPECT_EQ(&list.Arena(), &arena);
    ASSERT_EQ(list.fWorkers.size(), 2u);
  }
  EXPECT_GT(arena.Count(), 10u);  // workers, periods and positions stay for the set to release
  TTheList own;
  EXPECT_EQ(own.Arena().Count(), 0u);
}

TEST(ListNumberTest, PointOnly) {
  double v = 0;
  EXPECT_TRUE(TryParseListNumber("0.5", v));
  EXPECT_EQ(v, 0.5);
  EXPECT_TRUE(TryParseListNumber(" 2 ", v));
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(TryParseListNumber("0,5", v));
  EXPECT_FALSE(TryParseListNumber("", v));
  EXPECT_FALSE(TryParseListNumber("полставки", v));
  EXPECT_FALSE(TryParseListNumber("nan", v));
  EXPECT_FALSE(TryParseListNumber("inf", v));
}

}  // namespace
}  // namespace zz
