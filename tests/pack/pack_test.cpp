// Reading an IS file into a pack: headers of every generation, persons, periods and their codes.
#include <gtest/gtest.h>

#include "../isdata/is_file_fixture.h"

namespace zz {
namespace {

using test::IsFileTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class PackTest : public IsFileTest {
 protected:
  static const TWorker* Person(const TPack& pack, const std::string& sn) {
    for (const TWorker* w : pack.Workers)
      if (w->SN == sn) return w;
    ADD_FAILURE() << "no person " << sn;
    return nullptr;
  }
  static std::vector<std::string> PeriodTexts(const TWorker& w) {
    std::vector<std::string> texts;
    for (const TWorkPeriod* p : w.WorkPeriods) texts.push_back(p->pPeriodString() + " " + p->BasesAndCode());
    return texts;
  }
  static std::vector<std::string> Payments(const TWorker& w) {
    std::vector<std::string> texts;
    for (const TAddTariffPayment* p : w.AddTariffPayments)
      texts.push_back(AddTariffBaseName(p->Base) + " " + FormatNumber(p->Sum) + " " + p->WC + " " + p->StringNumber);
    return texts;
  }
};

TEST_F(PackTest, HeadersOfEveryGeneration) {
  struct TCase {
    const char* File;
    const char* Number;
    const char* Date;
    const char* Org;
    const char* ShortOrg;
  };
  const TCase cases[] = {
      // Before 2017 the header sits inside ПачкаВходящихДокументов.
      {"szv61_2013_cp1251.xml", "00012/03", "14.10.2013",
       "ОБЩЕСТВО С ОГРАНИЧЕННОЙ ОТВЕТСТВЕННОСТЬЮ \"ТЕСТОВЫЙ РУДНИК\"", "ООО \"ТЕСТОВЫЙ РУДНИК\""},
      {"szv64_2013_cp1251.xml", "07", "20.01.2014", "ООО \"ТЕСТОВЫЙ РУДНИК\"", ""},
      {"spv2_2015_cp1251.xml", "00040", "05.08.2015", "ООО \"ТЕСТОВЫЙ РУДНИК\"", ""},
      {"szv_stag_2018_is4.xml", "6f1c2a30-5b7e-4c21-9d0a-0a1b2c3d4e5f", "2019-01-21", "ООО \"ТЕСТОВЫЙ РУДНИК\"",
       "ООО \"ТЕСТОВЫЙ РУДНИК\""},
      {"efs1_2023.xml", "e1f2a3b4-c5d6-4e7f-8091-a2b3c4d5e6f7", "2024-01-20", "ООО \"ТЕСТОВЫЙ РУДНИК\"",
       "ООО \"ТЕСТОВЫЙ РУДНИК\""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    std::unique_ptr<TPack> pack = Pack(File(c.File), 0, c.File);
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->PackNum(), c.Number);
    EXPECT_EQ(pack->PackDate(), c.Date);
    EXPECT_EQ(pack->OrgName(), c.Org);
    EXPECT_EQ(pack->ShortOrgName(), c.ShortOrg);
    EXPECT_EQ(pack->FileName, c.File);
  }
  EXPECT_THAT(Texts(searchErrors), IsEmpty());
  // Both date forms convert: the corrective packs are ordered by them.
  EXPECT_EQ(Pack(File("szv61_2013_cp1251.xml"))->PackDateAsDate(), MakeDate(2013, 10, 14));
  EXPECT_EQ(Pack(File("efs1_2023.xml"))->PackDateAsDate(), MakeDate(2024, 1, 20));
}

TEST_F(PackTest, HeaderProblemsReportTheFirstOneOnly) {
  auto messages = [this](const std::string& text) {
    searchErrors.clear();
    EXPECT_FALSE(Pack(Xml(text)));
    return Texts(searchErrors);
  };
  const std::string stag = "szv_stag_2018_is4.xml", szv61 = "szv61_2013_cp1251.xml";
  EXPECT_THAT(messages(Changed(stag, {{"<АФ4:GUID>6f1c2a30-5b7e-4c21-9d0a-0a1b2c3d4e5f<", "<АФ4:GUID><"},
                                      {"Страхователь>", "Организация>"}})),
              ElementsAre("GUID документа не указан"));
  EXPECT_THAT(messages(Changed(stag, {{"Страхователь>", "Организация>"}})),
              ElementsAre("Отсутствует тег <Страхователь>"));
  EXPECT_THAT(messages(Changed(stag, {{"АФ4:ДатаВремя", "АФ4:Время"}})),
              ElementsAre("Отсутствует тег <АФ4:ДатаВремя>"));
  EXPECT_THAT(messages(Changed(szv61, {{"<ДатаСоставления>14.10.2013<", "<ДатаСоставления><"}})),
              ElementsAre("Значение тега <ДатаСоставления> не указано"));
  EXPECT_THAT(
      messages(Changed(szv61, {{"<Основной>00012</Основной>", ""}, {"<ПоПодразделению>03<", "<ПоПодразделению><"}})),
      ElementsAre("Номер пачки не указан"));
  EXPECT_THAT(messages(Changed(szv61, {{"НомерПачки>", "Пачка>"}})), ElementsAre("Отсутствует тег <НомерПачки>"));
  EXPECT_THAT(messages(Changed(szv61, {{"СоставительПачки>", "Составитель>"}})),
              ElementsAre("Отсутствует тег <СоставительПачки>"));
  // No header element at all: no pack and nothing said here.
  EXPECT_THAT(messages(Changed(stag, {{"СлужебнаяИнформация>", "Информация>"}})), IsEmpty());
}

TEST_F(PackTest, PersonsBefore2017WithTheirFailures) {
  std::unique_ptr<TPack> pack = Pack(File("szv61_2013_cp1251.xml"), 0, "/in/szv61.xml");
  ASSERT_TRUE(pack);
  ASSERT_EQ(pack->Workers.size(), 3u);
  EXPECT_EQ(pack->LgotWorkerCount(), 3);
  EXPECT_TRUE(pack->HasLgot);

  const TWorker* ivanov = pack->Workers[0];
  EXPECT_EQ(ivanov->SurnameWithInitialsAndSN(), "ИВАНОВ П.С. (112-233-445 95)");
  EXPECT_EQ(ivanov->Name, "ПЁТР");
  EXPECT_EQ(ivanov->NumInPack, "2");
  EXPECT_EQ(ivanov->PackNum, "00012/03");
  EXPECT_EQ(ivanov->CategoryCode, "НР");
  ASSERT_EQ(ivanov->WorkPeriods.size(), 1u);
  const TWorkPeriod& p = *ivanov->WorkPeriods[0];
  EXPECT_EQ(p.pPeriodString() + " " + p.BasesAndCode(), "01.07.2013 - 30.09.2013 27-1 (1010100А-11443)");
  EXPECT_EQ(p.TerritoryCondition + " " + p.TerritoryCoeff, "РКС 1.5");
  EXPECT_EQ(p.SeniorityBase(), "СЕЗОН");
  EXPECT_EQ(p.WorkTimeAsString(), "2 мес., 10 дн., 0 ч., 0 мин.");
  EXPECT_EQ(p.Profession, "ГОРНОРАБОЧИЙ ОЧИСТНОГО ЗАБОЯ");
  EXPECT_EQ(p.Period, "3");
  EXPECT_EQ(p.PackNum, "00012/03");
  EXPECT_EQ(p.NumInPack, "2");
  EXPECT_EQ(p.RateStr(), "1");

  // A malformed date loses only its period.
  const TWorker* petrova = pack->Workers[1];
  EXPECT_EQ(petrova->SurnameWithInitials(), "ПЕТРОВА А.");
  ASSERT_EQ(petrova->WorkPeriods.size(), 1u);
  EXPECT_EQ(petrova->WorkPeriods[0]->pPeriodString(), "01.08.2013 - 30.09.2013");
  EXPECT_EQ(petrova->WorkPeriods[0]->PDRKHours, 120.5);
  EXPECT_EQ(petrova->WorkPeriods[0]->RateStr(), "0.5");

  // A person without ФИО is lost with the block message; the log names its number in the pack.
  EXPECT_THAT(Texts(pack->PackErrors()),
              ElementsAre("Ошибка при разборе данных работника 223-344-556 06 в файле /in/szv61.xml",
                          "Ошибка при разборе блока СВЕДЕНИЯ_О_СТРАХОВЫХ_ВЗНОСАХ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ в пачке № "
                          "00012/03. Проверьте пачку на соответствие формату (например, программой CheckXML)."));
  EXPECT_NE(std::find(errors.begin(), errors.end(),
                      "---ошибка при разборе блока СВЕДЕНИЯ_О_СТРАХОВЫХ_ВЗНОСАХ_И_СТРАХОВОМ_СТАЖЕ_ЗЛ в пачке № "
                      "00012/03. Номер в пачке 4"),
            errors.end());

  // "СЕЛО" alone makes a preferential period; a period with nothing is not kept.
  const TWorker* sidorenko = pack->Workers[2];
  EXPECT_THAT(PeriodTexts(*sidorenko), ElementsAre("01.07.2013 - 31.08.2013 "));
  EXPECT_TRUE(sidorenko->HasLgotBasis);

  // The failed period's territorial record went with it.
  std::vector<std::string> terr;
  for (const auto& r : pack->TerrCodes())
    terr.push_back(r->FWorker_PD->SN + " " + r->FWorkPeriod_PD->TerritoryCondition);
  EXPECT_THAT(terr, ElementsAre("112-233-445 95 РКС", "445-566-778 28 СЕЛО"));
}

TEST_F(PackTest, PreferentialCodesHoursAndRates) {
  std::unique_ptr<TPack> pack = Pack(File("szv_stag_2018_is4.xml"));
  ASSERT_TRUE(pack);
  ASSERT_EQ(pack->Workers.size(), 4u);
  EXPECT_EQ(pack->LgotWorkerCount(), 3);

  // Same ВЛ twice: one period, rates added; 27-ГД with 27-СМ: two periods; other list positions:
  // a period of its own that carries the pack date.
  const TWorker* morozov = Person(*pack, "120-130-140 50");
  EXPECT_EQ(morozov->NumInPack, "1");
  EXPECT_THAT(
      PeriodTexts(*morozov),
      ElementsAre("01.01.2018 - 31.03.2018 27-ГД", "01.04.2018 - 30.06.2018 27-СМ", "01.04.2018 - 30.06.2018 27-ГД",
                  "01.07.2018 - 30.09.2018 27-2 (2290000А-18455)", "01.07.2018 - 30.09.2018 27-1 (1010100А-11443)"));
  EXPECT_EQ(morozov->WorkPeriods[0]->RateStr(), "0.75");
  EXPECT_EQ(morozov->WorkPeriods[3]->PackDate, "2019-01-21");
  EXPECT_EQ(morozov->WorkPeriods[1]->PackDate, "");
  EXPECT_TRUE(morozov->HasAT);

  const TWorker* lebedeva = Person(*pack, "121-131-141 51");
  ASSERT_EQ(lebedeva->WorkPeriods.size(), 7u);
  const auto& ps = lebedeva->WorkPeriods;
  EXPECT_EQ(ps[0]->PDRKHours, 120);  // 27-ПДРК: hours as numbers
  EXPECT_EQ(ps[0]->PDRKMinutes, 30);
  EXPECT_EQ(ps[2]->Hours, "300");  // САМОЛЕТ: text, and the full rate
  EXPECT_EQ(ps[2]->Minutes, "15");
  EXPECT_EQ(ps[2]->RateStr(), "1");
  EXPECT_EQ(ps[3]->Hours, "15");  // РЕАКТИВН: jumps as text, minutes as a number
  EXPECT_EQ(ps[3]->PDRKMinutes, 10);
  EXPECT_EQ(ps[3]->WorkTimeAsString(), "15 прыжков/спусков/подъемов");
  EXPECT_EQ(ps[4]->WorkTimeAsString(), "0 мес., 25 дн., 0 ч., 0 мин.");  // 27-15: calendar time
  EXPECT_EQ(ps[5]->WorkTimeAsString(), "0 мес., 0 дн., 0 ч., 0 мин.");   // not for other codes
  EXPECT_EQ(ps[5]->RateStr(), "Не указана");                             // ВЛ without ДоляСтавки
  EXPECT_EQ(ps[6]->RateStr(), "1");                                      // no ВЛ at all

  auto periodsOf = [](const TTableResult& table) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < table.Count(); ++i) texts.push_back(table.Record(i)->FWorkPeriod_PD->pBeginAsString());
    return texts;
  };
  EXPECT_THAT(periodsOf(*pack->PDRKWarnings), ElementsAre("01.02.2018"));  // 27-ПД without hours
  EXPECT_THAT(periodsOf(*pack->FlightWarnings), ElementsAre("01.03.2018"));
  EXPECT_THAT(periodsOf(*pack->JumpWarnings), ElementsAre("01.04.2018"));
  // 27-ГД at 0.5 and 0.25 with no ОУТ matches no entry; 27-СМ with 27-2 would.
  EXPECT_EQ(pack->PartTimeErrors->Count(), 0u);

