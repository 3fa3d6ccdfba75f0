// The model: codes, periods, persons and positions.
#include <gtest/gtest.h>

#include "base/dates.h"
#include "classifier_fixture.h"
#include "isdata/data_arena.h"
#include "isdata/position.h"
#include "isdata/worker.h"
#include "xml/my_node.h"

namespace zz {
namespace {

using test::ClassifierTest;

class BasesTest : public ClassifierTest {};

TEST_F(BasesTest, SortedCommaJoinedWithoutDuplicates) {
  TBases bases;
  EXPECT_TRUE(bases.Add("27-ПД"));
  EXPECT_TRUE(bases.Add("27-1"));
  EXPECT_EQ(bases.DelimitedText(), "27-1,27-ПД");
  EXPECT_FALSE(bases.Add("27-1"));
  EXPECT_FALSE(bases.Add("27-пд"));  // differs only in letter case
  EXPECT_EQ(bases.DelimitedText(), "27-1,27-ПД");
  EXPECT_EQ(bases.Count(), 2u);
}

TEST_F(BasesTest, QuotesCodesWithBlanksCommasAndQuotes) {
  TBases bases;
  bases.Add("A B");
  bases.Add("C,D");
  bases.Add("E\"F");
  bases.Add("G");
  EXPECT_EQ(bases.DelimitedText(), "\"A B\",\"C,D\",\"E\"\"F\",G");
}

TEST_F(BasesTest, RenamePairsAppliedInOrderOnAddOnly) {
  TBases bases;
  bases.Add("28-ПД");
  bases.Add("СТАРЫЙ-28-1");  // both pairs apply, one after the other
  EXPECT_EQ(bases.DelimitedText(), "27-ПД,НОВЫЙ-27-1");

  // A pair missing its partner is not applied.
  Classifiers()[ctReplaceFrom].push_back("ПД");
  TBases more;
  more.Add("ПД-1");
  EXPECT_EQ(more.DelimitedText(), "ПД-1");

  // Copies take the codes as they are, without renaming again.
  Classifiers()[ctReplaceFrom] = {"27-"};
  Classifiers()[ctReplaceTo] = {"99-"};
  TBases copy(bases);
  EXPECT_EQ(copy.DelimitedText(), "27-ПД,НОВЫЙ-27-1");
}

TEST_F(BasesTest, HasBasesIsASubstringTest) {
  TBases bases;
  bases.Add("27-ПДРК");
  bases.Add("27-1");
  EXPECT_TRUE(bases.HasBases("27-ПД"));
  EXPECT_TRUE(bases.HasBases("1,27"));  // across the delimiter
  EXPECT_FALSE(bases.HasBases("27-2"));
  TBases probe;
  probe.Add("27-1");
  EXPECT_TRUE(bases.HasBases(probe));
  probe.Add("27-2");
  EXPECT_FALSE(bases.HasBases(probe));
}

TEST_F(BasesTest, WorksWithoutClassifierLists) {
  Classifiers().clear();
  TBases bases;
  bases.Add("28-1");
  EXPECT_EQ(bases.DelimitedText(), "28-1");
  TWorkPeriod period;
  EXPECT_FALSE(period.AddPdData._Set("ДЕТИ"));
  EXPECT_FALSE(period.AddPdData.HasData());
}

class PeriodTest : public ClassifierTest {
 protected:
  TDataArena arena;

