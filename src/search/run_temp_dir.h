#pragma once
// A run's own temporary directory under the shared "Temp" of the data directory. Runs may overlap:
// each gets a fresh directory that no other run touches, holds a lock on it while it lives, and
// removes it when it ends, also on failure. A directory whose lock is free belongs to a run that
// died; the next run removes it.
#include <filesystem>
#include <string>

namespace zz {

class TRunTempDir {
 public:
  // Creates `parent` when missing and a fresh directory inside it. A link or a non-directory in
  // the place of `parent` is removed (never followed) and a directory made instead. Throws
  // std::runtime_error when no directory can be made.
  explicit TRunTempDir(const std::filesystem::path& parent);
  ~TRunTempDir();
  TRunTempDir(const TRunTempDir&) = delete;
  TRunTempDir& operator=(const TRunTempDir&) = delete;

  const std::filesystem::path& Path() const { return fPath; }

  // Removes what runs that are gone left in `parent`: their directories and stray files. Returns
  // the number of entries removed. Nothing is done when `parent` is not a real directory.
  static int RemoveAbandoned(const std::filesystem::path& parent);

 private:
  std::filesystem::path fPath;
  int fLockFd = -1;
};

}  // namespace zz
