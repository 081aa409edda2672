#pragma once
// Small move-only owners for Windows handles, so nothing is released by hand.

#include <windows.h>

#include <utility>

namespace rsw::win32 {

template <typename H, typename Traits>
class Scoped {
 public:
  Scoped() = default;
  explicit Scoped(H handle) : m_handle(handle) {}
  ~Scoped() { Reset(); }
  Scoped(Scoped&& other) noexcept : m_handle(std::exchange(other.m_handle, Traits::Invalid())) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) {
      Reset();
      m_handle = std::exchange(other.m_handle, Traits::Invalid());
    }
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  H Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != Traits::Invalid(); }
  H* Receive() {
    Reset();
    return &m_handle;
  }
  H Release() { return std::exchange(m_handle, Traits::Invalid()); }
  void Reset(H handle = Traits::Invalid()) {
    if (m_handle != Traits::Invalid()) Traits::Close(m_handle);
    m_handle = handle;
  }

 private:
  H m_handle = Traits::Invalid();
};

struct HKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Close(HWND h) { DestroyWindow(h); }
};

using ScopedHKEY = Scoped<HKEY, HKeyTraits>;
using ScopedHandle = Scoped<HANDLE, KernelHandleTraits>;  // threads, processes, events
using ScopedWindow = Scoped<HWND, WindowTraits>;

}  // namespace rsw::win32
