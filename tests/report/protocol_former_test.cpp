// The protocol former: parts per set, headings, the source tables and the final file.
#include <gtest/gtest.h>

#include "base/exit_code.h"
#include "base/strings.h"
#include "report/protocol_former.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

class ProtocolFormerTest : public test::FreshProcessTest {
 protected:
  test::TempDir dir;
  TRunParams s;
  TMessageList searchErrors;

  ProtocolFormerTest() {
    s.FDirReport = dir.path().string();
    s.FRegNum = "123-456-789012";
    s.FYear = 2023;
    s.FPeriod = 2;
    s.FMode = mBPI;
    s.FCompareWithList = true;
    s.FCompareWithListStaff = true;
  }

  static TPDPackData Pack(const std::string& num) {
    TPDPackData p;
    p.fNum = num;
    p.fISType = "СЗВ-СТАЖ";
    p.fDatePack = "15.01.2024";
    p.fCategoryCode = "НР";
    p.fWorkers = "3";
    p.fLgotWorkers = 2;
    p.fOrgName = "ООО \"Ромашка\"";
    p.fShortOrgName = "Ромашка";
    p.fFileName = "/is/" + num + ".xml";
    return p;
  }

  // The protocol as UTF-8 text with "\n" line ends (after checking the file's own encoding).
  static std::string Read(const std::string& path) {
    std::string bytes = test::ReadFile(path);
    EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1);
    return ReplaceAll(Cp1251ToUtf8(bytes), "\r\n", "\n");
  }
  static size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++n;
    return n;
  }
};

TEST_F(ProtocolFormerTest, TwoSetsMakeOneProtocolWithBothPeriodsAndAllPacks) {
  searchErrors.push_back(std::make_unique<TProtocolMessage>("Общее сообщение", false));
  searchErrors.push_back(std::make_unique<TListError>("Перечень за первый квартал", 2023, 1, nullptr, false));
  TProtocolFormer former(s, searchErrors);

  TVerificationResults second;
  second.fYear = 2023;
  second.fPeriod = 2;
  second.fPDData.FInitPacks = {Pack("7")};
  second.fPDData.FCorrPacks = {Pack("8")};
  second.fListData = TListData{"/lists/p.xml", "ООО <Ромашка>", 5};
  second.fVerListErrors.push_back(std::make_unique<TProtocolMessage>("Замечание к Перечню", false));
  former.formProtocolPart(second);

  TVerificationResults first;
  first.fYear = 2023;
  first.fPeriod = 1;
  first.fPDData.FInitPacks = {Pack("5"), Pack("6")};
  first.FErrorResults.push_back(std::make_unique<TProtocolMessage>("Ошибка набора", true));
  first.fWarningResults.push_back(std::make_unique<TProtocolMessage>("Предупреждение набора", false));
  first.fPreZazoruResult = std::make_unique<TPreZazoruResult>(23);
  former.formProtocolPart(first);

  std::string path = former.printProtocol(2, ecErrors);
  EXPECT_EQ(path, (dir.path() / "ZAZORU-2023-2-REGNO-123-456-789012.html").string());
  std::string text = Read(path);
  EXPECT_EQ(text.rfind("<!DOCTYPE html>\n<!-- saved from url=(0016)http://localhost -->\n<html>\n", 0), 0u);
  EXPECT_NE(text.find("Код завершения программы: 30</div>"), std::string::npos);
  EXPECT_NE(text.find("\n в режиме БПИ\n"), std::string::npos);
  EXPECT_EQ(Count(text, "Отчетный период: <b>"), 2u);
  EXPECT_LT(text.find("второй квартал"), text.find("первый квартал"));  // in the order the sets were handled
  // The general message twice per set; the first-quarter Perechen message once in the second set's
  // part, twice in its own.
  EXPECT_EQ(Count(text, "Общее сообщение"), 4u);
  EXPECT_EQ(Count(text, "Перечень за первый квартал"), 3u);
  EXPECT_EQ(Count(text, "<h3>Ошибок нет</h3>"), 1u);
  EXPECT_LT(text.find("Найдены ИС с льготниками"), text.find("Ошибка набора"));
  EXPECT_NE(text.find("<div class=\"warn\">"), std::string::npos);

  EXPECT_NE(text.find("    <td>2,2023</td>"), std::string::npos);
  EXPECT_NE(text.find("    <td>2023, 2</td>"), std::string::npos);
  EXPECT_NE(text.find("    <td>1,2023</td>"), std::string::npos);
  EXPECT_NE(text.find("<b>Всего исходных: 3</b><br/>"), std::string::npos);
  EXPECT_NE(text.find("<b>Всего корректирующих: 1</b><br/>"), std::string::npos);
  EXPECT_NE(text.find("    <td>Период, в котором предоставлены корр. сведения</td>"), std::string::npos);
  EXPECT_NE(text.find("    <td>ООО &quot;Ромашка&quot;</td>"), std::string::npos);
  EXPECT_NE(text.find("использовался файл Перечня: /lists/p.xml (ООО &lt;Ромашка&gt;)</b><br/>"), std::string::npos);
  EXPECT_LT(text.find("Исходная информация"), text.find("Замечание к Перечню"));
  EXPECT_NE(text.find("<h4>Дата проверки: " + FormatDate(Today()) + "</h4>"), std::string::npos);
  EXPECT_TRUE(text.ends_with("</body>\n</html>\n"));
  for (const char* part : {"body.part", "init.part", "corr.part", "footer.part"})
    EXPECT_FALSE(std::filesystem::exists(dir / part)) << part;
}

