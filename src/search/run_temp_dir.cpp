// Making, locking and removing a run's own temporary directory, and clearing abandoned ones.
#include "search/run_temp_dir.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

namespace zz {

namespace fs = std::filesystem;

namespace {

constexpr const char* kOwnerFile = ".owner";
constexpr const char* kPrefix = "run-";

// The parent as a real directory of its own: a link in its place is taken away, not followed.
void EnsureRealDirectory(const fs::path& parent) {
  struct stat st {};
  if (lstat(parent.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return;
    if (unlink(parent.c_str()) != 0)
      throw std::runtime_error("Не удалось заменить " + parent.string() + " каталогом: " + std::strerror(errno));
  }
  std::error_code ec;
  fs::create_directories(parent.parent_path(), ec);
  if (mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST)
    throw std::runtime_error("Не удалось создать каталог " + parent.string() + ": " + std::strerror(errno));
  if (lstat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    throw std::runtime_error("Каталог " + parent.string() + " подменён");
}

constexpr time_t kMadeWithin = 60;

bool IsOlderThan(const fs::path& path, time_t seconds) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && st.st_mtime + seconds < time(nullptr);
}

bool IsRealDirectory(const fs::path& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TRunTempDir::TRunTempDir(const fs::path& parent) {
  EnsureRealDirectory(parent);
  std::string tmpl = (parent / (std::string(kPrefix) + std::to_string(getpid()) + "-XXXXXX")).string();
  if (mkdtemp(tmpl.data()) == nullptr)
    throw std::runtime_error("Не удалось создать временный каталог в " + parent.string() + ": " + std::strerror(errno));
  fPath = tmpl;
  // The owner file gets its name only once it is locked: a run that finds it may trust the lock.
  const fs::path pending = fPath / ".owner-pending";
  fLockFd = open(pending.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fLockFd < 0 || flock(fLockFd, LOCK_EX | LOCK_NB) != 0 ||
      rename(pending.c_str(), (fPath / kOwnerFile).c_str()) != 0) {
    std::string why = std::strerror(errno);
    if (fLockFd >= 0) close(fLockFd);
    std::error_code ec;
    fs::remove_all(fPath, ec);
    throw std::runtime_error("Не удалось занять временный каталог " + fPath.string() + ": " + why);
  }
}

TRunTempDir::~TRunTempDir() {
  std::error_code ec;
  fs::remove_all(fPath, ec);  // never follows links inside
  if (fLockFd >= 0) close(fLockFd);
}

int TRunTempDir::RemoveAbandoned(const fs::path& parent) {
  if (!IsRealDirectory(parent)) return 0;
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path entry = it->path();
    std::error_code e2;
    if (!IsRealDirectory(entry)) {
      // Files unpacked flat by earlier versions of the program, or anything else left lying: no
      // run of ours keeps files directly here.
      if (fs::remove(entry, e2)) ++removed;
      continue;
    }
    if (!entry.filename().string().starts_with(kPrefix)) continue;
    int fd = open((entry / kOwnerFile).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      const bool ownerGone = flock(fd, LOCK_EX | LOCK_NB) == 0;
      close(fd);
      if (!ownerGone) continue;
    } else if (errno != ENOENT || !IsOlderThan(entry, kMadeWithin)) {
      // Without an owner file the directory is being made or being removed by its run: it is
      // left alone until it has not changed for a while.
      continue;
    }
    fs::remove_all(entry, e2);
    if (!e2) ++removed;
  }
  return removed;
}

}  // namespace zz
