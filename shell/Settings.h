#pragma once
// The settings schema: every value under the settings key, its type, default and range, in the
// order it is loaded, and the order it is saved in. The main window's controls show the values;
// this model is what moves between them and the registry.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "shell/uRegistry.h"

namespace rsw {

enum class SettingId {
  Refresh,
  Times,
  Show,
  StartupAmount,
  StartupCount,
  StartupDelay,
  AutoRun,
  Icon,
  Background,
  Menu1,
  Menu2,
  Menu3,
  Regular,
  RegularMinutes,
  RegularAmount,
  Critical,
  CriticalSeconds,
  CriticalAmount,
  CriticalKB,  // "CriticalRAM 4.1", first read from the older "CriticalRAM"
  YellowKB,    // "Yellow 4.1", first read from the older "Yellow"
  HardAction,
  HardPercent,
  HardSeconds,
  SoftAction,
  SoftPercent,
  SoftSeconds,
  IdleCritical,
  IdleStartup,
  IdleRegular,
  IconAction,
  ShowResult,  // a free-up's result in a balloon from the tray icon
  Count
};

inline constexpr std::size_t kSettingCount = static_cast<std::size_t>(SettingId::Count);

enum class SettingType {
  Integer,    // an up-down position, pulled into its range
  Boolean,    // 1 or 0; anything else counts as absent
  Choice,     // an item index of a list; outside it counts as absent
  Kilobytes,  // a KB amount shown with "." between thousands; negative counts as absent
};

struct SettingRow {
  std::string_view name;  // the registry value name
  SettingId id;
  SettingType type;
  std::int32_t def;  // when absent; a newer name defaults to what its older name left
  std::int32_t min;
  std::int32_t max;
  bool olderName;  // read only, never written: the newer name that follows overrides it
};

// In load order; the older names come before the newer ones they default.
extern const std::array<SettingRow, 33> kSettingsSchema;

// In save order; the older names are never written.
extern const std::array<SettingId, 31> kSaveOrder;

const SettingRow& SchemaRow(SettingId id);  // the row that writes `id`

class Settings {
 public:
  // The defaults: those of the window's controls before loading. `defaultAmountIndex` is the
  // start-up amount's default (the Free Memory page's selection; -1 for none).
  explicit Settings(int defaultAmountIndex);

  std::int32_t operator[](SettingId id) const { return m_values[static_cast<std::size_t>(id)]; }
  bool Flag(SettingId id) const { return (*this)[id] != 0; }
  void Set(SettingId id, std::int32_t value) { m_values[static_cast<std::size_t>(id)] = value; }

  // Reads every value in load order, each with the current value as its default.
  void Load(const uRegistry& registry);
  // Writes every value in save order; throws RegistryError at the first value that cannot be
  // written, leaving the values after it unwritten.
  void Save(const uRegistry& registry) const;

 private:
  std::array<std::int32_t, kSettingCount> m_values{};
};

// The refresh-rate positions of the track bar.
inline constexpr std::int32_t kRefreshPositions = 11;

}  // namespace rsw
