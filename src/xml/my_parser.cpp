// Building a node tree from a file, a reply or bytes with libxml2's SAX interface, with its bounds.
#include "xml/my_parser.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>

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

#include "xml/error_capture.h"

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
          if (c == '>')
            fState = kText;
          else if (c == '"' || c == '\'') {
            fQuote = c;
            fState = kQuoted;
          } else if (c == '=' && ++fAttributes > kMaxAttributesPerTag)
            fOk = false;
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
  std::string refusal;  // why the document was given up, when it was not libxml2's finding
  // libxml2's first error: later ones are consequences of it.
  bool hasError = false;
  int errorCode = 0;
  int errorLine = 0;
  int errorColumn = 0;
  std::string errorMessage;
  bool errorAfterRoot = false;  // the first error lies past the root's end tag

  // Only flags the stop: the event may come from inside an entity expansion, which runs in a
  // context of its own, so halting the document context from here is not safe. Events after the
  // stop are ignored and no more bytes are fed.
  void Stop(std::string why) {
    if (!stopped && refusal.empty()) refusal = std::move(why);
    stopped = true;
  }
  void CheckBudget() {
    if (builder.ReceivedBytes() > kExpansionBase + kExpansionFactor * fed)
      Stop("документ слишком сложен: ссылки на сущности раскрываются в текст, многократно больший самого файла");
    else if (builder.Depth() > kMaxElementDepth)
      Stop("документ слишком сложен: вложенность элементов больше " + std::to_string(kMaxElementDepth));
    else if (builder.MemoryBytes() > kTreeBytesBase + kTreeBytesPerInputByte * fed)
      Stop("документ слишком сложен: его дерево заняло бы больше " + std::to_string(kTreeBytesPerInputByte) +
           " байт памяти на байт файла");
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
    st->Stop("недостаточно памяти для чтения документа");
  }
}

void OnEndElement(void* ctx, const xmlChar* name) {
  TParseState* st = State(ctx);
  if (st->stopped) return;
  try {
    // After the root's end tag the builder takes nothing more; libxml2 still reads the rest of the
    // input, so that anything there but comments, processing instructions and blanks is found.
    st->builder.EndElement(View(name));
  } catch (...) {
    st->Stop("недостаточно памяти для чтения документа");
  }
}

void OnCharacters(void* ctx, const xmlChar* ch, int len) {
  TParseState* st = State(ctx);
  if (st->stopped || len <= 0) return;
  try {
    st->builder.Characters(std::string_view(reinterpret_cast<const char*>(ch), static_cast<size_t>(len)));
    st->CheckBudget();
  } catch (...) {
    st->Stop("недостаточно памяти для чтения документа");
  }
}

