// Worker matching with the named list: pairing by insurance number, full names, 27-ПД hours,
// workers missing from the list, pack summaries.
#include "name_list_fixture.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class NameListMatchTest : public test::NameListTest {
 protected:
  void Match() { ver.MatchNameListWorkers(list, is); }
};

TEST_F(NameListMatchTest, PairsBenefitWorkersAndReportsTheMissingOnes) {
  Period(IS("111-111-111 11"), "01.01", "31.03", {"27-1"});
  TWorker* first = Listed("111-111-111 11");
  TWorker* second = Listed("111-111-111 11");  // the same number again: never paired
  Period(IS("222-222-222 22"), "01.01", "31.03", {});
  TWorker* noBenefitListed = Listed("222-222-222 22");
  TWorker* missing = IS("333-333-333 33", "ПЕТРОВ", "5");
  Period(missing, "01.01", "31.01", {"27-2"}, 1.0, "23200000-13786");
  Period(missing, "01.03", "31.03", {"27-1"});
  missing->MergedWorkPeriods.push_back(nullptr);
  is.push_back(nullptr);
  list.fWorkers.insert(list.fWorkers.begin(), nullptr);

  Match();
  EXPECT_TRUE(first->FoundInPds);
  EXPECT_FALSE(second->FoundInPds);
  EXPECT_FALSE(noBenefitListed->FoundInPds);  // a worker without a benefit is neither paired nor reported
  EXPECT_THAT(Errors(), ElementsAre("TPdInsNumErrors"));
  EXPECT_THAT(Warnings(), IsEmpty());
  ASSERT_EQ(Rows("TPdInsNumErrors"), 2u);
  EXPECT_THAT(Row("TPdInsNumErrors"), ElementsAre("5", "3", "333-333-333 33", "ПЕТРОВ И.И.", "01.01.2023", "31.01.2023",
                                                  "27-2", "23200000-13786"));
  EXPECT_EQ(Row("TPdInsNumErrors", 1).at(6), "27-1");
}

TEST_F(NameListMatchTest, FullNamesAreComparedAsOneConcatenatedText) {
  Period(IS("111-111-111 11", "СИДОРОВ"), "01.01", "31.03", {"27-1"});
  Listed("111-111-111 11", "СИДОРОВ", "12")->Patronymic = "ИВАНОВИЧ ";  // a trailing blank counts
  TWorker* split = IS("222-222-222 22", "АБ");
  split->Name = "ВГ";
  Period(split, "01.01", "31.03", {"27-1"});
  Listed("222-222-222 22", "А")->Name = "БВГ";  // "АБ"+"ВГ" is "А"+"БВГ"

  Match();
  EXPECT_THAT(Errors(), ElementsAre("TFullNameErrors"));
  EXPECT_THAT(Row("TFullNameErrors"), ElementsAre("1", "1", "111-111-111 11", "СИДОРОВ", "ИВАН", "ИВАНОВИЧ", "12",
                                                  "СИДОРОВ", "ИВАН", "ИВАНОВИЧ "));
  EXPECT_EQ(Rows("TFullNameErrors"), 1u);
}

