#include "shell/win32/InstanceHandOff.h"

#include <cstring>

#include "shell/Messages.h"

namespace rsw::win32 {

namespace {

struct Search {
  UINT timeoutMs;
  HWND found = nullptr;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  if (!IsRunningInstance(window, search.timeoutMs)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

bool IsRunningInstance(HWND window, UINT timeoutMs) {
  char className[101] = {};
  if (GetClassNameA(window, className, sizeof className) == 0 || std::strcmp(className, kMainWindowClass) != 0) {
    return false;
  }
  DWORD_PTR answer = 0;
  const LRESULT sent = SendMessageTimeoutA(window, WM_PRESENCE_QUERY, PRESENCE_MAGIC, PRESENCE_MAGIC,
                                           SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &answer);
  return sent != 0 && answer == static_cast<DWORD_PTR>(PRESENCE_MAGIC);
}

HWND FindRunningInstance(UINT timeoutMs) {
  Search search{timeoutMs};
  EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void HandOff(HWND running, bool hasRequest, const CommandLineRequest& request) {
  // Windows lets only the foreground process hand the foreground on: this start may, the running
  // instance may not take it by itself.
  DWORD runningProcess = 0;
  GetWindowThreadProcessId(running, &runningProcess);
  if (runningProcess) AllowSetForegroundWindow(runningProcess);
  if (hasRequest) {
    PostMessageA(running, WM_REMOTE_FREEUP, PackRemoteWParam(request.Countdown, request.MaxPasses),
                 static_cast<LPARAM>(request.AmountMB));
  } else {
    PostMessageA(running, WM_REMOTE_SHOW, 0, 0);
  }
}

}  // namespace rsw::win32
