// The Windows side of `make bench` (bench/bench.py drives it and prints the table): each mode
// measures one figure against its reference in the same run and prints "RESULT name value" lines.
//   rsw_bench.exe freeup [MB] [passes]   seconds per MB of real free-up passes and of a raw loop
//   rsw_bench.exe updates                GDI objects and private bytes over 10,000 status updates
//   rsw_bench.exe tick                   what one refresh tick costs, and its parts
//   rsw_bench.exe launch [runs]          second start to the requested pass, and an empty start
//   rsw_bench.exe tray                   minimises the running program to the tray
//   rsw_bench.exe workingset CLASS       working set of the process that owns a window of CLASS
//   rsw_bench.exe close CLASS            closes the windows of CLASS and waits for their processes

#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "display/StatusDisplay.h"
#include "display/win32/TTraybar.h"
#include "engine/StatusCaption.h"
#include "engine/TFreeThread.h"
#include "engine/win32/Win32FreeUp.h"
#include "shell/Messages.h"
#include "shell/SettingsKey.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/ScopedHandles.h"
#include "shell/win32/TfrmRamsweep.h"
#include "shell/win32/Win32Registry.h"
#include "wine/WineTestSupport.h"

namespace {

using rsw::win32::ScopedHandle;

void Result(const char* name, double value) { std::printf("RESULT %s %.9g\n", name, value); }

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

// Mean seconds of one call of `step` over `runs` calls.
double Mean(int runs, const std::function<void(int)>& step) {
  const double start = Now();
  for (int i = 0; i < runs; ++i) step(i);
  return (Now() - start) / runs;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string BinFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  return counters.PrivateUsage;
}

// The worker's platform with posts dropped: only the passes are measured.
class SilentPlatform final : public rsw::win32::Win32FreeUpPlatform {
 public:
  void Post(void*, std::uint32_t, std::uint32_t) override {}
};

// What a free-up pass does, written plainly: allocate, yield and touch every KB, release.
void RawPass(std::size_t bytes) {
  auto* block =
      static_cast<volatile std::uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (!block) return;
  for (std::size_t offset = 0; offset < bytes; offset += 1024) {
    Sleep(0);
    block[offset] = 0xCC;
  }
  VirtualFree(const_cast<std::uint8_t*>(block), 0, MEM_RELEASE);
}

int FreeUp(int amount, int passes) {
  rsw::TFreeThread worker;
  worker.AmountMB = amount;
  worker.MaxPasses = 1;  // one pass per run, so every pass runs whatever memory is free
  SilentPlatform platform;
  const std::size_t bytes = static_cast<std::size_t>(amount) * 1048576;
  RawPass(bytes);  // both start from memory the system has handed out once
  const std::size_t before = PrivateBytes();
  double program = 0, reference = 0;
  // interleaved, so both see the same machine
  for (int i = 0; i < passes; ++i) {
    double start = Now();
    worker.Execute(platform);
    program += Now() - start;
    start = Now();
    RawPass(bytes);
    reference += Now() - start;
  }
  const double totalMB = static_cast<double>(amount) * passes;
  Result("freeup_program_s_per_mb", program / totalMB);
  Result("freeup_reference_s_per_mb", reference / totalMB);
  Result("freeup_kept_mb", (static_cast<double>(PrivateBytes()) - static_cast<double>(before)) / 1048576.0);
  return 0;
}

// The main window made in this process, its tray icon shown, over a memory reading the bench sets.
struct Window {
  rsw::win32::Win32Registry backend;
  rsw::uRegistry registry{backend};
  std::uint64_t freeBytes = 3000ull * 1048576;
  std::unique_ptr<rsw::win32::TfrmRamsweep> form;

