// Period comparison with the named list: basis errors and their exact-twin exception, the pair
// checks (rate, seniority basis, worked time), unpaired periods, missing workers, the table order.
#include "verify/name_list_periods.h"
#include "name_list_fixture.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class NameListPeriodsTest : public test::NameListTest {
 protected:
  NameListPeriodsTest() : w(IS("111-111-111 11")), l(Listed("111-111-111 11")) {}
  // As the driver runs them: the matching, then the comparison (only its tables are kept).
  void Compare(int year = 2023) {
    ver.MatchNameListWorkers(list, is);
    Again(year);
  }
  // Compares once more from fresh flags and empty result lists.
  void Again(int year) {
    for (TWorker* worker : {w, l})
      for (TWorkPeriod* p : worker->MergedWorkPeriods)
        if (p) p->Compared = false;
    ver.FErrorResults.clear();
    ver.fWarningResults.clear();
    ver.CompareNameListPeriods(list, is, year);
  }
  TWorker* w;
  TWorker* l;
};

TEST_F(NameListPeriodsTest, MismatchedBasesOfTheSameDatesAreABasisErrorAndStayUnpaired) {
  Period(w, "01.01", "31.12", {"27-1"})->TerritoryCondition = "СЕЛО";
  Period(l, "01.01", "31.12", {"27-2"})->NumSub = "7";
  Compare();
  EXPECT_THAT(Errors(), ElementsAre("TBasisErrors", "TPeriodErrors_IS", "TPeriodErrors_List"));
  EXPECT_THAT(Row("TBasisErrors"), ElementsAre("1", "1", "111-111-111 11", "ИВАНОВ И.И.", "01.01.2023 - 31.12.2023",
                                               "27-1", "", "СЕЛО", "", "7", "27-2", "", "", ""));
  EXPECT_THAT(Row("TPeriodErrors_IS"), ElementsAre("1", "1", "111-111-111 11", "ИВАНОВ И.И.", "27-1", "", "01.01.2023",
                                                   "31.12.2023", "1", "", "", "СЕЛО", ""));
  EXPECT_THAT(Row("TPeriodErrors_List"), ElementsAre("7", "111-111-111 11", "ИВАНОВ И.И.", "27-2", "", "01.01.2023",
                                                     "31.12.2023", "1", "", "", "", ""));
}

TEST_F(NameListPeriodsTest, ExactTwinOnEitherSideSuppressesTheBasisError) {
  Period(w, "01.01", "31.12", {"27-1"});
  Period(w, "01.01", "31.12", {"27-2"});  // the IS has the twin of the list period
  Period(l, "01.01", "31.12", {"27-2"});
  Compare();
  EXPECT_THAT(Errors(), ElementsAre("TPeriodErrors_IS"));
  EXPECT_EQ(Row("TPeriodErrors_IS").at(4), "27-1");

  w->MergedWorkPeriods.pop_back();
  Period(l, "01.01", "31.12", {"27-1"});  // now the list has the twin of the IS period
  Again(2023);
  EXPECT_THAT(Errors(), ElementsAre("TPeriodErrors_List"));
  EXPECT_EQ(Row("TPeriodErrors_List").at(3), "27-2");
}

TEST_F(NameListPeriodsTest, HasExactTwinNeedsTheSameDatesAndKind) {
  TWorkPeriod* probe = Period(w, "01.01", "31.03", {"27-1"}, 1.0, "ABC");
  Period(l, "01.01", "30.03", {"27-1"}, 1.0, "ABC");
  Period(l, "01.01", "31.03", {"27-1"}, 1.0, "ABD");
  EXPECT_FALSE(HasExactTwin(*probe, *l));
  Period(l, "01.01", "31.03", {"27-1"}, 0.25, "ABC");  // the rate is no part of the kind
  EXPECT_TRUE(HasExactTwin(*probe, *l));
}

