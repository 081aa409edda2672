// Soak and faults: a flood of second-start requests while a free-up runs, a worker whose
// allocation fails, a settings key the program may not write, and a taskbar that is replaced.

#include <windows.h>

#include <aclapi.h>

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <thread>
#include <tlhelp32.h>

#include "display/win32/TTraybar.h"
#include "engine/win32/Win32FreeUp.h"
#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/Win32Registry.h"
#include "wine/FakeNotificationArea.h"
#include "wine/MainWindowFixture.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

int ThreadsOf(DWORD processId) {
  win32::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
    count += entry.th32OwnerProcessID == processId;
  }
  return count;
}

bool Answers(HWND window) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(window, WM_PRESENCE_QUERY, PRESENCE_MAGIC, PRESENCE_MAGIC, SMTO_ABORTIFHUNG, 5000,
                             &answer) &&
         answer == static_cast<DWORD_PTR>(PRESENCE_MAGIC);
}

TEST(Soak, TenThousandRequestsWhileAFreeUpRunsStartNothingMore) {
  EndStrayInstances();
  ProgramRun run("");
  ASSERT_TRUE(run.Started());
  const HWND window = run.WaitForMainWindow(30s);
  ASSERT_TRUE(window);
  ASSERT_TRUE(Answers(window));
  win32::ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, run.ProcessId()));
  ASSERT_TRUE(process);
  // settled: the threads of an idle program
  Sleep(500);
  const int idleThreads = ThreadsOf(run.ProcessId());
  ASSERT_GT(idleThreads, 0);

  // a free-up of one pass that counts down 4 s first, so it runs while the requests arrive
  ASSERT_TRUE(PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(4, 1), 1));
  ASSERT_TRUE(WaitUntil([&] { return State(window).starts_with("Ramsweep Pro - W"); }, 5s)) << State(window);
  const int busyThreads = ThreadsOf(run.ProcessId());
  EXPECT_EQ(busyThreads, idleThreads + 1) << "one worker";

  for (int i = 0; i < 10000; ++i) {
    const WPARAM request = PackRemoteWParam(i % 3, 1 + i % 20);
    // a full queue drains; a program that stopped taking messages fails the test instead
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    bool posted = false;
    while (!(posted = PostMessageA(window, WM_REMOTE_FREEUP, request, i % 600)) &&
           std::chrono::steady_clock::now() < deadline) {
      Sleep(1);
    }
    ASSERT_TRUE(posted) << "request " << i << " found the queue full for 10 s (error " << GetLastError() << ")";
  }
  EXPECT_TRUE(Answers(window)) << "responsive behind the flood";
  EXPECT_EQ(ThreadsOf(run.ProcessId()), busyThreads) << "still exactly one worker";

  // the free-up ends, and none of the requests was kept for later
  ASSERT_TRUE(WaitUntil([&] { return State(window) == "Ramsweep Pro"; }, 20s)) << State(window);
  Sleep(1000);
  EXPECT_EQ(State(window), "Ramsweep Pro");
  EXPECT_TRUE(WaitUntil([&] { return ThreadsOf(run.ProcessId()) == idleThreads; }, 5s)) << "the worker ended";
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(run.WaitForExit(10s), 0);
}

// The worker's platform with an allocator that always fails, posting to the real window.
class FailingAllocation final : public win32::Win32FreeUpPlatform {
 public:
  std::uint8_t* Allocate(std::size_t) override {
    ++attempts;
    return nullptr;
  }
  static inline std::atomic<int> attempts{0};
};

class Faults : public MainWindow {};

TEST_F(Faults, AFailedAllocationEndsTheFreeUpAndTheWindowStaysUsable) {
  FailingAllocation::attempts = 0;
  configure = [](TfrmRamsweep::Options& options) {
    options.startWorker = [](const TFreeThread& worker) {
      std::thread([worker]() mutable {
        FailingAllocation platform;
        worker.Execute(platform);
      }).detach();
      return true;
    };
  };
  TfrmRamsweep& window = Open();
  const HWND handle = window.Handle();
  window.StartFreeUp(64, 5, 0, 0);
  ASSERT_TRUE(window.IsBusy());
  ASSERT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 10s)) << "the end arrived";
  EXPECT_EQ(FailingAllocation::attempts, 1) << "no pass after the failed one";
  EXPECT_EQ(State(handle), "Ramsweep Pro");
  EXPECT_TRUE(IsWindowEnabled(Item(butAlloc)));
  // usable: the next free-up starts and ends the same way, and the window closes
  Click(butAlloc);
  EXPECT_TRUE(window.IsBusy());
  ASSERT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 10s));
  EXPECT_EQ(FailingAllocation::attempts, 2);
  EXPECT_TRUE(Close());
}

