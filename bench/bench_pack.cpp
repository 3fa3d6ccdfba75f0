// Pack reading benchmark: writes the benchmark IS file as a СЗВ-СТАЖ that recognition accepts, then
// measures in one run
//   - building the node tree from the file's bytes (the baseline),
//   - reading the built tree into a pack: recognition, header, persons, periods, codes, records,
//   - both together, as the file search does it per file,
//   - the peak memory of reading the file into a tree and the tree into a pack.
//
// Usage: bench_pack [--persons N] [--reps R] [--file PATH] [--keep]
#include <libxml/parser.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench_common.h"
#include "is_file_gen.h"
#include "isdata/base_data.h"
#include "pack/pack.h"
#include "xml/my_parser.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

// What the file search does with a tree: recognise it, read the header, read the persons.
std::unique_ptr<zz::TPack> ReadPack(const zz::TMyNode* root, const std::string& path) {
  std::optional<zz::TBaseData> base = zz::TBaseData::TryGetBaseData(bench::kRegNum, root, 0, 0);
  if (!base) return nullptr;
  zz::TMessageList messages;
  std::unique_ptr<zz::TPack> pack = zz::TPack::TryGetPackData(root, base->PDType(), messages, *base, path);
  if (pack) pack->ReadWorkers(root, 0);
  return pack;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<bench::TOptions> options = bench::ParseOptions(argc, argv, "zazoru-bench-pack.xml");
  if (!options) return 2;
  const int persons = options->Persons, reps = options->Reps;
  const std::string file = options->File;
  const bool keep = options->Keep;
  xmlInitParser();

  bench::GenerateIsFile(file, persons, bench::TShape::SzvStag);
  const auto size = static_cast<double>(std::filesystem::file_size(file));
  const double mib = 1024.0 * 1024.0;

  // Memory first, while the process is still small.
  malloc_trim(0);
  const long baseKb = bench::StatusKb("VmRSS:");
  const bool reset = bench::ResetPeak();
  size_t nodes = 0, workers = 0, periods = 0, records = 0, terr = 0;
  {
    zz::TMyTreePtr tree = zz::ReadXmlTree(file);
    std::unique_ptr<zz::TPack> pack = tree ? ReadPack(tree.get(), file) : nullptr;
    if (!pack) {
      std::fprintf(stderr, "the generated file was not read into a pack\n");
      return 1;
    }
    nodes = tree.tree()->NodeCount();
    workers = pack->Workers.size();
    for (const zz::TWorker* w : pack->Workers) periods += w->WorkPeriods.size();
    for (zz::TTableResultWithPeriod* t : pack->Tables()) records += t->Count();
    terr = pack->TerrCodes().size();
  }
  const long peakKb = bench::StatusKb("VmHWM:");
  const double peakDelta = static_cast<double>(peakKb - (reset ? baseKb : 0)) * 1024.0;

  std::string bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }

  // Tree build alone and tree build followed by pack reading take turns.
  std::vector<double> build, read, whole;
  for (int r = 0; r < reps; ++r) {
    auto t = Clock::now();
    zz::TMyTreePtr tree = zz::TMyParser().parseBytes(bytes);
    build.push_back(Ms(t));
    tree.reset();

    t = Clock::now();
    zz::TMyTreePtr again = zz::TMyParser().parseBytes(bytes);
    auto mid = Clock::now();
    std::unique_ptr<zz::TPack> pack = ReadPack(again.get(), file);
    read.push_back(Ms(mid));
    whole.push_back(Ms(t));
    pack.reset();
  }

  const double buildMs = bench::Median(build), readMs = bench::Median(read), wholeMs = bench::Median(whole);
  std::printf("input: %d persons, %.1f MiB, %zu elements\n", persons, size / mib, nodes);
  std::printf("pack: %zu persons, %zu periods, %zu table records, %zu territorial records\n", workers, periods, records,
              terr);
  std::printf("runs: %d, medians (min)\n", reps);
  std::printf("tree build:             %8.1f ms (%.1f)\n", buildMs, *std::min_element(build.begin(), build.end()));
  std::printf("pack reading (on tree): %8.1f ms (%.1f)  %.2f x tree build\n", readMs,
              *std::min_element(read.begin(), read.end()), readMs / buildMs);
  std::printf("tree build + reading:   %8.1f ms (%.1f)  %.2f x tree build\n", wholeMs,
              *std::min_element(whole.begin(), whole.end()), wholeMs / buildMs);
  std::printf("peak memory (file -> tree -> pack): %.1f MiB above a %.1f MiB start%s, %.2f x file\n", peakDelta / mib,
              static_cast<double>(baseKb) / 1024.0, reset ? "" : " (peak not reset: absolute)", peakDelta / size);
  if (!keep) std::filesystem::remove(file);
  return 0;
}
