// One generated employer reconciled as written and in forms that change nothing a user would call
// content: code pages and byte-order marks, layout, quoting, references, CDATA and comments, the
// persons' order, archives as each kind of zip tool writes them, upper-case extensions, a correction
// repeating a person as he is, and the Perechen's layout. Every form must end with the same exit
// code and the same rows in the same tables of findings.json.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include "content_forms.h"
#include "support/liverto_stub_process.h"
#include "support/program_process.h"
#include "support/test_support.h"

namespace zz {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::TFileBytes;

const std::string kRegNum = "055-001-000888";

// A few hundred persons in five IS files, most of them preferential, a third of those with a
// planted discrepancy, so that most tables have rows; and a СЗВ-КОРР of one of them.
const char kGenerate[] =
    "--persons 240 --preferential 0.6 --discrepancies 0.35 --max-file-mb 0.05 --seed 11 --correction";

using TTextRewrite = std::function<std::string(const std::string&)>;
using TDelivery = std::function<void(const std::vector<TFileBytes>&, const fs::path&)>;

struct TForm {
  std::string Name;
  TTextRewrite Rewrite;      // the text of each IS document
  TTextRewrite Encode;       // its text into the file's bytes; UTF-8 as it is when empty
  TDelivery Deliver;         // the files into the IS directory; as they are when empty
  TTextRewrite RewriteList;  // the Perechen's text
  bool SameOrder = true;     // false: the persons stand in another order, and so may the rows
  bool WithCorrection = false;
  // No *.xml name to take the number from: it is given, as the intake gives it.
  bool RegNumGiven = false;
};

void PrintTo(const TForm& form, std::ostream* out) { *out << form.Name; }

// The built batch program with the configuration directory, waited for.
int RunBatch(const std::vector<std::string>& args, const fs::path& configHome, const fs::path& output) {
  test::TProgramStart start{{test::BuiltProgram("zazoru-batch")}, configHome};
  start.Args.insert(start.Args.end(), args.begin(), args.end());
  start.Output = output;
  return test::RunProgramProcess(start);
}

// What stands in a row's pack and number cells when they name the row's own person where the input
// has him: the same person is then named, wherever the form put him.
const std::string kOwnPlace = "(место лица в его пачке)";

// The pack and number columns stand in the first header row, before any grouped column, so their
// index there is their index in a row.
void NormaliseRows(json& table, const test::TPersonPlaces& places) {
  const json& first = table["header"][0];
  size_t sn = first.size();
  std::vector<std::pair<size_t, size_t>> packAndNumber;
  for (size_t c = 0; c < first.size(); ++c) {
    const std::string head = first[c];
    if (head == "Страховое свидетельство") sn = c;
    if (c > 0 && head.starts_with("№ в пачке") && first[c - 1].get<std::string>().starts_with("№ пачки"))
      packAndNumber.emplace_back(c - 1, c);
  }
  for (json& row : table["rows"]) {
    if (sn >= row.size()) continue;
    auto person = places.find(row[sn].get<std::string>());
    if (person == places.end()) continue;
    for (auto [p, n] : packAndNumber) {
      if (n >= row.size()) continue;
      const std::string pack = row[p], number = row[n];
      // A row of a named-list period leaves the pack empty and names the number alone.
      const bool own = std::any_of(person->second.begin(), person->second.end(), [&](const auto& place) {
        return (pack.empty() || place.first == pack) && place.second == number;
      });
      if (!own) continue;
      if (!pack.empty()) row[p] = kOwnPlace;
      row[n] = kOwnPlace;
    }
  }
}

// The findings without what may differ between two forms of the same content: the run's time, the
// IS directory in the texts, where each person stands in the files, and (for forms that reorder the
// persons) the order of the rows.
json Normalised(json findings, const test::TPersonPlaces& places, const fs::path& isDir, bool sortRows) {
  findings.erase("seconds");
  auto texts = [&](json& messages) {
    for (json& m : messages) m["text"] = ReplaceAll(m["text"].get<std::string>(), isDir.string(), "<IS>");
  };
  texts(findings["messages"]);
  for (json& set : findings["sets"]) {
    texts(set["messages"]);
    for (json& table : set["tables"]) {
      NormaliseRows(table, places);
      if (sortRows) std::sort(table["rows"].begin(), table["rows"].end());
    }
  }
  return findings;
}

std::string TableList(const json& set) {
  std::string list;
  for (const json& t : set["tables"]) list += " " + t["id"].get<std::string>() + ":" + std::to_string(t["rows"].size());
  return list;
}

// The rows of each table id (tables of one id one after another), missing and extra.
void RowDifferences(const json& was, const json& is, std::vector<std::string>& out) {
  std::map<std::string, std::pair<std::vector<json>, std::vector<json>>> rows;
  for (const json& t : was["tables"]) {
    auto& kept = rows[t["id"]].first;
    kept.insert(kept.end(), t["rows"].begin(), t["rows"].end());
  }
  for (const json& t : is["tables"]) {
    auto& kept = rows[t["id"]].second;
    kept.insert(kept.end(), t["rows"].begin(), t["rows"].end());
  }
  for (auto& [id, both] : rows) {
    auto& [a, b] = both;
    if (a == b) continue;
    std::vector<json> missing, extra;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(missing));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(extra));
    if (missing.empty() && extra.empty()) out.push_back(id + ": the same rows in another order");
    for (const json& r : missing) out.push_back(id + " lacks " + r.dump());
    for (const json& r : extra) out.push_back(id + " has besides " + r.dump());
  }
}

