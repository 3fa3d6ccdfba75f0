#pragma once
// Process-wide objects of which there is at most one instance per exact class.
#include <memory>
#include <typeindex>
#include <vector>

namespace zz {

class TSingleton {
 public:
  virtual ~TSingleton() = default;
  TSingleton(const TSingleton&) = delete;
  TSingleton& operator=(const TSingleton&) = delete;

  // The one instance of exactly T (not of a base or a derived class), created on first use.
  template <class T>
  static T& GetInstance() {
    if (TSingleton* found = Find(typeid(T))) return static_cast<T&>(*found);
    auto created = std::unique_ptr<TSingleton>(new T());
    T& result = static_cast<T&>(*created);
    Register(typeid(T), std::move(created));
    return result;
  }

  // Destroys the instance of exactly T, if any (tests use it to start from a clean state).
  template <class T>
  static void DestroyInstance() {
    Unregister(typeid(T));
  }

  // Destroys every instance, last created first (process end, and between tests).
  static void DestroyAll();
  static size_t Count();

 protected:
  TSingleton() = default;

 private:
  static TSingleton* Find(std::type_index type);
  static void Register(std::type_index type, std::unique_ptr<TSingleton> instance);
  static void Unregister(std::type_index type);
};

}  // namespace zz
