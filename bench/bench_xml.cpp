// XML node tree benchmark: builds an IS-like file (2017 generation: persons with ФИО, СНИЛС and
// several СтажевыйПериод holding ЛьготныйСтаж), then measures in one run
//   - a bare libxml2 SAX parse of the bytes (same parser set-up, handlers that do nothing),
//   - building the node tree from the same bytes and from the file,
//   - a reader-like walk of look-ups over the tree,
//   - the peak memory of reading the file into a tree.
//
// Usage: bench_xml [--persons N] [--reps R] [--file PATH] [--keep]
#include <libxml/parser.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench_common.h"
#include "is_file_gen.h"
#include "xml/my_parser.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

// ------------------------------------------------------------------------------------------------
// The baseline: libxml2 set up as the tree reader sets it up, with handlers that only count.

struct TBareCounts {
  size_t elements = 0;
  size_t chars = 0;
};

void BareStart(void* ctx, const xmlChar*, const xmlChar**) { ++static_cast<TBareCounts*>(ctx)->elements; }
void BareEnd(void*, const xmlChar*) {}
void BareChars(void* ctx, const xmlChar*, int len) {
  static_cast<TBareCounts*>(ctx)->chars += static_cast<size_t>(len);
}
void BareSilent(void*, const char*, ...) {}

TBareCounts BareParse(const std::string& bytes) {
  xmlSAXHandler sax{};
  sax.initialized = 1;
  sax.startElement = &BareStart;
  sax.endElement = &BareEnd;
  sax.characters = &BareChars;
  sax.ignorableWhitespace = &BareChars;
  sax.cdataBlock = &BareChars;
  sax.warning = sax.error = sax.fatalError = &BareSilent;
  TBareCounts counts;
  xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, &counts, bytes.data(), 4, nullptr);
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
  ctxt->replaceEntities = 1;
  const size_t chunk = 128 * 1024;
  for (size_t pos = 4; pos < bytes.size(); pos += chunk)
    xmlParseChunk(ctxt, bytes.data() + pos, static_cast<int>(std::min(chunk, bytes.size() - pos)), 0);
  xmlParseChunk(ctxt, nullptr, 0, 1);
  xmlFreeParserCtxt(ctxt);
  return counts;
}

// ------------------------------------------------------------------------------------------------
// A reader-like walk: what the IS reader asks of every person.

struct TWalk {
  size_t lookups = 0;
  size_t checksum = 0;
};

TWalk Walk(zz::TMyNode* root) {
  TWalk w;
  auto use = [&w](std::string_view s) { w.checksum += s.size(); };
  zz::TMyNodeList persons = root->GetElementsByTagName("СведенияОЗЛ");
  ++w.lookups;
  for (zz::TMyNode* person : persons) {
    zz::TMyNode* fio = person->SelectSingleNode("ФИО");
    zz::TMyNode* snils = person->SelectSingleNode("СНИЛС");
    w.lookups += 2;
    if (fio) {
      for (const char* part : {"УТ2:Фамилия", "УТ2:Имя", "УТ2:Отчество"})
        if (zz::TMyNode* n = fio->SelectSingleNode(part)) use(n->text());
      w.lookups += 3;
    }
    if (snils) use(snils->text());
    for (zz::TMyNode* period : person->SelectNodes("СтажевыйПериод")) {
      ++w.lookups;
      for (const char* field : {"ДатаНачалаПериода", "ДатаКонцаПериода", "НомерСтроки"})
        if (zz::TMyNode* n = period->SelectSingleNode(field)) use(n->text());
      w.lookups += 3;
      for (zz::TMyNode* ls : period->GetElementsByTagName("ЛьготныйСтаж")) {
        ++w.lookups;
        for (const char* code : {"ОснованиеТУ", "Коэффициент", "ОснованиеОУТ", "ПозицияСписка", "ИВЛ", "ВыслугаЛет"}) {
          zz::TMyNodeList found = ls->GetElementsByTagName(code);
          ++w.lookups;
          if (!found.empty()) use(found[0]->text());
        }
        // Where an error would point to.
        w.checksum += ls->GetXPath().size() + static_cast<size_t>(ls->LineNumber());
      }
    }
  }
  return w;
}

