#pragma once
// Base of every object a protocol row may point at.

namespace zz {

class TResultData {
 public:
  virtual ~TResultData() = default;
  // Set when a result record refers to the object, so that clean-up keeps it for the protocol.
  bool IsResultData = false;
};

}  // namespace zz
