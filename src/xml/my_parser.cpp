#include "xml/my_parser.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/xmlerror.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>

namespace zz {

namespace {

constexpr size_t kChunk = 128 * 1024;
// Character data plus attribute values may exceed the input only through entity expansion; past
// this allowance the document is treated as hostile and the parse ends.
constexpr size_t kExpansionBase = 4 * 1024 * 1024;
constexpr size_t kExpansionFactor = 4;
// References to declared (non-predefined) entities, counted over every level of expansion.
constexpr size_t kEntityLookupBase = 10000;

// libxml2 checks the attributes of a start tag for duplicates pair by pair: a tag of tens of
// thousands of attributes costs seconds, a large file of such tags hours. No document read here has
// more than a few dozen attributes on an element, so the bytes are looked at before they are fed,
// and a tag with more than this many makes the document hostile: the parse ends before it.
constexpr size_t kMaxAttributesPerTag = 256;

// Counts the attributes ("=" outside quoted values) of every tag in bytes of an ASCII-compatible
// encoding; NUL bytes (UTF-16) are passed over. Markup declarations, comments, processing
// instructions and CDATA sections are not tags.
class TTagScanner {
 public:
  // False once a tag has more attributes than allowed; stays false.
  bool Feed(const char* p, size_t n) {
    for (size_t i = 0; i < n && fOk; ++i) {
      const char c = p[i];
      if (c == '\0') continue;
      switch (fState) {
        case kText:
          if (c == '<') fState = kTagOpen;
          break;
        case kTagOpen:
          fState = (c == '!' || c == '?') ? kMarkup : kTag;
          fAttributes = 0;
          if (c == '>') fState = kText;
          break;
        case kTag:
          if (c == '>') fState = kText;
          else if (c == '"' || c == '\'') {
            fQuote = c;
            fState = kQuoted;
          } else if (c == '=' && ++fAttributes > kMaxAttributesPerTag) fOk = false;
          break;
        case kQuoted:
          if (c == fQuote) fState = kTag;
          break;
        case kMarkup:
          if (c == '>') fState = kText;
          break;
      }
    }
    return fOk;
  }

 private:
  enum { kText, kTagOpen, kTag, kQuoted, kMarkup } fState = kText;
  char fQuote = '"';
  size_t fAttributes = 0;
  bool fOk = true;
};

std::string_view View(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

struct TParseState {
  TMyTreeBuilder builder;
  xmlParserCtxtPtr ctxt = nullptr;
  size_t fed = 0;
  size_t entityLookups = 0;
  bool stopped = false;

  // Only flags the stop: the event may come from inside an entity expansion, which runs in a
  // context of its own, so halting the document context from here is not safe. Events after the
  // stop are ignored and no more bytes are fed.
  void Stop() { stopped = true; }
  void CheckBudget() {
    if (builder.ReceivedBytes() > kExpansionBase + kExpansionFactor * fed) Stop();
  }
};

TParseState* State(void* ctx) { return static_cast<TParseState*>(ctx); }

void OnStartElement(void* ctx, const xmlChar* name, const xmlChar** atts) {
  TParseState* st = State(ctx);
  if (st->stopped) return;
  try {
    st->builder.StartElement(View(name));
    if (atts)
      for (size_t i = 0; atts[i]; i += 2) st->builder.AddAttribute(View(atts[i]), View(atts[i + 1]));
    st->CheckBudget();
  } catch (...) {
    st->Stop();
  }
}

void OnEndElement(void* ctx, const xmlChar* name) {
  TParseState* st = State(ctx);
  if (st->stopped) return;
  try {
    st->builder.EndElement(View(name));
    if (st->builder.RootClosed()) {
      // Nothing after the root's end tag is read. The root's end tag is never inside an entity,
      // so this event comes from the document context itself.
      st->Stop();
      xmlStopParser(st->ctxt);
    }
  } catch (...) {
    st->Stop();
  }
}

void OnCharacters(void* ctx, const xmlChar* ch, int len) {
  TParseState* st = State(ctx);
  if (st->stopped || len <= 0) return;
  try {
    st->builder.Characters(std::string_view(reinterpret_cast<const char*>(ch), static_cast<size_t>(len)));
    st->CheckBudget();
  } catch (...) {
    st->Stop();
  }
}

// Only internal general entities are ever expanded; external ones are never loaded.
xmlEntityPtr OnGetEntity(void* ctx, const xmlChar* name) {
  TParseState* st = State(ctx);
  if (xmlEntityPtr predefined = xmlGetPredefinedEntity(name)) return predefined;
  if (st->stopped || st->ctxt == nullptr || st->ctxt->myDoc == nullptr) return nullptr;
  if (++st->entityLookups > kEntityLookupBase + st->fed) {
    st->Stop();
    return nullptr;
  }
  xmlEntityPtr e = xmlGetDocEntity(st->ctxt->myDoc, name);
  return (e && e->etype == XML_INTERNAL_GENERAL_ENTITY) ? e : nullptr;
}

// The document type's internal subset is kept only for its entity declarations.
void OnInternalSubset(void* ctx, const xmlChar* name, const xmlChar* externalId, const xmlChar* systemId) {
  TParseState* st = State(ctx);
  if (st->stopped) return;
  if (st->ctxt->myDoc == nullptr) xmlSAX2StartDocument(st->ctxt);
  xmlSAX2InternalSubset(st->ctxt, name, externalId, systemId);
}

void OnEntityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId,
                  xmlChar* content) {
  TParseState* st = State(ctx);
  if (st->stopped || st->ctxt->myDoc == nullptr) return;
  xmlSAX2EntityDecl(st->ctxt, name, type, publicId, systemId, content);
}

xmlParserInputPtr OnResolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

void Silent(void*, const char*, ...) {}

xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

xmlSAXHandler MakeHandler() {
  xmlSAXHandler sax{};
  // SAX1 events carry qualified names exactly as written and never resolve namespaces.
  sax.initialized = 1;
  sax.startElement = &OnStartElement;
  sax.endElement = &OnEndElement;
  sax.characters = &OnCharacters;
  sax.ignorableWhitespace = &OnCharacters;
  sax.cdataBlock = &OnCharacters;
  sax.getEntity = &OnGetEntity;
  sax.internalSubset = &OnInternalSubset;
  sax.entityDecl = &OnEntityDecl;
  sax.resolveEntity = &OnResolveEntity;
  sax.warning = &Silent;
  sax.error = &Silent;
  sax.fatalError = &Silent;
  return sax;
}

// For the duration of one parse: no message reaches standard error or a handler installed by
// someone else, and no external entity is loaded whatever asks for it. The entity loader is
// process-wide in libxml2, so parses must not run on several threads at once (the program has one).
class TQuietScope {
 public:
  TQuietScope()
      : fGeneric(xmlGenericError),
        fGenericCtx(xmlGenericErrorContext),
        fStructured(xmlStructuredError),
        fStructuredCtx(xmlStructuredErrorContext),
        fLoader(xmlGetExternalEntityLoader()) {
    xmlSetGenericErrorFunc(nullptr, &Silent);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    xmlSetExternalEntityLoader(&RefuseExternalEntity);
  }
  ~TQuietScope() {
    xmlSetExternalEntityLoader(fLoader);
    xmlSetStructuredErrorFunc(fStructuredCtx, fStructured);
    xmlSetGenericErrorFunc(fGenericCtx, fGeneric);
  }
  TQuietScope(const TQuietScope&) = delete;
  TQuietScope& operator=(const TQuietScope&) = delete;

