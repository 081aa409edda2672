// Free and Run in the real main window: an entry chosen from the real tray menu by its keys, its
// program opened only once the free-up's passes are over, and a missing program's dialog brought
// forward by the tray icon's clicks.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

#include "display/win32/TTraybar.h"
#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/TfrmManageEntries.h"
#include "shell/Messages.h"
#include "wine/MainWindowFixture.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

std::string TempFolder() {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return folder;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HWND VisibleWindowOfClass(const char* className) {
  const HWND window = FindWindowA(className, nullptr);
  return window && IsWindowVisible(window) ? window : nullptr;
}

class FreeAndRunWindow : public MainWindow {
 protected:
  void TearDown() override {
    for (const std::string& file : m_files) DeleteFileA(file.c_str());
    MainWindow::TearDown();
  }
  void StoreEntry(int number, const std::string& text, const std::string& path, std::int32_t amountIndex) {
    const std::string n = std::to_string(number);
    registry.WriteRegString(kFreeAndRunKey, "Display " + n, text);
    registry.WriteRegString(kFreeAndRunKey, "Run " + n, path);
    registry.WriteRegInteger(kFreeAndRunKey, "Free " + n, amountIndex);
  }
  HWND Callback() const { return form->Tray().CallbackWindow(); }

  // Right-clicks the tray icon and drives the menu by its keys: once the menu is up, "Free and
  // &Run" by its access key; once that submenu is up, `inSubmenu` (posted to the submenu). True
  // when every step took place and the menus closed again, all within 10 s; a menu still open then
  // is closed and the steps count as failed.
  bool ChooseFromTheFreeAndRunSubmenu(std::initializer_list<WPARAM> inSubmenu) {
    const std::vector<WPARAM> keys(inSubmenu);
    int step = 0;
    ModalWatch watch(
        form->Handle(),
        [&] {
          const std::vector<HWND> menus = VisibleMenus();
          switch (step) {
            case 0:
              if (menus.size() != 1) return false;
              PostMessageA(menus[0], WM_KEYDOWN, 'R', 0);
              PostMessageA(menus[0], WM_CHAR, 'r', 0);
              step = 1;
              return false;
            case 1:
              // the submenu is the second menu window
              if (menus.size() != 2) return false;
              for (HWND menu : menus) {
                if (menu == FirstMenu()) continue;
                for (WPARAM key : keys) PostMessageA(menu, WM_KEYDOWN, key, 0);
              }
              step = 2;
              return false;
            default: return menus.empty();
          }
        },
        10s);
    SendMessageA(Callback(), WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
    return watch.Finish();
  }
  bool ChooseFirstEntryFromTheTrayMenu() { return ChooseFromTheFreeAndRunSubmenu({VK_DOWN, VK_RETURN}); }

  // Sends a tray notification; a menu that opens instead is closed again and reported.
  bool NotifyOpensAMenu(LPARAM mouse) {
    bool menu = false;
    ModalWatch watch(
        form->Handle(),
        [&] {
          if (!menu && VisibleMenus().empty()) return false;
          if (!menu) {
            menu = true;
            m_firstMenu = nullptr;
            PostMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
          }
          return VisibleMenus().empty();
        },
        10s);
    SendMessageA(Callback(), WM_TRAYNOTIFY, 1, mouse);
    const bool closed = watch.Finish();
    EXPECT_TRUE(!menu || closed) << "a menu opened and did not close again";
    return menu;
  }

  // The visible menu windows, the first one seen first.
  std::vector<HWND> VisibleMenus() {
    std::vector<HWND> menus;
    for (HWND at = FindWindowExA(nullptr, nullptr, "#32768", nullptr); at;
         at = FindWindowExA(nullptr, at, "#32768", nullptr)) {
      if (IsWindowVisible(at)) menus.push_back(at);
    }
    if (menus.size() == 1) m_firstMenu = menus[0];
    return menus;
  }
  HWND FirstMenu() const { return m_firstMenu; }

  HWND m_firstMenu = nullptr;
  std::vector<std::string> m_files;
};

TEST_F(FreeAndRunWindow, AnEntryFromTheTrayMenuRunsItsProgramOnceThePassesAreOver) {
  Store("Icon", 1);
  const std::string marker = TempFolder() + "rsw-window-run-" + std::to_string(GetCurrentProcessId()) + ".ran";
  const std::string program = TempFolder() + "rsw-window-run.cmd";
  DeleteFileA(marker.c_str());
  std::ofstream(program) << "@echo ran> \"" << marker << "\"\r\n";
  m_files = {marker, program};
  StoreEntry(7, "&Notes", program, 2);  // 4 MB
  TfrmRamsweep& window = Open();
  const HWND main = window.Handle();
  ASSERT_FALSE(IsWindowVisible(main)) << "the program lives in the tray";

  ASSERT_TRUE(ChooseFirstEntryFromTheTrayMenu());
  ASSERT_TRUE(WaitUntil([&] { return !started.empty(); }, 5s)) << "the entry's free-up starts";
  EXPECT_EQ(started[0].AmountMB, 4);
  EXPECT_EQ(started[0].MaxPasses, 3);
  EXPECT_EQ(started[0].Countdown, 0);
  EXPECT_FALSE(started[0].IdleDetect);
  const HWND progress = VisibleWindowOfClass("TfrmShowRun");
  ASSERT_TRUE(progress) << "the run-progress form shows while it works";
  EXPECT_EQ(WindowText(GetDlgItem(progress, 102)), "&Notes");

  // the passes: nothing opens yet (the launch would have closed the form at once)
  for (WPARAM pass : {0, 1, 2}) PostMessageA(main, WM_FREEUP_PASS, pass, 0);
  EXPECT_TRUE(WaitUntil([&] { return State(main) == "Ramsweep Pro - Working (3)"; }, 5s)) << State(main);
  EXPECT_TRUE(IsWindow(progress)) << "the program was opened before the free-up ended";
  EXPECT_TRUE(window.IsBusy());

  // the end of the free-up opens the program; the form goes and no taskbar button is left
  PostMessageA(main, WM_FREEUP_DONE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return Exists(marker); }, 15s));
  EXPECT_FALSE(IsWindow(progress));
  EXPECT_FALSE(VisibleWindowOfClass("TfrmShowRun"));
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_FALSE(window.IsBusy());
  EXPECT_EQ(started.size(), 1u);
  // recorded as Free and Run's, which asks for no balloon
  ASSERT_TRUE(window.LastFreeUpResult());
  EXPECT_EQ(window.LastFreeUpResult()->kind, FreeUpKind::FreeAndRun);
}

