#include "app/report_dir_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace zz {

TReportDirLock::TReportDirLock(const std::filesystem::path& directory, const std::function<void()>& onWait) {
  std::filesystem::path path = directory / kFileName;
  fFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fFd < 0)
    throw std::runtime_error("Каталог протокола " + directory.string() + " недоступен для записи: " +
                             std::strerror(errno));
  if (flock(fFd, LOCK_EX | LOCK_NB) == 0) return;
  if (onWait) onWait();
  while (flock(fFd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      std::string why = std::strerror(errno);
      close(fFd);
      fFd = -1;
      throw std::runtime_error("Не удалось заблокировать каталог протокола " + directory.string() + ": " + why);
    }
  }
}

TReportDirLock::~TReportDirLock() {
  if (fFd >= 0) close(fFd);  // closing releases the lock
}

}  // namespace zz
