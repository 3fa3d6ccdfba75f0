// Additional IS data of a period: flags, details, merging.
#include <gtest/gtest.h>

#include "base/dates.h"
#include "classifier_fixture.h"
#include "isdata/work_period.h"

namespace zz {
namespace {

class AddPdDataTest : public test::ClassifierTest {
 protected:
  void SetUp() override {
    ClassifierTest::SetUp();
    period = std::make_unique<TWorkPeriod>();
    period->Start = MakeDate(2023, 1, 1);
    period->Finish = MakeDate(2023, 1, 31);
  }
  std::unique_ptr<TWorkPeriod> period;
};

TEST_F(AddPdDataTest, SetAndLookUp) {
  TAddPdData& data = period->AddPdData;
  EXPECT_EQ(data.FData.size(), 9u);
  EXPECT_FALSE(data.HasData());
  EXPECT_FALSE(data._Set("НЕИЗВЕСТНЫЙ"));
  EXPECT_FALSE(data.HasData());
  EXPECT_TRUE(data._Set("ДЕКРЕТ"));
  EXPECT_TRUE(data._Set("админиСТР"));  // the list's look-up ignores case
  EXPECT_TRUE(data.ValueByType(epdParentalLeave));
  EXPECT_TRUE(data.ValueByIndex(0));
  EXPECT_FALSE(data.ValueByIndex(100));
  EXPECT_FALSE(data.ValueByName("КВАЛИФОБ"));  // not in the list at all
  EXPECT_EQ(data.NameByIndex(5), "ДЕКРЕТ");
  EXPECT_EQ(TAddPdData::NameByType(epdLongLeave), "ДЛОТПУСК");
  EXPECT_EQ(TAddPdData::NameByType(epdAddVacation), "ДЛОТПУСК");
  EXPECT_EQ(data.ToString(), "АДМИНИСТР, ДЕКРЕТ");  // list order, not setting order
  EXPECT_TRUE(period->HasNoLgotAddPdData());
}

TEST_F(AddPdDataTest, Details) {
  TAddPdData& data = period->AddPdData;
  EXPECT_EQ(data.DetailByType(epdChildren), "");
  data._Set("ДЕТИ");
  data._Set("НЕОПЛ");
  data._Set("ДОГОВОР");
  EXPECT_EQ(data.DetailByType(epdChildren), "01.01.2023 - 31.01.2023 (ДЕТИ)");
  // РСВ-1 entries in their own order; an entry unknown to ctAddPdData is skipped.
  EXPECT_EQ(data.DetailByRSV(), "01.01.2023 - 31.01.2023 (ДОГОВОР), 01.01.2023 - 31.01.2023 (НЕОПЛ)");
}

TEST(FlagBitsTest, FlagsPastTheFirstWordSurviveGrowthAndCopies) {
  TFlagBits flags;
  flags.Grow(9);
  EXPECT_FALSE(flags.Any());
  flags.Set(3);
  flags.Set(130);  // a classifier longer than the flags kept in place
  flags.Set(70);
  TFlagBits copy = flags;
  flags.Set(64);
  EXPECT_EQ(copy.size(), 131u);
  EXPECT_TRUE(copy[3] && copy[70] && copy[130]);
  EXPECT_FALSE(copy[64] || copy[4] || copy[200]);
  EXPECT_TRUE(flags[64]);
  TFlagBits high;
  high.Set(100);
  EXPECT_TRUE(high.Any());
}

TEST_F(AddPdDataTest, MergeAndEquals) {
  TWorkPeriod other;
  other.AddPdData._Set("ДЕТИ");
  period->AddPdData._Set("НЕОПЛ");
  EXPECT_FALSE(period->AddPdData.Equals(&other.AddPdData));
  EXPECT_FALSE(period->AddPdData.Equals(nullptr));
  period->AddPdData.Merge(other.AddPdData);
  EXPECT_EQ(period->AddPdData.ToString(), "НЕОПЛ, ДЕТИ");
  other.AddPdData._Set("НЕОПЛ");
  EXPECT_TRUE(period->AddPdData.Equals(&other.AddPdData));
}

}  // namespace
}  // namespace zz
