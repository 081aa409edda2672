// Processor usage measured on the real system.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
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

// The whole machine's processor times as its kernel counts them: the first line of /proc/stat,
// reached through Wine's drive Z:. Wine reports the "idle" column as idle time and every other
// column as busy, so this is the load the program's reading should show, whatever else runs.
struct HostTimes {
  std::uint64_t busy = 0;
  std::uint64_t total = 0;
};

std::optional<HostTimes> ReadHostTimes() {
  std::ifstream stat("Z:\\proc\\stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  std::istringstream fields(line);
  std::string name;
  fields >> name;
  if (name != "cpu") return std::nullopt;
  HostTimes times;
  std::uint64_t value = 0;
  for (int column = 0; fields >> value; ++column) {
    times.total += value;
    if (column != 3) times.busy += value;  // the fourth column is idle
  }
  return times;
}

// Percent of the processor time between two readings that was busy.
double HostUsage(const HostTimes& from, const HostTimes& to) {
  const auto total = static_cast<double>(to.total - from.total);
  return total > 0 ? 100.0 * static_cast<double>(to.busy - from.busy) / total : 0.0;
}

TEST(ProcessorUsageWine, BusyProcessorsReadHigherThanAQuietMoment) {
  win32::Win32Registry backend;
  const uRegistry registry(backend);
  auto usage = win32::MakeProcessorUsage(registry);
  usage->StartProcessorUsage();
  const auto start = ReadHostTimes();
  ASSERT_TRUE(start) << "the machine's own processor times";
  Sleep(1000);  // one sample interval, as idle detection takes it
  const std::int32_t quiet = usage->ReadProcessorUsage();
  const auto afterQuiet = ReadHostTimes();
  std::int32_t busy = 0;
  std::optional<HostTimes> afterBusy;
  {
    Spinners spin;
    Sleep(1000);
    busy = usage->ReadProcessorUsage();
    afterBusy = ReadHostTimes();
  }
  usage->StopProcessorUsage();
  ASSERT_TRUE(afterQuiet && afterBusy);
  EXPECT_GE(quiet, 0);
  EXPECT_LE(quiet, 100);
  EXPECT_LE(busy, 100);
  EXPECT_GE(busy, 80) << "every processor was spinning";
  // Other programs may keep the machine busy at any moment: each reading is held against what the
  // machine itself counted for the same second, not against a quiet machine.
  const double hostQuiet = HostUsage(*start, *afterQuiet);
  const double hostBusy = HostUsage(*afterQuiet, *afterBusy);
  EXPECT_NEAR(quiet, hostQuiet, 10.0);
  EXPECT_NEAR(busy, hostBusy, 10.0);
  // where the machine itself was clearly quieter the first second, the reading was too
  if (hostBusy - hostQuiet >= 25.0) {
    EXPECT_GT(busy, quiet) << hostQuiet << " then " << hostBusy;
  }
}

}  // namespace
}  // namespace rsw::test
