// rswsetup: hands the installation information file of the current directory to the shell.

#include <windows.h>

#include "setup/win32/SetupLauncher.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return rswsetup::win32::RunSetupLauncher(); }
