#pragma once
// HTML built from pieces: plain text is escaped, deliberate markup is kept, so the two never mix.
#include <string>
#include <string_view>

namespace zz {

class THtml {
 public:
  THtml() = default;
  static THtml Text(std::string_view text);
  static THtml Markup(std::string_view markup);

  THtml& operator+=(const THtml& other) {
    fHtml += other.fHtml;
    fPlain += other.fPlain;
    return *this;
  }
  friend THtml operator+(THtml a, const THtml& b) { return a += b; }

  // Safe to write into a page.
  const std::string& Html() const { return fHtml; }
  // The same message with the markup as written and the text unescaped (for the log).
  const std::string& Plain() const { return fPlain; }
  bool Empty() const { return fHtml.empty(); }

 private:
  std::string fHtml;
  std::string fPlain;
};

inline THtml HtmlBr() { return THtml::Markup("<br>"); }

// The text a reader sees in a fragment of the protocol: line breaks become "\n", other tags go,
// character references are decoded.
std::string HtmlToText(std::string_view html);

}  // namespace zz
