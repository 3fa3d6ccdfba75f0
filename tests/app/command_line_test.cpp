#include <gtest/gtest.h>

#include "app/command_line.h"
#include "support/test_support.h"

namespace zz {
namespace {

TEST(CommandLineTest, BatchSelectorInAnyLetterCaseAndPosition) {
  for (const char* selector : {"bpi", "BPI", "Bpi", "-bpi", "xbpiy"}) {
    TCommandLine line = ParseCommandLine({"/usr/bin/zazoru", selector, "/nowhere", "/reports"});
    EXPECT_TRUE(line.Batch) << selector;
    EXPECT_EQ(line.DirPD.value_or("?"), "/nowhere");
    EXPECT_EQ(line.DirReport.value_or("?"), "/reports");
    EXPECT_EQ(line.RegNum.value_or("?"), "");  // no directory, no number
  }
  TCommandLine numberForm = ParseCommandLine({"zazoru", "/BPI", "123-456-789012"});
  EXPECT_TRUE(numberForm.Batch);
  EXPECT_EQ(numberForm.RegNum.value_or(""), "123-456-789012");
  EXPECT_FALSE(numberForm.DirPD.has_value());
  EXPECT_FALSE(numberForm.DirReport.has_value());
}

TEST(CommandLineTest, WindowedAndPortableForms) {
  TCommandLine none = ParseCommandLine({"zazoru"});
  EXPECT_FALSE(none.Batch);
  EXPECT_FALSE(none.Portable);
  EXPECT_TRUE(ParseCommandLine({"zazoru", "P"}).Portable);
  EXPECT_TRUE(ParseCommandLine({"zazoru", "p"}).Portable);
  EXPECT_FALSE(ParseCommandLine({"zazoru", "-p"}).Portable);
  EXPECT_FALSE(ParseCommandLine({"zazoru", "pp"}).Portable);
  TCommandLine batchPortable = ParseCommandLine({"zazoru", "/bpi", "123-456-789012", "p"});
  EXPECT_TRUE(batchPortable.Batch && batchPortable.Portable);
  // A value after the selector is examined for the portable switch too.
  TCommandLine valueP = ParseCommandLine({"zazoru", "/bpi", "p"});
  EXPECT_TRUE(valueP.Portable);
  EXPECT_EQ(valueP.RegNum.value_or(""), "p");
}

TEST(CommandLineTest, SelectorWithoutValueAndSecondSelector) {
  TCommandLine bare = ParseCommandLine({"zazoru", "bpi"});
  EXPECT_TRUE(bare.Batch);
  EXPECT_FALSE(bare.RegNum.has_value() || bare.DirPD.has_value() || bare.DirReport.has_value());
  TCommandLine twice = ParseCommandLine({"zazoru", "/bpi", "111-111-111111", "/bpi", "222-222-222222"});
  EXPECT_EQ(twice.RegNum.value_or(""), "111-111-111111");
}

TEST(CommandLineTest, ProgramPathIsExaminedToo) {
  TCommandLine line = ParseCommandLine({"/opt/zbpi-tools/zazoru", "/data/is"});
  EXPECT_TRUE(line.Batch);
  EXPECT_EQ(line.DirPD.value_or(""), "/data/is");
  EXPECT_FALSE(line.DirReport.has_value());
}

TEST(CommandLineTest, RegistrationNumberTakenFromTheDirectorysFileNames) {
  test::TempDir dir;
  test::WriteFile(dir / "b_777-777-777777.xml", "");
  test::WriteFile(dir / "a_123-456-789012_1.XML", "");
  test::WriteFile(dir / "a_123-456-789012_2.xml", "");
  test::WriteFile(dir / "000-000-000000.zip", "");
  EXPECT_EQ(RegNumsFromFileNames(dir.path()), (std::vector<std::string>{"123-456-789012", "777-777-777777"}));
  TCommandLine line = ParseCommandLine({"zazoru", "bpi", dir.path().string()});
  EXPECT_EQ(line.RegNum.value_or(""), "123-456-789012");
  EXPECT_TRUE(RegNumsFromFileNames(dir / "missing").empty());
}

TEST(CommandLineTest, NumberSearchInOneName) {
  EXPECT_EQ(RegNumInFileName("x123-456-789012y.xml"), "123-456-789012");
  EXPECT_EQ(RegNumInFileName("12-345-678901.xml"), "");
  EXPECT_EQ(RegNumInFileName("a-b-123-456-789012.xml"), "123-456-789012");
  EXPECT_EQ(RegNumInFileName("ФЗЖ_СЗВ-СТАЖ_123-456-789012_0001.xml"), "123-456-789012");
  EXPECT_EQ(RegNumInFileName("123-45a-789012.xml"), "");
  EXPECT_EQ(RegNumInFileName("123-456-78901.xml"), "");
  EXPECT_EQ(RegNumInFileName("short.xml"), "");
  EXPECT_EQ(RegNumInFileName("--------------------"), "");
}

}  // namespace
}  // namespace zz
