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

  // Right-clicks the tray icon and, once the menu is up, opens "Free and &Run" with its access key
  // and picks the first entry below "&Manage Entries" (the separator is skipped).
  bool ChooseFirstEntryFromTheTrayMenu() {
    std::atomic<bool> chosen{false};
    std::thread keys([&] {
      const auto deadline = std::chrono::steady_clock::now() + 10s;
      while (std::chrono::steady_clock::now() < deadline) {
        const HWND popup = VisibleWindowOfClass("#32768");
        if (popup) {
          PostMessageA(popup, WM_KEYDOWN, 'R', 0);
          PostMessageA(popup, WM_CHAR, 'r', 0);
          Sleep(300);
          PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
          Sleep(100);
          PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
          chosen = true;
          return;
        }
        Sleep(20);
      }
    });
    SendMessageA(Callback(), WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
    keys.join();
    return chosen;
  }

  // Sends a tray notification; a menu that opens instead is closed again and reported.
  bool NotifyOpensAMenu(LPARAM mouse) {
    std::atomic<bool> menu{false};
    std::atomic<bool> done{false};
    const HWND owner = form->Handle();
    std::thread watch([&] {
      const auto deadline = std::chrono::steady_clock::now() + 2s;
      while (!done && std::chrono::steady_clock::now() < deadline) {
        if (VisibleWindowOfClass("#32768")) {
          menu = true;
          PostMessageA(owner, WM_CANCELMODE, 0, 0);
          return;
        }
        Sleep(20);
      }
    });
    SendMessageA(Callback(), WM_TRAYNOTIFY, 1, mouse);
    done = true;
    watch.join();
    return menu;
  }

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

  // the passes: nothing opens yet
  for (WPARAM pass : {0, 1, 2}) PostMessageA(main, WM_FREEUP_PASS, pass, 0);
  WaitUntil([] { return false; }, 500ms);
  EXPECT_FALSE(Exists(marker));
  EXPECT_EQ(State(main), "Ramsweep Pro - Working (3)");

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

}  // namespace
}  // namespace rsw::test
