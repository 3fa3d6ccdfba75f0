// The ВИРУС code check on the named list: the window of 2020 and the bases the code goes with.
#include <algorithm>

#include "staff_fixture.h"

namespace zz {
namespace {

using ::testing::ElementsAre;

const char kDates[] = "Код &quot;ВИРУС&quot; проставляется для периодов работы с 01.01.2020 до 30.09.2020";
const char kBases[] = "Код &quot;ВИРУС&quot; должен сочетаться с кодами 27-1/27-2 или 27-ГД/27-ГДХР/27-СМ/27-СМХР";

class VirusCheckTest : public test::CheckFixture {
 protected:
  TWorkPeriod* Virus(TWorker* l, const char* start, const char* finish, std::vector<const char*> bases,
                     const char* seniority = "ВИРУС") {
    TWorkPeriod* p = Period(l, start, finish, bases, "1010100А");
    p->SetSeniorityBase(seniority);
    return p;
  }
  // The violation of each row, after the number of its period in the first list worker.
  std::vector<std::string> Findings() {
    v->CheckVirusCode(*list);
    std::vector<std::string> texts;
    const auto& periods = list->fWorkers[0]->WorkPeriods;
    for (size_t i = 0; i < Rows("TBeerusErrors"); ++i) {
      auto at = std::find(periods.begin(), periods.end(), Table("TBeerusErrors")->Record(i)->FWorkPeriod_List);
      texts.push_back(std::to_string(at - periods.begin()) + " " + Cells("TBeerusErrors", i).back());
    }
    return texts;
  }
};

TEST_F(VirusCheckTest, WindowAndBasesOfEachPeriod) {
  TWorker* l = ListWorker("111-111-111 11", "ЖУКОВ");
  Virus(l, "01.04.2020", "30.06.2020", {"27-ГДХР"});
  Virus(l, "01.01.2020", "30.09.2020", {"27-2", "27-ПД"});  // both ends of the window included
  TWorkPeriod* late = Virus(l, "01.04.2020", "31.12.2020", {"27-1"});
  late->Rate = 0.5;
  late->Days = "12";
  Virus(l, "31.12.2019", "31.03.2020", {"27-СМ"});
  Virus(l, "01.12.2019", "31.10.2020", {"27-1"});       // both ends outside: one row
  Virus(l, "01.02.2020", "31.03.2020", {"27-ПД"});      // 27-1 on an earlier period does not help
  Virus(l, "01.07.2020", "31.12.2020", {});             // both faults, dates first
  Virus(l, "", "", {"27-ПД"});                          // no dates: only the bases are judged
  Virus(l, "", "31.12.2020", {"27-1"});                 // the date it has still counts
  Virus(l, "01.01.2019", "31.12.2021", {}, "СЕЗОН");    // another basis
  Virus(l, "01.01.2019", "31.12.2021", {}, "ВИРУС-2");  // stored, but not the code itself
  const std::string dates = kDates, bases = kBases;
  EXPECT_THAT(Findings(), ElementsAre("2 " + dates, "3 " + dates, "4 " + dates, "5 " + bases, "6 " + dates,
                                      "6 " + bases, "7 " + bases, "8 " + dates));
  EXPECT_THAT(Errors(), ElementsAre("TBeerusErrors"));
  EXPECT_THAT(Cells("TBeerusErrors", 0), ElementsAre("1", "111-111-111 11", "ЖУКОВ И.", "27-1", "1010100А",
                                                     "01.04.2020", "31.12.2020", "0.5", "12 дн. ", "ВИРУС", kDates));
}

TEST_F(VirusCheckTest, NothingToReport) {
  Virus(ListWorker("111-111-111 11"), "01.04.2020", "30.06.2020", {"27-СМХР"});
  EXPECT_TRUE(Findings().empty());
  EXPECT_TRUE(Errors().empty());
}

}  // namespace
}  // namespace zz
