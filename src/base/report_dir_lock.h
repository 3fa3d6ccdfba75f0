#pragma once
// Two runs writing into one report directory would mix their part files: a run holds a lock on
// the directory for its whole length, and a second run waits for it, up to a bound.
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace zz {

class TReportDirLock {
 public:
  // Takes the lock of the directory, waiting up to maxWait for another run that holds it; `onWait`
  // is called once before waiting. Throws std::runtime_error when the lock file cannot be opened
  // (the directory is not writable) or the wait runs out.
  TReportDirLock(const std::filesystem::path& directory, const std::function<void()>& onWait,
                 std::chrono::milliseconds maxWait);
  ~TReportDirLock();
  TReportDirLock(const TReportDirLock&) = delete;
  TReportDirLock& operator=(const TReportDirLock&) = delete;

  static constexpr const char* kFileName = ".zazoru.lock";

 private:
  int fFd = -1;
};

}  // namespace zz
