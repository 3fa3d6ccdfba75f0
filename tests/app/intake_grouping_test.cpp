// The intake's grouping as an office meets it: files reached by several paths, archives holding
// several employers' files, files whose names hold no number, what cannot be read, and names no
// line-based file can hold; each through `zazoru intake` on real files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/intake_fixture.h"
#include "support/zip_writer.h"

namespace zz {
namespace {

namespace fs = std::filesystem;

using test::Has;
using test::ISFileOf;
using test::Lines;

class IntakeGroupingTest : public test::IntakeFixture {
 protected:
  IntakeGroupingTest() : IntakeFixture("Debug=1\n") {}

  int Run(const std::vector<std::string>& args) { return IntakeFixture::Run(args, work / "intake.txt"); }
  int Intake() { return Run(IntakeArgs(reports, "--jobs 2")); }
  std::string Output() { return test::ReadFile(work / "intake.txt"); }

  std::string Protocol(const std::string& regNum) {
    auto f = Findings(regNum);
    if (!f.is_object()) return {};
    return Cp1251ToUtf8(test::ReadFile(reports / regNum / f["protocol"].get<std::string>()));
  }
  // The summary's row of the number, or the row of unassigned.csv that names the path.
  std::string Row(const std::string& part) {
    const bool path = part.find('/') != std::string::npos;
    for (const std::string& line : Lines(test::ReadFile(reports / (path ? "unassigned.csv" : "summary.csv"))))
      if (line.rfind(part + ",", 0) == 0 || (path && Has(line, part))) return line;
    return {};
  }
  // The employer was reconciled with its own file alone: the territorial check's error and warning.
  void ExpectReconciledFromOneFile(const std::string& regNum, const std::string& shownAs) {
    auto f = Findings(regNum);
    ASSERT_TRUE(f.is_object()) << regNum << "\n" << Output();
    EXPECT_EQ(f["exit_code"], 30) << regNum;
    EXPECT_EQ(f["errors"], 1) << regNum;
    EXPECT_EQ(f["warnings"], 1) << regNum;
    const std::string protocol = Protocol(regNum);
    EXPECT_TRUE(Has(protocol, "<b>Всего исходных: 1</b>")) << regNum;
    EXPECT_TRUE(Has(protocol, "<td>" + shownAs + "</td>")) << regNum << " as " << shownAs;
    EXPECT_FALSE(Has(protocol, ".intake")) << regNum;
    EXPECT_TRUE(Has(Row(regNum), ",30,найдены ошибки,1,1,0,")) << Row(regNum);
  }
};

TEST_F(IntakeGroupingTest, AFileReachedByThreePathsIsReconciledOnce) {
  const std::string a = "011-000-000001";
  const fs::path file = is / "a" / (a + ".xml");
  test::WriteFile(file, ISFileOf(a));
  fs::create_directories(is / "links");
  fs::create_symlink(file, is / "links" / (a + "_ссылка.xml"));
  fs::create_directories(is / "copies");
  fs::create_hard_link(file, is / "copies" / (a + "_копия.xml"));
  ASSERT_EQ(Intake(), 0) << Output();

  ExpectReconciledFromOneFile(a, file.string());
  for (const fs::path& other : {is / "links" / (a + "_ссылка.xml"), is / "copies" / (a + "_копия.xml")})
    EXPECT_TRUE(Has(Row(other.string()), "тот же файл, что и " + file.string())) << other;
  EXPECT_EQ(Lines(test::ReadFile(reports / "summary.csv")).size(), 2u);
  EXPECT_EQ(Lines(test::ReadFile(reports / "unassigned.csv")).size(), 3u);
}

TEST_F(IntakeGroupingTest, ArchivesAndFilesWithoutANumberGoToTheEmployerOfEachFile) {
  const std::string a = "011-000-000001", b = "022-000-000002", c = "033-000-000003", d = "044-000-000004",
                    e = "055-000-000005", f = "066-000-000006";
  // A day's mail: three employers, a letter, and a document that names no employer.
  const fs::path mail = is / "почта" / "входящие 2024-01-19.zip";
  test::WriteZipArchive(mail,
                        {{"сведения.xml", ISFileOf(b)},
                         {"ООО Ромашка/отчёт.xml", ISFileOf(c)},
                         {"письмо " + d + ".xml", ISFileOf(d)},
                         {"readme.txt", "без номера"},
                         {"пустой.xml", "<?xml version=\"1.0\"?><Документ><Текст>без номера</Текст></Документ>"}});
  // Named for one employer, holding another's file too.
  const fs::path named = is / ("ФЗЖ_" + a + ".zip");
  test::WriteZipArchive(named, {{"сведения.xml", ISFileOf(a)}, {"чужой.xml", ISFileOf(e)}});
  // No number in the name: the one in the file decides.
  test::WriteFile(is / "без номера" / "сведения.xml", ISFileOf(f));
  test::WriteFile(is / "g" / ("077-000-000007_оборван.xml"), ISFileOf("077-000-000007").substr(0, 300));
  ASSERT_EQ(Intake(), 0) << Output();

  ExpectReconciledFromOneFile(b, mail.string() + "/сведения.xml");
  ExpectReconciledFromOneFile(c, mail.string() + "/ООО Ромашка/отчёт.xml");
  ExpectReconciledFromOneFile(d, mail.string() + "/письмо " + d + ".xml");
  ExpectReconciledFromOneFile(a, named.string() + "/сведения.xml");
  ExpectReconciledFromOneFile(e, named.string() + "/чужой.xml");
  ExpectReconciledFromOneFile(f, (is / "без номера" / "сведения.xml").string());
  // A damaged file is named where it lies, in the protocol's reason too.
  const std::string g = "077-000-000007";
  EXPECT_TRUE(Has(Protocol(g), "Не удалось прочитать файл XML " + (is / "g" / (g + "_оборван.xml")).string()))
      << Protocol(g);
  EXPECT_FALSE(Has(Protocol(g), ".intake"));
  EXPECT_FALSE(Has(test::ReadFile(reports / g / "findings.json"), ".intake"));

  EXPECT_TRUE(Has(Row(mail.string() + "/readme.txt"), "не XML и не архив"));
  EXPECT_TRUE(Has(Row(mail.string() + "/пустой.xml"), "в файле нет регистрационного номера"));
  EXPECT_TRUE(Has(Row(named.string() + "/чужой.xml"), "файл работодателя " + e + " в архиве работодателя " + a));
  const std::string index = test::ReadFile(reports / "index.html");
  EXPECT_TRUE(Has(index, HtmlEscape((mail / "readme.txt").string()) + "</td><td>не XML и не архив"));
  // The log names the entry where it lies too.
  std::string log;
  for (const auto& entry : fs::directory_iterator(config / "Zazoru" / "logs")) log += test::ReadFile(entry.path());
  EXPECT_TRUE(Has(log, "***отрабатываем " + mail.string() + "/сведения.xml"));
  EXPECT_FALSE(Has(log, "***отрабатываем " + (reports / ".intake").string()));
}

TEST_F(IntakeGroupingTest, AnEntryOfASharedArchiveThatCannotBeUnpackedIsNamedInItsEmployersProtocol) {
  const std::string b = "022-000-000002", c = "033-000-000003", d = "044-000-000004";
  const fs::path mail = is / "почта.zip";
  // Longer than one read, so that its head tells its employer before its end shows the damage.
  const std::string longer = ISFileOf(c) + "<!--" + std::string(200000, 'x') + "-->";
  const std::string small = ISFileOf(d);
  test::WriteStoredZip(mail, {{"первый.xml", ISFileOf(b)}, {"второй.xml", longer}, {"третий.xml", small}});
  // A byte near the end of each: the checksums no longer match.
  std::string bytes = test::ReadFile(mail);
  bytes[bytes.find(longer) + longer.size() - 10] ^= 1;
  bytes[bytes.find(small) + small.size() - 2] ^= 1;
  test::WriteFile(mail, bytes);
  ASSERT_EQ(Intake(), 0) << Output();

  ExpectReconciledFromOneFile(b, mail.string() + "/первый.xml");
  EXPECT_TRUE(Has(Protocol(c), "Файл " + mail.string() + "/второй.xml не распакован: повреждён")) << Protocol(c);
  EXPECT_FALSE(Has(Protocol(c), ".intake"));
  // Damaged before its employer could be told: listed with the reason.
  EXPECT_TRUE(Has(Row(mail.string() + "/третий.xml"), "файл в архиве повреждён")) << Row(mail.string() + "/третий.xml");
}

TEST_F(IntakeGroupingTest, WhatIsPassedOverIsListedWithTheReason) {
  const std::string a = "011-000-000001";
  test::WriteFile(is / "a" / (a + ".xml"), ISFileOf(a));
  ASSERT_EQ(mkfifo((is / "022-000-000002.xml").c_str(), 0644), 0);
  fs::create_symlink(is / "нет такого.xml", is / "033-000-000003.xml");
  test::WriteFile(work / "elsewhere" / "044-000-000004.xml", ISFileOf("044-000-000004"));
  fs::create_symlink(work / "elsewhere" / "044-000-000004.xml", is / "044-000-000004.xml");
  fs::create_directory_symlink(work / "elsewhere", is / "папка вне корня");
  fs::create_directory_symlink(is / "a", is / "ссылка на a");
  // Another intake's report root left under this one's IS root.
  test::WriteFile(is / "старые отчёты" / ".intake" / "manifest.tsv", "");
  test::WriteFile(is / "старые отчёты" / ".intake" / "staging" / a / "сведения.xml", ISFileOf(a));
  const bool privileged = geteuid() == 0;  // reads a folder whatever its mode
  if (!privileged) {
    test::WriteFile(is / "закрыто" / "055-000-000005.xml", ISFileOf("055-000-000005"));
    fs::permissions(is / "закрыто", fs::perms::none);
  }
  const int code = Intake();
  if (!privileged) fs::permissions(is / "закрыто", fs::perms::owner_all);
  ASSERT_EQ(code, 0) << Output();

  ExpectReconciledFromOneFile(a, (is / "a" / (a + ".xml")).string());
  EXPECT_EQ(Row("022-000-000002"), "");
  EXPECT_TRUE(Has(Row((is / "022-000-000002.xml").string()), "канал (FIFO)"));
  EXPECT_TRUE(Has(Row((is / "033-000-000003.xml").string()), "ссылка никуда не ведёт"));
  EXPECT_TRUE(Has(Row((is / "044-000-000004.xml").string()), "ссылка ведёт за пределы корня ИС"));
  EXPECT_TRUE(Has(Row((is / "папка вне корня").string()), "ссылка ведёт за пределы корня ИС"));
  EXPECT_TRUE(Has(Row((is / "ссылка на a").string()), "ссылка на каталог"));
  EXPECT_TRUE(Has(Row((is / "старые отчёты").string()), "корень отчётов другой сверки"));
  if (!privileged) {
    EXPECT_TRUE(Has(Row((is / "закрыто").string()), "каталог не читается")) << Output();
  }
  EXPECT_TRUE(Has(Output(), "не распределено или пропущено файлов: " + std::to_string(privileged ? 6 : 7))) << Output();
  EXPECT_TRUE(Has(test::ReadFile(reports / "index.html"), "канал (FIFO)"));
}

TEST_F(IntakeGroupingTest, ANewlineInAFileNameMakesNoEmployerInTheSummary) {
  const std::string a = "011-000-000001";
  const std::string odd = a + "_отчёт\n099-999-999999\tвторой.xml";
  test::WriteFile(is / odd, ISFileOf(a));
  ASSERT_EQ(Intake(), 0) << Output();
  ASSERT_EQ(Run({"intake", "--summarize", reports.string()}), 0) << Output();
  auto lines = Lines(test::ReadFile(reports / "summary.csv"));
  ASSERT_EQ(lines.size(), 2u) << test::ReadFile(reports / "summary.csv");
  EXPECT_TRUE(Has(lines[1], a + ",\"МУП \"\"Теплосеть Заречного района\"\"\",30,")) << lines[1];
  // The file is named in the protocol as it is called.
  EXPECT_TRUE(Has(Protocol(a), "<b>Всего исходных: 1</b>"));
  EXPECT_TRUE(Has(Protocol(a), HtmlEscape(odd)));
}

}  // namespace
}  // namespace zz
