// Joining adjacent periods and collapsing pieces with the same dates (MergeWorkPeriods).
#include <gtest/gtest.h>

#include <stdexcept>

#include "period_fixture.h"
#include "verify/period_merge.h"

namespace zz {
namespace {

using Strings = std::vector<std::string>;

class PeriodMergeTest : public test::PeriodFixture {
 protected:
  Strings MergeIS(TWorker* w) {
    MergeWorkPeriods(*w, arena, true, nullptr);
    return Pieces(w->MergedWorkPeriods);
  }
  static std::string Time(const TWorkPeriod* p) {
    return p->Months + "m " + p->Days + "d " + p->Hours + "h " + p->Minutes + "min";
  }
};

TEST_F(PeriodMergeTest, AdjacentPeriodsOfOneKindAndRateAreJoined) {
  TWorker* w = Worker();
  TWorkPeriod* feb = Add(w, "01.02.2023", "28.02.2023");
  TWorkPeriod* jan = Add(w, "01.01.2023", "31.01.2023");
  EXPECT_EQ(MergeIS(w), (Strings{"01.01.2023-28.02.2023:1"}));
  // Sorted by start; the periods themselves keep their dates.
  EXPECT_EQ(w->WorkPeriods, (std::vector<TWorkPeriod*>{jan, feb}));
  EXPECT_EQ(FormatDate(jan->Finish), "31.01.2023");

  TWorker* rates = Worker();
  Add(rates, "01.01.2023", "31.01.2023", 0.5);
  Add(rates, "01.02.2023", "28.02.2023", 0.75);
  EXPECT_EQ(MergeIS(rates), (Strings{"01.01.2023-31.01.2023:0.5", "01.02.2023-28.02.2023:0.75"}));

  TWorker* gap = Worker();
  Add(gap, "01.01.2023", "31.01.2023");
  Add(gap, "02.02.2023", "28.02.2023");
  EXPECT_EQ(MergeIS(gap).size(), 2u);

  TWorker* kinds = Worker();
  Add(kinds, "01.01.2023", "31.01.2023");
  Add(kinds, "01.02.2023", "28.02.2023")->SetSeniorityBase("СЕЗОН");
  Add(kinds, "01.03.2023", "31.03.2023", 1, {}, {"27-2"});
  EXPECT_EQ(MergeIS(kinds).size(), 3u);

  // A chain of three months becomes one period; a later period may join a piece further back.
  TWorker* chain = Worker();
  Add(chain, "01.01.2023", "31.01.2023");
  Add(chain, "01.02.2023", "28.02.2023", 0.5);
  Add(chain, "01.02.2023", "28.02.2023");
  Add(chain, "01.03.2023", "31.03.2023", 0.5);
  EXPECT_EQ(MergeIS(chain), (Strings{"01.01.2023-28.02.2023:1", "01.02.2023-31.03.2023:0.5"}));
}

TEST_F(PeriodMergeTest, RatesAreComparedAtTwoDecimalsHalvesToEven) {
  EXPECT_EQ(RoundRate2(0.125), 0.12);
  EXPECT_EQ(RoundRate2(0.375), 0.38);
  EXPECT_EQ(RoundRate2(0.625), 0.62);
  EXPECT_EQ(RoundRate2(0.126), 0.13);
  EXPECT_EQ(RoundRate2(1), 1);
  EXPECT_EQ(RoundRate2(0), 0);

  struct Case {
    double first, second;
    size_t merged;
  } cases[] = {{0.125, 0.12, 1}, {0.125, 0.13, 2}, {0.375, 0.38, 1}, {0.375, 0.37, 2}, {0.333, 0.3349, 1}};
  for (const Case& c : cases) {
    TWorker* w = Worker();
    Add(w, "01.01.2023", "31.01.2023", c.first);
    Add(w, "01.02.2023", "28.02.2023", c.second);
    EXPECT_EQ(MergeIS(w).size(), c.merged) << c.first << " / " << c.second;
    EXPECT_EQ(w->MergedWorkPeriods[0]->Rate, c.first);  // the joined period keeps its own rate
  }
}

TEST_F(PeriodMergeTest, WorkedTimeIsAddedWithOneCarryOfDaysAndMinutes) {
  struct Case {
    const char *months1, *days1, *months2, *days2;
    const char* expected;
  } cases[] = {
      {"0", "20", "0", "15", "1m 5d 3h 45min"},   // 35 days: one month carried
      {"0", "25", "0", "40", "1m 35d 3h 45min"},  // 65 days: still only one month carried
      {"2", "29", "0", "0", "2m 29d 3h 45min"},   // 29 days stay
      {"1", "10", "1", "20", "3m 0d 3h 45min"},   // exactly 30 days
  };
  for (const Case& c : cases) {
    TWorker* w = Worker();
    TWorkPeriod* a = Add(w, "01.01.2023", "31.01.2023");
    a->Months = c.months1;
    a->Days = c.days1;
    a->Hours = "1";
    a->Minutes = "15";
    TWorkPeriod* b = Add(w, "01.02.2023", "28.02.2023");
    b->Months = c.months2;
    b->Days = c.days2;
    b->Hours = "2";
    b->Minutes = "30";
    ASSERT_EQ(MergeIS(w).size(), 1u);
    EXPECT_EQ(Time(w->MergedWorkPeriods[0]), c.expected) << c.days1 << "+" << c.days2;
    EXPECT_EQ(Time(a), std::string(c.months1) + "m " + c.days1 + "d 1h 15min");  // the period as read stays
  }

  TWorker* w = Worker();
  TWorkPeriod* a = Add(w, "01.01.2023", "31.01.2023");
  a->PDRKHours = 10;
  a->PDRKMinutes = 50;
  TWorkPeriod* b = Add(w, "01.02.2023", "28.02.2023");
  b->PDRKHours = 5;
  b->PDRKMinutes = 40;
  ASSERT_EQ(MergeIS(w).size(), 1u);
  EXPECT_EQ(w->MergedWorkPeriods[0]->PDRKHours, 16);
  EXPECT_EQ(w->MergedWorkPeriods[0]->PDRKMinutes, 30);
}

TEST_F(PeriodMergeTest, WorkedTimeOnOneSideOnly) {
  // IS: apart, unless one of them carries no-benefit additional data.
  TWorker* is = Worker();
  Add(is, "01.01.2023", "31.01.2023")->Days = "31";
  Add(is, "01.02.2023", "28.02.2023");
  EXPECT_EQ(MergeIS(is).size(), 2u);

  TWorker* isNoLgot = Worker();
  Add(isNoLgot, "01.01.2023", "31.01.2023")->Days = "31";
  Add(isNoLgot, "01.02.2023", "28.02.2023", 1, {"ДЕТИ"});
  ASSERT_EQ(MergeIS(isNoLgot), (Strings{"01.01.2023-28.02.2023:1"}));
  EXPECT_EQ(isNoLgot->MergedWorkPeriods[0]->AddPdData.ToString(), "ДЕТИ");
  EXPECT_EQ(isNoLgot->MergedWorkPeriods[0]->Days, "1");  // 31 days: a month carried

  // Named list: the no-benefit data of the list's own periods does not count; an IS period with
  // such data spanning both does.
  auto listWorker = [&] {
    TWorker* w = Worker();
    Add(w, "01.01.2023", "31.01.2023", 1, {"ДЕТИ"})->Days = "31";
    Add(w, "01.02.2023", "28.02.2023");
    return w;
  };
  TWorker* alone = listWorker();
  MergeWorkPeriods(*alone, arena, false, nullptr);
  EXPECT_EQ(alone->MergedWorkPeriods.size(), 2u);

  TWorker* covering = Worker();
  Add(covering, "01.01.2023", "31.03.2023", 1, {"ДЕКРЕТ"});
  MergeIS(covering);
  TWorker* covered = listWorker();
  MergeWorkPeriods(*covered, arena, false, covering);
  EXPECT_EQ(Pieces(covered->MergedWorkPeriods), (Strings{"01.01.2023-28.02.2023:1"}));

  TWorker* partial = Worker();
  Add(partial, "01.01.2023", "15.02.2023", 1, {"ДЕКРЕТ"});
  MergeIS(partial);
  TWorker* notCovered = listWorker();
  MergeWorkPeriods(*notCovered, arena, false, partial);
  EXPECT_EQ(notCovered->MergedWorkPeriods.size(), 2u);

  TWorker* benefit = Worker();  // a covering IS period without no-benefit data does not help
  Add(benefit, "01.01.2023", "31.03.2023");
  MergeIS(benefit);
  TWorker* stillApart = listWorker();
  MergeWorkPeriods(*stillApart, arena, false, benefit);
  EXPECT_EQ(stillApart->MergedWorkPeriods.size(), 2u);
}

TEST_F(PeriodMergeTest, JoinedTerritorialConditionsAndWorkingConditionClasses) {
  TWorker* w = Worker();
  TWorkPeriod* a = Add(w, "01.01.2023", "31.01.2023");
  a->TerritoryCondition = "РКС";
  a->WC = "3.1";
  TWorkPeriod* b = Add(w, "01.02.2023", "28.02.2023");
  b->TerritoryCondition = "МКС";
  b->WC = "3.2";
  TWorkPeriod* c = Add(w, "01.03.2023", "31.03.2023");
  c->TerritoryCondition = "РКС";
  ASSERT_EQ(MergeIS(w).size(), 1u);
  EXPECT_EQ(w->MergedWorkPeriods[0]->TerritoryCondition, "МКС РКС");
  EXPECT_EQ(w->MergedWorkPeriods[0]->WC, "3.1;3.2");

  TWorker* selo = Worker();
  Add(selo, "01.01.2023", "31.01.2023");
  Add(selo, "01.02.2023", "28.02.2023")->TerritoryCondition = "СЕЛО";
  Add(selo, "01.03.2023", "31.03.2023")->TerritoryCondition = "МКС";  // "СЕЛО" and another code: no match
  EXPECT_EQ(MergeIS(selo).size(), 2u);
  EXPECT_EQ(selo->MergedWorkPeriods[0]->TerritoryCondition, "СЕЛО");

  TWorkPeriod p1, p2;
  MergePeriodWC(p1, p2);
  EXPECT_EQ(p2.WC, "");
  p1.WC = "2";
  MergePeriodWC(p1, p2);
  EXPECT_EQ(p2.WC, "2");
  p1.WC = "";
  MergePeriodWC(p1, p2);
  EXPECT_EQ(p2.WC, "2");
  p1.WC = "4";
  MergePeriodWC(p1, p2);
  EXPECT_EQ(p2.WC, "2;4");
}

TEST_F(PeriodMergeTest, SameDatesCollapseWithTheRateCappedAtOne) {
  TWorker* w = Worker();
  TWorkPeriod* a = Add(w, "01.01.2023", "31.03.2023", 0.75);
  a->WC = "2";
  a->TerritoryCondition = "СЕЛО";
  TWorkPeriod* b = Add(w, "01.01.2023", "31.03.2023", 0.5);
  b->WC = "3.1";
  b->TerritoryCondition = "СЕЛО";
  Add(w, "01.01.2023", "31.03.2023", 0.125)->SetSeniorityBase("СЕЗОН");  // the basis does not matter here
  ASSERT_EQ(MergeIS(w), (Strings{"01.01.2023-31.03.2023:1"}));
  const TWorkPeriod* m = w->MergedWorkPeriods[0];
  EXPECT_EQ(m->WC, "2;3.1");
  // One "СЕЛО", so that the collapsed period still matches a "СЕЛО" position.
  EXPECT_EQ(m->TerritoryCondition, "СЕЛО");

  TWorker* below = Worker();
  Add(below, "01.01.2023", "31.03.2023", 0.25);
  Add(below, "01.01.2023", "31.03.2023", 0.5);
  EXPECT_EQ(MergeIS(below), (Strings{"01.01.2023-31.03.2023:0.75"}));
}

TEST_F(PeriodMergeTest, MergedPeriodsAreAppendedAndBadWorkedTimeIsAnError) {
  TWorker* w = Worker();
  MergeIS(w);
  EXPECT_TRUE(w->MergedWorkPeriods.empty());

  TWorkPeriod* earlier = arena.Make<TWorkPeriod>();
  w->MergedWorkPeriods.push_back(earlier);
  Add(w, "01.01.2023", "31.01.2023");
  MergeIS(w);
  ASSERT_EQ(w->MergedWorkPeriods.size(), 2u);
  EXPECT_EQ(w->MergedWorkPeriods[0], earlier);

  TWorker* bad = Worker();
  Add(bad, "01.01.2023", "31.01.2023")->Days = "1.5";
  Add(bad, "01.02.2023", "28.02.2023")->Days = "3";
  EXPECT_THROW(MergeIS(bad), std::runtime_error);

  // Texts that are never added up are not converted.
  TWorker* alone = Worker();
  Add(alone, "01.01.2023", "31.01.2023")->Days = "x";
  EXPECT_NO_THROW(MergeIS(alone));
}

}  // namespace
}  // namespace zz
