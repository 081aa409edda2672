#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/FreeAmounts.h"
#include "freeandrun/FreeAndRunMenu.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "freeandrun/win32/TfrmErrorRun.h"
#include "freeandrun/win32/TfrmManageEntries.h"
#include "freeandrun/win32/TfrmShowRun.h"
#include "native/FaultyRegistry.h"
#include "shell/Messages.h"
#include "shell/win32/MainWindowLayout.h"
#include "shell/win32/Win32Registry.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;
using win32::TfrmErrorRun;
using win32::TfrmManageEntries;
using win32::TfrmShowRun;

constexpr const char* kScratch = "Software\\RamsweepProTests\\FreeAndRun";
const std::string kKey = std::string("HKEY_CURRENT_USER\\") + kScratch;
constexpr const char* kHostClass = "RswFreeAndRunTestHost";

int g_hideTaskButton = 0;  // WM_HIDE_TASKBUTTON received by the host window

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HIDE_TASKBUTTON) ++g_hideTaskButton;
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string TempFolder() {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return folder;
}

std::string Text(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A main window stand-in: hidden, as while the program sits in the tray.
class Host final : public win32::FreeAndRunHost {
 public:
  Host() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kHostClass;
    RegisterClassExA(&wc);
    m_main.Reset(CreateWindowExA(0, kHostClass, "Ramsweep Pro", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr));
    m_focus.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, kHostClass, "", WS_POPUP, 0, 0, 0, 0, m_main.Get(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
  }
  HWND MainWindow() const override { return m_main.Get(); }
  HWND FocusWindow() const override { return m_focus.Get(); }
  bool Busy() const override { return busy; }
  void StartFreeUp(std::int32_t mb, std::int32_t passes, std::int32_t countdown, std::int32_t idle) override {
    busy = true;
    freeUps.push_back({mb, passes, countdown, idle});
  }
  int SelectedAmountIndex() const override { return 8; }  // 16 MB
  void OpenHelp(const char* topic) override { helpTopics.push_back(topic); }

  bool busy = false;
  std::vector<std::vector<std::int32_t>> freeUps;
  std::vector<std::string> helpTopics;

 private:
  win32::ScopedWindow m_focus;
  win32::ScopedWindow m_main;
};

class FreeAndRunForms : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
    g_hideTaskButton = 0;
  }
  void TearDown() override {
    for (const std::string& file : m_files) DeleteFileA(file.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
  }
  std::string MakeFile(const std::string& name, const std::string& content = "") {
    const std::string path = TempFolder() + name;
    std::ofstream(path) << content;
    m_files.push_back(path);
    return path;
  }
  static void Pump() {
    WaitUntil([] { return false; }, 50ms);
  }
  static void Click(HWND form, int id) {
    SendMessageA(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(form, id)));
  }
  // A key as the message loop would see it.
  static void Key(HWND control, WPARAM key) {
    MSG message{control, WM_KEYDOWN, key, 0, GetTickCount(), {}};
    if (!win32::IsFreeAndRunDialogMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  static void Picture(HWND window, const char* name) {
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    Pump();
    EXPECT_TRUE(SaveWindowPicture(window, PictureFolder() + name)) << name;
  }
  // The form in front, and every control it shows drawn where it stands.
  static void ExpectEveryControlDrawn(HWND window, const char* name) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    const auto picture = CaptureWindow(window);
    ASSERT_TRUE(picture) << name;
    RECT frame{};
    GetWindowRect(window, &frame);
    for (HWND control = GetWindow(window, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
      if (!IsWindowVisible(control)) continue;
      RECT bounds{};
      GetWindowRect(control, &bounds);
      OffsetRect(&bounds, -frame.left, -frame.top);
      EXPECT_FALSE(IsFlat(*picture, bounds))
          << name << ": control " << GetDlgCtrlID(control) << " \"" << Text(control) << "\" is not drawn";
    }
  }

  win32::Win32Registry backend;
  uRegistry registry{backend};
  win32::Win32Collation collation;
  std::vector<std::string> m_files;
};

TEST_F(FreeAndRunForms, TheListRoundTripsThroughTheRealRegistry) {
  registry.WriteRegString(kKey, "Display 7", "seven");
  registry.WriteRegString(kKey, "Run 7", "C:\\seven.exe");
  registry.WriteRegString(kKey, "Comment", "foreign");
  {
    FreeAndRunList list(registry, collation, kKey);
    list.AddFreeAndRunEntry(3, "C:\\b.exe", "beta");
    list.AddFreeAndRunEntry(40, "C:\\a.exe", "Alpha & Omega");
    list.AddFreeAndRunEntry(99, "C:\\c.exe", "  Charlie  ");
    list.AddFreeAndRunEntry(1, "C:\\long.exe", std::string(499, 'L'));
  }
  auto names = registry.ListRegValueNames(kKey);
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected;
  for (int i = 0; i < 5; ++i) {
    for (const char* stem : {"Display ", "Free ", "Run "}) expected.push_back(stem + std::to_string(i));
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);

  FreeAndRunList again(registry, collation, kKey);
  again.LoadFreeAndRunList();
  again.Sort();
  ASSERT_EQ(again.Count(), 5);
  // the user's locale, ignoring case; blanks sort first
  EXPECT_EQ(again.MenuTexts(),
            (std::vector<std::string>{"  Charlie  ", "Alpha & Omega", "beta", std::string(499, 'L'), "seven"}));
  EXPECT_EQ(again.GetFreeAndRunEntry(0)->Free, 0);  // 99 is outside the table
  EXPECT_EQ(again.GetFreeAndRunEntry(1)->Free, 40);
  EXPECT_LT(collation.Compare("apple", "Banana"), 0);
  EXPECT_EQ(collation.Compare("Editor", "eDITOR"), 0);
}

TEST_F(FreeAndRunForms, TheSubmenuListsTheEntriesUnderManageEntries) {
  Host host;
  win32::FreeAndRunController controller(host, registry, win32::ManageEntries1, kKey);
  win32::ScopedMenu menu(CreatePopupMenu());
  AppendMenuA(menu.Get(), MF_STRING, win32::ManageEntries1, "&Manage Entries");
  controller.RebuildFreeAndRunMenu(menu.Get());
  EXPECT_EQ(GetMenuItemCount(menu.Get()), 1);  // no separator without entries

  controller.List().AddFreeAndRunEntry(2, "C:\\z.exe", "Z&ip");
  controller.List().AddFreeAndRunEntry(2, "C:\\a.exe", "Archive");
  controller.RebuildFreeAndRunMenu(menu.Get());
  ASSERT_EQ(GetMenuItemCount(menu.Get()), 4);
  EXPECT_EQ(GetMenuState(menu.Get(), 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  char text[64] = {};
  GetMenuStringA(menu.Get(), 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Archive");
  GetMenuStringA(menu.Get(), 3, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Z&ip");
  EXPECT_EQ(GetMenuItemID(menu.Get(), 2), kFirstEntryCommand);
  EXPECT_EQ(GetMenuItemID(menu.Get(), 3), kFirstEntryCommand + 1);
  // unchanged: the same items stay
  controller.RebuildFreeAndRunMenu(menu.Get());
  EXPECT_EQ(GetMenuItemCount(menu.Get()), 4);

  // the entries' commands are none of the main window's controls or menu items
  for (const auto& row : win32::MainWindowControls()) EXPECT_FALSE(EntryTagOfCommand(row.id)) << row.id;
  for (int id = win32::ShowRamsweepPro1; id <= win32::mnuExit1; ++id) EXPECT_FALSE(EntryTagOfCommand(id)) << id;
}

// The user's Start Menu folder as the shell records it, set to a known value for the test and put
// back as it was afterwards.
class KnownStartMenuFolder {
 public:
  static constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  explicit KnownStartMenuFolder(const char* folder) {
    char text[MAX_PATH] = {};
    DWORD size = sizeof text;
    m_had = RegGetValueA(HKEY_CURRENT_USER, kShellFolders, "Start Menu", RRF_RT_REG_SZ, nullptr, text, &size) ==
            ERROR_SUCCESS;
    m_was = text;
    Set(folder);
  }
  ~KnownStartMenuFolder() {
    if (m_had) {
      Set(m_was.c_str());
    } else {
      RegDeleteKeyValueA(HKEY_CURRENT_USER, kShellFolders, "Start Menu");
    }
  }
  KnownStartMenuFolder(const KnownStartMenuFolder&) = delete;
  KnownStartMenuFolder& operator=(const KnownStartMenuFolder&) = delete;

 private:
  static void Set(const char* folder) {
    EXPECT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kShellFolders, "Start Menu", REG_SZ, folder,
                              static_cast<DWORD>(std::strlen(folder) + 1)),
              ERROR_SUCCESS);
  }
  bool m_had = false;
  std::string m_was;
};

TEST_F(FreeAndRunForms, ManageEntriesAddChangeAndRemoveThroughItsControls) {
  const KnownStartMenuFolder startMenu("C:\\Users\\Tester\\Start Menu");
  Host host;
  FreeAndRunList list(registry, collation, kKey);
  list.LoadFreeAndRunList();
  const std::string editor = MakeFile("Editor.exe");
  const std::string folder = TempFolder();
  std::string nextChoice = editor;
  std::vector<BrowseStart> starts;
  TfrmManageEntries::Options options;
  options.selectedAmount = host.SelectedAmountIndex();
  options.openHelp = [&](const char* topic) { host.OpenHelp(topic); };
  options.chooseFile = [&](const BrowseStart& start) -> std::optional<std::string> {
    starts.push_back(start);
    return nextChoice;
  };
  auto form = TfrmManageEntries::Create(host.MainWindow(), list, registry, options);
  ASSERT_TRUE(form);
  const HWND dialog = form->Handle();
  auto item = [&](int id) { return GetDlgItem(dialog, id); };
  ShowWindow(dialog, SW_SHOW);
  EXPECT_EQ(Text(dialog), "Manage Entries in Free and Run Menu");
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 456);
  EXPECT_EQ(client.bottom, 248);
  EXPECT_FALSE(form->AppWasVisible());
  EXPECT_FALSE(IsWindowEnabled(item(TfrmManageEntries::butChange)));

  // adding without browsing leaves OK disabled, whatever the text
  Click(dialog, TfrmManageEntries::Button2);
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::Edit);
  EXPECT_EQ(Text(item(TfrmManageEntries::lblTitle)), "Add an Entry to the Free and Run Menu");
  EXPECT_EQ(form->RunPath(), "Please select the program to run using the \"Browse\" button");
  SetWindowTextA(item(TfrmManageEntries::txtDisplay), "Typed text");
  EXPECT_FALSE(IsWindowEnabled(item(TfrmManageEntries::butOK)));
  Click(dialog, TfrmManageEntries::butOK);
  EXPECT_EQ(list.Count(), 0);
  // nothing longer than a stored text can hold can be typed
  EXPECT_EQ(SendMessageA(item(TfrmManageEntries::txtDisplay), EM_GETLIMITTEXT, 0, 0), 499);

  // a folder chosen in the file dialog changes nothing
  nextChoice = folder;
  Click(dialog, TfrmManageEntries::Button3);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].folder, "C:\\Users\\Tester\\Start Menu");
  EXPECT_EQ(starts[0].fileName, "");
  EXPECT_EQ(Text(item(TfrmManageEntries::txtRun)), "");

  // a program: its bare name and a proposed menu text
  nextChoice = editor;
  Click(dialog, TfrmManageEntries::Button3);
  EXPECT_EQ(Text(item(TfrmManageEntries::txtRun)), "Editor");
  EXPECT_EQ(form->RunPath(), editor);
  EXPECT_EQ(Text(item(TfrmManageEntries::txtDisplay)), "Editor (16 MB)");
  ASSERT_TRUE(IsWindowEnabled(item(TfrmManageEntries::butOK)));
  // Enter confirms on the edit page
  Key(item(TfrmManageEntries::txtDisplay), VK_RETURN);
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::List);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(*list.GetFreeAndRunEntry(0), (FreeAndRunEntry{"Editor (16 MB)", editor, 8}));
  EXPECT_EQ(SendMessageA(item(TfrmManageEntries::ItemList), LB_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindowEnabled(item(TfrmManageEntries::butChange)));

  // tab order of the list page
  std::vector<int> order;
  HWND at = item(TfrmManageEntries::ItemList);
  for (int i = 0; i < 6; ++i) {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog, at, FALSE);
  }
  EXPECT_EQ(order,
            (std::vector<int>{TfrmManageEntries::ItemList, TfrmManageEntries::Button2, TfrmManageEntries::butChange,
                              TfrmManageEntries::butRemove, TfrmManageEntries::Button1, TfrmManageEntries::Button5}));

  // a stored menu text of the user's own; changing shows it as stored
  list.DeleteFreeAndRunEntry(0);
  list.AddFreeAndRunEntry(8, editor, "My editor");
  SendMessageA(item(TfrmManageEntries::ItemList), LB_RESETCONTENT, 0, 0);
  SendMessageA(item(TfrmManageEntries::ItemList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("My editor"));
  SendMessageA(item(TfrmManageEntries::ItemList), LB_SETCURSEL, 0, 0);
  Click(dialog, TfrmManageEntries::butChange);
  EXPECT_EQ(Text(item(TfrmManageEntries::lblTitle)), "Change Entry in the Free and Run Menu");
  EXPECT_EQ(form->EditIndex(), 0);
  EXPECT_EQ(Text(item(TfrmManageEntries::txtDisplay)), "My editor");
  EXPECT_EQ(SendMessageA(item(TfrmManageEntries::cboFreeUp), CB_GETCURSEL, 0, 0), 8);
  // the user picks another amount: the proposal replaces the text
  const HWND amounts = item(TfrmManageEntries::cboFreeUp);
  SendMessageA(amounts, CB_SETCURSEL, 16, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TfrmManageEntries::cboFreeUp, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(amounts));
  EXPECT_EQ(Text(item(TfrmManageEntries::txtDisplay)), "Editor (32 MB)");
  // Esc on the edit page goes back to the list and changes nothing
  Key(item(TfrmManageEntries::txtDisplay), VK_ESCAPE);
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::List);
  EXPECT_EQ(list.GetFreeAndRunEntry(0)->Display, "My editor");
  EXPECT_TRUE(IsWindow(dialog));
  // now confirmed
  Click(dialog, TfrmManageEntries::butChange);
  SendMessageA(amounts, CB_SETCURSEL, 16, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TfrmManageEntries::cboFreeUp, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(amounts));
  Click(dialog, TfrmManageEntries::butOK);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(*list.GetFreeAndRunEntry(0), (FreeAndRunEntry{"Editor (32 MB)", editor, 16}));

  // browsing again starts at the chosen program
  Click(dialog, TfrmManageEntries::butChange);
  Click(dialog, TfrmManageEntries::Button3);
  EXPECT_EQ(starts.back().folder, folder);
  EXPECT_EQ(starts.back().fileName, editor);
  Click(dialog, TfrmManageEntries::Button6);
  Click(dialog, TfrmManageEntries::Button4);
  Click(dialog, TfrmManageEntries::Button5);
  EXPECT_EQ(host.helpTopics, (std::vector<std::string>{"FreeAndRunAdd", "FreeAndRunMain"}));

  // removing the only entry leaves nothing selected; Change and Remove then do nothing
  SendMessageA(item(TfrmManageEntries::ItemList), LB_SETCURSEL, 0, 0);
  Click(dialog, TfrmManageEntries::butRemove);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(SendMessageA(item(TfrmManageEntries::ItemList), LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(item(TfrmManageEntries::ItemList), LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_FALSE(IsWindowEnabled(item(TfrmManageEntries::butRemove)));
  Click(dialog, TfrmManageEntries::butChange);
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::List);
  EXPECT_TRUE(registry.ListRegValueNames(kKey).empty());

  // Esc on the list page closes it; the hidden main window is told to hide its button again
  bool destroyed = false;
  form->OnDestroyed = [&] { destroyed = true; };
  Key(item(TfrmManageEntries::ItemList), VK_ESCAPE);
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(IsWindow(dialog));
  WaitUntil([] { return g_hideTaskButton > 0; }, 2s);
  EXPECT_EQ(g_hideTaskButton, 1);
}

TEST_F(FreeAndRunForms, AMissingProgramShowsProgramNotFoundUntilClosed) {
  Host host;
  win32::FreeAndRunController controller(host, registry, win32::ManageEntries1, kKey);
  controller.List().AddFreeAndRunEntry(5, TempFolder() + "no such program.exe", "Gone");
  controller.List().AddFreeAndRunEntry(5, TempFolder(), "A folder");
  controller.FreeAndRunItemClick(kFirstEntryTag);  // "A folder" sorts first: a folder is no program
  auto* form = dynamic_cast<TfrmErrorRun*>(controller.OpenForm());
  ASSERT_TRUE(form);
  EXPECT_TRUE(host.freeUps.empty());
  const HWND window = form->Handle();
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, "TfrmErrorRun");
  EXPECT_EQ(Text(window), "Program Not Found");
  EXPECT_EQ(Text(GetDlgItem(window, TfrmErrorRun::Label1)), "Free And Run");
  EXPECT_EQ(Text(GetDlgItem(window, TfrmErrorRun::Label2)),
            "The program you are trying to run was not found. Please choose \"Manage Entries\" to specify the "
            "correct location for the program.");
  EXPECT_EQ(Text(GetDlgItem(window, TfrmErrorRun::Button1)), "OK");
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 308);
  EXPECT_EQ(client.bottom, 126);
  EXPECT_TRUE(IsWindowVisible(window));
  Picture(window, "free-and-run-not-found.bmp");

  // further clicks are ignored; a tray click brings the form up
  controller.FreeAndRunItemClick(kFirstEntryTag + 1);
  EXPECT_EQ(controller.OpenForm(), form);
  ShowWindow(window, SW_HIDE);
  EXPECT_TRUE(controller.ShowOpenForm());
  EXPECT_TRUE(IsWindowVisible(window));

  // Enter presses OK
  Key(GetDlgItem(window, TfrmErrorRun::Button1), VK_RETURN);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(controller.OpenForm(), nullptr);
  EXPECT_FALSE(controller.ShowOpenForm());
  WaitUntil([] { return g_hideTaskButton > 0; }, 2s);
  EXPECT_EQ(g_hideTaskButton, 1);
}

