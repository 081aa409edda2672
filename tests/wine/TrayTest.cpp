// The tray icon in a real notification area: the component against the shell, and the main
// window's icon states, digits, tip, menu and double-click.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <regex>
#include <thread>

#include "display/StatusDisplay.h"
#include "display/win32/TTraybar.h"
#include "engine/win32/Win32FreeUp.h"
#include "wine/FakeNotificationArea.h"
#include "wine/MainWindowFixture.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

// Whether the shell shows an icon of this window and id: a change of nothing succeeds exactly then.
bool IconShown(HWND window, UINT id = 1) {
  NOTIFYICONDATAA query{};
  query.cbSize = TTraybar::kIconDataSize;
  query.hWnd = window;
  query.uID = id;
  query.uFlags = 0;
  return Shell_NotifyIconA(NIM_MODIFY, &query) != FALSE;
}

class TraybarTest : public ::testing::Test {
 protected:
  std::unique_ptr<TTraybar> tray = TTraybar::Create(GetModuleHandleA(nullptr));
  HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  void TearDown() override {
    if (tray) tray->DeleteIcon();
  }
};

TEST_F(TraybarTest, RecordIsTheFirstVersionFilledForTheWindow) {
  ASSERT_TRUE(tray);
  const NOTIFYICONDATAA& data = tray->IconData();
  EXPECT_EQ(data.cbSize, 88u);
  EXPECT_EQ(data.hWnd, tray->CallbackWindow());
  EXPECT_EQ(data.uID, 1u);
  EXPECT_EQ(data.uFlags, 7u);
  EXPECT_EQ(data.uCallbackMessage, 2048u);
  EXPECT_TRUE(IsWindow(tray->CallbackWindow()));
  EXPECT_FALSE(IsWindowVisible(tray->CallbackWindow()));
}

TEST_F(TraybarTest, AddModifyDeleteThroughTheShell) {
  ASSERT_TRUE(FindWindowA("Shell_TrayWnd", nullptr)) << "the test desktop has a taskbar";
  tray->Icon = icon;
  tray->Hint = std::string(70, 'h');
  EXPECT_FALSE(IconShown(tray->CallbackWindow()));
  ASSERT_TRUE(tray->AddIcon());
  EXPECT_TRUE(IconShown(tray->CallbackWindow()));
  EXPECT_EQ(std::string(tray->IconData().szTip), std::string(63, 'h'));
  EXPECT_EQ(tray->TrayWindow(), FindWindowA("Shell_TrayWnd", nullptr));
  EXPECT_FALSE(tray->AddIcon()) << "already there";
  tray->Hint.clear();
  EXPECT_TRUE(tray->ModifyIcon());
  EXPECT_EQ(std::string(tray->IconData().szTip), "");
  EXPECT_TRUE(tray->DeleteIcon());
  EXPECT_FALSE(IconShown(tray->CallbackWindow()));
  EXPECT_FALSE(tray->ModifyIcon()) << "nothing left to change";
  EXPECT_FALSE(tray->DeleteIcon());
}

TEST_F(TraybarTest, CheckTaskbarAddsAgainOnlyForANewTaskbar) {
  tray->Icon = icon;
  ASSERT_TRUE(tray->AddIcon());
  ASSERT_TRUE(tray->DeleteIcon());
  tray->CheckTaskbar();
  EXPECT_FALSE(IconShown(tray->CallbackWindow())) << "the same taskbar: nothing to repair";
  // as after the shell restarted: the taskbar the icon was added to is gone
  tray->ForgetTrayWindow();
  tray->CheckTaskbar();
  EXPECT_TRUE(IconShown(tray->CallbackWindow()));
  EXPECT_EQ(tray->TrayWindow(), FindWindowA("Shell_TrayWnd", nullptr));
}

