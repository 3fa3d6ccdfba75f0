// XML schema validation with libxml2.
#include "xml/schema_check.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlversion.h>

#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "base/strings.h"
#include "xml/error_capture.h"
#include "xml/my_parser.h"
#include "xml/xml_dom.h"

namespace zz {

namespace {

// The first error libxml2 reports while parsing or validating.
struct TFirstError {
  bool Set = false;
  std::string Message;
  int Line = 0;
  int Column = 0;
  std::string NodeName;
  bool NodeIsAttribute = false;
};

void KeepFirstError(TFirstError& first, const xmlError& e) {
  if (first.Set) return;
  first.Set = true;
  first.Message = e.message ? Trim(e.message) : std::string("ошибка");
  first.Line = e.line;
  first.Column = e.int2;
  if (auto* node = static_cast<xmlNode*>(e.node)) {
    if (node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) {
      long line = xmlGetLineNo(node->type == XML_ATTRIBUTE_NODE && node->parent ? node->parent : node);
      if (line > 0) first.Line = static_cast<int>(line);
      first.NodeName = node->name ? reinterpret_cast<const char*>(node->name) : "";
      first.NodeIsAttribute = node->type == XML_ATTRIBUTE_NODE;
    }
  }
}

// Character position (1-based) of the node's name within its line; 1 when it cannot be found.
int ColumnOfNode(const std::string& bytes, int line, const std::string& name, bool attribute) {
  if (line < 1 || name.empty()) return 1;
  size_t start = 0;
  for (int l = 1; l < line; ++l) {
    start = bytes.find('\n', start);
    if (start == std::string::npos) return 1;
    ++start;
  }
  size_t end = bytes.find('\n', start);
  std::string_view text(bytes.data() + start, (end == std::string::npos ? bytes.size() : end) - start);
  size_t at = attribute ? text.find(name + "=") : text.find("<" + name);
  if (at == std::string_view::npos) return 1;
  return static_cast<int>(Utf8Length(text.substr(0, at))) + 1;
}

struct TSchemaFree {
  void operator()(xmlSchema* s) const { xmlSchemaFree(s); }
};
struct TSchemaParserFree {
  void operator()(xmlSchemaParserCtxt* c) const { xmlSchemaFreeParserCtxt(c); }
};
struct TSchemaValidFree {
  void operator()(xmlSchemaValidCtxt* c) const { xmlSchemaFreeValidCtxt(c); }
};

}  // namespace

struct TXmlSchema::TImpl {
  std::unique_ptr<xmlSchema, TSchemaFree> Schema;
  std::unique_ptr<xmlSchemaValidCtxt, TSchemaValidFree> Validator;
  bool Usable = false;
};

TXmlSchema::TXmlSchema(const std::string& bytes, const std::string& name) : fImpl(std::make_unique<TImpl>()) {
  PrepareXmlReading();
  TFirstError ignored;
  {
    TXmlErrorCapture capture([&ignored](const xmlError& e) { KeepFirstError(ignored, e); });
    std::unique_ptr<xmlSchemaParserCtxt, TSchemaParserFree> parser(
        xmlSchemaNewMemParserCtxt(bytes.data(), static_cast<int>(bytes.size())));
    if (!parser) return;
    xmlSchemaSetParserStructuredErrors(parser.get(), capture.Handler(), capture.Context());
    fImpl->Schema.reset(xmlSchemaParse(parser.get()));
    if (!fImpl->Schema) throw std::runtime_error("схема " + name + " не разобрана: " + ignored.Message);
  }
  fImpl->Validator.reset(xmlSchemaNewValidCtxt(fImpl->Schema.get()));
  fImpl->Usable = fImpl->Validator != nullptr;
}

TXmlSchema::~TXmlSchema() = default;

bool TXmlSchema::Usable() const { return fImpl->Usable; }

std::optional<TSchemaViolation> TXmlSchema::Validate(const std::string& bytes, const std::string& name) {
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) throw std::runtime_error("файл слишком велик: " + name);
  TFirstError first;
  TXmlDocPtr doc;
  {
    TXmlErrorCapture capture([&first](const xmlError& e) { KeepFirstError(first, e); });
    doc.reset(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), name.c_str(), nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES));
    if (doc) {
      xmlSchemaSetValidStructuredErrors(fImpl->Validator.get(), capture.Handler(), capture.Context());
      int rc = xmlSchemaValidateDoc(fImpl->Validator.get(), doc.get());
      if (rc != 0 && !first.Set) {
        first.Set = true;
        first.Message = "документ не соответствует схеме";
      }
    } else if (!first.Set) {
      first.Set = true;
      first.Message = "документ XML не прочитан";
    }
  }
  if (!first.Set) return std::nullopt;
  const int column =
      first.Column > 0 ? first.Column : ColumnOfNode(bytes, first.Line, first.NodeName, first.NodeIsAttribute);
  return TSchemaViolation{first.Message, first.Line, column};
}

}  // namespace zz