TEST_F(NameListPeriodsTest, RatesOfBoundBasesAreComparedToTwoDecimals) {
  Period(w, "01.01", "31.01", {"27-ГД"}, 0.5);
  Period(l, "01.01", "31.01", {"27-ГД"}, 0.75);
  Period(w, "01.02", "28.02", {"27-1"}, 0.5);  // no rate rule for 27-1
  Period(l, "01.02", "28.02", {"27-1"}, 0.75);
  Period(w, "01.03", "31.03", {"27-СМХР"}, 0.333);
  Period(l, "01.03", "31.03", {"27-СМХР"}, 0.33);
  Period(w, "01.04", "30.04", {"27-ПД"}, 0.125);  // halfway goes to the even neighbour 0.12
  Period(l, "01.04", "30.04", {"27-ПД"}, 0.12);
  Compare();
  EXPECT_THAT(Errors(), ElementsAre("TRateErrors"));
  EXPECT_THAT(Row("TRateErrors"), ElementsAre("1", "1", "111-111-111 11", "ИВАНОВ И.И.", "27-ГД",
                                              "01.01.2023 - 31.01.2023", "0.5", "0.75"));
  EXPECT_EQ(Rows("TRateErrors"), 1u);
}

TEST_F(NameListPeriodsTest, HighAndMissingRates) {
  Period(w, "01.01", "31.01", {"27-1"}, 1.5);
  Period(l, "01.01", "31.01", {"27-1"}, 1.5);
  Period(w, "01.02", "28.02", {"27-1"}, 1.0);
  Period(l, "01.02", "28.02", {"27-1"}, 2.5);
  Period(w, "01.03", "31.03", {"27-ПДРК"}, 0);
  Period(l, "01.03", "31.03", {"27-ПДРК"}, 0);
  Period(w, "01.04", "30.04", {"27-ПДРК"}, 0.5);  // 27-ПДРК is also bound to the same rate
  Period(l, "01.04", "30.04", {"27-ПДРК"}, 0);
  Compare();
  EXPECT_THAT(Warnings(), ElementsAre("TStavkaWarnings"));
  EXPECT_EQ(Rows("TStavkaWarnings"), 2u);
  EXPECT_THAT(Errors(), ElementsAre("TRateErrors", "TRateTooHighErrors", "TNoRateErrors"));
  EXPECT_THAT(Row("TRateTooHighErrors"),
              ElementsAre("1", "1", "111-111-111 11", "ИВАНОВ И.И.", "27-1", "01.02.2023 - 28.02.2023", "1", "2.5"));
  EXPECT_EQ(Rows("TNoRateErrors"), 2u);
  EXPECT_THAT(Row("TNoRateErrors", 1), ElementsAre("1", "1", "111-111-111 11", "ИВАНОВ И.И.", "27-ПДРК",
                                                   "01.04.2023 - 30.04.2023", "0.5", "Не указана"));
}

TEST_F(NameListPeriodsTest, SeniorityBasisAndAFullIsRateAgainstAPartListRate) {
  Period(w, "01.01", "31.01", {"27-1"})->SetSeniorityBase("СЕЗОН");
  Period(l, "01.01", "31.01", {"27-1"});
  TWorkPeriod* leave = Period(w, "01.02", "28.02", {"27-1"});
  leave->SetSeniorityBase("ВОДОЛАЗ");
  leave->AddPdData._Set("ДЕКРЕТ");  // earns no benefit: its basis is not compared
  Period(l, "01.02", "28.02", {"27-1"});
  // A full IS rate does not pair with a part rate: the checks run once, both stay unpaired.
  TWorkPeriod* x = Period(w, "01.03", "31.03", {"27-1"}, 1.0);
  x->SetSeniorityBase("ПОЛЕ");
  TWorkPeriod* y = Period(l, "01.03", "31.03", {"27-1"}, 0.5);
  Compare();
  EXPECT_THAT(Errors(), ElementsAre("TPeriodErrors_IS", "TPeriodErrors_List", "TWorkDaysBasisErrors"));
  EXPECT_THAT(Row("TWorkDaysBasisErrors"),
              ElementsAre("1", "1", "111-111-111 11", "ИВАНОВ И.И.", "27-1", "", "СЕЗОН", ""));
  EXPECT_EQ(Rows("TWorkDaysBasisErrors"), 2u);
  EXPECT_FALSE(x->Compared || y->Compared);
  EXPECT_EQ(Row("TPeriodErrors_IS").at(6), "01.03.2023");
}

