#include "shell/win32/CloseInstances.h"

#include <algorithm>
#include <cstring>

#include "shell/win32/InstanceHandOff.h"
#include "shell/win32/ScopedHandles.h"

namespace rsw::win32 {

namespace {

// How often a close that was refused (a free-up runs, a form is open) is asked for again; every
// request saves the instance's settings.
constexpr DWORD kAskAgainMs = 1000;

BOOL CALLBACK CollectInstance(HWND window, LPARAM parameter) {
  if (IsRunningInstance(window, kPresenceTimeoutMs)) reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
  return TRUE;
}

BOOL CALLBACK FindOpenForm(HWND window, LPARAM parameter) {
  if (!IsWindowVisible(window)) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  for (const char* form : {"TfrmManageEntries", "TfrmErrorRun", "TfrmShowRun", "#32770"}) {
    if (std::strcmp(className, form) == 0) {
      *reinterpret_cast<bool*>(parameter) = true;
      return FALSE;
    }
  }
  return TRUE;
}

// "E&xit" cannot be reached while a form or a box of the program is open (the tray brings the form
// to the front instead), and closing under a modal one would take the user's unsaved edits with
// it: the request waits until it has been closed.
bool CanTakeCloseRequest(HWND window) {
  if (!IsWindowEnabled(window)) return false;
  bool formOpen = false;
  EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), &FindOpenForm, reinterpret_cast<LPARAM>(&formOpen));
  return !formOpen;
}

struct Instance {
  HWND window;
  ScopedHandle process;  // empty when the process cannot be opened: its window is watched instead

  bool Ended() const {
    if (process) return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
    return !IsWindow(window);
  }
};

}  // namespace

std::vector<HWND> FindRunningInstances() {
  std::vector<HWND> found;
  EnumWindows(&CollectInstance, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool CloseRunningInstances(DWORD deadlineMs) {
  const ULONGLONG deadline = GetTickCount64() + deadlineMs;
  std::vector<Instance> instances;
  for (HWND window : FindRunningInstances()) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    instances.push_back({window, ScopedHandle(OpenProcess(SYNCHRONIZE, FALSE, processId))});
  }

  for (;;) {
    std::erase_if(instances, [](const Instance& instance) { return instance.Ended(); });
    const ULONGLONG now = GetTickCount64();
    if (instances.empty() || now >= deadline) break;
    const DWORD left = static_cast<DWORD>(deadline - now);

    std::vector<HANDLE> processes;
    for (const Instance& instance : instances) {
      if (instance.process) processes.push_back(instance.process.Get());
      if (!IsWindow(instance.window) || !CanTakeCloseRequest(instance.window)) continue;
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(instance.window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, std::min(left, 5000UL),
                          &ignored);
    }
    // wakes as soon as one of them ends, else asks again a little later
    const DWORD wait = std::min(left, kAskAgainMs);
    if (processes.empty() || processes.size() > MAXIMUM_WAIT_OBJECTS) {
      Sleep(std::min(wait, 100UL));
    } else {
      WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), FALSE, wait);
    }
  }
  // an instance started meanwhile counts as well
  return instances.empty() && FindRunningInstance() == nullptr;
}

}  // namespace rsw::win32
