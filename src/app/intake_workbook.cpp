// summary.xlsx: employers, every finding row, the files no employer took (libxlsxwriter).
#include "app/intake_workbook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>
#include <stdexcept>

#include "app/intake_index.h"
#include "base/strings.h"
#include "report/findings.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

// Excel keeps at most 32,767 characters in a cell.
constexpr size_t kCellMaxChars = 32000;

// Valid UTF-8 of bounded length: a byte that is not is U+FFFD, or the file would not open.
std::string CellText(const std::string& text) {
  std::string out;
  size_t chars = 0;
  for (size_t i = 0; i < text.size() && chars < kCellMaxChars; ++chars) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool ok = length > 0 && i + length <= text.size() && !(length == 2 && c < 0xC2);
    for (size_t k = 1; ok && k < length; ++k) ok = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (ok) {
      out.append(text, i, length);
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  if (chars == kCellMaxChars && out.size() < text.size()) out += "\xE2\x80\xA6";
  return out;
}

// Writes one workbook, remembering the first failure: libxlsxwriter reports each call's own.
class TBook {
 public:
  explicit TBook(const std::string& path) {
    lxw_workbook_options options{};
    // Rows go to a temporary file as they are written: an office's findings would not fit in memory.
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    fBook = workbook_new_opt(path.c_str(), &options);
    if (!fBook) throw std::runtime_error("libxlsxwriter не создал книгу");
    fBold = workbook_add_format(fBook);
    format_set_bold(fBold);
    fLink = workbook_get_default_url_format(fBook);
  }
  ~TBook() {
    if (fBook) workbook_close(fBook);
  }

  lxw_worksheet* Sheet(const std::string& name) {
    lxw_worksheet* sheet = workbook_add_worksheet(fBook, name.c_str());
    if (!sheet) throw std::runtime_error("libxlsxwriter не добавил лист " + name);
    return sheet;
  }
  void Text(lxw_worksheet* s, lxw_row_t row, lxw_col_t col, const std::string& text, bool bold = false) {
    if (!text.empty()) Check(worksheet_write_string(s, row, col, CellText(text).c_str(), bold ? fBold : nullptr));
  }
  void Number(lxw_worksheet* s, lxw_row_t row, lxw_col_t col, const std::optional<int>& value) {
    if (value) Check(worksheet_write_number(s, row, col, *value, nullptr));
  }
  // A link relative to the workbook, to a file under the report root. Past Excel's limit of links
  // in a sheet the path stays as text.
  void Link(lxw_worksheet* s, lxw_row_t row, lxw_col_t col, const std::string& relative, const std::string& shown,
            size_t& links) {
    if (relative.empty()) return;
    std::string url;
    for (const std::string& part : Split(relative, '/')) url += (url.empty() ? "" : "/") + PercentEncode(part);
    if (links < LXW_MAX_NUMBER_URLS && url.size() <= 2079) {
      ++links;
      Check(worksheet_write_url_opt(s, row, col, url.c_str(), fLink, CellText(shown).c_str(), nullptr));
    } else {
      Text(s, row, col, relative);
    }
  }
  void Header(lxw_worksheet* s, const std::vector<std::string>& names, const std::vector<double>& widths) {
    for (size_t i = 0; i < names.size(); ++i) {
      Text(s, 0, static_cast<lxw_col_t>(i), names[i], true);
      Check(worksheet_set_column(s, static_cast<lxw_col_t>(i), static_cast<lxw_col_t>(i),
                                 i < widths.size() ? widths[i] : 14, nullptr));
    }
    worksheet_freeze_panes(s, 1, 0);
  }
  void Filter(lxw_worksheet* s, lxw_row_t lastRow, size_t columns) {
    Check(worksheet_autofilter(s, 0, 0, lastRow, static_cast<lxw_col_t>(columns - 1)));
  }
  void Close() {
    lxw_error error = workbook_close(fBook);
    fBook = nullptr;
    Check(error);
    if (fError != LXW_NO_ERROR) throw std::runtime_error(lxw_strerror(fError));
  }

 private:
  void Check(lxw_error error) {
    if (error != LXW_NO_ERROR && fError == LXW_NO_ERROR) fError = error;
  }

  lxw_workbook* fBook = nullptr;
  lxw_format* fBold = nullptr;
  lxw_format* fLink = nullptr;
  lxw_error fError = LXW_NO_ERROR;
};

const char* KindText(bool isError) { return isError ? "ошибка" : "предупреждение"; }

// Every finding row of every employer, in the worklist's order; a sheet that is full (Excel's
// 1,048,576 rows) is followed by another.
void WriteFindingRows(TBook& book, const TIntakeLayout& layout, const TSummary& summary,
                      const std::vector<size_t>& order) {
  const std::vector<std::string> fixed = {"Рег. номер", "Организация", "Год", "Период", "Таблица", "Название", "Вид"};
  // The cells of the widest row decide the columns; the header row is written first.
  size_t cells = 1;
  for (size_t i : order) {
    const TSummaryRow& r = summary.Rows[i];
    if (r.Findings.empty()) continue;
    if (std::optional<TFindingsFile> f = ReadFindingsFile(layout.ReportDir(r.RegNum)))
      for (const auto& set : f->Sets)
        for (const auto& t : set.Tables)
          for (const auto& row : t.Rows) cells = std::max(cells, row.size());
  }
  std::vector<std::string> names = fixed;
  for (size_t c = 1; c <= cells; ++c) names.push_back("Графа " + std::to_string(c));
  const std::vector<double> widths = {16, 36, 6, 7, 8, 50, 14};

  int sheets = 0;
  lxw_worksheet* sheet = nullptr;
  lxw_row_t row = 0;
  auto next = [&] {
    if (sheet && row < LXW_ROW_MAX - 1) return ++row;
    if (sheet) book.Filter(sheet, row, names.size());
    sheet = book.Sheet(++sheets == 1 ? "Замечания" : "Замечания " + std::to_string(sheets));
    book.Header(sheet, names, widths);
    return row = 1;
  };
  auto write = [&](const TSummaryRow& r, const TFindingsSet* set, const std::string& table, const std::string& caption,
                   bool isError, const std::vector<std::string>& values) {
    const lxw_row_t at = next();
    book.Text(sheet, at, 0, r.RegNum);
    book.Text(sheet, at, 1, r.Organisation);
    if (set) {
      book.Number(sheet, at, 2, set->Year);
      book.Number(sheet, at, 3, set->Period);
    }
    book.Text(sheet, at, 4, table);
    book.Text(sheet, at, 5, caption);
    book.Text(sheet, at, 6, KindText(isError));
    for (size_t c = 0; c < values.size(); ++c)
      book.Text(sheet, at, static_cast<lxw_col_t>(fixed.size() + c), values[c]);
  };
  next();
  row = 0;  // the first finding goes right under the header
  for (size_t i : order) {
    const TSummaryRow& r = summary.Rows[i];
    if (r.Findings.empty()) continue;
    std::optional<TFindingsFile> f = ReadFindingsFile(layout.ReportDir(r.RegNum));
    if (!f || f->Head.RegNum != r.RegNum) continue;
    for (const auto& m : f->Messages) write(r, nullptr, "", "сообщение", m.IsError, {m.Text});
    for (const auto& set : f->Sets) {
      for (const auto& t : set.Tables)
        for (const auto& cellsOfRow : t.Rows) write(r, &set, t.Number, t.Caption, t.IsError, cellsOfRow);
      for (const auto& m : set.Messages) write(r, &set, "", "сообщение", m.IsError, {m.Text});
    }
  }
  book.Filter(sheet, row, names.size());
}

void WriteBook(const TIntakeLayout& layout, const TSummary& summary, const std::string& path) {
  std::vector<size_t> order(summary.Rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return WorklistRank(summary.Rows[a]) < WorklistRank(summary.Rows[b]); });
  TBook book(path);

  lxw_worksheet* employers = book.Sheet("Работодатели");
  const std::vector<std::string> names = {"Рег. номер",     "Организация",       "Код",     "Значение", "Ошибок",
                                          "Предупреждений", "Повреждено файлов", "Протокол"};
  book.Header(employers, names, {16, 40, 6, 40, 8, 15, 18, 40});
  lxw_row_t row = 0;
  size_t links = 0;
  for (size_t i : order) {
    const TSummaryRow& r = summary.Rows[i];
    ++row;
    book.Text(employers, row, 0, r.RegNum);
    book.Text(employers, row, 1, r.Organisation);
    book.Number(employers, row, 2, r.ExitCode);
    book.Text(employers, row, 3, r.Meaning);
    book.Number(employers, row, 4, r.Errors);
    book.Number(employers, row, 5, r.Warnings);
    book.Number(employers, row, 6, r.Damaged);
    book.Link(employers, row, 7, r.Protocol, fs::path(r.Protocol).filename().string(), links);
  }
  book.Filter(employers, row, names.size());

  WriteFindingRows(book, layout, summary, order);

  lxw_worksheet* unassigned = book.Sheet("Не распределены");
  book.Header(unassigned, {"Файл", "Причина"}, {80, 30});
  row = 0;
  for (const TUnassignedFile& file : summary.Unassigned) {
    ++row;
    book.Text(unassigned, row, 0, ShownPath(file.Path));
    book.Text(unassigned, row, 1, ShownReason(file));
  }
  book.Filter(unassigned, row, 2);
  book.Close();
}

}  // namespace

void WriteSummaryWorkbook(const TIntakeLayout& layout, const TSummary& summary, const fs::path& path) {
  // Beside its final name, in the form the next intake sweeps when this one is killed midway.
  std::string temp = path.string() + ".tmp-" + std::to_string(getpid()) + "-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) throw std::runtime_error("Не удалось записать файл " + path.string() + ": " + std::strerror(errno));
  close(fd);
  auto fail = [&](const std::string& reason) {
    std::error_code ec;
    fs::remove(temp, ec);
    throw std::runtime_error("Не удалось записать файл " + path.string() + ": " + reason);
  };
  try {
    WriteBook(layout, summary, temp);
  } catch (const std::exception& e) {
    fail(e.what());
  }
  const int written = open(temp.c_str(), O_RDONLY);
  // The usual permissions, not the temporary file's own, as every other file of the report root.
  struct stat old {};
  if (written >= 0) fchmod(written, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
  if (written < 0 || fsync(written) != 0) {
    const std::string reason = std::strerror(errno);
    if (written >= 0) close(written);
    fail(reason);
  }
  close(written);
  if (std::rename(temp.c_str(), path.c_str()) != 0) fail(std::strerror(errno));
}

}  // namespace zz