TEST_F(FreeAndRunForms, AnExistingProgramOpensWhenItsFreeUpEnds) {
  Host host;
  win32::FreeAndRunController controller(host, registry, win32::ManageEntries1, kKey);
  const std::string marker = TempFolder() + "rsw-free-and-run-" + std::to_string(GetCurrentProcessId()) + ".ran";
  DeleteFileA(marker.c_str());
  m_files.push_back(marker);
  const std::string program = MakeFile("rsw-free-and-run.cmd", "@echo ran> \"" + marker + "\"\r\n");
  controller.List().AddFreeAndRunEntry(8, program,
                                       "Editor && a very long menu text that the progress form must cut "
                                       "at its width rather than wrap");
  controller.FreeAndRunItemClick(kFirstEntryTag);
  auto* form = dynamic_cast<TfrmShowRun*>(controller.OpenForm());
  ASSERT_TRUE(form);
  const HWND window = form->Handle();
  EXPECT_EQ(host.freeUps, (std::vector<std::vector<std::int32_t>>{{16, 3, 0, 0}}));
  EXPECT_EQ(controller.PendingRunPath(), program);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsWindowVisible(host.MainWindow()));
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION, 0);
  RECT bounds{};
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 280);
  EXPECT_EQ(bounds.bottom - bounds.top, 67);
  EXPECT_EQ(Text(GetDlgItem(window, TfrmShowRun::Label1)), "Free and Run");
  EXPECT_EQ(Text(GetDlgItem(window, TfrmShowRun::lblProgram)),
            "Editor && a very long menu text that the progress form must cut at its width rather than wrap");
  Picture(window, "free-and-run-progress.bmp");
  // Esc does not close it, nor does a second click start anything
  Key(window, VK_ESCAPE);
  controller.FreeAndRunItemClick(kFirstEntryTag);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(host.freeUps.size(), 1u);

  // the free-up ends: the program opens and the form goes
  controller.FreeAndRunLaunch();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(controller.OpenForm(), nullptr);
  EXPECT_EQ(controller.PendingRunPath(), "");
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15s));
  EXPECT_FALSE(IsWindowVisible(host.MainWindow()));
}

