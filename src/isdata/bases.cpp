// The sorted, case-insensitive set of preferential codes of a period or position.
#include "isdata/bases.h"

#include <algorithm>

#include "base/strings.h"
#include "isdata/classifier_access.h"

namespace zz {

namespace {

bool NeedsQuotes(std::string_view code) {
  for (char c : code) {
    auto b = static_cast<unsigned char>(c);
    if (b <= ' ' || c == ',' || c == '"') return true;
  }
  return false;
}

}  // namespace

TBases& TBases::operator=(const TBases& other) {
  if (this != &other) {
    fCodes = other.fCodes;
    fText = other.fText;
    fTextValid = other.fTextValid;
    if (fOnChange) fOnChange(fOwner);
  }
  return *this;
}

std::string TBases::Rename(std::string_view code) {
  std::string result(code);
  const auto& from = ClassifierOrEmpty(ctReplaceFrom);
  const auto& to = ClassifierOrEmpty(ctReplaceTo);
  size_t pairs = std::min(from.size(), to.size());
  for (size_t i = 0; i < pairs; ++i) {
    if (from[i].empty()) continue;
    result = ReplaceAll(std::move(result), from[i], to[i]);
  }
  return result;
}

bool TBases::Add(std::string_view code) {
  std::string renamed = Rename(code);
  auto pos = std::lower_bound(fCodes.begin(), fCodes.end(), renamed,
                              [](const TSharedText& a, const std::string& b) { return CompareTextCI(a, b) < 0; });
  if (pos != fCodes.end() && CompareTextCI(*pos, renamed) == 0) return false;
  fCodes.insert(pos, TSharedText(renamed));
  Changed();
  return true;
}

void TBases::Delete(size_t index) {
  if (index >= fCodes.size()) return;
  fCodes.erase(fCodes.begin() + static_cast<std::ptrdiff_t>(index));
  Changed();
}

void TBases::Clear() {
  if (fCodes.empty()) return;
  fCodes.clear();
  Changed();
}

int TBases::IndexOf(std::string_view code) const {
  for (size_t i = 0; i < fCodes.size(); ++i)
    if (SameTextCI(fCodes[i], code)) return static_cast<int>(i);
  return -1;
}

const std::string& TBases::DelimitedText() const {
  if (fTextValid) return fText.str();
  std::string text;
  for (size_t i = 0; i < fCodes.size(); ++i) {
    if (i) text += ',';
    const std::string& code = fCodes[i].str();
    if (NeedsQuotes(code)) {
      text += '"';
      text += ReplaceAll(code, "\"", "\"\"");
      text += '"';
    } else {
      text += code;
    }
  }
  fText = text;
  fTextValid = true;
  return fText.str();
}

bool TBases::HasBases(std::string_view probe) const { return DelimitedText().find(probe) != std::string::npos; }

bool TBases::HasBases(const TBases& other) const { return HasBases(std::string_view(other.DelimitedText())); }

void TBases::Changed() {
  fTextValid = false;
  if (fOnChange) fOnChange(fOwner);
}

}  // namespace zz
