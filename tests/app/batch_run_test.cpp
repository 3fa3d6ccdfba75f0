// Batch runs of the built program, as the calling software starts it: a command line, a data
// directory with its configuration, and the exit code and protocol it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "settings/strings.h"
#include "settings/utils.h"
#include "support/liverto_stub_process.h"
#include "support/test_support.h"

namespace zz {
namespace {

const std::filesystem::path kExample = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
const std::string kRegNum = "087-104-003215";

class BatchRunTest : public ::testing::Test {
 protected:
  test::TempDir work;
  std::filesystem::path is = work / "is";
  std::filesystem::path reports = work / "reports";
  std::filesystem::path config = work / "config";

  BatchRunTest() {
    std::filesystem::create_directories(is);
    std::filesystem::create_directories(reports);
  }

  void Configure(const std::string& ini) { test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini", ini); }
  static std::string ServerConfig(int port) {
    return "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(port) + "\nApp=list4\nConnect=1\n";
  }

  int Run() {
    std::string command = "XDG_CONFIG_HOME='" + config.string() + "' '" + ZAZORU_BINARY_DIR + "/zazoru' bpi '" +
                          is.string() + "' '" + reports.string() + "' > '" + (work / "out.txt").string() + "' 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // The one protocol of the run, as UTF-8.
  std::string Protocol() {
    auto files = ListFilesByExtension(reports, ".html");
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::string() : Cp1251ToUtf8(test::ReadFile(files[0]));
  }
};

TEST_F(BatchRunTest, EmptyDirectoryEndsWith10AndTheShortProtocol) {
  Configure("[Options]\nWithList=0\nTerritoryControl=1\n");
  test::WriteFile(is / "readme_123-456-789012.txt", "not xml");
  // The number comes from an *.xml name; without one the run is refused.
  EXPECT_EQ(Run(), 21);
  test::WriteFile(is / "other_123-456-789012.xml", "<Письмо>не сведения</Письмо>");
  EXPECT_EQ(Run(), 10);
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Код завершения программы: 10</div>"), std::string::npos);
  EXPECT_NE(protocol.find("<div style =\"color:blue\"><h3>Не было найдено файлов индивидуальных сведений в формате .xml"),
            std::string::npos);
  EXPECT_EQ(Run(), 10);  // the same again: nothing of the first run is left over
}

TEST_F(BatchRunTest, NoSetButSearchMessagesEndsWith11) {
  Configure("[Options]\nWithList=0\nTerritoryControl=1\n");
  // An IS file whose pack header cannot be read forms no set.
  std::string file = test::ReadFile(kExample / "is" / "087-104-003215_СЗВ-СТАЖ_2023.xml");
  size_t from = file.find("<СлужебнаяИнформация>");
  size_t to = file.find("</СлужебнаяИнформация>") + std::string("</СлужебнаяИнформация>").size();
  test::WriteFile(is / "broken_087-104-003215.xml", file.erase(from, to - from));
  EXPECT_EQ(Run(), 11);
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("перечней не найдено. Сверка не требуется."), std::string::npos);
  EXPECT_NE(protocol.find("Ошибка при разборе пачки: "), std::string::npos);
}

TEST_F(BatchRunTest, ServerDownEndsWith21WithTheServerMessage) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  // A port where nothing listens: take a free one from a stub and stop it.
  int port;
  {
    test::TLivertoStubProcess stub(kExample / "lists");
    port = stub.Port();
  }
  Configure(ServerConfig(port));
  EXPECT_EQ(Run(), 21);
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Код завершения программы: 21</div>"), std::string::npos);
  EXPECT_NE(protocol.find("Возникла ошибка при подключении к БД ПК &quot;Ливерто&quot;. Проверьте настройки подключения."),
            std::string::npos);
}

TEST_F(BatchRunTest, ExampleEmployerIsReconciledAgainstTheServersPerechen) {
  std::filesystem::copy(kExample / "is", is, std::filesystem::copy_options::recursive);
  test::TLivertoStubProcess stub(kExample / "lists");
  Configure(ServerConfig(stub.Port()) + "[Options]\nTerritoryControl=1\n");
  EXPECT_EQ(Run(), 30);
  auto queries = stub.Queries();
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_NE(queries[0].find("regNum=" + kRegNum + "&year=2023&quarter=4"), std::string::npos);

  auto files = ListFilesByExtension(reports, ".html");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "ZAZORU-2023-4-REGNO-" + kRegNum + ".html");
  std::string protocol = Protocol();
  EXPECT_NE(protocol.find("Код завершения программы: 30</div>"), std::string::npos);
  EXPECT_NE(protocol.find("четвертый квартал"), std::string::npos);
  // The person missing from the named list, the unauthorised territorial code, and the Perechen used.
  EXPECT_NE(protocol.find("415-226-337 48"), std::string::npos);
  EXPECT_NE(protocol.find("Неправомерное проставление территориальных условий"), std::string::npos);
  EXPECT_NE(protocol.find("использовался файл Перечня: Перечень из БД ПК &quot;Ливерто&quot; за 2023 год 4 период"),
            std::string::npos);
  EXPECT_NE(protocol.find("<b>Всего исходных: 1</b>"), std::string::npos);
  for (const char* part : {"body.part", "init.part", "corr.part", "footer.part"})
    EXPECT_FALSE(std::filesystem::exists(reports / part)) << part;
}

}  // namespace
}  // namespace zz
