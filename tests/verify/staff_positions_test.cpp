// The staff-position check: additional-data validity, working days against the positions, and IS
// periods that belong to no position.
#include "verify/staff_positions.h"
#include "staff_fixture.h"

namespace zz {
namespace {

using ::testing::ElementsAre;

class StaffPositionsTest : public test::CheckFixture {
 protected:
  void Run() {
    v->CheckStaffPositions(*list, is);
    v->ReportPositionsNotFound(*list, is);
  }
};

TEST_F(StaffPositionsTest, ReferenceDateIsTheFirstDayOfTheReportingQuarter) {
  EXPECT_EQ(StaffReferenceDate(2019, 2), MakeDate(2019, 4, 1));
  EXPECT_EQ(StaffReferenceDate(2019, 4), MakeDate(2019, 10, 1));
  EXPECT_EQ(StaffReferenceDate(2010, 2), MakeDate(2010, 1, 1));  // 2010 reports half-years
  EXPECT_EQ(StaffReferenceDate(2010, 3), MakeDate(2010, 7, 1));
  EXPECT_EQ(StaffReferenceDate(2010, 4), MakeDate(2010, 7, 1));
  EXPECT_THROW(StaffReferenceDate(2019, 0), std::runtime_error);
}

TEST_F(StaffPositionsTest, PeriodsWithoutPositionAndPeriodsWithoutCodes) {
  TWorker* w = IsWorker("111-111-111 11", "АРБУЗОВ");
  TWorkPeriod* plain = Period(w, "01.10.2019", "30.10.2019", {});  // no codes: belongs everywhere
  Period(w, "01.11.2019", "30.11.2019", {"27-ПД"}, "3000000", {"ДЕТИ"});
  Period(w, "01.12.2019", "31.12.2019", {"27-ПД"}, "3000000");  // the same kind again: one row
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));  // no positions: only these rows
  EXPECT_THAT(Cells("TPositionErrors", 0), ElementsAre("7", "1", "111-111-111 11", "АРБУЗОВ И.", "", "", "", ""));

  v = std::make_unique<TVerification>(arena, params);
  Position({"27-1"}, "1010100А", 10);
  Position({"27-2"}, "2010100А", 10);
  Run();
  EXPECT_TRUE(plain->FoundInListPositions);
  EXPECT_THAT(Errors(), ElementsAre("TWorkingDaysErrors", "TPositionErrors"));
  EXPECT_THAT(Cells("TWorkingDaysErrors", 1), ElementsAre("27-2 (2010100А)", "1", "10", "1", "30", "20"));
  EXPECT_THAT(Cells("TPositionErrors", 0),
              ElementsAre("7", "1", "111-111-111 11", "АРБУЗОВ И.", "27-ПД", "3000000", "", "ДЕТИ"));
  EXPECT_EQ(Rows("TPositionErrors"), 1u);
}

// 70 IS days against 60 allowed. Periods with additional data have no working days, so only the
// days on periods without it can exceed the position.
TEST_F(StaffPositionsTest, WorkingDaysAgainstThePosition) {
  Position({"27-1"}, "1010100А", 60, 2);
  Period(IsWorker("111-111-111 11"), "01.10.2019", "31.10.2019", {"27-1"}, "1010100А");  // 31
  Period(IsWorker("222-222-222 22"), "01.10.2019", "24.10.2019", {"27-1"}, "1010100А");  // 24
  TWorker* c = IsWorker("333-333-333 33");
  Period(c, "01.11.2019", "15.11.2019", {"27-1"}, "1010100А", {"ДЕКРЕТ"});  // 15 with additional data
  Run();
  EXPECT_TRUE(Errors().empty());

  v = std::make_unique<TVerification>(arena, params);
  c->MergedWorkPeriods.clear();
  Period(c, "01.11.2019", "10.11.2019", {"27-1"}, "1010100А");
  Period(c, "11.11.2019", "15.11.2019", {"27-1"}, "1010100А", {"ДЕКРЕТ"});  // 5 with additional data
  Run();
  // Position, units, allowed days, IS workers, IS days, excess.
  EXPECT_THAT(Cells("TWorkingDaysErrors", 0), ElementsAre("27-1 (1010100А)", "2", "60", "3", "65", "5"));

  // Compared as printed: 0.1 + 0.2 days print as 0.3.
  v = std::make_unique<TVerification>(arena, params);
  list->fPositions[0]->fWorkingDays = 0.3;
  is.clear();
  TWorker* d = IsWorker("444-444-444 44");
  Period(d, "20.11.2019", "20.11.2019", {"27-1"}, "1010100А", {}, 0.1);
  Period(d, "21.11.2019", "21.11.2019", {"27-1"}, "1010100А", {}, 0.2);
  Run();
  EXPECT_TRUE(Errors().empty());
}

