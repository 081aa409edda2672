#pragma once
// Helpers for tests that drive the real program and real windows under Wine.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "shell/win32/ScopedHandles.h"

namespace rsw::test {

// rswpro.exe beside the test program.
std::string ProgramPath();

// A started rswpro process; ended by force if a test leaves it running. While the fault net
// watches (the Wine tests), it is debugged with every process it starts, so a fault Wine swallows
// in any of them fails the running test.
class ProgramRun {
 public:
  explicit ProgramRun(const std::string& arguments, int showCommand = SW_SHOWNORMAL);
  // Any program, started in `directory` ("" for this process's own).
  ProgramRun(const std::string& executable, const std::string& arguments, const std::string& directory);
  ~ProgramRun();
  ProgramRun(ProgramRun&&) = default;

  bool Started() const { return static_cast<bool>(m_process); }
  DWORD ProcessId() const { return m_processId; }
  HANDLE Handle() const { return m_process.Get(); }
  // Waits for the process to end: its exit code, or -1 when it is still running after `limit`.
  long WaitForExit(std::chrono::milliseconds limit);
  // The top-level "TfrmRamsweep" window of this process, or nullptr; pumps no messages.
  HWND MainWindow() const;
  // The same, waiting up to `limit` while pumping this thread's messages.
  HWND WaitForMainWindow(std::chrono::milliseconds limit) const;

 private:
  void Start(const char* application, std::string commandLine, const char* directory, const STARTUPINFOA& startup);

  win32::ScopedHandle m_process;
  DWORD m_processId = 0;
  win32::ScopedHandle m_debugger;  // the thread debugging it, when the fault net watches
};

// Polls `condition` until it holds or `limit` passes, pumping this thread's messages meanwhile.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// Polls without ever pumping this thread's messages, so this thread's windows look hung.
bool WaitUntilWithoutPumping(const std::function<bool()>& condition, std::chrono::milliseconds limit);

std::string WindowText(HWND window);

// What the screen shows of `window` (frame included), 32-bit pixels, top row first.
struct ScreenCapture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};
std::optional<ScreenCapture> CaptureWindow(HWND window);

// Saves CaptureWindow's picture as a BMP file.
bool SaveWindowPicture(HWND window, const std::string& path);

// Whether every pixel of `area` (in the picture's coordinates) has one colour, as a control that
// is not drawn (a blank picture, or another page's body where it should stand).
bool IsFlat(const ScreenCapture& picture, const RECT& area);

// An icon's colour and mask pixels read at `size` by `size`, 32-bit, top row first; nothing when
// the icon cannot be read. A mask pixel of 0 is opaque.
struct IconPixels {
  std::vector<std::uint32_t> colour;
  std::vector<std::uint32_t> mask;
};
std::optional<IconPixels> ReadIconPixels(HICON icon, int size);

// Whether the picture shows `icon` drawn at `size` by `size` pixels somewhere: every opaque pixel
// of the icon in its own colour.
bool ShowsIcon(const ScreenCapture& picture, HICON icon, int size);

// A folder beside the test program for pictures a person can look at; created when missing.
std::string PictureFolder();

// Live GDI objects of this process. Wine answers GetGuiResources with 0, but it accepts a GDI
// handle without its upper (reuse count) half, so probing every 16-bit handle value counts them.
long LiveGdiObjects();

// Looks, from a helper thread, for a modal box or menu of the thread that owns `owner`, while that
// thread sits in the box's or menu's own message loop. `act` is tried every 20 ms; it sees the box
// and deals with it (reads it, closes it), returning true once done. Should it not succeed within
// `limit`, every dialog of that thread is cancelled and its menus are closed, so a box that never
// shows or is never recognised fails the test instead of holding the whole run until its limit.
class ModalWatch {
 public:
  ModalWatch(HWND owner, std::function<bool()> act, std::chrono::milliseconds limit);
  ~ModalWatch();
  ModalWatch(const ModalWatch&) = delete;
  ModalWatch& operator=(const ModalWatch&) = delete;
  // Stops watching, after one last try of `act` (unless the limit had passed): whether `act`
  // succeeded. A step-wise `act` can so wait for the box or menu to be gone again.
  bool Finish();

 private:
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_done{false};
  std::thread m_thread;
};

// A top-level dialog box of `processId` with this title, or nullptr; pumps no messages.
HWND FindDialogOf(DWORD processId, const std::string& title);
// The message text of a MessageBox dialog.
std::string MessageBoxText(HWND box);

// A balloon (or tip) of the desktop's notification area on the screen: a visible tooltip window
// of another process; nullptr when there is none.
HWND BalloonShown();

// The registry and files as a test looks at them.
bool KeyExists(const char* keyPath);  // under HKEY_CURRENT_USER
std::optional<std::string> StoredText(HKEY root, const char* keyPath, const char* name);
std::optional<std::string> StoredText(const char* keyPath, const char* name);  // under HKEY_CURRENT_USER
// Deletes the files of `folder` and then the folder itself.
void RemoveFolder(const std::string& folder);

// Every "TfrmRamsweep" window of another process, ended along with its process.
void EndStrayInstances();

}  // namespace rsw::test
