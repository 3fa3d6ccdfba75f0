// The list of territorial-code rights: reading, saving, which entries apply.
#include <gtest/gtest.h>

#include "settings/list_file_error.h"
#include "settings/settings.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

class RightsListTest : public test::FreshProcessTest {
 protected:
  TSettings& s = TSettings::GetInstance();
  void SetUp() override { s.FRegNum = "123-456-789012"; }
  void Load(const std::string& text) {
    test::TempDir dir;
    test::WriteFile(dir / "RightList.txt", text);
    s.TerrCodeRightListLoadFromFile((dir / "RightList.txt").string());
  }
  bool Right(const std::string& code, const char* from, const char* to, int year, int period) {
    return s.hasNordRight(code, ParseDate(from), ParseDate(to), year, period);
  }
};

TEST_F(RightsListTest, LinesReadIntoEntries) {
  Load(
      "123-456-789012/11000000\r\n123-456/00000001 01.01.2020 31.12.2022\r\n  777-000-000001  \r\n"
      "1/10101           31.12.2023\n2/11111111 01.02.2021\n\n");
  ASSERT_EQ(s.FTerrCodeRightList.size(), 5u);
  const auto& a = s.FTerrCodeRightList[0];
  EXPECT_EQ(a.FNum, "123-456-789012");
  EXPECT_TRUE(a.FMKS && a.FRKS);
  EXPECT_FALSE(a.FCZ1 || a.FCountry);
  EXPECT_EQ(a.FDateBegin, "");
  const auto& b = s.FTerrCodeRightList[1];
  EXPECT_TRUE(b.FCountry);
  EXPECT_EQ(b.FDateBegin, "01.01.2020");
  EXPECT_EQ(b.FDateEnd, "31.12.2022");
  // No slash: every code, no dates.
  const auto& c = s.FTerrCodeRightList[2];
  EXPECT_EQ(c.FNum, "777-000-000001");
  EXPECT_TRUE(c.FMKS && c.FRKS && c.FCZ1 && c.FCZ3 && c.FCZ4 && c.FCZ5 && c.FCZ6 && c.FCountry);
  // Short flag part: missing flags are off; a lone date after the placeholder is the end date.
  const auto& d = s.FTerrCodeRightList[3];
  EXPECT_TRUE(d.FMKS && d.FCZ1 && d.FCZ4);
  EXPECT_FALSE(d.FRKS || d.FCZ3 || d.FCZ5 || d.FCZ6 || d.FCountry);
  EXPECT_EQ(d.FDateBegin, "");
  EXPECT_EQ(d.FDateEnd, "31.12.2023");
  EXPECT_EQ(s.FTerrCodeRightList[4].FDateBegin, "01.02.2021");
  EXPECT_EQ(s.FTerrCodeRightList[4].FDateEnd, "");
  EXPECT_EQ(s.TerrCodeRightListGetList(),
            (std::vector<std::string>{"123-456-789012", "123-456", "777-000-000001", "1", "2"}));
}

TEST_F(RightsListTest, SaveAndReloadKeepsEveryField) {
  s.FTerrCodeRightList.emplace_back("123-456", TTerritoryRights{.MKS = true, .CZ1 = true, .CZ4 = true, .CZ6 = true}, "",
                                    "15.01.2023");
  s.FTerrCodeRightList.emplace_back("123", TTerritoryRights{.Country = true}, "01.02.2020");
  s.FTerrCodeRightList.emplace_back("9", TTerritoryRights::All());
  test::TempDir dir;
  s.TerrCodeRightListSaveToFile((dir / "r.txt").string());
  EXPECT_EQ(test::ReadFile(dir / "r.txt"),
            "123-456/10101010            15.01.2023\r\n123/00000001 01.02.2020           \r\n9/11111111\r\n");
  auto saved = s.FTerrCodeRightList;
  s.FTerrCodeRightList.clear();
  s.TerrCodeRightListLoadFromFile((dir / "r.txt").string());
  ASSERT_EQ(s.FTerrCodeRightList.size(), 3u);
  for (size_t i = 0; i < saved.size(); ++i) EXPECT_EQ(s.FTerrCodeRightList[i].ToLine(), saved[i].ToLine());
  EXPECT_EQ(s.FTerrCodeRightList[0].FDateEnd, "15.01.2023");
  EXPECT_EQ(s.FTerrCodeRightList[0].FDateBegin, "");
}

