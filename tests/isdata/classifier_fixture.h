#pragma once
// Fills the process-wide classifier lists with a small set of our own and empties them afterwards.
#include <gtest/gtest.h>

#include "settings/classifiers.h"

namespace zz::test {

class ClassifierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& c = Classifiers();
    c.clear();
    c[ctAddPdData] = {"АДМИНИСТР", "НЕОПЛ", "ВРНЕТРУД", "ДЕТИ", "ДЛДЕТИ", "ДЕКРЕТ", "ДЛОТПУСК", "СЕЗОННАЯ", "ДОГОВОР"};
    c[ctAddPdDataRsv] = {"ДОГОВОР", "НЕТАКОГО", "НЕОПЛ"};
    c[ctAddStag] = {"", "СЕЗОН"};
    c[ctReplaceFrom] = {"28-", "СТАРЫЙ"};
    c[ctReplaceTo] = {"27-", "НОВЫЙ"};
  }
  void TearDown() override { Classifiers().clear(); }
};

}  // namespace zz::test
