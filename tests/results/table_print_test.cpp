// Printing tables: headers, spans, chapter and table numbering.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "../isdata/classifier_fixture.h"
#include "base/dates.h"
#include "isdata/data_arena.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "results/result_records.h"
#include "results/result_tables.h"

namespace zz {
namespace {

class ReportTest : public test::ClassifierTest {
 protected:
  TDataArena arena;

  TWorker* Worker(const char* surname, const char* sn = "111-222-333 44", const char* pack = "5",
                  const char* num = "1") {
    TWorker* w = arena.Make<TWorker>();
    w->Surname = surname;
    w->Name = "ПЁТР";
    w->Patronymic = "ИЛЬИЧ";
    w->SN = sn;
    w->PackNum = pack;
    w->NumInPack = num;
    return w;
  }
  TWorkPeriod* Period(const char* code = "27-1", int month = 1) {
    TWorkPeriod* p = arena.Make<TWorkPeriod>();
    p->Bases.Add(code);
    p->ProfessionCode = "23200000-13786";
    p->Start = MakeDate(2023, month, 1);
    p->Finish = MakeDate(2023, month, 28);
    return p;
  }
  static std::string Print(TResult& result, int& chapter, int& table, std::string& name) {
    TStringWriter writer;
    result.PrintResult(writer, chapter, table, name);
    return writer.Text();
  }
  static std::string Print(TResult& result) {
    int chapter = 0, table = 0;
    std::string name;
    return Print(result, chapter, table, name);
  }
};

TEST_F(ReportTest, SingleRowHeaderTable) {
  TRateErrors table;
  TWorkPeriod* is = Period();
  is->Rate = 0.5;
  TWorkPeriod* list = Period();
  list->Rate = 0;
  table.AddRecord(std::make_unique<TRateResult>(TISSide{Worker("СИДОРОВ"), is}, TListSide{.Period = list}, rtPD));
  int chapter = 2, tableNum = 4;
  std::string name = "Другая глава";
  EXPECT_EQ(Print(table, chapter, tableNum, name),
            "<h3 style=\"text-align:center\">3. Сверка ИС и поименного списка к Перечню</h3>\n"
            "<b>Таблица 3.1 Несовпадение доли ставки</b><br/>\n"
            "<table id=\"TRateErrors\" width=\"100%\" border=\"1\">\n"
            " <tr style=\"text-align:center;font-weight:bold\">\n"
            " <td colspan=\"\"  rowspan=\"\">№ пачки</td>\n"
            " <td colspan=\"\"  rowspan=\"\">№ в пачке</td>\n"
            " <td colspan=\"\"  rowspan=\"\">Страховое свидетельство</td>\n"
            " <td colspan=\"\"  rowspan=\"\">ФИО</td>\n"
            " <td colspan=\"\"  rowspan=\"\">Льгота</td>\n"
            " <td colspan=\"\"  rowspan=\"\">Период</td>\n"
            " <td colspan=\"\"  rowspan=\"\">Ставка в ИС</td>\n"
            " <td colspan=\"\"  rowspan=\"\">Ставка в Перечне</td>\n"
            " </tr>\n"
            "<tr>\n"
            "<td>5</td>\n"
            "<td>1</td>\n"
            "<td>111-222-333 44</td>\n"
            "<td>СИДОРОВ П.И.</td>\n"
            "<td>27-1</td>\n"
            "<td>01.01.2023 - 28.01.2023</td>\n"
            "<td>0.5</td>\n"
            "<td>Не указана</td>\n"
            "</tr>\n"
            "</table>\n"
            "<div style=\"color: red\"><b>ИТОГО ОШИБОК: 1</b></div><br/>\n");
  EXPECT_EQ(chapter, 3);
  EXPECT_EQ(tableNum, 1);
  EXPECT_EQ(name, "Сверка ИС и поименного списка к Перечню");
}

TEST_F(ReportTest, TwoRowHeaderWithSpans) {
  TPositionErrors table;
  TWorkPeriod* p = Period();
  p->TerritoryCondition = "МКС";
  p->AddPdData._Set("ДЕТИ");
  p->AddPdData._Set("НЕОПЛ");
  table.AddRecord(std::make_unique<TPositionError>(TISSide{Worker("ПЕТРОВ"), p}));
  EXPECT_EQ(Print(table),
            "<h3 style=\"text-align:center\">1. Сверка на наличие позиций в Перечне</h3>\n"
            "<b>Таблица 1.1 Позиции, отсутствующие в Перечне</b><br/>\n"
            "<table id=\"TPositionErrors\" width=\"100%\" border=\"1\">\n"
            " <tr style=\"text-align:center;font-weight:bold\">\n"
            " <td colspan=\"\"  rowspan=\"2\">№ пачки</td>\n"
            " <td colspan=\"\"  rowspan=\"2\">№ в пачке</td>\n"
            " <td colspan=\"\"  rowspan=\"2\">Страховое свидетельство</td>\n"
            " <td colspan=\"\"  rowspan=\"2\">ФИО</td>\n"
            " <td colspan=\"2\"  rowspan=\"\">Особые условия труда</td>\n"
            " <td colspan=\"\"  rowspan=\"2\">ТУ</td>\n"
            " <td colspan=\"\"  rowspan=\"2\">Дополнительные сведения ИС</td>\n"
            " </tr>\n"
            " <tr style=\"text-align:center;font-weight:bold\">\n"
            " <td colspan=\"\"  rowspan=\"\">Льгота</td>\n"
            " <td colspan=\"\"  rowspan=\"\">Код позиции списка</td>\n"
            " </tr>\n"
            "<tr>\n"
            "<td>5</td>\n"
            "<td>1</td>\n"
            "<td>111-222-333 44</td>\n"
            "<td>ПЕТРОВ П.И.</td>\n"
            "<td>27-1</td>\n"
            "<td>23200000-13786</td>\n"
            "<td>МКС</td>\n"
            "<td>НЕОПЛ, ДЕТИ</td>\n"
            "</tr>\n"
            "</table>\n"
            "<div style=\"color: red\"><b>ИТОГО ОШИБОК: 1</b></div><br/>\n");
}

TEST_F(ReportTest, ChapterNumberingRunsAcrossTables) {
  TRateErrors first;       // "Сверка ИС и поименного списка к Перечню"
  TFullNameErrors second;  // same chapter
  TStavkaWarnings third;   // "Список предупреждений"
  TPdInsNumErrors fourth;  // back to the first chapter's text: a new chapter
  int chapter = 0, table = 0;
  std::string name;
  TStringWriter writer;
  for (TTableResult* t : std::initializer_list<TTableResult*>{&first, &second, &third, &fourth})
    t->PrintResult(writer, chapter, table, name);
  std::string text = writer.Text();
  std::vector<std::string> captions;
  std::regex caption("(<h3[^>]*>[^<]*</h3>|<b>Таблица [0-9.]+)");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), caption); it != std::sregex_iterator(); ++it)
    captions.push_back(it->str());
  EXPECT_EQ(captions,
            (std::vector<std::string>{
                "<h3 style=\"text-align:center\">1. Сверка ИС и поименного списка к Перечню</h3>", "<b>Таблица 1.1",
                "<b>Таблица 1.2", "<h3 style=\"text-align:center\">2. Список предупреждений</h3>", "<b>Таблица 2.1",
                "<h3 style=\"text-align:center\">3. Сверка ИС и поименного списка к Перечню</h3>", "<b>Таблица 3.1"}));
  EXPECT_NE(text.find("<div style=\"color: blue\"><b>ИТОГО ПРЕДУПРЕЖДЕНИЙ: 0</b></div><br/>"), std::string::npos);
}

