#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/FreeAmounts.h"
#include "freeandrun/FreeAndRunMenu.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "freeandrun/win32/TfrmErrorRun.h"
#include "freeandrun/win32/TfrmManageEntries.h"
#include "freeandrun/win32/TfrmShowRun.h"
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

TEST_F(FreeAndRunForms, ManageEntriesAddChangeAndRemoveThroughItsControls) {
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
  EXPECT_EQ(form->RunPath(), kBrowseHint);
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
  EXPECT_EQ(starts[0].folder, registry.ReadRegString(kStartMenuFolderKey, kStartMenuFolderValue, ""));
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
  EXPECT_EQ(Text(GetDlgItem(window, TfrmErrorRun::Label2)), kProgramNotFoundText);
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
  EXPECT_EQ(Text(GetDlgItem(window, TfrmShowRun::lblProgram)), controller.List().MenuText(0));
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
  SendMessageA(GetDlgItem(dialog, TfrmManageEntries::ItemList), LB_SETCURSEL, 1, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TfrmManageEntries::ItemList, LBN_SELCHANGE), 0);
  Picture(dialog, "free-and-run-manage-list.bmp");
  Click(dialog, TfrmManageEntries::butChange);
  Picture(dialog, "free-and-run-manage-edit.bmp");
}

}  // namespace
}  // namespace rsw::test
