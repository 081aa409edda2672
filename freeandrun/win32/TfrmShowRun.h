#pragma once
// The borderless panel in the middle of the screen that names the entry whose memory is being
// freed; it has no controls the user can use and goes when the program is opened.

#include <memory>
#include <string>

#include "freeandrun/win32/FreeAndRunForm.h"

namespace rsw::win32 {

class TfrmShowRun final : public FreeAndRunForm {
 public:
  enum ControlId : int { Label1 = 101, lblProgram };
  static constexpr const char* kClassName = "TfrmShowRun";

  // Not yet shown; nullptr when it could not be made.
  static FormPtr<TfrmShowRun> Create(HWND owner, const std::string& menuText);

 private:
  TfrmShowRun() = default;
  bool OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc) const;

  std::string m_menuText;
};

}  // namespace rsw::win32