std::vector<std::string> Differences(const json& was, const json& is) {
  std::vector<std::string> out;
  for (const auto& [key, value] : was.items())
    if (key != "sets" && (!is.contains(key) || is[key] != value))
      out.push_back(key + ": " + value.dump() + " -> " + (is.contains(key) ? is[key].dump() : "(none)"));
  if (was["sets"].size() != is["sets"].size()) {
    out.push_back("sets: " + std::to_string(was["sets"].size()) + " -> " + std::to_string(is["sets"].size()));
    return out;
  }
  for (size_t s = 0; s < was["sets"].size(); ++s) {
    const json &a = was["sets"][s], &b = is["sets"][s];
    for (const auto& [key, value] : a.items())
      if (key != "tables" && (!b.contains(key) || b[key] != value))
        out.push_back("set " + key + ": " + value.dump() + " -> " + (b.contains(key) ? b[key].dump() : "(none)"));
    if (TableList(a) != TableList(b)) out.push_back("tables:" + TableList(a) + "\n   ->" + TableList(b));
    if (a["tables"].size() == b["tables"].size())
      for (size_t t = 0; t < a["tables"].size(); ++t)
        for (const char* key : {"id", "number", "chapter", "caption", "kind", "header"})
          if (a["tables"][t][key] != b["tables"][t][key])
            out.push_back("table " + std::to_string(t) + " " + key + ": " + a["tables"][t][key].dump() + " -> " +
                          b["tables"][t][key].dump());
    RowDifferences(a, b, out);
  }
  return out;
}

class SameContentTest : public ::testing::TestWithParam<TForm> {
 protected:
  static inline std::unique_ptr<test::TempDir> sWork;
  static inline std::unique_ptr<test::TLivertoStubProcess> sStub;
  static inline json sBase;
  static inline int sBaseCode = -1;
  static inline test::TPersonPlaces sBasePlaces;
  static inline std::string sSetUpFailure;

  static fs::path Generated() { return sWork->path() / "generated"; }

  // Reconciles the IS directory with the Perechen at the port; its findings.
  static json Reconcile(const fs::path& run, const fs::path& is, int port, bool regNumGiven, int& code) {
    test::WriteFile(run / "config" / "Zazoru" / "ZazoruConfig.ini",
                    "[LivertoServer]\nName=127.0.0.1\nPort=" + std::to_string(port) + "\nApp=list4\nConnect=1\n");
    fs::create_directories(run / "reports");
    std::vector<std::string> args = {"bpi", is.string(), (run / "reports").string(), "--findings"};
    if (regNumGiven) args.insert(args.end(), {"--regnum", kRegNum});
    code = RunBatch(args, run / "config", run / "output.txt");
    std::ifstream in(run / "reports" / "findings.json");
    if (!in)
      throw std::runtime_error("no findings.json, exit code " + std::to_string(code) + ": " +
                               test::ReadFile(run / "output.txt"));
    return json::parse(in);
  }

