#pragma once
// Owner of the persons, periods, positions and payments of one set. Objects are never freed one by
// one: records of the protocol may point at any of them until the set's part is written, so they
// all go together when the arena goes.
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "isdata/result_data.h"

namespace zz {

class TDataArena {
 public:
  TDataArena() = default;
  TDataArena(const TDataArena&) = delete;
  TDataArena& operator=(const TDataArena&) = delete;
  TDataArena(TDataArena&&) = default;
  TDataArena& operator=(TDataArena&& other) noexcept {
    if (this != &other) {
      Clear();
      fItems = std::move(other.fItems);
    }
    return *this;
  }
  ~TDataArena() { Clear(); }

  template <class T, class... A>
  T* Make(A&&... args) {
    static_assert(std::is_base_of_v<TResultData, T>, "the arena holds model objects only");
    return Adopt(std::make_unique<T>(std::forward<A>(args)...));
  }

  template <class T>
  T* Adopt(std::unique_ptr<T> item) {
    static_assert(std::is_base_of_v<TResultData, T>, "the arena holds model objects only");
    T* raw = item.get();
    if (raw) fItems.push_back(std::move(item));
    return raw;
  }

  size_t Count() const { return fItems.size(); }

  // Frees the object at once when it is the newest one: for a reader's temporary object that it
  // has just made and that nothing can refer to. Anything else stays until the arena goes.
  bool DiscardNewest(const TResultData* item) {
    if (!item || fItems.empty() || fItems.back().get() != item) return false;
    fItems.pop_back();
    return true;
  }

  // Newest first, so that nothing outlives what was made before it.
  void Clear() {
    while (!fItems.empty()) fItems.pop_back();
  }

 private:
  std::vector<std::unique_ptr<TResultData>> fItems;
};

}  // namespace zz
