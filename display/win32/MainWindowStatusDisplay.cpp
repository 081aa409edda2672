// The main window's memory status display: the tray picture for the state with the free
// megabytes drawn into it, its tip, the refresh tick that feeds the chart, and the thresholds.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "display/RefreshIntervals.h"
#include "display/StatusDisplay.h"
#include "display/win32/TPerformanceChart.h"
#include "display/win32/TTraybar.h"
#include "engine/Thousands.h"
#include "engine/ThresholdStep.h"
#include "shell/win32/Dpi.h"
#include "shell/win32/MainWindowInternals.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

void TfrmRamsweep::LoadTrayIcons() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // the pictures drawn for the shell's small-icon size, so nothing is stretched
  const int size = m_trayMetrics->size;
  auto load = [instance, size](const char* name) {
    return static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  };
  // the colour pictures with a ring while background activity is off
  const bool background = Control(chkBackground) && Checked(chkBackground);
  IconGreen.Reset(load(background ? "ICON_GREEN" : "ICON_GREEN_O"));
  IconYellow.Reset(load(background ? "ICON_YELLOW" : "ICON_YELLOW_O"));
  IconRed.Reset(load(background ? "ICON_RED" : "ICON_RED_O"));
  IconIdle.Reset(load("ICON_IDLE"));
  IconWork.Reset(load("ICON_WORK"));
  IconWork2.Reset(load("ICON_WORK2"));
  ShownTrayContent = {};  // the next update draws on the new pictures
}

void TfrmRamsweep::ApplyTraySize() {
  const TrayDigitMetrics& metrics = TrayDigitMetricsFor(SmallIconSize());
  if (&metrics == m_trayMetrics) return;
  m_trayMetrics = &metrics;
  // the digit fonts were chosen for the other size
  for (ScopedFont& font : DigitFonts) font.Reset();
  if (!TrayReady) return;
  LoadTrayIcons();
  UpdateStatusDisplay();
}