TEST_F(RightsListTest, NumberPrefixDecidesWhichEntriesApply) {
  Load("123-456/10000000\n");
  EXPECT_TRUE(Right("МКС", "01.01.2023", "31.03.2023", 2023, 1));
  s.FRegNum = "123-457-000000";
  EXPECT_FALSE(Right("all", "01.01.2023", "31.03.2023", -1, -1));
  s.FTerrCodeRightList.clear();
  Load("123-456-789012/11111111\n");
  s.FRegNum = "123-456-78901";
  EXPECT_FALSE(Right("all", "01.01.2023", "31.03.2023", -1, -1));
  s.FTerrCodeRightList.clear();
  Load("/11111111\n");
  EXPECT_FALSE(Right("all", "01.01.2023", "31.03.2023", -1, -1));
}

TEST_F(RightsListTest, BasicModeGrantsEveryCodeWhenValidityMeetsTheQuarter) {
  Load("123-456-789012/00000000            15.01.2023\n");
  EXPECT_TRUE(Right("РКС", "01.05.2023", "31.05.2023", 2023, 1));
  EXPECT_TRUE(Right("anything", "01.05.2023", "31.05.2023", 2023, 1));
  EXPECT_FALSE(Right("РКС", "01.05.2023", "31.05.2023", 2023, 2));
  EXPECT_TRUE(Right("all", "01.05.2023", "31.05.2023", 2023, 0));  // whole year
  EXPECT_FALSE(Right("all", "01.05.2023", "31.05.2023", 2024, 0));
  EXPECT_TRUE(Right("all", "01.05.2030", "31.05.2030", -1, -1));  // undated: presence only
  // The second half-year of 2010 (code 4) runs from July: a right of its third quarter meets it.
  s.FTerrCodeRightList.clear();
  Load("123-456-789012/00000000 01.07.2010 30.09.2010\n");
  EXPECT_TRUE(Right("РКС", "01.07.2010", "31.07.2010", 2010, 4));
  EXPECT_FALSE(Right("РКС", "01.07.2010", "31.07.2010", 2010, 2));
}

TEST_F(RightsListTest, ExtendedModeNeedsTheFlagAndAValidityCoveringTheWorkPeriod) {
  s.FCompareTerrCodesExtMode = true;
  Load("123-456-789012/10000000 01.01.2023 30.06.2023\n");
  EXPECT_TRUE(Right("МКС", "01.02.2023", "31.03.2023", 2023, 1));
  EXPECT_FALSE(Right("МКС", "01.06.2023", "31.07.2023", 2023, 2));
  EXPECT_FALSE(Right("РКС", "01.02.2023", "31.03.2023", 2023, 1));
  EXPECT_FALSE(Right("мкс", "01.02.2023", "31.03.2023", 2023, 1));
  // "all" in a dated call stands for 1900..2099 and needs an unlimited entry.
  EXPECT_FALSE(Right("all", "01.02.2023", "31.03.2023", 2023, 1));
  EXPECT_TRUE(Right("all", "01.02.2023", "31.03.2023", -1, -1));
  Load("123-456-789012/00000001\n");
  EXPECT_TRUE(Right("all", "01.02.2023", "31.03.2023", 2023, 1));
  EXPECT_TRUE(Right("СЕЛО", "01.02.2023", "31.03.2023", 2023, 1));
  // A later entry grants what an earlier one's flags do not.
  EXPECT_FALSE(Right("Ч35", "01.02.2023", "31.03.2023", 2023, 1));
  Load("123-456-789012/00000100\n");
  EXPECT_TRUE(Right("Ч35", "01.02.2023", "31.03.2023", 2023, 1));
}

TEST_F(RightsListTest, InvalidDateFailsOnlyDatedCalls) {
  // A file with such a date is refused when it is loaded, naming its line; an entry made otherwise
  // fails the dated calls that consult it.
  EXPECT_THROW(Load("123-456-789012/11111111\n123-456-789012/11111111 32.13.2023 31.12.2023\n"), TListFileError);
  s.FTerrCodeRightList.clear();
  s.FTerrCodeRightList.emplace_back("123-456-789012", TTerritoryRights::All(), "32.13.2023", "31.12.2023");
  EXPECT_THROW(Right("МКС", "01.02.2023", "31.03.2023", 2023, 1), std::runtime_error);
  EXPECT_TRUE(Right("all", "01.02.2023", "31.03.2023", -1, -1));
}

}  // namespace
}  // namespace zz
