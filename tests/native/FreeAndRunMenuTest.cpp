#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <span>
#include <string>
#include <vector>

#include "engine/FreeAmounts.h"
#include "freeandrun/EntryTexts.h"
#include "freeandrun/FreeAndRunFlow.h"
#include "freeandrun/FreeAndRunMenu.h"
#include "shell/MemoryRegistry.h"

namespace rsw::test {
namespace {

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\T\\Free And Run 4";

struct Item {
  std::string caption;  // "-" for a separator
  std::int32_t tag;
  std::uint32_t command;
  bool operator==(const Item&) const = default;
};

// A submenu as a list; it starts with "&Manage Entries", tag 0, as the window's menu does.
class FakeMenu final : public MenuItems {
 public:
  std::vector<Item> items{{"&Manage Entries", 0, 3002}};
  int removals = 0;
  int Count() const override { return static_cast<int>(items.size()); }
  std::int32_t Tag(int position) const override { return items.at(static_cast<std::size_t>(position)).tag; }
  void Remove(int position) override {
    items.erase(items.begin() + position);
    ++removals;
  }
  void AppendSeparator(std::int32_t tag) override { items.push_back({"-", tag, 0}); }
  void AppendItem(std::string_view caption, std::int32_t tag, std::uint32_t command) override {
    items.push_back({std::string(caption), tag, command});
  }
};

class FreeAndRunMenuTest : public ::testing::Test {
 protected:
  MemoryRegistry memory;
  uRegistry registry{memory};
  AsciiCollation collation;
  FreeAndRunList list{registry, collation, kKey};
  FakeMenu menu;