  // An unknown additional-data code: one message, naming it, the period and the person.
  EXPECT_THAT(Texts(pack->PackErrors()),
              ElementsAre("Код дополнительных данных ИС \"НЕБЫВАЛОЕ\" в периоде работы [01.01.2018 - 31.05.2018] ЗЛ "
                          "со СНИЛС 122-132-142 52 не входит в число допустимых"));
  // A period with only ДЕТИ is not kept, but offered with its dates as an ОТС period.
  const TWorker* novikov = Person(*pack, "122-132-142 52");
  EXPECT_THAT(PeriodTexts(*novikov),
              ElementsAre("01.01.2018 - 31.05.2018 27-1 (1010100А-11443)", "01.09.2018 - 31.12.2018 "));
  ASSERT_EQ(pack->AddPdDataWarnings->Count(), 1u);
  auto* warning = dynamic_cast<TAddPdDataWarning*>(pack->AddPdDataWarnings->Record(0));
  EXPECT_EQ(warning->FWorker_PD, novikov);
  EXPECT_EQ(warning->FOTSPeriod, "01.06.2018 - 31.08.2018 (ОТС)");
  EXPECT_EQ(warning->FChildren, "01.06.2018 - 31.08.2018 (ДЕТИ)");
  EXPECT_FALSE(Person(*pack, "123-133-143 53")->HasLgotBasis);
}