// ------------------------------------------------------------------------------------------------

}  // namespace

int main(int argc, char** argv) {
  const std::optional<bench::TOptions> options = bench::ParseOptions(argc, argv, "zazoru-bench-is.xml");
  if (!options) return 2;
  const int persons = options->Persons, reps = options->Reps;
  const std::string file = options->File;
  const bool keep = options->Keep;
  xmlInitParser();

  bench::GenerateIsFile(file, persons, bench::TShape::XmlTree);
  const auto size = static_cast<double>(std::filesystem::file_size(file));
  const double mib = 1024.0 * 1024.0;

  // Memory first, while the process is still small: reading the file into a tree and walking it.
  malloc_trim(0);
  const long baseKb = bench::StatusKb("VmRSS:");
  const bool reset = bench::ResetPeak();
  const size_t heapBefore = mallinfo2().uordblks + mallinfo2().hblkhd;
  size_t nodes = 0, heapTree = 0;
  {
    zz::TMyTreePtr tree = zz::ReadXmlTree(file);
    if (!tree) {
      std::fprintf(stderr, "the generated file did not parse\n");
      return 1;
    }
    nodes = tree.tree()->NodeCount();
    Walk(tree.get());
    heapTree = mallinfo2().uordblks + mallinfo2().hblkhd - heapBefore;
  }
  const long peakKb = bench::StatusKb("VmHWM:");
  const double peakDelta = static_cast<double>(peakKb - (reset ? baseKb : 0)) * 1024.0;

  std::string bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }

  // Bare parse and tree build take turns so that a busy machine slows both alike.
  std::vector<double> bare, build, fromFile, walk;
  TBareCounts counts;
  TWalk w;
  for (int r = 0; r < reps; ++r) {
    auto t = Clock::now();
    counts = BareParse(bytes);
    bare.push_back(Ms(t));

    t = Clock::now();
    zz::TMyTreePtr tree = zz::TMyParser().parseBytes(bytes);
    build.push_back(Ms(t));

    t = Clock::now();
    w = Walk(tree.get());
    walk.push_back(Ms(t));
    tree.reset();

    t = Clock::now();
    zz::TMyTreePtr again = zz::ReadXmlTree(file);
    fromFile.push_back(Ms(t));
  }
  if (counts.elements != nodes)
    std::fprintf(stderr, "warning: bare parse saw %zu elements, tree %zu\n", counts.elements, nodes);

  const double bareMs = bench::Median(bare), buildMs = bench::Median(build), walkMs = bench::Median(walk);
  std::printf("input: %d persons, %.1f MiB (%.0f bytes), %zu elements\n", persons, size / mib, size, nodes);
  std::printf("runs: %d, medians (min)\n", reps);
  std::printf("bare SAX parse:        %8.1f ms (%.1f)  %.0f MiB/s\n", bareMs,
              *std::min_element(bare.begin(), bare.end()), size / mib / (bareMs / 1000));
  std::printf("tree build (memory):   %8.1f ms (%.1f)  %.2f x bare\n", buildMs,
              *std::min_element(build.begin(), build.end()), buildMs / bareMs);
  std::printf("tree build (file):     %8.1f ms (%.1f)\n", bench::Median(fromFile),
              *std::min_element(fromFile.begin(), fromFile.end()));
  std::printf("look-up walk:          %8.1f ms (%.1f)  %zu look-ups, %.0f ns each\n", walkMs,
              *std::min_element(walk.begin(), walk.end()), w.lookups, walkMs * 1e6 / static_cast<double>(w.lookups));
  std::printf("tree heap:             %8.1f MiB  %.2f x file, %.0f bytes per element\n", heapTree / mib,
              heapTree / size, static_cast<double>(heapTree) / static_cast<double>(nodes));
  std::printf("peak memory (file -> tree -> walk): %.1f MiB above a %.1f MiB start%s, %.2f x file\n", peakDelta / mib,
              static_cast<double>(baseKb) / 1024.0, reset ? "" : " (peak not reset: absolute)", peakDelta / size);
  if (!keep) std::filesystem::remove(file);
  return 0;
}
