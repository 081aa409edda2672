#pragma once
// The system's sources of processor usage.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/uProcessorTime.h"
#include "shell/uRegistry.h"

namespace rsw::win32 {

// 1 for the Windows 95/98 family, 2 for Windows NT, anything else unsupported.
int PlatformId();

// The System object's performance data; the buffer grows by 8,192 bytes while it is too small.
std::optional<std::vector<std::uint8_t>> ReadPerformanceData();
std::optional<SystemTimes> ReadSystemTimes();
// The local date and time in days since 30 December 1899.
double LocalDateTime();

// The measurement for this platform; `registry` serves the Windows 95/98 statistic and must live
// as long as the result.
std::unique_ptr<ProcessorUsage> MakeProcessorUsage(const uRegistry& registry);

}  // namespace rsw::win32
