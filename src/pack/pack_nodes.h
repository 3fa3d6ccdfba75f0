#pragma once
// Small look-ups and text forms shared by the readers of an IS file's header and of its persons.
#include <string>

#include "base/dates.h"

namespace zz {

class TMyNode;

namespace packnode {

extern const char kSelo[];

// The first element of that name anywhere below the node.
const TMyNode* FirstBelow(const TMyNode* node, const std::string& name);
// A child of that name, else the first such element further down.
const TMyNode* ChildOrBelow(const TMyNode* node, const std::string& name);
std::string TextOf(const TMyNode* node);
// The child of that name; throws "Отсутствует тег <name>" when there is none.
const TMyNode* Required(const TMyNode* node, const std::string& name);
[[noreturn]] void MissingTag(const std::string& tag);
// The first n characters of UTF-8 text.
std::string FirstChars(const std::string& text, size_t n);
// Insurance numbers are "NNN-NNN-NNN NN": whatever separates the check digits becomes a blank.
std::string NormaliseSN(const std::string& text);
// The element's date, ISO or dd.mm.yyyy; throws with the text and the tag when it is no date.
TDate DateOf(const TMyNode* node, bool iso);
bool InGdSm(const std::string& code);

}  // namespace packnode
}  // namespace zz