TEST_F(PackTest, PartTimeRatesAgainstTheClassifier) {
  EXPECT_EQ(CheckPartTime("27-1", "1010100А-11443", "27-ГД", 0.5), 2);
  EXPECT_EQ(CheckPartTime("27-1", "1010100А-11443", "27-ГД", 0), 0);  // entry tolerates a missing rate
  EXPECT_EQ(CheckPartTime("27-1", "1010100А-11443", "27-ГД", 1), 0);
  EXPECT_EQ(CheckPartTime("27-1", "", "27-ГД", 0.5), 2);                // no position: not compared
  EXPECT_EQ(CheckPartTime("27-1", "2290000А-18455", "27-ГД", 0.5), 0);  // other position: no match
  EXPECT_EQ(CheckPartTime("27-2", "", "27-СМ", 0.5), 1);
  EXPECT_EQ(CheckPartTime("27-2", "", "27-СМ", 1), 0);
  EXPECT_EQ(CheckPartTime("", "", "27-СМ", 0.5), 0);
  Classifiers()[ctPartTimeError] = {"27-1;1010100А-11443;27-ГД"};
  EXPECT_EQ(CheckPartTime("27-1", "1010100А-11443", "27-ГД", 0), 2);

  // Read from a file: the records land in the part-time tables.
  std::unique_ptr<TPack> pack = Pack(
      Xml(Changed("szv_stag_2018_is4.xml",
                  {{"<ИС4:ЛьготныйСтаж>\n          "
                    "<ИС4:ОУТ><ИС4:Код>27-1</ИС4:Код><ИС4:ПозицияСписка>1010100А-11443</ИС4:ПозицияСписка></ИС4:ОУТ>",
                    "<ИС4:ЛьготныйСтаж>\n          <ИС4:ОУТ><ИС4:Код>27-1</ИС4:Код><ИС4:ПозицияСписка>1010100А-11443</"
                    "ИС4:ПозицияСписка></ИС4:ОУТ><ИС4:ВЛ><ИС4:Основание>27-ГД</ИС4:Основание><ИС4:ДоляСтавки>0.5</"
                    "ИС4:ДоляСтавки></ИС4:ВЛ>"}})));
  ASSERT_TRUE(pack);
  ASSERT_EQ(pack->PartTimeErrors->Count(), 1u);
  EXPECT_EQ(pack->PartTimeErrors->Record(0)->Cells()[4], "27-1");
}

