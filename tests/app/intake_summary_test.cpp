// The summary files an intake leaves at the report root, read as their readers read them: summary.csv
// and unassigned.csv by a strict RFC 4180 reader, summary.xlsx unpacked and its sheets' XML parsed,
// index.html as the worklist.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>

#include "app/intake_fixture.h"
#include "app/intake_summary.h"

namespace zz {
namespace {

namespace fs = std::filesystem;

using test::ISFileOf;
using test::kExampleOrg;
using test::kExampleRegNum;
const fs::path kBuild = ZAZORU_BINARY_DIR;

using TRecords = std::vector<std::vector<std::string>>;

// RFC 4180 as a strict loader reads it: CR LF after every record, the last one included; a quote
// only around a whole field, doubled inside; every record with the header's number of fields.
TRecords ReadStrictCsv(const fs::path& file) {
  const std::string text = test::ReadFile(file);
  TRecords records;
  std::vector<std::string> record;
  std::string field;
  size_t i = 0;
  auto fail = [&](const std::string& why) {
    ADD_FAILURE() << file << ": " << why << " at byte " << i << " of\n" << text;
    return TRecords{};
  };
  if (text.starts_with("\xEF\xBB\xBF")) return fail("a byte-order mark");
  while (i < text.size()) {
    if (text[i] == '"') {
      for (++i;; ++i) {
        if (i >= text.size()) return fail("an unclosed quote");
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            ++i;
          } else {
            ++i;
            break;
          }
        } else {
          field += text[i];
        }
      }
    } else {
      for (; i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n'; ++i) {
        if (text[i] == '"') return fail("a quote inside an unquoted field");
        field += text[i];
      }
    }
    if (i >= text.size()) return fail("no CR LF after the last record");
    record.push_back(std::move(field));
    field.clear();
    if (text[i] == ',') {
      ++i;
      continue;
    }
    if (text.compare(i, 2, "\r\n") != 0) return fail("a line end other than CR LF");
    i += 2;
    if (!records.empty() && record.size() != records.front().size())
      return fail("a record of " + std::to_string(record.size()) + " fields");
    records.push_back(std::move(record));
    record.clear();
  }
  return records;
}

// The records by their first field, each as a map from the header's names.
std::map<std::string, std::map<std::string, std::string>> ByFirstField(const TRecords& records) {
  std::map<std::string, std::map<std::string, std::string>> out;
  for (size_t r = 1; r < records.size(); ++r)
    for (size_t c = 0; c < records[r].size(); ++c) out[records[r][0]][records[0][c]] = records[r][c];
  return out;
}

// The files of a zip archive, read with libarchive.
std::map<std::string, std::string> Unzip(const fs::path& file) {
  std::map<std::string, std::string> files;
  archive* a = archive_read_new();
  archive_read_support_format_zip(a);
  if (archive_read_open_filename(a, file.c_str(), 65536) != ARCHIVE_OK) {
    ADD_FAILURE() << file << ": " << archive_error_string(a);
    archive_read_free(a);
    return files;
  }
  archive_entry* entry = nullptr;
  while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
    std::string data;
    char buf[65536];
    for (la_ssize_t n; (n = archive_read_data(a, buf, sizeof buf)) > 0;) data.append(buf, static_cast<size_t>(n));
    files[archive_entry_pathname(entry)] = data;
  }
  archive_read_free(a);
  return files;
}

std::vector<xmlNode*> Children(xmlNode* node, const char* name) {
  std::vector<xmlNode*> out;
  for (xmlNode* c = node ? node->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && std::string(reinterpret_cast<const char*>(c->name)) == name) out.push_back(c);
  return out;
}
xmlNode* Child(xmlNode* node, const char* name) {
  auto all = Children(node, name);
  return all.empty() ? nullptr : all.front();
}
std::string Attr(xmlNode* node, const char* name) {
  xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}
