#pragma once
// A text held once per process and shared by every object that holds the same value: the codes,
// bases, pack numbers and names that repeat across the persons and periods of a large employer.
// Eight bytes instead of a 32-byte string, copied by copying a pointer.
//
// The pool grows only with distinct values. Past its limit (hostile input made of distinct values),
// a text is kept as its holder's own copy instead, so the pool's growth stays bounded for the life
// of the process.
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace zz {

class TSharedText {
 public:
  TSharedText() noexcept : fBits(EmptyBits()) {}
  explicit TSharedText(std::string_view text) : fBits(Intern(text)) {}
  TSharedText(const TSharedText& other) : fBits(other.IsOwned() ? OwnCopy(other.str()) : other.fBits) {}
  TSharedText(TSharedText&& other) noexcept : fBits(other.fBits) { other.fBits = EmptyBits(); }
  ~TSharedText() { Release(); }

  TSharedText& operator=(const TSharedText& other) {
    if (this != &other) Reset(other.IsOwned() ? OwnCopy(other.str()) : other.fBits);
    return *this;
  }
  TSharedText& operator=(TSharedText&& other) noexcept {
    if (this != &other) {
      Reset(other.fBits);
      other.fBits = EmptyBits();
    }
    return *this;
  }
  TSharedText& operator=(std::string_view text) {
    Reset(Intern(text));
    return *this;
  }
  TSharedText& operator=(const std::string& text) { return *this = std::string_view(text); }
  TSharedText& operator=(const char* text) { return *this = std::string_view(text); }

  const std::string& str() const { return *reinterpret_cast<const std::string*>(fBits & ~kOwnedBit); }
  operator const std::string&() const { return str(); }
  operator std::string_view() const { return str(); }

  bool empty() const { return str().empty(); }
  size_t size() const { return str().size(); }
  size_t length() const { return str().size(); }
  const char* c_str() const { return str().c_str(); }
  const char* data() const { return str().data(); }
  char operator[](size_t index) const { return str()[index]; }
  size_t find(std::string_view part, size_t from = 0) const { return str().find(part, from); }
  size_t find(char c, size_t from = 0) const { return str().find(c, from); }
  std::string substr(size_t from, size_t count = std::string::npos) const { return str().substr(from, count); }
  void clear() { Reset(EmptyBits()); }

  // Equal pooled values are the same pointer.
  friend bool operator==(const TSharedText& a, const TSharedText& b) {
    return a.fBits == b.fBits || a.str() == b.str();
  }
  friend bool operator==(const TSharedText& a, std::string_view b) { return std::string_view(a.str()) == b; }
  friend std::strong_ordering operator<=>(const TSharedText& a, const TSharedText& b) {
    return std::string_view(a.str()) <=> std::string_view(b.str());
  }
  friend std::strong_ordering operator<=>(const TSharedText& a, std::string_view b) {
    return std::string_view(a.str()) <=> b;
  }

  friend std::string operator+(const TSharedText& a, std::string_view b) { return Concat(a.str(), b); }
  friend std::string operator+(std::string_view a, const TSharedText& b) { return Concat(a, b.str()); }
  friend std::string operator+(const TSharedText& a, const TSharedText& b) { return Concat(a.str(), b.str()); }
  friend std::string operator+(const TSharedText& a, const char* b) { return Concat(a.str(), b); }
  friend std::string operator+(const char* a, const TSharedText& b) { return Concat(a, b.str()); }
  friend std::string operator+(const TSharedText& a, const std::string& b) { return Concat(a.str(), b); }
  friend std::string operator+(const std::string& a, const TSharedText& b) { return Concat(a, b.str()); }
  friend std::string operator+(std::string&& a, const TSharedText& b) { return std::move(a.append(b.str())); }
  friend std::string& operator+=(std::string& a, const TSharedText& b) { return a.append(b.str()); }
  friend std::ostream& operator<<(std::ostream& out, const TSharedText& text);

  // Distinct values and their bytes in the pool, for tests and measurements.
  static size_t PoolCount();
  static size_t PoolBytes();
  // The pool's byte limit; returns the previous one. Tests lower it to reach the fallback.
  static size_t SetPoolLimit(size_t bytes);

 private:
  static constexpr uintptr_t kOwnedBit = 1;

  static uintptr_t EmptyBits() noexcept;
  static uintptr_t Intern(std::string_view text);
  static uintptr_t OwnCopy(std::string_view text);
  static std::string Concat(std::string_view a, std::string_view b);

  bool IsOwned() const { return (fBits & kOwnedBit) != 0; }
  void Release() noexcept {
    if (IsOwned()) delete reinterpret_cast<std::string*>(fBits & ~kOwnedBit);
  }
  void Reset(uintptr_t bits) noexcept {
    Release();
    fBits = bits;
  }

  uintptr_t fBits;
};

}  // namespace zz
