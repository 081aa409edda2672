#include "engine/uProcessorTime.h"

namespace rsw {

namespace {
constexpr const char* kStartStat = "HKEY_DYN_DATA\\PerfStats\\StartStat";
constexpr const char* kStatData = "HKEY_DYN_DATA\\PerfStats\\StatData";
constexpr const char* kStopStat = "HKEY_DYN_DATA\\PerfStats\\StopStat";
constexpr const char* kCpuUsage = "KERNEL\\CPUUsage";
}  // namespace

void DynDataProcessorUsage::StartProcessorUsage() { m_registry.ReadRegInteger(kStartStat, kCpuUsage, 0); }

std::int32_t DynDataProcessorUsage::ReadProcessorUsage() {
  return m_registry.ReadRegDWordOrBinary(kStatData, kCpuUsage, 100);
}

void DynDataProcessorUsage::StopProcessorUsage() { m_registry.ReadRegInteger(kStopStat, kCpuUsage, 0); }

void NtProcessorUsage::StartProcessorUsage() {
  // both baselines, so the first sample can be measured whichever source answers
  m_lastTimes = m_sources.systemTimes();
  const auto data = m_sources.performanceData();
  m_counterMissing = true;
  if (!data) {
    m_baseline = {1.0, m_sources.now()};
    return;
  }
  if (const auto counter = FindProcessorTimeCounter(*data)) {
    m_baseline = {static_cast<double>(counter->raw), counter->time};
    m_counterMissing = false;
  }
}

std::int32_t NtProcessorUsage::ReadProcessorUsage() {
  // Where the counter was missing at the start it stays missing: every Windows after NT 4 answers
  // so, and the query is slow there.
  if (!m_counterMissing) {
    if (const auto data = m_sources.performanceData()) {
      if (const auto counter = FindProcessorTimeCounter(*data)) return UsageFromCounter(m_baseline, *counter);
    }
  }
  // No idle counter in the performance data: measure between two readings of the processor times.
  const auto times = m_sources.systemTimes();
  if (!times) return 100;
  const std::int32_t usage = m_lastTimes ? UsageFromSystemTimes(*m_lastTimes, *times) : 100;
  m_lastTimes = times;
  return usage;
}

}  // namespace rsw
