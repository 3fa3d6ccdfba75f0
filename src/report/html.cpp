#include "report/html.h"

#include "settings/strings.h"

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

}  // namespace zz
