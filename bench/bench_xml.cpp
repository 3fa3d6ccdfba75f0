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
#include <string>
#include <vector>

#include "xml/my_parser.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

// ------------------------------------------------------------------------------------------------
// The input: the shape of a 2017-generation IS file, written as it streams out.

const char* const kSurnames[] = {"ИВАНОВ", "ПЕТРОВА", "СИДОРЕНКО", "КУЗНЕЦОВ", "ЁЛКИНА", "СМИРНОВ", "ВАСИЛЬЕВ"};
const char* const kNames[] = {"ИВАН", "МАРИЯ", "ПЁТР", "АННА", "СЕРГЕЙ", "ОЛЬГА", "НИКОЛАЙ"};
const char* const kPatronymics[] = {"ИВАНОВИЧ", "ПЕТРОВНА", "СЕРГЕЕВИЧ", "НИКОЛАЕВНА", "АЛЕКСАНДРОВИЧ"};
const char* const kGrounds[] = {"27-1", "27-2", "27-5", "27-ПД", "27-ГД", "27-СМХР"};
const char* const kPositions[] = {"1010100а-11443", "2290000а-18455", "23200000-19756", "1080А010-17541"};
const char* const kTerritory[] = {"РКС", "МКС", "СЕЛО"};

struct TRandom {
  uint64_t s = 88172645463325252ull;
  unsigned Next(unsigned n) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    return static_cast<unsigned>(s % n);
  }
};

std::string Snils(int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%03d-%03d-%03d %02d", 100 + i / 1000000 % 900, i / 1000 % 1000, i % 1000, i % 97);
  return buf;
}

void Generate(const std::string& path, int persons) {
  std::ofstream out(path, std::ios::binary);
  TRandom rnd;
  const char* nl = "\r\n";
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" << nl
      << "<ЭДПФР xmlns=\"http://пф.рф/СЗВ-СТАЖ/2017-01-09\" xmlns:АФ5=\"http://пф.рф/АФ/2017-08-21\""
         " xmlns:УТ2=\"http://пф.рф/УТ/2017-08-21\" xmlns:ВС2=\"http://пф.рф/ВС/типы/2017-10-23\">"
      << nl << "  <СЗВ-СТАЖ>" << nl << "    <Страхователь>" << nl
      << "      <РегНомер>087-001-000001</РегНомер>" << nl << "      <ИНН>7701234567</ИНН>" << nl
      << "      <КПП>770101001</КПП>" << nl << "      <Наименование>ООО &quot;РОМАШКА&quot;</Наименование>" << nl
      << "    </Страхователь>" << nl << "    <ОтчетныйГод>2017</ОтчетныйГод>" << nl
      << "    <ТипСведений>ИСХОДНАЯ</ТипСведений>" << nl;
  for (int i = 0; i < persons; ++i) {
    out << "    <СведенияОЗЛ>" << nl << "      <НомерПП>" << i + 1 << "</НомерПП>" << nl << "      <ФИО>" << nl
        << "        <УТ2:Фамилия>" << kSurnames[rnd.Next(7)] << "</УТ2:Фамилия>" << nl << "        <УТ2:Имя>"
        << kNames[rnd.Next(7)] << "</УТ2:Имя>" << nl << "        <УТ2:Отчество>" << kPatronymics[rnd.Next(5)]
        << "</УТ2:Отчество>" << nl << "      </ФИО>" << nl << "      <СНИЛС>" << Snils(i) << "</СНИЛС>" << nl;
    int periods = 2 + static_cast<int>(rnd.Next(3));
    for (int p = 0; p < periods; ++p) {
      int m = 1 + p * 3;
      out << "      <СтажевыйПериод>" << nl << "        <НомерСтроки>" << p + 1 << "</НомерСтроки>" << nl
          << "        <ДатаНачалаПериода>2017-" << (m < 10 ? "0" : "") << m << "-01</ДатаНачалаПериода>" << nl
          << "        <ДатаКонцаПериода>2017-" << (m + 2 < 10 ? "0" : "") << m + 2 << "-28</ДатаКонцаПериода>" << nl;
      int privileged = 1 + static_cast<int>(rnd.Next(2));
      for (int l = 0; l < privileged; ++l) {
        out << "        <ЛьготныйСтаж>" << nl << "          <НомерСтроки>" << l + 1 << "</НомерСтроки>" << nl;
        if (rnd.Next(2) == 0)
          out << "          <ТерриториальныеУсловия>" << nl << "            <ОснованиеТУ>" << kTerritory[rnd.Next(3)]
              << "</ОснованиеТУ>" << nl << "            <Коэффициент>1.50</Коэффициент>" << nl
              << "          </ТерриториальныеУсловия>" << nl;
        out << "          <ОсобыеУсловияТруда>" << nl << "            <ОснованиеОУТ>" << kGrounds[rnd.Next(6)]
            << "</ОснованиеОУТ>" << nl << "            <ПозицияСписка>" << kPositions[rnd.Next(4)]
            << "</ПозицияСписка>" << nl << "          </ОсобыеУсловияТруда>" << nl;
        if (rnd.Next(3) == 0)
          out << "          <ИсчисляемыйСтаж>" << nl << "            <ИВЛ>ВОДОЛАЗ</ИВЛ>" << nl
              << "          </ИсчисляемыйСтаж>" << nl;
        out << "        </ЛьготныйСтаж>" << nl;
      }
      out << "      </СтажевыйПериод>" << nl;
    }
    out << "    </СведенияОЗЛ>" << nl;
  }
  out << "  </СЗВ-СТАЖ>" << nl << "</ЭДПФР>" << nl;
}

