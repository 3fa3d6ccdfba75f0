#pragma once
// The one way a reader says it could not read: a TReadError (what the user is to read, the file,
// the line when known), alone or in a TReadResult beside the value it would have given. Readers
// neither log nor print it: their caller decides once what it becomes, a protocol message, a log
// line or a refusal.
#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace zz {

struct TReadError {
  std::string Text{};  // in Russian, complete: it names no file unless the file is its subject
  std::string File{};
  int Line = 0;  // 0: not known, or not a matter of one line
};

// The value a reader gives, or why there is none.
template <class T>
class TReadResult {
 public:
  TReadResult(T value) : fData(std::move(value)) {}
  TReadResult(TReadError error) : fData(std::move(error)) {}

  explicit operator bool() const { return fData.index() == 0; }
  T& operator*() {
    assert(*this);
    return std::get<0>(fData);
  }
  T* operator->() { return &**this; }
  const TReadError& Error() const {
    assert(!*this);
    return std::get<1>(fData);
  }

 private:
  std::variant<T, TReadError> fData;
};

}  // namespace zz
