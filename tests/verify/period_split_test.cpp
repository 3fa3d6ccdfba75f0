// Splitting crossing periods (DivideCrossWorkPeriods).
#include <gtest/gtest.h>

#include "base/strings.h"
#include "period_fixture.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "verify/period_merge.h"

namespace zz {
namespace {

using Strings = std::vector<std::string>;

class PeriodSplitTest : public test::PeriodFixture {
 protected:
  // Divides with an error list and returns the pieces.
  Strings Divide(TWorker* w) {
    DivideCrossWorkPeriods(*w, arena, &errors);
    return Pieces(w->WorkPeriods);
  }
  const TCrossingPDPeriodsErrors* Table(size_t i) const {
    return i < errors.size() ? dynamic_cast<const TCrossingPDPeriodsErrors*>(errors[i].get()) : nullptr;
  }

  TResultList errors;
};

TEST_F(PeriodSplitTest, ThreePiecesAndOneCrossingError) {
  TWorker* w = Worker();
  // Given in reverse order: the split works on the periods sorted by start.
  TWorkPeriod* second = Add(w, "01.02.2023", "30.06.2023", 0.5);
  TWorkPeriod* first = Add(w, "01.01.2023", "31.03.2023", 0.5);
  second->PackNum = "6";
  second->NumInPack = "9";

  EXPECT_EQ(Divide(w), (Strings{"01.01.2023-31.01.2023:0.5", "01.02.2023-31.03.2023:1", "01.04.2023-30.06.2023:0.5"}));
  // The list as read is kept as it was; the periods themselves are not touched.
  EXPECT_EQ(w->FParsePeriods, (std::vector<TWorkPeriod*>{second, first}));
  EXPECT_EQ(Pieces(w->FParsePeriods), (Strings{"01.02.2023-30.06.2023:0.5", "01.01.2023-31.03.2023:0.5"}));

  ASSERT_EQ(errors.size(), 1u);
  const TCrossingPDPeriodsErrors* table = Table(0);
  ASSERT_TRUE(table);
  EXPECT_TRUE(table->IsError);
  ASSERT_EQ(table->Count(), 1u);
  EXPECT_EQ(table->Record(0)->Cells(),
            (Strings{"111-222-333 44", "ПЕТРОВ П.П.", "01.01.2023 - 31.03.2023", "5", "1", "27-1 (ПК1)", "",
                     "01.02.2023 - 30.06.2023", "6", "9", "27-1 (ПК1)", ""}));
  // The pieces carry the kind of the period, nothing else of it.
  for (const TWorkPeriod* p : w->WorkPeriods) {
    EXPECT_EQ(p->BasesAndCode(), "27-1 (ПК1)");
    EXPECT_EQ(p->PackNum, "");
  }
}

TEST_F(PeriodSplitTest, CrossingAllowedByAdditionalDataIsSplitButNotReported) {
  for (const char* code : {"ДОГОВОР", "ЗГД", "ЗМС"}) {
    TWorker* w = Worker();
    Add(w, "01.01.2023", "31.03.2023", 0.5);
    Add(w, "01.02.2023", "30.06.2023", 0.5, {code});
    errors.clear();
    EXPECT_EQ(Divide(w).size(), 3u) << code;
    EXPECT_TRUE(errors.empty()) << code;
  }
  // The text must be exactly one allowed code: two codes are not an allowed overlap.
  TWorker* w = Worker();
  Add(w, "01.01.2023", "31.03.2023", 0.5, {"ДОГОВОР", "ДЕТИ"});
  Add(w, "01.02.2023", "30.06.2023", 0.5, {"ДЕТИ"});
  errors.clear();
  Divide(w);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(Table(0)->Record(0)->Cells()[6], "ДЕТИ, ДОГОВОР");
}

TEST_F(PeriodSplitTest, OnlyTheSameKindWithoutWorkedTimeIsSplit) {
  struct Case {
    const char* what;
    void (*change)(TWorkPeriod&);
  } cases[] = {
      {"worked months", [](TWorkPeriod& p) { p.Months = "2"; }},
      {"worked minutes", [](TWorkPeriod& p) { p.Minutes = "30"; }},
      {"other codes", [](TWorkPeriod& p) { p.Bases.Add("27-ПД"); }},
      {"other position code", [](TWorkPeriod& p) { p.ProfessionCode = "ПК2"; }},
      {"other seniority basis", [](TWorkPeriod& p) { p.SetSeniorityBase("СЕЗОН"); }},
  };
  for (const Case& c : cases) {
    TWorker* w = Worker();
    Add(w, "01.01.2023", "31.03.2023", 0.5);
    c.change(*Add(w, "01.02.2023", "30.06.2023", 0.5));
    errors.clear();
    EXPECT_EQ(Divide(w), (Strings{"01.01.2023-31.03.2023:0.5", "01.02.2023-30.06.2023:0.5"})) << c.what;
    EXPECT_TRUE(errors.empty()) << c.what;
  }
  // Worked time written as "00" (or left empty) is no worked time: such periods are split.
  TWorker* w = Worker();
  Add(w, "01.01.2023", "31.03.2023", 0.5)->Months = "00";
  TWorkPeriod* zero = Add(w, "01.02.2023", "30.06.2023", 0.5);
  zero->Days = "000";
  zero->Hours = "";
  errors.clear();
  EXPECT_EQ(Divide(w), (Strings{"01.01.2023-31.01.2023:0.5", "01.02.2023-31.03.2023:1", "01.04.2023-30.06.2023:0.5"}));
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(PeriodSplitTest, PiecesKeepTheSeniorityBasisAndShareTheHoursByDays) {
  TWorker* w = Worker();
  TWorkPeriod* a = Add(w, "01.10.2023", "30.11.2023", 0.5);  // 61 days, 60 hours
  TWorkPeriod* b = Add(w, "01.11.2023", "31.12.2023", 0.5);  // 61 days, 60 hours 30 minutes
  for (TWorkPeriod* p : {a, b}) {
    p->SetSeniorityBase("СЕЗОН");
    p->PDRKHours = 60;
  }
  b->PDRKMinutes = 30;
  ASSERT_EQ(Divide(w).size(), 3u);
  Strings hours;
  double total = 0;
  for (const TWorkPeriod* p : w->WorkPeriods) {
    EXPECT_EQ(p->SeniorityBase(), "СЕЗОН");
    hours.push_back(FormatNumber(p->PDRKHours) + ":" + FormatNumber(p->PDRKMinutes));
    total += p->PDRKHours * 60 + p->PDRKMinutes;
  }
  // 31 of a's 61 days; 30 days of each; the rest of b. Whole minutes, the total as read.
  EXPECT_EQ(hours, (Strings{"30:30", "59:15", "30:45"}));
  EXPECT_EQ(total, 120 * 60 + 30);
}

TEST_F(PeriodSplitTest, TouchingEndsAreAnOverlapButAdjacentPeriodsAreNot) {
  TWorker* w = Worker();
  Add(w, "01.01.2023", "31.01.2023");
  Add(w, "31.01.2023", "28.02.2023", 0.5);
  EXPECT_EQ(Divide(w), (Strings{"01.01.2023-30.01.2023:1", "31.01.2023-31.01.2023:1.5", "01.02.2023-28.02.2023:0.5"}));
  EXPECT_EQ(errors.size(), 1u);

  TWorker* other = Worker();
  Add(other, "01.01.2023", "31.01.2023");
  Add(other, "01.02.2023", "28.02.2023");
  errors.clear();
  EXPECT_EQ(Divide(other), (Strings{"01.01.2023-31.01.2023:1", "01.02.2023-28.02.2023:1"}));
  EXPECT_TRUE(errors.empty());
}

TEST_F(PeriodSplitTest, IdenticalPeriodsAreNoCrossingButCollapseWithRatesAdded) {
  TWorker* w = Worker();
  Add(w, "01.01.2023", "31.03.2023", 0.5);
  Add(w, "01.01.2023", "31.03.2023", 0.25, {"ДЕТИ"});
  Add(w, "01.01.2023", "31.03.2023", 0.5)->SetSeniorityBase("СЕЗОН");  // another basis: stays apart
  // The flagged "СЕЗОНН" is seniority-bearing: its data must equal the other's to be the same kind.
  Add(w, "01.01.2023", "31.03.2023", 0.125, {"СЕЗОНН"});
  EXPECT_EQ(Divide(w),
            (Strings{"01.01.2023-31.03.2023:0.75", "01.01.2023-31.03.2023:0.5", "01.01.2023-31.03.2023:0.125"}));
  EXPECT_TRUE(errors.empty());
}

// The eight ways two crossing periods lie; a is the piece already in the result, b the next period.
TEST_F(PeriodSplitTest, EightSplitCases) {
  struct Case {
    const char *aStart, *aFinish, *bStart, *bFinish;
    Strings pieces;
  } cases[] = {
      {"01.01.2023",
       "31.01.2023",
       "01.01.2023",
       "31.03.2023",
       {"01.01.2023-31.01.2023:1.5", "01.02.2023-31.03.2023:0.5"}},
      {"01.01.2023",
       "31.03.2023",
       "01.01.2023",
       "31.01.2023",
       {"01.01.2023-31.01.2023:1.5", "01.02.2023-31.03.2023:1"}},
      {"01.01.2023",
       "31.03.2023",
       "01.02.2023",
       "31.03.2023",
       {"01.01.2023-31.01.2023:1", "01.02.2023-31.03.2023:1.5"}},
      {"01.01.2023",
       "31.03.2023",
       "01.02.2023",
       "28.02.2023",
       {"01.01.2023-31.01.2023:1", "01.02.2023-28.02.2023:1.5", "01.03.2023-31.03.2023:1"}},
      {"01.01.2023",
       "31.01.2023",
       "15.01.2023",
       "28.02.2023",
       {"01.01.2023-14.01.2023:1", "15.01.2023-31.01.2023:1.5", "01.02.2023-28.02.2023:0.5"}},
  };
  for (const Case& c : cases) {
    TWorker* w = Worker();
    Add(w, c.aStart, c.aFinish, 1);
    Add(w, c.bStart, c.bFinish, 0.5);
    errors.clear();
    EXPECT_EQ(Divide(w), c.pieces) << c.aStart << "-" << c.aFinish << " / " << c.bStart << "-" << c.bFinish;
  }

  // A period starting before a piece it crosses: pieces appended after a split may start later than
  // the next period. Here 01.02-31.03 is met first by the period starting on 25.01.
  struct LaterCase {
    const char* bFinish;
    Strings tail;
  } later[] = {
      {"31.03.2023", {"25.01.2023-31.01.2023:0.125", "01.02.2023-31.03.2023:1.125"}},  // same finish
      {"15.04.2023",
       {"25.01.2023-31.01.2023:0.125", "01.02.2023-31.03.2023:1.125", "01.04.2023-15.04.2023:0.125"}},  // a inside b
      {"10.02.2023",
       {"25.01.2023-31.01.2023:0.125", "01.02.2023-10.02.2023:1.125", "11.02.2023-31.03.2023:1"}},  // a ends last
  };
  for (const LaterCase& c : later) {
    TWorker* w = Worker();
    Add(w, "01.01.2023", "31.03.2023", 1);
    Add(w, "01.01.2023", "31.01.2023", 0.5);   // -> 01.01-31.01 and 01.02-31.03
    Add(w, "10.01.2023", "20.01.2023", 0.25);  // splits 01.01-31.01 again; its pieces go to the end
    Add(w, "25.01.2023", c.bFinish, 0.125);
    errors.clear();
    Strings expected{"01.01.2023-09.01.2023:1.5", "10.01.2023-20.01.2023:1.75", "21.01.2023-31.01.2023:1.5"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Divide(w), expected) << c.bFinish;
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(Table(0)->Count(), 3u);  // one row per crossing, all in the worker's one table
  }
}

// A worker with many periods has them looked up by dates instead of scanned: the same pieces, rows
// and joins as the same periods alone, after those of his other periods.
TEST_F(PeriodSplitTest, ManyPeriodsGiveWhatTheFewGive) {
  auto crossing = [&](TWorker* w) {
    Add(w, "01.01.2023", "31.03.2023", 1);
    Add(w, "01.01.2023", "31.01.2023", 0.5);
    Add(w, "10.01.2023", "20.01.2023", 0.25);
    Add(w, "25.01.2023", "15.04.2023", 0.125);
    Add(w, "01.06.2023", "30.06.2023", 0.5);
    Add(w, "01.06.2023", "30.06.2023", 0.25);  // the same dates: one period with the rates added
    Add(w, "01.07.2023", "31.07.2023", 0.75);  // the day after: joined
  };
  TWorker* few = Worker();
  crossing(few);
  TWorker* many = Worker();
  Strings padding;  // one-day periods of the same kind a year before, rates taking turns: none joins
  for (int d = 1; d <= 20; ++d) {
    const std::string day = (d < 10 ? "0" : "") + std::to_string(d) + ".06.2022";
    const double rate = d % 2 ? 1 : 0.5;
    Add(many, day.c_str(), day.c_str(), rate);
    padding.push_back(day + "-" + day + (d % 2 ? ":1" : ":0.5"));
  }
  crossing(many);

  Strings expected = padding;
  for (const std::string& piece : Divide(few)) expected.push_back(piece);
  EXPECT_EQ(Divide(many), expected);
  ASSERT_EQ(errors.size(), 2u);
  ASSERT_EQ(Table(0)->Count(), 3u);
  ASSERT_EQ(Table(1)->Count(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(Table(1)->Record(i)->Cells(), Table(0)->Record(i)->Cells());

  MergeWorkPeriods(*few, arena, true, nullptr);
  MergeWorkPeriods(*many, arena, true, nullptr);
  expected = padding;
  for (const std::string& piece : Pieces(few->MergedWorkPeriods)) expected.push_back(piece);
  EXPECT_EQ(Pieces(many->MergedWorkPeriods), expected);
  EXPECT_EQ(Pieces(few->MergedWorkPeriods).back(), "01.06.2023-31.07.2023:0.75");
}

TEST_F(PeriodSplitTest, EveryWorkerWithACrossingGetsATableOfHisOwn) {
  TWorker* a = Worker("111-111-111 11");
  Add(a, "01.01.2023", "31.03.2023", 0.5);
  Add(a, "01.02.2023", "30.06.2023", 0.5);
  TWorker* quiet = Worker("222-222-222 22");
  Add(quiet, "01.01.2023", "31.03.2023");
  TWorker* b = Worker("333-333-333 33");
  Add(b, "01.01.2023", "31.03.2023", 0.5);
  Add(b, "01.02.2023", "30.06.2023", 0.5);
  Divide(a);
  Divide(quiet);
  Divide(b);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(Table(0)->Record(0)->Cells()[0], "111-111-111 11");
  EXPECT_EQ(Table(1)->Record(0)->Cells()[0], "333-333-333 33");
}

TEST_F(PeriodSplitTest, NamedListWorkersAreSplitWithoutReport) {
  TWorker* w = Worker();
  Add(w, "01.01.2023", "31.03.2023", 0.5);
  Add(w, "01.02.2023", "30.06.2023", 0.5);
  DivideCrossWorkPeriods(*w, arena, nullptr);
  EXPECT_EQ(w->WorkPeriods.size(), 3u);
}

TEST_F(PeriodSplitTest, NothingOrOnePeriodOrBadDates) {
  TWorker* none = Worker();
  Divide(none);
  EXPECT_TRUE(none->WorkPeriods.empty());
  EXPECT_TRUE(none->FParsePeriods.empty());

  TWorker* one = Worker();
  TWorkPeriod* only = Add(one, "01.01.2023", "31.03.2023", 0.5);
  EXPECT_EQ(Divide(one), (Strings{"01.01.2023-31.03.2023:0.5"}));
  EXPECT_EQ(one->FParsePeriods, std::vector<TWorkPeriod*>{only});  // the periods as read are kept
  EXPECT_EQ(only->Rate, 0.5);

  // Identical periods become one with the rates added, in a copy: the periods as read stay as they were.
  TWorker* twins = Worker();
  TWorkPeriod* first = Add(twins, "01.01.2023", "31.03.2023", 0.5);
  TWorkPeriod* second = Add(twins, "01.01.2023", "31.03.2023", 0.25);
  EXPECT_EQ(Divide(twins), (Strings{"01.01.2023-31.03.2023:0.75"}));
  EXPECT_NE(twins->WorkPeriods[0], first);
  EXPECT_EQ(first->Rate, 0.5);
  EXPECT_EQ(second->Rate, 0.25);

  // A period ending before it starts, or a missing entry, does not bring the split down.
  TWorker* odd = Worker();
  Add(odd, "01.03.2023", "01.01.2023");
  Add(odd, "01.01.2023", "31.03.2023");
  odd->WorkPeriods.push_back(nullptr);
  EXPECT_NO_THROW(Divide(odd));
  EXPECT_NO_THROW(MergeWorkPeriods(*odd, arena, true, nullptr));
}

}  // namespace
}  // namespace zz