  void Put(int n, const std::string& display, const std::string& run, std::int32_t free) {
    registry.WriteRegString(kKey, "Display " + std::to_string(n), display);
    registry.WriteRegString(kKey, "Run " + std::to_string(n), run);
    registry.WriteRegInteger(kKey, "Free " + std::to_string(n), free);
  }
};

TEST_F(FreeAndRunMenuTest, EmptyListShowsOnlyManageEntries) {
  EXPECT_TRUE(RebuildFreeAndRunMenu(list, menu));
  EXPECT_EQ(menu.items, (std::vector<Item>{{"&Manage Entries", 0, 3002}}));
  EXPECT_FALSE(list.MenuDirty());
}

TEST_F(FreeAndRunMenuTest, EntriesFollowASeparatorSortedWithTheirTextsUnchanged) {
  Put(0, "Zip & Go", "C:\\zip.exe", 3);
  Put(4, "&Editor", "C:\\editor.exe", 8);
  Put(9, "  browser  ", "C:\\b.exe", 1);
  EXPECT_TRUE(RebuildFreeAndRunMenu(list, menu));
  EXPECT_EQ(menu.items, (std::vector<Item>{{"&Manage Entries", 0, 3002},
                                           {"-", 999, 0},
                                           {"  browser  ", 1000, 20000},
                                           {"&Editor", 1001, 20001},
                                           {"Zip & Go", 1002, 20002}}));
  // unchanged list: the items stay as they are
  EXPECT_FALSE(RebuildFreeAndRunMenu(list, menu));
  EXPECT_EQ(menu.items.size(), 5u);
  EXPECT_EQ(menu.removals, 0);
}

TEST_F(FreeAndRunMenuTest, AChangeReplacesExactlyTheGeneratedItems) {
  Put(0, "B", "C:\\b.exe", 3);
  RebuildFreeAndRunMenu(list, menu);
  menu.items.insert(menu.items.begin() + 1, Item{"kept: tag below 999", 998, 4000});
  list.AddFreeAndRunEntry(2, "C:\\a.exe", "A");
  EXPECT_TRUE(RebuildFreeAndRunMenu(list, menu));
  EXPECT_EQ(menu.items, (std::vector<Item>{{"&Manage Entries", 0, 3002},
                                           {"kept: tag below 999", 998, 4000},
                                           {"-", 999, 0},
                                           {"A", 1000, 20000},
                                           {"B", 1001, 20001}}));
  list.DeleteFreeAndRunEntry(0);
  list.DeleteFreeAndRunEntry(0);
  EXPECT_TRUE(RebuildFreeAndRunMenu(list, menu));
  EXPECT_EQ(menu.items.size(), 2u);  // no separator without entries
}

TEST(FreeAndRunCommands, HaveARangeOfTheirOwn) {
  EXPECT_EQ(EntryCommand(0), 20000u);
  EXPECT_EQ(EntryCommand(kEntryCommandCount - 1), 59999u);
  EXPECT_FALSE(EntryCommand(kEntryCommandCount));
  EXPECT_FALSE(EntryCommand(-1));
  EXPECT_EQ(EntryTagOfCommand(20000), 1000);
  EXPECT_EQ(EntryTagOfCommand(59999), 1000 + kEntryCommandCount - 1);
  // the window's own controls and menu items, dialog answers and system commands are none of them
  for (std::uint32_t other : {0u, 1u, 2u, 100u, 999u, 1000u, 1005u, 1199u, 3000u, 3006u, 19999u, 60000u, 0xF020u,
                              0xFFFFu, 0x10000u + 20000u}) {
    EXPECT_FALSE(EntryTagOfCommand(other)) << other;
  }
  // a command fits the 16 bits a menu item's command has
  EXPECT_LT(kFirstEntryCommand + kEntryCommandCount, 0xF000u);
}

TEST_F(FreeAndRunMenuTest, EntriesBeyondTheCommandRangeGetNoItem) {
  const int count = kEntryCommandCount + 2;
  {
    // through one open key: a few seconds less than a key opened for every value
    const auto key = memory.Create(RootKey::CurrentUser, "Software\\T\\Free And Run 4");
    ASSERT_TRUE(key);
    const std::uint8_t run[] = "C:\\e.exe";
    for (int i = 0; i < count; ++i) {
      const std::string text = "E" + std::to_string(100000 + i);
      key->Set("Display " + std::to_string(i), 1,
               std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1));
      key->Set("Run " + std::to_string(i), 1, run);
    }
  }
  RebuildFreeAndRunMenu(list, menu);
  ASSERT_EQ(menu.items.size(), static_cast<std::size_t>(2 + kEntryCommandCount));
  EXPECT_EQ(menu.items.back().command, 59999u);
  EXPECT_EQ(menu.items.back().tag, 1000 + kEntryCommandCount - 1);
}

// ---- choosing an entry, and opening its program when the free-up ends ----

class FakePlatform final : public FreeAndRunPlatform {
 public:
  bool busy = false;
  bool taskbarVisible = false;
  bool formOpen = false;
  std::vector<std::string> existing;
  std::vector<std::string> calls;

