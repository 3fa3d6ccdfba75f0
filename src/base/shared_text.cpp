// The process-wide pool behind TSharedText, with a small per-thread cache in front of its lock.
#include "base/shared_text.h"

#include <functional>
#include <mutex>
#include <ostream>
#include <unordered_set>

namespace zz {

namespace {

struct TTextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

struct TTextEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};

// Distinct texts of a hostile file beyond this go to their holders' own copies.
constexpr size_t kDefaultPoolLimit = size_t{64} << 20;
// A pooled entry costs its node and its string besides the text's own bytes.
constexpr size_t kEntryOverhead = 64;

struct TPool {
  std::mutex Lock;
  std::unordered_set<std::string, TTextHash, TTextEqual> Texts;
  size_t Bytes = 0;
  size_t Limit = kDefaultPoolLimit;
};

// Never destroyed: texts may still be read by objects released during the process's exit.
TPool& Pool() {
  static TPool* pool = new TPool;
  return *pool;
}

const std::string& EmptyString() {
  static const std::string* empty = new std::string;
  return *empty;
}

// Direct-mapped by hash: the codes of a period repeat from one period to the next, so most
// look-ups end here without taking the pool's lock.
struct TCacheSlot {
  size_t Hash = 0;
  const std::string* Text = nullptr;
};
constexpr size_t kCacheSlots = 1024;
thread_local TCacheSlot tCache[kCacheSlots];

}  // namespace

uintptr_t TSharedText::EmptyBits() noexcept { return reinterpret_cast<uintptr_t>(&EmptyString()); }

uintptr_t TSharedText::OwnCopy(std::string_view text) {
  return reinterpret_cast<uintptr_t>(new std::string(text)) | kOwnedBit;
}

uintptr_t TSharedText::Intern(std::string_view text) {
  if (text.empty()) return EmptyBits();
  size_t hash = TTextHash{}(text);
  TCacheSlot& slot = tCache[hash % kCacheSlots];
  if (slot.Text && slot.Hash == hash && *slot.Text == text) return reinterpret_cast<uintptr_t>(slot.Text);

  TPool& pool = Pool();
  std::lock_guard<std::mutex> guard(pool.Lock);
  auto found = pool.Texts.find(text);
  if (found == pool.Texts.end()) {
    if (pool.Bytes + text.size() + kEntryOverhead > pool.Limit) return OwnCopy(text);
    found = pool.Texts.emplace(text).first;
    pool.Bytes += text.size() + kEntryOverhead;
  }
  slot.Hash = hash;
  slot.Text = &*found;
  return reinterpret_cast<uintptr_t>(&*found);
}

std::string TSharedText::Concat(std::string_view a, std::string_view b) {
  std::string text;
  text.reserve(a.size() + b.size());
  text.append(a).append(b);
  return text;
}

std::ostream& operator<<(std::ostream& out, const TSharedText& text) { return out << text.str(); }

size_t TSharedText::PoolCount() {
  TPool& pool = Pool();
  std::lock_guard<std::mutex> guard(pool.Lock);
  return pool.Texts.size();
}

size_t TSharedText::PoolBytes() {
  TPool& pool = Pool();
  std::lock_guard<std::mutex> guard(pool.Lock);
  return pool.Bytes;
}

size_t TSharedText::SetPoolLimit(size_t bytes) {
  TPool& pool = Pool();
  std::lock_guard<std::mutex> guard(pool.Lock);
  size_t previous = pool.Limit;
  pool.Limit = bytes;
  return previous;
}

}  // namespace zz