// Only internal general entities are ever expanded; external ones are never loaded.
xmlEntityPtr OnGetEntity(void* ctx, const xmlChar* name) {
  TParseState* st = State(ctx);
  if (xmlEntityPtr predefined = xmlGetPredefinedEntity(name)) return predefined;
  if (st->stopped || st->ctxt == nullptr || st->ctxt->myDoc == nullptr) return nullptr;
  if (++st->entityLookups > kEntityLookupBase + st->fed) {
    st->Stop("документ слишком сложен: слишком много ссылок на сущности");
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

void KeepFirstError(TParseState& st, const xmlError& e) {
  if (st.hasError) return;
  st.hasError = true;
  st.errorCode = e.code;
  st.errorLine = e.line;
  st.errorColumn = e.int2;
  st.errorMessage = e.message ? e.message : "";
  st.errorAfterRoot = st.builder.RootClosed();
}

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
  sax.warning = &DropXmlMessage;
  sax.error = &DropXmlMessage;
  sax.fatalError = &DropXmlMessage;
  return sax;
}

// Reads up to n bytes into buf; 0 at the end or on a failure.
using TSource = std::function<size_t(char* buf, size_t n)>;

// What went wrong with a document, for the user: libxml2's finding in Russian where it is a common one.
std::string MalformationReason(int code, const std::string& message) {
  switch (code) {
    case XML_ERR_DOCUMENT_EMPTY: return "документ пуст или не начинается с элемента";
    case XML_ERR_DOCUMENT_END:
    case XML_ERR_EXTRA_CONTENT: return "лишнее содержимое после корневого элемента";
    case XML_ERR_INVALID_CHAR: return "недопустимый символ";
    case XML_ERR_INVALID_HEX_CHARREF:
    case XML_ERR_INVALID_DEC_CHARREF:
    case XML_ERR_INVALID_CHARREF: return "недопустимая ссылка на символ";
    case XML_ERR_INVALID_ENCODING:
    case XML_I18N_CONV_FAILED: return "байты не соответствуют кодировке документа";
    case XML_ERR_ENTITY_LOOP:
      return "документ слишком сложен: ссылки на сущности раскрываются в текст, многократно больший самого файла";
    case XML_ERR_UNSUPPORTED_ENCODING: return "кодировка документа не поддерживается";
    case XML_ERR_UNDECLARED_ENTITY: return "ссылка на необъявленную сущность";
    case XML_ERR_ENTITYREF_SEMICOL_MISSING:
      return "ссылка на сущность без завершающей \";\" (неэкранированный символ &)";
    case XML_ERR_NAME_REQUIRED: return "ожидалось имя (неэкранированный символ & или <)";
    case XML_ERR_LT_IN_ATTRIBUTE: return "символ < в значении атрибута";
    case XML_ERR_ATTRIBUTE_NOT_STARTED: return "значение атрибута не заключено в кавычки";
    case XML_ERR_ATTRIBUTE_NOT_FINISHED: return "значение атрибута не закрыто кавычкой";
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE: return "атрибут без значения";
    case XML_ERR_ATTRIBUTE_REDEFINED: return "атрибут указан дважды";
    case XML_ERR_GT_REQUIRED: return "тег не закрыт символом >";
    case XML_ERR_TAG_NAME_MISMATCH: return "закрывающий тег не соответствует открывающему";
    case XML_ERR_TAG_NOT_FINISHED: return "документ оборван: элемент не закрыт";
    case XML_ERR_RESERVED_XML_NAME: return "объявление XML не в начале документа";
    default: break;
  }
  std::string text = message;
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return "ошибка разбора XML: " + (text.empty() ? std::string("код ") + std::to_string(code) : text);
}

struct TParseOutcome {
  std::string error;
  int line = 0;
  size_t treeBytes = 0;
};

TMyTreePtr ParseSource(const TSource& read, TParseOutcome& out) {
  PrepareXmlReading();
  TParseState st;
  // No message reaches standard error or a handler installed by someone else. The handlers are the
  // calling thread's own in libxml2, so parses may run on several threads at once; the entity
  // loader is not (see PrepareXmlReading).
  TXmlErrorCapture capture([&st](const xmlError& e) { KeepFirstError(st, e); });
  xmlSAXHandler sax = MakeHandler();
  auto buf = std::make_unique_for_overwrite<char[]>(kChunk);

  // The first bytes let libxml2 detect the encoding from a byte-order mark.
  TTagScanner tags;
  size_t head = read(buf.get(), 4);
  if (!tags.Feed(buf.get(), head)) {
    out.error = "документ слишком сложен: в теге больше " + std::to_string(kMaxAttributesPerTag) + " атрибутов";
    return {};
  }
  st.fed = head;
  xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, &st, buf.get(), static_cast<int>(head), nullptr);
  if (!ctxt) {
    out.error = "недостаточно памяти для чтения документа";
    return {};
  }
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET);
  ctxt->replaceEntities = 1;  // decoded values in attributes; text gets SAX events either way
  ctxt->loadsubset = 0;
  ctxt->validate = 0;
  ctxt->keepBlanks = 1;
  st.ctxt = ctxt;

  bool sourceFailed = false;
  try {
    bool ended = false;
    while (!st.stopped && !ctxt->disableSAX) {
      size_t n = read(buf.get(), kChunk);
      if (n == 0) {
        ended = true;
        break;
      }
      if (!tags.Feed(buf.get(), n)) {
        st.Stop("документ слишком сложен: в теге больше " + std::to_string(kMaxAttributesPerTag) + " атрибутов");
        break;
      }
      st.fed += n;
      xmlParseChunk(ctxt, buf.get(), static_cast<int>(n), 0);
    }
    if (ended && !st.stopped && !ctxt->disableSAX) xmlParseChunk(ctxt, nullptr, 0, 1);
  } catch (...) {
    sourceFailed = true;
  }

  // Whole means: the input ended after the root's end tag, with nothing malformed before or after it.
  const bool whole = st.builder.RootClosed() && st.refusal.empty() && ctxt->wellFormed && !st.hasError && !sourceFailed;
  if (!whole) {
    if (!st.refusal.empty()) {
      out.error = st.refusal;
    } else if (sourceFailed) {
      out.error = "ошибка чтения данных";
    } else {
      const bool ended = !st.hasError || st.errorCode == XML_ERR_DOCUMENT_END ||
                         st.errorCode == XML_ERR_TAG_NOT_FINISHED || st.errorCode == XML_ERR_DOCUMENT_EMPTY;
      if (ended && !st.builder.Started())
        out.error = MalformationReason(XML_ERR_DOCUMENT_EMPTY, "");
      else if (ended && !st.builder.RootClosed())
        out.error = "документ оборван: не закрыт элемент " + st.builder.OpenElementName();
      else if (st.errorAfterRoot && st.errorCode != XML_ERR_DOCUMENT_END && st.errorCode != XML_ERR_EXTRA_CONTENT)
        out.error = "после корневого элемента: " + MalformationReason(st.errorCode, st.errorMessage);
      else
        out.error = MalformationReason(st.errorCode, st.errorMessage);
      out.line = st.errorLine > 0 ? st.errorLine : ctxt->input ? ctxt->input->line : 0;
      const int column = st.hasError && st.errorColumn > 0 ? st.errorColumn : 0;
      if (out.line > 0)
        out.error += " (строка " + std::to_string(out.line) +
                     (column > 0 ? ", позиция " + std::to_string(column) : std::string()) + ")";
    }
  }
  out.treeBytes = st.builder.MemoryBytes();

  if (ctxt->myDoc) {
    xmlFreeDoc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
  }
  xmlFreeParserCtxt(ctxt);
  if (!whole) return {};
  try {
    return st.builder.Finish();
  } catch (...) {
    out.error = "недостаточно памяти для чтения документа";
    return {};
  }
}

}  // namespace