// The dialog over a list of its own, its file dialog answered by `choice`.
class ManageEntriesDialog : public FreeAndRunForms {
 protected:
  void SetUp() override {
    FreeAndRunForms::SetUp();
    editor = MakeFile("Editor.exe");
  }
  void TearDown() override {
    form.reset();
    FreeAndRunForms::TearDown();
  }
  // Opens the dialog over `entries` (menu text, amount index), stored in `store`.
  void OpenOver(const uRegistry& store, const std::vector<std::pair<std::string, int>>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const std::string n = std::to_string(i);
      store.WriteRegString(kKey, "Display " + n, entries[i].first);
      store.WriteRegString(kKey, "Run " + n, "C:\\Tools\\" + n + ".exe");
      store.WriteRegInteger(kKey, "Free " + n, entries[i].second);
    }
    list = std::make_unique<FreeAndRunList>(store, collation, kKey);
    list->LoadFreeAndRunList();
    list->Sort();
    TfrmManageEntries::Options options;
    options.selectedAmount = 8;
    options.chooseFile = [this](const BrowseStart&) { return choice; };
    form = TfrmManageEntries::Create(host.MainWindow(), *list, registry, options);
    ASSERT_TRUE(form);
    dialog = form->Handle();
    ShowWindow(dialog, SW_SHOW);
  }
  HWND ItemOf(int id) const { return GetDlgItem(dialog, id); }
  std::vector<std::string> ListBoxTexts() const {
    std::vector<std::string> texts;
    const HWND box = ItemOf(TfrmManageEntries::ItemList);
    const int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      std::string text(static_cast<std::size_t>(SendMessageA(box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), '\0');
      SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
      texts.push_back(text);
    }
    return texts;
  }
  int Selection() const {
    return static_cast<int>(SendMessageA(ItemOf(TfrmManageEntries::ItemList), LB_GETCURSEL, 0, 0));
  }
  void Select(int position) {
    SendMessageA(ItemOf(TfrmManageEntries::ItemList), LB_SETCURSEL, static_cast<WPARAM>(position), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TfrmManageEntries::ItemList, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ItemOf(TfrmManageEntries::ItemList)));
  }
  // Clicks `id` while an error box of the dialog is expected: returns the box's text, "" when none
  // came within 10 s.
  std::string ClickExpectingAnError(int id) {
    std::string text;
    ModalWatch answer(
        dialog,
        [&] {
          const HWND box = FindDialogOf(GetCurrentProcessId(), "Ramsweep Pro");
          if (!box || !IsWindowVisible(box) || GetWindow(box, GW_OWNER) != dialog) return false;
          text = MessageBoxText(box);
          PostMessageA(box, WM_COMMAND, IDOK, 0);
          return true;
        },
        10s);
    Click(dialog, id);
    EXPECT_TRUE(answer.Finish()) << "no error box of the dialog within 10 s";
    return text;
  }

  Host host;
  std::string editor;
  std::optional<std::string> choice;
  std::unique_ptr<FreeAndRunList> list;
  win32::FormPtr<TfrmManageEntries> form;
  HWND dialog = nullptr;
};

