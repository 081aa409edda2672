#pragma once
// Clicking a Free-and-Run entry and opening its program when the free-up ends, told as steps
// over a small platform interface so the order of those steps can be tested without a window.

#include <cstdint>
#include <string>

#include "freeandrun/uFreeAndRun.h"

namespace rsw {

class FreeAndRunPlatform {
 public:
  virtual ~FreeAndRunPlatform() = default;
  virtual bool Busy() const = 0;  // a free-up runs
  // The window that carries the program's taskbar button.
  virtual bool TaskbarWindowVisible() const = 0;
  virtual void HideTaskbarWindow() = 0;
  // Shows the invisible focus window and makes it the foreground window.
  virtual void ShowFocusWindow() = 0;
  // A file, not a folder, exists at `path`.
  virtual bool FileExists(const std::string& path) const = 0;
  // The one open Free-and-Run form (run progress, Program Not Found or Manage Entries).
  virtual bool FormOpen() const = 0;
  virtual void ShowRunForm(const std::string& menuText) = 0;  // not modal; becomes the open form
  virtual void ShowErrorForm() = 0;                           // not modal; becomes the open form
  virtual void BringFormToFront() = 0;
  virtual void DestroyForm() = 0;
  virtual void ProcessMessages() = 0;
  virtual void StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                           std::int32_t IdleMode) = 0;
  virtual void OpenProgram(const std::string& path) = 0;  // the shell's "open"; the outcome is not looked at
  virtual void Wait(int milliseconds) = 0;
};

class FreeAndRunFlow {
 public:
  FreeAndRunFlow(FreeAndRunList& list, FreeAndRunPlatform& platform) : m_list(list), m_platform(platform) {}

  // An entry item was chosen: frees its amount and leaves its program pending, or reports that
  // the program is missing. Ignored while a free-up runs or a form is open.
  void FreeAndRunItemClick(std::int32_t tag);
  // The free-up ended (called before the busy state is cleared): opens the pending program once
  // a free-up, a pending program and the open form are all there.
  void FreeAndRunLaunch();
  // A tray click while a form is open brings that form to the front instead; true when it did.
  bool ShowOpenForm();

  const std::string& PendingRunPath() const { return m_pendingRunPath; }

 private:
  FreeAndRunList& m_list;
  FreeAndRunPlatform& m_platform;
  std::string m_pendingRunPath;
};

}  // namespace rsw
