#pragma once
// A document checked against an XML schema (XSD) with libxml2: the first place it departs from the
// schema, with its line and the character position of the element or attribute concerned.
#include <memory>
#include <optional>
#include <string>

namespace zz {

struct TSchemaViolation {
  std::string Message;
  int Line = 0;
  // 1-based, in characters; 1 when the place within the line is not known.
  int Column = 1;
};

class TXmlSchema {
 public:
  // Compiles the schema `bytes`; throws std::runtime_error naming `name` when it does not compile.
  TXmlSchema(const std::string& bytes, const std::string& name);
  ~TXmlSchema();
  TXmlSchema(const TXmlSchema&) = delete;
  TXmlSchema& operator=(const TXmlSchema&) = delete;

  // False when libxml2 could not make the schema's parser or validator (no memory left).
  bool Usable() const;
  // The first departure of the document `bytes` (called `name`) from the schema, not well-formed
  // XML included; nullopt when it conforms. Throws std::runtime_error for a document over 2 GiB.
  std::optional<TSchemaViolation> Validate(const std::string& bytes, const std::string& name);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> fImpl;
};

}  // namespace zz