// A menu text the next start would drop (nothing but blanks and control characters) is never
// confirmed; any other character is enough.
TEST_F(ManageEntriesDialog, OKStaysDisabledWhileTheMenuTextIsBlank) {
  OpenOver(registry, {});
  Click(dialog, TfrmManageEntries::Button2);
  choice = editor;
  Click(dialog, TfrmManageEntries::Button3);
  ASSERT_EQ(Text(ItemOf(TfrmManageEntries::txtRun)), "Editor");
  const struct {
    const char* text;
    bool confirms;
  } cases[] = {
      {"", false},   {" ", false}, {"   \t  ", false}, {"\x01\x1f ", false},
      {" x ", true}, {".", true},  {"\xA0", true},     {"  Editor (16 MB)", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    SetWindowTextA(ItemOf(TfrmManageEntries::txtDisplay), c.text);
    EXPECT_EQ(IsWindowEnabled(ItemOf(TfrmManageEntries::butOK)) != FALSE, c.confirms);
    if (c.confirms) continue;
    // neither the button's message nor Enter confirms it
    Click(dialog, TfrmManageEntries::butOK);
    Key(ItemOf(TfrmManageEntries::txtDisplay), VK_RETURN);
    EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::Edit);
    EXPECT_EQ(list->Count(), 0);
  }
  // the same rule for a change
  SetWindowTextA(ItemOf(TfrmManageEntries::txtDisplay), "Editor");
  Click(dialog, TfrmManageEntries::butOK);
  ASSERT_EQ(list->Count(), 1);
  Select(0);
  Click(dialog, TfrmManageEntries::butChange);
  SetWindowTextA(ItemOf(TfrmManageEntries::txtDisplay), "  ");
  EXPECT_FALSE(IsWindowEnabled(ItemOf(TfrmManageEntries::butOK)));
  Click(dialog, TfrmManageEntries::butOK);
  EXPECT_EQ(list->GetFreeAndRunEntry(0)->Display, "Editor");
}

