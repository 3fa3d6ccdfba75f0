// summary.csv and index.html at the intake's report root, from what the runs left.
#include "app/intake_summary.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <type_traits>

#include "app/command_line.h"
#include "base/exit_code.h"
#include "base/strings.h"
#include "base/utils.h"
#include "report/findings.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

std::string Seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", s);
  return buf;
}

std::string CsvField(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

template <class T>
std::string Optional(const std::optional<T>& v) {
  if (!v) return {};
  if constexpr (std::is_same_v<T, double>)
    return Seconds(*v);
  else
    return std::to_string(*v);
}

std::string UnassignedMeaning(const TUnassignedFile& file) {
  return "не распределён: " + EscapeControlChars(file.Path.string()) +
         (file.Reason.empty() ? std::string() : " (" + EscapeControlChars(file.Reason) + ")");
}

std::string Csv(const TSummary& summary) {
  std::string csv = "regnum,organisation,exit_code,meaning,errors,warnings,protocol,seconds\n";
  for (const TSummaryRow& r : summary.Rows)
    csv += CsvField(r.RegNum) + "," + CsvField(r.Organisation) + "," + Optional(r.ExitCode) + "," +
           CsvField(r.Meaning) + "," + Optional(r.Errors) + "," + Optional(r.Warnings) + "," + CsvField(r.Protocol) +
           "," + Optional(r.Seconds) + "\n";
  for (const TUnassignedFile& file : summary.Unassigned) csv += ",,,," + CsvField(UnassignedMeaning(file)) + ",,,,\n";
  return csv;
}

// Row colour by exit code: a verdict to look at is warm, a run that did not complete is dark.
const char* RowClass(const TSummaryRow& r) {
  if (r.Missing) return "failed";
  if (!r.ExitCode) return "pending";
  switch (*r.ExitCode) {
    case 0: return "ok";
    case 1: return "warn";
    case 10:
    case 11:
    case 12: return "none";
    case 22:
    case 23:
    case 25: return "verdict";
    case 30: return "errors";
  }
  return "failed";
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1em}table{border-collapse:collapse}"
    "th,td{border:1px solid #999;padding:2px 6px;text-align:left}th{background:#ddd;cursor:pointer;user-select:none}"
    "th.asc::after{content:' \\25B2'}th.desc::after{content:' \\25BC'}td.n{text-align:right}td.k{white-space:nowrap}"
    "tr.ok{background:#d8f0d8}tr.warn{background:#fff4c2}tr.none{background:#e4ecf6}"
    "tr.verdict{background:#ffd9a8}tr.errors{background:#f6c0c0}tr.failed{background:#b03a3a;color:#fff}"
    "tr.failed a{color:#fff}tr.pending{color:#777}";

// Click a column head to sort by it; a second click reverses the order.
constexpr const char* kSortScript =
    "<script>document.querySelectorAll('#summary th').forEach(function(th,col){th.onclick=function(){"
    "var body=th.closest('table').tBodies[0],rows=Array.from(body.rows),num=th.dataset.type==='num',"
    "dir=th.classList.contains('asc')?-1:1;th.parentNode.querySelectorAll('th').forEach(function(h){"
    "h.classList.remove('asc','desc')});th.classList.add(dir>0?'asc':'desc');rows.sort(function(a,b){"
    "var x=a.cells[col].textContent,y=b.cells[col].textContent;if(num){x=x===''?-1:+x;y=y===''?-1:+y;"
    "return (x-y)*dir}return x.localeCompare(y,'ru')*dir});rows.forEach(function(r){body.appendChild(r)})}})"
    "</script>";

std::string Html(const TSummary& summary) {
  int done = 0, failed = 0, waiting = 0;
  for (const auto& r : summary.Rows) {
    if (r.Completed())
      ++done;
    else if (r.ExitCode || r.Missing)
      ++failed;
    else
      ++waiting;
  }
  std::string h = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n";
  if (summary.Running) h += "<meta http-equiv=\"refresh\" content=\"5\">\n";
  h += "<title>Сводка сверки</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n<body>\n";
  h += "<h2>Сводка сверки</h2>\n<p>Работодателей: " + std::to_string(summary.Rows.size()) +
       ", сверено: " + std::to_string(done) + ", не завершено: " + std::to_string(failed) +
       ", ждут: " + std::to_string(waiting) +
       ", не распределено или пропущено файлов: " + std::to_string(summary.Unassigned.size()) + ".";
  if (summary.Running) h += " Сверка идёт, страница обновляется.";
  if (summary.Interrupted) h += " Сверка прервана.";
  h += "</p>\n<table id=\"summary\">\n<thead><tr><th>Рег. номер</th><th>Организация</th>"
       "<th data-type=\"num\">Код</th><th>Значение</th><th data-type=\"num\">Ошибок</th>"
       "<th data-type=\"num\">Предупреждений</th><th>Протокол</th><th data-type=\"num\">Секунд</th></tr></thead>\n"
       "<tbody>\n";
  for (const TSummaryRow& r : summary.Rows) {
    h += "<tr class=\"" + std::string(RowClass(r)) + "\"><td class=\"k\">" + HtmlEscape(r.RegNum) + "</td><td>" +
         HtmlEscape(r.Organisation) + "</td><td class=\"n\">" + Optional(r.ExitCode) + "</td><td>" +
         HtmlEscape(r.Meaning) + "</td><td class=\"n\">" + Optional(r.Errors) + "</td><td class=\"n\">" +
         Optional(r.Warnings) + "</td><td>";
    if (!r.Protocol.empty())
      h +=
          "<a href=\"" + HtmlEscape(r.Protocol) + "\">" + HtmlEscape(fs::path(r.Protocol).filename().string()) + "</a>";
    h += "</td><td class=\"n\">" + Optional(r.Seconds) + "</td></tr>\n";
  }
  h += "</tbody>\n</table>\n";
  if (!summary.Unassigned.empty()) {
    h += "<h3>Не распределены или пропущены</h3>\n<ul>\n";
    for (const TUnassignedFile& file : summary.Unassigned)
      h += "<li>" + HtmlEscape(EscapeControlChars(file.Path.string())) +
           (file.Reason.empty() ? std::string() : ": " + HtmlEscape(EscapeControlChars(file.Reason))) + "</li>\n";
    h += "</ul>\n";
  }
  h += kSortScript;
  h += "\n</body>\n</html>\n";
  return h;
}

}  // namespace

