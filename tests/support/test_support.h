#pragma once
// Helpers shared by the test suites: real temporary directories and files.
#include <filesystem>
#include <string>

namespace zz::test {

// A fresh directory under the system temp directory, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return fPath; }
  std::filesystem::path operator/(const std::string& name) const { return fPath / name; }

 private:
  std::filesystem::path fPath;
};

// Writes bytes exactly as given (creating parent directories).
void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// tests/data/<name>
std::filesystem::path TestDataPath(const std::string& name);

}  // namespace zz::test
