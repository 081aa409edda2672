#include "wine/FaultNet.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <map>
#include <iterator>
#include <mutex>

namespace rsw::test {

namespace {

// A fixed ring: noting a fault allocates nothing, so it works inside a handler on any stack.
struct Slot {
  std::atomic<bool> ready{false};
  DWORD code = 0;
  std::uintptr_t address = 0;
  DWORD processId = 0;
  char where[96] = {};
};
constexpr std::size_t kSlots = 256;
std::array<Slot, kSlots> g_slots;
std::atomic<std::size_t> g_written{0};
std::size_t g_read = 0;  // TakeFaults only, from the test's thread
std::mutex g_takeLock;
bool g_watchStarted = false;

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

LONG CALLBACK OnException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
  if (!IsCountedFault(record.ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  const auto address = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
  HMODULE module = nullptr;
  // (a null address would ask for the program's own module)
  const bool inModule =
      address >= 0x10000 &&
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(record.ExceptionAddress), &module) != FALSE;
  if (!inModule || module == GetModuleHandleA(nullptr)) {
    RecordFault(record.ExceptionCode, address, GetCurrentProcessId(),
                inModule ? "inside the test program" : "outside every module of the test program");
  }
  return EXCEPTION_CONTINUE_SEARCH;  // Wine's own handling goes on as it would
}

// ---- the debugger for started programs ----

struct Module {
  std::uintptr_t base = 0;
  std::uintptr_t size = 0;
  std::string name;
};

struct DebuggedProcess {
  HANDLE handle = nullptr;  // the system's, valid until the process's exit event is continued
  std::string name;         // the program's file name
  std::map<std::uintptr_t, Module> modules;
};

std::uintptr_t ImageSize(HANDLE process, std::uintptr_t base) {
  IMAGE_DOS_HEADER dos{};
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(base), &dos, sizeof dos, &read) ||
      dos.e_magic != IMAGE_DOS_SIGNATURE) {
    return 0;
  }
  IMAGE_NT_HEADERS32 nt{};
  if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(base + static_cast<std::uintptr_t>(dos.e_lfanew)), &nt,
                         sizeof nt, &read) ||
      nt.Signature != IMAGE_NT_SIGNATURE) {
    return 0;
  }
  return nt.OptionalHeader.SizeOfImage;
}

std::string ModuleName(HANDLE file) {
  char path[MAX_PATH] = {};
  if (!file || !GetFinalPathNameByHandleA(file, path, MAX_PATH, 0)) return "";
  return FileNameOf(path);
}

void AddModule(DebuggedProcess& process, std::uintptr_t base, HANDLE file) {
  Module module{base, ImageSize(process.handle, base), ModuleName(file)};
  process.modules[base] = module;
}

const Module* ModuleAt(const DebuggedProcess& process, std::uintptr_t address) {
  auto after = process.modules.upper_bound(address);
  if (after == process.modules.begin()) return nullptr;
  const Module& module = std::prev(after)->second;
  // a module whose size could not be read covers nothing: the address then counts as outside
  return address - module.base < module.size ? &module : nullptr;
}

struct DebuggerContext {
  std::string application;
  std::string commandLine;
  std::string directory;
  bool hasApplication = false;
  bool hasDirectory = false;
  STARTUPINFOA startup{};
  HANDLE started = nullptr;  // set once the process is made, or could not be
  PROCESS_INFORMATION info{};
  bool ok = false;
};

void DebugLoop(DWORD mainId) {
  std::map<DWORD, DebuggedProcess> processes;
  bool mainEnded = false;
  while (!mainEnded) {
    DEBUG_EVENT event{};
    if (!WaitForDebugEvent(&event, INFINITE)) break;
    DWORD status = DBG_CONTINUE;
    DebuggedProcess& process = processes[event.dwProcessId];
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        process.handle = event.u.CreateProcessInfo.hProcess;
        AddModule(process, reinterpret_cast<std::uintptr_t>(event.u.CreateProcessInfo.lpBaseOfImage),
                  event.u.CreateProcessInfo.hFile);
        process.name = ModuleName(event.u.CreateProcessInfo.hFile);
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        AddModule(process, reinterpret_cast<std::uintptr_t>(event.u.LoadDll.lpBaseOfDll), event.u.LoadDll.hFile);
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      case UNLOAD_DLL_DEBUG_EVENT:
        process.modules.erase(reinterpret_cast<std::uintptr_t>(event.u.UnloadDll.lpBaseOfDll));
        break;
      case EXCEPTION_DEBUG_EVENT: {
        const EXCEPTION_RECORD& record = event.u.Exception.ExceptionRecord;
        if (record.ExceptionCode != EXCEPTION_BREAKPOINT) status = DBG_EXCEPTION_NOT_HANDLED;
        if (!event.u.Exception.dwFirstChance || !IsCountedFault(record.ExceptionCode)) break;
        const auto address = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress);
        const Module* module = ModuleAt(process, address);
        if (module && !IsOurs(module->name)) break;
        const std::string where =
            module ? "inside " + module->name : "outside every module of " + process.name;
        RecordFault(record.ExceptionCode, address, event.dwProcessId, where.c_str());
        break;
      }
      case EXIT_PROCESS_DEBUG_EVENT:
        processes.erase(event.dwProcessId);
        if (event.dwProcessId == mainId) mainEnded = true;
        break;
      default: break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  // the programs the started one left running go on undebugged
  for (const auto& [id, process] : processes) DebugActiveProcessStop(id);
}