// Every table, filled with the record class it takes, prints one cell per leaf column of its header.
TEST_F(ReportTest, EveryRowFillsItsHeader) {
  TWorker* w = Worker("ИВАНОВ");
  TWorker* lw = Worker("ИВАНОВ");
  TWorkPeriod* p = Period();
  TWorkPeriod* lp = Period();
  TPosition* pos = arena.Make<TPosition>();
  TAddTariffPayment* pay = arena.Make<TAddTariffPayment>(atb218, "3.1", 1500.25, "");
  p->AddPdData._Set("ДЕТИ");
  TTerrCodeData terr(TISSide{w, p});

  std::vector<std::pair<std::unique_ptr<TTableResult>, std::unique_ptr<TResultRecord>>> pairs;
  auto add = [&](TTableResult* t, TResultRecord* r) { pairs.emplace_back(t, r); };
  add(new TPositionErrors, new TPositionError(TISSide{w, p}));
  add(new TWorkingDaysErrors, new TWorkingDaysError(pos, 10, 5, 2));
  add(new TWorkingDaysWarnings, new TWorkingDaysResultRecord(pos, 10, 5, 2));
  add(new TAddPdDataErrors, new TAddPdDataError(TISSide{w, p}, "", "", "ДЕТИ"));
  add(new TPdInsNumErrors, new TSNError_IS(TISSide{w, p}));
  add(new TFullNameErrors, new TFullNameError(TISSide{.Worker = w}, TListSide{.Worker = lw}));
  add(new TPrincipalErrors, new TTeacherResult(TISSide{w, p}, 60, 120));
  add(new TTeacherWarnings, new TTeacherResult(TISSide{w, p}, 60, 120));
  add(new TSNErrors_List, new TSNError_List(TListSide{lw, lp}));
  add(new TBasisErrors, new TBasisError(TISSide{w, p}, TListSide{.Period = lp}));
  add(new TPeriodErrors_IS, new TPeriodError_IS(TISSide{w, p}));
  add(new TPeriodErrors_List, new TPeriodError_List(TISSide{.Worker = w}, TListSide{lw, lp}));
  for (TTableResult* t :
       {static_cast<TTableResult*>(new TRateErrors), static_cast<TTableResult*>(new TStavkaWarnings),
        static_cast<TTableResult*>(new TRateTooHighErrors), static_cast<TTableResult*>(new TNoRateErrors)})
    add(t, new TRateResult(TISSide{w, p}, TListSide{.Period = lp}, rtPD));
  add(new TFactWorkTimeErrors, new TFactWorkTimeError(TISSide{w, p}, TListSide{.Period = lp}));
  add(new TFactWorkTimeErrors_List, new TFactWorkTimeResult_List_IS(TISSide{w, p}, TListSide{.Period = lp}, rtList));
  add(new TFactWorkTimeWarnings_List, new TFactWorkTimeResult_List_IS(TISSide{w, p}, TListSide{.Period = lp}, rtList));
  add(new TFactWorkTimeErrors_IS, new TFactWorkTimeResult_List_IS(TISSide{w, p}, TListSide{.Period = lp}, rtPD));
  add(new TFactWorkTimeWarnings_IS, new TFactWorkTimeResult_List_IS(TISSide{w, p}, TListSide{.Period = lp}, rtPD));
  add(new TWorkDaysBasisErrors, new TWorkDaysBasisError(TISSide{w, p}, TListSide{lw, lp}));
  add(new TUTErrors, new TUTError(TISSide{.Worker = w}, TListSide{lw, lp}, "3.1", true, ""));
  add(new TAddTariffErrors, new TAddTariffError(TISSide{w, p}, TListSide{.Worker = lw}, rtPD));
  add(new TAddTariffWarnings, new TAddTariffWarning(TISSide{w, lp}, rtNoLgot, pay));
  add(new TUTWithoutAddTariffErrors, new TUTWithoutAddTariffError(TListSide{lw, lp}));
  add(new TBeerusErrors, new TBeerusError(TListSide{lw, lp}, "ВИРУС вне периода"));
  add(new TTerrCodeErrors, new TTerrCodeError(terr));
  add(new TCrossingPDPeriodsErrors, new TCrossingPDPeriodError(TISSide{w, p}, lp));
  add(new TPartTimeErrors, new TPartTimeResult(TISSide{w, p}, "27-ГД", "12300000-20426"));
  add(new TPartTimeWarnings, new TPartTimeResult(TISSide{w, p}, "27-ГД", "12300000-20426"));
  add(new TPDRKWarnings, new TPDRKWarning(TISSide{w, p}, "27-ПДРК"));
  add(new TFlightWarnings, new TFlightWarning(TISSide{w, p}, "САМОЛЕТ"));
  add(new TJumpWarnings, new TJumpWarning(TISSide{w, p}, "РЕАКТИВН"));
  add(new TAddPdDataWarnings,
      TAddPdDataWarning::TryCreateAddPdDataWarning(TISSide{w, p}, true, false, "", &p->AddPdData).release());
  ASSERT_EQ(pairs.size(), TableCatalogue().size());

  std::set<std::string> ids;
  for (auto& [table, record] : pairs) {
    SCOPED_TRACE(table->ClassName());
    ids.insert(table->ClassName());
    auto span = [](const std::string& text) { return text.empty() ? 1 : std::stoi(text); };
    const THeaderRows& header = table->FHeaderData;
    int leaves = 0, groupWidth = 0, secondRow = 0;
    for (const THeaderData& cell : header.at(0)) {
      if (header.size() > 1 && cell.RowSpan.empty())
        groupWidth += span(cell.ColSpan);  // a group heading over cells of the second row
      else
        leaves += span(cell.ColSpan);
    }
    if (header.size() > 1)
      for (const THeaderData& cell : header[1]) secondRow += span(cell.ColSpan);
    EXPECT_EQ(groupWidth, secondRow);
    leaves += secondRow;
    EXPECT_EQ(static_cast<int>(record->Cells().size()), leaves);
    table->AddRecord(std::move(record));
    EXPECT_EQ(table->Count(), 1u);
  }
  EXPECT_EQ(ids.size(), pairs.size());
}

}  // namespace
}  // namespace zz
