// The message of a damaged line of a reference-list file.
#include "settings/list_file_error.h"

namespace zz {

TListFileError::TListFileError(const std::string& fileName, int line, const std::string& value,
                               const std::string& problem)
    : std::runtime_error("Ошибка в файле " + fileName + ", строка " + std::to_string(line) + ": значение \"" + value +
                         "\" " + problem),
      fError{what(), fileName, line} {}

}  // namespace zz
