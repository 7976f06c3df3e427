// RAII owners for Win32 handles. Each closes its handle exactly once and can
// give it up with release() or replace it with reset().
#pragma once

#include <utility>

#include "base/win32.h"

namespace zvt {

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() = default;
  explicit UniqueResource(Type value) : value_(value) {}
  ~UniqueResource() { reset(); }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const { return value_; }
  bool valid() const { return Traits::valid(value_); }
  explicit operator bool() const { return valid(); }
  Type release() { return std::exchange(value_, Traits::invalid()); }
  void reset(Type value = Traits::invalid()) {
    Type old = std::exchange(value_, value);
    if (Traits::valid(old)) Traits::close(old);
  }
  // For APIs that fill a handle through a pointer.
  Type* receive() {
    reset();
    return &value_;
  }

 private:
  Type value_ = Traits::invalid();
};

// Kernel handles: files (INVALID_HANDLE_VALUE on failure) and processes,
// threads, events, pipes (NULL on failure) alike; both count as invalid.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Type h) { ::CloseHandle(h); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

struct FindHandleTraits {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static bool valid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Type h) { ::FindClose(h); }
};
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

struct RegKeyTraits {
  using Type = HKEY;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr; }
  static void close(Type h) { ::RegCloseKey(h); }
};
using UniqueRegKey = UniqueResource<RegKeyTraits>;

struct ServiceHandleTraits {
  using Type = SC_HANDLE;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr; }
  static void close(Type h) { ::CloseServiceHandle(h); }
};
using UniqueServiceHandle = UniqueResource<ServiceHandleTraits>;

struct ModuleTraits {
  using Type = HMODULE;
  static Type invalid() { return nullptr; }
  static bool valid(Type h) { return h != nullptr; }
  static void close(Type h) { ::FreeLibrary(h); }
};
using UniqueModule = UniqueResource<ModuleTraits>;

}  // namespace zvt
