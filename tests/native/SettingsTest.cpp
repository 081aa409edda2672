#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/Thousands.h"
#include "shell/MemoryRegistry.h"
#include "shell/Settings.h"
#include "shell/SettingsKey.h"

namespace rsw {
namespace {

using enum SettingId;

constexpr const char* kKeyPath = "Software\\Vondrel Aske\\Ramsweep Pro";

// The in-memory registry, recording the names of the values written and refusing one of them.
class RecordingRegistry final : public RegistryBackend {
 public:
  MemoryRegistry memory;
  std::vector<std::string> written;
  std::string refuse;  // a value name whose write fails

  std::unique_ptr<RegistryKey> Open(RootKey root, std::string_view path, KeyAccess access) override {
    return memory.Open(root, path, access);
  }
  std::unique_ptr<RegistryKey> Create(RootKey root, std::string_view path) override {
    auto key = memory.Create(root, path);
    return key ? std::make_unique<Key>(*this, std::move(key)) : nullptr;
  }
  void DeleteKey(RootKey root, std::string_view path) override { memory.DeleteKey(root, path); }
  bool DeleteKeyTree(RootKey root, std::string_view path) override { return memory.DeleteKeyTree(root, path); }

 private:
  class Key final : public RegistryKey {
   public:
    Key(RecordingRegistry& owner, std::unique_ptr<RegistryKey> inner) : m_owner(owner), m_inner(std::move(inner)) {}
    std::optional<RegValue> Query(std::string_view name, std::size_t capacity) const override {
      return m_inner->Query(name, capacity);
    }
    bool Set(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data) override {
      if (name == m_owner.refuse) return false;
      m_owner.written.emplace_back(name);
      return m_inner->Set(name, type, data);
    }
    bool DeleteValue(std::string_view name) override { return m_inner->DeleteValue(name); }
    std::optional<std::string> ValueName(std::uint32_t index, std::size_t capacity) const override {
      return m_inner->ValueName(index, capacity);
    }

   private:
    RecordingRegistry& m_owner;
    std::unique_ptr<RegistryKey> m_inner;
  };
};

class SettingsTest : public ::testing::Test {
 protected:
  RecordingRegistry backend;
  uRegistry registry{backend};