  Window() {
    registry.WriteRegInteger(rsw::kSettingsKey, "Icon", 1);
    registry.WriteRegInteger(rsw::kSettingsKey, "Refresh", 0);
    rsw::win32::TfrmRamsweep::RegisterClass(GetModuleHandleA(nullptr));
    rsw::win32::TfrmRamsweep::Options options;
    options.programPath = "C:\\Tools\\rswpro.exe";
    options.memory = [this] { return rsw::win32::MemoryStatus{8192ull * 1048576, freeBytes}; };
    form = rsw::win32::TfrmRamsweep::Create(GetModuleHandleA(nullptr), registry, std::move(options));
    // no timer of its own: every update here is driven
    if (form) KillTimer(form->Handle(), rsw::win32::kTimer1);
  }
  ~Window() {
    form.reset();
    registry.DeleteRegValue(rsw::kSettingsKey, "Icon");
    registry.DeleteRegValue(rsw::kSettingsKey, "Refresh");
  }
  void Tick() { SendMessageA(form->Handle(), WM_TIMER, rsw::win32::kTimer1, 0); }
  // Another number of megabytes on every call, so the digits change.
  void Change(int i) { freeBytes = (3000ull + static_cast<unsigned>(i % 2) * 7) * 1048576; }
  // A tenth of a megabyte more or less on every call: the caption and the tip change, the digits not.
  void ChangeTip(int i) { freeBytes = 3000ull * 1048576 + static_cast<unsigned>(i % 2) * 104858; }
};

int Updates() {
  Window window;
  if (!window.form) return 2;
  auto update = [&](int i) {
    window.Change(i);
    window.form->UpdateStatusCaption();
  };
  for (int i = 0; i < 100; ++i) update(i);
  const long gdiAfter100 = rsw::test::LiveGdiObjects();
  const std::size_t privateAfter100 = PrivateBytes();
  for (int i = 100; i < 10000; ++i) update(i);
  Result("updates_gdi_after_100", gdiAfter100);
  Result("updates_gdi_after_10000", rsw::test::LiveGdiObjects());
  Result("updates_private_after_100", static_cast<double>(privateAfter100));
  Result("updates_private_after_10000", static_cast<double>(PrivateBytes()));
  return 0;
}

int Tick() {
  Window window;
  if (!window.form) return 2;
  constexpr int kRuns = 2000;
  for (int i = 0; i < 50; ++i) window.Tick();
  Result("tick_steady_s", Mean(kRuns, [&](int) { window.Tick(); }));
  Result("tick_tip_changing_s", Mean(kRuns, [&](int i) {
           window.ChangeTip(i);
           window.Tick();
         }));
  Result("tick_changing_s", Mean(kRuns, [&](int i) {
           window.Change(i);
           window.Tick();
         }));

  // the tick's two halves driven alone: the caption with the tray picture, and the picture alone
  Result("tick_caption_and_tray_s", Mean(kRuns, [&](int) { window.form->UpdateStatusCaption(); }));
  Result("tick_tray_only_s", Mean(kRuns, [&](int) { window.form->RefreshMemoryReading(); }));

  // the parts of a tick, each alone
  Result("part_memory_reading_s", Mean(kRuns, [](int) { rsw::win32::ReadMemoryStatus(); }));
  Result("part_caption_text_s", Mean(kRuns, [](int i) {
           const rsw::FreeUpProgress progress{false, 0, 0, 0};
           rsw::StatusCaption(progress, true, 3000ull * 1048576 + static_cast<unsigned>(i), ".");
         }));
  const HWND caption = window.form->Handle();
  Result("part_caption_read_s", Mean(kRuns, [&](int) {
           char text[256];
           GetWindowTextA(caption, text, sizeof text);
         }));
  Result("part_caption_set_s", Mean(kRuns, [&](int i) {
           SetWindowTextA(caption, i % 2 ? "3000.1 MB - Ramsweep Pro" : "3000.2 MB - Ramsweep Pro");
         }));
  Result("part_state_digits_tip_s", Mean(kRuns, [](int i) {
           const rsw::TrayInputs inputs{3000ull * 1048576 + static_cast<unsigned>(i), 3000, 4000, true, false, 0, 0};
           int toggle = 0;
           rsw::LookOf(rsw::SelectTrayState(inputs), toggle);
           rsw::TrayDigits(inputs.freeBytes);
           rsw::TrayTip(inputs.freeBytes, ".");
         }));
  // the program's own composer on the picture it uses, the digits alternating
  const int size = window.form->TrayPictureSize();
  const HICON base =
      static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "ICON_GREEN", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  const int centreRow = rsw::TextCentreRow(rsw::TrayPicture::Green, rsw::TrayDigitMetricsFor(size));
  Result("part_compose_icon_s", Mean(kRuns, [&](int i) {
           if (const HICON picture = window.form->ComposeTrayIcon(base, i % 2 ? "3000" : "3007", centreRow)) {
             DestroyIcon(picture);
           }
         }));
  rsw::win32::TTraybar& tray = window.form->Tray();
  Result("part_taskbar_check_s", Mean(kRuns, [&](int) { tray.CheckTaskbar(); }));
  Result("part_shell_modify_s", Mean(kRuns, [&](int i) {
           tray.Hint = i % 2 ? "3000.1 MB" : "3000.2 MB";
           tray.ModifyIcon();
         }));
  Result("part_shell_query_s", Mean(kRuns, [&](int) {
           NOTIFYICONDATAA query{};
           query.cbSize = rsw::win32::TTraybar::kIconDataSize;
           query.hWnd = tray.CallbackWindow();
           query.uID = 1;
           Shell_NotifyIconA(NIM_MODIFY, &query);
         }));
  DestroyIcon(base);
  return 0;
}

struct Started {
  ScopedHandle process;
  DWORD id = 0;
};

Started Start(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return {};
  CloseHandle(info.hThread);
  return {ScopedHandle(info.hProcess), info.dwProcessId};
}

std::string Caption(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Polls until `condition` holds or 30 s pass; the moment it held, or a negative number.
double WaitFor(const std::function<bool()>& condition) {
  const double limit = Now() + 30;
  while (Now() < limit) {
    if (condition()) return Now();
    Sleep(0);
  }
  return -1;
}

void CloseClass(const char* className) {
  while (const HWND window = FindWindowA(className, nullptr)) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    ScopedHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!process || WaitForSingleObject(process.Get(), 10000) != WAIT_OBJECT_0) break;
  }
}

