// Shared test helpers: temporary directories, reading and writing files, the test data folder.
#include "support/test_support.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zz::test {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "zazoru-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  fPath = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(fPath, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::filesystem::path TestDataPath(const std::string& name) {
  return std::filesystem::path(ZAZORU_TEST_DATA_DIR) / name;
}

}  // namespace zz::test
