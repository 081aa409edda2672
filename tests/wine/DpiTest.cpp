// The program at the display scale of the test prefix (96, 120, 144 or 192 DPI): the main window,
// its fonts, the tray picture and the Free-and-Run forms are the 96-DPI figures scaled, and a
// WM_DPICHANGED lays the window out again. `make test` runs these once per scale, each scale in a
// prefix of its own (RSW_DPI names the scale the prefix was made with).
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "display/StatusDisplay.h"
#include "display/win32/TTraybar.h"
#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "freeandrun/win32/TfrmErrorRun.h"
#include "freeandrun/win32/TfrmManageEntries.h"
#include "freeandrun/win32/TfrmShowRun.h"
#include "shell/win32/Win32Registry.h"
#include "wine/MainWindowFixture.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

int ScreenDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

int At(int value, int dpi) { return MulDiv(value, dpi, 96); }

RECT ClientRectOf(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

// A control's rectangle in its parent's client coordinates.
RECT RectIn(HWND parent, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  const auto handle = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  if (handle) GetObjectA(handle, sizeof font, &font);
  return font;
}

int TextWidth(HWND control) {
  char text[256] = {};
  const int length = GetWindowTextA(control, text, sizeof text);
  const HDC dc = GetDC(control);
  const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text, length, &extent);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return extent.cx;
}

bool Grows(const ControlRow& row) {
  return (row.kind == Kind::Label && row.page != Page::About && row.id != Label3 && row.id != labNext &&
          row.id != Label15 && row.id != labLastResult) ||
         row.kind == Kind::Check;
}

