// The command line: batch selector, windowed and portable forms, directories and flags.
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
  // Any batch form followed by "p" is portable; "p" is never taken for the protocol directory.
  for (const char* p : {"p", "P"}) {
    TCommandLine dirP = ParseCommandLine({"zazoru", "bpi", "/nowhere", p});
    EXPECT_TRUE(dirP.Batch && dirP.Portable) << p;
    EXPECT_EQ(dirP.DirPD.value_or(""), "/nowhere");
    EXPECT_FALSE(dirP.DirReport.has_value()) << p;
  }
  TCommandLine reportP = ParseCommandLine({"zazoru", "bpi", "/nowhere", "/reports", "p"});
  EXPECT_TRUE(reportP.Portable);
  EXPECT_EQ(reportP.DirReport.value_or(""), "/reports");
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
  // A directory of the path named "bpi..." follows a "/": the path still selects the directory form.
  TCommandLine slash = ParseCommandLine({"/tmp/x/bpidir/zazoru", "/data/is", "/reports"});
  EXPECT_TRUE(slash.Batch);
  EXPECT_EQ(slash.DirPD.value_or(""), "/data/is");
  EXPECT_EQ(slash.DirReport.value_or(""), "/reports");
  EXPECT_EQ(slash.RegNum.value_or("?"), "");
  // Only a real argument selects the number form.
  EXPECT_EQ(ParseCommandLine({"/usr/bin/zazoru", "/BPI", "123-456-789012"}).RegNum.value_or(""), "123-456-789012");
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
  // Names in an 8-bit code page: a byte that starts no valid UTF-8 sequence is one character.
  EXPECT_EQ(RegNumInFileName("\xDE"
                             "123-456-789012.xml"),
            "123-456-789012");  // "Ю" in windows-1251
  EXPECT_EQ(RegNumInFileName("\xFF"
                             "123-456-789012.xml"),
            "123-456-789012");
  EXPECT_EQ(RegNumInFileName("\xD4\xC7\xC6_123-456-789012_\xD1\xC7\xC2.xml"), "123-456-789012");
  EXPECT_EQ(RegNumInFileName("\xE0"
                             "12-345-678901.xml"),
            "");  // still two digits before the hyphen
}

TEST(CommandLineTest, NumbersInNamesThatAreNotUtf8) {
  test::TempDir dir;
  test::WriteFile(dir /
                      "\xDE"
                      "123-456-789012.xml",
                  "");
  TCommandLine line = ParseCommandLine({"zazoru", "bpi", dir.path().string()});
  EXPECT_EQ(line.RegNum.value_or(""), "123-456-789012");
}

}  // namespace
}  // namespace zz
