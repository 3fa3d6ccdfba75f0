#pragma once
// Preferential codes of a period or staff position: sorted case-insensitively, no duplicates.
#include <string>
#include <string_view>
#include <vector>

#include "base/shared_text.h"

namespace zz {

class TBases {
 public:
  TBases() = default;
  // Takes the other list's codes as they are; the copy is not linked to any owner.
  TBases(const TBases& other) : fCodes(other.fCodes), fText(other.fText), fTextValid(other.fTextValid) {}
  using TOnChange = void (*)(void* owner);
  // Takes the codes as they are; keeps this list's own link, which then runs.
  TBases& operator=(const TBases& other);

  // Rewrites the code with the rename pairs (ctReplaceFrom -> ctReplaceTo), then inserts it in
  // order. Returns false when an equal code (ignoring case) is already there.
  bool Add(std::string_view code);
  void Delete(size_t index);
  void Clear();

  size_t Count() const { return fCodes.size(); }
  bool Empty() const { return fCodes.empty(); }
  const std::string& operator[](size_t index) const { return fCodes.at(index).str(); }
  const std::vector<TSharedText>& Codes() const { return fCodes; }
  // Index of the code ignoring case, or -1.
  int IndexOf(std::string_view code) const;

  // Codes joined by ",", a code with a blank, control character, comma or quote written quoted.
  // Built once after each change of the list; the reference stays valid until the next change.
  const std::string& DelimitedText() const;

  // Substring tests on the delimited text ("27-ПД" is found in "27-ПДРК").
  bool HasBases(std::string_view probe) const;
  bool HasBases(const TBases& other) const;

  // Called with `owner` after every change of the list (the owning period's flight-code rule); a
  // plain function and its owner, so that a period's list costs no callable object of its own.
  void SetOnChange(TOnChange onChange, void* owner) {
    fOnChange = onChange;
    fOwner = owner;
  }

  static std::string Rename(std::string_view code);

 private:
  void Changed();

  std::vector<TSharedText> fCodes;
  mutable TSharedText fText;  // DelimitedText of fCodes when fTextValid
  mutable bool fTextValid = false;
  TOnChange fOnChange = nullptr;
  void* fOwner = nullptr;
};

}  // namespace zz
