#include "engine/win32/Win32ProcessorUsage.h"

namespace rsw::win32 {

int PlatformId() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return 0;
#pragma GCC diagnostic pop
  return static_cast<int>(version.dwPlatformId);
}

std::optional<std::vector<std::uint8_t>> ReadPerformanceData() {
  constexpr DWORD kStep = 8192;
  // Far more than any System object needs: a source that keeps asking for more is given up on.
  constexpr DWORD kLimit = 64 * 1024 * 1024;
  std::vector<std::uint8_t> buffer(kStep);
  LONG status = ERROR_MORE_DATA;
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD type = 0;
    status = RegQueryValueExW(HKEY_PERFORMANCE_DATA, L"2", nullptr, &type, buffer.data(), &size);
    if (status != ERROR_MORE_DATA || buffer.size() >= kLimit) {
      if (status == ERROR_SUCCESS) buffer.resize(std::min<std::size_t>(size, buffer.size()));
      break;
    }
    buffer.resize(buffer.size() + kStep);
  }
  RegCloseKey(HKEY_PERFORMANCE_DATA);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return buffer;
}

std::optional<SystemTimes> ReadSystemTimes() {
  FILETIME idle{}, kernel{}, user{};
  if (!GetSystemTimes(&idle, &kernel, &user)) return std::nullopt;
  const auto value = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return SystemTimes{value(idle), value(kernel), value(user)};
}

double LocalDateTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return EncodeDateTime(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds)
      .value_or(0.0);
}

std::unique_ptr<ProcessorUsage> MakeProcessorUsage(const uRegistry& registry) {
  switch (PlatformId()) {
    case kPlatformWindows9x: return std::make_unique<DynDataProcessorUsage>(registry);
    case kPlatformWindowsNT:
      return std::make_unique<NtProcessorUsage>(
          NtProcessorUsage::Sources{&ReadPerformanceData, &ReadSystemTimes, &LocalDateTime});
    default: return std::make_unique<UnmeasuredProcessorUsage>();
  }
}

}  // namespace rsw::win32
