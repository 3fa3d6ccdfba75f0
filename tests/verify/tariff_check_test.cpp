// The additional-tariff and working-conditions check: IS payments against IS benefit periods
// (pass A), Perechen "ДТ" periods and classes against the person's IS payments (pass B).
#include "staff_fixture.h"

namespace zz {
namespace {

using ::testing::ElementsAre;

const char kUnpaidList[] =
    "У ЗЛ в перечне в периодах стажа проставлен доп. тариф, но не начислена сумма по доп. тарифу в ИС";
const char kClassMess[] = "Проставленные у ЗЛ для ДТ условия труда не совпадают в ИС и Перечне";

class TariffCheckTest : public test::CheckFixture {
 protected:
  void Run(int year = 2019) { v->CheckAddTariff(*list, is, year); }

  // A Perechen period of 27-1 (unless told otherwise), marked "ДТ" or not, with its class.
  TWorkPeriod* ListPeriod(TWorker* l, const char* start, const char* finish, bool dt, const std::string& wc = "",
                          const char* base = "27-1") {
    TWorkPeriod* p = Period(l, start, finish, {base}, "1010100А");
    if (dt) p->AddTariff = "ДТ";
    p->WC = wc;
    p->NumSub = "1";
    return p;
  }
  TUTError* UT(size_t row) const { return dynamic_cast<TUTError*>(Table("TUTErrors")->Record(row)); }
};

TEST_F(TariffCheckTest, PassAPaymentsAgainstBenefitPeriods) {
  TWorker* payer = IsWorker("111-111-111 11", "СИДОРОВ");
  Payment(payer, 1000);
  Payment(payer, 0);  // nothing paid: not looked at
  Period(payer, "01.01.2019", "31.03.2019", {"27-ПД"});
  TWorker* unpaid = IsWorker("222-222-222 22");
  Period(unpaid, "01.01.2019", "31.03.2019", {"27-12"}, "1010100А");  // 27-1 is found in 27-12
  Period(IsWorker("333-333-333 33"), "01.01.2019", "31.03.2019", {"27-1"}, "", {"ДЕКРЕТ"});
  Period(IsWorker("444-444-444 44"), "01.01.2019", "31.03.2019", {"27-1"}, "", {"НЕОПЛ"});  // still an error
  TWorker* efs = IsWorker("555-555-555 55");
  efs->IsEFS1 = true;
  Period(efs, "01.01.2019", "31.03.2019", {"27-1"});
  Run(2012);
  EXPECT_TRUE(Warnings().empty());  // nothing up to 2012
  Run();

  EXPECT_THAT(Warnings(), ElementsAre("TAddTariffWarnings"));
  EXPECT_THAT(Errors(), ElementsAre("TAddTariffErrors"));
  EXPECT_THAT(Cells("TAddTariffWarnings", 0),
              ElementsAre("7", "1", "111-111-111 11", "СИДОРОВ И.", "", "", "",
                          "У ЗЛ начислена сумма выплат по доп. тарифу 27-1 на сумму 1000 руб., но в его периодах стажа "
                          "льгота отсутствует"));
  EXPECT_EQ(Cells("TAddTariffWarnings", 1).back(),
            "У ЗЛ в периодах стажа присутствует льгота 27-1, но не начислена сумма выплат по доп. тариф, т.к. имеются: "
            "ДЕКРЕТ");
  EXPECT_THAT(
      Cells("TAddTariffErrors", 0),
      ElementsAre("7", "2", "222-222-222 22", "ИВАНОВ И.", "01.01.2019 - 31.03.2019", "27-12", "1010100А", "", "", "",
                  "У ЗЛ в периодах стажа присутствует льгота 27-12, но не начислена сумма выплат по доп. тарифу"));
  EXPECT_EQ(Cells("TAddTariffErrors", 1)[2], "444-444-444 44");
  EXPECT_EQ(Rows("TAddTariffErrors"), 2u);
}

TEST_F(TariffCheckTest, PassAEndsAtTheFirstPersonOfTheLaterForms) {
  Period(IsWorker("111-111-111 11"), "01.01.2019", "31.03.2019", {"27-1"});
  IsWorker("222-222-222 22")->HasAT = true;
  Period(IsWorker("333-333-333 33"), "01.01.2019", "31.03.2019", {"27-1"});
  Run();
  EXPECT_EQ(Rows("TAddTariffErrors"), 1u);
  EXPECT_EQ(Cells("TAddTariffErrors", 0)[2], "111-111-111 11");
}

TEST_F(TariffCheckTest, ListPeriodWithTariffMarkAgainstUnpaidPerson) {
  TWorker* w = IsWorker("111-111-111 11");
  w->PackNum = "12";
  Period(w, "01.01.2019", "31.03.2019", {"27-ПД"});
  TWorker* l = ListWorker("111-111-111 11");
  TWorkPeriod* y = ListPeriod(l, "01.01.2019", "31.03.2019", true, "3.1");
  ListPeriod(l, "01.04.2019", "30.06.2019", false, "3.2");       // a class without the mark
  ListPeriod(l, "01.07.2019", "30.09.2019", true, "", "27-ГД");  // paid or not, 27-ГД is no tariff base
  ListWorker("999-999-999 99");
  ListPeriod(list->fWorkers[1], "01.01.2019", "31.03.2019", true, "3.1");  // nobody to compare with
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TUTErrors", "TAddTariffErrors", "TUTWithoutAddTariffErrors"));
  EXPECT_EQ(l->PackNum, "12");
  EXPECT_EQ(Rows("TAddTariffErrors"), 2u);
  EXPECT_THAT(Cells("TAddTariffErrors", 0),
              ElementsAre("", "1", "111-111-111 11", "ИВАНОВ И.", "01.01.2019 - 31.03.2019", "", "", "1", "27-1",
                          "1010100А", kUnpaidList));
  // No payments at all while the period carries a class: the classes differ.
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(UT(0)->FWorkPeriod_List, y);
  EXPECT_THAT(Cells("TUTErrors", 0),
              ElementsAre("12", "1", "111-111-111 11", "ИВАНОВ И.", "01.01.2019 - 31.03.2019", " (все периоды)", "1",
                          "3.1", std::string(kClassMess) + " (Класса УТ из Перечня нет в ИС)"));
  EXPECT_THAT(Cells("TUTWithoutAddTariffErrors", 0),
              ElementsAre("1", "111-111-111 11", "ИВАНОВ И.", "01.04.2019", "30.06.2019", "3.2"));

  // Correction-only sets leave the Perechen side alone.
  v = std::make_unique<TVerification>(arena, params);
  v->fCorrPacksOnly = true;
  Run();
  EXPECT_TRUE(Errors().empty());
}

TEST_F(TariffCheckTest, PaidClassesMissingFromThePerechen) {
  TWorker* w = IsWorker("111-111-111 11");
  Payment(w, 100, "3.1", "1");
  Payment(w, 200, "3.2", "2");
  Payment(w, 100, "", "3");
  Payment(w, 100, "", "4");     // a second payment without class is taken again
  Payment(w, 100, "3.3", "1");  // row code already taken
  Payment(w, 100, "3.1", "5");  // class already taken
  Period(w, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2019", "31.03.2019", true, "3.1");
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TUTErrors"));
  ASSERT_EQ(Rows("TUTErrors"), 3u);
  EXPECT_EQ(UT(0)->FWorkPeriod_List, nullptr);
  EXPECT_THAT(Cells("TUTErrors", 0), ElementsAre("7", "1", "111-111-111 11", "ИВАНОВ И.", "", "3.2 (все периоды)", "",
                                                 "3.1", std::string(kClassMess) + " (Класса УТ из ИС нет в Перечне)"));
  EXPECT_EQ(UT(2)->fPDUT, "Без класса УТ (все периоды)");

  // A period whose class no payment has: one period row listing all paid classes, nothing more.
  v = std::make_unique<TVerification>(arena, params);
  l->WorkPeriods[0]->WC = "4";
  Run();
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(UT(0)->fPDUT, "3.1;3.2;\"Без класса УТ\";\"Без класса УТ\" (все периоды)");
}

TEST_F(TariffCheckTest, OtherWaysToCountAsPaid) {
  // Payments without class fit a period without class.
  TWorker* a = IsWorker("111-111-111 11");
  Payment(a, 100);
  ListPeriod(ListWorker("111-111-111 11"), "01.01.2023", "31.03.2023", true);
  // No-benefit additional data over the period stands for the payment and the class.
  TWorker* b = IsWorker("222-222-222 22");
  Period(b, "01.03.2023", "30.06.2023", {"27-ПД"}, "", {"ДЕКРЕТ"});
  ListPeriod(ListWorker("222-222-222 22"), "01.01.2023", "31.03.2023", true, "3.1");
  // ЕФС-1 carries no payments: the class of an overlapping period is compared instead.
  TWorker* c = IsWorker("333-333-333 33");
  c->IsEFS1 = true;
  Period(c, "01.01.2023", "31.01.2023", {"27-1"})->WC = "В3.2";
  TWorker* lc = ListWorker("333-333-333 33");
  ListPeriod(lc, "01.01.2023", "28.02.2023", true, "В3.2");
  TWorkPeriod* apart = ListPeriod(lc, "01.02.2023", "28.02.2023", true, "В3.2");
  Run(2023);
  EXPECT_THAT(Errors(), ElementsAre("TUTErrors"));
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(UT(0)->FWorkPeriod_List, apart);
}

TEST_F(TariffCheckTest, NamesakesAreVisitedInOrderUntilOnePays) {
  // Four IS workers share the number; the fourth is of the later forms, and nobody after it counts.
  const char* const sn = "111-111-111 11";
  TWorker* none = IsWorker(sn);  // no payment rows at all
  none->PackNum = "1";
  TWorker* payer = IsWorker(sn);
  payer->PackNum = "2";
  Payment(payer, 100, "3.9", "1");
  TWorker* third = IsWorker(sn);
  third->PackNum = "3";
  Payment(third, 100, "3.1", "1");  // never reached by a period that the second one pays for
  IsWorker(sn)->HasAT = true;
  Payment(IsWorker(sn), 100, "", "1");
  TWorker* l = ListWorker(sn);
  TWorkPeriod* paidFor = ListPeriod(l, "01.01.2023", "31.03.2023", true, "3.1");
  TWorkPeriod* unpaid = ListPeriod(l, "01.04.2023", "30.06.2023", true, "", "27-ГД");  // no tariff basis
  Run(2023);

  // The first period stops at the payer: his class is not the period's, the third worker's is.
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(UT(0)->FWorkPeriod_List, paidFor);
  EXPECT_EQ(UT(0)->fPDUT, "3.9 (все периоды)");
  // The second one goes on to the last worker before the later forms; the first worker's missing
  // payments fit its missing class.
  ASSERT_EQ(Rows("TAddTariffErrors"), 1u);
  EXPECT_EQ(Table("TAddTariffErrors")->Record(0)->FWorkPeriod_List, unpaid);
  EXPECT_EQ(Table("TAddTariffErrors")->Record(0)->FWorker_PD, third);
  EXPECT_EQ(l->PackNum, "3");
}

}  // namespace
}  // namespace zz
