// Shared texts: one place per distinct value, the own-copy fallback past the pool's limit, threads.
#include "base/shared_text.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace zz {
namespace {

TEST(SharedTextTest, EqualValuesShareOnePlaceAndPastTheLimitEachHolderKeepsItsOwnCopy) {
  TSharedText a("27-ГД"), b(std::string("27-") + "ГД");
  EXPECT_EQ(&a.str(), &b.str());
  EXPECT_EQ(a, "27-ГД");
  EXPECT_EQ("(" + a + ")", "(27-ГД)");
  EXPECT_TRUE(TSharedText().empty());

  const size_t before = TSharedText::PoolCount();
  const size_t limit = TSharedText::SetPoolLimit(TSharedText::PoolBytes());
  std::vector<TSharedText> own;
  for (int i = 0; i < 100; ++i) own.emplace_back("особый код " + std::to_string(i));
  TSharedText copy = own[7];
  own[7] = "другой";
  own.erase(own.begin(), own.begin() + 50);  // moves and frees own copies
  TSharedText::SetPoolLimit(limit);

  EXPECT_EQ(TSharedText::PoolCount(), before);  // the pool did not grow past its limit
  EXPECT_EQ(copy, "особый код 7");
  EXPECT_EQ(own.front(), "особый код 50");
  EXPECT_EQ(own.back(), "особый код 99");
  EXPECT_EQ(TSharedText(own.back().str()), own.back());  // an own copy equals the pooled value
  EXPECT_EQ(TSharedText("27-ГД").str(), a.str());        // pooled values still come from the pool
}

TEST(SharedTextTest, TwoThreadsGetTheSamePlaceForTheSameText) {
  std::vector<const std::string*> first(2000), second(2000);
  auto fill = [](std::vector<const std::string*>& out) {
    for (size_t i = 0; i < out.size(); ++i) out[i] = &TSharedText("поток " + std::to_string(i % 500)).str();
  };
  std::thread other(fill, std::ref(first));
  fill(second);
  other.join();
  EXPECT_EQ(first, second);
  EXPECT_EQ(*first[501], "поток 1");
}

}  // namespace
}  // namespace zz
