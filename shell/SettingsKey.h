#pragma once

namespace rsw {

// Every setting is a value under this key.
inline constexpr const char* kSettingsKey = "HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro";

}  // namespace rsw
