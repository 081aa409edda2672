// Drives the real rswpro.exe: start, hand-off from a second start, the presence protocol and the
// command-line free-up, watched through the main window's caption.

#include <windows.h>

#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "shell/Messages.h"
#include "shell/win32/InstanceHandOff.h"
#include "wine/MainWindowFixture.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

const std::regex kIdleCaption(R"(\d+[.,]\d+ MB - Ramsweep Pro)");

// A top-level window of this class belonging to the process, or nullptr.
HWND WindowOfProcess(const char* className, DWORD processId, bool visibleOnly) {
  for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, className, nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    if (owner == processId && (!visibleOnly || IsWindowVisible(found))) return found;
  }
  return nullptr;
}

bool CaptionMatches(HWND window, const std::regex& pattern) { return std::regex_match(WindowText(window), pattern); }
bool CaptionHas(HWND window, const std::string& part) { return WindowText(window).find(part) != std::string::npos; }

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    EndStrayInstances();
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
    // The caption follows a countdown at the refresh tick: the fastest (250 ms) shows every
    // second of it, where the default 2 s could step over a short one.
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      const DWORD fastest = 0;
      RegSetValueExA(key, "Refresh", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&fastest), sizeof fastest);
      RegCloseKey(key);
    }
  }
  void TearDown() override {
    EndStrayInstances();
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
  }

  // Starts the first instance and waits until it is idle.
  HWND StartFirst(ProgramRun& run) {
    EXPECT_TRUE(run.Started());
    const HWND window = run.WaitForMainWindow(20s);
    EXPECT_TRUE(window);
    if (window) {
      EXPECT_TRUE(WaitUntil([&] { return CaptionMatches(window, kIdleCaption); }, 10s)) << WindowText(window);
    }
    return window;
  }
};

TEST_F(EndToEnd, SecondStartHandsOverAndEndsAtOnce) {
  ProgramRun first("");
  const HWND window = StartFirst(first);
  ASSERT_TRUE(window);
  EXPECT_EQ(win32::FindRunningInstance(), window);

  // with arguments: a free-up request, shown in the first instance's caption from the first second
  // of its countdown on
  ProgramRun second("D6 T1 F1");
  EXPECT_EQ(second.WaitForExit(10s), 0);
  EXPECT_TRUE(WaitUntil([&] { return CaptionHas(window, " - Ramsweep Pro - Waiting (6)"); }, 10s))
      << WindowText(window);
  EXPECT_TRUE(WaitUntil([&] { return CaptionMatches(window, kIdleCaption); }, 20s)) << WindowText(window);

  // without arguments: the running window is shown and restored
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }, 5s));
  ProgramRun third("");
  EXPECT_EQ(third.WaitForExit(10s), 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }, 10s));

  // the only instance is still the first one
  EXPECT_EQ(win32::FindRunningInstance(), window);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(10s), 0);
}

// The running instance is a main window of this process, so what a real second start hands over is
// read back exactly as the window takes it.
class HandOffToThisProcess : public MainWindow {
 protected:
  void SetUp() override {
    EndStrayInstances();
    MainWindow::SetUp();
  }
  void TearDown() override {
    MainWindow::TearDown();
    EndStrayInstances();
  }
};

TEST_F(HandOffToThisProcess, SecondStartHandsOverItsCountdownPassesAndAmount) {
  TfrmRamsweep& window = Open();
  // values unlike each other and unlike what a request without them gets
  ProgramRun second("D7 T5 F24");
  EXPECT_EQ(second.WaitForExit(20s), 0);  // pumps, so this window answers and takes the request
  EXPECT_TRUE(WaitUntil([&] { return !started.empty(); }, 5s));
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].Countdown, 7);
  EXPECT_EQ(started[0].MaxPasses, 5);
  EXPECT_EQ(started[0].AmountMB, 24);
  EXPECT_FALSE(started[0].IdleDetect);
  EXPECT_EQ(started[0].NotifyWindow, window.Handle());
}

TEST_F(EndToEnd, EscMinimisesLikeTheMinimizeButtons) {
  ProgramRun first("");
  const HWND window = StartFirst(first);
  ASSERT_TRUE(window);
  ASSERT_FALSE(IsIconic(window));
  // a key pressed on a control of the shown page goes through the program's own message loop
  const HWND trackBar = FindWindowExA(window, nullptr, "msctls_trackbar32", nullptr);
  ASSERT_TRUE(trackBar);
  PostMessageA(trackBar, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }, 5s));
}

