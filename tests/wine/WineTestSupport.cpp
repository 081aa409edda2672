#include "wine/WineTestSupport.h"

#include <cstring>
#include <vector>

#include "shell/Messages.h"

namespace rsw::test {

using namespace std::chrono_literals;

std::string ProgramPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + "rswpro.exe";
}

ProgramRun::ProgramRun(const std::string& arguments, int showCommand) {
  std::string commandLine = "\"" + ProgramPath() + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION info{};
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    m_process.Reset(info.hProcess);
    CloseHandle(info.hThread);
    m_processId = info.dwProcessId;
  }
}

ProgramRun::~ProgramRun() {
  if (m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(m_process.Get(), 99);
    WaitForSingleObject(m_process.Get(), 5000);
  }
}

long ProgramRun::WaitForExit(std::chrono::milliseconds limit) {
  if (!m_process) return -1;
  bool ended = false;
  WaitUntil([&] { return ended = WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0; }, limit);
  if (!ended) return -1;
  DWORD code = 0;
  GetExitCodeProcess(m_process.Get(), &code);
  return static_cast<long>(code);
}

namespace {

struct WindowSearch {
  DWORD processId;  // 0: any process other than this one
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMainWindows(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  char className[101] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, kMainWindowClass) != 0) return TRUE;
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  const bool wanted = search.processId ? owner == search.processId : owner != GetCurrentProcessId();
  if (wanted) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> MainWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(&CollectMainWindows, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

HWND ProgramRun::MainWindow() const {
  if (!m_processId) return nullptr;
  const auto windows = MainWindows(m_processId);
  return windows.empty() ? nullptr : windows.front();
}

HWND ProgramRun::WaitForMainWindow(std::chrono::milliseconds limit) const {
  HWND window = nullptr;
  WaitUntil([&] { return (window = MainWindow()) != nullptr; }, limit);
  return window;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

bool WaitUntilWithoutPumping(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(20);
  }
}

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT bounds{};
  if (!GetWindowRect(window, &bounds)) return false;
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const HDC screen = GetDC(nullptr);
  win32::ScopedMemoryDc dc(CreateCompatibleDC(screen));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win32::ScopedBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bool copied = false;
  if (dc && bitmap) {
    const win32::ScopedSelection selection(dc.Get(), bitmap.Get());
    copied = BitBlt(dc.Get(), 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY) != FALSE;
    GdiFlush();
  }
  ReleaseDC(nullptr, screen);
  if (!copied) return false;

  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  win32::ScopedHandle out(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (out.Get() == INVALID_HANDLE_VALUE) {
    out.Release();
    return false;
  }
  DWORD written = 0;
  return WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
         WriteFile(out.Get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         WriteFile(out.Get(), bits, imageSize, &written, nullptr);
}

std::string PictureFolder() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string folder(exe);
  folder = folder.substr(0, folder.find_last_of("\\/") + 1) + "screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\";
}

long LiveGdiObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported) return static_cast<long>(reported);
  long count = 0;
  for (UINT_PTR handle = 1; handle <= 0xFFFF; ++handle) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(handle))) ++count;
  }
  return count;
}

void EndStrayInstances() {
  for (HWND window : MainWindows(0)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    win32::ScopedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, owner));
    if (process) {
      TerminateProcess(process.Get(), 98);
      WaitForSingleObject(process.Get(), 5000);
    }
  }
}

}  // namespace rsw::test
