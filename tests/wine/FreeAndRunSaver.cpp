// A process that keeps saving a Free-and-Run list until it is killed: it loads the list from the
// given key and adds "Extra 0", "Extra 1", ... one at a time, each addition a whole save.
//   rsw_freeandrun_saver.exe KEYPATH

#include <windows.h>

#include <cstdio>
#include <string>

#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/FreeAndRunController.h"
#include "shell/uRegistry.h"
#include "shell/win32/Win32Registry.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  rsw::win32::Win32Registry backend;
  const rsw::uRegistry registry(backend);
  rsw::win32::Win32Collation collation;
  rsw::FreeAndRunList list(registry, collation, argv[1]);
  list.LoadFreeAndRunList();
  for (int i = 0;; ++i) {
    const std::string n = std::to_string(i);
    list.AddFreeAndRunEntry(i % 41, "C:\\Extra\\" + n + ".exe", "Extra " + n);
  }
}