TEST_F(EndToEnd, PresenceQueryAnswersOnlyTheMagicPair) {
  ProgramRun first("");
  const HWND window = StartFirst(first);
  ASSERT_TRUE(window);
  auto ask = [&](WPARAM w, LPARAM l) {
    DWORD_PTR answer = 12345;
    SendMessageTimeoutA(window, WM_PRESENCE_QUERY, w, l, SMTO_BLOCK, 5000, &answer);
    return answer;
  };
  EXPECT_EQ(ask(PRESENCE_MAGIC, PRESENCE_MAGIC), static_cast<DWORD_PTR>(PRESENCE_MAGIC));
  EXPECT_EQ(ask(PRESENCE_MAGIC, 0), 0u);
  EXPECT_EQ(ask(0, PRESENCE_MAGIC), 0u);
  EXPECT_EQ(ask(0, 0), 0u);
}

TEST_F(EndToEnd, RemoteRequestsWithImpossibleAmountsAreIgnored) {
  ProgramRun first("");
  const HWND window = StartFirst(first);
  ASSERT_TRUE(window);
  // Were either accepted, it would run with no countdown and the request after it would be
  // dropped as busy, so its waiting caption would never show.
  PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(0, 1), 3000);
  PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(0, 1), -5);
  PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(0, 1), 0x7FFFFFFF);
  PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(8, 1), 1);
  EXPECT_TRUE(WaitUntil([&] { return CaptionHas(window, "Ramsweep Pro - Waiting ("); }, 10s)) << WindowText(window);
  EXPECT_TRUE(WaitUntil([&] { return CaptionMatches(window, kIdleCaption); }, 20s)) << WindowText(window);
}

TEST_F(EndToEnd, CloseIsRefusedWhileAFreeUpRuns) {
  ProgramRun first("");
  const HWND window = StartFirst(first);
  ASSERT_TRUE(window);
  PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(4, 1), 1);
  ASSERT_TRUE(WaitUntil([&] { return CaptionHas(window, "Waiting ("); }, 10s)) << WindowText(window);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(1500ms), -1) << "closed while busy";
  ASSERT_TRUE(WaitUntil([&] { return CaptionMatches(window, kIdleCaption); }, 20s)) << WindowText(window);
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(10s), 0);
}

// A Free-and-Run entry chosen in the real program: the run-progress panel shows while its memory
// is freed and goes when the program is opened. The fault net fails this test should the panel's
// end reach a half-destroyed form (a call through an empty function slot, which Wine swallows).
TEST_F(EndToEnd, FreeAndRunEntryOpensItsProgramAndEndsThePanelWithoutAFault) {
  char system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  const std::string program = std::string(system) + "\\hostname.exe";
  ASSERT_NE(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES) << program;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vondrel Aske\\Ramsweep Pro\\Free And Run 4", 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD amountIndex = 20;
  RegSetValueExA(key, "Run 0", 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                 static_cast<DWORD>(program.size() + 1));
  RegSetValueExA(key, "Free 0", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&amountIndex), sizeof amountIndex);
  RegSetValueExA(key, "Display 0", 0, REG_SZ, reinterpret_cast<const BYTE*>("Host name"), 10);
  RegCloseKey(key);

  ProgramRun first("");
  const HWND window = StartFirst(first);
  ASSERT_TRUE(window);
  const DWORD processId = first.ProcessId();
  const auto panel = [&] { return WindowOfProcess("TfrmShowRun", processId, false); };
  // As a user does: the tray menu by a right click, "Free and &Run" by its key, the entry below
  // "&Manage Entries" and the separator, Enter. Each key waits for the menu it is meant for.
  const HWND tray = WindowOfProcess("TTraybarCallback", processId, false);
  ASSERT_TRUE(tray);
  PostMessageA(tray, WM_TRAYNOTIFY, 1, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (menu = WindowOfProcess("#32768", processId, true)) != nullptr; }, 10s))
      << "no tray menu";
  PostMessageA(menu, WM_KEYDOWN, 'R', 0);
  PostMessageA(menu, WM_CHAR, 'r', 0);
  HWND submenu = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        submenu = nullptr;
        for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, "#32768", nullptr)) != nullptr;) {
          DWORD owner = 0;
          GetWindowThreadProcessId(found, &owner);
          if (owner == processId && found != menu && IsWindowVisible(found)) submenu = found;
        }
        return submenu != nullptr;
      },
      10s))
      << "no Free and Run submenu";
  PostMessageA(submenu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(submenu, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_TRUE(WaitUntil([&] { return panel() != nullptr; }, 10s)) << "no run-progress panel";
  EXPECT_TRUE(WaitUntil([&] { return panel() == nullptr; }, 30s)) << "the panel stayed";
  EXPECT_TRUE(WaitUntil([&] { return CaptionMatches(window, kIdleCaption); }, 10s)) << WindowText(window);
  EXPECT_EQ(first.WaitForExit(0ms), -1) << "the program ended";
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(10s), 0);
}