TEST_F(Faults, ARealAllocationTooLargeForTheProcessEndsTheFreeUp) {
  // 2,047 MB in one block never fits a 32-bit process's address space
  TfrmRamsweep& window = Open({}, true);
  window.StartFreeUp(2047, 3, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !window.IsBusy(); }, 20s));
  EXPECT_EQ(State(window.Handle()), "Ramsweep Pro");
  EXPECT_TRUE(IsWindowEnabled(Item(butAlloc)));
  EXPECT_TRUE(Close());
}

// The settings key with a DACL that lets everyone read it and change its security, nothing more;
// the full access back when the test ends.
class UnwritableSettingsKey : public MainWindow {
 protected:
  void TearDown() override {
    SetAccess(KEY_ALL_ACCESS);
    MainWindow::TearDown();
  }
  static bool SetAccess(DWORD rights) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, WRITE_DAC | READ_CONTROL, &key) != ERROR_SUCCESS) {
      return false;
    }
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    EXPLICIT_ACCESSA access{};
    access.grfAccessPermissions = rights;
    access.grfAccessMode = SET_ACCESS;
    access.grfInheritance = NO_INHERITANCE;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL acl = nullptr;
    bool done = SetEntriesInAclA(1, &access, nullptr, &acl) == ERROR_SUCCESS;
    SECURITY_DESCRIPTOR descriptor{};
    done = done && InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
           RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    LocalFree(acl);
    FreeSid(everyone);
    RegCloseKey(key);
    return done;
  }
};

TEST_F(UnwritableSettingsKey, CloseShowsTheErrorStaysOpenAndLosesNothing) {
  Store("Times", 7);
  Store("Refresh", 5);
  ASSERT_TRUE(SetAccess(KEY_READ | WRITE_DAC | READ_CONTROL));
  HKEY probe = nullptr;
  ASSERT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, KEY_SET_VALUE, &probe), ERROR_SUCCESS)
      << "the key refuses writes";

  TfrmRamsweep& window = Open();
  const HWND owner = window.Handle();
  EXPECT_EQ(UpDown(UpDown1), 7) << "read as before";
  SendMessageA(Item(UpDown1), UDM_SETPOS32, 0, 12);

  std::string boxText;
  ModalWatch answer(
      owner,
      [&] {
        const HWND box = FindWindowA("#32770", nullptr);
        char text[512] = {};
        if (!box || !IsWindowVisible(box) || GetWindow(box, GW_OWNER) != owner ||
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text) <= 0) {
          return false;
        }
        boxText = text;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      },
      10s);
  const bool closed = Close();
  EXPECT_TRUE(answer.Finish()) << "no error box of the window within 10 s";
  EXPECT_FALSE(closed) << "the close did not take place";
  EXPECT_TRUE(boxText.starts_with("Cannot create ")) << boxText;
  EXPECT_TRUE(boxText.find("Ramsweep Pro") != std::string::npos) << boxText;
  EXPECT_TRUE(boxText.ends_with(".")) << boxText;
  // nothing lost: what was stored is still there, and the changed setting is still in the window
  EXPECT_EQ(Stored("Times"), 7);
  EXPECT_EQ(Stored("Refresh"), 5);
  ASSERT_TRUE(IsWindow(owner));
  EXPECT_EQ(UpDown(UpDown1), 12);
  // once the key may be written again, the next close saves it
  ASSERT_TRUE(SetAccess(KEY_ALL_ACCESS));
  EXPECT_TRUE(Close());
  EXPECT_EQ(Stored("Times"), 12);
}

class ReplacedTaskbar : public MainWindow {};

TEST_F(ReplacedTaskbar, TheIconComesBackAtTheNextUpdate) {
  Store("Icon", 1);
  auto first = std::make_unique<FakeNotificationArea>();
  ASSERT_TRUE(first->InFront());
  TfrmRamsweep& window = Open();
  const HWND callback = window.Tray().CallbackWindow();
  ASSERT_TRUE(first->Shows(callback));
  SendMessageA(window.Handle(), WM_TIMER, win32::kTimer1, 0);

  // a new taskbar comes up and the old one goes, without any announcement
  FakeNotificationArea second;
  ASSERT_TRUE(second.InFront());
  first.reset();
  EXPECT_FALSE(second.Shows(callback));
  SendMessageA(window.Handle(), WM_TIMER, win32::kTimer1, 0);
  EXPECT_TRUE(second.Shows(callback)) << "added at the next update";
  ASSERT_EQ(second.Count(NIM_ADD), 1u);
  EXPECT_EQ(second.Calls().front().tip, window.Tray().Hint);
  SendMessageA(window.Handle(), WM_TIMER, win32::kTimer1, 0);
  EXPECT_EQ(second.Count(NIM_ADD), 1u) << "once";

  // and back to the desktop's own taskbar when this one goes too
  second.Destroy();
  ASSERT_TRUE(FindWindowA("Shell_TrayWnd", nullptr));
  SendMessageA(window.Handle(), WM_TIMER, win32::kTimer1, 0);
  NOTIFYICONDATAA query{};
  query.cbSize = 88;
  query.hWnd = callback;
  query.uID = 1;
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &query)) << "shown in the desktop's taskbar";
}

