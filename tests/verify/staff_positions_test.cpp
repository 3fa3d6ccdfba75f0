// The staff-position check: additional-data validity, working days against the positions, and IS
// periods that belong to no position.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "staff_fixture.h"
#include "verify/staff_positions.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

class StaffPositionsTest : public test::CheckFixture {
 protected:
  void Run() {
    v->CheckStaffPositions(*list, is);
    v->ReportPositionsNotFound(*list, is);
  }
};

TEST_F(StaffPositionsTest, ReferenceDateIsTheFirstDayOfTheReportingQuarter) {
  EXPECT_EQ(StaffReferenceDate(2019, 1), MakeDate(2019, 1, 1));
  EXPECT_EQ(StaffReferenceDate(2019, 2), MakeDate(2019, 4, 1));
  EXPECT_EQ(StaffReferenceDate(2019, 4), MakeDate(2019, 10, 1));
  // 2010 reports half-years: 2 is the first, 4 the second.
  EXPECT_EQ(StaffReferenceDate(2010, 2), MakeDate(2010, 1, 1));
  EXPECT_EQ(StaffReferenceDate(2010, 4), MakeDate(2010, 7, 1));
  EXPECT_THROW(StaffReferenceDate(2019, 0), std::runtime_error);
  EXPECT_THROW(StaffReferenceDate(2019, 5), std::runtime_error);
  EXPECT_THROW(StaffReferenceDate(0, 1), std::runtime_error);
}

TEST_F(StaffPositionsTest, WithoutPositionsEveryMergedPeriodIsReportedOnce) {
  TWorker* a = IsWorker("111-111-111 11", "АРБУЗОВ");
  Period(a, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А");
  Period(a, "01.11.2019", "31.12.2019", {"27-2"}, "2010100А");
  Period(a, "01.12.2019", "31.12.2019", {"27-2"}, "2010100А");  // same kind again: one row only
  TWorker* b = IsWorker("222-222-222 22", "БОРИСОВ");
  Period(b, "01.10.2019", "31.12.2019", {"27-1"}, "1010100А", {"ДЕТИ"});
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));
  EXPECT_TRUE(Warnings().empty());
  ASSERT_EQ(Rows("TPositionErrors"), 3u);
  EXPECT_THAT(Cells("TPositionErrors", 0), ElementsAre("7", "1", "111-111-111 11", "АРБУЗОВ И.", "27-1", "1010100А", "", ""));
  EXPECT_EQ(Cells("TPositionErrors", 1)[4], "27-2");
  EXPECT_THAT(Cells("TPositionErrors", 2), ElementsAre("7", "2", "222-222-222 22", "БОРИСОВ И.", "27-1", "1010100А", "", "ДЕТИ"));
}

TEST_F(StaffPositionsTest, PeriodWithoutCodesCountsTowardsEveryPosition) {
  Position({"27-1"}, "1010100А", 10);
  Position({"27-2"}, "2010100А", 10);
  TWorker* w = IsWorker("111-111-111 11");
  TWorkPeriod* plain = Period(w, "01.10.2019", "30.10.2019", {});  // 30 days, no codes
  TWorkPeriod* other = Period(w, "01.11.2019", "30.11.2019", {"27-ПД"}, "3000000");
  Run();

  EXPECT_TRUE(plain->FoundInListPositions);
  EXPECT_FALSE(other->FoundInListPositions);
  EXPECT_THAT(Errors(), ElementsAre("TWorkingDaysErrors", "TPositionErrors"));
  ASSERT_EQ(Rows("TWorkingDaysErrors"), 2u);
  EXPECT_THAT(Cells("TWorkingDaysErrors", 0), ElementsAre("27-1 (1010100А)", "1", "10", "1", "30", "20"));
  EXPECT_THAT(Cells("TWorkingDaysErrors", 1), ElementsAre("27-2 (2010100А)", "1", "10", "1", "30", "20"));
  ASSERT_EQ(Rows("TPositionErrors"), 1u);
  EXPECT_EQ(Cells("TPositionErrors", 0)[4], "27-ПД");
}

