#include "engine/win32/Win32FreeUp.h"

#include <process.h>

#include <memory>

#include "engine/win32/Win32ProcessorUsage.h"
#include "shell/Messages.h"
#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

MemoryStatus ReadMemoryStatus() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (!GlobalMemoryStatusEx(&status)) return {};
  return {status.ullTotalPhys, status.ullAvailPhys};
}

Win32FreeUpPlatform::Win32FreeUpPlatform() : m_usage(MakeProcessorUsage(m_registry)) {}

Win32FreeUpPlatform::~Win32FreeUpPlatform() = default;

void Win32FreeUpPlatform::Post(void* window, std::uint32_t message, std::uint32_t wParam) {
  PostMessageA(static_cast<HWND>(window), message, wParam, 0);
}

void Win32FreeUpPlatform::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint8_t* Win32FreeUpPlatform::Allocate(std::size_t bytes) {
  // Committed but untouched: the system supplies a physical page at the first write to it.
  return static_cast<std::uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void Win32FreeUpPlatform::Release(std::uint8_t* block, std::size_t) { VirtualFree(block, 0, MEM_RELEASE); }

std::uint64_t Win32FreeUpPlatform::AvailablePhysicalBytes() { return ReadMemoryStatus().AvailablePhysical; }

namespace {

unsigned __stdcall FreeThreadMain(void* parameter) {
  const std::unique_ptr<TFreeThread> worker(static_cast<TFreeThread*>(parameter));
  try {
    Win32FreeUpPlatform platform;
    worker->Execute(platform);  // noexcept: ends with WM_FREEUP_DONE whatever happens
  } catch (...) {
    // no platform to run on: the free-up still ends, so the window does not stay busy
    PostMessageA(static_cast<HWND>(worker->NotifyWindow), WM_FREEUP_DONE, 0, 0);
  }
  return 0;
}

}  // namespace

bool StartFreeThread(const TFreeThread& worker, ResumeFunction resume) {
  auto copy = std::make_unique<TFreeThread>(worker);
  // Created suspended and resumed only once it owns its copy; the handle is not kept.
  ScopedHandle thread(
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &FreeThreadMain, copy.get(), CREATE_SUSPENDED, nullptr)));
  if (!thread) return false;
  if (resume(thread.Get()) == static_cast<DWORD>(-1)) {
    // It never ran, so it holds nothing but its copy, which is freed here.
    TerminateThread(thread.Get(), 0);
    WaitForSingleObject(thread.Get(), INFINITE);
    return false;
  }
  copy.release();
  return true;
}

}  // namespace rsw::win32