TEST_F(ManageEntriesDialog, TheEditPagesTabOrderAndACancelledBrowse) {
  OpenOver(registry, {{"Notes", 3}});
  Select(0);
  Click(dialog, TfrmManageEntries::butChange);
  ASSERT_EQ(form->ActivePage(), TfrmManageEntries::Page::Edit);
  std::vector<int> order;
  HWND at = ItemOf(TfrmManageEntries::cboFreeUp);
  for (int i = 0; i < 7; ++i) {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog, at, FALSE);
  }
  // the program's name is read-only and no stop; round to the first again
  EXPECT_EQ(order,
            (std::vector<int>{TfrmManageEntries::cboFreeUp, TfrmManageEntries::Button3, TfrmManageEntries::txtDisplay,
                              TfrmManageEntries::Button4, TfrmManageEntries::butOK, TfrmManageEntries::Button6,
                              TfrmManageEntries::cboFreeUp}));

  // the file dialog cancelled: nothing changes
  SetWindowTextA(ItemOf(TfrmManageEntries::txtDisplay), "My notes");
  choice.reset();
  Click(dialog, TfrmManageEntries::Button3);
  EXPECT_EQ(Text(ItemOf(TfrmManageEntries::txtRun)), "0");
  EXPECT_EQ(form->RunPath(), "C:\\Tools\\0.exe");
  EXPECT_EQ(Text(ItemOf(TfrmManageEntries::txtDisplay)), "My notes");
  EXPECT_EQ(SendMessageA(ItemOf(TfrmManageEntries::cboFreeUp), CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::Edit);
  EXPECT_TRUE(IsWindowEnabled(ItemOf(TfrmManageEntries::butOK)));
}

