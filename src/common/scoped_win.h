#pragma once
// Owners for Win32 handles that are released with a plain function.
#include <windows.h>

#include <utility>

namespace brivanta {

template <typename H, BOOL(WINAPI* Free)(H)>
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(H h) : h_(h) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  ScopedHandle& operator=(ScopedHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  ~ScopedHandle() { reset(); }

  void reset(H h = nullptr) {
    if (h_) Free(h_);
    h_ = h;
  }
  H get() const { return h_; }
  H release() { return std::exchange(h_, nullptr); }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_ = nullptr;
};

inline BOOL WINAPI DeleteGdiFont(HFONT f) { return DeleteObject(f); }
inline BOOL WINAPI CloseKernelHandle(HANDLE h) { return CloseHandle(h); }

using ScopedFont = ScopedHandle<HFONT, DeleteGdiFont>;
using ScopedKernelHandle = ScopedHandle<HANDLE, CloseKernelHandle>;
using ScopedModule = ScopedHandle<HMODULE, FreeLibrary>;

}  // namespace brivanta
