#pragma once
// The registration number an IS file declares, found where recognition (TBaseData) finds it, from
// the document's first bytes only: for files whose name holds no number.
#include <memory>
#include <string>
#include <string_view>

namespace zz {

class TXmlHeadReader;

class TRegNumHeadScan {
 public:
  TRegNumHeadScan();
  ~TRegNumHeadScan();
  TRegNumHeadScan(const TRegNumHeadScan&) = delete;
  TRegNumHeadScan& operator=(const TRegNumHeadScan&) = delete;

  // False once no more bytes are wanted (found, or found not to be there).
  bool Feed(std::string_view bytes);
  void Finish();

  // The number as written in the file (not checked for its form); empty when there is none.
  const std::string& RegNum() const { return fRegNum; }
  // Why there is none, for the user.
  std::string Problem() const;

  // How far into a document the number is looked for: the header comes first in every form.
  static constexpr size_t kMaxBytes = size_t{1} << 20;

 private:
  std::unique_ptr<TXmlHeadReader> fReader;
  std::string fElement;  // where the number is, once the root has said it
  std::string fRegNum;
  std::string fProblem;
  size_t fFed = 0;
  bool fFinished = false;
};

}  // namespace zz