// Remove selects the entry that followed (or the new last one); OK selects the last entry whose
// text is exactly the one confirmed.
TEST_F(ManageEntriesDialog, RemoveAndOKSelectAsTheirRulesSay) {
  OpenOver(registry, {{"Alpha", 0}, {"Bravo", 1}, {"Charlie", 2}, {"Delta", 3}});
  Select(1);
  Click(dialog, TfrmManageEntries::butRemove);
  EXPECT_EQ(ListBoxTexts(), (std::vector<std::string>{"Alpha", "Charlie", "Delta"}));
  EXPECT_EQ(Selection(), 1) << "the entry that followed";
  Select(2);
  Click(dialog, TfrmManageEntries::butRemove);
  EXPECT_EQ(ListBoxTexts(), (std::vector<std::string>{"Alpha", "Charlie"}));
  EXPECT_EQ(Selection(), 1) << "the new last entry";
  EXPECT_TRUE(IsWindowEnabled(ItemOf(TfrmManageEntries::butChange)));

  // a second "Alpha": the one standing later is selected; "charlie" is not "Charlie"
  choice = editor;
  for (const char* text : {"Alpha", "charlie"}) {
    Click(dialog, TfrmManageEntries::Button2);
    Click(dialog, TfrmManageEntries::Button3);
    SetWindowTextA(ItemOf(TfrmManageEntries::txtDisplay), text);
    Click(dialog, TfrmManageEntries::butOK);
    ASSERT_EQ(form->ActivePage(), TfrmManageEntries::Page::List) << text;
  }
  EXPECT_EQ(ListBoxTexts(), (std::vector<std::string>{"Alpha", "Alpha", "Charlie", "charlie"}));
  EXPECT_EQ(Selection(), 3);
  const std::string viewer = MakeFile("Viewer.exe");
  choice = viewer;
  Click(dialog, TfrmManageEntries::Button2);
  Click(dialog, TfrmManageEntries::Button3);
  SetWindowTextA(ItemOf(TfrmManageEntries::txtDisplay), "Alpha");
  Click(dialog, TfrmManageEntries::butOK);
  EXPECT_EQ(Selection(), 2);
  EXPECT_EQ(list->GetFreeAndRunEntry(2)->Run, viewer) << "the one just added stands last of the three";
}

