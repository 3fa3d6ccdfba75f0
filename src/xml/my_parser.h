#pragma once
// Reads an XML file, an HTTP reply or bytes in memory into a node tree with libxml2's SAX interface.
//
// Failures never propagate: a missing file, a failed request, malformed or truncated XML all end the
// parse silently, and the result is what was built until then (null when no element had started).
#include <string>
#include <string_view>

#include "xml/http_get.h"
#include "xml/my_node.h"

namespace zz {

class TMyParser {
 public:
  // A fileName containing "http://" is fetched with an HTTP GET; anything else is a local file.
  TMyTreePtr parse(const std::string& fileName);
  // The document as bytes; the encoding comes from the byte-order mark or the XML declaration.
  TMyTreePtr parseBytes(std::string_view bytes);

  THttpGetLimits HttpLimits;
  // Why the last parse read nothing: the file could not be opened or read, or the request failed.
  // Empty when the bytes were read (malformed XML leaves it empty too).
  std::string LastError;
};

// A fresh parser's parse(path): the entry point of file search and list acquisition.
TMyTreePtr ReadXmlTree(const std::string& path);

}  // namespace zz
