#include <windows.h>

#include <chrono>
#include <gtest/gtest.h>
#include <vector>

#include "engine/win32/Win32FreeUp.h"
#include "native/FakeFreeUpPlatform.h"
#include "shell/Messages.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

// A real window that records the worker's messages in the order they arrive.
class RecordingWindow {
 public:
  RecordingWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RswRecordingWindow";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecordingWindow() { DestroyWindow(m_window); }
  HWND Handle() const { return m_window; }
  std::vector<Posted> received;
  bool done = false;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message >= WM_FREEUP_DONE && message <= WM_FREEUP_IDLE) {
      EXPECT_EQ(lParam, 0);
      self->received.push_back({message, static_cast<std::uint32_t>(wParam), GetTickCount()});
      if (message == WM_FREEUP_DONE) self->done = true;
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HWND m_window = nullptr;
};

Posted Msg(std::uint32_t message, std::uint32_t wParam) { return {message, wParam, 0}; }

TEST(WorkerWindow, RealFreeUpPostsItsProgressToARealWindow) {
  RecordingWindow window;
  ASSERT_TRUE(window.Handle());
  TFreeThread worker;
  worker.NotifyWindow = window.Handle();
  worker.AmountMB = 4;
  worker.MaxPasses = 3;
  worker.Countdown = 1;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(win32::StartFreeThread(worker));
  ASSERT_TRUE(WaitUntil([&] { return window.done; }, 30s));
  // 4 MB is free on any machine that runs this: the first pass reaches the target
  EXPECT_EQ(window.received, (std::vector<Posted>{Msg(WM_FREEUP_COUNTDOWN, 1), Msg(WM_FREEUP_COUNTDOWN, 0),
                                                  Msg(WM_FREEUP_PASS, 0), Msg(WM_FREEUP_DONE, 0)}));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 900ms);
}

TEST(WorkerWindow, ReadingBelowTheThresholdIsIdleAtTheFirstSample) {
  RecordingWindow window;
  TFreeThread worker;
  worker.NotifyWindow = window.Handle();
  worker.AmountMB = 1;
  worker.MaxPasses = 1;
  worker.IdleDetect = true;
  worker.IdlePercent = 101;  // even a fully busy reading would be idle, were it measured
  worker.IdleSeconds = 2;
  worker.FreeIfNoIdle = false;
  ASSERT_TRUE(win32::StartFreeThread(worker));
  ASSERT_TRUE(WaitUntil([&] { return window.done; }, 30s));
  // every sample, busy or not measurable, reads 100 at most, which is below 101
  EXPECT_EQ(window.received,
            (std::vector<Posted>{Msg(WM_FREEUP_COUNTDOWN, 0), Msg(WM_FREEUP_IDLE, 1), Msg(WM_FREEUP_IDLE, 2),
                                 Msg(WM_FREEUP_IDLE, 0), Msg(WM_FREEUP_PASS, 0), Msg(WM_FREEUP_DONE, 0)}));
}

TEST(WorkerWindow, NoSampleIsBelowAThresholdOfZero) {
  RecordingWindow window;
  TFreeThread worker;
  worker.NotifyWindow = window.Handle();
  worker.AmountMB = 1;
  worker.IdleDetect = true;
  worker.IdlePercent = 0;
  worker.IdleSeconds = 2;
  ASSERT_TRUE(win32::StartFreeThread(worker));
  ASSERT_TRUE(WaitUntil([&] { return window.done; }, 30s));
  EXPECT_EQ(window.received,
            (std::vector<Posted>{Msg(WM_FREEUP_COUNTDOWN, 0), Msg(WM_FREEUP_IDLE, 1), Msg(WM_FREEUP_IDLE, 2),
                                 Msg(WM_FREEUP_IDLE, 3), Msg(WM_FREEUP_IDLE, 0), Msg(WM_FREEUP_DONE, 0)}));
}

TEST(WorkerWindow, BlockTooLargeForTheProcessEndsAfterTheFirstPassMessage) {
  win32::Win32FreeUpPlatform platform;
  // 2047 MB never fits the 2 GB address space of a 32-bit process
  EXPECT_EQ(platform.Allocate(std::size_t{2047} << 20), nullptr);

  RecordingWindow window;
  TFreeThread worker;
  worker.NotifyWindow = window.Handle();
  worker.AmountMB = 2047;
  worker.MaxPasses = 5;
  ASSERT_TRUE(win32::StartFreeThread(worker));
  ASSERT_TRUE(WaitUntil([&] { return window.done; }, 30s));
  EXPECT_EQ(window.received,
            (std::vector<Posted>{Msg(WM_FREEUP_COUNTDOWN, 0), Msg(WM_FREEUP_PASS, 0), Msg(WM_FREEUP_DONE, 0)}));
}

TEST(WorkerWindow, RealBlockIsCommittedAndWritable) {
  win32::Win32FreeUpPlatform platform;
  const std::size_t bytes = std::size_t{16} << 20;
  std::uint8_t* block = platform.Allocate(bytes);
  ASSERT_NE(block, nullptr);
  MEMORY_BASIC_INFORMATION info{};
  ASSERT_NE(VirtualQuery(block, &info, sizeof info), 0u);
  EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
  EXPECT_GE(info.RegionSize, bytes);
  block[0] = 1;
  block[bytes - 1] = 2;
  platform.Release(block, bytes);
  EXPECT_GT(platform.AvailablePhysicalBytes(), 0u);
}

TEST(WorkerWindow, MemoryStatusReadsPastTheOldCallsLimit) {
  const win32::MemoryStatus status = win32::ReadMemoryStatus();
  EXPECT_GT(status.TotalPhysical, 0u);
  EXPECT_LE(status.AvailablePhysical, status.TotalPhysical);
  MEMORYSTATUS capped{};
  capped.dwLength = sizeof capped;
  GlobalMemoryStatus(&capped);
  EXPECT_GE(status.TotalPhysical, static_cast<std::uint64_t>(capped.dwTotalPhys));
  // where the old call stops at its 2 GB cap, the 64-bit reading goes beyond it
  if (capped.dwTotalPhys == 0x7FFFFFFF) {
    EXPECT_GT(status.TotalPhysical, std::uint64_t{0x7FFFFFFF});
  }
}

}  // namespace
}  // namespace rsw::test
