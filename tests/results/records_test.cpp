// Record kinds: the cells each prints, escaping, verdicts.
#include <gtest/gtest.h>

#include <type_traits>

#include "../isdata/classifier_fixture.h"
#include "base/dates.h"
#include "isdata/data_arena.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "results/result_records.h"
#include "results/result_tables.h"

namespace zz {
namespace {

// The two sides of a record are different types: one does not pass for the other, and a record that
// takes both takes them only as an IS side followed by a Perechen side, never as bare pointers.
static_assert(!std::is_convertible_v<TISSide, TListSide> && !std::is_convertible_v<TListSide, TISSide> &&
                  !std::is_constructible_v<TListSide, TISSide> && !std::is_constructible_v<TISSide, TListSide> &&
                  std::is_constructible_v<TBasisError, TISSide, TListSide> &&
                  !std::is_constructible_v<TBasisError, TISSide, TISSide> &&
                  !std::is_constructible_v<TBasisError, TListSide, TListSide> &&
                  !std::is_constructible_v<TBasisError, TListSide, TISSide> &&
                  !std::is_constructible_v<TBasisError, TWorker*, TWorkPeriod*, TWorkPeriod*>,
              "a record's IS and Perechen sides must not be interchangeable");

std::string PrintOf(TResult& result) {
  TStringWriter writer;
  int chapter = 0, table = 0;
  std::string name;
  result.PrintResult(writer, chapter, table, name);
  return writer.Text();
}

class RecordsTest : public test::ClassifierTest {
 protected:
  TDataArena arena;