TEST_F(StaffPositionsTest, HeatingPositionOf27_2ExcessIsAWarning) {
  Position({"27-2"}, "23200000-13786", 20);
  Position({"27-1"}, "23200000-13786", 20);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "31.10.2019", {"27-2"}, "23200000-13786", {}, 0.75);
  Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "23200000-13786");
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TWorkingDaysErrors"));
  EXPECT_THAT(Cells("TWorkingDaysWarnings", 0),
              ElementsAre("27-2 (23200000-13786)", "1", "20", "1", "23.25", "3.25", "0"));
  EXPECT_EQ(Cells("TWorkingDaysErrors", 0)[0], "27-1 (23200000-13786)");
}

TEST_F(StaffPositionsTest, ForbiddenCodeIsReportedForEachMatchingPosition) {
  Position({"27-1"}, "1010100А", 100, 1, "МКС");
  Position({"27-1"}, "1010100А", 100, 1, "РКС");  // only СЕЛО is compared: matches as well
  Position({"27-2"}, "2010100А", 100);
  TWorker* w = IsWorker("111-111-111 11", "ПЕТРОВ");
  Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А", {"НЕОПЛ"});
  Period(w, "01.11.2019", "30.11.2019", {"27-2"}, "2010100А", {"ДЕКРЕТ"});  // allowed code
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TAddPdDataErrors"));
  EXPECT_EQ(Rows("TAddPdDataErrors"), 2u);
  EXPECT_THAT(Cells("TAddPdDataErrors", 1), ElementsAre("7", "1", "111-111-111 11", "ПЕТРОВ И.", "27-1", "1010100А",
                                                        "НЕОПЛ", "Код НЕОПЛ проставлен неправомерно."));
}

// Codes are judged on the first day of the Perechen's quarter, whatever the position.
TEST_F(StaffPositionsTest, CodeOutsideItsValidityIsReportedForEveryPosition) {
  Position({"27-1"}, "1010100А", 1000);
  Position({"27-2"}, "2010100А", 1000);
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.10.2019", "31.10.2019", {"27-5"}, "5", {"НОВЫЙ"});    // valid from 01.07.2019
  Period(w, "01.11.2019", "30.11.2019", {"27-5"}, "5", {"ПОЗДНИЙ"});  // valid from 01.01.2020
  Period(w, "01.12.2019", "31.12.2019", {"27-6"}, "6", {"СТАРЫЙ"});   // valid until 30.06.2019
  Run();
  ASSERT_EQ(Rows("TAddPdDataErrors"), 4u);
  EXPECT_EQ(Cells("TAddPdDataErrors", 0)[7],
            "Код ПОЗДНИЙ проставлен неправомерно. Период актуальности кода начинается 01.01.2020");
  EXPECT_EQ(Cells("TAddPdDataErrors", 3)[7],
            "Код СТАРЫЙ проставлен неправомерно. Период актуальности кода закончился 30.06.2019");

  v = std::make_unique<TVerification>(arena, params);
  list->fPeriod = 3;  // 01.07.2019: the ended code is still out, the new one is in
  Run();
  EXPECT_EQ(Rows("TAddPdDataErrors"), 4u);
  EXPECT_EQ(Cells("TAddPdDataErrors", 0)[6], "ПОЗДНИЙ");
}

TEST_F(StaffPositionsTest, FailureEndsTheCheckKeepingThePlacedPeriods) {
  Classifiers()[ctAddPdDataEndDates][2] = "31.02.2019";  // ДЕКРЕТ: not a date
  Position({"27-1"}, "1010100А", 1);                     // would be exceeded
  TWorker* w = IsWorker("111-111-111 11");
  TWorkPeriod* first = Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А", {"НЕОПЛ"});
  TWorkPeriod* bad = Period(w, "01.12.2019", "31.12.2019", {"27-1"}, "1010100А", {"ДЕКРЕТ"});
  Run();
  EXPECT_TRUE(first->FoundInListPositions);
  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));
  EXPECT_EQ(Table("TPositionErrors")->Record(0)->FWorkPeriod_PD, bad);

  // The validity lists are only needed for periods with codes.
  v = std::make_unique<TVerification>(arena, params);
  Classifiers().erase(ctAddPdDataEndDates);
  w->MergedWorkPeriods = {Period(w, "01.10.2019", "31.10.2019", {"27-1"}, "1010100А")};
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TWorkingDaysErrors"));

  v = std::make_unique<TVerification>(arena, params);
  w->MergedWorkPeriods[0]->FoundInListPositions = false;
  list->fPeriod = 0;  // no quarter to judge the codes on
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TPositionErrors"));
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

}  // namespace
}  // namespace zz