// A write the registry refuses: the error box, and the list box and the page as they were; what was
// stored before stays stored, the changed entry included.
TEST_F(ManageEntriesDialog, ARefusedSaveShowsTheErrorAndLosesNoStoredEntry) {
  FaultyRegistry faulty;
  const uRegistry store(faulty);
  OpenOver(store, {{"Alpha", 0}, {"Bravo", 1}});
  const std::vector<std::string> shown{"Alpha", "Bravo"};
  auto stored = [&] {
    const uRegistry plain(faulty.Memory());
    FreeAndRunList fresh(plain, collation, kKey);
    fresh.LoadFreeAndRunList();
    fresh.Sort();
    std::vector<FreeAndRunEntry> entries;
    for (std::int32_t i = 0; i < fresh.Count(); ++i) entries.push_back(*fresh.GetFreeAndRunEntry(i));
    return entries;
  };
  const std::vector<FreeAndRunEntry> before = stored();
  ASSERT_EQ(before.size(), 2u);
  // The writes refused from the first one after those a removal of this entry would make: a
  // change saved as a removal and then an addition would lose the entry there.
  int removalChanges = 0;
  {
    FaultyRegistry scratch;
    const uRegistry scratchStore(scratch);
    for (const FreeAndRunEntry& e : before) {
      const std::string n = e.Display == "Alpha" ? "0" : "1";
      scratchStore.WriteRegString(kKey, "Display " + n, e.Display);
      scratchStore.WriteRegString(kKey, "Run " + n, e.Run);
      scratchStore.WriteRegInteger(kKey, "Free " + n, e.Free);
    }
    FreeAndRunList scratchList(scratchStore, collation, kKey);
    scratchList.LoadFreeAndRunList();
    scratchList.Sort();
    const int start = scratch.Changes();
    scratchList.DeleteFreeAndRunEntry(1);
    removalChanges = scratch.Changes() - start;
  }
  faulty.FailAt(faulty.Changes() + removalChanges + 1, FaultyRegistry::Mode::FromThenOn);

  // a change
  Select(1);
  Click(dialog, TfrmManageEntries::butChange);
  const HWND amounts = ItemOf(TfrmManageEntries::cboFreeUp);
  SendMessageA(amounts, CB_SETCURSEL, 16, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TfrmManageEntries::cboFreeUp, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(amounts));
  ASSERT_EQ(Text(ItemOf(TfrmManageEntries::txtDisplay)), "1 (32 MB)");
  EXPECT_TRUE(ClickExpectingAnError(TfrmManageEntries::butOK).starts_with("Cannot create ")) << "change";
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::Edit);
  EXPECT_EQ(ListBoxTexts(), shown);
  // the entry being changed is stored, as it was or as changed, never gone; nothing else is
  const FreeAndRunEntry changed{"1 (32 MB)", "C:\\Tools\\1.exe", 16};
  const auto afterChange = stored();
  auto holds = [&](const FreeAndRunEntry& e) {
    return std::find(afterChange.begin(), afterChange.end(), e) != afterChange.end();
  };
  EXPECT_TRUE(holds(before[0]));
  EXPECT_TRUE(holds(before[1]) || holds(changed)) << "the entry being changed is lost";
  for (const FreeAndRunEntry& e : afterChange) {
    EXPECT_TRUE(e == before[0] || e == before[1] || e == changed) << "a mixed entry " << e.Display << " " << e.Free;
  }
  EXPECT_EQ(list->MenuTexts(), (std::vector<std::string>{"1 (32 MB)", "Alpha"})) << "memory holds the change";
  const std::vector<FreeAndRunEntry> beforeAddition = afterChange;
  faulty.FailAt(faulty.Changes() + 1, FaultyRegistry::Mode::FromThenOn);

  // an addition
  Click(dialog, TfrmManageEntries::Button4);
  Click(dialog, TfrmManageEntries::Button2);
  choice = editor;
  Click(dialog, TfrmManageEntries::Button3);
  EXPECT_TRUE(ClickExpectingAnError(TfrmManageEntries::butOK).starts_with("Cannot create ")) << "addition";
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::Edit);
  EXPECT_EQ(ListBoxTexts(), shown);
  EXPECT_EQ(stored(), beforeAddition);

  // a removal
  Click(dialog, TfrmManageEntries::Button4);
  Select(0);
  EXPECT_TRUE(ClickExpectingAnError(TfrmManageEntries::butRemove).starts_with("Cannot create ")) << "removal";
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::List);
  EXPECT_EQ(ListBoxTexts(), shown) << "not refilled";
  EXPECT_EQ(Selection(), 0);
  EXPECT_EQ(stored(), beforeAddition);

  // once the registry takes writes again, the next change stores the list as it is in memory
  faulty.FailAt(0, FaultyRegistry::Mode::Never);
  Select(0);
  Click(dialog, TfrmManageEntries::butRemove);
  EXPECT_EQ(ListBoxTexts(), list->MenuTexts());
  const auto after = stored();
  ASSERT_EQ(static_cast<std::int32_t>(after.size()), list->Count());
  for (std::int32_t i = 0; i < list->Count(); ++i)
    EXPECT_EQ(after[static_cast<std::size_t>(i)], *list->GetFreeAndRunEntry(i));
}

// "&Manage Entries" closes whatever form was open and shows the dialog modally: its owner takes
// no input until it closes.
TEST_F(FreeAndRunForms, ManageEntriesIsModalAndReplacesAnEarlierForm) {
  Host host;
  win32::FreeAndRunController controller(host, registry, win32::ManageEntries1, kKey);
  controller.List().AddFreeAndRunEntry(5, TempFolder() + "no such program.exe", "Gone");
  controller.FreeAndRunItemClick(kFirstEntryTag);
  ASSERT_TRUE(dynamic_cast<TfrmErrorRun*>(controller.OpenForm()));
  const HWND earlier = controller.OpenForm()->Handle();
  const HWND main = host.MainWindow();
  ASSERT_TRUE(IsWindowEnabled(main));

  bool earlierGone = false, ownerDisabled = false, recorded = false;
  HWND dialog = nullptr;
  ModalWatch watch(
      main,
      [&] {
        const HWND open = FindWindowA(TfrmManageEntries::kClassName, nullptr);
        if (!open || !IsWindowVisible(open)) return false;
        dialog = open;
        earlierGone = !IsWindow(earlier);
        ownerDisabled = !IsWindowEnabled(main);
        recorded = controller.OpenForm() && controller.OpenForm()->Handle() == open;
        PostMessageA(open, WM_COMMAND, MAKEWPARAM(TfrmManageEntries::Button1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(open, TfrmManageEntries::Button1)));
        return true;
      },
      10s);
  controller.OnCommand(win32::ManageEntries1);  // returns once the dialog has closed
  ASSERT_TRUE(watch.Finish()) << "no Manage Entries dialog within 10 s";
  EXPECT_TRUE(earlierGone) << "the earlier form was closed first";
  EXPECT_TRUE(ownerDisabled) << "modal: the owner was disabled while it was open";
  EXPECT_TRUE(recorded);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(IsWindowEnabled(main)) << "enabled again after";
  EXPECT_EQ(controller.OpenForm(), nullptr);
}

