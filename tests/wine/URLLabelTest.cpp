// The hyperlink label as a real window: its cursor resource, mouse and keyboard, the click's
// target (recorded, not opened) and the open commands of the real registry.

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/win32/TmdURLLabel.h"
#include "shell/win32/Win32Registry.h"

namespace rsw::test {
namespace {

using win32::TmdURLLabel;

class URLLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_parent = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 120, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(m_parent);
    m_button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 4, 4, 60, 20, m_parent, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    label = TmdURLLabel::Create(m_parent, 101, 4, 40, 250, 16);
    ASSERT_TRUE(label);
    label->SetCaption("Click here for the latest updates");
    label->SetURL("https://www.vondrel-aske.example/ramsweep");
    label->OnClick = [this](TmdURLLabel&) { events.push_back("OnClick"); };
    label->OpenLink = [this](const std::string& target) { events.push_back("open " + target); };
  }
  void TearDown() override {
    label.reset();
    if (m_parent) DestroyWindow(m_parent);
  }
  void ClickAt(int x, int y) {
    SendMessageA(label->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(label->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }

  HWND m_parent = nullptr;
  HWND m_button = nullptr;
  std::unique_ptr<TmdURLLabel> label;
  std::vector<std::string> events;
};

TEST(LinkCursor, IsTheHandDrawnInTheResourcesWithItsHotSpotAtTheTopLeft) {
  const HCURSOR cursor = TmdURLLabel::LinkCursor();
  ASSERT_TRUE(cursor);
  EXPECT_NE(cursor, LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // not the system's hand
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 0u);
  EXPECT_EQ(info.yHotspot, 0u);
  EXPECT_EQ(info.hbmColor, nullptr);  // monochrome: both pictures in the mask
  BITMAP mask{};
  ASSERT_EQ(GetObjectA(info.hbmMask, sizeof mask, &mask), static_cast<int>(sizeof mask));
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmHeight, 64);
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(mask.bmWidthBytes) * 64);
  ASSERT_GT(GetBitmapBits(info.hbmMask, static_cast<LONG>(bits.size()), bits.data()), 0);
  const auto row = [&](int y) { return bits[static_cast<std::size_t>(y * mask.bmWidthBytes)]; };
  EXPECT_EQ(row(0), 0xF3);       // AND, top row: the fingertip's two black pixels at 4 and 5
  EXPECT_EQ(row(32 + 0), 0x00);  // XOR, top row: no white
  EXPECT_EQ(row(32 + 1), 0x0C);  // XOR, second row: the finger's white inside at 4 and 5
  DeleteObject(info.hbmMask);
}

TEST_F(URLLabelTest, CursorIsTheHandWhileTheLabelActsAsALink) {
  label->SetLabelType(TmdLabelType::Link);
  SendMessageA(label->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label->Handle()), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(GetCursor(), TmdURLLabel::LinkCursor());
  label->SetLabelType(TmdLabelType::Passive);
  SendMessageA(label->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label->Handle()), MAKELPARAM(HTCLIENT, 0));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
}