  bool Busy() const override { return busy; }
  bool TaskbarWindowVisible() const override { return taskbarVisible; }
  void HideTaskbarWindow() override { calls.push_back("hide taskbar window"); }
  void ShowFocusWindow() override { calls.push_back("focus window"); }
  bool FileExists(const std::string& path) const override {
    return std::find(existing.begin(), existing.end(), path) != existing.end();
  }
  bool FormOpen() const override { return formOpen; }
  void ShowRunForm(const std::string& text) override {
    formOpen = true;
    calls.push_back("run form: " + text);
  }
  void ShowErrorForm() override {
    formOpen = true;
    calls.push_back("error form");
  }
  void BringFormToFront() override { calls.push_back("form to front"); }
  void DestroyForm() override {
    formOpen = false;
    calls.push_back("destroy form");
  }
  void ProcessMessages() override { calls.push_back("process messages"); }
  void StartFreeUp(std::int32_t mb, std::int32_t passes, std::int32_t countdown, std::int32_t idle) override {
    busy = true;
    calls.push_back("free up " + std::to_string(mb) + " " + std::to_string(passes) + " " + std::to_string(countdown) +
                    " " + std::to_string(idle));
  }
  void OpenProgram(const std::string& path) override { calls.push_back("open " + path); }
  void Wait(int ms) override { calls.push_back("wait " + std::to_string(ms)); }
};

class FreeAndRunFlowTest : public FreeAndRunMenuTest {
 protected:
  FakePlatform platform;
  FreeAndRunFlow flow{list, platform};
  void SetUp() override {
    Put(0, "Editor", "C:\\Tools\\Editor.exe", 8);  // 16 MB
    Put(1, "Gone", "C:\\Gone\\gone.exe", 40);
    RebuildFreeAndRunMenu(list, menu);
    platform.existing = {"C:\\Tools\\Editor.exe"};
  }
};

TEST_F(FreeAndRunFlowTest, AnExistingProgramShowsTheRunFormAndFreesItsAmount) {
  flow.FreeAndRunItemClick(1000);
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"focus window", "run form: Editor", "hide taskbar window",
                                                      "process messages", "free up 16 3 0 0"}));
  EXPECT_EQ(flow.PendingRunPath(), "C:\\Tools\\Editor.exe");

  platform.calls.clear();
  platform.taskbarVisible = true;  // the window was brought up meanwhile: it stays
  flow.FreeAndRunLaunch();
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"open C:\\Tools\\Editor.exe", "wait 100", "destroy form"}));
  EXPECT_EQ(flow.PendingRunPath(), "");
  EXPECT_FALSE(platform.formOpen);
}

TEST_F(FreeAndRunFlowTest, AVisibleTaskbarWindowIsLeftAlone) {
  platform.taskbarVisible = true;
  flow.FreeAndRunItemClick(1000);
  EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "hide taskbar window"), 0);
  platform.taskbarVisible = false;
  platform.calls.clear();
  flow.FreeAndRunLaunch();
  EXPECT_EQ(platform.calls.back(), "hide taskbar window");
}

TEST_F(FreeAndRunFlowTest, AMissingProgramShowsTheErrorFormAndFreesNothing) {
  flow.FreeAndRunItemClick(1001);
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"focus window", "error form"}));
  EXPECT_EQ(flow.PendingRunPath(), "");
  EXPECT_FALSE(platform.busy);
  // a launch now finds nothing pending
  platform.busy = true;
  platform.calls.clear();
  flow.FreeAndRunLaunch();
  EXPECT_TRUE(platform.calls.empty());
}

TEST_F(FreeAndRunFlowTest, ClicksAreIgnoredWhileBusyOrWithAFormOpenOrOutsideTheList) {
  platform.busy = true;
  flow.FreeAndRunItemClick(1000);
  platform.busy = false;
  platform.formOpen = true;
  flow.FreeAndRunItemClick(1000);
  platform.formOpen = false;
  for (std::int32_t tag : {999, 1002, 0, -5, 1000 + kEntryCommandCount}) flow.FreeAndRunItemClick(tag);
  EXPECT_TRUE(platform.calls.empty());
}

TEST_F(FreeAndRunFlowTest, LaunchNeedsAFreeUpAPendingProgramAndTheForm) {
  for (int mask = 0; mask < 8; ++mask) {
    FakePlatform p;
    p.existing = platform.existing;
    FreeAndRunFlow f(list, p);
    f.FreeAndRunItemClick(1000);  // pending, form open, busy
    p.calls.clear();
    p.busy = mask & 1;
    p.formOpen = mask & 2;
    const bool pending = mask & 4;
    if (!pending) {
      // the same flow with nothing pending: a fresh one
      FreeAndRunFlow none(list, p);
      none.FreeAndRunLaunch();
    } else {
      f.FreeAndRunLaunch();
    }
    const bool opened = !p.calls.empty();
    EXPECT_EQ(opened, mask == 7) << mask;
  }
}

