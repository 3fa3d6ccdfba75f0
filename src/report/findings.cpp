// Collecting a run's findings and writing them as findings.json.
#include "report/findings.h"

#include <chrono>
#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "base/exit_code.h"
#include "base/utils.h"
#include "results/html.h"

namespace zz {

namespace fs = std::filesystem;
using nlohmann::ordered_json;

namespace {

// Set while the program is loaded, which is as close to its start as the findings need; a run
// forked from a running process sets it anew.
auto gProcessStart = std::chrono::steady_clock::now();

TFindingsMessage MessageOf(const TOneMessageResult& m) { return {HtmlToText(m.MessageHtml()), m.IsError}; }

ordered_json MessagesJson(const std::vector<TFindingsMessage>& messages) {
  ordered_json list = ordered_json::array();
  for (const auto& m : messages) list.push_back({{"kind", m.IsError ? "error" : "warning"}, {"text", m.Text}});
  return list;
}

int Count(const std::vector<TFindingsSet>& sets, const std::vector<TFindingsMessage>& runMessages, bool errors) {
  int n = 0;
  for (const auto& m : runMessages) n += m.IsError == errors;
  for (const auto& set : sets) {
    for (const auto& t : set.Tables)
      if (t.IsError == errors) n += static_cast<int>(t.Rows.size());
    for (const auto& m : set.Messages) n += m.IsError == errors;
  }
  return n;
}

}  // namespace

double ProcessSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - gProcessStart).count();
}

void RestartProcessSeconds() { gProcessStart = std::chrono::steady_clock::now(); }

void TFindings::BeginSet(const TVerificationResults& v) {
  TFindingsSet set;
  set.Year = v.fYear;
  set.Period = v.fPeriod;
  set.ExitCode = v.fECode;
  if (v.fListData) set.ListFile = v.fListData->fFileName;
  fSets.push_back(std::move(set));
}

void TFindings::AddResult(const TResult& result, int chapterNum, int tableNum) {
  if (fSets.empty()) throw std::logic_error("findings: a block before its set");
  TFindingsSet& set = fSets.back();
  if (const auto* message = dynamic_cast<const TOneMessageResult*>(&result)) {
    set.Messages.push_back(MessageOf(*message));
    return;
  }
  const auto* table = dynamic_cast<const TTableResult*>(&result);
  if (!table) return;
  TFindingsTable t;
  t.Id = table->ClassName();
  t.Number = std::to_string(chapterNum) + "." + std::to_string(tableNum);
  t.Chapter = HtmlToText(table->FChapterName);
  t.Caption = HtmlToText(table->FTableName);
  t.IsError = table->IsError;
  for (const auto& row : table->FHeaderData) {
    std::vector<std::string> cells;
    for (const THeaderData& cell : row) cells.push_back(HtmlToText(cell.Name));
    t.Header.push_back(std::move(cells));
  }
  for (size_t i = 0; i < table->Count(); ++i) {
    std::vector<std::string> cells;
    for (const std::string& cell : table->Record(i)->Cells()) cells.push_back(HtmlToText(cell));
    t.Rows.push_back(std::move(cells));
  }
  set.Tables.push_back(std::move(t));
}

void TFindings::AddRunMessage(const TResult& message) {
  if (const auto* m = dynamic_cast<const TOneMessageResult*>(&message)) fRunMessages.push_back(MessageOf(*m));
}

void TFindings::AddRunMessage(std::string text, bool isError) { fRunMessages.push_back({std::move(text), isError}); }

int TFindings::ErrorCount() const { return Count(fSets, fRunMessages, true); }
int TFindings::WarningCount() const { return Count(fSets, fRunMessages, false); }

std::string TFindings::ToJson(int exitCode, const std::string& regNum, const std::string& orgName,
                              const std::string& protocolFile) const {
  ordered_json doc;
  doc["format"] = kFormat;
  doc["exit_code"] = exitCode;
  doc["meaning"] = ExitCodeMeaning(exitCode);
  doc["regnum"] = regNum;
  doc["organisation"] = orgName;
  doc["protocol"] = protocolFile;
  doc["errors"] = ErrorCount();
  doc["warnings"] = WarningCount();
  doc["damaged_files"] = fDamagedFiles;
  doc["seconds"] = std::round(ProcessSeconds() * 1000) / 1000;
  doc["messages"] = MessagesJson(fRunMessages);
  ordered_json sets = ordered_json::array();
  for (const auto& set : fSets) {
    ordered_json s;
    s["year"] = set.Year;
    s["period"] = set.Period;
    s["exit_code"] = set.ExitCode;
    s["list_file"] = set.ListFile;
    ordered_json tables = ordered_json::array();
    for (const auto& t : set.Tables)
      tables.push_back({{"id", t.Id},
                        {"number", t.Number},
                        {"chapter", t.Chapter},
                        {"caption", t.Caption},
                        {"kind", t.IsError ? "error" : "warning"},
                        {"header", t.Header},
                        {"rows", t.Rows}});
    s["tables"] = std::move(tables);
    s["messages"] = MessagesJson(set.Messages);
    sets.push_back(std::move(s));
  }
  doc["sets"] = std::move(sets);
  // Input that is not valid UTF-8 must not cost the calling program its findings.
  return doc.dump(2, ' ', false, ordered_json::error_handler_t::replace) + "\n";
}

