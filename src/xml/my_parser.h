#pragma once
// Reads an XML file, an HTTP reply or bytes in memory into a node tree with libxml2's SAX interface.
//
// Failures never propagate, and no caller ever receives part of a document: a missing file, a failed
// or cut request, malformed or truncated XML, anything but comments, processing instructions and
// blanks after the root element (a second document appended), or a document too deep or too costly
// for its size all give null, with the reason in LastError. A document ends where its input ends.
#include <string>
#include <string_view>

#include "base/read_result.h"
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
  // Why the last parse gave no tree, in Russian; for malformed XML the reason and
  // "(строка L, позиция C)". Empty after a successful parse.
  std::string LastError;
  // Line of the first malformation, 0 when the failure was not one.
  int ErrorLine = 0;
  // Memory the tree of the last parse took or would have taken (the builder's own accounting).
  size_t TreeBytes = 0;
};

// Bounds of every document read: no element deeper than this, and no tree larger than
// kTreeBytesPerInputByte times the input plus kTreeBytesBase.
inline constexpr size_t kMaxElementDepth = 64;
inline constexpr size_t kTreeBytesPerInputByte = 4;
inline constexpr size_t kTreeBytesBase = size_t{64} << 20;

// libxml2's process-wide set-up, made once: its initialisation, and an external-entity loader that
// loads nothing (no document read here ever loads one). Every parse makes sure of it; a program that
// parses on several threads calls it first on its main thread.
void PrepareXmlReading();

// A fresh parser's parse(path): the tree, or why there is none (LastError as the text, the file or
// address, ErrorLine).
TReadResult<TMyTreePtr> ReadXmlTree(const std::string& path);

}  // namespace zz