TEST_F(TraybarTest, ATipAloneLeavesThePictureWithTheShell) {
  FakeNotificationArea area;
  ASSERT_TRUE(area.InFront());
  tray->Icon = icon;
  tray->Hint = "3000.1 MB";
  ASSERT_TRUE(tray->AddIcon());
  tray->Hint = std::string(70, 't');
  EXPECT_TRUE(tray->ModifyTip());
  ASSERT_EQ(area.Calls().size(), 2u);
  EXPECT_EQ(area.Calls().back().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(area.Calls().back().flags, static_cast<UINT>(NIF_TIP)) << "no picture for the shell to copy";
  EXPECT_EQ(area.Calls().back().tip, std::string(63, 't'));
  EXPECT_EQ(tray->IconData().uFlags, 7u) << "the record itself keeps every field";
  EXPECT_TRUE(tray->ModifyIcon());
  EXPECT_EQ(area.Calls().back().flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_TRUE(tray->DeleteIcon());
  EXPECT_FALSE(tray->ModifyTip()) << "nothing left to change";
}

TEST_F(TraybarTest, MouseNotificationsBecomeCallbacks) {
  int clicks = 0, doubles = 0, rights = 0;
  tray->Onclick = [&](TTraybar&) { ++clicks; };
  tray->OnDblClick = [&](TTraybar&) { ++doubles; };
  tray->OnRightClick = [&](TTraybar&) { ++rights; };
  const HWND window = tray->CallbackWindow();
  for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MOUSEMOVE,
                       WM_MBUTTONDOWN, WM_MBUTTONUP}) {
    SendMessageA(window, WM_TRAYNOTIFY, 1, mouse);
  }
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(rights, 1) << "on the release only";
  // other messages pass to the default handling untouched
  EXPECT_EQ(SendMessageA(window, WM_TRAYNOTIFY + 1, 1, WM_LBUTTONDOWN), 0);
  EXPECT_EQ(clicks, 1);
  // a release with neither a callback nor a menu does nothing
  tray->OnRightClick = nullptr;
  SendMessageA(window, WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
  EXPECT_EQ(rights, 1);
}

// ---- the main window's tray icon ----

// An icon's two 16×16 bitmaps as 32-bit pixels, top row first; empty when it has none.
struct IconBits {
  std::vector<std::uint32_t> colour;
  std::vector<std::uint32_t> mask;
};

IconBits ReadIcon(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  win32::ScopedBitmap mask(info.hbmMask), colour(info.hbmColor);
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = 16;
  header.bmiHeader.biHeight = -16;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  IconBits bits{std::vector<std::uint32_t>(256), std::vector<std::uint32_t>(256)};
  const HDC screen = GetDC(nullptr);
  GetDIBits(screen, colour.Get(), 0, 16, bits.colour.data(), &header, DIB_RGB_COLORS);
  GetDIBits(screen, mask.Get(), 0, 16, bits.mask.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bits;
}

std::vector<std::uint32_t> ColourBits(HICON icon) { return ReadIcon(icon).colour; }

// The transparency mask of an icon, one flag per pixel (true: transparent), top row first.
std::vector<bool> MaskBits(HICON icon) {
  const auto bits = ReadIcon(icon).mask;
  std::vector<bool> transparent(bits.size());
  for (std::size_t i = 0; i < bits.size(); ++i) transparent[i] = (bits[i] & 0xFFFFFF) != 0;
  return transparent;
}

HICON Resource(const char* name) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

class TrayIcon : public MainWindow {
 protected:
  void ShowIcon() { Store("Icon", 1); }
  HWND TrayWindowOf() { return form->Tray().CallbackWindow(); }
  // Which picture the composed icon was made from: its colour bitmap is the picture's, and so is
  // its mask outside the rows the digits go into.
  std::string PictureOfComposed() {
    const HICON composed = form->ComposedTrayIcon();
    const auto bits = ColourBits(composed);
    if (bits.empty()) return "(no icon)";
    const auto mask = MaskBits(composed);
    for (const char* name : {"ICON_GREEN", "ICON_YELLOW", "ICON_RED", "ICON_GREEN_O", "ICON_YELLOW_O", "ICON_RED_O",
                             "ICON_IDLE", "ICON_WORK", "ICON_WORK2"}) {
      win32::ScopedIcon base(Resource(name));
      const bool freeBelow = std::string(name).starts_with("ICON_IDLE") || std::string(name).starts_with("ICON_WORK");
      const int firstRow = freeBelow ? 0 : 11;
      const auto baseMask = MaskBits(base.Get());
      bool same = ColourBits(base.Get()) == bits;
      for (int i = firstRow * 16; same && i < (firstRow + 5) * 16; ++i) same = baseMask[i] == mask[i];
      if (same) return name;
    }
    return "(unknown)";
  }
};

TEST_F(TrayIcon, ShownFromTheStartWithDigitsAndTip) {
  ShowIcon();
  TfrmRamsweep& window = Open();
  ASSERT_TRUE(IconShown(TrayWindowOf()));
  // the tip is the free memory in megabytes, as the caption writes it
  const double freeMB = static_cast<double>(win32::ReadMemoryStatus().AvailablePhysical) / 1048576.0;
  const std::string tip = form->Tray().Hint;
  std::smatch number;
  ASSERT_TRUE(std::regex_match(tip, number, std::regex(R"((\d+)[.,](\d+) MB)"))) << tip;
  EXPECT_NEAR(std::stod(number[1].str() + "." + number[2].str()), freeMB, freeMB * 0.05 + 1);
  EXPECT_EQ(std::string(form->Tray().IconData().szTip), tip);
  EXPECT_TRUE(Caption(window.Handle()).starts_with(tip)) << "the same reading as the caption";
  ASSERT_TRUE(window.ComposedTrayIcon());
  EXPECT_EQ(PictureOfComposed(), "ICON_GREEN_O") << "plenty free, background activity off";

  // the digits are opaque pixels in the free rows; the bar's rows are the base picture's
  win32::ScopedIcon base(Resource("ICON_GREEN_O"));
  const auto composed = MaskBits(window.ComposedTrayIcon());
  const auto plain = MaskBits(base.Get());
  int opaqueInFreeRows = 0;
  for (int i = 0; i < 11 * 16; ++i) {
    EXPECT_TRUE(plain[i]) << "row " << i / 16 << " of the picture is free";
    opaqueInFreeRows += !composed[i];
  }
  EXPECT_GT(opaqueInFreeRows, 4) << "some digit was drawn";
  for (int i = 11 * 16; i < 256; ++i) EXPECT_EQ(composed[i], plain[i]) << "bar pixel " << i;

  ASSERT_TRUE(Close());
  EXPECT_FALSE(IconShown(TrayWindowOf())) << "removed at close";
}

TEST_F(TrayIcon, ColourFollowsTheThresholds) {
  ShowIcon();
  Store("Background", 1);
  Open();
  EXPECT_EQ(PictureOfComposed(), "ICON_GREEN");
  // a yellow amount above the free memory (the up-down could never reach it)
  SetWindowTextA(Item(txtYellow), "2.000.000.000");
  form->RefreshMemoryReading();
  EXPECT_EQ(PictureOfComposed(), "ICON_YELLOW");
  SetWindowTextA(Item(txtCritical), "2.000.000.000");
  form->RefreshMemoryReading();
  EXPECT_EQ(PictureOfComposed(), "ICON_RED");
  // switching background activity off swaps in the ringed pictures at once
  SendMessageA(Item(chkBackground), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkBackground);
  EXPECT_EQ(PictureOfComposed(), "ICON_RED_O");
}

TEST_F(TrayIcon, FreeUpPicturesAlternateAndTheCountdownKeepsTheColour) {
  ShowIcon();
  TfrmRamsweep& window = Open();
  window.StartFreeUp(1, 3, 5, 0);
  SendMessageA(window.Handle(), WM_FREEUP_COUNTDOWN, 5, 0);
  form->RefreshMemoryReading();
  EXPECT_EQ(PictureOfComposed(), "ICON_GREEN_O") << "counting down";
  SendMessageA(window.Handle(), WM_FREEUP_COUNTDOWN, 0, 0);
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 0, 0);
  const std::string first = PictureOfComposed();
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 1, 0);
  const std::string second = PictureOfComposed();
  EXPECT_EQ(first, "ICON_WORK");
  EXPECT_EQ(second, "ICON_WORK2");
  form->RefreshMemoryReading();
  EXPECT_EQ(PictureOfComposed(), "ICON_WORK");
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  EXPECT_EQ(PictureOfComposed(), "ICON_GREEN_O");
  window.StartFreeUp(1, 3, 0, 1);
  SendMessageA(window.Handle(), WM_FREEUP_IDLE, 1, 0);
  EXPECT_EQ(PictureOfComposed(), "ICON_IDLE");
}

