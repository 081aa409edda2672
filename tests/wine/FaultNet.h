#pragma once
// A fault Wine catches is still a failure. Wine catches an exception raised inside a window
// procedure and goes on as if nothing happened, so the tests watch for faults themselves: in this
// process through a vectored handler, in the programs they start by debugging them. A fault counts
// when its address lies in one of the project's programs or outside every module (a jump to 0);
// Wine's own caught probes inside its DLLs do not. Each fault fails the test that is running.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rsw::test {

struct Fault {
  DWORD code = 0;
  std::uintptr_t address = 0;
  DWORD processId = 0;
  std::string where;  // the program's file name and whether the address was inside it
};

// The kinds of fault that count: access violation, illegal instruction, stack overflow, integer
// division by zero, privileged instruction.
bool IsCountedFault(DWORD code);
// Whether a fault at `address` counts, given the module that holds it ("" for none).
bool IsOurs(const std::string& moduleFileName);

// Notes a fault; safe from any thread and from inside an exception handler.
void RecordFault(DWORD code, std::uintptr_t address, DWORD processId, const char* where);
// The faults noted since the last call.
std::vector<Fault> TakeFaults();

// Installs the vectored handler for this process, and from then on ProgramRun debugs the programs
// it starts. Called once, by the test program's main (the benchmarks start their programs plain).
void WatchFaults();
bool WatchingFaults();
const char* FaultName(DWORD code);

// Starts `commandLine` as a process debugged by a thread of its own, with every process it starts
// in turn, until the process ends (the others are let go then). Returns the process handle and the
// debugging thread, both the caller's to close, and the process id; nullptr handles when it could
// not start. The thread ends by itself once the process has ended and every fault is noted.
struct DebuggedStart {
  HANDLE process = nullptr;
  DWORD processId = 0;
  HANDLE debugger = nullptr;
};
DebuggedStart StartDebugged(const char* application, std::string commandLine, const char* directory,
                            const STARTUPINFOA& startup);

}  // namespace rsw::test
