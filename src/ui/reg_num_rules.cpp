// The checks of registration numbers entered in the settings window.
#include "ui/reg_num_rules.h"

#include "base/strings.h"

namespace zz {

namespace {

bool WrongShape(const std::string& s) {
  if (s.empty() || s == "___-___-______") return true;
  for (size_t i = 0; i < 3 && i < s.size(); ++i)
    if (s[i] == ' ') return true;
  if (s.size() < 4 || s[3] != '-') return true;
  return s.find('_') != std::string::npos;
}

}  // namespace

bool IsValidRegNumPrefix(const std::string& text) { return !WrongShape(Trim(text)); }

bool IsValidFullRegNum(const std::string& text) {
  return !WrongShape(text) && text.find(' ') == std::string::npos && text.size() == 14;
}

std::string NormalizeRegNumPrefix(const std::string& text) {
  std::string s = Trim(text);
  if (EndsWith(s, "-")) s.pop_back();
  s = Trim(s);
  if (EndsWith(s, "-")) s.pop_back();
  return s;
}

std::string FilterPrefix(const std::string& text) {
  std::string s = text.substr(0, text.find(' '));
  if (EndsWith(s, "-")) s.pop_back();
  return s;
}

}  // namespace zz