TEST_F(TrayIcon, ManyUpdatesLeaveNoHandleBehind) {
  ShowIcon();
  TfrmRamsweep& window = Open();
  form->RefreshMemoryReading();  // the digit font of this length exists from here on
  // each update destroys the icon it replaces, once the new one is in place
  for (int i = 0; i < 20; ++i) {
    const HICON previous = form->ComposedTrayIcon();
    form->RefreshMemoryReading();
    const HICON current = form->ComposedTrayIcon();
    ASSERT_TRUE(current);
    ICONINFO info{};
    if (current != previous) {
      EXPECT_FALSE(GetIconInfo(previous, &info)) << "the replaced icon is gone";
    }
    EXPECT_EQ(form->Tray().Icon, current);
  }
  const long before = LiveGdiObjects();
  for (int i = 0; i < 10000; ++i) form->RefreshMemoryReading();
  EXPECT_EQ(LiveGdiObjects(), before);
  // and while working, where the pictures alternate
  window.StartFreeUp(1, 3, 0, 0);
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 0, 0);
  const long working = LiveGdiObjects();
  for (int i = 0; i < 1000; ++i) form->RefreshMemoryReading();
  EXPECT_EQ(LiveGdiObjects(), working);
}

TEST_F(TrayIcon, DoubleClickRunsTheChosenAction) {
  ShowIcon();
  Open();
  const HWND tray = TrayWindowOf();
  auto backgroundChecked = [&] {
    return (GetMenuState(form->TrayMenu(), BackgroundActivity1, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  EXPECT_FALSE(backgroundChecked());
  // the default action switches background activity
  SendMessageA(tray, WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(Checked(chkBackground));
  EXPECT_TRUE(backgroundChecked());
  EXPECT_EQ(PictureOfComposed(), "ICON_GREEN");
  SendMessageA(tray, WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
  EXPECT_FALSE(Checked(chkBackground));
  EXPECT_EQ(PictureOfComposed(), "ICON_GREEN_O");

  // "Free up" the third menu amount, and not twice while it runs
  SendMessageA(Item(cboIconAction), CB_SETCURSEL, 4, 0);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(cboIconAction, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(cboIconAction)));
  SendMessageA(tray, WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
  SendMessageA(tray, WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].AmountMB, 12);
  EXPECT_EQ(started[0].MaxPasses, 3);
  EXPECT_EQ(started[0].Countdown, 0);
  EXPECT_FALSE(started[0].IdleDetect);
}

std::string MenuText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST_F(TrayIcon, MenuItemsCaptionsAndDefault) {
  Open();
  const HMENU menu = form->TrayMenu();
  ASSERT_EQ(GetMenuItemCount(menu), 10);
  const char* captions[] = {"&Show Ramsweep Pro", "&Background Activity", "", "Free and &Run",     "", "&Free up 4 MB",
                            "Fr&ee up 8 MB",      "Free &up 12 MB",       "", "E&xit Ramsweep Pro"};
  for (UINT i = 0; i < 10; ++i) EXPECT_EQ(MenuText(menu, i), captions[i]) << i;
  for (UINT separator : {2u, 4u, 8u}) EXPECT_TRUE(GetMenuState(menu, separator, MF_BYPOSITION) & MF_SEPARATOR);
  const HMENU freeAndRun = GetSubMenu(menu, 3);
  ASSERT_TRUE(freeAndRun);
  EXPECT_EQ(MenuText(freeAndRun, 0), "&Manage Entries");
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(BackgroundActivity1));

  // choosing 16 MB for the second free-up renames its item and action, and keeps the action
  SendMessageA(Item(cboMenu2), CB_SETCURSEL, 8, 0);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(cboMenu2, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(cboMenu2)));
  EXPECT_EQ(MenuText(menu, 6), "Fr&ee up 16 MB");
  char action[64] = {};
  SendMessageA(Item(cboIconAction), CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(action));
  EXPECT_STREQ(action, "Free up 16 MB");
  EXPECT_EQ(SendMessageA(Item(cboIconAction), CB_GETCURSEL, 0, 0), 1);

  // the action chooses the bold item
  SendMessageA(Item(cboIconAction), CB_SETCURSEL, 3, 0);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(cboIconAction, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(cboIconAction)));
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(mnuFree2));
}

