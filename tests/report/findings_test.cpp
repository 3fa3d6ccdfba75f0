// findings.json: the protocol's tables and messages as data.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "report/protocol_former.h"
#include "results/html.h"
#include "support/process_state.h"
#include "support/test_support.h"

namespace zz {
namespace {

TEST(HtmlToTextTest, GivesTheTextAReaderSees) {
  EXPECT_EQ(HtmlToText("ИВАНОВ И.И.<br>ПЕТРОВ П.П.<br/>"), "ИВАНОВ И.И.\nПЕТРОВ П.П.\n");
  EXPECT_EQ(HtmlToText("ПК &quot;Ливерто&quot; &lt;a&gt; &amp;amp; &#10003;&#x41;"), "ПК \"Ливерто\" <a> &amp; ✓A");
  // What is not a reference we know stays as written.
  EXPECT_EQ(HtmlToText("AT&T &unknown; &#xZZ; &#99999999999;"), "AT&T &unknown; &#xZZ; &#99999999999;");
  EXPECT_EQ(HtmlToText("<b>жирный</b> и незакрытый <"), "жирный и незакрытый <");
}

class FindingsFileTest : public test::FreshProcessTest {
 protected:
  test::TempDir dir;
  TRunParams s;
  TMessageList searchErrors;

  FindingsFileTest() {
    s.FDirReport = dir.path().string();
    s.FRegNum = "123-456-789012";
    s.FYear = 2023;
    s.FPeriod = 4;
    s.FMode = mBPI;
    s.FFindings = true;
  }
  nlohmann::json Read() {
    std::ifstream in(dir / TFindings::kFileName);
    return nlohmann::json::parse(in);
  }
};

TEST_F(FindingsFileTest, AShortProtocolsFindingsHoldItsMessagesAsText) {
  searchErrors.push_back(std::make_unique<TProtocolMessage>("Ошибка соединения с сервером <Ливерто> & ✓", true));
  TProtocolFormer former(s, searchErrors);
  std::string path = former.printBadProtocol(searchErrors, 21);
  auto f = Read();
  EXPECT_EQ(f["exit_code"], 21);
  EXPECT_EQ(f["protocol"], std::filesystem::path(path).filename().string());
  EXPECT_EQ(f["regnum"], "123-456-789012");
  ASSERT_EQ(f["messages"].size(), 1u);
  EXPECT_EQ(f["messages"][0]["text"], "Ошибка соединения с сервером <Ливерто> & ✓");
  EXPECT_EQ(f["errors"], 1);
  EXPECT_TRUE(f["sets"].empty());

  EXPECT_EQ(f["damaged_files"], 0);

  TProtocolFormer second(s, searchErrors);
  second.fDamagedInputs = 1;
  second.printBadProtocol(searchErrors, 10);
  f = Read();
  EXPECT_EQ(f["exit_code"], 10);
  // The fixed text, then the search's red messages that the protocol prints beside it: why nothing
  // usable was found is an error, as the protocol shows it.
  ASSERT_EQ(f["messages"].size(), 2u);
  EXPECT_EQ(f["messages"][0]["text"], "Не было найдено файлов индивидуальных сведений в формате .xml");
  EXPECT_EQ(f["messages"][0]["kind"], "warning");
  EXPECT_EQ(f["messages"][1]["text"], "Ошибка соединения с сервером <Ливерто> & ✓");
  EXPECT_EQ(f["messages"][1]["kind"], "error");
  EXPECT_EQ(f["errors"], 1);
  EXPECT_EQ(f["warnings"], 1);
  EXPECT_EQ(f["damaged_files"], 1);
}

}  // namespace
}  // namespace zz
