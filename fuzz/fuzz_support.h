#pragma once
// Shared by the fuzz targets: a scratch directory of the fuzzing process for the readers that take
// a path, and a check that stops the run with a finding when an expectation about the result fails.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace zz::fuzz {

// A directory of this process under $ZAZORU_FUZZ_SCRATCH (scripts/fuzz sets it and removes it
// afterwards: libFuzzer may end a process without running exit handlers), else on a memory file
// system when there is one.
inline const std::filesystem::path& ScratchDir() {
  static const std::filesystem::path dir = [] {
    std::error_code ec;
    const char* given = std::getenv("ZAZORU_FUZZ_SCRATCH");
    std::filesystem::path base = given && *given ? std::filesystem::path(given)
                                 : std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::filesystem::path d = base / ("zazoru-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(d, ec);
    std::atexit([] {
      std::error_code e;
      std::filesystem::remove_all(ScratchDir(), e);
    });
    return d;
  }();
  return dir;
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A broken expectation is a finding like a crash.
inline void Expect(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "expectation failed: %s\n", what);
  std::abort();
}

}  // namespace zz::fuzz