  TWorker* Worker(const char* surname, const char* sn = "111-222-333 44", const char* pack = "5") {
    TWorker* w = arena.Make<TWorker>();
    w->Surname = surname;
    w->Name = "АННА";
    w->SN = sn;
    w->PackNum = pack;
    w->NumInPack = "2";
    return w;
  }
  TWorkPeriod* Period(const char* code, int month = 1) {
    TWorkPeriod* p = arena.Make<TWorkPeriod>();
    p->Bases.Add(code);
    p->Start = MakeDate(2023, month, 1);
    p->Finish = MakeDate(2023, month, 20);
    return p;
  }
};

TEST_F(RecordsTest, PreCheckVerdicts) {
  struct Case {
    int code;
    bool error;
    const char* start;
  };
  const Case cases[] = {
      {11, false, "Oрганизация без льготников"},
      {12, false, "Необходимо уточнить отсутствие ИС"},
      {22, true, "Найдены только корректирующие ИС"},
      {23, true, "Найдены ИС с льготниками (Исхд"},
      {25, true, "Не было найдено файлов индивидуальных сведений со льготами"},
      {7, false, "7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    TPreZazoruResult verdict(c.code);
    EXPECT_EQ(verdict.IsError, c.error);
    EXPECT_EQ(verdict.FMessage.rfind(c.start, 0), 0u);
    std::string head = c.error ? "<h3 style=\"color:red\"><b>" : "<h3 class=\"warn\" style=\"color:blue\"><b>";
    EXPECT_EQ(PrintOf(verdict), head + verdict.FMessage + "</b></h3>\n");
  }
  EXPECT_EQ(TPreZazoruResult(11).FMessage.substr(0, 1), "O");  // the Latin letter
}

TEST_F(RecordsTest, MessagesPrintTheirTextAsText) {
  TProtocolMessage missingTag("Отсутствует тег <" + std::string("СНИЛС") + ">", true);
  EXPECT_EQ(PrintOf(missingTag), "<h3 style=\"color:red\"><b>Отсутствует тег &lt;СНИЛС&gt;</b></h3>\n");

  // Markup given as markup stays; the text pieces around it are escaped.
  TListError server(THtml::Text("Ошибка \"Ливерто\":") + HtmlBr() + THtml::Text("Сообщение: a&b"), 2023, 2, nullptr,
                    false);
  EXPECT_EQ(server.FMessage, "Ошибка \"Ливерто\":<br>Сообщение: a&b");
  EXPECT_EQ(PrintOf(server),
            "<h3 class=\"warn\" style=\"color:blue\"><b>Ошибка &quot;Ливерто&quot;:<br>Сообщение: a&amp;b</b></h3>\n");
  // A message changed afterwards as plain text prints as text again.
  server.FMessage = "<br>";
  EXPECT_EQ(server.MessageHtml(), "&lt;br&gt;");

  TNodeData node;
  node.fLine = 12;
  TBadPositionListError marker("позиция", 2023, 1, &node, true);
  EXPECT_EQ(marker.FNodeData.fLine, 12);
  EXPECT_EQ(marker.FYear, 2023);
  TTerrCodeWarning terr("all");
  EXPECT_FALSE(terr.IsError);
  EXPECT_EQ(terr.FPackNum, "all");
}

TEST_F(RecordsTest, HostileInputIsEscapedInRows) {
  TWorker* w = Worker("<script>alert(1)</script>", "1&2", "\"7\"");
  w->Name = "<b>";
  TWorkPeriod* p = Period("27-<i>");
  TPeriodErrors_IS table;
  table.AddRecord(std::make_unique<TPeriodError_IS>(TISSide{w, p}));
  std::string html = PrintOf(table);
  EXPECT_EQ(html.find("<script>"), std::string::npos);
  EXPECT_EQ(html.find("<i>"), std::string::npos);
  EXPECT_NE(html.find("<td>&lt;script&gt;alert(1)&lt;/script&gt; &lt;.</td>"), std::string::npos);
  EXPECT_NE(html.find("<td>1&amp;2</td>"), std::string::npos);
  EXPECT_NE(html.find("<td>&quot;7&quot;</td>"), std::string::npos);
  EXPECT_NE(html.find("<td>27-&lt;i&gt;</td>"), std::string::npos);
}

TEST_F(RecordsTest, TeacherHoursRoundHalfToEven) {
  TWorker* w = Worker("ИВАНОВА");
  TWorkPeriod* p = Period("27-ПД");
  TTeacherResult r(TISSide{w, p}, 150.5, 151.5);
  EXPECT_EQ(r.fISTime, "2 часов 30 минут");
  EXPECT_EQ(r.fPerechTime, "2 часов 32 минут");
  EXPECT_EQ(MinutesAsHoursText(59.4), "0 часов 59 минут");
  EXPECT_EQ(MinutesAsHoursText(1e300), "0 часов 0 минут");  // broken input prints, never overflows
  EXPECT_EQ(r.Cells(), (std::vector<std::string>{"27-ПД", "5", "2", "111-222-333 44", "ИВАНОВА А.", "2 часов 30 минут",
                                                 "2 часов 32 минут"}));
}

TEST_F(RecordsTest, AddPdDataErrorExplanation) {
  TWorker* w = Worker("К");
  TWorkPeriod* p = Period("27-1");
  EXPECT_EQ(TAddPdDataError(TISSide{w, p}, "01.01.2024", "", "ДЕТИ").Cells().back(),
            "Код ДЕТИ проставлен неправомерно. Период актуальности кода начинается 01.01.2024");
  EXPECT_EQ(TAddPdDataError(TISSide{w, p}, "", "31.12.2020", "ДЕТИ").Cells().back(),
            "Код ДЕТИ проставлен неправомерно. Период актуальности кода закончился 31.12.2020");
  EXPECT_EQ(TAddPdDataError(TISSide{w, p}, "", "", "ДЕТИ").Cells().back(), "Код ДЕТИ проставлен неправомерно.");
}

TEST_F(RecordsTest, WorkingConditionsAndTariffTexts) {
  TWorker* w = Worker("А");
  TWorker* lw = Worker("Б");
  lw->SubNum = "3";
  TWorkPeriod* lp = Period("27-1");
  lp->NumSub = "3";

  TUTError withList(TISSide{.Worker = w}, TListSide{lw, lp}, "3.2", true, "");
  EXPECT_EQ(withList.fPDUT, "3.2 (все периоды)");
  EXPECT_TRUE(lp->IsResultData);  // tagged at creation
  EXPECT_EQ(withList.Cells(),
            (std::vector<std::string>{"5", "2", "111-222-333 44", "А А.", "01.01.2023 - 20.01.2023",
                                      "3.2 (все периоды)", "3", "Без класса УТ",
                                      "Проставленные у ЗЛ для ДТ условия труда не совпадают в ИС и Перечне (Класса УТ "
                                      "из Перечня нет в ИС)"}));
  TUTError noList(TISSide{}, TListSide{.Worker = lw}, "3.2", false, "4");
  EXPECT_EQ(noList.Cells(), (std::vector<std::string>{"", "", "111-222-333 44", "Б А.", "", " (все периоды)", "", "4",
                                                      "Проставленные у ЗЛ для ДТ условия труда не совпадают в ИС и "
                                                      "Перечне (Класса УТ из ИС нет в Перечне)"}));

  TAddTariffPayment* pay = arena.Make<TAddTariffPayment>(atb1, "", 1234.5, "");
  TAddTariffWarning noLgot(TISSide{.Worker = w}, rtNoLgot, pay);
  EXPECT_EQ(noLgot.Cells().back(),
            "У ЗЛ начислена сумма выплат по доп. тарифу 27-1 на сумму 1234.5 руб., но в его периодах стажа льгота "
            "отсутствует");
  EXPECT_TRUE(pay->IsResultData);

  TAddTariffError listSide(TISSide{.Worker = w}, TListSide{lw, lp}, rtList);
  std::vector<std::string> cells = listSide.Cells();
  ASSERT_EQ(cells.size(), 11u);
  EXPECT_EQ(cells[0], "");  // no pack for the Perechen side
  EXPECT_EQ(cells[3], "Б А.");
  EXPECT_EQ(cells[7], "3");
  EXPECT_EQ(cells[8], "27-1");
  TAddTariffError isSide(TISSide{w, Period("27-2")}, TListSide{.Worker = lw}, rtPD);
  EXPECT_EQ(isSide.Cells()[0], "5");
  EXPECT_EQ(isSide.Cells().back(),
            "У ЗЛ в периодах стажа присутствует льгота 27-2, но не начислена сумма выплат по доп. тарифу");
}

TEST_F(RecordsTest, WorkingDaysExcessUsesPrintedNumbers) {
  TPosition* pos = arena.Make<TPosition>();
  pos->Bases.Add("27-1");
  pos->fProfessionCode = "X";
  pos->fQuantityByPositions = 1.5;
  pos->fWorkingDays = 0.1 + 0.2;
  TWorkingDaysResultRecord r(pos, 90.5, 80, 3);
  EXPECT_EQ(r.Cells(), (std::vector<std::string>{"27-1 (X)", "1.5", "0.3", "3", "90.5", "90.2", "10.5"}));
}

TEST_F(RecordsTest, PositionErrorsKeepOneRowPerPeriod) {
  TPositionErrors table;
  TWorker* w = Worker("ОРЛОВ");
  TWorker* sameSn = Worker("ОРЛОВ");
  TWorkPeriod* p1 = Period("27-1", 1);
  TWorkPeriod* p2 = Period("27-1", 5);  // other dates, same codes: matches
  TWorkPeriod* p3 = Period("27-2", 1);
  table.AddRecord(std::make_unique<TPositionError>(TISSide{w, p1}));
  table.AddRecord(std::make_unique<TPositionError>(TISSide{sameSn, p2}));
  EXPECT_EQ(table.Count(), 1u);
  table.AddRecord(std::make_unique<TPositionError>(TISSide{w, p3}));
  table.AddRecord(std::make_unique<TPositionError>(TISSide{Worker("ОРЛОВ", "999-999-999 99"), p1}));
  table.AddRecord(std::make_unique<TPositionError>(TISSide{Worker("ОРЛОВА"), p1}));
  EXPECT_EQ(table.Count(), 4u);
}

TEST_F(RecordsTest, AddPdDataWarningsMergeConsecutiveRowsOfOnePerson) {
  TAddPdDataWarnings table;
  TWorker* a = Worker("А");
  TWorker* b = Worker("Б", "222-222-222 22");
  auto warning = [&](TWorker* w, int month, const char* flag) {
    TWorkPeriod* p = Period("27-1", month);
    p->AddPdData._Set(flag);
    auto r = TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{w, p}, false, false, "", &p->AddPdData);
    EXPECT_NE(r, nullptr);
    return r;
  };
  auto first = warning(a, 1, "ДЕТИ");
  TWorkPeriod* firstPeriod = first->FPeriod;
  table.AddRecord(std::move(first));
  auto merged = warning(a, 2, "ДЕКРЕТ");
  TWorkPeriod* mergedPeriod = merged->FPeriod;
  table.AddRecord(std::move(merged));
  table.AddRecord(warning(a, 3, "ДЕТИ"));
  ASSERT_EQ(table.Count(), 1u);
  auto* row = dynamic_cast<TAddPdDataWarning*>(table.Record(0));
  EXPECT_EQ(row->FChildren, "01.01.2023 - 20.01.2023 (ДЕТИ)<br><br>01.03.2023 - 20.03.2023 (ДЕТИ)");
  EXPECT_EQ(row->FParentalLeave, "<br>01.02.2023 - 20.02.2023 (ДЕКРЕТ)<br>");
  EXPECT_EQ(table.RecordsOfPeriod(firstPeriod)->size(), 1u);
  EXPECT_EQ(table.RecordsOfPeriod(mergedPeriod), nullptr);  // merged records are not entered

  table.AddRecord(warning(b, 1, "ДЕТИ"));  // another person breaks the run
  table.AddRecord(warning(a, 4, "ДЕТИ"));
  EXPECT_EQ(table.Count(), 3u);

  // Nothing to report: no record.
  TWorkPeriod* plain = Period("27-1");
  EXPECT_EQ(TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{a, plain}, false, false, "x", &plain->AddPdData),
            nullptr);
  auto seasonal = TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{a, plain}, true, true, "", &plain->AddPdData);
  ASSERT_NE(seasonal, nullptr);
  EXPECT_EQ(seasonal->FSeason, "СЕЗОН");
  EXPECT_EQ(seasonal->FUIK, "УИК104");