TEST_F(FreeAndRunWindow, AMissingProgramShowsItsDialogWhichTheTrayIconsClicksBringForward) {
  Store("Icon", 1);
  Store("IconAction", 0);  // double-click: show the window
  StoreEntry(0, "&Gone", TempFolder() + "no such program.exe", 3);
  TfrmRamsweep& window = Open();
  const HWND main = window.Handle();

  ASSERT_TRUE(ChooseFirstEntryFromTheTrayMenu());
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = VisibleWindowOfClass("TfrmErrorRun")) != nullptr; }, 5s));
  EXPECT_EQ(WindowText(dialog), "Program Not Found");
  EXPECT_TRUE(started.empty()) << "nothing is freed";

  // while it is open, the icon's clicks bring it forward instead of the menu or the action
  ShowWindow(dialog, SW_HIDE);
  EXPECT_FALSE(NotifyOpensAMenu(WM_RBUTTONUP));
  EXPECT_TRUE(IsWindowVisible(dialog));
  ShowWindow(dialog, SW_HIDE);
  EXPECT_FALSE(NotifyOpensAMenu(WM_LBUTTONDBLCLK));
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_FALSE(IsWindowVisible(main)) << "the double-click's action did not run";

  // closed, the icon's right-click opens the menu again
  PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s));
  EXPECT_TRUE(NotifyOpensAMenu(WM_RBUTTONUP));
  EXPECT_FALSE(IsWindowVisible(main));
}

// "&Manage Entries", the first item of the submenu, opens the dialog modally: the main window
// takes no input while it is open, and does again once it has closed.
TEST_F(FreeAndRunWindow, ManageEntriesFromTheTrayMenuIsModalToTheMainWindow) {
  Store("Icon", 1);
  StoreEntry(0, "&Notes", TempFolder() + "no such program.exe", 3);
  TfrmRamsweep& window = Open();
  const HWND main = window.Handle();
  ASSERT_TRUE(IsWindowEnabled(main));

  ASSERT_TRUE(ChooseFromTheFreeAndRunSubmenu({VK_RETURN})) << "the menu's keys";
  // the menu's command arrives as a message; the dialog's own loop runs inside its handling
  bool ownerDisabled = false;
  HWND dialog = nullptr;
  ModalWatch watch(
      main,
      [&] {
        const HWND open = VisibleWindowOfClass("TfrmManageEntries");
        if (!open) return false;
        dialog = open;
        ownerDisabled = !IsWindowEnabled(main);
        PostMessageA(open, WM_COMMAND, MAKEWPARAM(win32::TfrmManageEntries::Button1, BN_CLICKED), 0);  // Close
        return true;
      },
      10s);
  WaitUntil([&] { return dialog != nullptr && !IsWindow(dialog); }, 10s);
  ASSERT_TRUE(watch.Finish()) << "no Manage Entries dialog within 10 s";
  EXPECT_TRUE(ownerDisabled) << "the main window took input while the dialog was open";
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(IsWindowEnabled(main)) << "enabled again after";
  EXPECT_TRUE(started.empty());
}

}  // namespace
}  // namespace rsw::test
