// Move-only owners for Win32 handles: each closes its handle exactly once, with the call
// that belongs to its kind (CloseHandle, FindClose, RegCloseKey, FreeLibrary).
#pragma once

#include <windows.h>

#include <utility>

namespace qv {

template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  Handle Get() const { return handle_; }
  bool Valid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return Valid(); }
  // For calls that fill in a handle: closes the current one and returns where to write.
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset(Handle handle = Traits::Invalid()) {
    if (Traits::IsValid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {  // CreateFile and friends: INVALID_HANDLE_VALUE or null mean none
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { FindClose(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};

struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};

using UniqueHandle = ScopedHandle<KernelHandleTraits>;
using FindHandle = ScopedHandle<FindHandleTraits>;
using RegKey = ScopedHandle<RegKeyTraits>;
using Library = ScopedHandle<LibraryTraits>;

}  // namespace qv