  row->AddListComment("01.01.2023 - 31.01.2023", "см. <приказ>");
  EXPECT_EQ(row->FListComments, "<br><br>01.01.2023 - 31.01.2023: &quot;см. &lt;приказ&gt;&quot;<br>");
}

TEST_F(RecordsTest, LeaveTextJoinsAdminAndUnpaid) {
  TWorkPeriod* p = Period("27-1");
  p->AddPdData._Set("АДМИНИСТР");
  auto r = TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{Worker("В"), p}, false, false, "", &p->AddPdData);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->FLeave, "01.01.2023 - 20.01.2023 (АДМИНИСТР), ");
  p->AddPdData._Set("НЕОПЛ");
  r = TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{Worker("В"), p}, false, false, "", &p->AddPdData);
  EXPECT_EQ(r->FLeave, "01.01.2023 - 20.01.2023 (АДМИНИСТР), 01.01.2023 - 20.01.2023 (НЕОПЛ)");
  EXPECT_EQ(r->FAddPdDataRSV, "01.01.2023 - 20.01.2023 (НЕОПЛ)");
}

TEST_F(RecordsTest, PeriodTablesIndexTheirRecords) {
  TPDRKWarnings table;
  TWorker* w = Worker("Г");
  TWorkPeriod* p = Period("27-ПДРК");
  table.AddRecord(std::make_unique<TPDRKWarning>(TISSide{w, p}, "27-ПДРК"));
  table.AddRecord(std::make_unique<TPDRKWarning>(TISSide{w, Period("27-ПДРК", 2)}, "27-ПДРК"));
  auto second = std::make_unique<TPDRKWarning>(TISSide{w, p}, "28-ПДРК");
  TResultRecord* secondRaw = second.get();
  table.AddRecord(std::move(second));
  ASSERT_NE(table.RecordsOfPeriod(p), nullptr);
  EXPECT_EQ(*table.RecordsOfPeriod(p), (std::vector<TResultRecord*>{table.Record(0), secondRaw}));

  std::unique_ptr<TResultRecord> taken = table.TakeRecord(secondRaw);
  EXPECT_EQ(taken.get(), secondRaw);
  EXPECT_EQ(table.RecordsOfPeriod(p)->size(), 1u);
  table.DeleteRecord(size_t{0});
  EXPECT_EQ(table.RecordsOfPeriod(p), nullptr);
  EXPECT_EQ(table.Count(), 1u);
  table.DeleteRecord(size_t{7});  // out of range: nothing happens
  table.ClearRecords();
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_TRUE(table.Dict.empty());
}

