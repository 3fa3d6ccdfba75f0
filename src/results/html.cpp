// Building HTML from escaped text and deliberate markup.
#include "results/html.h"

#include <utility>

#include "base/strings.h"

namespace zz {

THtml THtml::Text(std::string_view text) {
  THtml h;
  h.fHtml = HtmlEscape(text);
  h.fPlain = std::string(text);
  return h;
}

THtml THtml::Markup(std::string_view markup) {
  THtml h;
  h.fHtml = std::string(markup);
  h.fPlain = std::string(markup);
  return h;
}

namespace {

// A reference to no character (NUL, a surrogate, past Unicode) reads as the replacement character.
void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  AppendCodePoint(out, static_cast<uint32_t>(cp));
}

// Decodes the reference starting at html[i] ('&'); returns its length, 0 when it is none we know.
size_t DecodeReference(std::string_view html, size_t i, std::string& out) {
  size_t semi = html.find(';', i);
  if (semi == std::string_view::npos || semi - i > 10) return 0;
  std::string_view name = html.substr(i + 1, semi - i - 1);
  static const std::pair<std::string_view, const char*> kNamed[] = {
      {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
  for (const auto& [n, text] : kNamed)
    if (name == n) {
      out += text;
      return semi - i + 1;
    }
  if (name.size() < 2 || name[0] != '#') return 0;
  bool hex = name[1] == 'x' || name[1] == 'X';
  std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  unsigned long cp = 0;
  for (char c : digits) {
    int d = c >= '0' && c <= '9'          ? c - '0'
            : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
            : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
    if (d < 0 || cp > 0x10FFFF) return 0;
    cp = cp * (hex ? 16 : 10) + static_cast<unsigned long>(d);
  }
  AppendUtf8(out, cp);
  return semi - i + 1;
}

}  // namespace

std::string HtmlToText(std::string_view html) {
  std::string out;
  out.reserve(html.size());
  for (size_t i = 0; i < html.size();) {
    char c = html[i];
    if (c == '<') {
      size_t end = html.find('>', i);
      if (end == std::string_view::npos) {
        out += html.substr(i);
        break;
      }
      std::string_view tag = html.substr(i + 1, end - i - 1);
      if (tag == "br" || tag == "br/" || tag == "br /" || tag == "BR") out += '\n';
      i = end + 1;
    } else if (c == '&') {
      size_t used = DecodeReference(html, i, out);
      if (used == 0) {
        out += c;
        ++i;
      } else {
        i += used;
      }
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

}  // namespace zz
