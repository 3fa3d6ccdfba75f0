// The lock a run holds on its report directory, with a bounded wait.
#include "base/report_dir_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace zz {

TReportDirLock::TReportDirLock(const std::filesystem::path& directory, const std::function<void()>& onWait,
                               std::chrono::milliseconds maxWait) {
  std::filesystem::path path = directory / kFileName;
  fFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fFd < 0)
    throw std::runtime_error("Каталог протокола " + directory.string() +
                             " недоступен для записи: " + std::strerror(errno));
  if (flock(fFd, LOCK_EX | LOCK_NB) == 0) return;
  if (onWait) onWait();
  const auto deadline = std::chrono::steady_clock::now() + maxWait;
  while (flock(fFd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if ((error != EWOULDBLOCK && error != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      close(fFd);
      fFd = -1;
      if (error != EWOULDBLOCK && error != EINTR)
        throw std::runtime_error("Не удалось заблокировать каталог протокола " + directory.string() + ": " +
                                 std::strerror(error));
      throw std::runtime_error("Каталог протокола " + directory.string() + " занят другой сверкой дольше " +
                               std::to_string(std::chrono::duration_cast<std::chrono::seconds>(maxWait).count()) +
                               " с; сверка не выполнена");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

TReportDirLock::~TReportDirLock() {
  if (fFd >= 0) close(fFd);  // closing releases the lock
}

}  // namespace zz