TEST_F(RecordsTest, TagRecordsMarksEveryReference) {
  TBasisErrors table;
  TWorker* w = Worker("Д");
  TWorkPeriod* p = Period("27-1");
  TWorkPeriod* lp = Period("27-2");
  table.AddRecord(std::make_unique<TBasisError>(TISSide{w, p}, TListSide{.Period = lp}));
  EXPECT_FALSE(w->IsResultData);
  table.TagRecords();
  EXPECT_TRUE(w->IsResultData);
  EXPECT_TRUE(p->IsResultData);
  EXPECT_TRUE(lp->IsResultData);
  TWorkPeriod* kept = p;
  ReleaseWorkPeriod(kept);
  EXPECT_EQ(kept, p);
}

TEST_F(RecordsTest, AbsentReferencesGiveEmptyCells) {
  TPeriodError_List r(TISSide{}, TListSide{});
  EXPECT_EQ(r.Cells(), std::vector<std::string>(12));
  TWorkingDaysError days(nullptr, 5, 0, 1);
  EXPECT_EQ(days.Cells().size(), 6u);
  TAddTariffWarning noPay(TISSide{}, rtNoLgot, nullptr);
  EXPECT_EQ(noPay.Cells().size(), 8u);
  EXPECT_EQ(TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{}, true, true, "", nullptr), nullptr);
}

TEST_F(RecordsTest, CrossingErrorKeepsTextsFromCreation) {
  TWorker* w = Worker("Е");
  TWorkPeriod* a = Period("27-1");
  a->ProfessionCode = "K";
  a->PackNum = "1";
  a->NumInPack = "4";
  TWorkPeriod* b = Period("27-2", 2);
  b->AddPdData._Set("ДОГОВОР");
  TCrossingPDPeriodError r(TISSide{w, a}, b);
  a->Bases.Add("27-9");  // later changes do not show
  EXPECT_EQ(r.Cells(),
            (std::vector<std::string>{"111-222-333 44", "Е А.", "01.01.2023 - 20.01.2023", "1", "4", "27-1 (K)", "",
                                      "01.02.2023 - 20.02.2023", "", "", "27-2", "ДОГОВОР"}));
}

}  // namespace
}  // namespace zz