TSummaryRow MakeSummaryRow(const TIntakeLayout& layout, const std::string& regNum, const TRunOutcome* outcome,
                           const std::string& state) {
  TSummaryRow row;
  row.RegNum = regNum;
  std::optional<TFindingsHead> findings = ReadFindingsHead(layout.ReportDir(regNum));
  if (findings && findings->RegNum != regNum) findings.reset();
  if (outcome && (outcome->Signal != 0 || !findings || findings->ExitCode != outcome->ExitCode)) {
    // The run ended without findings of its own: its exit code is all there is.
    row.ExitCode = outcome->Signal != 0 ? static_cast<int>(ecCritical) : outcome->ExitCode;
    row.Meaning = outcome->Signal != 0 ? "прервана сигналом " + std::to_string(outcome->Signal)
                                       : std::string(ExitCodeMeaning(*row.ExitCode));
    row.Seconds = outcome->Seconds;
    return row;
  }
  if (!findings) {
    row.Meaning = state;
    return row;
  }
  row.Organisation = findings->Organisation;
  row.ExitCode = findings->ExitCode;
  row.Meaning = findings->Meaning;
  row.Errors = findings->Errors;
  row.Warnings = findings->Warnings;
  if (!findings->Protocol.empty()) row.Protocol = regNum + "/" + findings->Protocol;
  row.Seconds = findings->Seconds;
  return row;
}

void WriteSummary(const TIntakeLayout& layout, const TSummary& summary) {
  WriteFileAtomically(layout.ReportRoot / "summary.csv", Csv(summary));
  WriteFileAtomically(layout.ReportRoot / "index.html", Html(summary));
}

TSummary SummarizeReportRoot(const TIntakeLayout& layout) {
  TSummary summary;
  std::vector<std::string> numbers;
  if (std::optional<TIntakeGroups> groups = ReadManifest(layout)) {
    for (const auto& e : groups->Employers) numbers.push_back(e.RegNum);
    summary.Unassigned = groups->Unassigned;
  } else {
    std::error_code ec;
    for (fs::directory_iterator it(layout.ReportRoot, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (it->is_directory(ec) && RegNumInFileName(name) == name) numbers.push_back(name);
    }
    std::sort(numbers.begin(), numbers.end());
  }
  for (const std::string& n : numbers) {
    summary.Rows.push_back(MakeSummaryRow(layout, n, nullptr, "нет результата: сверка не завершена"));
    summary.Rows.back().Missing = !summary.Rows.back().ExitCode;
  }
  return summary;
}

}  // namespace zz
