// The territorial-code check (verifyTerrCodes) against a small rights list of our own.
#include <gtest/gtest.h>

#include "period_fixture.h"
#include "results/result_records.h"
#include "results/result_tables.h"
#include "settings/settings.h"
#include "verify/verification.h"

namespace zz {
namespace {

using Strings = std::vector<std::string>;

const char* const kAskTheEmployer =
    "Необходимо уточнить право организации на проставление кодов территориальных условий";

class TerrCodeCheckTest : public test::PeriodFixture {
 protected:
  TerrCodeCheckTest() {
    settings.FRegNum = "123-456-789012";
    settings.fCompareTerrCodes = true;
    v = std::make_unique<TVerification>(arena, params);
  }

  // The organisation may use "МКС" from the given date on.
  void GrantMKS(const char* from = "01.01.2023", const char* until = "") {
    settings.FTerrCodeRightList.emplace_back("123-456", TTerritoryRights{.MKS = true}, from, until);
  }
  // An IS period with a territorial code, recorded the way the pack reader records it.
  TWorkPeriod* Coded(const char* code, const char* start, const char* finish,
                     const std::string& sn = "111-222-333 44") {
    TWorker* w = Worker(sn);
    TWorkPeriod* p = Add(w, start, finish);
    p->TerritoryCondition = code;
    p->TerritoryCoeff = "1.5";
    v->fTerrCodes.push_back(std::make_unique<TTerrCodeData>(TISSide{w, p}));
    return p;
  }
  std::vector<Strings> ErrorRows() const {
    std::vector<Strings> rows;
    for (const auto& block : v->FErrorResults) {
      auto* table = dynamic_cast<const TTerrCodeErrors*>(block.get());
      EXPECT_TRUE(table);
      if (!table) continue;
      for (size_t i = 0; i < table->Count(); ++i) rows.push_back(table->Record(i)->Cells());
    }
    return rows;
  }

  TRunParams& settings = params;
  std::unique_ptr<TVerification> v;
};

TEST_F(TerrCodeCheckTest, SwitchedOffReportsNothing) {
  settings.fCompareTerrCodes = false;
  Coded("МКС", "01.01.2023", "31.03.2023");
  v->verifyTerrCodes(2023, 1);
  GrantMKS();
  v->fTerrCodes.clear();
  v->verifyTerrCodes(2023, 1);
  EXPECT_TRUE(v->FErrorResults.empty());
  EXPECT_TRUE(v->fWarningResults.empty());
}

TEST_F(TerrCodeCheckTest, RightForThePeriodButNoCodesAsksTheEmployer) {
  GrantMKS();
  v->verifyTerrCodes(2023, 1);
  EXPECT_TRUE(v->FErrorResults.empty());
  ASSERT_EQ(v->fWarningResults.size(), 1u);
  auto* warning = dynamic_cast<const TTerrCodeWarning*>(v->fWarningResults[0].get());
  ASSERT_TRUE(warning);
  EXPECT_FALSE(warning->IsError);
  EXPECT_EQ(warning->FPackNum, "all");
  EXPECT_EQ(warning->FMessage, kAskTheEmployer);

  // A right that ended before the set's period is no right for it.
  auto late = std::make_unique<TVerification>(arena, params);
  settings.FTerrCodeRightList.clear();
  GrantMKS("01.01.2019", "31.12.2020");
  late->verifyTerrCodes(2023, 1);
  EXPECT_TRUE(late->fWarningResults.empty());
  EXPECT_TRUE(late->FErrorResults.empty());
}

TEST_F(TerrCodeCheckTest, SimpleModeAsksOnlyWhetherThereIsAnyRight) {
  // A right of other years still counts: the question ignores dates.
  GrantMKS("01.01.2019", "31.12.2020");
  Coded("РКС", "01.01.2023", "31.03.2023");
  v->verifyTerrCodes(2023, 1);
  EXPECT_TRUE(v->FErrorResults.empty());
  EXPECT_TRUE(v->fWarningResults.empty());
}

TEST_F(TerrCodeCheckTest, SimpleModeWithoutAnyRightReportsEveryCode) {
  settings.FTerrCodeRightList.emplace_back("999-999", TTerritoryRights::All());
  Coded("МКС", "01.01.2023", "31.01.2023", "111-111-111 11");
  Coded("СЕЛО", "01.02.2023", "31.03.2023", "222-222-222 22");
  v->verifyTerrCodes(2023, 1);
  EXPECT_TRUE(v->fWarningResults.empty());
  ASSERT_EQ(v->FErrorResults.size(), 1u);
  EXPECT_TRUE(v->FErrorResults[0]->IsError);
  EXPECT_EQ(ErrorRows(), (std::vector<Strings>{
                             {"5", "111-111-111 11", "ПЕТРОВ П.П.", "01.01.2023 - 31.01.2023", "МКС", "1.5"},
                             {"5", "222-222-222 22", "ПЕТРОВ П.П.", "01.02.2023 - 31.03.2023", "СЕЛО", "1.5"},
                         }));

  // Without codes there is nothing to report and nothing to ask.
  auto none = std::make_unique<TVerification>(arena, params);
  none->verifyTerrCodes(2023, 1);
  EXPECT_TRUE(none->FErrorResults.empty());
  EXPECT_TRUE(none->fWarningResults.empty());
}

TEST_F(TerrCodeCheckTest, ExtendedModeTestsEachCodeOnItsOwnDates) {
  settings.FCompareTerrCodesExtMode = true;
  GrantMKS("01.01.2023");
  Coded("МКС", "01.01.2023", "31.03.2023", "111-111-111 11");  // granted
  Coded("РКС", "01.01.2023", "31.03.2023", "222-222-222 22");  // another code
  Coded("МКС", "01.12.2022", "31.03.2023", "333-333-333 33");  // starts before the right
  v->verifyTerrCodes(2023, 1);
  EXPECT_TRUE(v->fWarningResults.empty());
  std::vector<Strings> rows = ErrorRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][1], "222-222-222 22");
  EXPECT_EQ(rows[1][1], "333-333-333 33");
  EXPECT_EQ(rows[1][3], "01.12.2022 - 31.03.2023");
}

}  // namespace
}  // namespace zz