  static void SetUpTestSuite() {
    try {
      sWork = std::make_unique<test::TempDir>();
      const std::string gen = std::string(ZAZORU_BINARY_DIR) + "/gen-workload --out '" + Generated().string() +
                              "' --regnum " + kRegNum + " " + kGenerate + " > /dev/null";
      if (std::system(gen.c_str()) != 0) throw std::runtime_error("gen-workload failed: " + gen);
      sStub = std::make_unique<test::TLivertoStubProcess>(Generated() / "lists");
      for (const test::TDocument& d : test::ReadDocuments(Generated() / "is"))
        test::AddPersonPlaces(d.Text, sBasePlaces);
      const fs::path is = Generated() / "is";
      sBase =
          Normalised(Reconcile(sWork->path() / "base", is, sStub->Port(), false, sBaseCode), sBasePlaces, is, false);
    } catch (const std::exception& e) {
      sSetUpFailure = e.what();
    }
  }

  static void TearDownTestSuite() {
    sStub.reset();
    sWork.reset();
  }

  void SetUp() override {
    ASSERT_EQ(sSetUpFailure, "");
    // The employer as written: errors in most tables, rows naming persons of every file.
    ASSERT_EQ(sBaseCode, 30);
    ASSERT_EQ(sBase["sets"].size(), 1u);
    ASSERT_GE(sBase["sets"][0]["tables"].size(), 12u);
  }
};

TEST_P(SameContentTest, GivesTheSameExitCodeAndRows) {
  const TForm& form = GetParam();
  const fs::path run = sWork->path() / form.Name, is = run / "is";
  std::vector<test::TDocument> documents = test::ReadDocuments(Generated() / "is");
  if (form.WithCorrection)
    for (test::TDocument& d : test::ReadDocuments(Generated() / "correction")) documents.push_back(std::move(d));
  ASSERT_GE(documents.size(), 5u);

  test::TPersonPlaces places;
  std::vector<TFileBytes> files;
  for (const test::TDocument& d : documents) {
    const std::string text = form.Rewrite ? form.Rewrite(d.Text) : d.Text;
    test::AddPersonPlaces(text, places);
    files.push_back({d.Name, form.Encode ? form.Encode(text) : text});
  }
  (form.Deliver ? form.Deliver : test::WriteFiles)(files, is);

  int port = sStub->Port();
  std::unique_ptr<test::TLivertoStubProcess> ownStub;
  if (form.RewriteList) {
    for (const test::TDocument& d : test::ReadDocuments(Generated() / "lists"))
      test::WriteFile(run / "lists" / d.Name, form.RewriteList(d.Text));
    ownStub = std::make_unique<test::TLivertoStubProcess>(run / "lists");
    port = ownStub->Port();
  }

  int code = -1;
  json found;
  ASSERT_NO_THROW(found = Reconcile(run, is, port, form.RegNumGiven, code));
  EXPECT_EQ(code, sBaseCode) << test::ReadFile(run / "output.txt");
  json base = sBase;
  if (!form.SameOrder)
    for (json& set : base["sets"])
      for (json& table : set["tables"]) std::sort(table["rows"].begin(), table["rows"].end());
  const std::vector<std::string> differences = Differences(base, Normalised(found, places, is, !form.SameOrder));
  EXPECT_TRUE(differences.empty()) << Join(differences, "\n");
}

// ------------------------------------------------------------------------------------------------
// The forms.

std::string Cp1251(const std::string& text) {
  return test::Recode(test::DeclaringEncoding(text, "windows-1251"), "WINDOWS-1251");
}
std::string ByteOrderMark(const std::string& text) { return "\xEF\xBB\xBF" + text; }
// With the byte-order mark the converter writes first.
std::string Utf16(const std::string& text) { return test::Recode(test::DeclaringEncoding(text, "UTF-16"), "UTF-16"); }
std::string LineFeeds(const std::string& text) { return ReplaceAll(text, "\r\n", "\n"); }
std::string CrLf(const std::string& text) { return ReplaceAll(text, "\n", "\r\n"); }

std::vector<TFileBytes> UpperCaseExtensions(std::vector<TFileBytes> files) {
  for (TFileBytes& f : files) f.Name = test::WithUpperCaseExtension(f.Name);
  return files;
}

TDelivery Zipped(test::TZipNames names, bool inFolders, bool upperCase = false) {
  return [=](const std::vector<TFileBytes>& files, const fs::path& dir) {
    const std::string archive = kRegNum + "_ИС_2023" + (upperCase ? ".ZIP" : ".zip");
    test::WriteZipOfFiles(upperCase ? UpperCaseExtensions(files) : files, dir / archive, names, inFolders);
  };
}

