// The ВИРУС code check on the named list: the window of 2020 and the bases the code goes with.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "staff_fixture.h"

namespace zz {
namespace {

using ::testing::ElementsAre;

const char kDates[] = "Код &quot;ВИРУС&quot; проставляется для периодов работы с 01.01.2020 до 30.09.2020";
const char kBases[] = "Код &quot;ВИРУС&quot; должен сочетаться с кодами 27-1/27-2 или 27-ГД/27-ГДХР/27-СМ/27-СМХР";

class VirusCheckTest : public test::CheckFixture {
 protected:
  TWorkPeriod* Virus(TWorker* l, const char* start, const char* finish, std::initializer_list<const char*> bases,
                     const char* seniority = "ВИРУС") {
    TWorkPeriod* p = Period(l, start, finish, bases, "1010100А");
    p->SetSeniorityBase(seniority);
    return p;
  }
  // The last cell of each row: the violation.
  std::vector<std::string> Culprits() const {
    std::vector<std::string> texts;
    if (TTableResult* t = Table("TBeerusErrors"))
      for (size_t i = 0; i < t->Count(); ++i) texts.push_back(t->Record(i)->Cells().back());
    return texts;
  }
};

TEST_F(VirusCheckTest, PeriodsInsideTheWindowWithTheirBasesPass) {
  TWorker* l = ListWorker("111-111-111 11");
  Virus(l, "01.04.2020", "30.06.2020", {"27-ГДХР"});
  Virus(l, "01.01.2020", "30.09.2020", {"27-2", "27-ПД"});  // both ends of the window included
  Virus(l, "01.01.2020", "31.03.2020", {"27-СМ"});
  v->CheckVirusCode(*list);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(VirusCheckTest, PeriodOutsideTheWindow) {
  TWorker* l = ListWorker("111-111-111 11", "ЖУКОВ");
  TWorkPeriod* p = Virus(l, "01.04.2020", "31.12.2020", {"27-1"});
  p->Rate = 0.5;
  p->Days = "12";
  Virus(l, "31.12.2019", "31.03.2020", {"27-1"});
  Virus(l, "01.12.2019", "31.10.2020", {"27-1"});  // both ends outside: one row
  v->CheckVirusCode(*list);

  EXPECT_THAT(Errors(), ElementsAre("TBeerusErrors"));
  EXPECT_THAT(Culprits(), ElementsAre(kDates, kDates, kDates));
  EXPECT_THAT(Cells("TBeerusErrors", 0), ElementsAre("1", "111-111-111 11", "ЖУКОВ И.", "27-1", "1010100А", "01.04.2020",
                                                     "31.12.2020", "0.5", "12 дн. ", "ВИРУС", kDates));
  EXPECT_EQ(Table("TBeerusErrors")->Record(0)->FWorkPeriod_List, p);
}

TEST_F(VirusCheckTest, BasesAreJudgedForEachPeriodOnItsOwn) {
  TWorker* l = ListWorker("111-111-111 11");
  Virus(l, "01.01.2020", "31.01.2020", {"27-1"});
  Virus(l, "01.02.2020", "31.03.2020", {"27-ПД"});
  TWorker* m = ListWorker("222-222-222 22");
  Virus(m, "01.02.2020", "31.03.2020", {});
  v->CheckVirusCode(*list);
  EXPECT_THAT(Culprits(), ElementsAre(kBases, kBases));
  EXPECT_EQ(Cells("TBeerusErrors", 1)[1], "222-222-222 22");
}

TEST_F(VirusCheckTest, PeriodWithBothFaultsGetsTwoRowsDatesFirst) {
  TWorker* l = ListWorker("111-111-111 11");
  Virus(l, "01.07.2020", "31.12.2020", {"27-ПД"});
  v->CheckVirusCode(*list);
  EXPECT_THAT(Culprits(), ElementsAre(kDates, kBases));
}

TEST_F(VirusCheckTest, PeriodWithoutDatesIsJudgedOnItsBasesOnly) {
  TWorker* l = ListWorker("111-111-111 11");
  Virus(l, "", "", {"27-1"});
  Virus(l, "", "31.12.2020", {"27-1"});  // the date it has still counts
  Virus(l, "", "", {"27-ПД"});
  v->CheckVirusCode(*list);
  EXPECT_THAT(Culprits(), ElementsAre(kDates, kBases));
}

TEST_F(VirusCheckTest, OnlyTheExactSeniorityBasisCounts) {
  TWorker* l = ListWorker("111-111-111 11");
  Virus(l, "01.01.2019", "31.12.2021", {}, "СЕЗОН");
  Virus(l, "01.01.2019", "31.12.2021", {}, "ВИРУС-2");  // stored, but not the code itself
  Virus(l, "01.01.2019", "31.12.2021", {}, "");
  v->CheckVirusCode(*list);
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace zz
