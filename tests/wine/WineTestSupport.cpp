#include "wine/WineTestSupport.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "shell/Messages.h"
#include "wine/FaultNet.h"

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
  Start(nullptr, std::move(commandLine), nullptr, startup);
}

ProgramRun::ProgramRun(const std::string& executable, const std::string& arguments, const std::string& directory) {
  std::string commandLine = "\"" + executable + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  Start(executable.c_str(), std::move(commandLine), directory.empty() ? nullptr : directory.c_str(), startup);
}

void ProgramRun::Start(const char* application, std::string commandLine, const char* directory,
                       const STARTUPINFOA& startup) {
  if (WatchingFaults()) {
    DebuggedStart start = StartDebugged(application, std::move(commandLine), directory, startup);
    m_process.Reset(start.process);
    m_processId = start.processId;
    m_debugger.Reset(start.debugger);
    return;
  }
  STARTUPINFOA plain = startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &plain,
                     &info)) {
    m_process.Reset(info.hProcess);
    CloseHandle(info.hThread);
    m_processId = info.dwProcessId;
  }
}

namespace {

struct DialogSearch {
  DWORD processId;
  std::string title;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<DialogSearch*>(parameter);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId && std::strcmp(className, "#32770") == 0 && WindowText(window) == search.title &&
      IsWindowVisible(window)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindDialogOf(DWORD processId, const std::string& title) {
  DialogSearch search{processId, title};
  EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string MessageBoxText(HWND box) {
  // MessageBox shows its text in the static control with id 0xFFFF.
  const HWND text = GetDlgItem(box, 0xFFFF);
  return text ? WindowText(text) : std::string();
}

ProgramRun::~ProgramRun() {
  if (m_process && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(m_process.Get(), 99);
    WaitForSingleObject(m_process.Get(), 5000);
  }
  // the debugger has heard every fault once the process has ended
  if (m_debugger) WaitForSingleObject(m_debugger.Get(), 10000);
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
  std::string text(static_cast<std::size_t>(std::max(GetWindowTextLengthA(window), 0)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(std::max(GetWindowTextA(window, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

std::optional<ScreenCapture> CaptureWindow(HWND window) {
  RECT bounds{};
  if (!GetWindowRect(window, &bounds)) return std::nullopt;
  ScreenCapture capture{bounds.right - bounds.left, bounds.bottom - bounds.top, {}};
  capture.pixels.resize(static_cast<std::size_t>(capture.width) * static_cast<std::size_t>(capture.height));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const HDC screen = GetDC(nullptr);
  win32::ScopedMemoryDc dc(CreateCompatibleDC(screen));
  win32::ScopedBitmap bitmap(CreateCompatibleBitmap(screen, capture.width, capture.height));
  bool copied = false;
  if (dc && bitmap) {
    {
      const win32::ScopedSelection selection(dc.Get(), bitmap.Get());
      copied = BitBlt(dc.Get(), 0, 0, capture.width, capture.height, screen, bounds.left, bounds.top, SRCCOPY) != FALSE;
    }
    copied = copied && GetDIBits(dc.Get(), bitmap.Get(), 0, static_cast<UINT>(capture.height), capture.pixels.data(),
                                 &info, DIB_RGB_COLORS) == capture.height;
  }
  ReleaseDC(nullptr, screen);
  if (!copied) return std::nullopt;
  return capture;
}

bool IsFlat(const ScreenCapture& picture, const RECT& area) {
  const int left = std::max(0, static_cast<int>(area.left)), top = std::max(0, static_cast<int>(area.top));
  const int right = std::min(picture.width, static_cast<int>(area.right));
  const int bottom = std::min(picture.height, static_cast<int>(area.bottom));
  if (left >= right || top >= bottom) return true;
  const auto at = [&](int x, int y) {
    return picture.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) +
                          static_cast<std::size_t>(x)] &
           0xFFFFFFu;
  };
  const std::uint32_t first = at(left, top);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (at(x, y) != first) return false;
    }
  }
  return true;
}

std::optional<IconPixels> ReadIconPixels(HICON icon, int size) {
  ICONINFO info{};
  if (size <= 0 || !icon || !GetIconInfo(icon, &info)) return std::nullopt;
  win32::ScopedBitmap mask(info.hbmMask), colour(info.hbmColor);
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = size;
  header.bmiHeader.biHeight = -size;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  const auto pixels = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
  IconPixels bits{std::vector<std::uint32_t>(pixels), std::vector<std::uint32_t>(pixels)};
  const HDC screen = GetDC(nullptr);
  const bool read =
      colour &&
      GetDIBits(screen, colour.Get(), 0, static_cast<UINT>(size), bits.colour.data(), &header, DIB_RGB_COLORS) ==
          size &&
      GetDIBits(screen, mask.Get(), 0, static_cast<UINT>(size), bits.mask.data(), &header, DIB_RGB_COLORS) == size;
  ReleaseDC(nullptr, screen);
  if (!read) return std::nullopt;
  return bits;
}

bool ShowsIcon(const ScreenCapture& picture, HICON icon, int size) {
  const auto bits = ReadIconPixels(icon, size);
  if (!bits) return false;
  const std::vector<std::uint32_t>& colourBits = bits->colour;
  const std::vector<std::uint32_t>& maskBits = bits->mask;
  std::vector<std::pair<std::size_t, std::uint32_t>> opaque;  // offset in the picture's rows, colour
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * size + x);
      if ((maskBits[i] & 0xFFFFFF) == 0) {
        opaque.emplace_back(
            static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(x),
            colourBits[i] & 0xFFFFFF);
      }
    }
  }
  if (opaque.empty()) return false;
  for (int top = 0; top + size <= picture.height; ++top) {
    for (int left = 0; left + size <= picture.width; ++left) {
      const std::size_t origin =
          static_cast<std::size_t>(top) * static_cast<std::size_t>(picture.width) + static_cast<std::size_t>(left);
      bool all = true;
      for (const auto& [offset, expected] : opaque) {
        if ((picture.pixels[origin + offset] & 0xFFFFFF) != expected) {
          all = false;
          break;
        }
      }
      if (all) return true;
    }
  }
  return false;
}

bool SaveWindowPicture(HWND window, const std::string& path) {
  auto capture = CaptureWindow(window);
  if (!capture) return false;
  // the screen leaves the fourth byte 0, which viewers would read as fully transparent
  for (std::uint32_t& pixel : capture->pixels) pixel |= 0xFF000000u;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = capture->width;
  header.biHeight = -capture->height;  // top row first, as captured
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const auto imageSize = static_cast<DWORD>(capture->pixels.size() * sizeof(std::uint32_t));
  header.biSizeImage = imageSize;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + imageSize;
  win32::ScopedHandle out(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (out.Get() == INVALID_HANDLE_VALUE) {
    out.Release();
    return false;
  }
  DWORD written = 0;
  return WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
         WriteFile(out.Get(), &header, sizeof header, &written, nullptr) &&
         WriteFile(out.Get(), capture->pixels.data(), imageSize, &written, nullptr);
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

namespace {

BOOL CALLBACK EndModalLoop(HWND window, LPARAM) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  // a menu's loop ends when its owner is told to cancel its modes
  PostMessageA(window, WM_CANCELMODE, 0, 0);
  return TRUE;
}

}  // namespace

ModalWatch::ModalWatch(HWND owner, std::function<bool()> act, std::chrono::milliseconds limit) {
  const DWORD thread = GetWindowThreadProcessId(owner, nullptr);
  m_thread = std::thread([this, thread, act = std::move(act), limit] {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
      // once more after the stop: the modal loop may have ended between two looks
      const bool stopping = m_stop;
      if (act()) {
        m_done = true;
        return;
      }
      if (stopping) return;
      if (std::chrono::steady_clock::now() >= deadline) {
        // give the thread back to the test, which then fails on Finish
        while (!m_stop) {
          EnumThreadWindows(thread, &EndModalLoop, 0);
          Sleep(200);
        }
        return;
      }
      Sleep(20);
    }
  });
}

ModalWatch::~ModalWatch() { Finish(); }

bool ModalWatch::Finish() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  return m_done;
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

namespace {

struct BalloonSearch {
  DWORD self;
  HWND found;
};

BOOL CALLBACK FindBalloon(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<BalloonSearch*>(param);
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (lstrcmpiA(name, "tooltips_class32") == 0 && process != search.self && IsWindowVisible(window)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND BalloonShown() {
  BalloonSearch search{GetCurrentProcessId(), nullptr};
  EnumWindows(&FindBalloon, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool KeyExists(const char* keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::optional<std::string> StoredText(HKEY root, const char* keyPath, const char* name) {
  char text[4096] = {};
  DWORD size = sizeof text;
  if (RegGetValueA(root, keyPath, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return std::nullopt;
  return std::string(text);
}

std::optional<std::string> StoredText(const char* keyPath, const char* name) {
  return StoredText(HKEY_CURRENT_USER, keyPath, name);
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace rsw::test
