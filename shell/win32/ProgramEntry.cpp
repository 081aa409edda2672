// The entry of rswpro: the installer's one-shot words (INSTALL, UNINSTALL, EXIT), the hand-off to
// a running instance, or the main window and its message loop.

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "freeandrun/win32/FreeAndRunForm.h"
#include "shell/AutoRun.h"
#include "shell/CommandLine.h"
#include "shell/ErrorText.h"
#include "shell/win32/CloseInstances.h"
#include "shell/win32/InstanceHandOff.h"
#include "shell/win32/ProgramPath.h"
#include "shell/win32/TfrmRamsweep.h"
#include "shell/win32/Win32Registry.h"

// An exception that escapes everything ends the program. The library's own handler would first
// write the exception's demangled type to a console this program never has, and brings some 60 KB
// of demangler and formatted printing along for it.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// INSTALL and UNINSTALL run before any window exists, so a failure gets a box of its own and
// exit code 1, which tells the installer.
int RunInstallerWord(rsw::StartAction action, const rsw::uRegistry& registry) {
  try {
    if (action == rsw::StartAction::Uninstall) {
      rsw::UninstallAutoRun(registry);
      return 0;
    }
    const std::string programPath = rsw::win32::ModuleFilePath();
    if (programPath.empty()) throw rsw::RegistryError("The program's own path cannot be read.");
    rsw::InstallAutoRun(registry, programPath);
    return 0;
  } catch (const std::exception& error) {
    const std::string text = "Registry error: " + rsw::ErrorBoxText(error.what());
    MessageBoxA(nullptr, text.c_str(), "Application Error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return 1;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  using namespace rsw;
  using namespace rsw::win32;

  const std::vector<std::string> args(__argv + 1, __argv + __argc);
  Win32Registry backend;
  const uRegistry registry(backend);

  const StartAction action = ChooseStartAction(args);
  switch (action) {
    case StartAction::Install:
    case StartAction::Uninstall: return RunInstallerWord(action, registry);
    // no window of its own: 0 once no instance runs, 1 when one is still there at the deadline
    case StartAction::Exit: return CloseRunningInstances() ? 0 : 1;
    case StartAction::Run: break;
  }

  if (const HWND running = FindRunningInstance()) {
    CommandLineRequest request;
    const bool hasRequest = ParseCommandLine(args, registry, request);
    HandOff(running, hasRequest, request);
    return 0;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  if (!TfrmRamsweep::RegisterClass(instance)) return 1;
  TfrmRamsweep::Options options;
  options.args = args;
  auto form = TfrmRamsweep::Create(instance, registry, std::move(options));
  if (!form) {
    MessageBoxA(nullptr, "The main window could not be created.", "Ramsweep Pro", MB_OK | MB_ICONERROR);
    return 1;
  }
  form->ShowAtStart(showCommand);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Tab, Enter and Esc work among the pages' controls as in a dialog, and in an open Free-and-Run form.
    if (IsFreeAndRunDialogMessage(message)) continue;
    if (form->Handle() && IsDialogMessageA(form->Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