std::string TextOf(xmlNode* node) {
  xmlChar* v = node ? xmlNodeGetContent(node) : nullptr;
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

// One worksheet as a spreadsheet shows it, with what a test needs to know besides the values.
struct TSheet {
  std::string Name;
  TRecords Rows;
  std::map<std::string, std::string> Types;  // "B2" -> the cell's t attribute ("" for a number)
  bool HasFormula = false;
  bool Frozen = false;                       // the header row stays when scrolled
  std::string AutoFilter;                    // its range
  std::map<std::string, std::string> Links;  // "H2" -> the target
};

struct TBook {
  std::vector<TSheet> Sheets;
};

TBook ReadWorkbook(const fs::path& file) {
  TBook book;
  std::map<std::string, std::string> files = Unzip(file);
  auto parse = [&](const std::string& name) {
    const std::string& text = files[name];
    return xmlReadMemory(text.data(), static_cast<int>(text.size()), name.c_str(), nullptr, XML_PARSE_NONET);
  };
  std::vector<std::string> shared;
  if (files.count("xl/sharedStrings.xml")) {
    xmlDoc* doc = parse("xl/sharedStrings.xml");
    for (xmlNode* si : Children(xmlDocGetRootElement(doc), "si")) shared.push_back(TextOf(si));
    xmlFreeDoc(doc);
  }
  xmlDoc* wb = parse("xl/workbook.xml");
  EXPECT_NE(wb, nullptr);
  if (!wb) return book;
  int index = 0;
  for (xmlNode* s : Children(Child(xmlDocGetRootElement(wb), "sheets"), "sheet")) {
    TSheet sheet;
    sheet.Name = Attr(s, "name");
    const std::string path = "xl/worksheets/sheet" + std::to_string(++index) + ".xml";
    xmlDoc* doc = parse(path);
    EXPECT_NE(doc, nullptr) << path;
    if (!doc) continue;
    xmlNode* root = xmlDocGetRootElement(doc);
    for (xmlNode* row : Children(Child(root, "sheetData"), "row")) {
      const size_t r = static_cast<size_t>(std::stoi(Attr(row, "r")));
      if (sheet.Rows.size() < r) sheet.Rows.resize(r);
      for (xmlNode* c : Children(row, "c")) {
        const std::string ref = Attr(c, "r"), type = Attr(c, "t");
        size_t col = 0;
        for (char ch : ref)
          if (ch >= 'A' && ch <= 'Z') col = col * 26 + static_cast<size_t>(ch - 'A' + 1);
        std::string value;
        if (type == "inlineStr")
          value = TextOf(Child(c, "is"));
        else if (type == "s")
          value = shared.at(static_cast<size_t>(std::stoi(TextOf(Child(c, "v")))));
        else
          value = TextOf(Child(c, "v"));
        if (Child(c, "f")) sheet.HasFormula = true;
        auto& cells = sheet.Rows[r - 1];
        if (cells.size() < col) cells.resize(col);
        cells[col - 1] = value;
        sheet.Types[ref] = type;
      }
    }
    xmlNode* pane = Child(Child(Child(root, "sheetViews"), "sheetView"), "pane");
    sheet.Frozen = pane && Attr(pane, "state") == "frozen" && Attr(pane, "ySplit") == "1";
    if (xmlNode* filter = Child(root, "autoFilter")) sheet.AutoFilter = Attr(filter, "ref");
    std::map<std::string, std::string> targets;
    const std::string rels = "xl/worksheets/_rels/sheet" + std::to_string(index) + ".xml.rels";
    if (files.count(rels)) {
      xmlDoc* r = parse(rels);
      for (xmlNode* rel : Children(xmlDocGetRootElement(r), "Relationship"))
        targets[Attr(rel, "Id")] = Attr(rel, "Target");
      xmlFreeDoc(r);
    }
    for (xmlNode* link : Children(Child(root, "hyperlinks"), "hyperlink")) {
      xmlChar* id = xmlGetNsProp(
          link, reinterpret_cast<const xmlChar*>("id"),
          reinterpret_cast<const xmlChar*>("http://schemas.openxmlformats.org/officeDocument/2006/relationships"));
      sheet.Links[Attr(link, "ref")] = id ? targets[reinterpret_cast<const char*>(id)] : "";
      xmlFree(id);
    }
    xmlFreeDoc(doc);
    book.Sheets.push_back(std::move(sheet));
  }
  xmlFreeDoc(wb);
  return book;
}

class IntakeSummaryTest : public test::IntakeFixture {
 protected:
  // Standard output and error apart: the write failures are told on standard error.
  int Run(const std::vector<std::string>& args) {
    test::TProgramStart start{{program}, config};
    start.Args.insert(start.Args.end(), args.begin(), args.end());
    start.Output = work / "out.txt";
    start.ErrorOutput = work / "err.txt";
    return test::RunProgramProcess(start);
  }
  int Intake(const std::string& extra = "") { return Run(IntakeArgs(reports, extra)); }
  std::string Output() { return test::ReadFile(work / "out.txt") + test::ReadFile(work / "err.txt"); }
};

// An intake of five employers, one of each kind a worklist tells apart, and files of no employer
// with names a spreadsheet or a line-based reader would take wrongly.
TEST_F(IntakeSummaryTest, EveryReaderGetsEveryRowAndTheWorklistPutsActionFirst) {
  const std::string example = kExampleRegNum, formula = "011-000-000001", damaged = "022-000-000002",
                    failed = "033-000-000003", nothing = "044-000-000004";
  test::WriteFile(is / (example + ".xml"), ISFileOf(example));
  test::WriteFile(is / (formula + ".xml"), ISFileOf(formula, "=1+2 Завод, \"цех\""));
  // Its only file is damaged: nothing usable (code 10), yet an error and a damaged file.
  std::string broken = ISFileOf(damaged);
  broken.insert(broken.find("Колобродова"), "Рога & ");
  test::WriteFile(is / (damaged + ".xml"), broken);
  // The lock held by a directory: the run fails (29).
  fs::create_directories(reports / failed / ".zazoru.lock");
  test::WriteFile(is / (failed + ".xml"), ISFileOf(failed));
  // No IS file among its files: code 10 without damage.
  test::WriteFile(is / (nothing + ".xml"), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Письмо>текст</Письмо>\n");
  test::WriteFile(is / "почта" / "письмо\nвторое, с запятой.txt", "без номера");
  test::WriteFile(is / "=cmd.txt", "без номера");

  ASSERT_EQ(Intake("--jobs 2"), 29) << Output();

  // summary.csv: strict, one record per employer, the unassigned files elsewhere.
  TRecords csv = ReadStrictCsv(reports / "summary.csv");
  ASSERT_EQ(csv.size(), 6u);
  EXPECT_EQ(csv[0], (std::vector<std::string>{"regnum", "organisation", "exit_code", "meaning", "errors", "warnings",
                                              "damaged", "protocol", "seconds"}));
  auto rows = ByFirstField(csv);
  EXPECT_EQ(rows[example]["organisation"], kExampleOrg);
  EXPECT_EQ(rows[example]["exit_code"], "30");
  EXPECT_EQ(rows[example]["damaged"], "0");
  // Text, not a formula, for a spreadsheet that opens the file.
  EXPECT_EQ(rows[formula]["organisation"], "'=1+2 Завод, \"цех\"");
  EXPECT_EQ(rows[damaged]["exit_code"], "10");
  EXPECT_EQ(rows[damaged]["errors"], "1");
  EXPECT_EQ(rows[damaged]["warnings"], "1");
  EXPECT_EQ(rows[damaged]["damaged"], "1");
  EXPECT_EQ(rows[failed]["exit_code"], "29");
  EXPECT_EQ(rows[failed]["errors"], "");
  EXPECT_EQ(rows[nothing]["exit_code"], "10");
  EXPECT_EQ(rows[nothing]["damaged"], "0");
  // The findings say the same as the summary.
  auto f = Findings(damaged);
  EXPECT_EQ(f["errors"], 1);
  EXPECT_EQ(f["damaged_files"], 1);
  EXPECT_EQ(f["messages"][1]["kind"], "error");
  EXPECT_TRUE(f["messages"][1]["text"].get<std::string>().starts_with("Не удалось прочитать файл XML "));

  TRecords unassigned = ReadStrictCsv(reports / "unassigned.csv");
  ASSERT_EQ(unassigned.size(), 3u);
  EXPECT_EQ(unassigned[0], (std::vector<std::string>{"path", "reason"}));
  EXPECT_EQ(unassigned[1][0], (is / "=cmd.txt").string());
  EXPECT_EQ(unassigned[2][0], (is / "почта").string() + "/письмо\\nвторое, с запятой.txt");
  EXPECT_EQ(unassigned[2][1], "не XML и не архив");

  // summary.xlsx: employers in the worklist's order, every finding row, the unassigned files.
  TBook book = ReadWorkbook(reports / "summary.xlsx");
  ASSERT_EQ(book.Sheets.size(), 3u);
  const TSheet& employers = book.Sheets[0];
  EXPECT_EQ(employers.Name, "Работодатели");
  ASSERT_EQ(employers.Rows.size(), 6u);
  EXPECT_EQ(employers.Rows[0], (std::vector<std::string>{"Рег. номер", "Организация", "Код", "Значение", "Ошибок",
                                                         "Предупреждений", "Повреждено файлов", "Протокол"}));
  std::vector<std::string> order;
  for (size_t r = 1; r < employers.Rows.size(); ++r) order.push_back(employers.Rows[r][0]);
  EXPECT_EQ(order, (std::vector<std::string>{failed, formula, example, damaged, nothing}));
  EXPECT_EQ(employers.Rows[2][1], "=1+2 Завод, \"цех\"");
  EXPECT_EQ(employers.Types.at("B3"), "inlineStr");
  EXPECT_EQ(employers.Types.at("C3"), "");  // the code is a number
  EXPECT_EQ(employers.Rows[4], (std::vector<std::string>{damaged, "", "10", "не найдено файлов ИС", "1", "1", "1",
                                                         "ZAZORU-0-0-REGNO-" + damaged + ".html"}))
      << Join(employers.Rows[4], "|");
  EXPECT_EQ(employers.Links.at("H4"), example + "/ZAZORU-2023-4-REGNO-" + example + ".html");
  EXPECT_EQ(employers.Links.count("H2"), 0u);  // the failed run left no protocol
  EXPECT_TRUE(employers.Frozen);
  EXPECT_EQ(employers.AutoFilter, "A1:H6");

  const TSheet& findings = book.Sheets[1];
  EXPECT_EQ(findings.Name, "Замечания");
  ASSERT_GE(findings.Rows.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(findings.Rows[0].begin(), findings.Rows[0].begin() + 8),
            (std::vector<std::string>{"Рег. номер", "Организация", "Год", "Период", "Таблица", "Название", "Вид",
                                      "Графа 1"}));
  EXPECT_TRUE(findings.Frozen);
  EXPECT_TRUE(findings.AutoFilter.starts_with("A1:")) << findings.AutoFilter;
  // Row for row what each employer's findings file holds.
  for (const std::string& n : {example, formula, damaged, nothing}) {
    auto json = Findings(n);
    ASSERT_TRUE(json.is_object()) << n;
    std::vector<std::vector<std::string>> expected;
    for (const auto& m : json["messages"])
      expected.push_back({n, "", "", "", "сообщение", m["kind"] == "error" ? "ошибка" : "предупреждение", m["text"]});
    for (const auto& set : json["sets"]) {
      const std::string year = std::to_string(set["year"].get<int>()),
                        period = std::to_string(set["period"].get<int>());
      for (const auto& t : set["tables"])
        for (const auto& row : t["rows"]) {
          std::vector<std::string> cells = {
              n, year, period, t["number"], t["caption"], t["kind"] == "error" ? "ошибка" : "предупреждение"};
          for (const auto& c : row) cells.push_back(c);
          expected.push_back(cells);
        }
      for (const auto& m : set["messages"])
        expected.push_back(
            {n, year, period, "", "сообщение", m["kind"] == "error" ? "ошибка" : "предупреждение", m["text"]});
    }
    std::vector<std::vector<std::string>> got;
    for (size_t r = 1; r < findings.Rows.size(); ++r) {
      std::vector<std::string> cells = findings.Rows[r];
      if (cells.empty() || cells[0] != n) continue;
      cells.erase(cells.begin() + 1);  // the organisation, checked below
      while (!cells.empty() && cells.back().empty()) cells.pop_back();
      got.push_back(cells);
    }
    EXPECT_EQ(got, expected) << n;
    EXPECT_FALSE(expected.empty()) << n;
  }
  for (size_t r = 1; r < findings.Rows.size(); ++r) {
    if (findings.Rows[r][0] == formula) {
      EXPECT_EQ(findings.Rows[r][1], "=1+2 Завод, \"цех\"");
    }
  }
  const TSheet& files = book.Sheets[2];
  ASSERT_EQ(files.Rows.size(), 3u);
  EXPECT_EQ(files.Rows[2][0], unassigned[2][0]);
  for (const TSheet& sheet : book.Sheets) EXPECT_FALSE(sheet.HasFormula) << sheet.Name;

  // index.html: the same order, the damaged employer red, links to the protocol and the findings.
  const std::string index = test::ReadFile(reports / "index.html");
  size_t at = 0;
  for (const std::string& n : order) {
    const size_t next = index.find("<td class=\"k\">" + n + "</td>", at);
    EXPECT_NE(next, std::string::npos) << n;
    at = next;
  }
  EXPECT_NE(index.find("<tr class=\"damaged\" data-k=\"c10 damaged\""), std::string::npos);
  EXPECT_NE(index.find("<tr class=\"failed\" data-k=\"c29\""), std::string::npos);
  EXPECT_NE(index.find("<button type=\"button\" data-k=\"c30\">30 найдены ошибки<b>2</b></button>"), std::string::npos);
  EXPECT_NE(index.find("<button type=\"button\" data-k=\"damaged\">повреждённые файлы<b>1</b></button>"),
            std::string::npos);
  EXPECT_NE(index.find("<a href=\"" + example + "/findings.json\">findings.json</a>"), std::string::npos);
  EXPECT_NE(index.find("письмо\\nвторое, с запятой.txt"), std::string::npos);
  EXPECT_EQ(index.find("data-running"), std::string::npos);

  // --summarize reads the same back.
  const std::string csvText = test::ReadFile(reports / "summary.csv");
  ASSERT_EQ(Run({"intake", "--summarize", reports.string()}), 29) << Output();
  TRecords again = ReadStrictCsv(reports / "summary.csv");
  ASSERT_EQ(again.size(), csv.size());
  for (size_t r = 0; r < csv.size(); ++r) {
    csv[r].pop_back();  // seconds: the intake's own measure for the failed run
    again[r].pop_back();
  }
  EXPECT_EQ(again[0], csv[0]);
  EXPECT_EQ(ByFirstField(again)[damaged], ByFirstField(csv)[damaged]);
  EXPECT_EQ(ReadWorkbook(reports / "summary.xlsx").Sheets.size(), 3u);
}

TEST_F(IntakeSummaryTest, ASummaryThatCannotBeWrittenEndsTheIntakeWith29) {
  const std::string a = "011-000-000001";
  test::WriteFile(is / (a + ".xml"), ISFileOf(a));
  // Where the workbook goes there is a folder that cannot be replaced.
  test::WriteFile(reports / "summary.xlsx" / "keep.txt", "");
  EXPECT_EQ(Intake(), 29) << Output();
  EXPECT_NE(
      test::ReadFile(work / "err.txt")
          .find("zazoru intake: сводка не записана: Не удалось записать файл " + (reports / "summary.xlsx").string()),
      std::string::npos)
      << Output();
  // The rest is written, and says the intake has ended.
  EXPECT_EQ(ReadStrictCsv(reports / "summary.csv").size(), 2u);
  EXPECT_EQ(test::ReadFile(reports / "index.html").find("data-running"), std::string::npos);
  EXPECT_EQ(Run({"intake", "--summarize", reports.string()}), 29);

  fs::remove_all(reports / "summary.xlsx");
  EXPECT_EQ(Run({"intake", "--summarize", reports.string()}), 0) << Output();
  EXPECT_EQ(ReadWorkbook(reports / "summary.xlsx").Sheets.size(), 3u);
}

// A child program that ends with 0 and writes nothing: the intake finds it beside itself.
TEST_F(IntakeSummaryTest, ARunThatLeavesNothingIsAFailedRun) {
  const fs::path bin = work / "bin";
  fs::create_directories(bin);
  fs::copy_file(kBuild / "zazoru-batch", bin / "zazoru");
  for (const char* shipped : {"perech-lmvt.xsd", "perech-lmvt-additional.xml"})
    fs::copy_file(kBuild / shipped, bin / shipped);
  test::WriteFile(bin / "zazoru-batch", "#!/bin/sh\nexit 0\n");
  fs::permissions(bin / "zazoru-batch", fs::perms::owner_all);
  program = (bin / "zazoru").string();
  const std::string a = "011-000-000001";
  test::WriteFile(is / (a + ".xml"), ISFileOf(a));

  EXPECT_EQ(Intake("--exec"), 29) << Output();
  auto rows = ByFirstField(ReadStrictCsv(reports / "summary.csv"));
  EXPECT_EQ(rows[a]["exit_code"], "29");
  EXPECT_EQ(rows[a]["meaning"], "критическая ошибка: сверка не оставила протокола (код 0)");
  EXPECT_NE(test::ReadFile(reports / "index.html").find("<tr class=\"failed\" data-k=\"c29\""), std::string::npos);
  EXPECT_NE(test::ReadFile(work / "out.txt").find("Сверено 0 из 1 работодателей"), std::string::npos) << Output();
}

}  // namespace
}  // namespace zz
