// The registry of process-wide instances and their teardown.
#include "base/singleton.h"

#include <algorithm>
#include <utility>

namespace zz {

namespace {

struct TRegistryEntry {
  std::type_index type;
  std::unique_ptr<TSingleton> instance;
};

// Destroyed at process end, taking the remaining instances with it.
struct TRegistry {
  std::vector<TRegistryEntry> entries;
  ~TRegistry() { Clear(); }
  void Clear() {
    while (!entries.empty()) {
      auto victim = std::move(entries.back().instance);
      entries.pop_back();
      victim.reset();
    }
  }
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

}  // namespace

TSingleton* TSingleton::Find(std::type_index type) {
  for (auto& e : Registry().entries)
    if (e.type == type) return e.instance.get();
  return nullptr;
}

void TSingleton::Register(std::type_index type, std::unique_ptr<TSingleton> instance) {
  Registry().entries.push_back({type, std::move(instance)});
}

void TSingleton::Unregister(std::type_index type) {
  auto& entries = Registry().entries;
  auto it = std::find_if(entries.begin(), entries.end(), [&](const TRegistryEntry& e) { return e.type == type; });
  if (it == entries.end()) return;
  auto victim = std::move(it->instance);
  entries.erase(it);
  victim.reset();
}

void TSingleton::DestroyAll() { Registry().Clear(); }

size_t TSingleton::Count() { return Registry().entries.size(); }

}  // namespace zz