// ---- a Free-and-Run save killed at random moments ----

constexpr const char* kSoakListPath = "Software\\RamsweepProTests\\FreeAndRunSoak";

// Entry n of the stored list: "Entry n" runs C:\Entry\n.exe with amount n mod 41; "Extra n" the same
// under C:\Extra.
std::string PathOf(const std::string& text) {
  const auto space = text.find(' ');
  return "C:\\" + text.substr(0, space) + "\\" + text.substr(space + 1) + ".exe";
}

TEST(FreeAndRunSaveSoak, AProcessKilledWhileSavingLeavesTheOldOrTheNewListWhole) {
  const std::string key = std::string("HKEY_CURRENT_USER\\") + kSoakListPath;
  win32::Win32Registry backend;
  const uRegistry registry(backend);
  win32::Win32Collation collation;
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string saver(module);
  saver.erase(saver.find_last_of("\\/") + 1);
  saver += "rsw_freeandrun_saver.exe";

  std::mt19937 random(20261210);
  int killedMidway = 0;
  for (int run = 0; run < 8; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    // 1,000 entries, numbered as a finished save leaves them
    RegDeleteTreeA(HKEY_CURRENT_USER, kSoakListPath);
    for (int i = 0; i < 1000; ++i) {
      char text[16];
      std::snprintf(text, sizeof text, "Entry %04d", i);
      const std::string n = std::to_string(i);
      registry.WriteRegString(key, "Display " + n, text);
      registry.WriteRegString(key, "Run " + n, PathOf(text));
      registry.WriteRegInteger(key, "Free " + n, i % 41);
    }
    const std::string eventName = "RswSaverWrote-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(run);
    const win32::ScopedHandle wrote(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(wrote);
    // started as the tests start every program: a fault in it fails this test
    ProgramRun saving(saver, "\"" + key + "\" " + eventName, "");
    ASSERT_TRUE(saving.Started());
    const HANDLE process = saving.Handle();
    // the random moment falls inside the saving: it starts once the first value is written
    const HANDLE started[] = {wrote.Get(), process};
    const DWORD first = WaitForMultipleObjects(2, started, FALSE, 30000);
    if (first != WAIT_OBJECT_0) TerminateProcess(process, 9);
    ASSERT_EQ(first, WAIT_OBJECT_0) << "the saver wrote nothing (it ended, or 30 s passed)";
    Sleep(std::uniform_int_distribution<DWORD>(300, 2500)(random));
    DWORD exitCode = 0;
    ASSERT_TRUE(GetExitCodeProcess(process, &exitCode));
    EXPECT_EQ(exitCode, static_cast<DWORD>(STILL_ACTIVE)) << "the saver was still saving when it was killed";
    TerminateProcess(process, 9);
    WaitForSingleObject(process, 10000);

    FreeAndRunList list(registry, collation, key);
    list.LoadFreeAndRunList();
    std::set<std::string> texts;
    int extras = 0;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
      const auto entry = list.GetFreeAndRunEntry(i);
      ASSERT_TRUE(entry);
      // whole: the text, its program and its amount belong together
      ASSERT_EQ(entry->Run, PathOf(entry->Display)) << entry->Display;
      const int number = std::stoi(entry->Display.substr(entry->Display.find(' ') + 1));
      ASSERT_EQ(entry->Free, number % 41) << entry->Display;
      if (texts.insert(entry->Display).second && entry->Display.starts_with("Extra")) ++extras;
    }
    // the whole list before some save or after it: all 1,000 entries and the first extras
    for (int i = 0; i < 1000; ++i) {
      char text[16];
      std::snprintf(text, sizeof text, "Entry %04d", i);
      ASSERT_TRUE(texts.contains(text)) << text;
    }
    for (int i = 0; i < extras; ++i) ASSERT_TRUE(texts.contains("Extra " + std::to_string(i))) << i;
    EXPECT_EQ(texts.size(), 1000u + static_cast<std::size_t>(extras));
    if (list.Count() != static_cast<std::int32_t>(texts.size())) ++killedMidway;
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, kSoakListPath);
  std::printf("[ soak ] %d of 8 kills left a save half done\n", killedMidway);
}

}  // namespace
}  // namespace rsw::test
