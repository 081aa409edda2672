#pragma once
// "Program Not Found": shown instead of a free-up when an entry's program file is gone.

#include <memory>

#include "freeandrun/win32/FreeAndRunForm.h"

namespace rsw::win32 {

class TfrmErrorRun final : public FreeAndRunForm {
 public:
  enum ControlId : int { Label1 = 101, Label2, Button1 = IDOK };
  static constexpr const char* kClassName = "TfrmErrorRun";

  // Notes whether the main window (which carries the taskbar button) is visible, then builds the
  // form; not yet shown. nullptr when it could not be made.
  static FormPtr<TfrmErrorRun> Create(HWND owner);
  bool AppWasVisible() const { return m_appWasVisible; }

 private:
  TfrmErrorRun() = default;
  bool OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDestroy() override;

  bool m_appWasVisible = false;
};

}  // namespace rsw::win32
