#pragma once
// Owner of the persons, periods, positions and payments of one set. Objects are never freed one by
// one: records of the protocol may point at any of them until the set's part is written, so they
// all go together when the arena goes.
//
// Objects are placed one after another in large blocks rather than allocated one by one: a large
// employer has hundreds of thousands of them, and releasing the set is then running their
// destructors and freeing a few blocks.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
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
  TDataArena(TDataArena&& other) noexcept
      : fItems(std::move(other.fItems)), fBlocks(std::move(other.fBlocks)), fFree(other.fFree), fLeft(other.fLeft) {
    other.fFree = nullptr;
    other.fLeft = 0;
  }
  TDataArena& operator=(TDataArena&& other) noexcept {
    if (this != &other) {
      Clear();
      fItems = std::move(other.fItems);
      fBlocks = std::move(other.fBlocks);
      fFree = std::exchange(other.fFree, nullptr);
      fLeft = std::exchange(other.fLeft, 0);
    }
    return *this;
  }
  ~TDataArena() { Clear(); }

  template <class T, class... A>
  T* Make(A&&... args) {
    static_assert(std::is_base_of_v<TResultData, T>, "the arena holds model objects only");
    static_assert(alignof(T) <= kAlign, "the arena's blocks are aligned for model objects");
    void* place = Allocate(sizeof(T));
    T* item = new (place) T(std::forward<A>(args)...);
    fItems.push_back(reinterpret_cast<uintptr_t>(static_cast<TResultData*>(item)));
    return item;
  }

  // Takes an object made elsewhere; it is deleted with the arena.
  template <class T>
  T* Adopt(std::unique_ptr<T> item) {
    static_assert(std::is_base_of_v<TResultData, T>, "the arena holds model objects only");
    T* raw = item.release();
    if (raw) fItems.push_back(reinterpret_cast<uintptr_t>(static_cast<TResultData*>(raw)) | kAdopted);
    return raw;
  }

  size_t Count() const { return fItems.size(); }

  // Frees the object at once when it is the newest one: for a reader's temporary object that it
  // has just made and that nothing can refer to. Anything else stays until the arena goes.
  bool DiscardNewest(const TResultData* item) {
    if (!item || fItems.empty() || Item(fItems.back()) != item) return false;
    uintptr_t entry = fItems.back();
    fItems.pop_back();
    Destroy(entry);
    // The newest object of the current block gives its place back to the next one.
    auto* place = reinterpret_cast<std::byte*>(Item(entry));
    if (!(entry & kAdopted) && !fBlocks.empty() && place >= fBlocks.back().get() && place < fFree) {
      fLeft += static_cast<size_t>(fFree - place);
      fFree = place;
    }
    return true;
  }

  // Newest first, so that nothing outlives what was made before it.
  void Clear() {
    while (!fItems.empty()) {
      uintptr_t entry = fItems.back();
      fItems.pop_back();
      Destroy(entry);
    }
    fBlocks.clear();
    fFree = nullptr;
    fLeft = 0;
  }

 private:
  static constexpr uintptr_t kAdopted = 1;
  static constexpr size_t kAlign = alignof(std::max_align_t);
  static constexpr size_t kBlockBytes = size_t{256} << 10;

  struct TBlockDelete {
    void operator()(std::byte* block) const { ::operator delete[](block, std::align_val_t{kAlign}); }
  };

  static TResultData* Item(uintptr_t entry) { return reinterpret_cast<TResultData*>(entry & ~kAdopted); }

  static void Destroy(uintptr_t entry) {
    TResultData* item = Item(entry);
    if (entry & kAdopted)
      delete item;
    else
      item->~TResultData();
  }

  void* Allocate(size_t bytes) {
    bytes = (bytes + kAlign - 1) / kAlign * kAlign;
    if (bytes > fLeft) {
      size_t size = bytes > kBlockBytes ? bytes : kBlockBytes;
      auto* block = static_cast<std::byte*>(::operator new[](size, std::align_val_t{kAlign}));
      fBlocks.emplace_back(block);
      fFree = block;
      fLeft = size;
    }
    void* place = fFree;
    fFree += bytes;
    fLeft -= bytes;
    return place;
  }

  std::vector<uintptr_t> fItems;  // each object, newest last; kAdopted marks one made elsewhere
  std::vector<std::unique_ptr<std::byte[], TBlockDelete>> fBlocks;
  std::byte* fFree = nullptr;
  size_t fLeft = 0;
};

}  // namespace zz