class Dpi : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    dpi = ScreenDpi();
    if (const char* expected = std::getenv("RSW_DPI")) {
      ASSERT_EQ(dpi, std::atoi(expected)) << "the test prefix was made for another display scale";
    }
  }

  // The origin of the pages' display area in the window's client coordinates.
  POINT PageOrigin() const {
    const HWND tabs = Item(PageControl1);
    RECT area = ClientRectOf(tabs);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    const RECT tabsRect = RectIn(form->Handle(), tabs);
    return {tabsRect.left + area.left, tabsRect.top + area.top};
  }

  // Every control of the page table where its 96-DPI figures put it at `at` DPI (within a pixel),
  // labels that grow to their text uncut, and the page text in the font of that DPI.
  void ExpectLayoutAt(int at) {
    const HWND window = form->Handle();
    const RECT client = ClientRectOf(window);
    EXPECT_NEAR(client.right, At(kClientWidth, at), 1) << "client width at " << at;
    EXPECT_NEAR(client.bottom, At(kClientHeight, at), 1) << "client height at " << at;
    const RECT tabs = RectIn(window, Item(PageControl1));
    EXPECT_NEAR(tabs.left, At(kPanelBorder, at), 1);
    EXPECT_NEAR(tabs.right, At(kClientWidth - kPanelBorder, at), 1);
    EXPECT_NEAR(tabs.bottom, At(kClientHeight - kPanelBorder, at), 1);
    const POINT origin = PageOrigin();
    // a box may only move right when a label before it on its row grew
    std::map<int, std::vector<const ControlRow*>> grownOnPage;
    int fittedLabels = 0;
    const auto rows = MainWindowControls();
    for (std::size_t index = 0; index < rows.size(); ++index) {
      const ControlRow& row = rows[index];
      SCOPED_TRACE(std::string("control ") + std::to_string(row.id) + " \"" + row.text + "\" at " + std::to_string(at) +
                   " DPI");
      if (row.kind == Kind::UpDown) continue;
      const HWND control = Item(row.id);
      ASSERT_TRUE(control);
      RECT r = RectIn(window, control);
      // an edit and the up-down beside it share the edit's planned place (the up-down overlaps the
      // edit's border by a pixel or two, as the system aligns it)
      int widthTolerance = 1;
      if (index + 1 < rows.size() && rows[index + 1].kind == Kind::UpDown) {
        widthTolerance = 3;
        const RECT upDown = RectIn(window, Item(rows[index + 1].id));
        EXPECT_NEAR(upDown.left, r.right, 2) << "the up-down sits on the edit's right edge";
        EXPECT_NEAR(upDown.top, r.top, 1);
        r.right = upDown.right;
      }
      const int x = r.left - origin.x;
      const int y = r.top - origin.y;
      EXPECT_NEAR(y, At(row.y, at), 1);
      if (Grows(row)) {
        EXPECT_GE(r.right - r.left, TextWidth(control) + (row.kind == Kind::Check ? 1 : 0)) << "cut off";
        EXPECT_LE(r.right, tabs.right) << "runs off the page";
        EXPECT_NEAR(r.bottom - r.top, At(row.h, at), 1);
        // grown to its text, or narrowed to it to keep a long row on the page
        if (std::abs(r.right - r.left - At(row.w, at)) > 1) grownOnPage[static_cast<int>(row.page)].push_back(&row);
      } else {
        bool pushed = false;
        for (const ControlRow* grown : grownOnPage[static_cast<int>(row.page)]) {
          pushed = pushed || std::abs(grown->y - row.y) <= 4;  // the rows' tolerance at 96 DPI
        }
        if (pushed) {
          // moved along its row by a label before it; on the page all the same
          EXPECT_GE(x, 0);
          EXPECT_LE(r.right, tabs.right);
        } else {
          EXPECT_NEAR(x, At(row.x, at), 1);
        }
        // a combo box may be narrowed to its widest item to keep a long row on the page
        if (row.kind == Kind::Combo && pushed) {
          EXPECT_LE(r.right - r.left, At(row.w, at) + 1);
        } else {
          EXPECT_NEAR(r.right - r.left, At(row.w, at), widthTolerance);
        }
        // a list box is as high as its items, a combo box shows one line of its list
        if (row.kind != Kind::List && row.kind != Kind::Combo) {
          EXPECT_NEAR(r.bottom - r.top, At(row.h, at), 1);
        }
      }
      // the chart and the links have fonts of their own, a track bar shows no text
      if (row.kind == Kind::Chart || row.kind == Kind::Track || row.id == mdURLLabel1 || row.id == mdURLLabel2) {
        continue;
      }
      const LOGFONTA font = FontOf(control);
      if (Grows(row) && font.lfHeight != -At(11, at)) {
        // too long for its row at this scale: all of it in a slightly smaller size, never cut
        EXPECT_GE(-font.lfHeight, At(11, at) * 3 / 4) << row.id;
        EXPECT_LT(-font.lfHeight, At(11, at)) << row.id;
        EXPECT_EQ(font.lfFaceName, std::string("MS Sans Serif"));
        ++fittedLabels;
        continue;
      }
      EXPECT_EQ(font.lfHeight, -At(row.id == Label5 ? 29 : 11, at)) << "page text in the scaled font, " << row.id;
    }
    EXPECT_EQ(FontOf(Item(PageControl1)).lfHeight, -At(11, at));
    EXPECT_LE(fittedLabels, 1) << "more than the one long label of the Background page needed a smaller size";
    if (at == 96) {
      EXPECT_EQ(fittedLabels, 0) << "at 96 DPI every label has the page font";
    }
  }

  void ShowPageNumber(int page) {
    SendMessageA(Item(PageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    NMHDR change{Item(PageControl1), static_cast<UINT_PTR>(PageControl1), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(form->Handle(), WM_NOTIFY, PageControl1, reinterpret_cast<LPARAM>(&change));
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }

  // WM_DPICHANGED as the system sends it: the new DPI and a window rectangle for it.
  void SendDpiChanged(int newDpi) {
    const HWND window = form->Handle();
    RECT frame{0, 0, At(kClientWidth, newDpi), At(kClientHeight, newDpi)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
    RECT here{};
    GetWindowRect(window, &here);
    OffsetRect(&frame, here.left - frame.left, here.top - frame.top);
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&frame));
  }

  std::string Name(const std::string& what) const { return "dpi-" + std::to_string(dpi) + "-" + what + ".bmp"; }

  int dpi = 96;
};

TEST_F(Dpi, ClientAreaControlsAndFontsAreThe96DpiFiguresScaled) {
  Open();
  EXPECT_EQ(form->Dpi(), dpi);
  ExpectLayoutAt(dpi);
}

TEST_F(Dpi, TheLastResultLineKeepsToThePageAtEveryScale) {
  TfrmRamsweep& window = Open();
  window.ShowAtStart(SW_SHOWNORMAL);
  Click(butAlloc);
  SendMessageA(window.Handle(), WM_FREEUP_PASS, 0, 0);
  SendMessageA(window.Handle(), WM_FREEUP_DONE, 0, 0);
  ShowPageNumber(static_cast<int>(Page::FreeMemory));
  const HWND line = Item(labLastResult);
  ASSERT_TRUE(IsWindowVisible(line));
  const RECT r = RectIn(window.Handle(), line);
  const RECT button = RectIn(window.Handle(), Item(butAlloc));
  const RECT tabs = RectIn(window.Handle(), Item(PageControl1));
  EXPECT_GT(r.left, button.right);
  EXPECT_LE(r.right, tabs.right) << "cut at the page's edge, not beyond it";
  EXPECT_NEAR(r.right - r.left, At(239, dpi), 1);
  EXPECT_EQ(FontOf(line).lfHeight, -At(11, dpi)) << "the page font";
  EXPECT_GE(r.bottom - r.top, At(13, dpi) - 1) << "a whole line of it";
  EXPECT_TRUE(SaveWindowPicture(window.Handle(), PictureFolder() + Name("free-memory-last-result")));
}

TEST_F(Dpi, PictureOfEveryPage) {
  Store("Icon", 1);
  Store("AutoRun", 1);
  Open();
  form->ShowAtStart(SW_SHOWNORMAL);
  SetWindowPos(form->Handle(), HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE);
  for (int page = 0; page < kPageCount; ++page) {
    ShowPageNumber(page);
    ExpectPageDrawn(page, kPageCaptions[page]);
    const std::string path =
        PictureFolder() + Name("page-" + std::to_string(page + 1) + "-" + std::string(kPageCaptions[page]));
    EXPECT_TRUE(SaveWindowPicture(form->Handle(), path)) << path;
  }
}

// Moving to a monitor of another scale: everything is laid out for the new DPI in the rectangle
// the system suggests, and moving back gives exactly the layout the window started with.
TEST_F(Dpi, DpiChangedLaysTheWindowOutAgain) {
  Open();
  form->ShowAtStart(SW_SHOWNORMAL);
  std::vector<RECT> before;
  for (const ControlRow& row : MainWindowControls()) before.push_back(RectIn(form->Handle(), Item(row.id)));
  const int other = dpi == 192 ? 120 : 192;

  SendDpiChanged(other);
  EXPECT_EQ(form->Dpi(), other);
  ExpectLayoutAt(other);
  ShowPageNumber(static_cast<int>(Page::Idle));
  EXPECT_TRUE(SaveWindowPicture(form->Handle(), PictureFolder() + Name("relaid-at-" + std::to_string(other))));

  SendDpiChanged(dpi);
  EXPECT_EQ(form->Dpi(), dpi);
  ExpectLayoutAt(dpi);
  std::size_t i = 0;
  for (const ControlRow& row : MainWindowControls()) {
    const RECT now = RectIn(form->Handle(), Item(row.id));
    const RECT& was = before[i++];
    EXPECT_TRUE(EqualRect(&now, &was)) << "control " << row.id << " \"" << row.text << "\" was " << was.left << ","
                                       << was.top << "-" << was.right << "," << was.bottom << ", now " << now.left
                                       << "," << now.top << "-" << now.right << "," << now.bottom;
  }
}

// A message with no rectangle (another program's) still lays out, at the window's place.
TEST_F(Dpi, DpiChangedWithoutARectangleKeepsThePlace) {
  Open();
  RECT here{};
  GetWindowRect(form->Handle(), &here);
  SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
  ExpectLayoutAt(144);
  RECT moved{};
  GetWindowRect(form->Handle(), &moved);
  EXPECT_EQ(moved.left, here.left);
  EXPECT_EQ(moved.top, here.top);
  // nonsense is taken as 96
  SendMessageA(form->Handle(), WM_DPICHANGED, 0, 0);
  ExpectLayoutAt(96);
}

// The opaque pixels of an icon's mask, top row first; none when it cannot be read.
std::vector<bool> OpaquePixels(HICON icon, int size) {
  const auto bits = ReadIconPixels(icon, size);
  if (!bits) return {};
  std::vector<bool> opaque(bits->mask.size());
  for (std::size_t i = 0; i < opaque.size(); ++i) opaque[i] = (bits->mask[i] & 0xFFFFFF) == 0;
  return opaque;
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  win32::ScopedBitmap mask(info.hbmMask), colour(info.hbmColor);
  BITMAP bitmap{};
  GetObjectA(colour.Get(), sizeof bitmap, &bitmap);
  return {bitmap.bmWidth, bitmap.bmHeight};
}

// The picture handed to the shell is square at the small-icon size of this DPI, and the free
// megabytes fill the rows its bar leaves free.
TEST_F(Dpi, TrayPictureAtTheSmallIconSizeWithTheDigitsInItsFreeRows) {
  Store("Icon", 1);
  Store("Background", 1);
  configure = [](TfrmRamsweep::Options& options) {
    options.memory = [] {
      MemoryStatus status{};
      status.TotalPhysical = 2048ull << 20;
      status.AvailablePhysical = 1234ull << 20;  // "1234": four digits, the widest text
      return status;
    };
  };
  Open();
  const std::map<int, int> smallIcon{{96, 16}, {120, 20}, {144, 24}, {192, 32}};
  const int size = GetSystemMetrics(SM_CXSMICON);
  if (smallIcon.contains(dpi)) {
    EXPECT_EQ(size, smallIcon.at(dpi));
  }
  EXPECT_EQ(form->TrayPictureSize(), size);
  const HICON composed = form->ComposedTrayIcon();
  ASSERT_TRUE(composed);
  const SIZE pictureSize = IconSize(composed);
  EXPECT_EQ(pictureSize.cx, size);
  EXPECT_EQ(pictureSize.cy, size);
  EXPECT_EQ(form->Tray().Icon, composed) << "handed to the shell";

  win32::ScopedIcon base(
      static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "ICON_GREEN", IMAGE_ICON, size, size, 0)));
  ASSERT_EQ(IconSize(base.Get()).cx, size) << "the icon file holds a picture of this size";
  const std::vector<bool> before = OpaquePixels(base.Get(), size);
  const std::vector<bool> after = OpaquePixels(composed, size);
  ASSERT_EQ(before.size(), static_cast<std::size_t>(size * size)) << "the base picture read";
  ASSERT_EQ(after.size(), before.size());
  const TrayDigitMetrics& metrics = TrayDigitMetricsFor(size);
  int top = size, bottom = -1, left = size, right = -1;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * size + x);
      if (!after[i] || before[i]) continue;
      EXPECT_LT(y, metrics.colourFreeRows) << "a digit pixel below the free rows";
      top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x), right = std::max(right, x);
    }
  }
  ASSERT_GE(bottom, 0) << "no digits drawn";
  // legible: the digits take most of the free rows and most of the width
  // legible: four digits take most of the width and a third of the free rows (the width limits
  // their height, as in the classic 16-pixel picture)
  EXPECT_GE(bottom - top + 1, metrics.colourFreeRows / 3) << "digits " << top << ".." << bottom;
  EXPECT_GE(right - left + 1, size * 2 / 3) << "digits " << left << ".." << right;
}

