// sax_floor: the floor of a run: every given file read from disk once in 128 KiB chunks and fed to
// libxml2's push parser, set up as the XML node tree sets it up (SAX1, XML_PARSE_NONET, entities
// replaced), with handlers that only count. Prints one line: files, bytes, elements, characters.
// bench/run-scale measures this process (wall, CPU, peak memory) against the full batch run.
#include <libxml/parser.h>

#include <cstdio>
#include <vector>

namespace {

struct TCounts {
  size_t elements = 0;
  size_t chars = 0;
};

void Start(void* ctx, const xmlChar*, const xmlChar**) { ++static_cast<TCounts*>(ctx)->elements; }
void End(void*, const xmlChar*) {}
void Chars(void* ctx, const xmlChar*, int len) { static_cast<TCounts*>(ctx)->chars += static_cast<size_t>(len); }
void Silent(void*, const char*, ...) {}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sax_floor FILE...\n");
    return 2;
  }
  xmlSAXHandler sax{};
  sax.initialized = 1;
  sax.startElement = &Start;
  sax.endElement = &End;
  sax.characters = &Chars;
  sax.ignorableWhitespace = &Chars;
  sax.cdataBlock = &Chars;
  sax.warning = sax.error = sax.fatalError = &Silent;

  TCounts counts;
  size_t bytes = 0;
  std::vector<char> buf(128 * 1024);
  for (int i = 1; i < argc; ++i) {
    std::FILE* f = std::fopen(argv[i], "rb");
    if (!f) {
      std::fprintf(stderr, "sax_floor: cannot open %s\n", argv[i]);
      return 2;
    }
    xmlParserCtxtPtr ctxt = nullptr;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
      bytes += n;
      if (!ctxt) {
        ctxt = xmlCreatePushParserCtxt(&sax, &counts, buf.data(), static_cast<int>(n), nullptr);
        xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
        ctxt->replaceEntities = 1;
      } else {
        xmlParseChunk(ctxt, buf.data(), static_cast<int>(n), 0);
      }
    }
    std::fclose(f);
    if (ctxt) {
      xmlParseChunk(ctxt, nullptr, 0, 1);
      if (!ctxt->wellFormed) std::fprintf(stderr, "sax_floor: %s is not well-formed\n", argv[i]);
      xmlFreeParserCtxt(ctxt);
    }
  }
  std::printf("files %d bytes %zu elements %zu chars %zu\n", argc - 1, bytes, counts.elements, counts.chars);
  return 0;
}
