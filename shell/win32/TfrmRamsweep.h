#pragma once
// The main window: answers the single-instance protocol, runs free-ups in the worker and shows
// their progress and the free memory in its caption.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/StatusCaption.h"
#include "shell/uRegistry.h"

namespace rsw::win32 {

class TfrmRamsweep {
 public:
  // Registers the window class once per process.
  static bool RegisterClass(HINSTANCE instance);
  // Creates the window (not yet shown); nullptr when creation failed.
  static std::unique_ptr<TfrmRamsweep> Create(HINSTANCE instance, const uRegistry& registry,
                                              std::vector<std::string> args);
  ~TfrmRamsweep();
  TfrmRamsweep(const TfrmRamsweep&) = delete;
  TfrmRamsweep& operator=(const TfrmRamsweep&) = delete;

  HWND Handle() const { return m_window; }
  // Shows the window as the process was asked to start: minimised for the start-up free-up or
  // a minimise show command, never maximised.
  void ShowAtStart(int processShowCommand);

  // Starts a free-up in the worker unless one is running; the only way a free-up begins.
  void StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown, std::int32_t IdleMode);
  void UpdateStatusCaption();

 private:
  TfrmRamsweep(const uRegistry& registry, std::vector<std::string> args);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool FormCreate();
  void FormCloseQuery();
  void Timer1Timer();
  void ReadFreeBytes();
  void ShowRamsweepPro1Click();
  LRESULT OnPresenceQuery(WPARAM wParam, LPARAM lParam);
  void OnRemoteFreeUp(WPARAM wParam, LPARAM lParam);
  void OnFreeUpDone();

  HWND m_window = nullptr;
  HWND m_status = nullptr;
  const uRegistry& m_registry;
  std::vector<std::string> m_args;
  std::string m_decimalSeparator = ".";
  bool m_startMinimised = false;

  // free-up state
  bool Busy = false;
  std::int32_t CurrentPass = 0;
  std::int32_t IdleProgress = 0;
  std::int32_t CountdownLeft = 0;
  bool ExitAfterFreeUp = false;
  std::uint64_t FreeBytes = 0;
  std::uint64_t m_totalPhysical = 0;
};

}  // namespace rsw::win32