// 70 IS days against 60 allowed. Days on periods with additional data count as no days at all
// (their working days are 0), so only the days without additional data can exceed the position.
TEST_F(StaffPositionsTest, WorkingDaysExcessCountsOnlyDaysWithoutAdditionalData) {
  TPosition* q = Position({"27-1"}, "1010100А", 60, 2);
  TWorker* a = IsWorker("111-111-111 11");
  Period(a, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А");  // 31
  TWorker* b = IsWorker("222-222-222 22");
  Period(b, "01.10.2019", "24.10.2019", {"27-1"}, "1010100А");  // 24
  TWorker* c = IsWorker("333-333-333 33");
  Period(c, "01.11.2019", "15.11.2019", {"27-1"}, "1010100А", {"ДЕКРЕТ"});  // 15 with additional data
  Run();
  EXPECT_TRUE(Errors().empty()) << "55 days without additional data fit into 60";

  // Now 65 of the 70 days are on periods without additional data.
  v = std::make_unique<TVerification>(arena);
  c->WorkPeriods.clear();
  c->MergedWorkPeriods.clear();
  Period(c, "01.11.2019", "10.11.2019", {"27-1"}, "1010100А");                // 10
  Period(c, "11.11.2019", "15.11.2019", {"27-1"}, "1010100А", {"ДЕКРЕТ"});  // 5 with additional data
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TWorkingDaysErrors"));
  ASSERT_EQ(Rows("TWorkingDaysErrors"), 1u);
  // Position, units, allowed days, IS workers, IS days, excess.
  EXPECT_THAT(Cells("TWorkingDaysErrors", 0), ElementsAre("27-1 (1010100А)", "2", "60", "3", "65", "5"));
  EXPECT_EQ(Table("TWorkingDaysErrors")->Record(0)->FPosition, q);
}

TEST_F(StaffPositionsTest, HeatingPositionOf27_2ExcessIsAWarning) {
  Position({"27-2"}, "23200000-13786", 20);
  Position({"27-1"}, "23200000-13786", 20);  // the same code without 27-2 stays an error
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "31.10.2019", {"27-2"}, "23200000-13786", {}, 0.75);
  Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "23200000-13786");
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TWorkingDaysErrors"));
  EXPECT_THAT(Warnings(), ElementsAre("TWorkingDaysWarnings"));
  EXPECT_THAT(Cells("TWorkingDaysWarnings", 0), ElementsAre("27-2 (23200000-13786)", "1", "20", "1", "23.25", "3.25", "0"));
  EXPECT_THAT(Cells("TWorkingDaysErrors", 0), ElementsAre("27-1 (23200000-13786)", "1", "20", "1", "31", "11"));
}

TEST_F(StaffPositionsTest, DaysAreComparedAsPrinted) {
  Position({"27-1"}, "1010100А", 0.3);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "01.10.2019", {"27-1"}, "1010100А", {}, 0.1);
  Period(w, "03.10.2019", "03.10.2019", {"27-1"}, "1010100А", {}, 0.2);  // 0.1 + 0.2 prints as 0.3
  Run();
  EXPECT_TRUE(Errors().empty());
}

TEST_F(StaffPositionsTest, ForbiddenCodeIsReportedForEachMatchingPosition) {
  Position({"27-1"}, "1010100А", 100, 1, "МКС");
  Position({"27-1"}, "1010100А", 100, 1, "РКС");  // only СЕЛО is compared: matches as well
  Position({"27-2"}, "2010100А", 100);            // another kind: no report
  TWorker* w = IsWorker("111-111-111 11", "ПЕТРОВ");
  Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А", {"НЕОПЛ"});
  Period(w, "01.11.2019", "30.11.2019", {"27-2"}, "2010100А", {"ДЕКРЕТ"});  // allowed code
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TAddPdDataErrors"));
  ASSERT_EQ(Rows("TAddPdDataErrors"), 2u);
  EXPECT_THAT(Cells("TAddPdDataErrors", 0), ElementsAre("7", "1", "111-111-111 11", "ПЕТРОВ И.", "27-1", "1010100А",
                                                        "НЕОПЛ", "Код НЕОПЛ проставлен неправомерно."));
}

// The Perechen is of the fourth quarter of 2019: codes are judged on 01.10.2019.
TEST_F(StaffPositionsTest, CodeOutsideItsValidityIsReportedForEveryPosition) {
  Position({"27-1"}, "1010100А", 1000);
  Position({"27-2"}, "2010100А", 1000);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "31.10.2019", {"27-5"}, "5", {"НОВЫЙ"});   // valid from 01.07.2019: fine
  Period(w, "01.11.2019", "30.11.2019", {"27-5"}, "5", {"ПОЗДНИЙ"});  // valid from 01.01.2020
  Period(w, "01.12.2019", "31.12.2019", {"27-6"}, "6", {"СТАРЫЙ"});   // valid until 30.06.2019
  Run();

  ASSERT_EQ(Rows("TAddPdDataErrors"), 4u);
  EXPECT_EQ(Cells("TAddPdDataErrors", 0)[7],
            "Код ПОЗДНИЙ проставлен неправомерно. Период актуальности кода начинается 01.01.2020");
  EXPECT_EQ(Cells("TAddPdDataErrors", 1)[7],
            "Код СТАРЫЙ проставлен неправомерно. Период актуальности кода закончился 30.06.2019");
  EXPECT_EQ(Cells("TAddPdDataErrors", 2)[6], "ПОЗДНИЙ");
  EXPECT_EQ(Cells("TAddPdDataErrors", 3)[6], "СТАРЫЙ");
  // Periods of codes no position has are reported as without position as well.
  EXPECT_THAT(Errors(), ElementsAre("TAddPdDataErrors", "TPositionErrors"));
}