TEST_F(NameListMatchTest, HoursMismatchIsAnErrorForPdrkAndAWarningForPd) {
  TWorker* pdrk = IS("111-111-111 11");
  Period(pdrk, "01.01", "31.01", {"27-ПДРК"})->PDRKHours = 70;
  Period(pdrk, "01.02", "28.02", {"27-ПДРК"})->PDRKHours = 50;
  Period(Listed("111-111-111 11"), "01.01", "28.02", {"27-ПДРК"})->PDRKHours = 110;

  TWorker* pd = IS("222-222-222 22");
  TWorkPeriod* a = Period(pd, "01.01", "31.01", {"27-ПД"});
  a->PDRKHours = 10;
  a->PDRKMinutes = 30;
  TWorkPeriod* leave = Period(pd, "01.02", "28.02", {"27-ПД"});
  leave->PDRKHours = 40;
  leave->AddPdData._Set("ДЕКРЕТ");  // a no-benefit code: not counted
  TWorkPeriod* unpaid = Period(pd, "01.03", "31.03", {"27-ПД"});
  unpaid->PDRKMinutes = 45;
  unpaid->AddPdData._Set("НЕОПЛ");  // not a no-benefit code: counted
  Period(pd, "01.04", "30.04", {"27-1"})->PDRKHours = 99;
  TWorker* pdListed = Listed("222-222-222 22");
  Period(pdListed, "01.01", "31.01", {"27-ПД"})->PDRKHours = 11;
  TWorkPeriod* listLeave = Period(pdListed, "01.02", "28.02", {"27-ПД"});
  listLeave->PDRKHours = 1;
  listLeave->AddPdData._Set("ДЕКРЕТ");  // the list side skips nothing

  // Equal totals, and a list with hours for a worker without 27-ПД in the IS: no row.
  Period(IS("333-333-333 33"), "01.01", "31.03", {"27-ПДРК"})->PDRKHours = 5;
  Period(Listed("333-333-333 33"), "01.01", "31.03", {"27-ПДРК"})->PDRKHours = 5;
  Period(IS("444-444-444 44"), "01.01", "31.03", {"27-1"});
  Period(Listed("444-444-444 44"), "01.01", "31.03", {"27-ПД"})->PDRKHours = 5;

  Match();
  EXPECT_THAT(Errors(), ElementsAre("TPrincipalErrors"));
  EXPECT_THAT(Warnings(), ElementsAre("TTeacherWarnings"));
  EXPECT_THAT(Row("TPrincipalErrors"), ElementsAre("27-ПДРК", "1", "1", "111-111-111 11", "ИВАНОВ И.И.",
                                                   "120 часов 0 минут", "110 часов 0 минут"));
  // The bases shown are those of the worker's last merged period.
  EXPECT_THAT(Row("TTeacherWarnings"),
              ElementsAre("27-1", "1", "2", "222-222-222 22", "ИВАНОВ И.И.", "11 часов 15 минут", "12 часов 0 минут"));
  EXPECT_EQ(Rows("TPrincipalErrors") + Rows("TTeacherWarnings"), 2u);
}

TEST_F(NameListMatchTest, TablesFollowTheirFixedOrder) {
  Period(IS("444-444-444 44"), "01.01", "31.03", {"27-1"});  // missing from the list
  Period(IS("333-333-333 33", "ПЕТРОВ"), "01.01", "31.03", {"27-1"});
  Listed("333-333-333 33", "ПЕТРОВА");
  Period(IS("222-222-222 22"), "01.01", "31.03", {"27-ПД"})->PDRKHours = 1;
  Listed("222-222-222 22");
  Period(IS("111-111-111 11"), "01.01", "31.03", {"27-ПДРК"})->PDRKHours = 1;

  Match();
  // The worker missing from the list also gets his hours row, against none in the list.
  EXPECT_THAT(Errors(), ElementsAre("TPrincipalErrors", "TFullNameErrors", "TPdInsNumErrors"));
  EXPECT_THAT(Warnings(), ElementsAre("TTeacherWarnings"));
  EXPECT_EQ(Row("TPrincipalErrors").at(6), "0 часов 0 минут");
}

TEST_F(NameListMatchTest, TerritorialOnlyBenefitLowersTheFirstPackSummaryOfItsNumber) {
  auto pack = [](const char* num, int count) {
    TPDPackData p;
    p.fNum = num;
    p.fLgotWorkers = count;
    return p;
  };
  ver.fPDData.FInitPacks = {pack("1", 3), pack("5", 4), pack("5", 4)};
  ver.fPDData.FCorrPacks = {pack("5", 2), pack("6", 2)};
  TWorker* village = IS("111-111-111 11", "ИВАНОВ", "5");
  Period(village, "01.01", "31.03", {})->TerritoryCondition = "СЕЛО";
  village->HasLgotBasis = true;
  Period(IS("222-222-222 22", "ИВАНОВ", "5"), "01.01", "31.03", {"27-1"});

  Match();
  auto counts = [](const std::vector<TPDPackData>& packs) {
    std::vector<int> c;
    for (const auto& p : packs) c.push_back(p.fLgotWorkers);
    return c;
  };
  EXPECT_THAT(counts(ver.fPDData.FInitPacks), ElementsAre(3, 3, 4));
  EXPECT_THAT(counts(ver.fPDData.FCorrPacks), ElementsAre(1, 2));
}

}  // namespace
}  // namespace zz
