#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "freeandrun/uFreeAndRun.h"
#include "native/FaultyRegistry.h"

namespace rsw::test {
namespace {

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\T\\Free And Run 4";
constexpr const char* kKeyBelowRoot = "Software\\T\\Free And Run 4";

class FreeAndRunListTest : public ::testing::Test {
 protected:
  FaultyRegistry backend;
  uRegistry registry{backend};
  AsciiCollation collation;

  void Put(const std::string& number, const std::string& display, const std::string& run, std::int32_t free) {
    registry.WriteRegString(kKey, "Display " + number, display);
    registry.WriteRegString(kKey, "Run " + number, run);
    registry.WriteRegInteger(kKey, "Free " + number, free);
  }
  void PutRaw(const std::string& name, RegType type, std::vector<std::uint8_t> data) {
    auto key = backend.Memory().Create(RootKey::CurrentUser, kKeyBelowRoot);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->Set(name, static_cast<std::uint32_t>(type), data));
  }
  // What a fresh start of the program would find.
  std::vector<FreeAndRunEntry> Loaded() {
    uRegistry plain(backend.Memory());
    FreeAndRunList list(plain, collation, kKey);
    list.LoadFreeAndRunList();
    std::vector<FreeAndRunEntry> entries;
    for (std::int32_t i = 0; i < list.Count(); ++i) entries.push_back(*list.GetFreeAndRunEntry(i));
    return entries;
  }
  std::vector<std::string> Names() {
    uRegistry plain(backend.Memory());
    auto names = plain.ListRegValueNames(kKey, uRegistry::kAnyValueName);
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(FreeAndRunListTest, NumbersZeroAndSevenAreSavedAsZeroAndOneAndForeignValuesGo) {
  Put("0", "Editor", "C:\\Tools\\Editor.exe", 8);
  Put("7", "Calculator", "C:\\Windows\\calc.exe", 40);
  registry.WriteRegString(kKey, "Comment", "left by hand");
  registry.WriteRegInteger(kKey, "Run 3", 1);  // a part of no entry
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  ASSERT_EQ(list.Count(), 2);
  list.Sort();
  list.SaveFreeAndRunList();
  EXPECT_EQ(Names(), Sorted({"Display 0", "Run 0", "Free 0", "Display 1", "Run 1", "Free 1"}));
  EXPECT_EQ(registry.ReadRegString(kKey, "Display 0", ""), "Calculator");
  EXPECT_EQ(registry.ReadRegString(kKey, "Run 0", ""), "C:\\Windows\\calc.exe");
  EXPECT_EQ(registry.ReadRegInteger(kKey, "Free 0", -1), 40);
  EXPECT_EQ(registry.ReadRegString(kKey, "Display 1", ""), "Editor");
  EXPECT_EQ(registry.ReadRegInteger(kKey, "Free 1", -1), 8);
  EXPECT_EQ(backend.Memory().OpenKeys(), 0);
}

TEST_F(FreeAndRunListTest, EmptyListSavesAsAnEmptyKeyThatStays) {
  Put("0", "Editor", "C:\\Editor.exe", 1);
  FreeAndRunList list(registry, collation, kKey);
  list.DeleteFreeAndRunEntry(0);
  EXPECT_TRUE(Names().empty());
  EXPECT_TRUE(backend.Memory().Open(RootKey::CurrentUser, kKeyBelowRoot, KeyAccess::QueryValue));
  FreeAndRunList missing(registry, collation, "HKEY_CURRENT_USER\\Software\\Absent");
  missing.LoadFreeAndRunList();
  EXPECT_EQ(missing.Count(), 0);
}

struct ValueCase {
  const char* name;
  std::vector<std::pair<std::string, RegValue>> values;  // besides "Display 1"
  std::string display;
  bool kept;
  std::int32_t free;
};

std::vector<std::uint8_t> Sz(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}
std::vector<std::uint8_t> Dword(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}
RegValue StringValue(const std::string& t) { return {1, Sz(t)}; }
RegValue DwordValue(std::int32_t v) { return {4, Dword(v)}; }

class FreeAndRunValues : public FreeAndRunListTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(FreeAndRunValues, LoadTakesOnlyWellTypedWholeEntries) {
  const ValueCase& c = GetParam();
  PutRaw("Display 1", RegType::String, Sz(c.display));
  for (const auto& [name, value] : c.values) PutRaw(name, static_cast<RegType>(value.type), value.data);
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  ASSERT_EQ(list.Count(), c.kept ? 1 : 0);
  if (c.kept) {
    EXPECT_EQ(list.GetFreeAndRunEntry(0)->Display, c.display);  // blanks kept
    EXPECT_EQ(list.GetFreeAndRunEntry(0)->Free, c.free);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FreeAndRunValues,
    ::testing::Values(
        ValueCase{"Whole", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", DwordValue(12)}}, "A", true, 12},
        ValueCase{"MissingFree", {{"Run 1", StringValue("C:\\a.exe")}}, "A", true, 0},
        ValueCase{"FreeAsText", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", StringValue("12")}}, "A", true, 0},
        ValueCase{"FreeAsBinary", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", {3, Dword(12)}}}, "A", true, 0},
        ValueCase{"FreeBelowTable", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", DwordValue(-1)}}, "A", true, 0},
        ValueCase{"FreeAboveTable", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", DwordValue(41)}}, "A", true, 0},
        ValueCase{"FreeHuge", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", DwordValue(INT_MAX)}}, "A", true, 0},
        ValueCase{"FreeLowest", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", DwordValue(INT_MIN)}}, "A", true, 0},
        ValueCase{"FreeLast", {{"Run 1", StringValue("C:\\a.exe")}, {"Free 1", DwordValue(40)}}, "A", true, 40},
        ValueCase{"BlanksAround", {{"Run 1", StringValue(" C:\\a.exe ")}}, "  Editor  ", true, 0},
        ValueCase{"MissingRun", {{"Free 1", DwordValue(3)}}, "A", false, 0},
        ValueCase{"BlankRun", {{"Run 1", StringValue(" \t ")}}, "A", false, 0},
        ValueCase{"RunAsNumber", {{"Run 1", DwordValue(5)}}, "A", false, 0},
        ValueCase{"RunAsExpandString", {{"Run 1", {2, Sz("%WINDIR%\\a.exe")}}}, "A", false, 0},
        ValueCase{"BlankText", {{"Run 1", StringValue("C:\\a.exe")}}, "   ", false, 0},
        ValueCase{"ControlCharacters", {{"Run 1", StringValue("C:\\a.exe")}}, "\t\r\n\x01", false, 0},
        ValueCase{"Text499", {{"Run 1", StringValue("C:\\a.exe")}}, std::string(499, 'x'), true, 0},
        // 501 bytes with the terminator cannot be read: the reason the forms stop at 499
        ValueCase{"Text500", {{"Run 1", StringValue("C:\\a.exe")}}, std::string(500, 'x'), false, 0},
        ValueCase{"Path500", {{"Run 1", StringValue(std::string(500, 'p'))}}, "A", false, 0}),
    [](const auto& tpi) { return std::string(tpi.param.name); });

TEST_F(FreeAndRunListTest, DisplayValueAsNumberIsDropped) {
  PutRaw("Display 2", RegType::DWord, Dword(7));
  PutRaw("Run 2", RegType::String, Sz("C:\\a.exe"));
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(FreeAndRunListTest, NamesAreFoundByTheirFirstSevenCharactersAndASuffixOfAtMost100) {
  Put("99999999999999999999", "Big number", "C:\\big.exe", 2);
  const std::string longSuffix(150, 's');
  registry.WriteRegString(kKey, "Display " + longSuffix, "ignored, the shorter name is read");
  Put(longSuffix.substr(0, 100), "Long suffix", "C:\\long.exe", 3);
  registry.WriteRegString(kKey, "display 5", "lower case: no entry");
  registry.WriteRegString(kKey, "Run 5", "C:\\five.exe");
  registry.WriteRegString(kKey, "DisplayX6", "the eighth character is not looked at");
  Put("6", "Six", "C:\\six.exe", 6);
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  std::vector<FreeAndRunEntry> entries;
  for (int i = 0; i < list.Count(); ++i) entries.push_back(*list.GetFreeAndRunEntry(i));
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<FreeAndRunEntry>{{"Big number", "C:\\big.exe", 2},
                                                   {"Long suffix", "C:\\long.exe", 3},
                                                   {"Long suffix", "C:\\long.exe", 3},
                                                   {"Six", "C:\\six.exe", 6},
                                                   {"Six", "C:\\six.exe", 6}}));
}

TEST_F(FreeAndRunListTest, TextsDifferingOnlyInCaseBothSurviveNextToEachOther) {
  FreeAndRunList list(registry, collation, kKey);
  list.AddFreeAndRunEntry(1, "C:\\b.exe", "beta");
  list.AddFreeAndRunEntry(2, "C:\\a.exe", "Alpha");
  list.AddFreeAndRunEntry(3, "C:\\B2.exe", "Beta");
  list.AddFreeAndRunEntry(4, "C:\\c.exe", "charlie");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.MenuText(0), "Alpha");
  EXPECT_EQ(list.MenuText(3), "charlie");
  std::vector<std::string> middle{list.MenuText(1), list.MenuText(2)};
  std::sort(middle.begin(), middle.end());
  EXPECT_EQ(middle, (std::vector<std::string>{"Beta", "beta"}));
  EXPECT_EQ(Loaded().size(), 4u);
}

TEST_F(FreeAndRunListTest, LoadsOncePerListAndMarksTheMenu) {
  Put("0", "Editor", "C:\\Editor.exe", 1);
  FreeAndRunList list(registry, collation, kKey);
  EXPECT_FALSE(list.ListLoaded());
  list.LoadFreeAndRunList();
  EXPECT_TRUE(list.ListLoaded());
  EXPECT_TRUE(list.MenuDirty());
  list.ClearMenuDirty();
  const int opens = backend.Opens();
  const int changes = backend.Changes();
  Put("1", "Later", "C:\\Later.exe", 2);  // another process writes meanwhile
  const int opensAfterWrite = backend.Opens();
  list.LoadFreeAndRunList();
  EXPECT_EQ(backend.Opens(), opensAfterWrite);
  EXPECT_GT(opensAfterWrite, opens);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_FALSE(list.MenuDirty());
  EXPECT_EQ(list.GetFreeAndRunEntry(0)->Display, "Editor");
  EXPECT_FALSE(list.GetFreeAndRunEntry(1));
  EXPECT_FALSE(list.GetFreeAndRunEntry(-1));
  // a position outside the list changes nothing and writes nothing
  const int changesBefore = backend.Changes();
  list.DeleteFreeAndRunEntry(5);
  EXPECT_EQ(backend.Changes(), changesBefore);
  EXPECT_FALSE(list.MenuDirty());
  EXPECT_GT(changesBefore, changes);
  list.DeleteFreeAndRunEntry(0);
  EXPECT_TRUE(list.MenuDirty());
  // the save overwrote what the other process wrote
  EXPECT_TRUE(Names().empty());
}

TEST_F(FreeAndRunListTest, AddTakesAnAmountOutsideTheTableAsTheFirst) {
  FreeAndRunList list(registry, collation, kKey);
  list.AddFreeAndRunEntry(41, "C:\\a.exe", "A");
  list.AddFreeAndRunEntry(-3, "C:\\b.exe", "B");
  EXPECT_EQ(list.GetFreeAndRunEntry(0)->Free, 0);
  EXPECT_EQ(list.GetFreeAndRunEntry(1)->Free, 0);
}

TEST_F(FreeAndRunListTest, AWriteThatFailsRaisesTheRegistryError) {
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  backend.Memory().SetReadOnly(RootKey::CurrentUser, kKeyBelowRoot, true);
  try {
    list.AddFreeAndRunEntry(3, "C:\\a.exe", "A");
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_EQ(std::string(e.what()), std::string("Cannot create Key: ") + kKey);
  }
  EXPECT_EQ(list.Count(), 1);  // the list in memory holds the change already
}

TEST_F(FreeAndRunListTest, TenThousandEntries) {
  constexpr int kEntries = 10000;
  for (int i = 0; i < kEntries; ++i) {
    const std::string n = std::to_string(kEntries - i);  // stored in reverse, numbered from 1
    Put(std::to_string(3 * i + 5), "Entry " + std::string(5 - n.size(), '0') + n, "C:\\p" + n + ".exe", i % 41);
  }
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  ASSERT_EQ(list.Count(), kEntries);
  list.AddFreeAndRunEntry(5, "C:\\new.exe", "Entry 00000");
  ASSERT_EQ(list.Count(), kEntries + 1);
  EXPECT_EQ(list.MenuText(0), "Entry 00000");
  EXPECT_EQ(list.MenuText(kEntries), "Entry 10000");
  const auto names = registry.ListRegValueNames(kKey, uRegistry::kAnyValueName);
  EXPECT_EQ(names.size(), 3u * (kEntries + 1));
  EXPECT_EQ(registry.ReadRegString(kKey, "Display 10000", ""), "Entry 10000");
  EXPECT_EQ(registry.ReadRegString(kKey, "Run 1", ""), "C:\\p1.exe");
  EXPECT_EQ(Loaded().size(), static_cast<std::size_t>(kEntries + 1));
}

// A change holds in memory what a removal followed by an addition would: the changed entry sorted
// in after the entries whose texts compare equal to its new one.
TEST_F(FreeAndRunListTest, AChangeIsARemovalAndAnAdditionInMemory) {
  const struct {
    const char* name;
    std::int32_t position;
    std::int32_t amount;
    const char* text;
  } cases[] = {
      {"to a text that sorts first", 2, 5, "aaa"},
      {"to a text equal to another", 0, 7, "beta"},
      {"keeping its text", 1, 40, "beta"},
      {"to an amount outside the table", 1, 99, "Gamma"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FaultyRegistry changedBackend, expectedBackend;
    uRegistry changedRegistry(changedBackend), expectedRegistry(expectedBackend);
    for (const uRegistry* r : {&changedRegistry, &expectedRegistry}) {
      r->WriteRegString(kKey, "Display 0", "alpha");
      r->WriteRegString(kKey, "Run 0", "C:\\alpha.exe");
      r->WriteRegString(kKey, "Display 1", "beta");
      r->WriteRegString(kKey, "Run 1", "C:\\beta.exe");
      r->WriteRegString(kKey, "Display 2", "gamma");
      r->WriteRegString(kKey, "Run 2", "C:\\gamma.exe");
    }
    FreeAndRunList changed(changedRegistry, collation, kKey);
    FreeAndRunList expected(expectedRegistry, collation, kKey);
    for (FreeAndRunList* list : {&changed, &expected}) {
      list->LoadFreeAndRunList();
      list->Sort();
      list->ClearMenuDirty();
    }
    changed.ReplaceFreeAndRunEntry(c.position, c.amount, "C:\\new.exe", c.text);
    expected.DeleteFreeAndRunEntry(c.position);
    expected.AddFreeAndRunEntry(c.amount, "C:\\new.exe", c.text);
    ASSERT_EQ(changed.Count(), 3);
    for (std::int32_t i = 0; i < 3; ++i)
      EXPECT_EQ(*changed.GetFreeAndRunEntry(i), *expected.GetFreeAndRunEntry(i)) << i;
    EXPECT_TRUE(changed.MenuDirty());
    // and stored so
    uRegistry plain(changedBackend.Memory());
    FreeAndRunList fresh(plain, collation, kKey);
    fresh.LoadFreeAndRunList();
    fresh.Sort();
    for (std::int32_t i = 0; i < 3; ++i) EXPECT_EQ(*fresh.GetFreeAndRunEntry(i), *expected.GetFreeAndRunEntry(i)) << i;
  }
}

TEST_F(FreeAndRunListTest, AChangeOutsideTheListChangesNothing) {
  Put("0", "alpha", "C:\\alpha.exe", 1);
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  list.ClearMenuDirty();
  const int changes = backend.Changes();
  for (std::int32_t position : {-1, 1, INT_MAX}) list.ReplaceFreeAndRunEntry(position, 3, "C:\\b.exe", "b");
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(*list.GetFreeAndRunEntry(0), (FreeAndRunEntry{"alpha", "C:\\alpha.exe", 1}));
  EXPECT_FALSE(list.MenuDirty());
  EXPECT_EQ(backend.Changes(), changes) << "nothing saved";
}

// ---- a save that stops part way ----

// The old list: entries on numbers the new list moves to, a part of no entry and a foreign value.
void PutOldList(const uRegistry& r) {
  r.WriteRegString(kKey, "Display 0", "Old zero");
  r.WriteRegString(kKey, "Run 0", "C:\\old0.exe");
  r.WriteRegInteger(kKey, "Free 0", 1);
  r.WriteRegString(kKey, "Display 1", "Old one");
  r.WriteRegString(kKey, "Run 1", "C:\\old1.exe");
  r.WriteRegInteger(kKey, "Free 1", 2);
  r.WriteRegString(kKey, "Display 5", "Old five");
  r.WriteRegString(kKey, "Run 5", "C:\\old5.exe");
  r.WriteRegInteger(kKey, "Free 5", 3);
  r.WriteRegString(kKey, "Comment", "foreign");
  r.WriteRegString(kKey, "RUN 4", "C:\\orphan.exe");
}

struct SaveCase {
  enum class Change { Add, Delete, Replace };  // add an entry, delete the first, change the first
  const char* name;
  Change change;
  FaultyRegistry::Mode mode;
};

class InterruptedSave : public FreeAndRunListTest, public ::testing::WithParamInterface<SaveCase> {
 protected:
  // Every loaded entry is one of either list, and one list is there whole.
  void ExpectWholeEntriesAndAWholeList(const std::vector<FreeAndRunEntry>& oldList,
                                       const std::vector<FreeAndRunEntry>& newList, const std::string& where) {
    auto loaded = Loaded();
    std::sort(loaded.begin(), loaded.end());
    for (const auto& e : loaded) {
      const bool known = std::find(oldList.begin(), oldList.end(), e) != oldList.end() ||
                         std::find(newList.begin(), newList.end(), e) != newList.end();
      EXPECT_TRUE(known) << where << ": a mixed entry " << e.Display << " / " << e.Run << " / " << e.Free;
    }
    const bool oldWhole = std::includes(loaded.begin(), loaded.end(), oldList.begin(), oldList.end());
    const bool newWhole = std::includes(loaded.begin(), loaded.end(), newList.begin(), newList.end());
    EXPECT_TRUE(oldWhole || newWhole) << where << ": neither list is whole";
  }

  void Change(FreeAndRunList& list) {
    switch (GetParam().change) {
      case SaveCase::Change::Add: list.AddFreeAndRunEntry(9, "C:\\new.exe", "New"); break;
      case SaveCase::Change::Delete: list.DeleteFreeAndRunEntry(0); break;
      case SaveCase::Change::Replace: list.ReplaceFreeAndRunEntry(0, 9, "C:\\new.exe", "New"); break;
    }
  }
};

TEST_P(InterruptedSave, LeavesWholeEntriesAndOneWholeListWhereverItStops) {
  std::vector<FreeAndRunEntry> oldList{
      {"Old zero", "C:\\old0.exe", 1}, {"Old one", "C:\\old1.exe", 2}, {"Old five", "C:\\old5.exe", 3}};
  std::vector<FreeAndRunEntry> newList = oldList;
  if (GetParam().change != SaveCase::Change::Add) {
    newList.erase(std::find(newList.begin(), newList.end(), FreeAndRunEntry{"Old five", "C:\\old5.exe", 3}));
  }
  if (GetParam().change != SaveCase::Change::Delete) newList.push_back({"New", "C:\\new.exe", 9});
  std::sort(oldList.begin(), oldList.end());
  std::sort(newList.begin(), newList.end());

  // A save without faults, watched after every single change, tells how many changes there are.
  int total = 0;
  {
    PutOldList(registry);
    FreeAndRunList list(registry, collation, kKey);
    list.LoadFreeAndRunList();
    list.Sort();  // so the first entry is "Old five"
    const int before = backend.Changes();
    backend.afterChange = [&] { ExpectWholeEntriesAndAWholeList(oldList, newList, "after a change"); };
    Change(list);
    backend.afterChange = nullptr;
    total = backend.Changes() - before;
    auto loaded = Loaded();
    std::sort(loaded.begin(), loaded.end());
    EXPECT_EQ(loaded, newList);
    EXPECT_EQ(Names().size(), 3 * newList.size());
  }
  ASSERT_GT(total, 0);

  for (int k = 1; k <= total; ++k) {
    const std::string where = std::string(GetParam().name) + ", change " + std::to_string(k);
    FaultyRegistry faulty;
    uRegistry faultyRegistry(faulty);
    PutOldList(faultyRegistry);
    FreeAndRunList list(faultyRegistry, collation, kKey);
    list.LoadFreeAndRunList();
    list.Sort();
    faulty.FailAt(faulty.Changes() + k, GetParam().mode);
    try {
      Change(list);
    } catch (const RegistryError&) {
      // a refused write ends the save
    }
    // check what a fresh start would find in that registry
    uRegistry plain(faulty.Memory());
    FreeAndRunList fresh(plain, collation, kKey);
    fresh.LoadFreeAndRunList();
    std::vector<FreeAndRunEntry> loaded;
    for (int i = 0; i < fresh.Count(); ++i) loaded.push_back(*fresh.GetFreeAndRunEntry(i));
    std::sort(loaded.begin(), loaded.end());
    for (const auto& e : loaded) {
      EXPECT_TRUE(std::find(oldList.begin(), oldList.end(), e) != oldList.end() ||
                  std::find(newList.begin(), newList.end(), e) != newList.end())
          << where << ": a mixed entry " << e.Display;
    }
    EXPECT_TRUE(std::includes(loaded.begin(), loaded.end(), oldList.begin(), oldList.end()) ||
                std::includes(loaded.begin(), loaded.end(), newList.begin(), newList.end()))
        << where << ": neither list is whole";

    // the next save that goes through leaves exactly the list
    faulty.FailAt(0, FaultyRegistry::Mode::Never);
    list.SaveFreeAndRunList();
    auto after = std::vector<FreeAndRunEntry>();
    FreeAndRunList again(plain, collation, kKey);
    again.LoadFreeAndRunList();
    for (int i = 0; i < again.Count(); ++i) after.push_back(*again.GetFreeAndRunEntry(i));
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, newList) << where;
    EXPECT_EQ(plain.ListRegValueNames(kKey).size(), 3 * newList.size()) << where;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryChange, InterruptedSave,
    ::testing::Values(SaveCase{"AddOneRefused", SaveCase::Change::Add, FaultyRegistry::Mode::Only},
                      SaveCase{"AddStopped", SaveCase::Change::Add, FaultyRegistry::Mode::FromThenOn},
                      SaveCase{"DeleteOneRefused", SaveCase::Change::Delete, FaultyRegistry::Mode::Only},
                      SaveCase{"DeleteStopped", SaveCase::Change::Delete, FaultyRegistry::Mode::FromThenOn},
                      // a change never leaves the changed entry stored neither old nor new
                      SaveCase{"ReplaceOneRefused", SaveCase::Change::Replace, FaultyRegistry::Mode::Only},
                      SaveCase{"ReplaceStopped", SaveCase::Change::Replace, FaultyRegistry::Mode::FromThenOn}),
    [](const auto& tpi) { return std::string(tpi.param.name); });

}  // namespace
}  // namespace rsw::test
