#pragma once
// The real main window created in this test process, over the real registry of the test prefix.

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "shell/Messages.h"
#include "shell/SettingsKey.h"
#include "shell/win32/MainWindowLayout.h"
#include "shell/win32/TfrmRamsweep.h"
#include "shell/win32/Win32Registry.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {

using win32::TfrmRamsweep;
using namespace win32;  // control identifiers

constexpr const char* kSettingsPath = "Software\\Vondrel Aske\\Ramsweep Pro";
constexpr const char* kRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

inline std::string Caption(HWND window) { return WindowText(window); }

// The caption without the free-memory figure in front.
inline std::string State(HWND window) {
  const std::string caption = Caption(window);
  const std::size_t at = caption.find("Ramsweep Pro");
  return at == std::string::npos ? caption : caption.substr(at);
}

class MainWindow : public ::testing::Test {
 protected:
  win32::Win32Registry backend;
  uRegistry registry{backend};
  std::vector<TFreeThread> started;  // free-ups the window asked for, when recording
  // Changes the options of the next Open before the window is made.
  std::function<void(TfrmRamsweep::Options&)> configure;

  void SetUp() override {
    ClearSettings();
    TfrmRamsweep::RegisterClass(GetModuleHandleA(nullptr));
  }
  void TearDown() override {
    form.reset();
    DrainQuit();
    ClearSettings();
    UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
  }
  static void ClearSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunPath, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
      RegDeleteValueA(run, "Ramsweep Pro");
      RegCloseKey(run);
    }
  }
  // The window posts WM_QUIT when it goes; this thread runs no message loop of its own.
  static void DrainQuit() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  void Store(const char* name, std::int32_t value) { registry.WriteRegInteger(kSettingsKey, name, value); }
  std::int32_t Stored(const char* name) const { return registry.ReadRegInteger(kSettingsKey, name, -999); }

  // Creates the window; free-ups are recorded and never end unless `realWorker`.
  TfrmRamsweep& Open(std::vector<std::string> args = {}, bool realWorker = false, const uRegistry* other = nullptr) {
    TfrmRamsweep::Options options;
    options.args = std::move(args);
    if (!realWorker) {
      options.startWorker = [this](const TFreeThread& worker) {
        started.push_back(worker);
        return true;
      };
    }
    options.programPath = "C:\\Tools\\rswpro.exe";
    if (configure) configure(options);
    form = TfrmRamsweep::Create(GetModuleHandleA(nullptr), other ? *other : registry, std::move(options));
    EXPECT_TRUE(form);
    return *form;
  }
  HWND Item(ControlId id) const { return form->Control(id); }
  bool Checked(ControlId id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  int ComboIndex(ControlId id) const { return static_cast<int>(SendMessageA(Item(id), CB_GETCURSEL, 0, 0)); }
  int UpDown(ControlId id) const { return static_cast<int>(SendMessageA(Item(id), UDM_GETPOS32, 0, 0)); }
  void Click(ControlId id) {
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
  }
  bool Close() {
    const HWND window = form->Handle();
    SendMessageA(window, WM_CLOSE, 0, 0);
    return !IsWindow(window);
  }
  // The window as the screen shows it on `page`: its whole frame, and every control the page shows
  // drawn where it stands, so none of their rectangles is one flat colour (as on a blank picture or
  // on another page's body).
  void ExpectPageDrawn(int page, const std::string& caption) {
    const auto picture = CaptureWindow(form->Handle());
    ASSERT_TRUE(picture) << caption;
    RECT frame{};
    GetWindowRect(form->Handle(), &frame);
    EXPECT_EQ(picture->width, frame.right - frame.left) << caption;
    EXPECT_EQ(picture->height, frame.bottom - frame.top) << caption;
    for (const ControlRow& row : MainWindowControls()) {
      const HWND control = Item(row.id);
      if (static_cast<int>(row.page) != page || !IsWindowVisible(control)) continue;
      RECT bounds{};
      GetWindowRect(control, &bounds);
      OffsetRect(&bounds, -frame.left, -frame.top);
      EXPECT_FALSE(IsFlat(*picture, bounds)) << caption << ": control " << row.id << " is not drawn";
    }
  }

  std::unique_ptr<TfrmRamsweep> form;
};

}  // namespace rsw::test
