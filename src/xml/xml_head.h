#pragma once
// The first elements of an XML document, taken as its bytes arrive and given up as soon as the
// caller has seen enough: for looking into a file without reading it whole.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zz {

class TXmlHeadReader {
 public:
  // Qualified names exactly as written (SAX1, as the tree parser reads them); the root's depth is 0.
  // `End` gets the trimmed character data written directly inside the element after its last child.
  // Either returns false when it has seen enough.
  struct TEvents {
    std::function<bool(std::string_view name, const std::vector<std::string_view>& attributeNames, int depth)> Start;
    std::function<bool(std::string_view name, std::string_view text, int depth)> End;
  };

  explicit TXmlHeadReader(TEvents events);
  ~TXmlHeadReader();
  TXmlHeadReader(const TXmlHeadReader&) = delete;
  TXmlHeadReader& operator=(const TXmlHeadReader&) = delete;

  // False once no more bytes are wanted: the events stopped it, the document ended or is malformed.
  bool Feed(std::string_view bytes);
  // The input ended.
  void Finish();

  bool Stopped() const;
  // Why the document could not be read as far as it was, empty when it could.
  const std::string& Error() const;

  struct TState;

 private:
  std::unique_ptr<TState> fState;
};

}  // namespace zz
