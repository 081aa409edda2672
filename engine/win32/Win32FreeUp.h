#pragma once
// The free-up worker on Windows: its thread, and the system calls behind its platform interface.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "engine/TFreeThread.h"
#include "shell/uRegistry.h"
#include "shell/win32/Win32Registry.h"

namespace rsw::win32 {

struct MemoryStatus {
  std::uint64_t TotalPhysical = 0;
  std::uint64_t AvailablePhysical = 0;
};

// 64-bit figures, so machines with 2 GB and more are read correctly.
MemoryStatus ReadMemoryStatus();

class Win32FreeUpPlatform : public FreeUpPlatform {
 public:
  Win32FreeUpPlatform();
  ~Win32FreeUpPlatform() override;
  void Post(void* window, std::uint32_t message, std::uint32_t wParam) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint8_t* Allocate(std::size_t bytes) override;
  void Release(std::uint8_t* block, std::size_t bytes) override;
  std::uint64_t AvailablePhysicalBytes() override;
  ProcessorUsage& Processor() override { return *m_usage; }

 private:
  Win32Registry m_backend;
  uRegistry m_registry{m_backend};
  std::unique_ptr<ProcessorUsage> m_usage;
};

// Runs a copy of `worker` on a new thread that owns it and ends by itself; nobody waits for it.
// False when no thread could be started or the new thread could not be resumed (then nothing of
// it is left). `resume` is ResumeThread but for tests.
using ResumeFunction = DWORD(WINAPI*)(HANDLE thread);
bool StartFreeThread(const TFreeThread& worker, ResumeFunction resume = &ResumeThread);

}  // namespace rsw::win32