HFONT TfrmRamsweep::DigitFont(const std::string& text, HDC dc) {
  ScopedFont& slot = DigitFonts[std::min<std::size_t>(text.size(), DigitFonts.size() - 1)];
  if (slot) return slot.Get();
  auto make = [](int height) {
    return CreateFontA(-height, 0, 0, 0, 100, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DRAFT_QUALITY, DEFAULT_PITCH | FF_MODERN, "Arial");
  };
  // Chosen once per text length, with the first text of that length.
  const int height = DigitFontHeight(
      [&](int candidate) {
        ScopedFont font(make(candidate));
        const ScopedSelection selection(dc, font.Get());
        SIZE extent{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        return TextExtent{extent.cx, extent.cy};
      },
      *m_trayMetrics);
  slot.Reset(make(height));
  return slot.Get();
}

HICON TfrmRamsweep::ComposeTrayIcon(HICON base, const std::string& digits, int centreRow) {
  ICONINFO info{};
  if (!GetIconInfo(base, &info)) return nullptr;
  // the number goes into the mask: where the text covers it, the black colour shows through
  ScopedBitmap mask(info.hbmMask);
  ScopedBitmap colour(info.hbmColor);
  ScopedMemoryDc dc;
  {
    const ScopedWindowDc screen(nullptr);
    dc.Reset(CreateCompatibleDC(screen.Get()));
  }
  if (dc) {
    const ScopedSelection bitmap(dc.Get(), mask.Get());
    const ScopedSelection font(dc.Get(), DigitFont(digits, dc.Get()));
    SetBkMode(dc.Get(), TRANSPARENT);
    SIZE extent{};
    GetTextExtentPoint32A(dc.Get(), digits.c_str(), static_cast<int>(digits.size()), &extent);
    const TextOrigin at = DigitOrigin({extent.cx, extent.cy}, centreRow, m_trayMetrics->size);
    TextOutA(dc.Get(), at.x, at.y, digits.c_str(), static_cast<int>(digits.size()));
  }
  ICONINFO result{TRUE, 0, 0, mask.Get(), colour.Get()};
  return CreateIconIndirect(&result);
}

void TfrmRamsweep::UpdateStatusDisplay() {
  if (!Checked(chkShowIcon) || !TrayReady) return;
  const TrayInputs inputs{FreeBytes,
                          ParseThousands(TickText(txtCritical)).value_or(-1),
                          ParseThousands(TickText(txtYellow)).value_or(-1),
                          Checked(chkBackground),
                          Busy,
                          CountdownLeft,
                          IdleProgress};
  const TrayLook look = LookOf(SelectTrayState(inputs), WorkToggle);
  const ScopedIcon* bases[] = {&IconGreen, &IconYellow, &IconRed, &IconIdle, &IconWork, &IconWork2};
  const HICON base = bases[static_cast<int>(look.picture)]->Get();

  // Only a changed picture is composed and handed over, and only a changed picture or tip goes to
  // the shell: an idle tick then costs a reading and the taskbar check. A changed tip goes in the
  // component's whole record, picture included, as every change of the icon does.
  const TrayContent content{static_cast<int>(look.picture), TrayDigits(FreeBytes)};
  const bool newPicture = !(content == ShownTrayContent) || !ComposedIcon;
  HICON picture = ComposedIcon.Get();
  bool composed = false;
  if (newPicture) {
    picture = nullptr;
    if (base) {
      const int centreRow = TextCentreRow(look.picture, *m_trayMetrics);
      picture = m_options.composeTrayIcon ? m_options.composeTrayIcon(base, content.digits, centreRow)
                                          : ComposeTrayIcon(base, content.digits, centreRow);
      composed = picture != nullptr;
      // Without its digits the state's picture shows as a copy of its own: the pictures are loaded
      // anew when background activity changes, and the component must never hold a released one.
      if (!picture) picture = CopyIcon(base);
    }
    Traybar1->Icon = picture;
  }
  std::string tip = TrayTip(FreeBytes, m_decimalSeparator);
  const bool newTip = tip != Traybar1->Hint;
  if (newTip) Traybar1->Hint = std::move(tip);
  Traybar1->CheckTaskbar();
  if (newPicture || newTip) Traybar1->ModifyIcon();
  if (newPicture) {
    // the previous picture goes only now that the new one is in place
    ComposedIcon.Reset(picture);
    // a picture without its digits is tried again at the next update
    ShownTrayContent = composed ? content : TrayContent{};
  }
}

void TfrmRamsweep::RefreshMemoryReading() {
  ReadFreeBytes();
  UpdateStatusDisplay();
}

void TfrmRamsweep::Timer1Timer() {
  ReadFreeBytes();
  m_chart->AddValue(static_cast<std::int64_t>(FreeBytes));
  UpdateStatusCaption();
  if (LocalSeconds(m_options.now()) >= NextRegularTime) RegularFreeUpCheck();
}

void TfrmRamsweep::TrackBar1Change() {
  const auto position = std::clamp<LRESULT>(SendMessageA(Control(TrackBar1), TBM_GETPOS, 0, 0), 0,
                                            static_cast<LRESULT>(RefreshIntervals.size()) - 1);
  const RefreshInterval& interval = RefreshIntervals[static_cast<std::size_t>(position)];
  SetTimer(m_window, kTimer1, interval.milliseconds, nullptr);
  SetText(Label3, "Refresh every " + std::string(interval.label));
}

void TfrmRamsweep::udCriticalClick(bool up) {
  const auto current = ParseThousands(Text(txtCritical));
  if (!current) return;
  SetText(txtCritical, FormatThousands(StepThreshold(*current, up, kCriticalLowerStop)));
  RefreshMemoryReading();
}

void TfrmRamsweep::udYellowClick(bool up) {
  const auto current = ParseThousands(Text(txtYellow));
  if (!current) return;
  SetText(txtYellow, FormatThousands(StepThreshold(*current, up, kYellowLowerStop)));
  RefreshMemoryReading();
}

}  // namespace rsw::win32
