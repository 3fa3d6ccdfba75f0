// findings.json of real batch runs: it must say what the protocol says, table by table and row by
// row, for the bundled example and for a generated employer with planted discrepancies.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "base/strings.h"
#include "base/utils.h"
#include "results/html.h"
#include "support/liverto_stub_process.h"
#include "support/program_process.h"
#include "support/test_support.h"

namespace zz {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kExample = fs::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";

struct TProtocolTable {
  std::string Id;
  std::string CaptionLine;
  std::vector<std::vector<std::string>> Rows;  // cells as the protocol writes them
  int Total = -1;
};

// The tables of a protocol, read the way a person reads it: caption, data rows, total line.
std::vector<TProtocolTable> ProtocolTables(const std::string& html) {
  std::vector<TProtocolTable> tables;
  std::istringstream in(html);
  std::string line, previous;
  TProtocolTable* current = nullptr;
  std::vector<std::string>* row = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("<table id=\"", 0) == 0) {
      tables.push_back({line.substr(11, line.find('"', 11) - 11), previous, {}, -1});
      current = &tables.back();
    } else if (current && line == "<tr>") {
      current->Rows.emplace_back();
      row = &current->Rows.back();
    } else if (current && row && line.rfind("<td>", 0) == 0) {
      row->push_back(line.substr(4, line.size() - 9));
    } else if (current && line == "</tr>") {
      row = nullptr;
    } else if (current && line.rfind("<div style=\"color: ", 0) == 0) {
      size_t colon = line.rfind(": ");
      current->Total = std::atoi(line.c_str() + colon + 2);
      current = nullptr;
    }
    previous = line;
  }
  return tables;
}

class FindingsRunTest : public ::testing::Test {
 protected:
  test::TempDir work;
  fs::path is = work / "is";
  fs::path reports = work / "reports";
  fs::path config = work / "config";

  FindingsRunTest() {
    fs::create_directories(is);
    fs::create_directories(reports);
  }

  int RunBatch(const std::string& extra) {
    test::TProgramStart start{{test::BuiltProgram(), "bpi", is.string(), reports.string()}, config};
    for (std::string& word : test::Words(extra)) start.Args.push_back(std::move(word));
    start.Output = work / "out.txt";
    return test::RunProgramProcess(start);
  }

  json Findings() {
    std::ifstream in(reports / "findings.json");
    return json::parse(in);
  }

  // Every table of the protocol is in the findings, in order, with the same id, number, caption,
  // kind and cells; returns the findings' rows per table id.
  std::map<std::string, int> ExpectAgreement(const json& findings) {
    std::string protocol = Cp1251ToUtf8(test::ReadFile(reports / findings["protocol"].get<std::string>()));
    std::vector<TProtocolTable> tables = ProtocolTables(protocol);
    std::vector<json> found;
    for (const auto& set : findings["sets"])
      for (const auto& t : set["tables"]) found.push_back(t);
    EXPECT_EQ(found.size(), tables.size());
    std::map<std::string, int> rows;
    int errors = 0, warnings = 0;
    for (size_t i = 0; i < std::min(found.size(), tables.size()); ++i) {
      const json& f = found[i];
      const TProtocolTable& p = tables[i];
      EXPECT_EQ(f["id"], p.Id);
      // The caption as a reader sees it: the protocol writes a table's name as it is (the crossing
      // table's name holds quotes).
      const std::string open = "<b>", close = "</b><br/>";
      EXPECT_TRUE(p.CaptionLine.starts_with(open) && p.CaptionLine.ends_with(close)) << p.CaptionLine;
      if (p.CaptionLine.size() >= open.size() + close.size()) {
        EXPECT_EQ(HtmlToText(p.CaptionLine.substr(open.size(), p.CaptionLine.size() - open.size() - close.size())),
                  "Таблица " + f["number"].get<std::string>() + " " + f["caption"].get<std::string>());
      }
      EXPECT_EQ(static_cast<int>(f["rows"].size()), p.Total) << p.Id;
      EXPECT_EQ(f["rows"].size(), p.Rows.size()) << p.Id;
      if (f["rows"].size() != p.Rows.size()) continue;
      for (size_t r = 0; r < p.Rows.size(); ++r) {
        EXPECT_EQ(f["rows"][r].size(), p.Rows[r].size()) << p.Id << " row " << r;
        if (f["rows"][r].size() == p.Rows[r].size()) {
          for (size_t c = 0; c < p.Rows[r].size(); ++c) {
            EXPECT_EQ(f["rows"][r][c].get<std::string>(), HtmlToText(p.Rows[r][c])) << p.Id << " " << r << "," << c;
          }
        }
      }
      rows[p.Id] += static_cast<int>(p.Rows.size());
      (f["kind"] == "error" ? errors : warnings) += static_cast<int>(p.Rows.size());
    }
    int messageErrors = 0, messageWarnings = 0;
    for (const auto& m : findings["messages"]) (m["kind"] == "error" ? messageErrors : messageWarnings)++;
    for (const auto& set : findings["sets"])
      for (const auto& m : set["messages"]) (m["kind"] == "error" ? messageErrors : messageWarnings)++;
    EXPECT_EQ(findings["errors"], errors + messageErrors);
    EXPECT_EQ(findings["warnings"], warnings + messageWarnings);
    return rows;
  }
};