TEST_F(EndToEnd, CommandLineFreeUpShowsItsCountdownAndCloseSwitchEndsTheProgram) {
  ProgramRun run("/D3 -t1 F1 C");
  ASSERT_TRUE(run.Started());
  const HWND window = run.WaitForMainWindow(20s);
  ASSERT_TRUE(window);
  // the window shows the wait of its own command line (found while still being created, so polled)
  EXPECT_TRUE(WaitUntil([&] { return CaptionHas(window, " MB - Ramsweep Pro - Waiting ("); }, 5s))
      << WindowText(window);
  EXPECT_EQ(run.WaitForExit(20s), 0);
}

// ---- INSTALL and UNINSTALL ----

constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSettingsPath = "Software\\Vondrel Aske\\Ramsweep Pro";
constexpr const char* kMakerPath = "Software\\Vondrel Aske";

std::optional<DWORD> StoredDword(const char* keyPath, const char* name) {
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, keyPath, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

void StoreDword(const char* keyPath, const char* name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, keyPath, name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
}

// Starts from no settings and no entry, and leaves none behind.
class InstallWords : public EndToEnd {
 protected:
  void SetUp() override {
    EndToEnd::SetUp();
    Clean();
  }
  void TearDown() override {
    Clean();
    EndToEnd::TearDown();
  }
  static void Clean() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, "Ramsweep Pro");
  }
  // Runs the program with one word and returns its exit code; it must end without a window.
  static long Run(const char* word, const std::string& executable = ProgramPath()) {
    ProgramRun run(executable, word, "");
    EXPECT_TRUE(run.Started()) << executable;
    const long code = run.WaitForExit(15s);
    EXPECT_EQ(run.MainWindow(), nullptr);
    return code;
  }
};

TEST_F(InstallWords, InstallOnAnEmptyRegistrySwitchesTheStartupFreeUpOnForThisProgram) {
  for (int run = 0; run < 2; ++run) {  // twice in a row: the same
    EXPECT_EQ(Run("INSTALL"), 0);
    EXPECT_EQ(StoredDword(kSettingsPath, "AutoRun"), 1u);
    EXPECT_EQ(StoredDword(kSettingsPath, "StartupAmount"), 0u);
    EXPECT_EQ(StoredDword(kSettingsPath, "StartupCount"), 1u);
    EXPECT_EQ(StoredDword(kSettingsPath, "StartupDelay"), 1u);
    EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), "\"" + ProgramPath() + "\" Startup");
  }
}

TEST_F(InstallWords, InstallWithAutoRunOffOnlyRemovesTheEntry) {
  StoreDword(kSettingsPath, "AutoRun", 0);
  StoreDword(kSettingsPath, "StartupCount", 7);
  static constexpr char kOldEntry[] = "\"C:\\old.exe\" Startup";
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, "Ramsweep Pro", REG_SZ, kOldEntry, sizeof kOldEntry),
            ERROR_SUCCESS);
  EXPECT_EQ(Run("INSTALL"), 0);
  EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), std::nullopt);
  EXPECT_EQ(StoredDword(kSettingsPath, "AutoRun"), 0u);
  EXPECT_EQ(StoredDword(kSettingsPath, "StartupCount"), 7u);
  EXPECT_EQ(StoredDword(kSettingsPath, "StartupDelay"), std::nullopt);
}

TEST_F(InstallWords, UninstallRemovesTheSettingsKeyWithTheFreeAndRunListButNotTheMakersKey) {
  EXPECT_EQ(Run("INSTALL"), 0);
  const std::string list = std::string(kSettingsPath) + "\\Free And Run 4";
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, list.c_str(), "Run 1", REG_SZ, "notepad.exe", 12), ERROR_SUCCESS);
  StoreDword(list.c_str(), "Free 1", 3);
  StoreDword(kMakerPath, "Ramsweep Pro test value", 1);
  EXPECT_EQ(Run("UNINSTALL"), 0);
  EXPECT_FALSE(KeyExists(kSettingsPath));
  EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), std::nullopt);
  EXPECT_TRUE(KeyExists(kMakerPath));
  EXPECT_EQ(StoredDword(kMakerPath, "Ramsweep Pro test value"), 1u);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kMakerPath, "Ramsweep Pro test value");
  EXPECT_EQ(Run("UNINSTALL"), 0);  // nothing left: still silent
}

TEST_F(InstallWords, LowerCaseWordIsAFreeUpRequestThatOpensTheWindow) {
  ProgramRun lower("install");
  const HWND window = lower.WaitForMainWindow(20s);
  ASSERT_TRUE(window);
  EXPECT_TRUE(WaitUntil([&] { return CaptionHas(window, "Ramsweep Pro - W"); }, 10s)) << WindowText(window);
}

