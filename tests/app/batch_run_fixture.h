#pragma once
// Batch runs of the built program, as the calling software starts it: a command line, a data
// directory with its configuration, and the exit code and protocol it leaves.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "base/strings.h"
#include "base/utils.h"
#include "support/liverto_stub_process.h"
#include "support/program_process.h"
#include "support/test_support.h"

namespace zz::test {

const std::filesystem::path kExample = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
const std::string kRegNum = "087-104-003215";

class BatchRunTest : public ::testing::Test {
 protected:
  TempDir work;
  std::filesystem::path is = work / "is";
  std::filesystem::path reports = work / "reports";
  std::filesystem::path config = work / "config";

  BatchRunTest() {
    std::filesystem::create_directories(is);
    std::filesystem::create_directories(reports);
  }

  void Configure(const std::string& ini) { WriteFile(config / "Zazoru" / "ZazoruConfig.ini", ini); }
  static std::string ServerConfig(int port) {
    return "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(port) + "\nApp=list4\nConnect=1\n";
  }

  int Run() { return RunAs({BuiltProgram(), "bpi", is.string(), reports.string()}); }

  // The program args[0] with the rest of `args`, `env` added to its environment, started in `cwd`.
  int RunAs(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
            const std::filesystem::path& cwd = {}) {
    TProgramStart start{args, config, env, cwd, work / "out.txt"};
    return RunProgramProcess(start);
  }
  std::string Output() { return ReadFile(work / "out.txt"); }

  // The one protocol of the run, as UTF-8.
  std::string Protocol() {
    auto files = ListFilesByExtension(reports, ".html");
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? std::string() : Cp1251ToUtf8(ReadFile(files[0]));
  }
};

// IS files and a Perechen written for one finding each, on the example employer's file layout.
class VerificationRunTest : public BatchRunTest {
 protected:
  std::filesystem::path lists = work / "lists";

  // An СЗВ-СТАЖ of 2023 of the example employer holding the given persons ("ЗЛ" elements).
  void WriteStazh2023(const std::string& persons) {
    std::string file = ReadFile(kExample / "is" / "087-104-003215_СЗВ-СТАЖ_2023.xml");
    size_t from = file.find("<ЗЛ>"), to = file.find("</СЗВ-СТАЖ>");
    WriteFile(is / (kRegNum + "_СЗВ-СТАЖ_2023.xml"), file.substr(0, from) + persons + file.substr(to));
  }
  static std::string Person(const std::string& snils, const std::string& periods) {
    return "<ЗЛ><НомерПП>1</НомерПП><ФИО><УТ2:Фамилия>Ветлугин</УТ2:Фамилия><УТ2:Имя>Степан</УТ2:Имя>"
           "<УТ2:Отчество>Аркадьевич</УТ2:Отчество></ФИО><СНИЛС>" +
           snils + "</СНИЛС>" + periods + "</ЗЛ>";
  }
  // One СтажевыйПериод from..to (yyyy-mm-dd) with one ЛьготныйСтаж.
  static std::string IsPeriod(const std::string& from, const std::string& to, const std::string& grounds) {
    return "<СтажевыйПериод><ИС4:Период><УТ2:С>" + from + "</УТ2:С><УТ2:По>" + to +
           "</УТ2:По></ИС4:Период>"
           "<ИС4:ЛьготныйСтаж>" +
           grounds + "</ИС4:ЛьготныйСтаж></СтажевыйПериод>";
  }

  // The Perechen of the fourth quarter of `year`, one subdivision, served by the stand-in server.
  void WritePerechen(const std::string& regNum, int year, const std::string& workers) {
    WriteFile(lists / "perechen.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Перечень ОтчетныйГод=\"" + std::to_string(year) +
                  "\" ОтчетныйПериод=\"12\" НакопитИтогом=\"0\" Тип=\"ИСХОДНЫЙ\">\n<Предприятие "
                  "Наименование=\"Опытный завод\" РегНомер=\"" +
                  regNum +
                  "\">\n<Подразделение Номер=\"1\" "
                  "Наименование=\"Цех\">\n<ПоименныйСписок>\n" +
                  workers + "</ПоименныйСписок>\n</Подразделение>\n</Предприятие>\n</Перечень>\n");
  }
  static std::string ListWorker(const std::string& snils, const std::string& periods) {
    return "<Работник СтраховойНомер=\"" + snils + "\" Фамилия=\"Ветлугин\" Имя=\"Степан\" Отчество=\"Аркадьевич\">" +
           periods + "</Работник>\n";
  }
  static std::string ListPeriod(const std::string& from, const std::string& to, const std::string& content) {
    return "<ПериодРаботы ДатаНач=\"" + from + "\" ДатаКон=\"" + to + "\">" + content + "</ПериодРаботы>";
  }

  // A batch run against the stand-in server; returns the exit code.
  int RunWithServer(const std::string& options = "") {
    std::filesystem::create_directories(lists);
    TLivertoStubProcess stub(lists);
    Configure(ServerConfig(stub.Port()) + options);
    return Run();
  }
};

}  // namespace zz::test
