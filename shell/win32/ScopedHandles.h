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

template <typename G>
struct GdiObjectTraits {
  static G Invalid() { return nullptr; }
  static void Close(G h) { DeleteObject(h); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON h) { DestroyIcon(h); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Close(HMENU h) { DestroyMenu(h); }
};
struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static void Close(HDC h) { DeleteDC(h); }
};

using ScopedHKEY = Scoped<HKEY, HKeyTraits>;
using ScopedHandle = Scoped<HANDLE, KernelHandleTraits>;  // threads, processes, events
using ScopedWindow = Scoped<HWND, WindowTraits>;
using ScopedFont = Scoped<HFONT, GdiObjectTraits<HFONT>>;
using ScopedBitmap = Scoped<HBITMAP, GdiObjectTraits<HBITMAP>>;
using ScopedBrush = Scoped<HBRUSH, GdiObjectTraits<HBRUSH>>;
using ScopedPen = Scoped<HPEN, GdiObjectTraits<HPEN>>;
using ScopedIcon = Scoped<HICON, IconTraits>;
using ScopedMenu = Scoped<HMENU, MenuTraits>;
using ScopedMemoryDc = Scoped<HDC, MemoryDcTraits>;  // from CreateCompatibleDC

// Selects a GDI object into a DC for the life of the scope, then puts the previous one back.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelection() {
    if (m_previous) SelectObject(m_dc, m_previous);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// A window's DC from GetDC (the screen's for no window), given back to that window at the end of
// the scope.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
  ~ScopedWindowDc() {
    if (m_dc) ReleaseDC(m_window, m_dc);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;

  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

}  // namespace rsw::win32
