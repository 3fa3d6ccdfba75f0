#pragma once
// What the XML and pack benchmarks share besides their input: the command line and the median.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bench {

struct TOptions {
  int Persons = 20000;
  int Reps = 5;
  std::string File;  // the generated file; by default `defaultName` in the temporary directory
  bool Keep = false;
};

// [--persons N] [--reps R] [--file PATH] [--keep]; prints the usage and gives nothing on anything else.
inline std::optional<TOptions> ParseOptions(int argc, char** argv, const char* defaultName) {
  TOptions o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--persons" && i + 1 < argc)
      o.Persons = std::atoi(argv[++i]);
    else if (a == "--reps" && i + 1 < argc)
      o.Reps = std::max(1, std::atoi(argv[++i]));
    else if (a == "--file" && i + 1 < argc)
      o.File = argv[++i];
    else if (a == "--keep")
      o.Keep = true;
    else {
      std::fprintf(stderr, "usage: %s [--persons N] [--reps R] [--file PATH] [--keep]\n", argv[0]);
      return std::nullopt;
    }
  }
  if (o.File.empty()) o.File = (std::filesystem::temp_directory_path() / defaultName).string();
  return o;
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench
