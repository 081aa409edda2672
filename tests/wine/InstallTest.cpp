// Installed like a Windows program, under Wine against the built release folder: EXIT closes the
// running instances, the installation lists the program among the installed ones and starts it,
// installs over a running copy keeping the user's settings and Free-and-Run list, stops when a
// copy will not close, and uninstalls from the listing or the README's line leaving nothing.

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "shell/Messages.h"
#include "shell/win32/CloseInstances.h"
#include "shell/win32/InstanceHandOff.h"
#include "wine/WineTestSupport.h"

namespace rsw::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kSettingsPath = "Software\\Vondrel Aske\\Ramsweep Pro";
constexpr const char* kListPath = "Software\\Vondrel Aske\\Ramsweep Pro\\Free And Run 4";
constexpr const char* kListingPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ramsweep Pro";
const std::vector<std::string> kInstalledFiles = {"rswpro.exe", "rswpro4.html", "RSWPRO.INF"};

std::string DistFolder() {
  std::string path = "Z:" RSW_DIST_DIR;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::string InstalledFolder() { return SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Ramsweep Pro"; }
std::string InstalledProgram() { return InstalledFolder() + "\\rswpro.exe"; }

std::vector<std::string> Shortcuts() {
  return {SpecialFolder(CSIDL_PROGRAMS) + "\\Ramsweep Pro.lnk",
          SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Ramsweep Pro.lnk"};
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FileContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteContent(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::optional<DWORD> StoredDword(const char* keyPath, const char* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, keyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::string SystemProgram(const char* name) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return std::string(system) + "\\" + name;
}

// A copy of the release folder in a temporary place, removed again by the test.
std::string CopyOfReleaseFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* file : {"rswsetup.exe", "rswpro.exe", "RSWPRO.INF", "rswpro4.html"}) {
    EXPECT_TRUE(CopyFileA((DistFolder() + "\\" + file).c_str(), (folder + "\\" + file).c_str(), FALSE)) << file;
  }
  return folder;
}

// The full path of the program a process runs, or "".
std::string ProcessImage(DWORD processId) {
  win32::ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!process || !QueryFullProcessImageNameA(process.Get(), 0, path, &size)) return "";
  return path;
}

DWORD ProcessOf(HWND window) {
  DWORD processId = 0;
  if (window) GetWindowThreadProcessId(window, &processId);
  return processId;
}

// The running instance when it runs the installed program, else nullptr.
HWND InstalledInstance() {
  const HWND window = win32::FindRunningInstance();
  if (!window) return nullptr;
  return lstrcmpiA(ProcessImage(ProcessOf(window)).c_str(), InstalledProgram().c_str()) == 0 ? window : nullptr;
}

struct VisibleSearch {
  DWORD processId;
  HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<VisibleSearch*>(parameter);
  if (ProcessOf(window) == search.processId && IsWindowVisible(window)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of the process (a box, a dialog), or nullptr.
HWND VisibleWindowOf(DWORD processId) {
  VisibleSearch search{processId};
  EnumWindows(&FindVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool ProcessEnded(DWORD processId) {
  win32::ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
  return !process || WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

// Runs a program with its standard output read; the output, or nothing when it did not end in time.
std::optional<std::string> RunForOutput(const std::string& executable, const std::string& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return std::nullopt;
  win32::ScopedHandle reader(readEnd), writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::string commandLine = "\"" + executable + "\" " + arguments;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return std::nullopt;
  }
  win32::ScopedHandle process(info.hProcess), thread(info.hThread);
  writer.Reset();
  std::string output;
  char buffer[512];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0) return std::nullopt;
  return output;
}

// Runs the launcher in `folder`, as a user would: it hands the INF to the shell and ends at once.
void RunLauncherIn(const std::string& folder) {
  ProgramRun run(folder + "\\rswsetup.exe", "", folder);
  ASSERT_TRUE(run.Started());
  EXPECT_EQ(run.WaitForExit(15s), 0);
}

// Nothing of the program is left, the maker's key aside.
void ExpectNothingLeft() {
  for (const auto& file : kInstalledFiles) EXPECT_FALSE(FileExists(InstalledFolder() + "\\" + file)) << file;
  EXPECT_FALSE(FileExists(InstalledFolder())) << "the program folder";
  for (const auto& shortcut : Shortcuts()) EXPECT_FALSE(FileExists(shortcut)) << shortcut;
  EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), std::nullopt);
  EXPECT_FALSE(KeyExists(kSettingsPath));
  EXPECT_FALSE(KeyExists(kListingPath));
  EXPECT_TRUE(KeyExists("Software\\Vondrel Aske"));
  EXPECT_EQ(win32::FindRunningInstance(), nullptr);
}

bool NothingLeft() {
  return !FileExists(InstalledFolder()) && !KeyExists(kSettingsPath) && !KeyExists(kListingPath) &&
         !StoredText(kRunKeyPath, "Ramsweep Pro") && !FileExists(Shortcuts()[0]) && !FileExists(Shortcuts()[1]);
}

class Installation : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }

  static void Clean() {
    EndStrayInstances();
    RemoveFolder(InstalledFolder());
    for (const auto& shortcut : Shortcuts()) DeleteFileA(shortcut.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
    RegDeleteTreeA(HKEY_CURRENT_USER, kListingPath);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKeyPath, "Ramsweep Pro");
  }

  // Installs from `folder` and waits for the installed program to run; its main window.
  static HWND InstallFrom(const std::string& folder) {
    RunLauncherIn(folder);
    HWND window = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (window = InstalledInstance()) != nullptr; }, 90s)) << "not started";
    // the chain ends with the start: INSTALL has run by then
    EXPECT_TRUE(WaitUntil([] { return StoredText(kRunKeyPath, "Ramsweep Pro").has_value(); }, 10s));
    return window;
  }

  static long UninstallWithTheReadmeLine() {
    ProgramRun run(SystemProgram("rundll32.exe"),
                   "setupapi.dll,InstallHinfSection DefaultUninstall 132 " + InstalledFolder() + "\\RSWPRO.INF", "");
    EXPECT_TRUE(run.Started());
    return run.WaitForExit(90s);
  }
};

// ---- the release ----

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

// The names in a zip file's central directory, or nothing when it cannot be read.
std::optional<std::vector<std::string>> ZipNames(const std::string& zip) {
  const std::size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  if (end == std::string::npos || end + 22 > zip.size()) return std::nullopt;
  const std::uint32_t count = Little(zip, end + 10, 2);
  std::size_t at = Little(zip, end + 16, 4);
  std::vector<std::string> names;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + 46 > zip.size() || Little(zip, at, 4) != 0x02014b50u) return std::nullopt;
    const std::uint32_t nameLength = Little(zip, at + 28, 2);
    names.push_back(zip.substr(at + 46, nameLength));
    at += 46 + nameLength + Little(zip, at + 30, 2) + Little(zip, at + 32, 2);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Release, ZipBesideTheFolderHoldsExactlyItsFourFiles) {
  const auto names = ZipNames(FileContent(DistFolder() + "\\..\\ramsweep-pro-4.1.zip"));
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<std::string>{"RSWPRO.INF", "rswpro.exe", "rswpro4.html", "rswsetup.exe"}));
  // the size of the installed files is written into the released INF, not left as a placeholder
  const std::string inf = FileContent(DistFolder() + "\\RSWPRO.INF");
  EXPECT_EQ(inf.find("@INSTALLED_KB@"), std::string::npos);
  EXPECT_NE(inf.find("EstimatedSize,0x10001,"), std::string::npos);
}

// ---- EXIT ----

TEST_F(Installation, ExitWithNoInstanceEndsAtOnceWithCode0) {
  ProgramRun run("EXIT");
  ASSERT_TRUE(run.Started());
  EXPECT_EQ(run.WaitForExit(10s), 0);
  EXPECT_EQ(run.MainWindow(), nullptr);
}

TEST_F(Installation, ExitClosesTheRunningInstanceWithItsSettingsSaved) {
  ProgramRun first("");
  const HWND window = first.WaitForMainWindow(20s);
  ASSERT_TRUE(window);
  // gone while it runs: only its close can write the settings again
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsPath);
  ProgramRun exit("EXIT");
  ASSERT_TRUE(exit.Started());
  EXPECT_EQ(exit.WaitForExit(20s), 0);
  EXPECT_EQ(first.WaitForExit(5s), 0) << "closed, not killed";
  EXPECT_TRUE(StoredDword(kSettingsPath, "Refresh").has_value());
  EXPECT_EQ(win32::FindRunningInstance(), nullptr);
}

TEST_F(Installation, ExitWaitsForAFreeUpThatEndsBeforeItsDeadline) {
  ProgramRun first("D3 T1 F1");
  const HWND window = first.WaitForMainWindow(20s);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(window).find("Waiting (") != std::string::npos; }, 10s));
  ProgramRun exit("EXIT");
  EXPECT_EQ(exit.WaitForExit(30s), 0);
  EXPECT_EQ(first.WaitForExit(5s), 0);
}

TEST_F(Installation, ExitGivesUpOnAFreeUpThatOutlastsItsDeadlineWithoutEndingIt) {
  ProgramRun first("D60 T1 F1");
  const HWND window = first.WaitForMainWindow(20s);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(window).find("Waiting (") != std::string::npos; }, 10s));
  const auto started = std::chrono::steady_clock::now();
  ProgramRun exit("EXIT");
  EXPECT_EQ(exit.WaitForExit(40s), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(win32::kExitDeadlineMs - 500));
  EXPECT_EQ(exit.MainWindow(), nullptr);
  EXPECT_EQ(first.WaitForExit(0ms), -1) << "the busy instance goes on";
  EXPECT_EQ(win32::FindRunningInstance(), window);
}

TEST_F(Installation, ExitLeavesAnInstanceAloneWhileAModalBoxDisablesIt) {
  ProgramRun first("");
  const HWND window = first.WaitForMainWindow(20s);
  ASSERT_TRUE(window);
  // a box of the program's own: its window is disabled while the box is up
  EnableWindow(window, FALSE);
  const auto started = std::chrono::steady_clock::now();
  ProgramRun exit("EXIT");
  EXPECT_EQ(exit.WaitForExit(40s), 1);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(win32::kExitDeadlineMs - 500));
  EXPECT_EQ(first.WaitForExit(0ms), -1);
  // closed as soon as it can take the request
  EnableWindow(window, TRUE);
  ProgramRun again("EXIT");
  EXPECT_EQ(again.WaitForExit(20s), 0);
  EXPECT_EQ(first.WaitForExit(5s), 0);
}

// ---- install and uninstall ----

TEST_F(Installation, InstallsFromACopiedReleaseFolderAndIsRemovedFromTheListing) {
  const std::string release = CopyOfReleaseFolder("rsw release copy");
  const HWND window = InstallFrom(release);
  ASSERT_TRUE(window);
  RemoveFolder(release);  // uninstalling never needs the download folder
  ASSERT_FALSE(FileExists(release));

  // the listing entry
  EXPECT_EQ(StoredText(kListingPath, "DisplayName"), "Ramsweep Pro");
  EXPECT_EQ(StoredText(kListingPath, "DisplayVersion"), "4.1");
  EXPECT_EQ(StoredText(kListingPath, "Publisher"), "Vondrel Aske");
  EXPECT_EQ(StoredText(kListingPath, "DisplayIcon"), InstalledProgram() + ",0");
  EXPECT_EQ(StoredText(kListingPath, "InstallLocation"), InstalledFolder());
  EXPECT_EQ(StoredDword(kListingPath, "NoModify"), 1u);
  EXPECT_EQ(StoredDword(kListingPath, "NoRepair"), 1u);
  EXPECT_EQ(StoredText(kListingPath, "UninstallString"),
            "\"" + SystemProgram("rundll32.exe") + "\" setupapi.dll,InstallHinfSection DefaultUninstall 132 " +
                InstalledFolder() + "\\RSWPRO.INF");
  // the size shown is that of the installed files, in kilobytes rounded up
  unsigned long long bytes = 0;
  for (const auto& file : kInstalledFiles) {
    const std::string content = FileContent(InstalledFolder() + "\\" + file);
    EXPECT_FALSE(content.empty()) << file;
    EXPECT_EQ(content, FileContent(DistFolder() + "\\" + file)) << file;
    bytes += content.size();
  }
  EXPECT_EQ(StoredDword(kListingPath, "EstimatedSize"), static_cast<DWORD>((bytes + 1023) / 1024));
  const auto shortcuts = Shortcuts();
  EXPECT_TRUE(FileExists(shortcuts[0]) || FileExists(shortcuts[1]));
  EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), "\"" + InstalledProgram() + "\" Startup");

  const std::string uninstaller = SystemProgram("uninstaller.exe");
  const auto listed = RunForOutput(uninstaller, "--list");
  ASSERT_TRUE(listed);
  EXPECT_NE(listed->find("Ramsweep Pro|||Ramsweep Pro"), std::string::npos) << *listed;

  // removal from the listing while the program runs
  const DWORD running = ProcessOf(window);
  ASSERT_TRUE(RunForOutput(uninstaller, "--remove \"Ramsweep Pro\""));
  EXPECT_TRUE(WaitUntil([&] { return NothingLeft() && ProcessEnded(running); }, 90s));
  ExpectNothingLeft();
  const auto after = RunForOutput(uninstaller, "--list");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->find("Ramsweep Pro"), std::string::npos) << *after;
}

TEST_F(Installation, InstallOverARunningCopyReplacesEveryFileAndKeepsTheSettingsAndTheList) {
  // another build: every file differs from the release's, and the program claims a later version
  // (9.9), which must not keep the release's older one out
  const std::string older = CopyOfReleaseFolder("rsw other release");
  for (const auto& file : kInstalledFiles) {
    std::string content = FileContent(older + "\\" + file);
    if (file == "rswpro.exe") {
      const std::size_t fixed = content.find(std::string("\xBD\x04\xEF\xFE", 4));
      ASSERT_NE(fixed, std::string::npos) << "no version resource";
      content.replace(fixed + 8, 4, std::string("\x09\x00\x09\x00", 4));  // dwFileVersionMS
    }
    WriteContent(older + "\\" + file, content + (file == "RSWPRO.INF" ? "\n; other\n" : "other"));
  }
  const HWND oldWindow = InstallFrom(older);
  ASSERT_TRUE(oldWindow);
  RemoveFolder(older);
  for (const auto& file : kInstalledFiles) {
    ASSERT_NE(FileContent(InstalledFolder() + "\\" + file), FileContent(DistFolder() + "\\" + file)) << file;
  }
  // the user's list, and a setting the closing copy writes back
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kListPath, "Run 1", REG_SZ, "notepad.exe", 12), ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kListPath, "Display 1", REG_SZ, "Notes", 6), ERROR_SUCCESS);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettingsPath, "Refresh");
  const DWORD oldProcess = ProcessOf(oldWindow);

  const std::string release = CopyOfReleaseFolder("rsw new release");
  RunLauncherIn(release);
  HWND window = nullptr;
  EXPECT_TRUE(WaitUntil(
      [&] { return ProcessEnded(oldProcess) && (window = InstalledInstance()) != nullptr && window != oldWindow; },
      90s));
  ASSERT_TRUE(window);
  EXPECT_NE(ProcessOf(window), oldProcess);
  for (const auto& file : kInstalledFiles) {
    EXPECT_EQ(FileContent(InstalledFolder() + "\\" + file), FileContent(DistFolder() + "\\" + file)) << file;
  }
  EXPECT_TRUE(StoredDword(kSettingsPath, "Refresh").has_value()) << "saved when the copy closed";
  EXPECT_EQ(StoredText(kListPath, "Run 1"), "notepad.exe");
  EXPECT_EQ(StoredText(kListPath, "Display 1"), "Notes");
  EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), "\"" + InstalledProgram() + "\" Startup");
  RemoveFolder(release);
}

TEST_F(Installation, InstallStopsBeforeTouchingAnythingWhileACopyWillNotClose) {
  const std::string release = CopyOfReleaseFolder("rsw busy release");
  const HWND window = InstallFrom(release);
  ASSERT_TRUE(window);
  const DWORD running = ProcessOf(window);
  const std::string help = InstalledFolder() + "\\rswpro4.html";
  WriteContent(help, "the installed page");
  RegDeleteTreeA(HKEY_CURRENT_USER, kListingPath);
  // busy for longer than EXIT waits
  PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(90, 1), 1);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(window).find("Waiting (") != std::string::npos; }, 10s));
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }, 5s));

  RunLauncherIn(release);
  // the installer gives up and brings the copy to the front
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }, 60s));
  EXPECT_EQ(FileContent(help), "the installed page");
  EXPECT_FALSE(KeyExists(kListingPath));
  EXPECT_FALSE(ProcessEnded(running)) << "never ended by force";
  EXPECT_EQ(win32::FindRunningInstance(), window);
  RemoveFolder(release);
}

TEST_F(Installation, UninstallStopsBeforeRemovingAnythingWhileACopyWillNotClose) {
  const std::string release = CopyOfReleaseFolder("rsw busy uninstall");
  const HWND window = InstallFrom(release);
  ASSERT_TRUE(window);
  RemoveFolder(release);
  const DWORD running = ProcessOf(window);
  PostMessageA(window, WM_REMOTE_FREEUP, PackRemoteWParam(90, 1), 1);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(window).find("Waiting (") != std::string::npos; }, 10s));
  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }, 5s));

  EXPECT_EQ(UninstallWithTheReadmeLine(), 0);  // rundll32 reports nothing itself
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(window) && IsWindowVisible(window); }, 10s))
      << "not brought to the front";
  for (const auto& file : kInstalledFiles) EXPECT_TRUE(FileExists(InstalledFolder() + "\\" + file)) << file;
  EXPECT_TRUE(KeyExists(kSettingsPath));
  EXPECT_TRUE(KeyExists(kListingPath));
  EXPECT_EQ(StoredText(kRunKeyPath, "Ramsweep Pro"), "\"" + InstalledProgram() + "\" Startup");
  EXPECT_FALSE(ProcessEnded(running)) << "never ended by force";
}

TEST_F(Installation, UninstallWhileTheProgramRunsLeavesNothingAndASecondOneEndsQuietly) {
  const std::string release = CopyOfReleaseFolder("rsw uninstall release");
  const HWND window = InstallFrom(release);
  ASSERT_TRUE(window);
  RemoveFolder(release);
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kListPath, "Run 1", REG_SZ, "notepad.exe", 12), ERROR_SUCCESS);
  const DWORD running = ProcessOf(window);

  EXPECT_EQ(UninstallWithTheReadmeLine(), 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessEnded(running) && NothingLeft(); }, 30s));
  ExpectNothingLeft();  // the closing copy wrote its settings before they were removed

  // again, now that the INF is gone: no box, nothing comes back
  ProgramRun second(SystemProgram("rundll32.exe"),
                    "setupapi.dll,InstallHinfSection DefaultUninstall 132 " + InstalledFolder() + "\\RSWPRO.INF", "");
  ASSERT_TRUE(second.Started());
  HWND box = nullptr;
  WaitUntil([&] { return (box = VisibleWindowOf(second.ProcessId())) != nullptr || second.WaitForExit(0ms) != -1; },
            30s);
  EXPECT_EQ(box, nullptr) << WindowText(box);
  if (box) PostMessageA(box, WM_CLOSE, 0, 0);
  EXPECT_EQ(second.WaitForExit(10s), 0);
  ExpectNothingLeft();
}

}  // namespace
}  // namespace rsw::test