TEST_F(PackTest, AdditionalTariffSumsOfEveryPrefixFamily) {
  // ИС5 (the file's own prefix), ИС4 and ИС2 variants of the same СЗВ-КОРР, read completely; the
  // name sits in the "ЗЛ" element.
  const std::vector<std::vector<std::pair<std::string, std::string>>> variants = {
      {}, {{"ИС5", "ИС4"}, {"АФ5", "АФ4"}}, {{"ИС5", "ИС2"}, {"АФ5", "АФ4"}}};
  for (const auto& edits : variants) {
    std::unique_ptr<TPack> pack = Pack(Xml(Changed("szv_korr_2018_is5.xml", edits)));
    ASSERT_TRUE(pack);
    ASSERT_EQ(pack->Workers.size(), 2u);
    const TWorker& guseva = *pack->Workers[0];
    EXPECT_EQ(guseva.SurnameWithInitials(), "ГУСЕВА В.А.");
    EXPECT_TRUE(guseva.HasAT);
    EXPECT_THAT(PeriodTexts(guseva), ElementsAre("01.01.2017 - 31.12.2017 27-1 (1010100А-11443)"));
    // The class code carries over; a zero sum makes no payment.
    EXPECT_THAT(Payments(guseva), ElementsAre("27-1 1200.5 3.2 ", "27-1 300 3.2 "));
    // ВыплатыДТ without "Период" children holds its sums itself.
    EXPECT_THAT(Payments(*pack->Workers[1]), ElementsAre("27-1 500 4 "));
  }
  EXPECT_THAT(errors, IsEmpty());

  std::unique_ptr<TPack> bad = Pack(Xml(Changed("szv_korr_2018_is5.xml", {{">300<", ">триста<"}})));
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->Workers.size(), 1u);  // a sum that is not a number fails the person
  EXPECT_THAT(Texts(bad->PackErrors()),
              ElementsAre("Ошибка при разборе блока СЗВ-КОРР в пачке № 0d9e8f7a-1111-4a2b-8c3d-445566778899. "
                          "Проверьте пачку на соответствие формату (например, программой CheckXML)."));

  // СЗВ-ИСХ of the oldest generation: "ИС:" sums, no HasAT.
  std::unique_ptr<TPack> isx = Pack(File("szv_isx_2017_af.xml"));
  ASSERT_EQ(isx->Workers.size(), 1u);
  EXPECT_FALSE(isx->Workers[0]->HasAT);
  EXPECT_THAT(Payments(*isx->Workers[0]), ElementsAre("27-1 120  "));
  EXPECT_EQ(isx->Workers[0]->WorkPeriods[0]->PDRKHours, 400);
}