void TFindings::Write(const fs::path& directory, const std::string& json) {
  // Renamed into place, so that no reader sees it half written; not flushed to disk: a flush per
  // run costs an intake of thousands of employers about a tenth of its time, and a file lost to a
  // power cut only makes the next intake redo that employer (its findings no longer match).
  WriteFileAtomically(directory / kFileName, json, TDurability::Cached);
}

namespace {

// Read whole, then parsed: the intake reads one per employer, and parsing from a stream is slow.
std::optional<ordered_json> ReadFindingsJson(const fs::path& directory) {
  std::string text;
  try {
    text = ReadFileBytes(directory / TFindings::kFileName);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  ordered_json doc = ordered_json::parse(text, nullptr, false);
  if (doc.is_discarded() || !doc.is_object() || !doc.contains("exit_code") || !doc["exit_code"].is_number_integer())
    return std::nullopt;
  return doc;
}

// Throws ordered_json::exception for a field of another type.
TFindingsHead HeadOf(const ordered_json& doc) {
  TFindingsHead head;
  head.ExitCode = doc["exit_code"].get<int>();
  head.Meaning = doc.value("meaning", "");
  head.RegNum = doc.value("regnum", "");
  head.Organisation = doc.value("organisation", "");
  head.Protocol = doc.value("protocol", "");
  head.Errors = doc.value("errors", 0);
  head.Warnings = doc.value("warnings", 0);
  head.DamagedFiles = doc.value("damaged_files", 0);
  head.Seconds = doc.value("seconds", 0.0);
  return head;
}

std::vector<TFindingsMessage> MessagesOf(const ordered_json& doc) {
  std::vector<TFindingsMessage> messages;
  if (!doc.contains("messages")) return messages;
  for (const auto& m : doc.at("messages")) messages.push_back({m.value("text", ""), m.value("kind", "") == "error"});
  return messages;
}

}  // namespace

std::optional<TFindingsHead> ReadFindingsHead(const fs::path& directory) {
  std::optional<ordered_json> doc = ReadFindingsJson(directory);
  if (!doc) return std::nullopt;
  try {
    return HeadOf(*doc);
  } catch (const ordered_json::exception&) {
    return std::nullopt;  // a field of another type: not a file this program wrote
  }
}

std::optional<TFindingsFile> ReadFindingsFile(const fs::path& directory) {
  std::optional<ordered_json> doc = ReadFindingsJson(directory);
  if (!doc) return std::nullopt;
  TFindingsFile file;
  try {
    file.Head = HeadOf(*doc);
    file.Messages = MessagesOf(*doc);
    if (doc->contains("sets"))
      for (const auto& s : doc->at("sets")) {
        TFindingsSet set;
        set.Year = s.value("year", 0);
        set.Period = s.value("period", 0);
        set.ExitCode = s.value("exit_code", 0);
        set.ListFile = s.value("list_file", "");
        if (s.contains("tables"))
          for (const auto& t : s.at("tables")) {
            TFindingsTable table;
            table.Id = t.value("id", "");
            table.Number = t.value("number", "");
            table.Chapter = t.value("chapter", "");
            table.Caption = t.value("caption", "");
            table.IsError = t.value("kind", "") == "error";
            if (t.contains("header")) table.Header = t.at("header").get<std::vector<std::vector<std::string>>>();
            if (t.contains("rows")) table.Rows = t.at("rows").get<std::vector<std::vector<std::string>>>();
            set.Tables.push_back(std::move(table));
          }
        set.Messages = MessagesOf(s);
        file.Sets.push_back(std::move(set));
      }
  } catch (const ordered_json::exception&) {
    return std::nullopt;
  }
  return file;
}

void TFindings::RemoveStale(const fs::path& directory) {
  std::error_code ec;
  fs::remove(directory / kFileName, ec);
}

}  // namespace zz