TEST_F(TrayIcon, MenuFreeUpsAreGreyedWhileOneRuns) {
  Open();
  const HMENU menu = form->TrayMenu();
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(mnuFree2, 0), 0);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].AmountMB, 8);
  EXPECT_EQ(started[0].MaxPasses, 3);
  for (int item : {mnuExit1, mnuFree1, mnuFree2, mnuFree3}) {
    EXPECT_TRUE(GetMenuState(menu, item, MF_BYCOMMAND) & MF_GRAYED) << item;
  }
  EXPECT_TRUE(GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED) << "Free and Run";
  SendMessageA(form->Handle(), WM_FREEUP_DONE, 0, 0);
  for (int item : {mnuExit1, mnuFree1, mnuFree2, mnuFree3}) {
    EXPECT_FALSE(GetMenuState(menu, item, MF_BYCOMMAND) & MF_GRAYED) << item;
  }
  // exit from the menu closes the window
  const HWND window = form->Handle();
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(mnuExit1, 0), 0);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(TrayIcon, RightClickOpensTheMenu) {
  ShowIcon();
  Open();
  std::atomic<bool> seen{false};
  const HWND owner = form->Handle();
  // the menu is modal on the window's thread: see it, then close it from here
  ModalWatch closer(
      owner,
      [&] {
        const HWND popup = FindWindowA("#32768", nullptr);
        if (!popup || !IsWindowVisible(popup)) return false;
        seen = true;
        PostMessageA(owner, WM_CANCELMODE, 0, 0);
        return true;
      },
      10s);
  SendMessageA(TrayWindowOf(), WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
  EXPECT_TRUE(closer.Finish()) << "no menu was seen within 10 s";
  EXPECT_TRUE(seen);
}

TEST_F(TrayIcon, MinimisingHidesToTheTrayAndTheShowOperationBringsItBack) {
  ShowIcon();
  TfrmRamsweep& window = Open();
  window.ShowAtStart(SW_SHOWNORMAL);
  SendMessageA(window.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(window.Handle())) << "no taskbar button, only the icon";
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(ShowRamsweepPro1, 0), 0);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
  EXPECT_FALSE(IsIconic(window.Handle()));
}

