// summary.csv, unassigned.csv, index.html and summary.xlsx at the intake's report root, from what the
// runs left.
#include "app/intake_summary.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string_view>
#include <type_traits>

#include "app/command_line.h"
#include "app/intake_index.h"
#include "app/intake_workbook.h"
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

// RFC 4180: a field with a comma, a quote or a line break is quoted, its quotes doubled.
std::string CsvField(const std::string& value) {
  const std::string text = SpreadsheetText(value);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + CsvField(fields[i]);
  return line + "\r\n";
}

template <class T>
std::string Optional(const std::optional<T>& v) {
  if (!v) return {};
  if constexpr (std::is_same_v<T, double>)
    return Seconds(*v);
  else
    return std::to_string(*v);
}

// No byte-order mark: the file is for programs, to which a mark is three bytes of the first field's
// name; a spreadsheet in a Russian locale would split it at ";" all the same, so people get the
// workbook instead.
std::string Csv(const TSummary& summary) {
  std::string csv = CsvLine(
      {"regnum", "organisation", "exit_code", "meaning", "errors", "warnings", "damaged", "protocol", "seconds"});
  for (const TSummaryRow& r : summary.Rows)
    csv += CsvLine({r.RegNum, r.Organisation, Optional(r.ExitCode), r.Meaning, Optional(r.Errors), Optional(r.Warnings),
                    Optional(r.Damaged), r.Protocol, Optional(r.Seconds)});
  return csv;
}

std::string UnassignedCsv(const TSummary& summary) {
  std::string csv = CsvLine({"path", "reason"});
  for (const TUnassignedFile& file : summary.Unassigned) csv += CsvLine({ShownPath(file.Path), ShownReason(file)});
  return csv;
}

// A failure to write is told on the terminal; while the intake runs, once for as long as it lasts,
// as the intake retries every second.
void ReportWriteFailure(const std::string& text, bool running) {
  static std::string lastReported;
  if (running && text == lastReported) return;
  lastReported = running ? text : std::string();
  if (isatty(STDERR_FILENO)) std::cerr << "\r\x1b[K";  // over the progress line
  std::cerr << "zazoru intake: сводка не записана: " << EscapeControlChars(text) << std::endl;
}

// What stands in for an index page that could not be written after the end: small enough to fit
// where the whole page did not, and never saying that the intake still runs.
std::string LostIndexPage(const std::string& reason) {
  return "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>Сводка сверки</title>\n"
         "</head>\n<body>\n<h2>Сводка сверки не записана</h2>\n<p>" +
         HtmlEscape(EscapeControlChars(reason)) +
         "</p>\n<p>Сверка завершена; сводку можно построить заново: <code>zazoru intake --summarize</code>.</p>\n"
         "</body>\n</html>\n";
}

}  // namespace

std::string ShownPath(const fs::path& path) {
  const std::string text = path.string();
  std::string valid;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = length > 0 && i + length <= text.size() && !(length == 2 && c < 0xC2);
    for (size_t k = 1; ok && k < length; ++k) ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (ok) {
      valid.append(text, i, length);
      i += length;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      valid += buf;
      ++i;
    }
  }
  return EscapeControlChars(valid);
}

std::string ShownReason(const TUnassignedFile& file) {
  return file.Reason.empty() ? std::string(kUnassignedReason) : ShownPath(fs::path(file.Reason));
}

std::string SpreadsheetText(const std::string& text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) return "'" + text;
  return text;
}

TSummaryRow MakeSummaryRow(const TIntakeLayout& layout, const std::string& regNum, const TRunOutcome* outcome,
                           const std::string& state) {
  TSummaryRow row;
  row.RegNum = regNum;
  std::optional<TFindingsHead> findings = ReadFindingsHead(layout.ReportDir(regNum));
  if (findings && findings->RegNum != regNum) findings.reset();
  if (outcome && (outcome->Signal != 0 || outcome->TimedOut || !findings || findings->ExitCode != outcome->ExitCode)) {
    // The run ended without findings of its own: its exit code is all there is.
    row.ExitCode = outcome->Signal != 0 || outcome->TimedOut ? static_cast<int>(ecCritical) : outcome->ExitCode;
    row.Meaning = outcome->TimedOut ? std::string("прервана: превышено время сверки работодателя")
                  : outcome->Signal != 0 ? "прервана сигналом " + std::to_string(outcome->Signal)
                                         : std::string(ExitCodeMeaning(*row.ExitCode));
    // Every run that reaches a verdict leaves its findings: one that left none did not finish,
    // whatever it said on leaving.
    if (outcome->Signal == 0 && !outcome->TimedOut && !findings && *row.ExitCode != ecCritical &&
        *row.ExitCode != ecSettingsOrServer) {
      row.Meaning = "критическая ошибка: сверка не оставила протокола (код " + std::to_string(*row.ExitCode) + ")";
      row.ExitCode = ecCritical;
    }
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
  row.Damaged = findings->DamagedFiles;
  row.Findings = regNum + "/" + TFindings::kFileName;
  if (!findings->Protocol.empty()) row.Protocol = regNum + "/" + findings->Protocol;
  row.Seconds = findings->Seconds;
  return row;
}

bool WriteSummary(const TIntakeLayout& layout, const TSummary& summary) {
  const fs::path index = layout.ReportRoot / "index.html";
  const fs::path workbook = layout.ReportRoot / "summary.xlsx";
  bool written = true;
  auto attempt = [&](const fs::path& file, const std::function<void()>& write) {
    try {
      write();
      return;
    } catch (const std::exception& e) {
      written = false;
      ReportWriteFailure(e.what(), summary.Running);
      if (summary.Running) return;  // tried again in a second
      std::error_code ec;
      if (file == index) {
        try {
          WriteFileAtomically(index, LostIndexPage(e.what()));
          return;
        } catch (const std::exception&) {
        }
      }
      // An earlier version would pass for this intake's summary.
      if (fs::remove(file, ec) || !fs::exists(file, ec)) return;
      ReportWriteFailure("не удалось удалить прежний файл " + file.string() + ": " + ec.message(), false);
    }
  };
  attempt(layout.ReportRoot / "summary.csv",
          [&] { WriteFileAtomically(layout.ReportRoot / "summary.csv", Csv(summary)); });
  attempt(layout.ReportRoot / "unassigned.csv",
          [&] { WriteFileAtomically(layout.ReportRoot / "unassigned.csv", UnassignedCsv(summary)); });
  if (summary.Running) {
    std::error_code ec;
    fs::remove(workbook, ec);
  } else {
    // Only at the end: read from every findings file, it would cost the intake its pace each second.
    attempt(workbook, [&] { WriteSummaryWorkbook(layout, summary, workbook); });
  }
  attempt(index, [&] { WriteFileAtomically(index, IndexPage(summary)); });
  return written;
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