TEST_F(ProtocolFormerTest, NoErrorsIsSaidOnlyOfAPartWithoutAnyError) {
  struct Case {
    const char* what;
    bool searchError;
    int verdict;
    bool said;
  } cases[] = {
      {"warnings only", false, 0, true},
      {"a verdict that is no error", false, 11, true},
      {"a red verdict", false, 23, false},
      {"a red search message", true, 0, false},
  };
  for (const Case& c : cases) {
    TMessageList messages;
    messages.push_back(std::make_unique<TProtocolMessage>("Сообщение поиска", c.searchError));
    TProtocolFormer former(s, messages);
    TVerificationResults part;
    part.fYear = 2023;
    part.fPeriod = 2;
    part.fWarningResults.push_back(std::make_unique<TProtocolMessage>("Предупреждение набора", false));
    if (c.verdict != 0) part.fPreZazoruResult = std::make_unique<TPreZazoruResult>(c.verdict);
    former.formProtocolPart(part);
    std::string text = Read(former.printProtocol(1, ecOk));
    EXPECT_EQ(Count(text, "<h3>Ошибок нет</h3>"), c.said ? 1u : 0u) << c.what;
  }
}

TEST_F(ProtocolFormerTest, NoCorrectingPacksAndNoVerifiedSet) {
  TProtocolFormer former(s, searchErrors);
  TVerificationResults v;
  v.fYear = 2023;
  v.fPeriod = 2;
  former.formProtocolPart(v);
  EXPECT_TRUE(std::filesystem::exists(dir / "corr.part"));
  std::string text = Read(former.printProtocol(0, ecOk));
  EXPECT_EQ(text.find("<b>Исходные пачки:</b>"), std::string::npos);
  EXPECT_NE(text.find("</table>\n<b>Всего исходных: 0</b><br/>"), std::string::npos);
  EXPECT_EQ(text.find("Корректирующие пачки"), std::string::npos);
  EXPECT_NE(text.find("<b>Всего корректирующих: 0</b><br/>\n<br>\n"), std::string::npos);
  EXPECT_EQ(text.find("Ошибок нет"), std::string::npos);  // no search messages
  EXPECT_FALSE(std::filesystem::exists(dir / "corr.part"));
}

TEST_F(ProtocolFormerTest, AccumulatedRunNamesTheFileAndHeading) {
  s.FAccumulateOption = true;
  s.FPeriod = 3;
  TProtocolFormer former(s, searchErrors);
  TVerificationResults v;
  v.fYear = 2023;
  v.fPeriod = 3;
  former.formProtocolPart(v);
  std::string path = former.printProtocol(1, ecOk);
  EXPECT_EQ(std::filesystem::path(path).filename(), "ZAZORU-2023-3A-REGNO-123-456-789012.html");
  EXPECT_NE(Read(path).find("<b>\nнакопительным итогом за \n9 месяцев\n, 2023 год </b></h3>"), std::string::npos);
  s.FAccumulateOption = false;
  s.FYear = 2010;
  s.FPeriod = 4;
  EXPECT_EQ(std::filesystem::path(s.getProtokolFileName()).filename(), "ZAZORU-2010-2-REGNO-123-456-789012");
}

TEST_F(ProtocolFormerTest, ShortProtocolsByExitCode) {
  searchErrors.push_back(std::make_unique<TProtocolMessage>("Xml-файлы не найдены", false));
  searchErrors.push_back(std::make_unique<TProtocolMessage>("Ошибка соединения с сервером <Ливерто> & ✓", true));
  TProtocolFormer former(s, searchErrors);
  std::string text = Read(former.printBadProtocol(searchErrors, 10));
  EXPECT_NE(text.find("Не было найдено файлов индивидуальных сведений в формате .xml"), std::string::npos);
  // Under 10 the errors say why nothing usable was found (a damaged file); the notes do not repeat it.
  EXPECT_NE(text.find("Ошибка соединения с сервером &lt;Ливерто&gt; &amp; &#10003;"), std::string::npos);
  EXPECT_EQ(text.find("Xml-файлы не найдены"), std::string::npos);
  EXPECT_NE(text.find("Код завершения программы: 10</div>"), std::string::npos);

  text = Read(former.printBadProtocol(searchErrors, 21));
  EXPECT_NE(text.find("Ошибка соединения с сервером &lt;Ливерто&gt; &amp; &#10003;"), std::string::npos);
  EXPECT_EQ(text.find("в формате .xml"), std::string::npos);

  s.FMode = mWindow;
  s.FYearChoice = "2023";
  s.FPeriodChoice = "второй квартал";
  text = Read(former.printBadProtocol(searchErrors, 10));
  EXPECT_NE(text.find("<li>Год: 2023</li>\n<li>Период: второй квартал</li>\n</ul>"), std::string::npos);
  EXPECT_NE(text.find("\n в оконном режиме\n"), std::string::npos);

  s.fCompareTerrCodes = true;
  s.FTerrCodeRightList.emplace_back("123-456", TTerritoryRights::All());
  text = Read(former.printBadProtocol(searchErrors, 11));
  EXPECT_NE(text.find("Необходимо уточнить право организации"), std::string::npos);
  EXPECT_NE(text.find("перечней не найдено. Сверка не требуется."), std::string::npos);
  EXPECT_NE(text.find(" Проверка правомерности проставления кодов МКС, РКС (право есть)"), std::string::npos);
  EXPECT_NE(text.find("Ошибка соединения"), std::string::npos);
}

}  // namespace
}  // namespace zz
