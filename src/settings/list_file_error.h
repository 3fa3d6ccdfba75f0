#pragma once
// A damaged line of a reference-list file. The message names the file, the line and the value, so
// that the user can mend the file by hand: the program cannot start until it is mended.
#include <stdexcept>
#include <string>

#include "base/read_result.h"

namespace zz {

class TListFileError : public std::runtime_error {
 public:
  // `problem` says what the value should have been ("не является целым числом").
  TListFileError(const std::string& fileName, int line, const std::string& value, const std::string& problem);
  // The same as the reader's error: the text (what()), the file and the line.
  const TReadError& Error() const { return fError; }

 private:
  TReadError fError;
};

}  // namespace zz
