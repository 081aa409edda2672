// The hyperlink label as a real window: its cursor resource, mouse and keyboard, the click's
// target (recorded, not opened) and the open commands of the real registry.

#include <windows.h>

#include <gtest/gtest.h>
#include <memory>
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

}  // namespace
}  // namespace rsw::test
