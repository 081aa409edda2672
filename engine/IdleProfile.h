#pragma once
// The two idle-detection profiles a free-up can wait for.

#include <cstdint>

#include "engine/TFreeThread.h"

namespace rsw {

struct IdleProfile {
  std::int32_t Percent;  // usage strictly below this is idle
  std::int32_t Seconds;  // samples to take at most
  bool FreeIfNoIdle;     // free memory even when no idle was found
};

// Idle mode 1 waits by the soft profile, 2 by the hard one; any other mode does not wait.
inline void ConfigureIdle(TFreeThread& worker, std::int32_t idleMode, const IdleProfile& soft,
                          const IdleProfile& hard) {
  worker.IdleDetect = idleMode == 1 || idleMode == 2;
  if (!worker.IdleDetect) return;
  const IdleProfile& profile = idleMode == 1 ? soft : hard;
  worker.IdleSeconds = profile.Seconds;
  worker.IdlePercent = profile.Percent;
  worker.FreeIfNoIdle = profile.FreeIfNoIdle;
}

}  // namespace rsw