int Launch(int runs) {
  const std::string folder = BinFolder();
  const std::string program = "\"" + folder + "rswpro.exe\"";
  const std::string empty = "\"" + folder + "rsw_bench_empty.exe\"";
  CloseClass(rsw::kMainWindowClass);
  Started first = Start(program);
  if (!first.process || WaitFor([] { return FindWindowA(rsw::kMainWindowClass, nullptr) != nullptr; }) < 0) return 2;
  const HWND window = FindWindowA(rsw::kMainWindowClass, nullptr);
  WaitFor([&] { return Caption(window).ends_with("Ramsweep Pro"); });
  Sleep(1000);
  std::vector<double> programTimes, referenceTimes;
  for (int run = 0; run < runs; ++run) {
    // the reference: an empty program's start to its window
    double start = Now();
    Started reference = Start(empty);
    const double shown = WaitFor([] { return FindWindowA("RswBenchEmptyLoop", nullptr) != nullptr; });
    if (!reference.process || shown < 0) return 3;
    referenceTimes.push_back(shown - start);
    CloseClass("RswBenchEmptyLoop");

    // a second start asking for a free-up: until the running instance begins its first pass (a
    // pass of 256 MB lasts long enough to be seen)
    start = Now();
    Started second = Start(program + " F256 T1 D0");
    const double working = WaitFor([&] { return Caption(window).find("Working") != std::string::npos; });
    if (!second.process || working < 0) return 4;
    programTimes.push_back(working - start);
    WaitForSingleObject(second.process.Get(), 10000);
    WaitFor([&] { return Caption(window).ends_with("Ramsweep Pro"); });
    Sleep(300);
  }
  CloseClass(rsw::kMainWindowClass);
  Result("launch_program_s", Median(programTimes));
  Result("launch_reference_s", Median(referenceTimes));
  return 0;
}

int Tray() {
  const HWND window = FindWindowA(rsw::kMainWindowClass, nullptr);
  if (!window) return 2;
  SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  const HWND callback = FindWindowA("TTraybarCallback", nullptr);
  NOTIFYICONDATAA query{};
  query.cbSize = rsw::win32::TTraybar::kIconDataSize;
  query.hWnd = callback;
  query.uID = 1;
  const bool inTray = !IsWindowVisible(window) && callback && Shell_NotifyIconA(NIM_MODIFY, &query);
  Result("in_tray", inTray ? 1 : 0);
  return inTray ? 0 : 3;
}

int WorkingSet(const char* className) {
  const HWND window = FindWindowA(className, nullptr);
  DWORD id = 0;
  if (!window || !GetWindowThreadProcessId(window, &id)) return 2;
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!process || !GetProcessMemoryInfo(process.Get(), &counters, sizeof counters)) return 3;
  Result("working_set", static_cast<double>(counters.WorkingSetSize));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "freeup";
  if (mode == "freeup") return FreeUp(argc > 2 ? std::atoi(argv[2]) : 256, argc > 3 ? std::atoi(argv[3]) : 4);
  if (mode == "updates") return Updates();
  if (mode == "tick") return Tick();
  if (mode == "launch") return Launch(argc > 2 ? std::atoi(argv[2]) : 5);
  if (mode == "tray") return Tray();
  if (mode == "workingset" && argc > 2) return WorkingSet(argv[2]);
  if (mode == "close" && argc > 2) {
    CloseClass(argv[2]);
    return 0;
  }
  std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
  return 1;
}
