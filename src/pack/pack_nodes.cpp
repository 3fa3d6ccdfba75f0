// Small look-ups and text forms shared by the readers of an IS file's header and of its persons.
#include "pack/pack_nodes.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "pack/pack.h"
#include "xml/my_node.h"

namespace zz::packnode {

const char kSelo[] = "СЕЛО";

const TMyNode* FirstBelow(const TMyNode* node, const std::string& name) {
  if (!node) return nullptr;
  TMyNodeList found = node->GetElementsByTagName(name);
  return found.empty() ? nullptr : found.front();
}

const TMyNode* ChildOrBelow(const TMyNode* node, const std::string& name) {
  if (!node) return nullptr;
  if (const TMyNode* child = node->SelectSingleNode(name)) return child;
  return FirstBelow(node, name);
}

std::string TextOf(const TMyNode* node) { return node ? std::string(node->text()) : std::string(); }

[[noreturn]] void MissingTag(const std::string& tag) { throw std::runtime_error("Отсутствует тег <" + tag + ">"); }

const TMyNode* Required(const TMyNode* node, const std::string& name) {
  const TMyNode* child = node->SelectSingleNode(name);
  if (!child) MissingTag(name);
  return child;
}

std::string FirstChars(const std::string& text, size_t n) {
  size_t pos = 0;
  for (size_t count = 0; pos < text.size() && count < n; ++count) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return text.substr(0, pos);
}

std::string NormaliseSN(const std::string& text) {
  size_t pos = 0;
  for (int count = 0; pos < text.size() && count < 11; ++count) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  if (pos >= text.size()) return text;
  size_t end = pos + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return text.substr(0, pos) + " " + text.substr(end);
}

TDate DateOf(const TMyNode* node, bool iso) {
  std::optional<TDate> date = iso ? TryParseIsoDate(node->text()) : TryParseDate(node->text());
  if (!date)
    throw std::runtime_error("Неверная дата \"" + std::string(node->text()) + "\" в теге <" + node->NodeName() + ">");
  return *date;
}

bool InGdSm(const std::string& code) { return std::find(GdSmCodes.begin(), GdSmCodes.end(), code) != GdSmCodes.end(); }

}  // namespace zz::packnode