// What `control` paints into its client area, asked to print it into a bitmap of ours.
std::optional<ScreenCapture> PrintedClient(HWND control) {
  RECT client{};
  if (!GetClientRect(control, &client) || client.right <= 0 || client.bottom <= 0) return std::nullopt;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const win32::ScopedBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const win32::ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || !bits) return std::nullopt;
  {
    const win32::ScopedSelection selection(dc.Get(), bitmap.Get());
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
  }
  ScreenCapture picture;
  picture.width = client.right;
  picture.height = client.bottom;
  const auto* first = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(first, first + static_cast<std::size_t>(client.right) * static_cast<std::size_t>(client.bottom));
  return picture;
}

// The run-progress form's label draws the menu text on one line, centred, and cut at its width:
// a short text stands in the middle, a long one fills the width instead of leaving its first word
// alone on a first line.
TEST_F(FreeAndRunForms, TheProgressLabelIsOneCentredLineCutAtItsWidth) {
  Host host;
  const struct {
    const char* text;
    bool fills;  // wider than the label
  } cases[] = {
      {"Notes", false},
      {"A WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto form = TfrmShowRun::Create(host.MainWindow(), c.text);
    ASSERT_TRUE(form);
    const HWND window = form->Handle();
    const HWND label = GetDlgItem(window, TfrmShowRun::lblProgram);
    // cut with an ellipsis rather than clipped
    EXPECT_EQ(GetWindowLongA(label, GWL_STYLE) & SS_ENDELLIPSIS, SS_ENDELLIPSIS);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    Pump();
    // what the label itself draws, whatever else the screen shows over it
    const auto picture = PrintedClient(label);
    ASSERT_TRUE(picture);
    // the ink: every pixel unlike the label's corner
    const std::uint32_t paper = picture->pixels[0] & 0xFFFFFF;
    int left = picture->width, right = -1, top = picture->height, bottom = -1;
    for (int y = 0; y < picture->height; ++y) {
      for (int x = 0; x < picture->width; ++x) {
        if ((picture->pixels[static_cast<std::size_t>(y * picture->width + x)] & 0xFFFFFF) == paper) continue;
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    ASSERT_GE(right, 0) << "nothing drawn";
    const int leftMargin = left, rightMargin = picture->width - 1 - right;
    EXPECT_NEAR(leftMargin, rightMargin, 2) << "centred: " << left << ".." << right << " of " << picture->width;
    if (c.fills) {
      EXPECT_LT(leftMargin, picture->width / 10) << "one line to the label's edges, not the first word alone";
    } else {
      EXPECT_GT(leftMargin, picture->width / 4);
    }
  }
}

TEST_F(FreeAndRunForms, PicturesOfManageEntries) {
  Host host;
  FreeAndRunList list(registry, collation, kKey);
  list.AddFreeAndRunEntry(8, "C:\\Tools\\Editor.exe", "Editor (16 MB)");
  list.AddFreeAndRunEntry(16, "C:\\Games\\Chess.lnk", "Chess (32 MB)");
  list.AddFreeAndRunEntry(40, "C:\\Photo\\Studio.exe", "Photo Studio & Friends");
  TfrmManageEntries::Options options;
  options.selectedAmount = 8;
  auto form = TfrmManageEntries::Create(host.MainWindow(), list, registry, options);
  ASSERT_TRUE(form);
  const HWND dialog = form->Handle();
  const HWND items = GetDlgItem(dialog, TfrmManageEntries::ItemList);
  SendMessageA(items, LB_SETCURSEL, 1, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TfrmManageEntries::ItemList, LBN_SELCHANGE), 0);
  Picture(dialog, "free-and-run-manage-list.bmp");
  // the picture shows the list with its second entry selected, ready to be changed
  ASSERT_EQ(SendMessageA(items, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(items, LB_GETCURSEL, 0, 0), 1);
  char selected[64] = {};
  SendMessageA(items, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(selected));
  EXPECT_STREQ(selected, "Editor (16 MB)");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, TfrmManageEntries::butChange)));
  ExpectEveryControlDrawn(dialog, "list page");

  Click(dialog, TfrmManageEntries::butChange);
  Picture(dialog, "free-and-run-manage-edit.bmp");
  // and the edit page with that entry
  EXPECT_EQ(form->ActivePage(), TfrmManageEntries::Page::Edit);
  EXPECT_EQ(Text(GetDlgItem(dialog, TfrmManageEntries::lblTitle)), "Change Entry in the Free and Run Menu");
  EXPECT_EQ(Text(GetDlgItem(dialog, TfrmManageEntries::cboFreeUp)), "16 MB");
  EXPECT_EQ(Text(GetDlgItem(dialog, TfrmManageEntries::txtRun)), "Editor");
  EXPECT_EQ(Text(GetDlgItem(dialog, TfrmManageEntries::txtDisplay)), "Editor (16 MB)");
  EXPECT_EQ(form->RunPath(), "C:\\Tools\\Editor.exe");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, TfrmManageEntries::butOK)));
  ExpectEveryControlDrawn(dialog, "edit page");
}

}  // namespace
}  // namespace rsw::test