// ------------------------------------------------------------------------------------------------
// The baseline: libxml2 set up as the tree reader sets it up, with handlers that only count.

struct TBareCounts {
  size_t elements = 0;
  size_t chars = 0;
};

void BareStart(void* ctx, const xmlChar*, const xmlChar**) { ++static_cast<TBareCounts*>(ctx)->elements; }
void BareEnd(void*, const xmlChar*) {}
void BareChars(void* ctx, const xmlChar*, int len) { static_cast<TBareCounts*>(ctx)->chars += static_cast<size_t>(len); }
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

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return -1;
}

bool ResetPeak() {
  std::ofstream f("/proc/self/clear_refs");
  f << "5";
  return static_cast<bool>(f);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int persons = 20000, reps = 5;
  std::string file;
  bool keep = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--persons" && i + 1 < argc) persons = std::atoi(argv[++i]);
    else if (a == "--reps" && i + 1 < argc) reps = std::max(1, std::atoi(argv[++i]));
    else if (a == "--file" && i + 1 < argc) file = argv[++i];
    else if (a == "--keep") keep = true;
    else {
      std::fprintf(stderr, "usage: %s [--persons N] [--reps R] [--file PATH] [--keep]\n", argv[0]);
      return 2;
    }
  }
  if (file.empty()) file = (std::filesystem::temp_directory_path() / "zazoru-bench-is.xml").string();
  xmlInitParser();

  Generate(file, persons);
  const auto size = static_cast<double>(std::filesystem::file_size(file));
  const double mib = 1024.0 * 1024.0;

  // Memory first, while the process is still small: reading the file into a tree and walking it.
  malloc_trim(0);
  const long baseKb = StatusKb("VmRSS:");
  const bool reset = ResetPeak();
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
  const long peakKb = StatusKb("VmHWM:");
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
  if (counts.elements != nodes) std::fprintf(stderr, "warning: bare parse saw %zu elements, tree %zu\n", counts.elements, nodes);

  const double bareMs = Median(bare), buildMs = Median(build), walkMs = Median(walk);
  std::printf("input: %d persons, %.1f MiB (%.0f bytes), %zu elements\n", persons, size / mib, size, nodes);
  std::printf("runs: %d, medians (min)\n", reps);
  std::printf("bare SAX parse:        %8.1f ms (%.1f)  %.0f MiB/s\n", bareMs, *std::min_element(bare.begin(), bare.end()),
              size / mib / (bareMs / 1000));
  std::printf("tree build (memory):   %8.1f ms (%.1f)  %.2f x bare\n", buildMs,
              *std::min_element(build.begin(), build.end()), buildMs / bareMs);
  std::printf("tree build (file):     %8.1f ms (%.1f)\n", Median(fromFile),
              *std::min_element(fromFile.begin(), fromFile.end()));
  std::printf("look-up walk:          %8.1f ms (%.1f)  %zu look-ups, %.0f ns each\n", walkMs,
              *std::min_element(walk.begin(), walk.end()), w.lookups, walkMs * 1e6 / static_cast<double>(w.lookups));
  std::printf("tree heap:             %8.1f MiB  %.2f x file, %.0f bytes per element\n", heapTree / mib, heapTree / size,
              static_cast<double>(heapTree) / static_cast<double>(nodes));
  std::printf("peak memory (file -> tree -> walk): %.1f MiB above a %.1f MiB start%s, %.2f x file\n",
              peakDelta / mib, static_cast<double>(baseKb) / 1024.0, reset ? "" : " (peak not reset: absolute)",
              peakDelta / size);
  if (!keep) std::filesystem::remove(file);
  return 0;
}
