// Whole-document XML reading with libxml2.
#include "xml/xml_dom.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cstring>

#include "base/utils.h"
#include "xml/my_parser.h"

namespace zz {

namespace {

std::string NodeNameOf(const xmlNode* node) {
  return node && node->name ? reinterpret_cast<const char*>(node->name) : "";
}

bool NameMatches(const xmlNode* node, const std::string& name, bool localName) {
  return (localName ? LocalName(node) : ElementName(node)) == name;
}

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

}  // namespace

TXmlDocPtr LoadDomDocumentFromMemory(const std::string& bytes, const std::string& name, std::string* error) {
  PrepareXmlReading();
  xmlResetLastError();
  xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), name.c_str(), nullptr, kParseOptions);
  if (!doc && error) {
    const xmlError* e = xmlGetLastError();
    std::string message = e && e->message ? e->message : "документ XML не прочитан";
    std::erase(message, '\n');
    *error =
        e ? message + " (строка " + std::to_string(e->line) + ", позиция " + std::to_string(e->int2) + ")" : message;
  }
  return TXmlDocPtr(doc);
}

TXmlDocPtr LoadDomDocument(const std::filesystem::path& path, std::string* error) {
  std::string bytes;
  try {
    bytes = ReadFileBytes(path, kSmallFileMaxBytes);
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return nullptr;
  }
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
    if (error) *error = "файл слишком велик";
    return nullptr;
  }
  return LoadDomDocumentFromMemory(bytes, path.string(), error);
}

TDomRoot LoadDomRoot(const std::filesystem::path& path) {
  TDomRoot result;
  result.doc = LoadDomDocument(path);
  if (result.doc) result.root = xmlDocGetRootElement(result.doc.get());
  if (!result.root) result.doc.reset();
  return result;
}

std::string ElementName(const xmlNode* node) {
  std::string name = NodeNameOf(node);
  if (node && node->ns && node->ns->prefix)
    return std::string(reinterpret_cast<const char*>(node->ns->prefix)) + ":" + name;
  return name;
}

std::string LocalName(const xmlNode* node) { return NodeNameOf(node); }

xmlNode* FindFirstDescendant(xmlNode* root, const std::string& name, bool localName) {
  if (!root) return nullptr;
  // Iterative pre-order walk so that deep documents cannot exhaust the stack.
  xmlNode* node = root->children;
  while (node && node != root) {
    if (node->type == XML_ELEMENT_NODE && NameMatches(node, name, localName)) return node;
    if (node->children && node->type == XML_ELEMENT_NODE) {
      node = node->children;
      continue;
    }
    while (node && node != root && !node->next) node = node->parent;
    if (!node || node == root) break;
    node = node->next;
  }
  return nullptr;
}

std::vector<xmlNode*> ChildElements(xmlNode* parent, const std::string& name, bool localName) {
  std::vector<xmlNode*> result;
  if (!parent) return result;
  for (xmlNode* c = parent->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && NameMatches(c, name, localName)) result.push_back(c);
  return result;
}

bool HasAttribute(const xmlNode* node, const std::string& name) {
  return node && xmlHasProp(const_cast<xmlNode*>(node), reinterpret_cast<const xmlChar*>(name.c_str())) != nullptr;
}

std::string AttributeText(const xmlNode* node, const std::string& name) {
  if (!node) return {};
  xmlChar* value = xmlGetProp(const_cast<xmlNode*>(node), reinterpret_cast<const xmlChar*>(name.c_str()));
  if (!value) return {};
  std::string result(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return result;
}

}  // namespace zz
