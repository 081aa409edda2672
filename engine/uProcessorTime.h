#pragma once
// Processor usage on the two platform families: the Windows 95/98 statistic under
// HKEY_DYN_DATA\PerfStats, and on Windows NT the performance data's idle counter, or, where the
// system has no such counter (every Windows after NT 4), the processor times the system reports.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/ProcessorUsage.h"
#include "engine/uWinPerf.h"
#include "shell/uRegistry.h"

namespace rsw {

inline constexpr int kPlatformWindows9x = 1;
inline constexpr int kPlatformWindowsNT = 2;

// The Windows 95/98 statistic: reading its start and stop values starts and stops it.
class DynDataProcessorUsage final : public ProcessorUsage {
 public:
  explicit DynDataProcessorUsage(const uRegistry& registry) : m_registry(registry) {}
  void StartProcessorUsage() override;
  std::int32_t ReadProcessorUsage() override;
  void StopProcessorUsage() override;

 private:
  const uRegistry& m_registry;
};

class NtProcessorUsage final : public ProcessorUsage {
 public:
  struct Sources {
    // The performance data of the System object, or nullopt when it cannot be read.
    std::function<std::optional<std::vector<std::uint8_t>>()> performanceData;
    // The processor times, or nullopt when they cannot be read.
    std::function<std::optional<SystemTimes>()> systemTimes;
    // The local date and time in days since 30 December 1899.
    std::function<double()> now;
  };

  explicit NtProcessorUsage(Sources sources) : m_sources(std::move(sources)) {}
  void StartProcessorUsage() override;
  std::int32_t ReadProcessorUsage() override;
  void StopProcessorUsage() override {}

  const PerfBaseline& Baseline() const { return m_baseline; }

 private:
  Sources m_sources;
  PerfBaseline m_baseline;
  std::optional<SystemTimes> m_lastTimes;  // the baseline where the counter is missing
  bool m_counterMissing = true;
};

}  // namespace rsw