TEST_F(NameListPeriodsTest, WorkedTimeOnBothSidesIsComparedAsNumbers) {
  Period(w, "01.01", "31.01", {"27-1"})->Days = "05";
  Period(l, "01.01", "31.01", {"27-1"})->Days = "5";
  Period(w, "01.02", "28.02", {"27-1"})->Months = "1";
  TWorkPeriod* y = Period(l, "01.02", "28.02", {"27-1"});
  y->Months = "1";
  y->Minutes = "30";
  Compare();
  EXPECT_THAT(Errors(), ElementsAre("TFactWorkTimeErrors"));
  EXPECT_THAT(Row("TFactWorkTimeErrors"), ElementsAre("111-111-111 11", "ИВАНОВ И.И.", "27-1", "",
                                                      "1 мес., 0 дн., 0 ч., 0 мин.", "1 мес., 0 дн., 0 ч., 30 мин."));
}

TEST_F(NameListPeriodsTest, WorkedTimeOnOneSideIsAWarningBefore2010AndAnErrorFrom2010) {
  Period(w, "01.01", "31.01", {"27-1"})->Days = "20";
  Period(l, "01.01", "31.01", {"27-1"});
  Period(w, "01.02", "28.02", {"27-1"});
  Period(l, "01.02", "28.02", {"27-1"})->Hours = "00";  // zero written with two digits
  Period(w, "01.03", "31.03", {"27-1"});
  Period(l, "01.03", "31.03", {"27-1"})->Hours = "7";
  Compare(2009);
  EXPECT_THAT(Errors(), IsEmpty());
  EXPECT_THAT(Warnings(), ElementsAre("TFactWorkTimeWarnings_List", "TFactWorkTimeWarnings_IS"));
  EXPECT_THAT(Row("TFactWorkTimeWarnings_IS"), ElementsAre("111-111-111 11", "ИВАНОВ И.И.", "27-1", "",
                                                           "01.01.2023 - 31.01.2023", "0 мес., 20 дн., 0 ч., 0 мин."));
  EXPECT_EQ(Row("TFactWorkTimeWarnings_List").at(5), "0 мес., 0 дн., 7 ч., 0 мин.");
  Again(2010);
  EXPECT_THAT(Warnings(), IsEmpty());
  EXPECT_THAT(Errors(), ElementsAre("TFactWorkTimeErrors_List", "TFactWorkTimeErrors_IS"));
}

TEST_F(NameListPeriodsTest, PairsWithTheFirstFreeMatchingListPeriod) {
  TWorkPeriod* x1 = Period(w, "01.01", "31.03", {"27-1"}, 0.5);
  TWorkPeriod* x2 = Period(w, "01.01", "31.03", {"27-1"}, 0.5);
  Period(w, "01.04", "30.06", {}, 0.5);  // no bases: not reported without a partner
  TWorkPeriod* other = Period(l, "01.01", "31.03", {"27-2"}, 0.5);
  TWorkPeriod* y1 = Period(l, "01.01", "31.03", {"27-1"}, 0.5);
  Compare();
  EXPECT_TRUE(x1->Compared && y1->Compared);
  EXPECT_FALSE(x2->Compared || other->Compared);
  EXPECT_THAT(Errors(), ElementsAre("TPeriodErrors_IS", "TPeriodErrors_List"));
  EXPECT_EQ(Rows("TPeriodErrors_IS") + Rows("TPeriodErrors_List"), 2u);
}

TEST_F(NameListPeriodsTest, ListWorkersMissingFromTheIsOrOnlyTheirPeriods) {
  Period(w, "01.01", "31.01", {"27-1"});
  Period(l, "01.02", "28.02", {"27-1"});  // found, but no IS period of these dates
  TWorker* absent = Listed("999-999-999 99", "СИДОРОВ", "3");
  Period(absent, "01.01", "31.01", {"27-5"}, 1.0, "XYZ");
  Period(absent, "01.02", "28.02", {"27-5"});
  Compare();
  EXPECT_THAT(Errors(), ElementsAre("TSNErrors_List", "TPeriodErrors_IS", "TPeriodErrors_List"));
  EXPECT_EQ(Rows("TSNErrors_List"), 2u);
  EXPECT_THAT(Row("TSNErrors_List"),
              ElementsAre("3", "999-999-999 99", "СИДОРОВ И.И.", "01.01.2023", "31.01.2023", "27-5", "XYZ"));
  EXPECT_EQ(Row("TPeriodErrors_List").at(0), "7");

  ver.fCorrPacksOnly = true;  // a correction-only set does not report missing list workers
  Again(2023);
  EXPECT_THAT(Errors(), ElementsAre("TPeriodErrors_IS", "TPeriodErrors_List"));
}