TEST_F(TrayIcon, StartupWithTheIconShowsOnlyTheIcon) {
  ShowIcon();
  TfrmRamsweep& window = Open({"STARTUP"});
  window.ShowAtStart(SW_SHOWNORMAL);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  EXPECT_TRUE(IconShown(TrayWindowOf()));
}

TEST_F(TrayIcon, SwitchingTheIconOffRemovesItAndGreysThePage) {
  ShowIcon();
  Store("Yellow 4.1", 4500);
  Open();
  ASSERT_TRUE(IconShown(TrayWindowOf()));
  SendMessageA(Item(chkShowIcon), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkShowIcon);
  EXPECT_FALSE(IconShown(TrayWindowOf()));
  for (ControlId id : {Label14, Label15, Label16, udYellow, Label17, Label25, Label12, Label13, cboIconAction, cboMenu1,
                       cboMenu2, cboMenu3, txtYellow}) {
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
  }
  EXPECT_EQ(WindowText(Item(txtYellow)), "4.500");
  // while off, updates change nothing
  const HICON before = form->ComposedTrayIcon();
  form->RefreshMemoryReading();
  EXPECT_EQ(form->ComposedTrayIcon(), before);
  SendMessageA(Item(chkShowIcon), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkShowIcon);
  EXPECT_TRUE(IconShown(TrayWindowOf()));
  EXPECT_TRUE(IsWindowEnabled(Item(cboMenu1)));
}

