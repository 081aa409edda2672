#include "shell/AutoRun.h"

#include <cstdint>
#include <iterator>

#include "shell/Settings.h"
#include "shell/SettingsKey.h"

namespace rsw {

std::string AutoRunCommand(std::string_view programPath) {
  std::string command = "\"";
  command += programPath;
  command += "\" Startup";
  return command;
}

void WriteAutoRunEntry(const uRegistry& registry, bool autoRun, std::string_view programPath) {
  if (autoRun) {
    registry.WriteRegString(kRunKey, kRunValue, AutoRunCommand(programPath));
  } else {
    registry.DeleteRegValue(kRunKey, kRunValue);
  }
}

void InstallAutoRun(const uRegistry& registry, std::string_view programPath) {
  const std::string_view autoRunName = SchemaRow(SettingId::AutoRun).name;
  const bool autoRun = registry.ReadRegBool(kSettingsKey, autoRunName, true);
  if (autoRun) {
    // An installer's defaults, not the window's: the smallest amount, one pass, one second.
    struct Stored {
      SettingId id;
      std::int32_t installDefault;
    };
    constexpr Stored kStartupValues[] = {
        {SettingId::StartupAmount, 0}, {SettingId::StartupCount, 1}, {SettingId::StartupDelay, 1}};
    std::int32_t values[std::size(kStartupValues)];
    for (std::size_t i = 0; i < std::size(kStartupValues); ++i) {
      values[i] =
          registry.ReadRegInteger(kSettingsKey, SchemaRow(kStartupValues[i].id).name, kStartupValues[i].installDefault);
    }
    registry.WriteRegBool(kSettingsKey, autoRunName, true);
    for (std::size_t i = 0; i < std::size(kStartupValues); ++i) {
      registry.WriteRegInteger(kSettingsKey, SchemaRow(kStartupValues[i].id).name, values[i]);
    }
  }
  WriteAutoRunEntry(registry, autoRun, programPath);
}

void UninstallAutoRun(const uRegistry& registry) {
  registry.DeleteRegValue(kRunKey, kRunValue);
  registry.DeleteSettingsKeyTree(kSettingsKey);
}

}  // namespace rsw
