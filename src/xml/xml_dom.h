#pragma once
// Whole-document XML reading with libxml2, for the shipped classifier files and schema checks.
// Bytes are read by us and parsed from memory; no network, no DTD, no external entities.
#include <libxml/tree.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zz {

struct TXmlDocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using TXmlDocPtr = std::unique_ptr<xmlDoc, TXmlDocDeleter>;

// The parsed document, or null when the file is missing, unreadable or not well-formed.
// `error` (optional) receives the first error with its line and column.
TXmlDocPtr LoadDomDocument(const std::filesystem::path& path, std::string* error = nullptr);
TXmlDocPtr LoadDomDocumentFromMemory(const std::string& bytes, const std::string& name, std::string* error = nullptr);

// Document element of the file, with its document; both null when the file cannot be loaded.
struct TDomRoot {
  TXmlDocPtr doc;
  xmlNode* root = nullptr;
};
TDomRoot LoadDomRoot(const std::filesystem::path& path);

// Element helpers; names are compared with the element's local name when `localName` is set.
std::string ElementName(const xmlNode* node);
std::string LocalName(const xmlNode* node);
// First element named `name` anywhere under `root` (not root itself), document order.
xmlNode* FindFirstDescendant(xmlNode* root, const std::string& name, bool localName = false);
std::vector<xmlNode*> ChildElements(xmlNode* parent, const std::string& name, bool localName = false);
bool HasAttribute(const xmlNode* node, const std::string& name);
std::string AttributeText(const xmlNode* node, const std::string& name);

}  // namespace zz