TEST_F(Dpi, PictureOfTheTaskbar) {
  Store("Icon", 1);
  Store("Background", 1);
  Open();
  const HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  ASSERT_TRUE(taskbar);
  ASSERT_TRUE(WaitUntil([] { return !BalloonShown(); }, 15s)) << "no balloon over the picture";
  // the shell draws the icon in its own process: wait until the taskbar shows this very picture
  // at the small-icon size of this scale
  const int size = GetSystemMetrics(SM_CXSMICON);
  const HICON icon = form->ComposedTrayIcon();
  ASSERT_TRUE(icon);
  EXPECT_TRUE(WaitUntil(
      [&] {
        const auto picture = CaptureWindow(taskbar);
        return picture && ShowsIcon(*picture, icon, size);
      },
      5s))
      << "the icon is not in the taskbar at " << size << " pixels";
  EXPECT_TRUE(SaveWindowPicture(taskbar, PictureFolder() + Name("taskbar")));
}

// ---- the Free-and-Run forms ----

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class DpiForms : public ::testing::Test {
 protected:
  void SetUp() override {
    dpi = ScreenDpi();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RswDpiFormsOwner";
    RegisterClassExA(&wc);
    owner.Reset(CreateWindowExA(0, "RswDpiFormsOwner", "Ramsweep Pro", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(owner);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }

  void ExpectClient(HWND form, int width, int height) {
    const RECT client = ClientRectOf(form);
    EXPECT_NEAR(client.right, At(width, dpi), 1);
    EXPECT_NEAR(client.bottom, At(height, dpi), 1);
  }
  void ExpectControl(HWND form, int id, int x, int y, int w, int h) {
    const RECT r = RectIn(form, GetDlgItem(form, id));
    EXPECT_NEAR(r.left, At(x, dpi), 1) << id;
    EXPECT_NEAR(r.top, At(y, dpi), 1) << id;
    EXPECT_NEAR(r.right - r.left, At(w, dpi), 1) << id;
    EXPECT_NEAR(r.bottom - r.top, At(h, dpi), 1) << id;
    EXPECT_EQ(FontOf(GetDlgItem(form, id)).lfHeight, -At(11, dpi)) << id;
  }
  void Picture(HWND form, const std::string& what) {
    ShowWindow(form, SW_SHOWNOACTIVATE);
    UpdateWindow(form);
    WaitUntil([] { return false; }, 50ms);
    EXPECT_TRUE(SaveWindowPicture(form, PictureFolder() + "dpi-" + std::to_string(dpi) + "-" + what + ".bmp"));
  }

  static constexpr const char* kScratch = "Software\\RamsweepProTests\\DpiForms";
  int dpi = 96;
  win32::ScopedWindow owner;
  win32::Win32Registry backend;
  uRegistry registry{backend};
  win32::Win32Collation collation;
};

TEST_F(DpiForms, ProgramNotFoundAndRunProgressAreScaled) {
  auto error = win32::TfrmErrorRun::Create(owner.Get());
  ASSERT_TRUE(error);
  ExpectClient(error->Handle(), 308, 126);
  ExpectControl(error->Handle(), win32::TfrmErrorRun::Button1, 120, 88, 75, 25);
  ExpectControl(error->Handle(), win32::TfrmErrorRun::Label2, 8, 32, 289, 41);
  const HWND title = GetDlgItem(error->Handle(), win32::TfrmErrorRun::Label1);
  EXPECT_EQ(FontOf(title).lfHeight, -At(16, dpi));
  EXPECT_GE(RectIn(error->Handle(), title).right - RectIn(error->Handle(), title).left, TextWidth(title))
      << "the title is uncut";
  Picture(error->Handle(), "free-and-run-not-found");

  auto progress = win32::TfrmShowRun::Create(owner.Get(), "Editor (16 MB)");
  ASSERT_TRUE(progress);
  ExpectClient(progress->Handle(), 280, 67);
  ExpectControl(progress->Handle(), win32::TfrmShowRun::lblProgram, 9, 41, 265, 13);
  Picture(progress->Handle(), "free-and-run-progress");
}

TEST_F(DpiForms, ManageEntriesIsScaledAndFollowsADpiChange) {
  FreeAndRunList list(registry, collation, std::string("HKEY_CURRENT_USER\\") + kScratch);
  list.AddFreeAndRunEntry(8, "C:\\Tools\\Editor.exe", "Editor (16 MB)");
  win32::TfrmManageEntries::Options options;
  options.selectedAmount = 8;
  auto form = win32::TfrmManageEntries::Create(owner.Get(), list, registry, options);
  ASSERT_TRUE(form);
  const HWND dialog = form->Handle();
  ExpectClient(dialog, 456, 248);
  ExpectControl(dialog, win32::TfrmManageEntries::ItemList, 16, 48, 185, 177);
  ExpectControl(dialog, win32::TfrmManageEntries::Button1, 352, 200, 89, 25);
  Picture(dialog, "free-and-run-manage-list");

  const int other = dpi == 192 ? 120 : 192;
  RECT frame{0, 0, At(456, other), At(248, other)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
  SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&frame));
  const int own = dpi;
  dpi = other;
  ExpectClient(dialog, 456, 248);
  ExpectControl(dialog, win32::TfrmManageEntries::ItemList, 16, 48, 185, 177);
  ExpectControl(dialog, win32::TfrmManageEntries::Button1, 352, 200, 89, 25);
  dpi = own;
}

// ---- the manifest as built into the program ----

std::string ManifestOf(const std::string& program) {
  const HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string text;
  if (const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {  // RT_MANIFEST
    const HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    if (bytes) text.assign(bytes, SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

// Collapses blanks, so the check does not depend on the file's layout.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    out += c;
  }
  return out;
}

TEST(DpiManifest, TheProgramDeclaresPerMonitorV2WithTheSystemDpiAsFallback) {
  const std::string manifest = Squeezed(ManifestOf(ProgramPath()));
  ASSERT_FALSE(manifest.empty()) << "rswpro.exe carries no manifest";
  EXPECT_NE(manifest.find("<dpiAwarexmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"),
            std::string::npos)
      << manifest;
  EXPECT_NE(manifest.find("<dpiAwarenessxmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2,"
                          "System</dpiAwareness>"),
            std::string::npos)
      << manifest;
  // both inside the windowsSettings of the asm.v3 application element, where the loader looks
  const std::size_t settings =
      manifest.find("<applicationxmlns=\"urn:schemas-microsoft-com:asm.v3\"><windowsSettings>");
  ASSERT_NE(settings, std::string::npos) << manifest;
  EXPECT_LT(settings, manifest.find("<dpiAware"));
  EXPECT_LT(manifest.find("</dpiAwareness>"), manifest.find("</windowsSettings>"));
}

}  // namespace
}  // namespace rsw::test