TEST_F(URLLabelTest, ClickRunsOnClickThenOpensTheAddressWithItsScheme) {
  label->SetLabelType(TmdLabelType::Link);
  char text[64] = {};
  GetWindowTextA(label->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Click here for the latest updates");
  ClickAt(5, 5);
  EXPECT_EQ(events, (std::vector<std::string>{"OnClick", "open https://www.vondrel-aske.example/ramsweep"}));
  events.clear();
  ClickAt(400, 5);  // released outside the label: no click
  EXPECT_TRUE(events.empty());
  label->SetURL("mailto:ramsweep@vondrel-aske.example");
  ClickAt(5, 5);
  EXPECT_EQ(events, (std::vector<std::string>{"OnClick", "open mailto:ramsweep@vondrel-aske.example"}));
}

TEST_F(URLLabelTest, PassiveLabelOnlyRunsOnClick) {
  label->SetLabelType(TmdLabelType::Passive);
  ClickAt(5, 5);
  EXPECT_EQ(events, std::vector<std::string>{"OnClick"});
}

TEST_F(URLLabelTest, TabReachesALinkAndEnterOrSpaceOpensIt) {
  label->SetLabelType(TmdLabelType::Link);
  EXPECT_EQ(GetNextDlgTabItem(m_parent, m_button, FALSE), label->Handle());
  SetFocus(label->Handle());
  EXPECT_EQ(GetFocus(), label->Handle());
  MSG enter{label->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001, 0, {}};
  EXPECT_EQ(SendMessageA(label->Handle(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)),
            DLGC_WANTMESSAGE);
  SendMessageA(label->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  SendMessageA(label->Handle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
  SendMessageA(label->Handle(), WM_KEYDOWN, VK_SPACE, 0x40390001);  // auto-repeat: no second opening
  const std::string open = "open https://www.vondrel-aske.example/ramsweep";
  EXPECT_EQ(events, (std::vector<std::string>{"OnClick", open, "OnClick", open}));

  // a passive label is no tab stop and ignores the keys
  label->SetLabelType(TmdLabelType::Passive);
  EXPECT_NE(GetNextDlgTabItem(m_parent, m_button, FALSE), label->Handle());
  events.clear();
  SendMessageA(label->Handle(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  EXPECT_TRUE(events.empty());
}

TEST_F(URLLabelTest, FontsAreCopiesAndTheShownOneChangesWithTheLabelType) {
  const HFONT given = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
  ASSERT_TRUE(given);
  ASSERT_TRUE(label->SetLinkFont(given, RGB(0, 0, 255)));
  ASSERT_TRUE(label->SetPassiveFont(given, GetSysColor(COLOR_WINDOWTEXT)));
  DeleteObject(given);  // the label holds its own copies
  LOGFONTA copy{};
  ASSERT_EQ(GetObjectA(label->LinkFont(), sizeof copy, &copy), static_cast<int>(sizeof copy));
  EXPECT_STREQ(copy.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(copy.lfHeight, -11);
  EXPECT_FALSE(copy.lfUnderline);
  label->SetLabelType(TmdLabelType::Link);
  EXPECT_EQ(label->ShownFont(), label->LinkFont());
  EXPECT_EQ(label->ShownColor(), RGB(0, 0, 255));
  label->SetLabelType(TmdLabelType::Passive);
  EXPECT_EQ(label->ShownFont(), label->PassiveFont());
  EXPECT_EQ(label->ShownColor(), GetSysColor(COLOR_WINDOWTEXT));
}

// The text the real tooltip holds for the label: asked of every tooltip window of this thread
// that has the label as a tool; nullopt when none has.
BOOL CALLBACK CollectTooltips(HWND window, LPARAM found) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::optional<std::string> TooltipTextOf(HWND label) {
  std::vector<HWND> tooltips;
  EnumThreadWindows(GetCurrentThreadId(), &CollectTooltips, reinterpret_cast<LPARAM>(&tooltips));
  for (HWND tooltip : tooltips) {
    char text[256] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(label);
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    if (!SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool))) continue;
    tool.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return std::string(text);
  }
  return std::nullopt;
}

TEST_F(URLLabelTest, TheTooltipShowsTheAddressUntilURLAsHintIsOff) {
  EXPECT_EQ(TooltipTextOf(label->Handle()), "www.vondrel-aske.example/ramsweep");
  label->SetURLAsHint(false);
  EXPECT_EQ(TooltipTextOf(label->Handle()), "") << "no tip once the address is not the hint";
  label->SetShowPrefix(true);
  EXPECT_EQ(TooltipTextOf(label->Handle()), "");
  label->SetURLAsHint(true);
  EXPECT_EQ(TooltipTextOf(label->Handle()), "https://www.vondrel-aske.example/ramsweep");
  label->SetURL("mailto:ramsweep@vondrel-aske.example");
  EXPECT_EQ(TooltipTextOf(label->Handle()), "mailto:ramsweep@vondrel-aske.example");
}

// A file type registered by the test itself, removed afterwards.
class RegisteredTestType : public ::testing::Test {
 protected:
  void SetUp() override {
    Remove();
    Set(".rswprotest", "RamsweepProTestFile");
    Set("RamsweepProTestFile\\shell\\open\\command", "C:\\viewer.exe \"%1\"");
    Set(".rswprotest2\\shell\\open\\command", "C:\\other.exe %1");  // no type: its own command
    Set(".rswprotest3", "RamsweepProNoSuchType");
  }
  void TearDown() override { Remove(); }
  static void Set(const char* key, const char* text) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1)),
              ERROR_SUCCESS);
  }
  static void Remove() {
    for (const char* key : {".rswprotest", ".rswprotest2", ".rswprotest3", "RamsweepProTestFile"}) {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    }
  }
};