TForm ZipForm(std::string name, test::TZipNames names, bool inFolders, bool upperCase = false) {
  TForm form;
  form.Name = std::move(name);
  form.Deliver = Zipped(names, inFolders, upperCase);
  form.RegNumGiven = true;
  return form;
}

std::vector<TForm> Forms() {
  using test::TZipNames;
  std::vector<TForm> forms;
  auto add = [&](std::string name, auto&& set) {
    TForm form;
    form.Name = std::move(name);
    set(form);
    forms.push_back(std::move(form));
  };
  add("Windows1251", [](TForm& f) { f.Encode = Cp1251; });
  add("ByteOrderMark", [](TForm& f) { f.Encode = ByteOrderMark; });
  add("Utf16", [](TForm& f) { f.Encode = Utf16; });
  add("NoDeclaration", [](TForm& f) { f.Rewrite = test::WithoutDeclaration; });
  add("NoBlanksBetweenElements", [](TForm& f) { f.Rewrite = test::WithoutBlanksBetweenElements; });
  add("LineFeedsForCrLf", [](TForm& f) { f.Rewrite = LineFeeds; });
  add("PersonsReversed", [](TForm& f) {
    f.Rewrite = test::WithPersonsReversed;
    f.SameOrder = false;
  });
  add("AttributesReversedInSingleQuotes", [](TForm& f) { f.Rewrite = test::WithAttributesReversedInSingleQuotes; });
  add("CharacterReferences", [](TForm& f) { f.Rewrite = test::WithCharacterReferences; });
  add("CdataSections", [](TForm& f) { f.Rewrite = test::WithCdataSections; });
  add("BlanksAroundTexts", [](TForm& f) { f.Rewrite = test::WithBlanksAroundTexts; });
  add("Comments", [](TForm& f) { f.Rewrite = test::WithComments; });
  forms.push_back(ZipForm("ZipUtf8FlagFlat", TZipNames::Utf8Flagged, false));
  forms.push_back(ZipForm("ZipUtf8FlagInFolders", TZipNames::Utf8Flagged, true));
  forms.push_back(ZipForm("ZipCp866Flat", TZipNames::Cp866, false));
  forms.push_back(ZipForm("ZipCp866InFolders", TZipNames::Cp866, true));
  forms.push_back(ZipForm("ZipPlainFlat", TZipNames::FileSystemBytes, false));
  forms.push_back(ZipForm("ZipPlainInFolders", TZipNames::FileSystemBytes, true));
  add("ZipDeflatedEachFile", [](TForm& f) {
    f.Deliver = [](const std::vector<TFileBytes>& files, const fs::path& dir) {
      for (const TFileBytes& file : files)
        test::WriteZipArchive(dir / (fs::path(file.Name).stem().string() + ".zip"), {{file.Name, file.Bytes}});
    };
    f.RegNumGiven = true;
  });
  add("UpperCaseXml", [](TForm& f) {
    f.Deliver = [](const std::vector<TFileBytes>& files, const fs::path& dir) {
      test::WriteFiles(UpperCaseExtensions(files), dir);
    };
  });
  forms.push_back(ZipForm("UpperCaseZip", TZipNames::FileSystemBytes, false, true));
  add("CorrectionRepeatingAPerson", [](TForm& f) { f.WithCorrection = true; });
  add("ListAttributesReversedInSingleQuotes",
      [](TForm& f) { f.RewriteList = test::WithAttributesReversedInSingleQuotes; });
  add("ListCharacterReferences", [](TForm& f) { f.RewriteList = test::WithCharacterReferences; });
  add("ListNoBlanksBetweenElements", [](TForm& f) { f.RewriteList = test::WithoutBlanksBetweenElements; });
  add("ListCrLf", [](TForm& f) { f.RewriteList = CrLf; });
  add("SeveralAtOnce", [](TForm& f) {
    f.Rewrite = [](const std::string& text) {
      return test::WithAttributesReversedInSingleQuotes(test::WithPersonsReversed(text));
    };
    f.Encode = Cp1251;
    f.Deliver = Zipped(test::TZipNames::Cp866, true, true);
    f.RewriteList = [](const std::string& text) { return test::WithoutBlanksBetweenElements(CrLf(text)); };
    f.SameOrder = false;
    f.RegNumGiven = true;
  });
  return forms;
}

INSTANTIATE_TEST_SUITE_P(Forms, SameContentTest, ::testing::ValuesIn(Forms()),
                         [](const ::testing::TestParamInfo<TForm>& info) { return info.param.Name; });

}  // namespace
}  // namespace zz