// Denies every access to the Run key while it lives, then puts the old permissions back.
class LockedRunKey {
 public:
  LockedRunKey() {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &m_key,
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    DWORD size = 0;
    RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, nullptr, &size);
    m_saved.resize(size);
    if (RegGetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_saved.data(), &size) != ERROR_SUCCESS) return;
    // An empty access list grants nothing to anyone.
    ACL emptyAcl{};
    InitializeAcl(&emptyAcl, sizeof emptyAcl, ACL_REVISION);
    SECURITY_DESCRIPTOR locked{};
    InitializeSecurityDescriptor(&locked, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&locked, TRUE, &emptyAcl, FALSE);
    m_locked = RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, &locked) == ERROR_SUCCESS;
  }
  ~LockedRunKey() {
    if (m_locked) RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_saved.data());
    if (m_key) RegCloseKey(m_key);
  }
  bool Locked() const { return m_locked; }

 private:
  HKEY m_key = nullptr;
  std::vector<BYTE> m_saved;
  bool m_locked = false;
};

TEST_F(InstallWords, RunKeyThatCannotBeWrittenShowsTheApplicationErrorAndEndsWithCode1) {
  std::string text;
  long code = -2;
  {
    LockedRunKey lock;
    ASSERT_TRUE(lock.Locked());
    HKEY probe = nullptr;
    ASSERT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_SET_VALUE, &probe), ERROR_SUCCESS)
        << "the lock does not hold here";
    ProgramRun run("INSTALL");
    ASSERT_TRUE(run.Started());
    HWND box = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (box = FindDialogOf(run.ProcessId(), "Application Error")) != nullptr; }, 15s));
    if (box) {
      text = MessageBoxText(box);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    code = run.WaitForExit(10s);
    EXPECT_EQ(run.MainWindow(), nullptr);
  }
  EXPECT_EQ(text, std::string("Registry error: Cannot create Key: HKEY_CURRENT_USER\\") + kRunKeyPath + ".");
  EXPECT_EQ(code, 1);
  EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), std::nullopt);
}

// A window of the same class that is not the program: answers the presence query with 0, and
// notes what it was sent.
class Impostor {
 public:
  Impostor() {
    s_presenceQueries = 0;
    s_requests = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kMainWindowClass;
    RegisterClassA(&wc);
    m_window = CreateWindowExA(0, kMainWindowClass, "impostor", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                               wc.hInstance, nullptr);
  }
  ~Impostor() {
    DestroyWindow(m_window);
    UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
  }
  HWND Handle() const { return m_window; }
  static int PresenceQueries() { return s_presenceQueries; }
  static int Requests() { return s_requests; }  // hand-offs: free-up requests and show requests

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PRESENCE_QUERY) {
      ++s_presenceQueries;
      return 0;
    }
    if (message == WM_REMOTE_FREEUP || message == WM_REMOTE_SHOW) ++s_requests;
    return DefWindowProcA(window, message, wParam, lParam);
  }
  static inline int s_presenceQueries = 0;
  static inline int s_requests = 0;
  HWND m_window = nullptr;
};

TEST_F(EndToEnd, WindowOfTheSameClassThatAnswersOtherwiseIsNoInstance) {
  Impostor impostor;
  ASSERT_TRUE(impostor.Handle());
  ProgramRun run("");
  const HWND window = run.WaitForMainWindow(20s);  // pumps, so the impostor answers 0
  ASSERT_TRUE(window);
  EXPECT_NE(window, impostor.Handle());
  // the start asked the impostor, took its 0 for no instance and opened its own window, which
  // answers the query the impostor did not
  EXPECT_GE(Impostor::PresenceQueries(), 1) << "the impostor was asked";
  EXPECT_EQ(Impostor::Requests(), 0) << "nothing was handed to the impostor";
  EXPECT_EQ(run.WaitForExit(500ms), -1) << "the start goes on running";
  DWORD_PTR answer = 0;
  ASSERT_TRUE(
      SendMessageTimeoutA(window, WM_PRESENCE_QUERY, PRESENCE_MAGIC, PRESENCE_MAGIC, SMTO_BLOCK, 5000, &answer));
  EXPECT_EQ(answer, static_cast<DWORD_PTR>(PRESENCE_MAGIC));
  EXPECT_EQ(win32::FindRunningInstance(), window);
}

TEST_F(EndToEnd, HungWindowOfTheClassDoesNotBlockTheStart) {
  Impostor impostor;
  ASSERT_TRUE(impostor.Handle());
  ProgramRun run("");
  // this thread does not pump, so the impostor never answers; the start must give up on it
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitUntilWithoutPumping([&] { return run.MainWindow() != nullptr; }, 40s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

}  // namespace
}  // namespace rsw::test