TEST_F(TrayIcon, ANewTaskbarGetsTheIconBack) {
  ShowIcon();
  Open();
  ASSERT_TRUE(IconShown(TrayWindowOf()));
  // as when the shell restarts: the icon is gone and the shell announces a new taskbar
  ASSERT_TRUE(form->Tray().DeleteIcon());
  form->Tray().ForgetTrayWindow();
  SendMessageA(TrayWindowOf(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(IconShown(TrayWindowOf()));
  // with the icon switched off, the announcement brings nothing back
  SendMessageA(Item(chkShowIcon), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkShowIcon);
  form->Tray().ForgetTrayWindow();
  SendMessageA(TrayWindowOf(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_FALSE(IconShown(TrayWindowOf()));
}

TEST_F(TrayIcon, EndOfTheWindowsSessionRemovesTheIconOnlyWhenItEnds) {
  ShowIcon();
  TfrmRamsweep& window = Open();
  const HWND handle = window.Handle();
  const HWND callback = TrayWindowOf();
  ASSERT_TRUE(IconShown(callback));
  // a shutdown that is cancelled (here by the window itself, busy with a free-up): the session goes
  // on, and so do the window and its icon
  window.StartFreeUp(1, 1, 0, 0);
  EXPECT_EQ(SendMessageA(handle, WM_QUERYENDSESSION, 0, 0), FALSE);
  SendMessageA(handle, WM_ENDSESSION, FALSE, 0);
  EXPECT_TRUE(IconShown(callback));
  EXPECT_TRUE(IsWindow(handle));
  // the session really ends: the icon goes, and the window with it
  SendMessageA(handle, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(IconShown(callback));
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(TrayIcon, TheTaskbarAnnouncementAddsTheIconEvenAfterAFailedAddToTheNewTaskbar) {
  ShowIcon();
  Open();
  // As when the last add reached a new taskbar before it took icons: the add failed, yet the new
  // taskbar was recorded, so the taskbar check finds nothing changed.
  ASSERT_TRUE(form->Tray().DeleteIcon());
  ASSERT_EQ(form->Tray().TrayWindow(), FindWindowA("Shell_TrayWnd", nullptr));
  form->RefreshMemoryReading();
  ASSERT_FALSE(IconShown(TrayWindowOf()));
  SendMessageA(TrayWindowOf(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(IconShown(TrayWindowOf()));
}

TEST_F(TrayIcon, TheComponentNeverHoldsAReleasedPicture) {
  ShowIcon();
  // digits that cannot be drawn: the state's plain picture shows
  configure = [](TfrmRamsweep::Options& options) {
    options.composeTrayIcon = [](HICON, const std::string&, int) -> HICON { return nullptr; };
  };
  Open();
  auto holdsALivePicture = [&] {
    ICONINFO info{};
    if (!GetIconInfo(form->Tray().Icon, &info)) return false;
    win32::ScopedBitmap mask(info.hbmMask), colour(info.hbmColor);
    return form->Tray().Icon == form->ComposedTrayIcon();
  };
  ASSERT_TRUE(IconShown(TrayWindowOf()));
  EXPECT_TRUE(holdsALivePicture());
  EXPECT_EQ(ColourBits(form->Tray().Icon), ColourBits(win32::ScopedIcon(Resource("ICON_GREEN_O")).Get()));
  // icon off, background activity switched (the pictures are loaded anew), icon on again
  SendMessageA(Item(chkShowIcon), BM_SETCHECK, BST_UNCHECKED, 0);
  Click(chkShowIcon);
  SendMessageA(Item(chkBackground), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkBackground);
  EXPECT_TRUE(holdsALivePicture()) << "what the next add hands to the shell";
  SendMessageA(Item(chkShowIcon), BM_SETCHECK, BST_CHECKED, 0);
  Click(chkShowIcon);
  EXPECT_TRUE(IconShown(TrayWindowOf()));
  EXPECT_TRUE(holdsALivePicture());
  EXPECT_EQ(ColourBits(form->Tray().Icon), ColourBits(win32::ScopedIcon(Resource("ICON_GREEN")).Get()));
}

TEST_F(TrayIcon, YellowUpDownSteps) {
  ShowIcon();
  Store("Yellow 4.1", 9950);
  Open();
  auto press = [&](int delta) {
    NMUPDOWN change{};
    change.hdr = {Item(udYellow), static_cast<UINT_PTR>(udYellow), static_cast<UINT>(UDN_DELTAPOS)};
    change.iDelta = delta;
    SendMessageA(form->Handle(), WM_NOTIFY, udYellow, reinterpret_cast<LPARAM>(&change));
  };
  press(1);
  EXPECT_EQ(WindowText(Item(txtYellow)), "10.050");
  press(1);
  EXPECT_EQ(WindowText(Item(txtYellow)), "11.000");
}

// The notification area's pixels, to see when the shell has drawn a change.
std::vector<std::uint32_t> ScreenPixels(HWND window) {
  const auto capture = CaptureWindow(window);
  return capture ? capture->pixels : std::vector<std::uint32_t>{};
}

// Whether the picture shows `icon` at 16 by 16 somewhere: every opaque pixel of the icon in its
// own colour.
bool ShowsIcon(const ScreenCapture& picture, HICON icon) {
  const IconBits bits = ReadIcon(icon);
  if (bits.colour.empty()) return false;
  std::vector<std::pair<int, std::uint32_t>> opaque;  // offset in the picture's rows, colour
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * 16 + x);
      if ((bits.mask[i] & 0xFFFFFF) == 0) opaque.emplace_back(y * picture.width + x, bits.colour[i] & 0xFFFFFF);
    }
  }
  if (opaque.empty()) return false;
  for (int top = 0; top + 16 <= picture.height; ++top) {
    for (int left = 0; left + 16 <= picture.width; ++left) {
      const std::size_t origin = static_cast<std::size_t>(top * picture.width + left);
      bool all = true;
      for (const auto& [offset, colour] : opaque) {
        if ((picture.pixels[origin + static_cast<std::size_t>(offset)] & 0xFFFFFF) != colour) {
          all = false;
          break;
        }
      }
      if (all) return true;
    }
  }
  return false;
}

TEST_F(TrayIcon, PictureOfTheTaskbarInEachState) {
  ShowIcon();
  Store("Background", 1);
  Open();
  const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  ASSERT_TRUE(taskbar);
  const std::string folder = PictureFolder();
  struct Look {
    const char* name;
    const char* critical;
    const char* yellow;
    bool background;
    const char* picture;  // the icon the look is drawn from
  };
  std::vector<std::uint32_t> shown;
  for (const Look& look :
       {Look{"green", "500", "3.000", true, "ICON_GREEN"}, Look{"yellow", "500", "2.000.000.000", true, "ICON_YELLOW"},
        Look{"red", "2.000.000.000", "3.000", true, "ICON_RED"},
        Look{"green-off", "500", "3.000", false, "ICON_GREEN_O"}}) {
    SetWindowTextA(Item(txtCritical), look.critical);
    SetWindowTextA(Item(txtYellow), look.yellow);
    if (Checked(chkBackground) != look.background) {
      SendMessageA(Item(chkBackground), BM_SETCHECK, look.background ? BST_CHECKED : BST_UNCHECKED, 0);
      Click(chkBackground);
    }
    form->RefreshMemoryReading();
    EXPECT_EQ(PictureOfComposed(), look.picture) << look.name;
    // the shell draws the icon in its own process: wait until the taskbar shows this very icon
    const HICON icon = form->ComposedTrayIcon();
    EXPECT_TRUE(WaitUntil(
        [&] {
          const auto picture = CaptureWindow(taskbar);
          return picture && ShowsIcon(*picture, icon);
        },
        5s))
        << look.name;
    if (!shown.empty()) {
      EXPECT_NE(ScreenPixels(taskbar), shown) << look.name << " looks like the look before";
    }
    shown = ScreenPixels(taskbar);
    const auto picture = CaptureWindow(taskbar);
    ASSERT_TRUE(picture) << look.name;
    RECT bounds{};
    GetWindowRect(taskbar, &bounds);
    EXPECT_EQ(picture->width, bounds.right - bounds.left) << look.name;
    EXPECT_EQ(picture->height, bounds.bottom - bounds.top) << look.name;
    EXPECT_TRUE(SaveWindowPicture(taskbar, folder + "taskbar-" + look.name + ".bmp")) << look.name;
  }
}

// A window that records the commands it is sent.
LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(LOWORD(wParam)));
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(TraybarMenu, ThePopupMenuDeliversTheChosenCommandToTheOwner) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &RecordCommands;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "RecordCommands";
  RegisterClassA(&wc);
  win32::ScopedWindow owner(CreateWindowExA(0, "RecordCommands", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                            GetModuleHandleA(nullptr), nullptr));
  ASSERT_TRUE(owner);
  auto tray = TTraybar::Create(GetModuleHandleA(nullptr), owner.Get());
  ASSERT_TRUE(tray);
  win32::ScopedMenu menu(CreatePopupMenu());
  AppendMenuA(menu.Get(), MF_STRING, 4711, "&First");
  AppendMenuA(menu.Get(), MF_STRING, 4712, "&Second");
  tray->PopupMenu = menu.Get();

  std::atomic<bool> seen{false};
  std::atomic<HWND> foreground{nullptr};
  std::thread chooser([&] {
    // the menu is modal on this thread: once it is up, choose its second item by its access key
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      const HWND popup = FindWindowA("#32768", nullptr);
      if (popup && IsWindowVisible(popup)) {
        seen = true;
        foreground = GetForegroundWindow();
        PostMessageA(popup, WM_KEYDOWN, 'S', 0);
        PostMessageA(popup, WM_CHAR, 's', 0);
        return;
      }
      Sleep(20);
    }
  });
  SendMessageA(tray->CallbackWindow(), WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
  chooser.join();
  ASSERT_TRUE(seen) << "the menu opened";
  EXPECT_EQ(foreground.load(), tray->CallbackWindow()) << "its window in front first";
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(GetWindowLongPtrA(owner.Get(), GWLP_USERDATA), 4712);
  tray->PopupMenu = nullptr;
}

}  // namespace
}  // namespace rsw::test
