#pragma once
// The registration-number rules of the settings window. Texts are the values of masked edits:
// literals kept, unfilled positions as blanks.
#include <string>

namespace zz {

inline constexpr const char* kBadRegNumMessage = "Некорректный регистрационный номер!";

// Rights list: a leading part of a number is enough ("123-456").
bool IsValidRegNumPrefix(const std::string& text);
// Re-registration list: only a complete number.
bool IsValidFullRegNum(const std::string& text);
// The number a rights entry stores: trimmed, without a final "-" ("123-456-" gives "123-456",
// "123-" gives "123").
std::string NormalizeRegNumPrefix(const std::string& text);
// The filter's prefix: the text up to its first blank, without a final "-".
std::string FilterPrefix(const std::string& text);

}  // namespace zz