TEST_F(StaffPositionsTest, EndOfValidityIsJudgedOnTheQuarterStart) {
  list->fPeriod = 3;  // 01.07.2019: a code that ended on 30.06.2019 is no longer valid
  Position({"27-1"}, "1010100А", 1000);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.07.2019", "31.07.2019", {"27-1"}, "1010100А", {"СТАРЫЙ"});
  Period(w, "01.08.2019", "31.08.2019", {"27-1"}, "1010100А", {"НОВЫЙ"});  // starts on 01.07.2019: valid
  Run();
  ASSERT_EQ(Rows("TAddPdDataErrors"), 1u);
  EXPECT_EQ(Cells("TAddPdDataErrors", 0)[6], "СТАРЫЙ");
}

TEST_F(StaffPositionsTest, BadClassifierDateEndsTheCheckKeepingTheFlags) {
  Classifiers()[ctAddPdDataEndDates][2] = "31.02.2019";  // ДЕКРЕТ: not a date
  Position({"27-1"}, "1010100А", 1);  // would be exceeded
  Position({"27-2"}, "2010100А", 1);
  TWorker* w = IsWorker("111-111-111 11");
  TWorkPeriod* first = Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А", {"НЕОПЛ"});
  Period(w, "01.11.2019", "30.11.2019", {"27-1"}, "1010100А");
  TWorkPeriod* bad = Period(w, "01.12.2019", "31.12.2019", {"27-2"}, "2010100А", {"ДЕКРЕТ"});
  Run();

  // None of the check's tables; the periods flagged before the failure are not reported as
  // without position, the one it stopped at is.
  EXPECT_TRUE(first->FoundInListPositions);
  EXPECT_FALSE(bad->FoundInListPositions);
  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));
  ASSERT_EQ(Rows("TPositionErrors"), 1u);
  EXPECT_EQ(Table("TPositionErrors")->Record(0)->FWorkPeriod_PD, bad);
}

TEST_F(StaffPositionsTest, MissingValidityListsOrReferenceDateEndTheCheck) {
  Position({"27-1"}, "1010100А", 1);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А", {"ДЕТИ"});

  Classifiers()[ctAddPdDataStartDates].resize(2);  // shorter than the code list
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));

  Classifiers()[ctAddPdDataStartDates].resize(8);
  list->fPeriod = 0;  // no reporting quarter to judge the codes on
  v = std::make_unique<TVerification>(arena);
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));
}

TEST_F(StaffPositionsTest, DateListsAreLookedUpOnlyForPeriodsWithCodes) {
  Classifiers().erase(ctAddPdDataStartDates);
  Classifiers().erase(ctAddPdDataEndDates);
  Position({"27-1"}, "1010100А", 1);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А");
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TWorkingDaysErrors"));

  // A period with a code needs them: the check ends there, before that period is placed.
  v = std::make_unique<TVerification>(arena);
  TWorkPeriod* coded = Period(w, "01.11.2019", "30.11.2019", {"27-1"}, "1010100А", {"ДЕКРЕТ"});
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));
  EXPECT_EQ(Table("TPositionErrors")->Record(0)->FWorkPeriod_PD, coded);
}

TEST_F(StaffPositionsTest, CorrectionOnlySetHasNoWorkingDaysRows) {
  v->fCorrPacksOnly = true;
  Position({"27-1"}, "1010100А", 1);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А", {"НЕОПЛ"});
  Period(w, "01.11.2019", "30.11.2019", {"27-1"}, "1010100А");
  Period(w, "01.12.2019", "31.12.2019", {"27-3"}, "3");
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TAddPdDataErrors", "TPositionErrors"));
  EXPECT_TRUE(Warnings().empty());
}

TEST_F(StaffPositionsTest, NothingToCompareGivesNothing) {
  Run();
  EXPECT_TRUE(Errors().empty());
  Position({"27-1"}, "1010100А", 1);
  Run();
  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(Warnings().empty());
}

}  // namespace
}  // namespace zz
