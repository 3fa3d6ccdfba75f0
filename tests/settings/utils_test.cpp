// Period codes, string arrays and other shared utilities.
#include <gtest/gtest.h>

#include <tuple>

#include "base/dates.h"
#include "base/reporting_period.h"
#include "base/strings.h"
#include "base/utils.h"
#include "settings/classifiers.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

TEST(UtilsTest, QuarterOfPeriodCodeFollowsTheFormatOfEachYear) {
  EXPECT_EQ(QuarterOfPeriodCode(2015, 6), 2);
  EXPECT_EQ(QuarterOfPeriodCode(2015, 2), -1);
  EXPECT_EQ(QuarterOfPeriodCode(2020, 0), 4);
  EXPECT_EQ(QuarterOfPeriodCode(2020, 4), -1);
  EXPECT_EQ(QuarterOfPeriodCode(1995, 4), -1);
  EXPECT_EQ(QuarterOfPeriodCode(1996, 3), 3);
  EXPECT_EQ(QuarterOfPeriodCode(1996, 0), -1);
  EXPECT_EQ(QuarterOfPeriodCode(2000, 2), 2);
  EXPECT_EQ(QuarterOfPeriodCode(2001, 5), 1);
  EXPECT_EQ(QuarterOfPeriodCode(2001, 9), 4);
  EXPECT_EQ(QuarterOfPeriodCode(2009, 1), -1);
  EXPECT_EQ(QuarterOfPeriodCode(2010, 1), 2);
  EXPECT_EQ(QuarterOfPeriodCode(2010, 3), -1);
  EXPECT_EQ(QuarterOfPeriodCode(2013, 3), 3);
  EXPECT_EQ(QuarterOfPeriodCode(2016, 9), 3);
}

TEST(UtilsTest, StringArrayMatching) {
  std::vector<std::string> values{"ВЛ", "", "27-1"};
  EXPECT_EQ(IndexOfFirstMatch("ВЛ-1", values), 0);
  EXPECT_EQ(IndexOfFirstMatch("x27-1x", values), 2);
  EXPECT_EQ(IndexOfFirstMatch("", values), 1);  // an empty value matches only an empty text
  EXPECT_EQ(IndexOfFirstMatch("zzz", values), -1);
  EXPECT_TRUE(InStringArray(values, "27-1"));
  EXPECT_FALSE(InStringArray(values, "27-10"));
  EXPECT_TRUE(AnyInStringArray(values, {"a", "ВЛ"}));
}

TEST(UtilsTest, The2010HalfYearsAndTheQuartersOfOtherYears) {
  for (auto [code, ordinal, firstQuarter] : {std::tuple{2, 1, 1}, {4, 2, 3}, {0, 1, 1}, {3, 2, 3}}) {
    EXPECT_EQ(PeriodOrdinal(2010, code), ordinal) << code;
    EXPECT_EQ(FirstQuarterOfPeriod(2010, code), firstQuarter) << code;
  }
  EXPECT_EQ(PeriodCode(2010, 1), 2);
  EXPECT_EQ(PeriodCode(2010, 2), 4);
  EXPECT_EQ(PeriodsInYear(2010), 2);
  EXPECT_EQ(MonthsPerPeriod(2010), 6);
  for (int q = 1; q <= 4; ++q) {
    EXPECT_EQ(PeriodOrdinal(2011, q), q);
    EXPECT_EQ(PeriodCode(2015, q), q);
    EXPECT_EQ(FirstQuarterOfPeriod(2015, q), q);
  }
  EXPECT_EQ(PeriodsInYear(2011), 4);
  EXPECT_EQ(MonthsPerPeriod(2011), 3);
}

TEST(UtilsTest, VersionStrings) {
  TRunParams s;
  EXPECT_EQ(s.Version(), s.FullVersion().substr(0, 5));
  EXPECT_TRUE(TryParseDate(s.AppDate()).has_value());
}

