#include "settings/utils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "settings/strings.h"

namespace zz {

namespace fs = std::filesystem;

int IndexOfFirstMatch(std::string_view text, const std::vector<std::string>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string& v = values[i];
    if (v == text || (!v.empty() && text.find(v) != std::string_view::npos)) return static_cast<int>(i);
  }
  return -1;
}

bool InStringArray(const std::vector<std::string>& values, std::string_view text) {
  return std::find(values.begin(), values.end(), text) != values.end();
}

bool AnyInStringArray(const std::vector<std::string>& values, std::initializer_list<std::string_view> texts) {
  for (std::string_view t : texts)
    if (InStringArray(values, t)) return true;
  return false;
}

void ClearAndRemoveDirectory(const fs::path& directory) {
  std::error_code ec;
  if (!fs::is_directory(directory, ec)) return;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ignored;
    if (it->is_regular_file(ignored) || it->is_symlink(ignored)) fs::remove(it->path(), ignored);
  }
  fs::remove(directory, ec);  // only succeeds when empty
}

int QuarterOfPeriodCode(int year, int code) {
  auto pick = [code](std::initializer_list<std::pair<int, int>> table) {
    for (auto [c, q] : table)
      if (c == code) return q;
    return -1;
  };
  if (year < 1996) return -1;
  if (year == 1996) return pick({{3, 3}, {4, 4}});
  if (year <= 2000) return pick({{0, 4}, {2, 2}, {4, 4}});
  if (year == 2001)
    return pick({{0, 4}, {1, 3}, {2, 2}, {3, 3}, {4, 4}, {5, 1}, {6, 2}, {7, 3}, {8, 4}, {9, 4}});
  if (year <= 2009) return pick({{0, 4}});
  if (year == 2010) return pick({{0, 4}, {1, 2}, {2, 4}});
  if (year <= 2013) return pick({{0, 4}, {1, 1}, {2, 2}, {3, 3}, {4, 4}});
  if (year <= 2016) return pick({{0, 4}, {3, 1}, {6, 2}, {9, 3}});
  return pick({{0, 4}});
}

fs::path ExecutableDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec);
  return exe.parent_path();
}

fs::path FindShippedFile(const std::string& name) {
  std::error_code ec;
  const fs::path candidates[] = {fs::current_path(ec) / name, ExecutableDir() / name,
                                 ExecutableDir() / ".." / "share" / "zazoru" / name};
  for (const fs::path& p : candidates)
    if (fs::is_regular_file(p, ec)) return p;
  return name;
}

std::vector<fs::path> ListFilesByExtension(const fs::path& directory, std::string_view extension) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (!it->is_regular_file(e2)) continue;
    if (SameTextCI(it->path().extension().string(), extension)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    std::string na = a.filename().string(), nb = b.filename().string();
    int c = CompareTextCI(na, nb);
    return c != 0 ? c < 0 : na < nb;
  });
  return files;
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("Не удалось открыть файл " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) throw std::runtime_error("Не удалось прочитать файл " + path.string());
  return s.str();
}

std::vector<std::string> ReadTextLines(const fs::path& path) {
  std::string bytes = ReadFileBytes(path);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  std::vector<std::string> lines = Split(bytes, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  for (std::string& l : lines)
    if (!l.empty() && l.back() == '\r') l.pop_back();
  return lines;
}

void WriteTextLines(const fs::path& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  WriteFileAtomically(path, bytes);
}

TAtomicFile::TAtomicFile(fs::path path) : fPath(std::move(path)) {
  std::string tmpl = fPath.string() + ".tmp-XXXXXX";
  fFd = mkstemp(tmpl.data());
  if (fFd < 0) throw std::runtime_error("Не удалось записать файл " + fPath.string() + ": " + std::strerror(errno));
  fTempPath = tmpl;
}

TAtomicFile::~TAtomicFile() {
  if (fFd >= 0) {
    close(fFd);
    std::error_code ec;
    fs::remove(fTempPath, ec);
  }
}

void TAtomicFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fFd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("Не удалось записать файл " + fPath.string() + ": " + std::strerror(errno));
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

void TAtomicFile::Commit() {
  // Files written by the user's own tools keep their permissions; new ones get the usual ones.
  struct stat old {};
  fchmod(fFd, stat(fPath.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
  if (fsync(fFd) != 0 || close(fFd) != 0) {
    fFd = -1;
    std::error_code ec;
    fs::remove(fTempPath, ec);
    throw std::runtime_error("Не удалось записать файл " + fPath.string() + ": " + std::strerror(errno));
  }
  fFd = -1;
  if (rename(fTempPath.c_str(), fPath.c_str()) != 0) {
    std::string why = std::strerror(errno);
    std::error_code ec;
    fs::remove(fTempPath, ec);
    throw std::runtime_error("Не удалось записать файл " + fPath.string() + ": " + why);
  }
}

void WriteFileAtomically(const fs::path& path, const std::string& bytes) {
  TAtomicFile file(path);
  file.Write(bytes);
  file.Commit();
}

}  // namespace zz