DWORD WINAPI DebuggerThread(LPVOID parameter) {
  auto& context = *static_cast<DebuggerContext*>(parameter);
  DebugSetProcessKillOnExit(FALSE);
  context.ok = CreateProcessA(context.hasApplication ? context.application.c_str() : nullptr,
                              context.commandLine.data(), nullptr, nullptr, FALSE, DEBUG_PROCESS, nullptr,
                              context.hasDirectory ? context.directory.c_str() : nullptr, &context.startup,
                              &context.info) != FALSE;
  const DWORD mainId = context.info.dwProcessId;
  const bool ok = context.ok;
  SetEvent(context.started);  // the context may be gone from here on
  if (ok) DebugLoop(mainId);
  return 0;
}

}  // namespace

bool IsCountedFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_PRIV_INSTRUCTION: return true;
    default: return false;
  }
}

bool IsOurs(const std::string& moduleFileName) {
  const std::string name = Lower(moduleFileName);
  return name == "rswpro.exe" || name == "rswsetup.exe" || name.starts_with("rsw_");
}

void RecordFault(DWORD code, std::uintptr_t address, DWORD processId, const char* where) {
  const std::size_t index = g_written.fetch_add(1);
  if (index >= g_read + kSlots) return;  // a flood: the first ones already fail the test
  Slot& slot = g_slots[index % kSlots];
  slot.code = code;
  slot.address = address;
  slot.processId = processId;
  std::snprintf(slot.where, sizeof slot.where, "%s", where);
  slot.ready.store(true);
}

std::vector<Fault> TakeFaults() {
  const std::lock_guard lock(g_takeLock);
  std::vector<Fault> faults;
  const std::size_t written = std::min(g_written.load(), g_read + kSlots);
  for (; g_read < written; ++g_read) {
    Slot& slot = g_slots[g_read % kSlots];
    for (int i = 0; i < 1000 && !slot.ready.load(); ++i) Sleep(1);  // a writer between its two steps
    faults.push_back({slot.code, slot.address, slot.processId, slot.where});
    slot.ready.store(false);
  }
  // a flood beyond the ring counts once more, as one fault
  if (g_written.load() > g_read) {
    faults.push_back({0, 0, 0, "more faults than could be noted"});
    g_read = g_written.load();
  }
  return faults;
}

void WatchFaults() {
  AddVectoredExceptionHandler(1, &OnException);
  g_watchStarted = true;
}

bool WatchingFaults() { return g_watchStarted; }

const char* FaultName(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case EXCEPTION_PRIV_INSTRUCTION: return "privileged instruction";
    default: return "fault";
  }
}

DebuggedStart StartDebugged(const char* application, std::string commandLine, const char* directory,
                            const STARTUPINFOA& startup) {
  DebuggerContext context;
  context.hasApplication = application != nullptr;
  if (application) context.application = application;
  context.hasDirectory = directory != nullptr && *directory;
  if (context.hasDirectory) context.directory = directory;
  context.commandLine = std::move(commandLine);
  context.startup = startup;
  context.started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DebuggedStart result;
  if (!context.started) return result;
  const HANDLE thread = CreateThread(nullptr, 0, &DebuggerThread, &context, 0, nullptr);
  if (thread) WaitForSingleObject(context.started, INFINITE);
  CloseHandle(context.started);
  if (!thread) return result;
  if (!context.ok) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return result;
  }
  CloseHandle(context.info.hThread);
  result.process = context.info.hProcess;
  result.processId = context.info.dwProcessId;
  result.debugger = thread;
  return result;
}

}  // namespace rsw::test