void PrepareXmlReading() {
  static std::once_flag init;
  std::call_once(init, [] {
    xmlInitParser();
    // Process-wide in libxml2: set per parse, a parse ending on one thread would put back the
    // loader under a parse still running on another.
    xmlSetExternalEntityLoader(&RefuseExternalEntity);
  });
}

TMyTreePtr TMyParser::parseBytes(std::string_view bytes) {
  LastError.clear();
  ErrorLine = 0;
  size_t pos = 0;
  TParseOutcome out;
  TMyTreePtr tree = ParseSource(
      [&](char* buf, size_t n) {
        size_t take = std::min(n, bytes.size() - pos);
        std::copy_n(bytes.data() + pos, take, buf);
        pos += take;
        return take;
      },
      out);
  LastError = std::move(out.error);
  ErrorLine = out.line;
  TreeBytes = out.treeBytes;
  return tree;
}

TMyTreePtr TMyParser::parse(const std::string& fileName) {
  LastError.clear();
  ErrorLine = 0;
  try {
    if (fileName.find("http://") != std::string::npos) {
      // Parsed as it arrives: a large reply is never held whole besides its tree.
      THttpStream stream(fileName, HttpLimits);
      TParseOutcome out;
      TMyTreePtr tree = ParseSource([&](char* buf, size_t n) { return stream.Read(buf, n); }, out);
      TreeBytes = out.treeBytes;
      // A tree means the parser read to the end of the body. A failed or cut transfer is the reason,
      // whatever the parser made of the part it got; a parse that gave up early keeps its own.
      std::string transferError;
      if (!stream.Succeeded(&transferError) && (stream.Finished() || tree)) {
        LastError = std::move(transferError);
        return {};
      }
      LastError = std::move(out.error);
      ErrorLine = out.line;
      return tree;
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
    TParseOutcome out;
    TMyTreePtr tree = ParseSource(
        [&](char* buf, size_t n) -> size_t {
          while (true) {
            ssize_t got = read(fd, buf, n);
            if (got >= 0) return static_cast<size_t>(got);
            if (errno == EINTR) continue;
            failed = true;
            readErrno = errno;
            return 0;
          }
        },
        out);
    close(fd);
    TreeBytes = out.treeBytes;
    if (failed) {
      LastError = std::string("ошибка чтения файла: ") + std::strerror(readErrno);
      return {};
    }
    LastError = std::move(out.error);
    ErrorLine = out.line;
    return tree;
  } catch (...) {
    if (LastError.empty()) LastError = "недостаточно памяти для чтения документа";
    return {};
  }
}

TReadResult<TMyTreePtr> ReadXmlTree(const std::string& path) {
  TMyParser parser;
  TMyTreePtr tree = parser.parse(path);
  if (!tree) return TReadError{parser.LastError, path, parser.ErrorLine};
  return tree;
}

}  // namespace zz
