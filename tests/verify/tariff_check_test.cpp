// The additional-tariff and working-conditions check: IS payments against IS benefit periods
// (pass A), Perechen "ДТ" periods and classes against the person's IS payments (pass B).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "staff_fixture.h"
#include "verify/add_tariff_check.h"

namespace zz {
namespace {

using ::testing::ElementsAre;

const char kNoLgot[] = "У ЗЛ начислена сумма выплат по доп. тарифу 27-1 на сумму 1000 руб., но в его периодах стажа льгота отсутствует";
const char kNoPaymentIS[] = "У ЗЛ в периодах стажа присутствует льгота 27-1, но не начислена сумма выплат по доп. тарифу";
const char kNoPaymentList[] =
    "У ЗЛ в перечне в периодах стажа проставлен доп. тариф, но не начислена сумма по доп. тарифу в ИС";

class TariffCheckTest : public test::CheckFixture {
 protected:
  void Run(int year = 2019) { v->CheckAddTariff(*list, is, year); }

  // A Perechen period, marked "ДТ" or not, with its working-conditions class.
  TWorkPeriod* ListPeriod(TWorker* l, const char* start, const char* finish, const char* base, bool dt,
                          const std::string& wc = "") {
    TWorkPeriod* p = Period(l, start, finish, {base}, "1010100А");
    if (dt) p->AddTariff = "ДТ";
    p->WC = wc;
    p->NumSub = "1";
    return p;
  }