TEST_F(NameListPeriodsTest, TablesFollowTheirFixedOrder) {
  Period(w, "01.01", "05.01", {"27-ПДРК"}, 0.5);  // rate and no-rate errors
  Period(l, "01.01", "05.01", {"27-ПДРК"}, 0);
  Period(w, "06.01", "10.01", {"27-1"}, 1.0);  // too high
  Period(l, "06.01", "10.01", {"27-1"}, 2.5);
  Period(w, "11.01", "15.01", {"27-1"})->SetSeniorityBase("СЕЗОН");
  Period(l, "11.01", "15.01", {"27-1"});
  Period(w, "16.01", "20.01", {"27-1"})->Days = "5";
  Period(l, "16.01", "20.01", {"27-1"});
  Period(w, "21.01", "25.01", {"27-1"});
  Period(l, "21.01", "25.01", {"27-1"})->Days = "5";
  Period(w, "26.01", "31.01", {"27-1"})->Days = "6";
  Period(l, "26.01", "31.01", {"27-1"})->Days = "5";
  Period(w, "01.02", "28.02", {"27-1"});  // basis error, both unpaired
  Period(l, "01.02", "28.02", {"27-2"});
  Period(Listed("999-999-999 99"), "01.01", "31.01", {"27-5"});
  Compare();
  EXPECT_THAT(Errors(),
              ElementsAre("TSNErrors_List", "TBasisErrors", "TPeriodErrors_IS", "TPeriodErrors_List", "TRateErrors",
                          "TFactWorkTimeErrors", "TFactWorkTimeErrors_List", "TFactWorkTimeErrors_IS",
                          "TWorkDaysBasisErrors", "TRateTooHighErrors", "TNoRateErrors"));
  EXPECT_THAT(Warnings(), ElementsAre("TStavkaWarnings"));
}

TEST_F(NameListPeriodsTest, ManyPersonsAndAbsentEntries) {
  // 20,000 persons on each side, the list in the reverse order: one scan of the list per person
  // would take hundreds of millions of steps.
  std::vector<TWorker*> listed;
  for (int i = 0; i < 20000; ++i) {
    std::string sn = std::to_string(100000000 + i);
    Period(IS(sn), "01.01", "31.03", {"27-1"});
    listed.push_back(Person(sn, "ИВАНОВ"));
    Period(listed.back(), "01.01", "31.03", {i % 1000 == 0 ? "27-2" : "27-1"});
  }
  list.fWorkers.insert(list.fWorkers.end(), listed.rbegin(), listed.rend());
  list.fWorkers.push_back(nullptr);
  is.push_back(nullptr);
  w->MergedWorkPeriods.push_back(nullptr);
  l->MergedWorkPeriods.push_back(nullptr);
  Compare();
  EXPECT_THAT(Errors(), ElementsAre("TBasisErrors", "TPeriodErrors_IS", "TPeriodErrors_List"));
  EXPECT_EQ(Rows("TBasisErrors"), 20u);
}

// Through the driver: periods as read are merged before the comparison sees them.
TEST_F(NameListPeriodsTest, DriverComparesMergedPeriods) {
  Period(w, "01.01", "31.01", {"27-1"});
  Period(w, "01.02", "28.02", {"27-1"});
  Period(l, "01.01", "28.02", {"27-1"});
  Period(Listed("999-999-999 99"), "01.01", "31.01", {"27-5"});
  for (TWorker* worker : list.fWorkers) std::swap(worker->WorkPeriods, worker->MergedWorkPeriods);
  std::swap(w->WorkPeriods, w->MergedWorkPeriods);
  ver.fWithNameList = true;
  ver.verify(&list, is, 2023, 1);
  EXPECT_EQ(Rows("TSNErrors_List"), 1u);
  EXPECT_EQ(Rows("TPeriodErrors_IS") + Rows("TPeriodErrors_List") + Rows("TBasisErrors"), 0u);
  ASSERT_EQ(w->MergedWorkPeriods.size(), 1u);
  EXPECT_TRUE(w->MergedWorkPeriods[0]->Compared);
}

}  // namespace
}  // namespace zz
