// The re-registration list: chains, order, cycles, damaged lines.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

class CrossListTest : public test::FreshProcessTest {
 protected:
  TSettings& s = TSettings::GetInstance();
};

TEST_F(CrossListTest, NumberBeforeALaterReRegistration) {
  s.CrossListAddElement("A", "B", 2021, 3);
  s.FRegNum = "B";
  EXPECT_EQ(s.GetActualRegNum(2021, 2), "A");
  EXPECT_EQ(s.GetActualRegNum(2021, 3), "B");
  EXPECT_EQ(s.GetActualRegNum(2022, 1), "B");
  s.FRegNum = "b";  // exact comparison
  EXPECT_EQ(s.GetActualRegNum(2020, 1), "b");
}

TEST_F(CrossListTest, ChainsFollowedAcrossPassesInListOrder) {
  s.CrossListAddElement("B", "C", 2022, 3);
  s.CrossListAddElement("A", "B", 2019, 1);
  s.FRegNum = "C";
  EXPECT_EQ(s.GetActualRegNum(2018, 4), "A");
  EXPECT_EQ(s.GetActualRegNum(2020, 1), "B");
  EXPECT_EQ(s.GetActualRegNum(2022, 3), "C");
  s.FCrossList.clear();
  // Reverse order needs a second pass.
  s.CrossListAddElement("A", "B", 2019, 1);
  s.CrossListAddElement("B", "C", 2022, 3);
  EXPECT_EQ(s.GetActualRegNum(2018, 4), "A");
}

TEST_F(CrossListTest, CircularListStops) {
  s.CrossListAddElement("A", "B", 2022, 1);
  s.CrossListAddElement("B", "A", 2022, 1);
  s.FRegNum = "B";
  EXPECT_EQ(s.GetActualRegNum(2020, 1), "A");
  s.CrossListAddElement("C", "C", 2023, 1);
  s.FRegNum = "C";
  EXPECT_EQ(s.GetActualRegNum(2020, 1), "C");
}

TEST_F(CrossListTest, FileRoundTripAndBrokenLines) {
  test::TempDir dir;
  s.CrossListAddElement("123-456-000001", "123-456-000002", 2021, 3);
  s.CrossListAddElement("123-456-000002", "123-456-000003", 2023, 1);
  s.CrossListSaveToFile((dir / "c.txt").string());
  EXPECT_EQ(test::ReadFile(dir / "c.txt"),
            "123-456-000001/123-456-000002/2021/3\r\n123-456-000002/123-456-000003/2023/1\r\n");
  s.FCrossList.clear();
  s.CrossListLoadFromFile((dir / "c.txt").string());
  ASSERT_EQ(s.FCrossList.size(), 2u);
  EXPECT_EQ(s.FCrossList[1].FERegNum, "123-456-000003");
  EXPECT_EQ(s.FCrossList[1].FCrossYear, 2023);
  EXPECT_EQ(s.FCrossList[1].FCrossPeriod, 1);

  test::WriteFile(dir / "bad.txt", "A/B/20x1/3\n");
  EXPECT_THROW(s.CrossListLoadFromFile((dir / "bad.txt").string()), std::runtime_error);
  test::WriteFile(dir / "shift.txt", "A/B/02021/3\n");  // the year's own length is cut: "/3" remains
  EXPECT_THROW(s.CrossListLoadFromFile((dir / "shift.txt").string()), std::runtime_error);
}

}  // namespace
}  // namespace zz