  void Store(const std::string& name, std::int32_t value) { registry.WriteRegInteger(kSettingsKey, name, value); }
  std::int32_t Stored(const std::string& name, std::int32_t absent = -999) const {
    return registry.ReadRegInteger(kSettingsKey, name, absent);
  }
  Settings Loaded(int defaultAmountIndex = 40) {
    Settings s(defaultAmountIndex);
    s.Load(registry);
    backend.written.clear();
    return s;
  }
};

TEST_F(SettingsTest, EmptyRegistryGivesTheDefaults) {
  const Settings s = Loaded(16);
  EXPECT_EQ(s[Refresh], 3);
  EXPECT_EQ(s[Times], 2);
  EXPECT_TRUE(s.Flag(Show));
  EXPECT_EQ(s[StartupAmount], 16);
  EXPECT_EQ(s[StartupCount], 3);
  EXPECT_EQ(s[StartupDelay], 15);
  EXPECT_FALSE(s.Flag(AutoRun));
  EXPECT_FALSE(s.Flag(Icon));
  EXPECT_FALSE(s.Flag(Background));
  EXPECT_EQ(s[Menu1], 2);
  EXPECT_EQ(s[Menu2], 4);
  EXPECT_EQ(s[Menu3], 6);
  EXPECT_TRUE(s.Flag(Regular));
  EXPECT_EQ(s[RegularMinutes], 30);
  EXPECT_EQ(s[RegularAmount], 5);
  EXPECT_TRUE(s.Flag(Critical));
  EXPECT_EQ(s[CriticalSeconds], 10);
  EXPECT_EQ(s[CriticalAmount], 2);
  EXPECT_EQ(s[CriticalKB], 500);
  EXPECT_EQ(s[YellowKB], 3000);
  EXPECT_EQ(s[HardAction], 0);
  EXPECT_EQ(s[HardPercent], 25);
  EXPECT_EQ(s[HardSeconds], 5);
  EXPECT_EQ(s[SoftAction], 1);
  EXPECT_EQ(s[SoftPercent], 25);
  EXPECT_EQ(s[SoftSeconds], 60);
  EXPECT_EQ(s[IdleCritical], 2);
  EXPECT_EQ(s[IdleStartup], 1);
  EXPECT_EQ(s[IdleRegular], 1);
  EXPECT_EQ(s[IconAction], 1);
  EXPECT_TRUE(s.Flag(ShowResult));
}

TEST_F(SettingsTest, SavesEveryValueInItsOrderAndNeverTheOlderNames) {
  Loaded().Save(registry);
  EXPECT_EQ(backend.written, (std::vector<std::string>{"Refresh",
                                                       "Times",
                                                       "Show",
                                                       "Icon",
                                                       "Background",
                                                       "Menu1",
                                                       "Menu2",
                                                       "Menu3",
                                                       "Regular",
                                                       "RegularMinutes",
                                                       "RegularAmount",
                                                       "Critical",
                                                       "CriticalSeconds",
                                                       "CriticalAmount",
                                                       "CriticalRAM 4.1",
                                                       "Yellow 4.1",
                                                       "HardAction",
                                                       "HardPercent",
                                                       "HardSeconds",
                                                       "SoftAction",
                                                       "SoftPercent",
                                                       "SoftSeconds",
                                                       "IdleCritical",
                                                       "IdleStartup",
                                                       "IdleRegular",
                                                       "IconAction",
                                                       "AutoRun",
                                                       "StartupAmount",
                                                       "StartupCount",
                                                       "StartupDelay",
                                                       "ShowResult"}));
  EXPECT_EQ(Stored("Refresh"), 3);
  EXPECT_EQ(Stored("ShowResult"), 1);
  EXPECT_EQ(Stored("Show"), 1);
  EXPECT_EQ(Stored("Icon"), 0);
  EXPECT_EQ(Stored("CriticalRAM 4.1"), 500);
  EXPECT_EQ(Stored("Yellow 4.1"), 3000);
  EXPECT_EQ(Stored("StartupAmount"), 40);
  EXPECT_EQ(Stored("CriticalRAM"), -999);
  EXPECT_EQ(Stored("Yellow"), -999);
}

TEST_F(SettingsTest, OlderNameDefaultsTheNewerOneAndIsLeftAlone) {
  Store("CriticalRAM", 750);
  Store("Yellow", 4000);
  Settings s = Loaded();
  EXPECT_EQ(s[CriticalKB], 750);
  EXPECT_EQ(FormatThousands(s[CriticalKB]), "750");
  EXPECT_EQ(s[YellowKB], 4000);
  s.Save(registry);
  EXPECT_EQ(Stored("CriticalRAM 4.1"), 750);
  EXPECT_EQ(Stored("Yellow 4.1"), 4000);
  EXPECT_EQ(Stored("CriticalRAM"), 750);
  EXPECT_EQ(Stored("Yellow"), 4000);
}

TEST_F(SettingsTest, NewerNameOverridesTheOlderOne) {
  Store("CriticalRAM", 750);
  Store("CriticalRAM 4.1", 1500);
  Store("Yellow 4.1", 12500);
  Settings s = Loaded();
  EXPECT_EQ(FormatThousands(s[CriticalKB]), "1.500");
  EXPECT_EQ(FormatThousands(s[YellowKB]), "12.500");
  s.Save(registry);
  EXPECT_EQ(Stored("Yellow 4.1"), 12500);
  EXPECT_EQ(Stored("CriticalRAM"), 750);
}

struct StoredCase {
  std::string name;
  std::int32_t stored;
  SettingId id;
  std::int32_t loaded;
};

void PrintTo(const StoredCase& c, std::ostream* os) { *os << c.name << "=" << c.stored; }

class StoredValueTest : public SettingsTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValueTest, IsTakenPulledIntoRangeOrReplaced) {
  Store(GetParam().name, GetParam().stored);
  // a default amount inside the list, so replacing and pulling into range differ
  EXPECT_EQ(Loaded(16)[GetParam().id], GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StoredValueTest,
    ::testing::Values(
        // the refresh position is pulled into 0..10
        StoredCase{"Refresh", 25, Refresh, 10}, StoredCase{"Refresh", -3, Refresh, 0},
        StoredCase{"Refresh", 0, Refresh, 0},
        // up-down positions are pulled into their ranges
        StoredCase{"Times", 0, Times, 1}, StoredCase{"Times", 99, Times, 20}, StoredCase{"Times", 7, Times, 7},
        StoredCase{"StartupDelay", 100000, StartupDelay, 3600}, StoredCase{"RegularMinutes", 2, RegularMinutes, 5},
        StoredCase{"RegularMinutes", 7, RegularMinutes, 7}, StoredCase{"HardPercent", 5, HardPercent, 10},
        StoredCase{"SoftSeconds", 181, SoftSeconds, 180},
        StoredCase{"CriticalSeconds", -2147483647 - 1, CriticalSeconds, 1},
        // a position outside a list is no position: the default stays
        StoredCase{"Menu1", 41, Menu1, 2}, StoredCase{"Menu2", -1, Menu2, 4}, StoredCase{"Menu3", 40, Menu3, 40},
        StoredCase{"StartupAmount", 500, StartupAmount, 16}, StoredCase{"StartupAmount", 0, StartupAmount, 0},
        StoredCase{"IconAction", 5, IconAction, 1}, StoredCase{"IconAction", 4, IconAction, 4},
        StoredCase{"IdleRegular", 3, IdleRegular, 1}, StoredCase{"HardAction", 2, HardAction, 0},
        // booleans are 1 and 0 only
        StoredCase{"Show", 2, Show, 1}, StoredCase{"Show", 0, Show, 0}, StoredCase{"Icon", 1, Icon, 1},
        StoredCase{"Icon", 2, Icon, 0}, StoredCase{"Regular", -1, Regular, 1},
        StoredCase{"Background", 1, Background, 1}, StoredCase{"ShowResult", 0, ShowResult, 0},
        StoredCase{"ShowResult", 1, ShowResult, 1}, StoredCase{"ShowResult", 2, ShowResult, 1},
        StoredCase{"ShowResult", -1, ShowResult, 1},
        // kilobyte amounts are taken as they are, but a negative one is damage
        StoredCase{"CriticalRAM 4.1", 30000000, CriticalKB, 30000000},
        StoredCase{"CriticalRAM 4.1", -5, CriticalKB, 500}, StoredCase{"Yellow 4.1", 0, YellowKB, 0}));

TEST_F(SettingsTest, ValuesOfTheWrongTypeGiveTheDefaults) {
  registry.WriteRegString(kSettingsKey, "Times", "7");
  registry.WriteRegString(kSettingsKey, "Show", "0");
  registry.WriteRegString(kSettingsKey, "CriticalRAM 4.1", "1.500");
  registry.WriteRegString(kSettingsKey, "ShowResult", "0");
  const Settings s = Loaded();
  EXPECT_EQ(s[Times], 2);
  EXPECT_TRUE(s.Flag(Show));
  EXPECT_TRUE(s.Flag(ShowResult));
  EXPECT_EQ(s[CriticalKB], 500);
}

TEST_F(SettingsTest, RoundTripsEveryValue) {
  // one value per setting, inside its range, off its default and, where the range allows, unlike
  // every other value; each is stored under its own name and read back unchanged
  struct Literal {
    SettingId id;
    const char* name;
    std::int32_t value;
  };
  const Literal literals[] = {
      {Refresh, "Refresh", 7},
      {Times, "Times", 17},
      {Show, "Show", 0},
      {StartupAmount, "StartupAmount", 23},
      {StartupCount, "StartupCount", 11},
      {StartupDelay, "StartupDelay", 2345},
      {AutoRun, "AutoRun", 1},
      {Icon, "Icon", 1},
      {Background, "Background", 1},
      {Menu1, "Menu1", 31},
      {Menu2, "Menu2", 37},
      {Menu3, "Menu3", 13},
      {Regular, "Regular", 0},
      {RegularMinutes, "RegularMinutes", 1405},
      {RegularAmount, "RegularAmount", 19},
      {Critical, "Critical", 0},
      {CriticalSeconds, "CriticalSeconds", 3599},
      {CriticalAmount, "CriticalAmount", 29},
      {CriticalKB, "CriticalRAM 4.1", 123456},
      {YellowKB, "Yellow 4.1", 7654321},
      {HardAction, "HardAction", 1},
      {HardPercent, "HardPercent", 83},
      {HardSeconds, "HardSeconds", 171},
      {SoftAction, "SoftAction", 0},
      {SoftPercent, "SoftPercent", 14},
      {SoftSeconds, "SoftSeconds", 9},
      {IdleCritical, "IdleCritical", 1},
      {IdleStartup, "IdleStartup", 2},
      {IdleRegular, "IdleRegular", 0},
      {IconAction, "IconAction", 4},
      {ShowResult, "ShowResult", 0},
  };
  Settings changed(3);
  for (const Literal& literal : literals) changed.Set(literal.id, literal.value);
  changed.Save(registry);
  for (const Literal& literal : literals) EXPECT_EQ(Stored(literal.name), literal.value) << literal.name;
  const Settings reloaded = Loaded(0);
  for (const Literal& literal : literals) EXPECT_EQ(reloaded[literal.id], literal.value) << literal.name;
  for (std::size_t i = 0; i < kSettingCount; ++i) {
    const auto id = static_cast<SettingId>(i);
    EXPECT_EQ(reloaded[id], changed[id]) << SchemaRow(id).name;
  }
}

TEST_F(SettingsTest, FirstFailedWriteStopsTheSaveWithItsMessage) {
  backend.refuse = "Menu1";
  try {
    Loaded().Save(registry);
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(),
                 "Cannot create Entry: Menu1 in Key: HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro");
  }
  EXPECT_EQ(backend.written, (std::vector<std::string>{"Refresh", "Times", "Show", "Icon", "Background"}));
}

TEST_F(SettingsTest, KeyThatCannotBeCreatedStopsTheSaveAtOnce) {
  backend.memory.SetReadOnly(RootKey::CurrentUser, kKeyPath, true);
  try {
    Loaded().Save(registry);
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(), "Cannot create Key: HKEY_CURRENT_USER\\Software\\Vondrel Aske\\Ramsweep Pro");
  }
  EXPECT_TRUE(backend.written.empty());
}

