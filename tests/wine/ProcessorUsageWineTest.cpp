// Processor usage measured on the real system.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "engine/win32/Win32ProcessorUsage.h"
#include "shell/win32/Win32Registry.h"

namespace rsw::test {
namespace {

TEST(ProcessorUsageWine, PlatformIsWindowsNT) { EXPECT_EQ(win32::PlatformId(), kPlatformWindowsNT); }

TEST(ProcessorUsageWine, PerformanceDataHereHasNoIdleCounter) {
  // Windows after NT 4 and Wine answer without the System object's processor-time counter, which
  // is why the processor times are measured instead.
  const auto data = win32::ReadPerformanceData();
  ASSERT_TRUE(data) << "the query itself succeeds";
  EXPECT_FALSE(FindProcessorTimeCounter(*data));
  const auto times = win32::ReadSystemTimes();
  ASSERT_TRUE(times);
  EXPECT_GT(times->kernel + times->user, 0u);
  EXPECT_LE(times->idle, times->kernel) << "kernel time includes idle time";
}

// Keeps every processor busy for the life of the object.
class Spinners {
 public:
  Spinners() {
    const unsigned count = std::max(2u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i) {
      m_threads.emplace_back([this] {
        volatile std::uint64_t n = 0;
        while (!m_stop) n = n + 1;
      });
    }
  }
  ~Spinners() {
    m_stop = true;
    for (auto& t : m_threads) t.join();
  }

 private:
  std::atomic<bool> m_stop{false};
  std::vector<std::thread> m_threads;
};

TEST(ProcessorUsageWine, BusyProcessorsReadHigherThanAQuietMoment) {
  win32::Win32Registry backend;
  const uRegistry registry(backend);
  auto usage = win32::MakeProcessorUsage(registry);
  usage->StartProcessorUsage();
  Sleep(1000);  // one sample interval, as idle detection takes it
  const std::int32_t quiet = usage->ReadProcessorUsage();
  std::int32_t busy = 0;
  {
    Spinners spin;
    Sleep(1000);
    busy = usage->ReadProcessorUsage();
  }
  usage->StopProcessorUsage();
  EXPECT_LE(busy, 100);
  EXPECT_GE(busy, 80) << "every processor was spinning";
  EXPECT_GT(busy, quiet);
}

}  // namespace
}  // namespace rsw::test