TEST_F(PackTest, PaymentsBefore2017CountWithAMonthRowInsideAPeriod) {
  std::unique_ptr<TPack> rsv = Pack(File("rsv1_2014_utf8.xml"));
  ASSERT_TRUE(rsv);
  ASSERT_EQ(rsv->Workers.size(), 4u);
  // Total row, then a month inside the period: both sums, the other row name skipped.
  EXPECT_THAT(Payments(*rsv->Workers[0]), ElementsAre("27-1 1000.5 3.1 500", "27-2-18 250 3.1 500"));
  EXPECT_EQ(rsv->Workers[0]->PaymentsNodeData.XPath().find("СведенияОсуммеВыплат") != std::string::npos, true);
  // Month outside every period: nothing.
  EXPECT_THAT(Payments(*rsv->Workers[1]), IsEmpty());
  // A second total row discards the first; a trailing total row counts for nothing.
  EXPECT_THAT(Payments(*rsv->Workers[2]), ElementsAre("27-1 222  "));
  // A sum that is not a number ends the reading; what was read stays, so does the person.
  EXPECT_THAT(Payments(*rsv->Workers[3]), ElementsAre("27-1 444  "));
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_THAT(Texts(rsv->PackErrors()), IsEmpty());

  // СЗВ-6-4: a month inside a period makes the very next total row count at once.
  std::unique_ptr<TPack> szv64 = Pack(File("szv64_2013_cp1251.xml"));
  ASSERT_EQ(szv64->Workers.size(), 1u);
  EXPECT_THAT(Payments(*szv64->Workers[0]), ElementsAre("27-1 1500  400"));

  // A sum that is not a number ends the reading after the good sums of its own row have been placed.
  errors.clear();
  const std::string row = "<СуммаВыплатПоДопТарифу27-1>1500</СуммаВыплатПоДопТарифу27-1>";
  std::unique_ptr<TPack> bad = Pack(Xml(Changed(
      "szv64_2013_cp1251.xml", {{row, row + "<СуммаВыплатПоДопТарифу27-2-18>bad</СуммаВыплатПоДопТарифу27-2-18>"}})));
  ASSERT_EQ(bad->Workers.size(), 1u);
  EXPECT_THAT(Payments(*bad->Workers[0]), ElementsAre("27-1 1500  400"));
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(PackTest, EFS1SubsectionsCarryTheirYears) {
  auto years = [](const TWorker& w) {
    std::vector<std::string> texts;
    for (const TWorkPeriod* p : w.WorkPeriods)
      texts.push_back(std::to_string(p->Year) + "/" + std::to_string(p->CorrYear) + " " + p->WC);
    return texts;
  };
  std::string text = Text("efs1_2023.xml");
  // The same person with its two subsections the other way round.
  size_t first = text.find("<СЗВ-СТАЖ>"), second = text.find("<СЗВ-СТАЖ>", first + 1);
  size_t secondEnd = text.find("</СЗВ-СТАЖ>", second) + std::string("</СЗВ-СТАЖ>").size();
  std::string swapped = text.substr(0, first) + text.substr(second, secondEnd - second) +
                        text.substr(first, second - first) + text.substr(secondEnd);

  for (const std::string& variant : {text, swapped}) {
    errors.clear();
    std::unique_ptr<TPack> pack = Pack(Xml(variant));
    ASSERT_TRUE(pack);
    ASSERT_EQ(pack->Workers.size(), 2u);
    EXPECT_EQ(pack->LgotWorkerCount(), 2);
    const TWorker& belova = *pack->Workers[0];
    EXPECT_TRUE(belova.IsEFS1);
    EXPECT_FALSE(belova.HasAT);
    EXPECT_EQ(belova.SurnameWithInitials(), "БЕЛОВА С.О.");
    std::vector<std::string> got = years(belova);
    std::sort(got.begin(), got.end());
    EXPECT_THAT(got, ElementsAre("2023/2021 О4", "2023/2023 В3.2"));
    EXPECT_THAT(years(*pack->Workers[1]), ElementsAre("2023/2021 2"));
    EXPECT_EQ(pack->Workers[1]->WorkPeriods[0]->Period, "4");

    // A period that is not added still carries its years, for the record that refers to it.
    ASSERT_EQ(pack->AddPdDataWarnings->Count(), 1u);
    auto* warning = dynamic_cast<TResultRecordWithPeriod*>(pack->AddPdDataWarnings->Record(0));
    EXPECT_EQ(warning->FPeriod->Year, 2023);
    EXPECT_EQ(warning->FPeriod->CorrYear, 2023);

    // The third person fails in its second subsection; the records of its first one go with it.
    EXPECT_THAT(errors, ::testing::Contains(::testing::HasSubstr(". Номер в пачке 3")));
    EXPECT_EQ(pack->TerrCodes().size(), 1u);
    EXPECT_EQ(pack->TerrCodes()[0]->FWorker_PD, &belova);
    EXPECT_EQ(pack->PDRKWarnings->Count(), 0u);
  }

  // Searching 2023: the subsection correcting 2021 is skipped, a person with nothing else is not listed.
  std::unique_ptr<TPack> only2023 = Pack(File("efs1_2023.xml"), 2023);
  ASSERT_EQ(only2023->Workers.size(), 1u);
  EXPECT_THAT(years(*only2023->Workers[0]), ElementsAre("2023/2023 В3.2"));
}

TEST_F(PackTest, InsuranceNumbersAndNamesFromEitherPlace) {
  std::unique_ptr<TPack> pack = Pack(
      Xml(Changed("szv_stag_2018_is4.xml", {{"120-130-140 50", "120-130-140-50"}, {"121-131-141 51", "1211311415"}})));
  ASSERT_TRUE(pack);
  EXPECT_EQ(pack->Workers[0]->SN, "120-130-140 50");
  EXPECT_EQ(pack->Workers[1]->SN, "1211311415");  // shorter than 12: as written
  std::unique_ptr<TPack> spv2 = Pack(File("spv2_2015_cp1251.xml"));
  ASSERT_EQ(spv2->Workers.size(), 1u);
  EXPECT_EQ(spv2->Workers[0]->SurnameWithInitialsAndSN(), "ЯКОВЛЕВ Ф.И. (160-170-180 90)");
  EXPECT_EQ(spv2->Workers[0]->WorkPeriods[0]->WorkTimeAsString(), "3 мес., 0 дн., 0 ч., 0 мин.");
}

TEST_F(PackTest, RecordsOfAMergedPeriodMoveToThePersonsPeriodWithItsDates) {
  TPack pack;
  TWorker* worker = pack.Arena->Make<TWorker>();
  TWorkPeriod* kept = pack.Arena->Make<TWorkPeriod>();
  TWorkPeriod* temp = pack.Arena->Make<TWorkPeriod>();
  kept->Start = temp->Start = MakeDate(2018, 1, 1);
  kept->Finish = temp->Finish = MakeDate(2018, 3, 31);
  pack.PDRKWarnings->AddRecord(std::make_unique<TPDRKWarning>(TISSide{worker, temp}, "27-ПД"));
  RepointPeriodRecords(*pack.PDRKWarnings, temp);  // the person has no such period yet: stays
  EXPECT_EQ(pack.PDRKWarnings->Record(0)->FWorkPeriod_PD, temp);
  worker->AddWorkperiod(kept);
  RepointPeriodRecords(*pack.PDRKWarnings, temp);
  EXPECT_EQ(pack.PDRKWarnings->Record(0)->FWorkPeriod_PD, kept);
  EXPECT_EQ(pack.PDRKWarnings->RecordsOfPeriod(temp), nullptr);
  ASSERT_NE(pack.PDRKWarnings->RecordsOfPeriod(kept), nullptr);
  EXPECT_EQ(pack.PDRKWarnings->RecordsOfPeriod(kept)->size(), 1u);
}

}  // namespace
}  // namespace zz
