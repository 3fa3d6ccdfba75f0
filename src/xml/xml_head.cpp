// Reading the first elements of an XML document with libxml2's push parser, stopping early.
#include "xml/xml_head.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include "xml/error_capture.h"
#include "xml/my_parser.h"

namespace zz {

namespace {

std::string_view View(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20) s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.remove_suffix(1);
  return s;
}

// Text kept per open element: a name is short; more is of no use to a look at the head.
constexpr size_t kMaxKeptText = 4096;
// Characters an entity may expand into over the whole look, whatever the input's size.
constexpr size_t kMaxCharacters = size_t{64} << 20;

}  // namespace

struct TXmlHeadReader::TState {
  TEvents events;
  xmlParserCtxtPtr ctxt = nullptr;
  std::vector<std::string> texts;  // of the open elements
  std::string pending;             // bytes held until the encoding can be detected
  size_t characters = 0;
  bool stopped = false;
  bool ended = false;
  std::string error;

  void Stop() {
    stopped = true;
    if (ctxt) xmlStopParser(ctxt);
  }
};

namespace {

using TState = TXmlHeadReader::TState;

void OnStart(void* ctx, const xmlChar* name, const xmlChar** atts) {
  auto* st = static_cast<TState*>(ctx);
  if (st->stopped) return;
  std::vector<std::string_view> names;
  if (atts)
    for (size_t i = 0; atts[i]; i += 2) names.push_back(View(atts[i]));
  const int depth = static_cast<int>(st->texts.size());
  st->texts.emplace_back();
  if (depth > static_cast<int>(kMaxElementDepth)) {
    st->error = "вложенность элементов больше " + std::to_string(kMaxElementDepth);
    st->Stop();
    return;
  }
  if (st->events.Start && !st->events.Start(View(name), names, depth)) st->Stop();
}

void OnEnd(void* ctx, const xmlChar* name) {
  auto* st = static_cast<TState*>(ctx);
  if (st->stopped || st->texts.empty()) return;
  std::string text = std::move(st->texts.back());
  st->texts.pop_back();
  // Text before a child is not the element's text, as in the tree.
  if (!st->texts.empty()) st->texts.back().clear();
  if (st->events.End && !st->events.End(View(name), TrimView(text), static_cast<int>(st->texts.size()))) st->Stop();
  if (st->texts.empty() && !st->stopped) st->Stop();  // the root's end: nothing further is read
}

void OnCharacters(void* ctx, const xmlChar* ch, int len) {
  auto* st = static_cast<TState*>(ctx);
  if (st->stopped || st->texts.empty() || len <= 0) return;
  st->characters += static_cast<size_t>(len);
  if (st->characters > kMaxCharacters) {
    st->error = "ссылки на сущности раскрываются в слишком длинный текст";
    st->Stop();
    return;
  }
  std::string& text = st->texts.back();
  if (text.size() < kMaxKeptText)
    text.append(reinterpret_cast<const char*>(ch), std::min(static_cast<size_t>(len), kMaxKeptText - text.size()));
}

xmlEntityPtr OnGetEntity(void* ctx, const xmlChar* name) {
  auto* st = static_cast<TState*>(ctx);
  if (xmlEntityPtr predefined = xmlGetPredefinedEntity(name)) return predefined;
  if (st->stopped || !st->ctxt || !st->ctxt->myDoc) return nullptr;
  xmlEntityPtr e = xmlGetDocEntity(st->ctxt->myDoc, name);
  return (e && e->etype == XML_INTERNAL_GENERAL_ENTITY) ? e : nullptr;
}

void OnInternalSubset(void* ctx, const xmlChar* name, const xmlChar* externalId, const xmlChar* systemId) {
  auto* st = static_cast<TState*>(ctx);
  if (st->stopped) return;
  if (!st->ctxt->myDoc) xmlSAX2StartDocument(st->ctxt);
  xmlSAX2InternalSubset(st->ctxt, name, externalId, systemId);
}

void OnEntityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId,
                  xmlChar* content) {
  auto* st = static_cast<TState*>(ctx);
  if (st->stopped || !st->ctxt->myDoc) return;
  xmlSAX2EntityDecl(st->ctxt, name, type, publicId, systemId, content);
}

xmlParserInputPtr OnResolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }

}  // namespace

TXmlHeadReader::TXmlHeadReader(TEvents events) : fState(std::make_unique<TState>()) {
  fState->events = std::move(events);
}

TXmlHeadReader::~TXmlHeadReader() {
  if (!fState->ctxt) return;
  if (fState->ctxt->myDoc) xmlFreeDoc(fState->ctxt->myDoc);
  fState->ctxt->myDoc = nullptr;
  xmlFreeParserCtxt(fState->ctxt);
}

bool TXmlHeadReader::Feed(std::string_view bytes) {
  TState& st = *fState;
  if (st.stopped || st.ended) return false;
  if (!st.ctxt) {
    // The first four bytes tell libxml2 a byte-order mark.
    st.pending.append(bytes);
    if (st.pending.size() < 4) return true;
    PrepareXmlReading();
    xmlSAXHandler sax{};
    sax.initialized = 1;
    sax.startElement = &OnStart;
    sax.endElement = &OnEnd;
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
    st.ctxt = xmlCreatePushParserCtxt(&sax, &st, st.pending.data(), 4, nullptr);
    if (!st.ctxt) {
      st.error = "недостаточно памяти для чтения документа";
      st.ended = true;
      return false;
    }
    xmlCtxtUseOptions(st.ctxt, XML_PARSE_NONET);
    st.ctxt->replaceEntities = 1;
    st.ctxt->loadsubset = 0;
    st.ctxt->validate = 0;
    st.ctxt->keepBlanks = 1;
    bytes = std::string_view(st.pending).substr(4);
  }
  {
    // No message of libxml2 reaches standard error; the thread's handler is put back after.
    xmlGenericErrorFunc generic = xmlGenericError;
    void* genericCtx = xmlGenericErrorContext;
    xmlSetGenericErrorFunc(nullptr, &DropXmlMessage);
    if (!bytes.empty()) xmlParseChunk(st.ctxt, bytes.data(), static_cast<int>(bytes.size()), 0);
    xmlSetGenericErrorFunc(genericCtx, generic);
  }
  if (!st.stopped && (st.ctxt->disableSAX || !st.ctxt->wellFormed)) {
    const xmlError* e = xmlCtxtGetLastError(st.ctxt);
    if (st.error.empty())
      st.error =
          "ошибка разбора XML" + (e && e->line > 0 ? " (строка " + std::to_string(e->line) + ")" : std::string());
    st.ended = true;
  }
  st.pending.clear();
  return !st.stopped && !st.ended;
}

void TXmlHeadReader::Finish() {
  TState& st = *fState;
  if (st.stopped || st.ended) return;
  if (!st.ctxt) {
    st.error = "документ пуст или не начинается с элемента";
  } else {
    xmlParseChunk(st.ctxt, nullptr, 0, 1);
    if (!st.stopped && st.error.empty()) st.error = "документ оборван";
  }
  st.ended = true;
}

bool TXmlHeadReader::Stopped() const { return fState->stopped && fState->error.empty(); }

const std::string& TXmlHeadReader::Error() const { return fState->error; }

}  // namespace zz
