// The intake's progress line on a terminal.
#include <gtest/gtest.h>

#include "app/intake_progress.h"

namespace zz {
namespace {

TEST(IntakeProgressTest, OneLineThatNeverWraps) {
  std::string line = TIntakeProgress::Line(12, 2000, {"087-104-003215", "055-001-000777"}, 3725, 200);
  EXPECT_EQ(line, "Сверено 12 из 2000, осталось ≈ 1 ч 02 мин; идут: 087-104-003215 055-001-000777");
  EXPECT_EQ(TIntakeProgress::Line(0, 5, {}, -1, 80), "Сверено 0 из 5");
  // Cut to the terminal's width less one, counted in characters, not bytes.
  std::string cut = TIntakeProgress::Line(12, 2000, {"087-104-003215"}, 75, 20);
  EXPECT_EQ(cut, "Сверено 12 из 2000,");
}

TEST(IntakeProgressTest, NoEstimateBeforeAFewRunsHaveFinished) {
  EXPECT_LT(TIntakeProgress::SecondsLeft(10, 0, 100), 0);
  EXPECT_LT(TIntakeProgress::SecondsLeft(10, 2, 100), 0);
  EXPECT_DOUBLE_EQ(TIntakeProgress::SecondsLeft(10, 5, 100), 200);
}

}  // namespace
}  // namespace zz