  TUTError* UT(size_t row) const { return dynamic_cast<TUTError*>(Table("TUTErrors")->Record(row)); }
};

TEST_F(TariffCheckTest, SemicolonTextQuotesItemsWithBlanksQuotesOrSemicolons) {
  EXPECT_EQ(SemicolonText({}), "");
  EXPECT_EQ(SemicolonText({"3.1", "3.2"}), "3.1;3.2");
  EXPECT_EQ(SemicolonText({"3.1", "Без класса УТ"}), "3.1;\"Без класса УТ\"");
  EXPECT_EQ(SemicolonText({"a;b", "c\"d"}), "\"a;b\";\"c\"\"d\"");
}

TEST_F(TariffCheckTest, AdditionalTariffBaseIsASubstringOfTheCodes) {
  TWorker* w = IsWorker("111-111-111 11");
  EXPECT_TRUE(HasAddTariffBase(*Period(w, "01.01.2019", "31.01.2019", {"27-1", "27-ПД"})));
  EXPECT_TRUE(HasAddTariffBase(*Period(w, "01.01.2019", "31.01.2019", {"27-12"})));
  EXPECT_FALSE(HasAddTariffBase(*Period(w, "01.01.2019", "31.01.2019", {"27-ГД"})));
  Classifiers()[ctAddTariff].push_back("");  // an empty entry matches nothing
  EXPECT_FALSE(HasAddTariffBase(*Period(w, "01.01.2019", "31.01.2019", {"27-ПД"})));
}

TEST_F(TariffCheckTest, NothingUpTo2012) {
  TWorker* w = IsWorker("111-111-111 11");
  Payment(w, 1000);
  Period(w, "01.01.2012", "31.03.2012", {"27-ПД"});
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2012", "31.03.2012", "27-1", true, "3.1");
  Run(2012);
  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(Warnings().empty());
  Run(2013);
  EXPECT_FALSE(Errors().empty());
  EXPECT_FALSE(Warnings().empty());
}

TEST_F(TariffCheckTest, PaymentWithoutBenefitPeriodIsAWarning) {
  TWorker* w = IsWorker("111-111-111 11", "СИДОРОВ");
  TAddTariffPayment* paid = Payment(w, 1000);
  Payment(w, 0);  // nothing paid: not looked at
  Period(w, "01.01.2019", "31.03.2019", {"27-ПД"});
  Run();

  EXPECT_THAT(Warnings(), ElementsAre("TAddTariffWarnings"));
  EXPECT_TRUE(Errors().empty());
  ASSERT_EQ(Rows("TAddTariffWarnings"), 1u);
  EXPECT_THAT(Cells("TAddTariffWarnings", 0), ElementsAre("7", "1", "111-111-111 11", "СИДОРОВ И.", "", "", "", kNoLgot));
  EXPECT_EQ(Table("TAddTariffWarnings")->Record(0)->FAddTariffPayment, paid);
  EXPECT_TRUE(paid->IsResultData);
}

TEST_F(TariffCheckTest, BenefitPeriodWithoutPayment) {
  TWorker* plain = IsWorker("111-111-111 11");
  TWorkPeriod* p1 = Period(plain, "01.01.2019", "31.03.2019", {"27-1"}, "1010100А");
  Period(plain, "01.01.2019", "31.03.2019", {"27-ПД"});  // no additional-tariff base
  TWorker* leave = IsWorker("222-222-222 22");
  Period(leave, "01.01.2019", "31.03.2019", {"27-1"}, "1010100А", {"ДЕКРЕТ"});
  // НЕОПЛ is no code that takes the benefit away: still an error.
  TWorker* unpaid = IsWorker("333-333-333 33");
  Period(unpaid, "01.01.2019", "31.03.2019", {"27-1"}, "1010100А", {"НЕОПЛ"});
  TWorker* efs = IsWorker("444-444-444 44");
  efs->IsEFS1 = true;
  Period(efs, "01.01.2019", "31.03.2019", {"27-1"}, "1010100А");
  TWorker* payer = IsWorker("555-555-555 55");
  Payment(payer, 10);
  Period(payer, "01.01.2019", "31.03.2019", {"27-1"}, "1010100А");
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TAddTariffErrors"));
  EXPECT_THAT(Warnings(), ElementsAre("TAddTariffWarnings"));
  ASSERT_EQ(Rows("TAddTariffErrors"), 2u);
  EXPECT_THAT(Cells("TAddTariffErrors", 0), ElementsAre("7", "1", "111-111-111 11", "ИВАНОВ И.", "01.01.2019 - 31.03.2019",
                                                        "27-1", "1010100А", "", "", "", kNoPaymentIS));
  EXPECT_EQ(Table("TAddTariffErrors")->Record(0)->FWorkPeriod_PD, p1);
  EXPECT_EQ(Cells("TAddTariffErrors", 1)[2], "333-333-333 33");
  ASSERT_EQ(Rows("TAddTariffWarnings"), 1u);
  EXPECT_THAT(Cells("TAddTariffWarnings", 0),
              ElementsAre("7", "2", "222-222-222 22", "ИВАНОВ И.", "01.01.2019 - 31.03.2019", "27-1", "1010100А",
                          "У ЗЛ в периодах стажа присутствует льгота 27-1, но не начислена сумма выплат по доп. тариф, "
                          "т.к. имеются: ДЕКРЕТ"));
}

TEST_F(TariffCheckTest, PassAEndsAtTheFirstPersonOfTheLaterForms) {
  TWorker* first = IsWorker("111-111-111 11");
  Period(first, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* later = IsWorker("222-222-222 22");
  later->HasAT = true;
  Period(later, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* after = IsWorker("333-333-333 33");
  Payment(after, 1000);
  Period(after, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* last = IsWorker("444-444-444 44");
  Payment(last, 1000);
  Run();

  ASSERT_EQ(Rows("TAddTariffErrors"), 1u);
  EXPECT_EQ(Cells("TAddTariffErrors", 0)[2], "111-111-111 11");
  EXPECT_TRUE(Warnings().empty());
}

TEST_F(TariffCheckTest, ListPeriodWithTariffMarkAgainstUnpaidPerson) {
  TWorker* w = IsWorker("111-111-111 11");
  w->PackNum = "12";
  w->NumInPack = "5";
  Period(w, "01.01.2019", "31.03.2019", {"27-ПД"});
  TWorker* l = ListWorker("111-111-111 11", "ИВАНОВ");
  TWorkPeriod* y = ListPeriod(l, "01.01.2019", "31.03.2019", "27-1", true, "3.1");
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TUTErrors", "TAddTariffErrors"));
  EXPECT_EQ(l->PackNum, "12");
  EXPECT_EQ(l->NumInPack, "5");
  ASSERT_EQ(Rows("TAddTariffErrors"), 1u);
  EXPECT_THAT(Cells("TAddTariffErrors", 0), ElementsAre("", "5", "111-111-111 11", "ИВАНОВ И.", "01.01.2019 - 31.03.2019", "",
                                                        "", "1", "27-1", "1010100А", kNoPaymentList));
  // The person has no payments at all while the period carries a class: the classes differ.
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(UT(0)->FWorkPeriod_List, y);
  EXPECT_THAT(Cells("TUTErrors", 0),
              ElementsAre("12", "5", "111-111-111 11", "ИВАНОВ И.", "01.01.2019 - 31.03.2019", " (все периоды)", "1", "3.1",
                          "Проставленные у ЗЛ для ДТ условия труда не совпадают в ИС и Перечне (Класса УТ из Перечня нет в ИС)"));

  // Without a class on the period there is nothing to compare.
  v = std::make_unique<TVerification>(arena);
  y->WC.clear();
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TAddTariffErrors"));
}

TEST_F(TariffCheckTest, ClassWithoutTariffMarkAndPersonsNotInTheIS) {
  TWorker* l = ListWorker("999-999-999 99", "ПЕТРОВ");
  ListPeriod(l, "01.01.2019", "31.01.2019", "27-1", false, "3.1");
  ListPeriod(l, "01.02.2019", "28.02.2019", "27-1", false);       // no class, no mark: fine
  ListPeriod(l, "01.03.2019", "31.03.2019", "27-1", true, "3.2");  // nobody in the IS to compare with
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TUTWithoutAddTariffErrors"));
  EXPECT_THAT(Cells("TUTWithoutAddTariffErrors", 0),
              ElementsAre("1", "999-999-999 99", "ПЕТРОВ И.", "01.01.2019", "31.01.2019", "3.1"));
}

TEST_F(TariffCheckTest, PaidClassMissingFromThePerechen) {
  TWorker* w = IsWorker("111-111-111 11");
  Payment(w, 100, "3.1", "1");
  Payment(w, 200, "3.2", "2");
  Period(w, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2019", "31.03.2019", "27-1", true, "3.1");
  Run();

  EXPECT_THAT(Errors(), ElementsAre("TUTErrors"));
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(UT(0)->FWorkPeriod_List, nullptr);
  EXPECT_EQ(UT(0)->fPDUT, "3.2 (все периоды)");
  EXPECT_THAT(Cells("TUTErrors", 0),
              ElementsAre("7", "1", "111-111-111 11", "ИВАНОВ И.", "", "3.2 (все периоды)", "", "3.1",
                          "Проставленные у ЗЛ для ДТ условия труда не совпадают в ИС и Перечне (Класса УТ из ИС нет в Перечне)"));
}

TEST_F(TariffCheckTest, ClassListsOfPaymentsAndPeriods) {
  TWorker* w = IsWorker("111-111-111 11");
  Payment(w, 100, "3.1", "1");
  Payment(w, 100, "", "2");
  Payment(w, 100, "", "3");     // a second payment without class is taken again
  Payment(w, 100, "3.2", "1");  // row code already taken: skipped
  Payment(w, 100, "3.1", "4");  // class already there: skipped
  Period(w, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2019", "31.01.2019", "27-1", true, "3.3");  // no payment's class fits
  ListPeriod(l, "01.02.2019", "31.03.2019", "27-1", true, "3.1");
  Run();

  // Only the period-level error: a person with one of those gets no class-level errors.
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(UT(0)->fPDUT, "3.1;\"Без класса УТ\";\"Без класса УТ\" (все периоды)");
  EXPECT_EQ(Cells("TUTErrors", 0)[7], "3.3");

  // The same payments against classes that fit: the classes paid beyond them are listed.
  v = std::make_unique<TVerification>(arena);
  l->WorkPeriods[0]->WC = "3.1";
  Run();
  ASSERT_EQ(Rows("TUTErrors"), 2u);
  EXPECT_EQ(UT(0)->fPDUT, "Без класса УТ (все периоды)");
  EXPECT_EQ(UT(0)->fListUT, "3.1");
  EXPECT_EQ(UT(1)->fPDUT, "Без класса УТ (все периоды)");
}

TEST_F(TariffCheckTest, PaymentsWithoutClassFitPeriodsWithoutClass) {
  TWorker* w = IsWorker("111-111-111 11");
  Payment(w, 100, "", "1");
  Period(w, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2019", "31.03.2019", "27-1", true);
  Run();
  EXPECT_TRUE(Errors().empty());
}

TEST_F(TariffCheckTest, PaymentCountsOnlyForAPeriodWithATariffBase) {
  TWorker* w = IsWorker("111-111-111 11");
  Payment(w, 100, "3.1", "1");
  Period(w, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* l = ListWorker("111-111-111 11");
  TWorkPeriod* y = ListPeriod(l, "01.01.2019", "31.03.2019", "27-ГД", true, "3.1");
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TAddTariffErrors"));
  EXPECT_EQ(Table("TAddTariffErrors")->Record(0)->FWorkPeriod_List, y);
}

TEST_F(TariffCheckTest, NoBenefitDataOverTheListPeriodCountsAsPaid) {
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.03.2019", "30.06.2019", {"27-1"}, "", {"ДЕКРЕТ"});
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2019", "31.03.2019", "27-1", true, "3.1");
  ListPeriod(l, "01.07.2019", "30.09.2019", "27-1", true);  // no overlap: unpaid
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TAddTariffErrors"));
  ASSERT_EQ(Rows("TAddTariffErrors"), 1u);
  EXPECT_EQ(Cells("TAddTariffErrors", 0)[4], "01.07.2019 - 30.09.2019");
}

TEST_F(TariffCheckTest, EFS1PersonIsPaidAndComparedByItsPeriodClasses) {
  TWorker* w = IsWorker("111-111-111 11");
  w->IsEFS1 = true;
  Period(w, "01.01.2023", "31.01.2023", {"27-1"})->WC = "В3.2";
  Period(w, "01.03.2023", "31.03.2023", {"27-1"})->WC = "В3.1";
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2023", "28.02.2023", "27-1", true, "В3.2");
  ListPeriod(l, "01.02.2023", "28.02.2023", "27-1", true, "В3.1");  // no IS period there
  Run(2023);
  EXPECT_THAT(Errors(), ElementsAre("TUTErrors"));
  ASSERT_EQ(Rows("TUTErrors"), 1u);
  EXPECT_EQ(Cells("TUTErrors", 0)[4], "01.02.2023 - 28.02.2023");
}

TEST_F(TariffCheckTest, PartnerSearchEndsAtAPersonOfTheLaterForms) {
  TWorker* w = IsWorker("111-111-111 11");
  w->HasAT = true;
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2019", "31.03.2019", "27-1", true, "3.1");
  Run();
  EXPECT_TRUE(Errors().empty());
  EXPECT_TRUE(l->PackNum.empty());
}

TEST_F(TariffCheckTest, CorrectionOnlySetRunsPassAOnly) {
  v->fCorrPacksOnly = true;
  TWorker* w = IsWorker("111-111-111 11");
  Period(w, "01.01.2019", "31.03.2019", {"27-1"});
  TWorker* l = ListWorker("111-111-111 11");
  ListPeriod(l, "01.01.2019", "31.03.2019", "27-1", true, "3.1");
  ListPeriod(l, "01.04.2019", "30.06.2019", "27-1", false, "3.1");
  Run();
  EXPECT_THAT(Errors(), ElementsAre("TAddTariffErrors"));
  ASSERT_EQ(Rows("TAddTariffErrors"), 1u);
  EXPECT_NE(Table("TAddTariffErrors")->Record(0)->FWorkPeriod_PD, nullptr);
}

TEST_F(TariffCheckTest, TablesInTheirFixedOrder) {
  TWorker* w = IsWorker("111-111-111 11");
  Payment(w, 1000);  // no benefit period: warning
  TWorker* u = IsWorker("222-222-222 22");
  Period(u, "01.01.2019", "31.03.2019", {"27-1"});  // unpaid: error
  TWorker* l = ListWorker("222-222-222 22");
  ListPeriod(l, "01.01.2019", "31.03.2019", "27-1", false, "3.1");
  ListPeriod(l, "01.04.2019", "30.06.2019", "27-1", true, "3.1");
  Run();
  EXPECT_THAT(Warnings(), ElementsAre("TAddTariffWarnings"));
  EXPECT_THAT(Errors(), ElementsAre("TUTErrors", "TAddTariffErrors", "TUTWithoutAddTariffErrors"));
  EXPECT_EQ(Rows("TAddTariffErrors"), 2u);
}

}  // namespace
}  // namespace zz