  TWorkPeriod* Period(std::initializer_list<const char*> codes, const char* profCode = "P1", const char* terr = "") {
    TWorkPeriod* p = arena.Make<TWorkPeriod>();
    for (const char* code : codes) p->Bases.Add(code);
    p->ProfessionCode = profCode;
    p->TerritoryCondition = terr;
    return p;
  }
};

TEST_F(PeriodTest, FlightCodeForcesFullRateWhenAddedAfterTheRate) {
  TWorkPeriod* p = Period({});
  p->Rate = 0.5;
  p->Bases.Add("27-1");
  EXPECT_EQ(p->Rate, 0.5);
  p->Bases.Add("САМОЛЕТ");
  EXPECT_EQ(p->Rate, 1.0);

  p->Rate = 0.25;  // a rate read after the code stays
  TWorkPeriod* clone = p->Clone(arena);
  EXPECT_EQ(clone->Rate, 0.25);
  EXPECT_EQ(clone->Bases.DelimitedText(), "27-1,САМОЛЕТ");
  clone->Bases.Add("27-2");  // the clone's list is not linked to the rule
  EXPECT_EQ(clone->Rate, 0.25);

  TBases assigned;
  assigned.Add("ИТСМАВ");
  p->Bases = assigned;  // assignment is a change of the linked list
  EXPECT_EQ(p->Rate, 1.0);
}

TEST_F(PeriodTest, CloneCopiesComparisonFieldsOnly) {
  TWorkPeriod* p = Period({"27-1"}, "X", "СЕЛО");
  p->Start = MakeDate(2023, 1, 1);
  p->Finish = MakeDate(2023, 3, 31);
  p->SetSeniorityBase("СЕЗОН");
  p->Months = "3";
  p->PDRKHours = 12;
  p->AddPdData._Set("ДЕТИ");
  TMyTreeBuilder builder;
  builder.StartElement("a");
  builder.StartElement("b");
  builder.EndElement("b");
  builder.StartElement("t");
  builder.EndElement("t");
  builder.EndElement("a");
  TMyTreePtr tree = builder.Finish();
  p->NodeData = TNodeData(tree->SelectSingleNode("b"));
  p->Year = 2023;
  p->Comment = "c";
  p->TerritoryCoeff = "1.5";
  p->TerrNodeData = TNodeData(tree->SelectSingleNode("t"));
  p->Compared = true;
  p->IsResultData = true;

  TWorkPeriod* c = p->Clone(arena);
  EXPECT_TRUE(c->Matches(*p));
  EXPECT_EQ(c->pPeriodString(), "01.01.2023 - 31.03.2023");
  EXPECT_EQ(c->SeniorityBase(), "СЕЗОН");
  EXPECT_EQ(c->Months, "3");
  EXPECT_EQ(c->PDRKHours, 12);
  EXPECT_TRUE(c->AddPdData.ValueByName("ДЕТИ"));
  EXPECT_EQ(c->AddPdData.FWorkPeriod, c);
  EXPECT_EQ(c->NodeData.XPath(), "/a/b");
  EXPECT_EQ(c->NodeData.fLine, tree->SelectSingleNode("b")->LineNumber());

  EXPECT_EQ(c->Year, 0);
  EXPECT_EQ(c->Comment, "");
  EXPECT_EQ(c->TerritoryCoeff, "");
  EXPECT_TRUE(c->TerrNodeData.IsEmpty());
  EXPECT_FALSE(c->Compared);
  EXPECT_FALSE(c->IsResultData);
}

TEST_F(PeriodTest, SeniorityBaseKeepsOnlyKnownCodes) {
  TWorkPeriod* p = Period({});
  p->SetSeniorityBase("ВОДОЛАЗ");
  p->SetSeniorityBase("ИНОЕ");
  EXPECT_EQ(p->SeniorityBase(), "ВОДОЛАЗ");
  p->SetSeniorityBase("ПОЛЕ-2");  // contains a known code
  EXPECT_EQ(p->SeniorityBase(), "ПОЛЕ-2");
}

TEST_F(PeriodTest, MatchesComparesCodesAndPositionCode) {
  EXPECT_FALSE(Period({"27-1"})->Matches(*Period({"27-1", "27-ПД"})));
  EXPECT_FALSE(Period({"27-1"}, "A")->Matches(*Period({"27-1"}, "B")));
  EXPECT_TRUE(Period({"27-1", "27-ПД"})->Matches(*Period({"27-ПД", "27-1"})));
}

TEST_F(PeriodTest, TerritorialConditionComparesOnlySelo) {
  struct Row {
    const char* own;
    const char* other;
    bool match;
  };
  const Row rows[] = {
      {"МКС", "РКС", true}, {"", "", true},         {"МКС", "", true},  {"СЕЛО", "СЕЛО", true},
      {"СЕЛО", "", true},   {"СЕЛО", "МКС", false}, {"", "СЕЛО", true}, {"РКС", "СЕЛО", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.own) + " / " + row.other);
    EXPECT_EQ(Period({"27-1"}, "P", row.own)->Matches(*Period({"27-1"}, "P", row.other)), row.match);
    TPosition position;
    position.Bases.Add("27-1");
    position.fProfessionCode = "P";
    position.fTerrCond = row.own;
    EXPECT_EQ(position.Matches(*Period({"27-1"}, "P", row.other)), row.match);
  }
}

TEST_F(PeriodTest, AdditionalDataRule) {
  auto withData = [&](std::initializer_list<const char*> flags) {
    TWorkPeriod* p = Period({"27-1"});
    for (const char* flag : flags) p->AddPdData._Set(flag);
    return p;
  };
  // Equal and seniority-bearing ("СЕЗОННАЯ" contains the ctAddStag entry "СЕЗОН").
  EXPECT_TRUE(withData({"СЕЗОННАЯ"})->Matches(*withData({"СЕЗОННАЯ"})));
  // Neither bearing: differing data still matches.
  EXPECT_TRUE(withData({"АДМИНИСТР"})->Matches(*withData({"НЕОПЛ"})));
  // Only one bearing: matches only through a no-benefit code on either side.
  EXPECT_FALSE(withData({"СЕЗОННАЯ"})->Matches(*withData({})));
  EXPECT_FALSE(withData({})->Matches(*withData({"СЕЗОННАЯ", "АДМИНИСТР"})));
  EXPECT_TRUE(withData({"СЕЗОННАЯ"})->Matches(*withData({"ДЕКРЕТ"})));
  EXPECT_TRUE(withData({"СЕЗОННАЯ", "ДЕТИ"})->Matches(*withData({})));
}

TEST_F(PeriodTest, WorkingDays) {
  TWorkPeriod* p = Period({"27-1"});
  p->Start = MakeDate(2023, 1, 1);
  p->Finish = MakeDate(2023, 3, 31);
  p->Rate = 0.5;
  EXPECT_DOUBLE_EQ(p->WorkingDays(), 45);
  p->Finish = MakeDate(2024, 3, 31);  // leap year included
  p->Rate = 1;
  EXPECT_DOUBLE_EQ(p->WorkingDays(), 456);
  p->AddPdData._Set("ДЕКРЕТ");
  EXPECT_DOUBLE_EQ(p->WorkingDays(), 0);
}

TEST_F(PeriodTest, FactWorkedTime) {
  TWorkPeriod* p = Period({"27-ПД"});
  EXPECT_FALSE(p->HasFactWorkedTime());
  p->PDRKHours = 10;
  EXPECT_FALSE(p->HasFactWorkedTime());  // hours of 27-ПД alone are not worked time
  p->Bases.Add("27-1");
  EXPECT_TRUE(p->HasFactWorkedTime());
  TWorkPeriod* q = Period({"27-ПД"});
  q->Minutes = "5";
  EXPECT_TRUE(q->HasFactWorkedTime());
}

TEST_F(PeriodTest, DisplayTexts) {
  TWorkPeriod* p = Period({});
  EXPECT_EQ(p->RateStr(), "1");
  p->Rate = 0.5;
  EXPECT_EQ(p->RateStr(), "0.5");
  p->Rate = 0.1 + 0.2;
  EXPECT_EQ(p->RateStr(), "0.3");
  p->Rate = 0;
  EXPECT_EQ(p->RateStr(), "Не указана");

  EXPECT_EQ(p->WorkTimeAsString(), "0 мес., 0 дн., 0 ч., 0 мин.");
  EXPECT_EQ(p->CompactWorkTimeText(), "");
  p->Months = "2";
  p->Hours = "7";
  EXPECT_EQ(p->CompactWorkTimeText(), "2 мес. 7 ч. ");
  p->Minutes = "30";
  EXPECT_EQ(p->CompactWorkTimeText(), "2 мес. 7 ч. 30 мин.");
  p->Bases.Add("РЕАКТИВН");
  EXPECT_EQ(p->WorkTimeAsString(), "7 прыжков/спусков/подъемов");

  EXPECT_EQ(p->BasesAndCode(), "РЕАКТИВН (P1)");
  p->ProfessionCode.clear();
  EXPECT_EQ(p->BasesAndCode(), "РЕАКТИВН");

  p->Start = MakeDate(2023, 2, 5);
  p->Finish = MakeDate(2023, 12, 31);
  EXPECT_EQ(p->pPeriodString(), "05.02.2023 - 31.12.2023");
  p->Finish = MakeDate(12000, 1, 1);  // cannot be written as dd.mm.yyyy
  EXPECT_EQ(p->pEndAsString(), "");
}

TEST_F(PeriodTest, ReleaseKeepsTaggedPeriods) {
  TWorkPeriod* temp = Period({});
  TWorkPeriod* kept = Period({});
  kept->IsResultData = true;
  TWorkPeriod* none = nullptr;
  ReleaseWorkPeriod(temp);
  ReleaseWorkPeriod(kept);
  ReleaseWorkPeriod(none);
  EXPECT_EQ(temp, nullptr);
  ASSERT_NE(kept, nullptr);
  EXPECT_TRUE(kept->IsResultData);
}

TEST(PositionTest, WorkingDaysOfAStaffEntry) {
  const TDate q1 = MakeDate(2023, 1, 1), q2 = MakeDate(2023, 3, 31);
  auto days = [&](const std::string& code, const std::vector<std::string>& bases, TPosition::TStaffEntry entry,
                  TPosition::TSeasonDays seasons) {
    TPosition pos;
    pos.fProfessionCode = code;
    for (const std::string& b : bases) pos.Bases.Add(b);
    return pos.WorkingDaysIn(q1, q2, entry, seasons);
  };
  // Heating season.
  EXPECT_DOUBLE_EQ(days("23200000-13786", {}, {q1, q2, 2}, {150, 0}), 300);
  // Heating position without season days counts calendar days.
  EXPECT_DOUBLE_EQ(days("23200000-13786", {}, {q1, q2, 1}, {0, 20}), 90);
  // Navigation by position code or by ground 27-9.
  EXPECT_DOUBLE_EQ(days("23003010-14706", {}, {q1, q2, 0.5}, {0, 40}), 20);
  EXPECT_DOUBLE_EQ(days("X", {"27-9", "27-1"}, {q1, q2, 1}, {7, 40}), 40);
  // Valid from before the quarter, open end: the quarter's length.
  EXPECT_DOUBLE_EQ(days("X", {}, {MakeDate(2020, 5, 1), std::nullopt, 3}, {}), 270);
  // A later end is not cut at the quarter's end.
  EXPECT_DOUBLE_EQ(days("X", {}, {MakeDate(2023, 3, 1), MakeDate(2023, 4, 10), 1}, {}), 41);
}

TEST(PositionTest, PositionText) {
  TPosition pos;
  pos.Bases.Add("27-2");
  EXPECT_EQ(pos.pPositionAsString(), "27-2");
  pos.fProfessionCode = "2290000а";
  EXPECT_EQ(pos.pPositionAsString(), "27-2 (2290000а)");
}

TEST(WorkerTest, NamesAndCopy) {
  TDataArena arena;
  TWorker* w = arena.Make<TWorker>();
  w->Surname = "ИВАНОВ";
  w->Name = "ИВАН";
  w->Patronymic = "ИВАНОВИЧ";
  w->SN = "123-456-789 00";
  EXPECT_EQ(w->SurnameWithInitials(), "ИВАНОВ И.И.");
  EXPECT_EQ(w->SurnameWithInitialsAndSN(), "ИВАНОВ И.И. (123-456-789 00)");
  w->Patronymic.clear();
  EXPECT_EQ(w->SurnameWithInitials(), "ИВАНОВ И.");

  w->PackNum = "7";
  w->HasAT = true;
  w->HasLgotBasis = true;
  w->NodeData.fLine = 3;
  TWorkPeriod* p = arena.Make<TWorkPeriod>();
  EXPECT_TRUE(w->AddWorkperiod(p));
  w->MergedWorkPeriods.push_back(p);
  EXPECT_TRUE(w->HasLgotSidePeriodsOnly());
  p->Bases.Add("27-1");
  EXPECT_FALSE(w->HasLgotSidePeriodsOnly());

  TWorker* copy = arena.Make<TWorker>(*w);
  EXPECT_EQ(copy->SurnameWithInitialsAndSN(), w->SurnameWithInitialsAndSN());
  EXPECT_EQ(copy->PackNum, "7");
  EXPECT_TRUE(copy->HasAT);
  EXPECT_EQ(copy->NodeData.fLine, 3);
  EXPECT_FALSE(copy->HasLgotBasis);
  EXPECT_TRUE(copy->WorkPeriods.empty());
  EXPECT_TRUE(copy->HasLgotSidePeriodsOnly());
  EXPECT_EQ(arena.Count(), 3u);
}

TEST(NodeDataTest, TakesPathAndLineOfAnElementAndKeepsThemPastTheTree) {
  TMyTreeBuilder builder;
  builder.StartElement("a");
  builder.StartElement("b");
  builder.EndElement("b");
  builder.Characters("\n");
  builder.StartElement("b");
  builder.EndElement("b");
  builder.EndElement("a");
  TMyTreePtr tree = builder.Finish();
  const TMyNode* second = tree->SelectNodes("b")[1];
  TNodeData data(second);
  const int line = second->LineNumber();
  TNodeData root(tree.get());
  tree = TMyTreePtr();
  EXPECT_EQ(data.XPath(), "/a/b[2]");
  EXPECT_EQ(data.fLine, line);
  EXPECT_EQ(root.XPath(), "/a");
  EXPECT_TRUE(TNodeData(static_cast<const TMyNode*>(nullptr)).IsEmpty());
  EXPECT_TRUE(TNodeData(static_cast<const TNodeData*>(nullptr)).IsEmpty());
  EXPECT_EQ(TNodeData(&data).XPath(), "/a/b[2]");
}

}  // namespace
}  // namespace zz
