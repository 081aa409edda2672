// The setup launcher and the release folder under Wine: the short directory form, the message when
// RSWPRO.INF is missing, the hand-over to the shell's "install" verb (setupapi here), and a full
// install, run and uninstall through the real RSWPRO.INF.

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "setup/InfPath.h"
#include "setup/win32/SetupLauncher.h"
#include "shell/win32/InstanceHandOff.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

// build/dist as Wine sees it: the host's root is drive Z.
std::string DistFolder() {
  std::string path = "Z:" RSW_DIST_DIR;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string TempFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string LongForm(const std::string& path) {
  char buffer[1024] = {};
  const DWORD length = GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  return length && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

std::string Launcher() { return DistFolder() + "\\rswsetup.exe"; }

// Runs the launcher in `folder`; returns the text of its message box ("" when none showed) and
// checks that it ends with exit code 0.
std::string RunLauncherIn(const std::string& folder) {
  ProgramRun run(Launcher(), "", folder);
  EXPECT_TRUE(run.Started()) << Launcher();
  std::string text;
  HWND box = nullptr;
  WaitUntil(
      [&] {
        box = FindDialogOf(run.ProcessId(), "Ramsweep Setup");
        return box != nullptr || run.WaitForExit(0ms) != -1;
      },
      15s);
  if (box) {
    text = MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  EXPECT_EQ(run.WaitForExit(10s), 0);
  return text;
}

TEST(SetupLauncher, ShortFormOfADirectoryWhoseNameHasBlanks) {
  const std::string folder = TempFolder("rsw setup folder with blanks");
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  const std::string shortForm = rswsetup::win32::CurrentDirectoryShortForm();
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(shortForm.empty());
  EXPECT_EQ(shortForm.find(' '), std::string::npos) << shortForm;
  EXPECT_TRUE(SamePath(LongForm(shortForm), LongForm(folder))) << shortForm;  // the same folder
  RemoveFolder(folder);
}

TEST(SetupLauncher, FolderWithoutTheInfShowsTheMessageOnceAndEndsWithCode0) {
  const std::string folder = TempFolder("rsw-setup-empty");
  EXPECT_EQ(RunLauncherIn(folder), rswsetup::SetupFailureMessage());
  RemoveFolder(folder);
}

TEST(SetupLauncher, InfIsTakenFromTheCurrentFolderInItsShortForm) {
  // A test INF that records the folder it was installed from; the launcher's own folder (the
  // release folder) has a different RSWPRO.INF, which must not be the one used.
  const std::string folder = TempFolder("rsw setup with blanks");
  {
    std::ofstream inf(folder + "\\RSWPRO.INF");
    inf << "[Version]\nSignature=\"$CHICAGO$\"\n\n[DefaultInstall]\nAddReg=Record\n\n"
           "[Record]\nHKCU,Software\\RamsweepProTests\\Setup,Source,,\"%1%\"\n";
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\RamsweepProTests\\Setup");
  EXPECT_EQ(RunLauncherIn(folder), "");
  std::optional<std::string> source;
  EXPECT_TRUE(WaitUntil(
      [&] {
        return (source = StoredText(HKEY_CURRENT_USER, "Software\\RamsweepProTests\\Setup", "Source")).has_value();
      },
      20s));
  if (source) {
    EXPECT_EQ(source->find(' '), std::string::npos) << *source;
    std::string recorded = *source;  // setupapi gives the folder with its trailing backslash
    if (!recorded.empty() && recorded.back() == '\\') recorded.pop_back();
    EXPECT_TRUE(SamePath(LongForm(recorded), LongForm(folder))) << *source;
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\RamsweepProTests\\Setup");
  RemoveFolder(folder);
}

// ---- the release folder: install, run, uninstall ----

constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSettingsPath = "Software\\Vondrel Aske\\Ramsweep Pro";

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string InstalledFolder() { return SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Ramsweep Pro"; }

std::vector<std::string> Shortcuts() {
  return {SpecialFolder(CSIDL_PROGRAMS) + "\\Ramsweep Pro.lnk",
          SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Ramsweep Pro.lnk"};
}

// The README's line, on the INF the installation put into the program folder.
long Uninstall() {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  ProgramRun run(std::string(system) + "\\rundll32.exe",
                 "setupapi.dll,InstallHinfSection DefaultUninstall 132 " + InstalledFolder() + "\\RSWPRO.INF", "");
  EXPECT_TRUE(run.Started());
  return run.WaitForExit(60s);
}

TEST(ReleaseFolder, HoldsExactlyTheFourFiles) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA((DistFolder() + "\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << DistFolder();
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"RSWPRO.INF", "rswpro.exe", "rswpro4.html", "rswsetup.exe"}));
}

TEST(ReleaseFolder, InstallsRunsAndUninstallsLeavingNothingBehind) {
  EndStrayInstances();
  Uninstall();  // whatever an earlier run left
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
  const std::string installed = InstalledFolder() + "\\rswpro.exe";
  ASSERT_FALSE(FileExists(installed));

  // install: the launcher hands the INF to the shell, which runs setupapi without waiting
  EXPECT_EQ(RunLauncherIn(DistFolder()), "");
  const std::string entry = "\"" + installed + "\" Startup";
  std::optional<std::string> stored;
  EXPECT_TRUE(WaitUntil(
      [&] { return (stored = StoredText(HKEY_CURRENT_USER, kRunKeyPath, "Ramsweep Pro")).has_value(); }, 60s));
  ASSERT_TRUE(stored);
  EXPECT_TRUE(SamePath(*stored, entry)) << *stored;
  EXPECT_TRUE(FileExists(installed));
  EXPECT_TRUE(FileExists(InstalledFolder() + "\\rswpro4.html"));
  // the shortcut comes last, after the registration
  const auto shortcuts = Shortcuts();
  EXPECT_TRUE(WaitUntil([&] { return FileExists(shortcuts[0]) || FileExists(shortcuts[1]); }, 30s));
  EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRunKeyPath, "Ramsweep Pro").value_or(""), *stored);

  // run: the installation started the program; the log-on command, a second start now, hands its
  // free-up over to it and ends; the program stays and is closed once the free-up is over
  HWND window = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (window = win32::FindRunningInstance()) != nullptr; }, 30s));
  ASSERT_TRUE(window);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  win32::ScopedHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  ASSERT_TRUE(process);
  char image[MAX_PATH] = {};
  DWORD imageSize = MAX_PATH;
  ASSERT_TRUE(QueryFullProcessImageNameA(process.Get(), 0, image, &imageSize));
  EXPECT_TRUE(SamePath(image, installed)) << image;
  {
    // a countdown long enough to be seen in the caption
    const DWORD delay = 5;
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsPath, "StartupDelay", REG_DWORD, &delay, sizeof delay),
              ERROR_SUCCESS);
    ProgramRun run(installed, "Startup", "");
    EXPECT_EQ(run.WaitForExit(20s), 0);
    EXPECT_EQ(run.MainWindow(), nullptr);
    // the start-up free-up runs in the installed program with what is stored: the five-second
    // countdown, then the work, and back to idle
    std::set<std::string> states;
    EXPECT_TRUE(WaitUntil(
        [&] {
          const std::string caption = WindowText(window);
          const std::string state = caption.substr(std::min(caption.find("Ramsweep Pro"), caption.size()));
          states.insert(state);
          return state == "Ramsweep Pro" && states.size() > 1;
        },
        30s));
    EXPECT_TRUE(std::any_of(states.begin(), states.end(),
                            [](const std::string& state) { return state.starts_with("Ramsweep Pro - Waiting ("); }))
        << "no start-up free-up seen";
    for (const std::string& state : states) {
      EXPECT_TRUE(state == "Ramsweep Pro" || state == "Ramsweep Pro - Working" ||
                  std::regex_match(state, std::regex(R"(Ramsweep Pro - Waiting \([1-5]\))")))
          << state;
    }
    bool ended = false;
    for (int attempt = 0; attempt < 30 && !ended; ++attempt) {
      PostMessageA(window, WM_CLOSE, 0, 0);  // refused while the free-up runs
      ended = WaitForSingleObject(process.Get(), 1000) == WAIT_OBJECT_0;
    }
    EXPECT_TRUE(ended);
  }

  // uninstall: nothing of it is left but the maker's key
  EXPECT_EQ(Uninstall(), 0);
  EXPECT_FALSE(FileExists(installed));
  EXPECT_FALSE(FileExists(InstalledFolder() + "\\rswpro4.html"));
  for (const auto& shortcut : shortcuts) EXPECT_FALSE(FileExists(shortcut)) << shortcut;
  EXPECT_EQ(StoredText(HKEY_CURRENT_USER, kRunKeyPath, "Ramsweep Pro"), std::nullopt);
  EXPECT_FALSE(KeyExists(kSettingsPath));
  EXPECT_TRUE(KeyExists("Software\\Vondrel Aske"));
  EXPECT_FALSE(FileExists(InstalledFolder()));
}

}  // namespace
}  // namespace rsw::test
