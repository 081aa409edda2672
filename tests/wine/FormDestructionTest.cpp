// Ending a Free-and-Run form from outside, as its owner does: the window ends while the whole form
// still answers its messages, so its own end-of-life steps run (the notice that hides a taskbar
// button the form brought up) and no message reaches a half-destroyed object. The fault net fails
// these tests should one do.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "freeandrun/win32/TfrmErrorRun.h"
#include "freeandrun/win32/TfrmManageEntries.h"
#include "freeandrun/win32/TfrmShowRun.h"
#include "shell/Messages.h"
#include "shell/win32/Win32Registry.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kScratch = "Software\\RamsweepProTests\\FormDestruction";
const std::string kKey = std::string("HKEY_CURRENT_USER\\") + kScratch;
constexpr const char* kOwnerClass = "RswFormDestructionOwner";

int g_hideTaskButton = 0;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HIDE_TASKBUTTON) ++g_hideTaskButton;
  return DefWindowProcA(window, message, wParam, lParam);
}

// The main window's stand-in, shown or hidden (in the tray).
class Owner final : public win32::FreeAndRunHost {
 public:
  explicit Owner(bool visible) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kOwnerClass;
    RegisterClassExA(&wc);
    m_main.Reset(CreateWindowExA(0, kOwnerClass, "Ramsweep Pro", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 0,
                                 0, 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
  }
  HWND MainWindow() const override { return m_main.Get(); }
  HWND FocusWindow() const override { return nullptr; }
  bool Busy() const override { return false; }
  void StartFreeUp(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  int SelectedAmountIndex() const override { return 8; }
  void OpenHelp(const char*) override {}

 private:
  win32::ScopedWindow m_main;
};

class FormDestruction : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
    g_hideTaskButton = 0;
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }
  // Delivers what was posted to this thread's windows.
  static void Pump() { WaitUntil([] { return false; }, 100ms); }

  win32::Win32Registry backend;
  uRegistry registry{backend};
  win32::Win32Collation collation;
};

struct FormCase {
  const char* name;
  bool ownerVisible;
  int notices;  // WM_HIDE_TASKBUTTON posted to the owner when the form ends
  friend void PrintTo(const FormCase& c, std::ostream* out) {
    *out << c.name << (c.ownerVisible ? ", owner shown" : ", owner hidden");
  }
};

class FormEndedByItsOwner : public FormDestruction, public ::testing::WithParamInterface<FormCase> {
 protected:
  // Makes the named form, shown, as its owner holds it.
  win32::FormPtr<win32::FreeAndRunForm> Make(HWND owner, FreeAndRunList& list) {
    const std::string name = GetParam().name;
    win32::FormPtr<win32::FreeAndRunForm> form;
    if (name == "TfrmErrorRun") form = win32::TfrmErrorRun::Create(owner);
    if (name == "TfrmShowRun") form = win32::TfrmShowRun::Create(owner, "Editor (16 MB)");
    if (name == "TfrmManageEntries") form = win32::TfrmManageEntries::Create(owner, list, registry, {});
    if (form) ShowWindow(form->Handle(), SW_SHOWNOACTIVATE);
    return form;
  }
};

TEST_P(FormEndedByItsOwner, RunsItsOwnEndOfLifeSteps) {
  const FormCase& c = GetParam();
  Owner owner(c.ownerVisible);
  FreeAndRunList list(registry, collation, kKey);
  auto form = Make(owner.MainWindow(), list);
  ASSERT_TRUE(form) << c.name;
  const HWND window = form->Handle();
  bool toldItsOwner = false;
  form->OnDestroyed = [&] { toldItsOwner = true; };
  Pump();
  form.reset();
  EXPECT_FALSE(IsWindow(window));
  // whoever ends it already knows: the owner's notice is for a form that ends by itself
  EXPECT_FALSE(toldItsOwner);
  Pump();
  EXPECT_EQ(g_hideTaskButton, c.notices) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    FreeAndRunForms, FormEndedByItsOwner,
    ::testing::Values(FormCase{"TfrmErrorRun", false, 1}, FormCase{"TfrmManageEntries", false, 1},
                      FormCase{"TfrmShowRun", false, 0}, FormCase{"TfrmErrorRun", true, 0},
                      FormCase{"TfrmManageEntries", true, 0}, FormCase{"TfrmShowRun", true, 0}),
    [](const auto& test) { return std::string(test.param.name) + (test.param.ownerVisible ? "_Shown" : "_Hidden"); });

// The owner that ends an open form: the controller, replacing it or ending with the window.
TEST_F(FormDestruction, TheControllerEndsAnOpenFormWithItsOwnSteps) {
  Owner owner(false);
  {
    win32::FreeAndRunController controller(owner, registry, 3000, kKey);
    ASSERT_TRUE(controller.OpenManageEntries());
    const HWND first = controller.OpenForm()->Handle();
    // a second dialog replaces the first
    ASSERT_TRUE(controller.OpenManageEntries());
    EXPECT_FALSE(IsWindow(first));
    EXPECT_NE(controller.OpenForm()->Handle(), first);
    Pump();
    EXPECT_EQ(g_hideTaskButton, 1);
  }  // the controller ends with the one still open
  Pump();
  EXPECT_EQ(g_hideTaskButton, 2);
}

// A form deleted past its deleter loses its window without a message reaching what is left of it.
TEST_F(FormDestruction, AFormDeletedWithoutItsDeleterTakesItsWindowQuietly) {
  Owner owner(false);
  auto form = win32::TfrmErrorRun::Create(owner.MainWindow());
  ASSERT_TRUE(form);
  const HWND window = form->Handle();
  ShowWindow(window, SW_SHOWNOACTIVATE);
  Pump();
  delete form.release();
  EXPECT_FALSE(IsWindow(window));
  // the form's own step could not run: the derived part was gone
  Pump();
  EXPECT_EQ(g_hideTaskButton, 0);
}

// "Program Not Found" closed by its close box: gone, and the taskbar button it brought up with it.
TEST_F(FormDestruction, TheErrorFormsCloseBoxClosesItAndHidesTheButtonItBroughtUp) {
  for (const bool ownerVisible : {false, true}) {
    SCOPED_TRACE(ownerVisible ? "owner shown" : "owner hidden");
    g_hideTaskButton = 0;
    Owner owner(ownerVisible);
    auto form = win32::TfrmErrorRun::Create(owner.MainWindow());
    ASSERT_TRUE(form);
    const HWND window = form->Handle();
    bool ended = false;
    form->OnDestroyed = [&] {
      ended = true;
      form.reset();  // as the controller does
    };
    ShowWindow(window, SW_SHOW);
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) << "no close box";
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(ended);
    EXPECT_FALSE(form);
    Pump();
    EXPECT_EQ(g_hideTaskButton, ownerVisible ? 0 : 1);
  }
}

}  // namespace
}  // namespace rsw::test