TEST_F(RegisteredTestType, FindOpenCommandReadsTheRealRegistry) {
  win32::Win32Registry registry;
  EXPECT_EQ(FindOpenCommand(registry, ".rswprotest"), "C:\\viewer.exe \"%1\"");
  EXPECT_EQ(FindOpenCommand(registry, ".RSWPROTEST"), "C:\\viewer.exe \"%1\"");
  EXPECT_EQ(FindOpenCommand(registry, ".rswprotest2"), "C:\\other.exe %1");
  EXPECT_EQ(FindOpenCommand(registry, ".rswprotest3"), "");
  EXPECT_EQ(FindOpenCommand(registry, ".rswprotest-none"), "");
  EXPECT_EQ(FindOpenCommand(registry, ""), "");
}

// The open commands of ".html" and ".htm" as the test sets them, the prefix's own put back
// afterwards.
class LinkHandlers : public ::testing::Test {
 protected:
  static constexpr const char* kBackup = "Software\\RamsweepProTests\\LinkHandlers";
  static constexpr const char* kTypes[] = {".html", ".htm"};

  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kBackup);
    for (int i = 0; i < 2; ++i) {
      HKEY type = nullptr;
      m_had[i] = RegOpenKeyExA(HKEY_CLASSES_ROOT, kTypes[i], 0, KEY_READ, &type) == ERROR_SUCCESS;
      if (!m_had[i]) continue;
      HKEY backup = nullptr;
      const std::string path = std::string(kBackup) + "\\" + kTypes[i];
      ASSERT_EQ(
          RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup, nullptr),
          ERROR_SUCCESS);
      const LONG copied = RegCopyTreeA(type, nullptr, backup);
      RegCloseKey(backup);
      RegCloseKey(type);
      ASSERT_EQ(copied, ERROR_SUCCESS) << kTypes[i];
      RegDeleteTreeA(HKEY_CLASSES_ROOT, kTypes[i]);
    }
  }
  void TearDown() override {
    for (int i = 0; i < 2; ++i) {
      RegDeleteTreeA(HKEY_CLASSES_ROOT, kTypes[i]);
      if (!m_had[i]) continue;
      HKEY type = nullptr, backup = nullptr;
      const std::string path = std::string(kBackup) + "\\" + kTypes[i];
      if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kTypes[i], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &type, nullptr) ==
              ERROR_SUCCESS &&
          RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &backup) == ERROR_SUCCESS) {
        EXPECT_EQ(RegCopyTreeA(backup, nullptr, type), ERROR_SUCCESS) << kTypes[i] << " put back";
      }
      if (backup) RegCloseKey(backup);
      if (type) RegCloseKey(type);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kBackup);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "RamsweepProTestPage");
  }
  static void Set(const char* key, const char* text) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, key, nullptr, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1)),
              ERROR_SUCCESS);
  }

  bool m_had[2] = {false, false};
};

// A web link needs an open command for both page types, found directly or through the type's
// class; mail needs neither.
TEST_F(LinkHandlers, AWebLinkNeedsBothPageTypesAndMailNeitherOfThem) {
  EXPECT_FALSE(win32::SystemHasLinkHandler(TmdLinkType::http)) << "neither";
  EXPECT_TRUE(win32::SystemHasLinkHandler(TmdLinkType::mailto)) << "mail: the mail library, not the page types";
  Set(".html", "RamsweepProTestPage");
  Set("RamsweepProTestPage\\shell\\open\\command", "C:\\browser.exe \"%1\"");
  EXPECT_FALSE(win32::SystemHasLinkHandler(TmdLinkType::http)) << ".html only";
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".html");
  Set(".htm\\shell\\open\\command", "C:\\browser.exe %1");
  EXPECT_FALSE(win32::SystemHasLinkHandler(TmdLinkType::http)) << ".htm only";
  Set(".html", "RamsweepProTestPage");
  EXPECT_TRUE(win32::SystemHasLinkHandler(TmdLinkType::http)) << "both";
  // a type whose class has no open command counts as none
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "RamsweepProTestPage");
  EXPECT_FALSE(win32::SystemHasLinkHandler(TmdLinkType::http)) << ".html without a command";
}

}  // namespace
}  // namespace rsw::test