TEST_F(FreeAndRunFlowTest, TrayClicksBringAnOpenFormToTheFront) {
  EXPECT_FALSE(flow.ShowOpenForm());
  EXPECT_TRUE(platform.calls.empty());
  platform.formOpen = true;
  EXPECT_TRUE(flow.ShowOpenForm());
  EXPECT_EQ(platform.calls, (std::vector<std::string>{"focus window", "form to front"}));
}

// The list never holds an amount outside the table (its load and its additions take one as the
// first), so the flow's own bound is not reachable from here: what a user sees is that an entry
// stored with such an amount frees the first amount, 1 MB.
TEST_F(FreeAndRunFlowTest, AStoredAmountOutsideTheTableFreesTheFirstAmount) {
  for (std::int32_t stored : {-7, 41, 12345, INT_MIN}) {
    SCOPED_TRACE(stored);
    MemoryRegistry other;
    uRegistry otherRegistry(other);
    otherRegistry.WriteRegString(kKey, "Display 0", "Odd");
    otherRegistry.WriteRegString(kKey, "Run 0", "C:\\Tools\\Editor.exe");
    otherRegistry.WriteRegInteger(kKey, "Free 0", stored);
    FreeAndRunList oddList(otherRegistry, collation, kKey);
    FakePlatform oddPlatform;
    oddPlatform.existing = {"C:\\Tools\\Editor.exe"};
    FreeAndRunFlow odd(oddList, oddPlatform);
    oddList.LoadFreeAndRunList();
    odd.FreeAndRunItemClick(1000);
    ASSERT_FALSE(oddPlatform.calls.empty());
    EXPECT_EQ(oddPlatform.calls.back(), "free up 1 3 0 0");
  }
}

// ---- texts of the forms ----

TEST(EntryTexts, BareNameDropsFolderAndExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Tools\\Editor.exe", "Editor"},
      {"C:\\Tools\\archive.tar.gz", "archive.tar"},
      {"C:\\dir.v2\\program", "program"},
      {"D:notes.txt", "notes"},
      {"C:/unix/style.lnk", "style"},
      {"plain", "plain"},
      {".profile", ""},
      {"C:\\Tools\\", ""},
      {"", ""},
  };
  for (const auto& [path, bare] : cases) EXPECT_EQ(BareName(path), bare) << path;
  EXPECT_EQ(FolderPart("C:\\Tools\\Editor.exe"), "C:\\Tools\\");
  EXPECT_EQ(FolderPart("Editor.exe"), "");
}

TEST(EntryTexts, ProposalNamesProgramAndAmountWithinTheEditLimit) {
  EXPECT_EQ(ProposedMenuText("Editor", AmountText(FreeAmounts[8])), "Editor (16 MB)");
  EXPECT_EQ(ProposedMenuText(std::string(600, 'n'), "1 MB").size(), kMaxEntryText);
}

TEST(EntryTexts, SelectionRules) {
  const std::vector<std::string> texts{"a", "B", "b", "b", "c"};
  EXPECT_EQ(LastExactMatch(texts, "b"), 3);
  EXPECT_EQ(LastExactMatch(texts, "B"), 1);
  EXPECT_EQ(LastExactMatch(texts, "C"), -1);
  EXPECT_EQ(SelectionAfterRemove(1, 4), 1);
  EXPECT_EQ(SelectionAfterRemove(4, 4), 3);
  EXPECT_EQ(SelectionAfterRemove(0, 0), -1);
}

TEST(EntryTexts, BrowseStartsAtTheProgramOrInTheStartMenu) {
  const BrowseStart chosen = BrowseStartFor("Editor", "C:\\Tools\\Editor.exe", "C:\\Start Menu");
  EXPECT_EQ(chosen.folder, "C:\\Tools\\");
  EXPECT_EQ(chosen.fileName, "C:\\Tools\\Editor.exe");
  const BrowseStart none = BrowseStartFor("", "Please select", "C:\\Start Menu");
  EXPECT_EQ(none.folder, "C:\\Start Menu");
  EXPECT_EQ(none.fileName, "");
}

}  // namespace
}  // namespace rsw::test