TEST(Schema, EveryValueHasOneRowThatWritesIt) {
  for (std::size_t i = 0; i < kSettingCount; ++i) {
    const auto id = static_cast<SettingId>(i);
    int writers = 0;
    for (const SettingRow& row : kSettingsSchema) writers += row.id == id && !row.olderName;
    EXPECT_EQ(writers, 1) << i;
    EXPECT_EQ(std::count(kSaveOrder.begin(), kSaveOrder.end(), id), 1) << SchemaRow(id).name;
  }
}

struct ThousandsCase {
  std::int64_t n;
  std::string text;
};

class ThousandsTest : public ::testing::TestWithParam<ThousandsCase> {};

TEST_P(ThousandsTest, FormatsAndParsesBack) {
  EXPECT_EQ(FormatThousands(GetParam().n), GetParam().text);
  if (GetParam().n >= -2147483647 - 1 && GetParam().n <= 2147483647) {
    EXPECT_EQ(ParseThousands(GetParam().text), static_cast<std::int32_t>(GetParam().n));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ThousandsTest,
                         ::testing::Values(ThousandsCase{0, "0"}, ThousandsCase{500, "500"}, ThousandsCase{999, "999"},
                                           ThousandsCase{1000, "1.000"}, ThousandsCase{1500, "1.500"},
                                           ThousandsCase{10000, "10.000"}, ThousandsCase{512000, "512.000"},
                                           ThousandsCase{1234567, "1.234.567"},
                                           ThousandsCase{2147483647, "2.147.483.647"}, ThousandsCase{-1500, "-1.500"},
                                           ThousandsCase{-9223372036854775807LL - 1, "-9.223.372.036.854.775.808"}));

TEST(ParseThousands, RejectsWhatIsNoNumber) {
  EXPECT_EQ(ParseThousands("3.000"), 3000);
  EXPECT_EQ(ParseThousands("3.0.0.0"), 3000);
  EXPECT_EQ(ParseThousands(""), std::nullopt);
  EXPECT_EQ(ParseThousands("."), std::nullopt);
  EXPECT_EQ(ParseThousands("3,000"), std::nullopt);
  EXPECT_EQ(ParseThousands("9.999.999.999"), std::nullopt);
}

}  // namespace
}  // namespace rsw