 private:
  xmlGenericErrorFunc fGeneric;
  void* fGenericCtx;
  xmlStructuredErrorFunc fStructured;
  void* fStructuredCtx;
  xmlExternalEntityLoader fLoader;
};

// Reads up to n bytes into buf; 0 at the end or on a failure.
using TSource = std::function<size_t(char* buf, size_t n)>;

TMyTreePtr ParseSource(const TSource& read) {
  static std::once_flag init;
  std::call_once(init, [] { xmlInitParser(); });

  TQuietScope quiet;
  TParseState st;
  xmlSAXHandler sax = MakeHandler();
  auto buf = std::make_unique_for_overwrite<char[]>(kChunk);

  // The first bytes let libxml2 detect the encoding from a byte-order mark.
  TTagScanner tags;
  size_t head = read(buf.get(), 4);
  if (!tags.Feed(buf.get(), head)) return {};
  st.fed = head;
  xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, &st, buf.get(), static_cast<int>(head), nullptr);
  if (!ctxt) return {};
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
  ctxt->replaceEntities = 1;  // decoded values in attributes; text gets SAX events either way
  ctxt->loadsubset = 0;
  ctxt->validate = 0;
  ctxt->keepBlanks = 1;
  st.ctxt = ctxt;

  try {
    bool ended = false;
    while (!st.stopped && !ctxt->disableSAX) {
      size_t n = read(buf.get(), kChunk);
      if (n == 0) {
        ended = true;
        break;
      }
      if (!tags.Feed(buf.get(), n)) {
        st.Stop();
        break;
      }
      st.fed += n;
      xmlParseChunk(ctxt, buf.get(), static_cast<int>(n), 0);
    }
    if (ended && !st.stopped && !ctxt->disableSAX) xmlParseChunk(ctxt, nullptr, 0, 1);
  } catch (...) {
    // A failing source ends the parse like malformed input does.
  }

  if (ctxt->myDoc) {
    xmlFreeDoc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
  }
  xmlFreeParserCtxt(ctxt);
  try {
    return st.builder.Finish();
  } catch (...) {
    return {};
  }
}

}  // namespace

TMyTreePtr TMyParser::parseBytes(std::string_view bytes) {
  size_t pos = 0;
  return ParseSource([&](char* buf, size_t n) {
    size_t take = std::min(n, bytes.size() - pos);
    std::copy_n(bytes.data() + pos, take, buf);
    pos += take;
    return take;
  });
}

TMyTreePtr TMyParser::parse(const std::string& fileName) {
  LastError.clear();
  try {
    if (fileName.find("http://") != std::string::npos) {
      std::string body;
      if (!HttpGetToMemory(fileName, body, HttpLimits, &LastError)) return {};
      return parseBytes(body);
    }
    // Opened without blocking, so that a FIFO or a device in place of a file cannot hold the run;
    // only regular files are read.
    int fd = open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      LastError = std::string("файл не открывается: ") + std::strerror(errno);
      return {};
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      close(fd);
      LastError = "не является обычным файлом";
      return {};
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    bool failed = false;
    int readErrno = 0;
    TMyTreePtr tree = ParseSource([&](char* buf, size_t n) -> size_t {
      while (true) {
        ssize_t got = read(fd, buf, n);
        if (got >= 0) return static_cast<size_t>(got);
        if (errno == EINTR) continue;
        failed = true;
        readErrno = errno;
        return 0;
      }
    });
    close(fd);
    if (failed) {
      LastError = std::string("ошибка чтения файла: ") + std::strerror(readErrno);
      return {};
    }
    return tree;
  } catch (...) {
    return {};
  }
}

TMyTreePtr ReadXmlTree(const std::string& path) {
  TMyParser parser;
  return parser.parse(path);
}

}  // namespace zz