TEST_F(FindingsRunTest, TheExamplesFindingsAreTheProtocolsTables) {
  fs::copy(kExample / "is", is, fs::copy_options::recursive);
  test::TLivertoStubProcess stub(kExample / "lists");
  test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini",
                  "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(stub.Port()) +
                      "\nApp=list4\nConnect=1\n[Options]\nTerritoryControl=1\nFindings=1\n");
  ASSERT_EQ(RunBatch(""), 30);
  json f = Findings();
  EXPECT_EQ(f["format"], 1);
  EXPECT_EQ(f["exit_code"], 30);
  EXPECT_EQ(f["meaning"], "найдены ошибки");
  EXPECT_EQ(f["regnum"], "087-104-003215");
  EXPECT_EQ(f["protocol"], "ZAZORU-2023-4-REGNO-087-104-003215.html");
  ASSERT_EQ(f["sets"].size(), 1u);
  EXPECT_EQ(f["sets"][0]["year"], 2023);
  EXPECT_EQ(f["sets"][0]["period"], 4);
  auto rows = ExpectAgreement(f);
  EXPECT_GE(rows.size(), 2u);
  // The protocol's escaped quotes come back as the text's own.
  EXPECT_NE(f.dump().find("ПК \\\"Ливерто\\\""), std::string::npos);

  // Without the option no findings are written, and a stale file is not left to pass for new.
  test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini",
                  "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(stub.Port()) +
                      "\nApp=list4\nConnect=1\n[Options]\nTerritoryControl=1\n");
  fs::remove(reports / "findings.json");
  ASSERT_EQ(RunBatch(""), 30);
  EXPECT_FALSE(fs::exists(reports / "findings.json"));
  // A refused run says so in its findings: code 21, the refusal, no protocol.
  test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini", "[Options]\nWithList=0\nTerritoryControl=0\n");
  ASSERT_EQ(RunBatch("--findings"), 21);
  f = Findings();
  EXPECT_EQ(f["exit_code"], 21);
  EXPECT_EQ(f["protocol"], "");
  ASSERT_EQ(f["messages"].size(), 1u);
  EXPECT_EQ(f["messages"][0]["kind"], "error");
}

TEST_F(FindingsRunTest, AGeneratedEmployersFindingsCountWhatWasPlanted) {
  fs::path data = work / "generated";
  std::string gen = std::string(ZAZORU_BINARY_DIR) + "/gen-workload --out '" + data.string() +
                    "' --persons 120 --discrepancies 0.1 --seed 7 --regnum 055-001-000777 > /dev/null";
  ASSERT_EQ(std::system(gen.c_str()), 0);
  fs::remove_all(is);
  fs::copy(data / "is", is, fs::copy_options::recursive);
  test::TLivertoStubProcess stub(data / "lists");
  test::WriteFile(config / "Zazoru" / "ZazoruConfig.ini",
                  "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(stub.Port()) + "\nApp=list4\nConnect=1\n");
  ASSERT_EQ(RunBatch("--findings"), 30);
  json f = Findings();
  EXPECT_EQ(f["regnum"], "055-001-000777");
  std::map<std::string, int> rows = ExpectAgreement(f);

  std::map<std::string, int> planted;
  std::ifstream in(data / "planted.txt");
  for (std::string word, table; in >> word;) {
    if (word == "table") {
      int n = 0;
      in >> table >> n;
      if (n > 0) planted[table] = n;
    } else {
      std::getline(in, table);
    }
  }
  EXPECT_FALSE(planted.empty());
  EXPECT_EQ(rows, planted);
}

}  // namespace
}  // namespace zz
