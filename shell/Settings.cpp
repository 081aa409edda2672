#include "shell/Settings.h"

#include <algorithm>

#include "engine/FreeAmounts.h"
#include "shell/SettingsKey.h"

namespace rsw {

namespace {

using enum SettingId;
using enum SettingType;

constexpr std::int32_t kLastAmount = kAmountCount - 1;
constexpr std::int32_t kAny = 0;  // range of kilobyte values: not limited above
// The start-up amount's default is the default amount, which depends on the machine's memory.
constexpr std::int32_t kDefaultAmount = -1;

}  // namespace

const std::array<SettingRow, 33> kSettingsSchema{{
    {"Refresh", Refresh, Integer, 3, 0, kRefreshPositions - 1, false},
    {"Times", Times, Integer, 2, 1, 20, false},
    {"Show", Show, Boolean, 1, 0, 1, false},
    {"StartupAmount", StartupAmount, Choice, kDefaultAmount, 0, kLastAmount, false},
    {"StartupCount", StartupCount, Integer, 3, 1, 20, false},
    {"StartupDelay", StartupDelay, Integer, 15, 1, 3600, false},
    {"AutoRun", AutoRun, Boolean, 0, 0, 1, false},
    {"Icon", Icon, Boolean, 0, 0, 1, false},
    {"Background", Background, Boolean, 0, 0, 1, false},
    {"Menu1", Menu1, Choice, 2, 0, kLastAmount, false},
    {"Menu2", Menu2, Choice, 4, 0, kLastAmount, false},
    {"Menu3", Menu3, Choice, 6, 0, kLastAmount, false},
    {"Regular", Regular, Boolean, 1, 0, 1, false},
    {"RegularMinutes", RegularMinutes, Integer, 30, 5, 1440, false},
    {"RegularAmount", RegularAmount, Choice, 5, 0, kLastAmount, false},
    {"Critical", Critical, Boolean, 1, 0, 1, false},
    {"CriticalSeconds", CriticalSeconds, Integer, 10, 1, 3600, false},
    {"CriticalAmount", CriticalAmount, Choice, 2, 0, kLastAmount, false},
    {"CriticalRAM", CriticalKB, Kilobytes, 500, 0, kAny, true},
    {"Yellow", YellowKB, Kilobytes, 3000, 0, kAny, true},
    {"CriticalRAM 4.1", CriticalKB, Kilobytes, 500, 0, kAny, false},
    {"Yellow 4.1", YellowKB, Kilobytes, 3000, 0, kAny, false},
    {"HardAction", HardAction, Choice, 0, 0, 1, false},
    {"HardPercent", HardPercent, Integer, 25, 10, 90, false},
    {"HardSeconds", HardSeconds, Integer, 5, 1, 180, false},
    {"SoftAction", SoftAction, Choice, 1, 0, 1, false},
    {"SoftPercent", SoftPercent, Integer, 25, 10, 90, false},
    {"SoftSeconds", SoftSeconds, Integer, 60, 1, 180, false},
    {"IdleCritical", IdleCritical, Choice, 2, 0, 2, false},
    {"IdleStartup", IdleStartup, Choice, 1, 0, 2, false},
    {"IdleRegular", IdleRegular, Choice, 1, 0, 2, false},
    {"IconAction", IconAction, Choice, 1, 0, 4, false},
    {"ShowResult", ShowResult, Boolean, 1, 0, 1, false},
}};

const std::array<SettingId, 31> kSaveOrder{
    Refresh,      Times,        Show,           Icon,          Background,  Menu1,           Menu2,
    Menu3,        Regular,      RegularMinutes, RegularAmount, Critical,    CriticalSeconds, CriticalAmount,
    CriticalKB,   YellowKB,     HardAction,     HardPercent,   HardSeconds, SoftAction,      SoftPercent,
    SoftSeconds,  IdleCritical, IdleStartup,    IdleRegular,   IconAction,  AutoRun,         StartupAmount,
    StartupCount, StartupDelay, ShowResult};

const SettingRow& SchemaRow(SettingId id) {
  const auto row = std::find_if(kSettingsSchema.begin(), kSettingsSchema.end(),
                                [id](const SettingRow& r) { return r.id == id && !r.olderName; });
  return *row;
}

Settings::Settings(int defaultAmountIndex) {
  for (const SettingRow& row : kSettingsSchema) Set(row.id, row.def);
  Set(StartupAmount, defaultAmountIndex);
}

void Settings::Load(const uRegistry& registry) {
  for (const SettingRow& row : kSettingsSchema) {
    const std::int32_t current = (*this)[row.id];
    switch (row.type) {
      case Boolean: Set(row.id, registry.ReadRegBool(kSettingsKey, row.name, current != 0) ? 1 : 0); break;
      case Integer:
        Set(row.id, std::clamp(registry.ReadRegInteger(kSettingsKey, row.name, current), row.min, row.max));
        break;
      case Choice: {
        const std::int32_t v = registry.ReadRegInteger(kSettingsKey, row.name, current);
        if (v >= row.min && v <= row.max) Set(row.id, v);
        break;
      }
      case Kilobytes: {
        const std::int32_t v = registry.ReadRegInteger(kSettingsKey, row.name, current);
        if (v >= 0) Set(row.id, v);
        break;
      }
    }
  }
}

void Settings::Save(const uRegistry& registry) const {
  for (SettingId id : kSaveOrder) {
    const SettingRow& row = SchemaRow(id);
    if (row.type == Boolean) {
      registry.WriteRegBool(kSettingsKey, row.name, Flag(id));
    } else {
      registry.WriteRegInteger(kSettingsKey, row.name, (*this)[id]);
    }
  }
}

}  // namespace rsw
