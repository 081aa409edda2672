// The fault net itself: a fault Wine catches inside a window procedure, here or in a started
// program, is noted with its code, its address and where it lay; Wine's own caught probes are not.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "wine/FaultNet.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

std::string FixturePath() {
  std::string path = ProgramPath();
  path.erase(path.find_last_of("\\/") + 1);
  return path + "rsw_fault_fixture.exe";
}

struct Case {
  const char* mode;
  bool atZero;         // the address is 0, outside every module
  const char* where;   // the start of the note's place
};

class StartedProgramFault : public ::testing::TestWithParam<Case> {};

TEST_P(StartedProgramFault, IsNotedThoughWineGoesOn) {
  const Case& c = GetParam();
  TakeFaults();  // nothing from before
  ProgramRun run(FixturePath(), c.mode, "");
  ASSERT_TRUE(run.Started());
  // Wine went on: the program ended normally after the message
  EXPECT_EQ(run.WaitForExit(20s), 0);
  const DWORD processId = run.ProcessId();
  { ProgramRun done = std::move(run); }  // the debugger has heard everything once this is gone
  const auto faults = TakeFaults();
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_EQ(faults[0].processId, processId);
  EXPECT_EQ(faults[0].address == 0, c.atZero);
  EXPECT_EQ(faults[0].where.rfind(c.where, 0), 0u) << faults[0].where;
}

INSTANTIATE_TEST_SUITE_P(FaultNet, StartedProgramFault,
                         ::testing::Values(Case{"null-write", false, "inside rsw_fault_fixture.exe"},
                                           Case{"null-call", true, "outside every module of rsw_fault_fixture.exe"}));

// The program's own handler for a pure call ends the process at once (exit code 3), where the
// static link alone would jump to address 0.
TEST(FaultNet, APureCallEndsTheProgramAtOnceWithoutAFault) {
  TakeFaults();
  {
    ProgramRun run(FixturePath(), "pure-call", "");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitForExit(20s), 3);
  }
  EXPECT_TRUE(TakeFaults().empty());
}

TEST(FaultNet, AStartedProgramWithoutFaultsLeavesNoNote) {
  TakeFaults();
  {
    ProgramRun run(FixturePath(), "calm", "");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(run.WaitForExit(20s), 0);
  }
  EXPECT_TRUE(TakeFaults().empty());
}

bool g_armed = false;

LRESULT CALLBACK FaultingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_WINDOWPOSCHANGING && g_armed) {
    g_armed = false;
    void (*volatile empty)() = nullptr;
    empty();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FaultNet, AFaultInAWindowProcedureOfThisProcessIsNoted) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &FaultingProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "RswFaultNetTest";
  RegisterClassA(&wc);
  const HWND window = CreateWindowA(wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                    wc.hInstance, nullptr);
  ASSERT_TRUE(window);
  TakeFaults();
  // Ending a shown window hides it first; Wine catches the fault in that message and goes on.
  g_armed = true;
  DestroyWindow(window);
  EXPECT_FALSE(IsWindow(window));
  const auto faults = TakeFaults();
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_EQ(faults[0].code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_EQ(faults[0].address, 0u);
  EXPECT_EQ(faults[0].where, "outside every module of the test program");
}

TEST(FaultNet, AProbeInsideWinesOwnModulesIsNotOurs) {
  TakeFaults();
  // Wine answers these by touching the memory and catching the fault inside its own module
  EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<const void*>(16), 4));
  EXPECT_TRUE(IsBadWritePtr(reinterpret_cast<void*>(16), 4));
  EXPECT_TRUE(TakeFaults().empty());
}

TEST(FaultNet, OnlyTheProjectsProgramsAreOurs) {
  for (const char* name : {"rswpro.exe", "RSWPRO.EXE", "rswsetup.exe", "rsw_wine_tests.exe", "rsw_fault_fixture.exe"}) {
    EXPECT_TRUE(IsOurs(name)) << name;
  }
  for (const char* name : {"rundll32.exe", "user32.dll", "ntdll.dll", "", "rswprox.dll"}) {
    EXPECT_FALSE(IsOurs(name)) << name;
  }
  for (DWORD code : {0xC0000005ul, 0xC000001Dul, 0xC00000FDul, 0xC0000094ul, 0xC0000096ul}) {
    EXPECT_TRUE(IsCountedFault(code)) << std::hex << code;
  }
  for (DWORD code : {0x80000003ul, 0x20474343ul, 0x40010006ul, 0xC0000008ul}) {
    EXPECT_FALSE(IsCountedFault(code)) << std::hex << code;
  }
}

}  // namespace
}  // namespace rsw::test