TEST(UtilsTest, QueryUrlEncodesCredentialsAndNumber) {
  test::ResetProcessState();
  TSettings& s = TSettings::GetInstance();
  s.FULMachine = "127.0.0.1";
  s.FULPort = "8080";
  s.FULAppName = "list4";
  s.FULLogin = ScrambleText("ив&an", kLoginKey);
  s.FULPass = ScrambleText("p#ss word", kPasswordKey);
  EXPECT_EQ(s.GetULQueryURL("123-456-789012", 2023, 4),
            "http://127.0.0.1:8080/list4/GetList?user=%D0%B8%D0%B2%26an&pass=p%23ss%20word"
            "&regNum=123-456-789012&year=2023&quarter=4");
  test::ResetProcessState();
}

TEST(UtilsTest, TextHelpers) {
  EXPECT_EQ(Trim(" \t\r\nабв \x01"), "абв");
  EXPECT_EQ(Utf8Upper("иванов ёж abc"), "ИВАНОВ ЁЖ ABC");
  EXPECT_EQ(UpperLatin("all мкс"), "ALL мкс");
  EXPECT_EQ(CompareTextCI("27-пд", "27-ПД"), 0);
  EXPECT_LT(CompareTextCI("27-1", "27-ПД"), 0);
  EXPECT_EQ(FormatNumber(0.5), "0.5");
  EXPECT_EQ(FormatNumber(1.0), "1");
  EXPECT_EQ(FormatNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatNumber(1234567.25), "1234567.25");
  int v = 0;
  EXPECT_TRUE(TryParseInt("-12", v));
  EXPECT_EQ(v, -12);
  EXPECT_FALSE(TryParseInt("12a", v));
  EXPECT_FALSE(TryParseInt(" 1", v));
  EXPECT_FALSE(TryParseInt("99999999999", v));
  double d = 0;
  EXPECT_TRUE(TryParseDouble("0.25", d));
  EXPECT_DOUBLE_EQ(d, 0.25);
  EXPECT_TRUE(TryParseDouble("-1", d));
  EXPECT_DOUBLE_EQ(d, -1);
  // Decimal with a point only: a comma, exponents, hexadecimal, infinities and NaN are no numbers.
  for (const char* text : {"0,25", "1e5", "1e5x", "0x1A", "inf", "-inf", "nan", "NaN", ".", "+", "1.2.3", " 1"})
    EXPECT_FALSE(TryParseDouble(text, d)) << text;
  EXPECT_EQ(Utf8ToCp1251Html("Яa€✓"), std::string("\xDF"
                                                  "a"
                                                  "\x88"
                                                  "&#10003;"));
  EXPECT_EQ(Cp1251ToUtf8("\xDF\xB8"), "Яё");
}

TEST(UtilsTest, DatesParseStrictly) {
  EXPECT_EQ(FormatDate(ParseDate("1.2.2023")), "01.02.2023");
  EXPECT_FALSE(TryParseDate("29.02.2023"));
  EXPECT_TRUE(TryParseDate("29.02.2024"));
  EXPECT_FALSE(TryParseDate("01.01.23"));
  EXPECT_FALSE(TryParseDate("01.01.2023 "));
  EXPECT_EQ(FormatIsoDate(*TryParseIsoDate("2023-03-31")), "2023-03-31");
  EXPECT_EQ(DaysInclusive(ParseDate("01.01.2023"), ParseDate("31.03.2023")), 90);
  EXPECT_EQ(FormatDate(LastDayOfMonth(2024, 2)), "29.02.2024");
}

TEST(UtilsTest, DirectoryHelpers) {
  test::TempDir dir;
  test::WriteFile(dir / "b.XML", "");
  test::WriteFile(dir / "A.xml", "");
  test::WriteFile(dir / "c.zip", "");
  test::WriteFile(dir / "sub/d.xml", "");
  auto files = ListFilesByExtension(dir.path(), ".xml");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].filename(), "A.xml");
  EXPECT_EQ(files[1].filename(), "b.XML");
}

}  // namespace
}  // namespace zz
