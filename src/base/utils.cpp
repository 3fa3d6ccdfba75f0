// Shared file and list utilities: bounded reading, atomic writing, directory clean-up, period codes.
#include "base/utils.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/strings.h"

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

int QuarterOfPeriodCode(int year, int code) {
  auto pick = [code](std::initializer_list<std::pair<int, int>> table) {
    for (auto [c, q] : table)
      if (c == code) return q;
    return -1;
  };
  if (year < 1996) return -1;
  if (year == 1996) return pick({{3, 3}, {4, 4}});
  if (year <= 2000) return pick({{0, 4}, {2, 2}, {4, 4}});
  if (year == 2001) return pick({{0, 4}, {1, 3}, {2, 2}, {3, 3}, {4, 4}, {5, 1}, {6, 2}, {7, 3}, {8, 4}, {9, 4}});
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

std::vector<fs::path> ShippedFilePlaces(const std::string& name) {
  std::error_code ec;
  return {fs::current_path(ec) / name, ExecutableDir() / name,
          (ExecutableDir() / ".." / "share" / "zazoru" / name).lexically_normal()};
}

fs::path FindShippedFile(const std::string& name) {
  std::error_code ec;
  for (const fs::path& p : ShippedFilePlaces(name))
    if (fs::is_regular_file(p, ec)) return p;
  return name;
}

namespace {

std::string MissingShippedFileText(const std::string& name) {
  // One line: standard error shows it as it is, and the batch's log keeps it in one entry.
  std::string text = "Не найден файл " + name + ", без которого программа не работает. Места, где он искался: ";
  const std::vector<fs::path> places = ShippedFilePlaces(name);
  for (size_t i = 0; i < places.size(); ++i) text += (i ? "; " : "") + places[i].string();
  return text + ". Переустановите программу или положите файл в одно из этих мест.";
}

}  // namespace

TMissingShippedFile::TMissingShippedFile(const std::string& name) : std::runtime_error(MissingShippedFileText(name)) {}

fs::path RequireShippedFile(const std::string& name) {
  const fs::path path = FindShippedFile(name);
  if (!path.is_absolute()) throw TMissingShippedFile(name);
  return path;
}

bool FileNameOrderLess(const fs::path& a, const fs::path& b) {
  std::string na = a.filename().string(), nb = b.filename().string();
  int c = CompareTextCI(na, nb);
  return c != 0 ? c < 0 : na < nb;
}

std::vector<fs::path> ListFilesByExtension(const fs::path& directory, std::string_view extension) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code e2;
    if (!it->is_regular_file(e2)) continue;
    if (SameTextCI(it->path().extension().string(), extension)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end(), FileNameOrderLess);
  return files;
}

std::string ReadFileBytes(const fs::path& path, size_t maxBytes) {
  // Without blocking: a FIFO in the place of a file must not hold the program.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("Не удалось открыть файл " + path.string() + ": " + std::strerror(errno));
  struct TCloser {
    int fd;
    ~TCloser() { close(fd); }
  } closer{fd};
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    throw std::runtime_error("Файл " + path.string() + " не прочитан: не является обычным файлом");
  if (static_cast<uint64_t>(st.st_size) > maxBytes)
    throw std::runtime_error("Файл " + path.string() + " не прочитан: размер больше " + std::to_string(maxBytes) +
                             " байт");
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[64 * 1024];
  while (true) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("Не удалось прочитать файл " + path.string() + ": " + std::strerror(errno));
    }
    // Files that report no size (those of /proc) are bounded as they are read.
    if (bytes.size() + static_cast<size_t>(n) > maxBytes)
      throw std::runtime_error("Файл " + path.string() + " не прочитан: размер больше " + std::to_string(maxBytes) +
                               " байт");
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

std::vector<std::string> ReadTextLines(const fs::path& path, size_t maxBytes) {
  std::string bytes = ReadFileBytes(path, maxBytes);
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

namespace {
constexpr std::string_view kAtomicTempMark = ".tmp-";
}

TAtomicFile::TAtomicFile(fs::path path) : fPath(std::move(path)) {
  // The writer's process number in the name tells a later run whether the writer is still there.
  std::string tmpl = fPath.string() + std::string(kAtomicTempMark) + std::to_string(getpid()) + "-XXXXXX";
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

void TAtomicFile::Commit(TDurability durability) {
  // Files written by the user's own tools keep their permissions; new ones get the usual ones.
  struct stat old {};
  fchmod(fFd, stat(fPath.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);
  if ((durability == TDurability::Flushed && fsync(fFd) != 0) || close(fFd) != 0) {
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

int RemoveStaleAtomicTemps(const fs::path& directory) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const size_t mark = name.rfind(kAtomicTempMark);
    if (mark == std::string::npos || mark == 0) continue;
    // "<name>.tmp-<pid>-XXXXXX"; files of earlier versions, "<name>.tmp-XXXXXX", have no number.
    std::string_view rest = std::string_view(name).substr(mark + kAtomicTempMark.size());
    const size_t dash = rest.find('-');
    bool stale = false;
    std::error_code e2;
    if (dash != std::string_view::npos && rest.size() == dash + 7) {
      int pid = 0;
      if (!TryParseInt(rest.substr(0, dash), pid) || pid <= 0) continue;
      stale = kill(pid, 0) != 0 && errno == ESRCH;
    } else if (rest.size() == 6) {
      auto age = fs::file_time_type::clock::now() - fs::last_write_time(it->path(), e2);
      stale = !e2 && age > std::chrono::minutes(10);
    }
    if (!stale || !it->is_regular_file(e2)) continue;
    if (fs::remove(it->path(), e2)) ++removed;
  }
  return removed;
}

void WriteFileAtomically(const fs::path& path, const std::string& bytes, TDurability durability) {
  TAtomicFile file(path);
  file.Write(bytes);
  file.Commit(durability);
}

}  // namespace zz
