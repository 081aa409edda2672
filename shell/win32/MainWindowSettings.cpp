// The settings held in the main window's controls: each setting bound to its control, loaded from
// and saved to the registry through the settings table, the run-with-Windows entry written with
// them, and the Startup page that depends on them.
#include <windows.h>

#include <commctrl.h>

#include "engine/Thousands.h"
#include "shell/AutoRun.h"
#include "shell/MainWindowRules.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

namespace {

constexpr SettingControl kSettingControls[] = {
    {SettingId::Refresh, TrackBar1, Binding::TrackPosition},
    {SettingId::Times, UpDown1, Binding::UpDown},
    {SettingId::Show, chkCaption, Binding::Check},
    {SettingId::StartupAmount, cboAutoRun, Binding::ItemIndex},
    {SettingId::StartupCount, udAutoTimes, Binding::UpDown},
    {SettingId::StartupDelay, udAutoDelay, Binding::UpDown},
    {SettingId::AutoRun, chkAutoRun, Binding::Check},
    {SettingId::Icon, chkShowIcon, Binding::Check},
    {SettingId::Background, chkBackground, Binding::Check},
    {SettingId::Menu1, cboMenu1, Binding::ItemIndex},
    {SettingId::Menu2, cboMenu2, Binding::ItemIndex},
    {SettingId::Menu3, cboMenu3, Binding::ItemIndex},
    {SettingId::Regular, chkRegular, Binding::Check},
    {SettingId::RegularMinutes, udmin, Binding::UpDown},
    {SettingId::RegularAmount, cboRegular, Binding::ItemIndex},
    {SettingId::Critical, chkCritical, Binding::Check},
    {SettingId::CriticalSeconds, udsec, Binding::UpDown},
    {SettingId::CriticalAmount, cboCritical, Binding::ItemIndex},
    {SettingId::CriticalKB, txtCritical, Binding::KilobyteText},
    {SettingId::YellowKB, txtYellow, Binding::KilobyteText},
    {SettingId::HardAction, cboHardAction, Binding::ItemIndex},
    {SettingId::HardPercent, udHardPercent, Binding::UpDown},
    {SettingId::HardSeconds, udHardSeconds, Binding::UpDown},
    {SettingId::SoftAction, cboSoftAction, Binding::ItemIndex},
    {SettingId::SoftPercent, udSoftPercent, Binding::UpDown},
    {SettingId::SoftSeconds, udSoftSeconds, Binding::UpDown},
    {SettingId::IdleCritical, cboIdleCritical, Binding::ItemIndex},
    {SettingId::IdleStartup, cboIdleStartup, Binding::ItemIndex},
    {SettingId::IdleRegular, cboIdleRegular, Binding::ItemIndex},
    {SettingId::IconAction, cboIconAction, Binding::ItemIndex},
    {SettingId::ShowResult, chkShowResult, Binding::Check},
};

}  // namespace

void TfrmRamsweep::PrepareSettingControls(int defaultAmountIndex) {
  // ranges from the settings schema
  for (const SettingControl& sc : kSettingControls) {
    const SettingRow& row = SchemaRow(sc.setting);
    if (sc.binding == Binding::UpDown) {
      SendMessageA(Control(sc.control), UDM_SETRANGE32, static_cast<WPARAM>(row.min), row.max);
    } else if (sc.binding == Binding::TrackPosition) {
      SendMessageA(Control(sc.control), TBM_SETRANGE, FALSE, MAKELPARAM(row.min, row.max));
      SendMessageA(Control(sc.control), TBM_SETTICFREQ, 1, 0);
    }
  }
  // Every control starts at its default; the check box of the tray icon starts ticked, as the
  // layout always had it, and loading takes it to the stored state.
  const Settings defaults(defaultAmountIndex);
  for (const SettingControl& sc : kSettingControls) WriteControl(sc, defaults[sc.setting]);
  // the layout's own start: the refresh position 1 and the tray icon's box ticked; loading
  // takes both to their stored or default state
  SendMessageA(Control(TrackBar1), TBM_SETPOS, TRUE, 1);
  SetChecked(chkShowIcon, true);
}

void TfrmRamsweep::WriteControl(const SettingControl& sc, std::int32_t value) {
  switch (sc.binding) {
    case Binding::UpDown: SetPosition(sc.control, value); break;
    case Binding::ItemIndex: SetItemIndex(sc.control, value); break;
    case Binding::Check: SetChecked(sc.control, value != 0); break;
    case Binding::TrackPosition: SendMessageA(Control(sc.control), TBM_SETPOS, TRUE, value); break;
    case Binding::KilobyteText: SetText(sc.control, FormatThousands(value)); break;
  }
}

std::int32_t TfrmRamsweep::ReadControl(const SettingControl& sc) const {
  switch (sc.binding) {
    case Binding::UpDown: return Position(sc.control);
    case Binding::ItemIndex: return ItemIndex(sc.control);
    case Binding::Check: return Checked(sc.control) ? 1 : 0;
    case Binding::TrackPosition: return static_cast<std::int32_t>(SendMessageA(Control(sc.control), TBM_GETPOS, 0, 0));
    case Binding::KilobyteText: return ParseThousands(Text(sc.control)).value_or(0);
  }
  return 0;
}

void TfrmRamsweep::LoadSettings() {
  Settings settings(ItemIndex(cboAutoRun));
  settings.Load(m_registry);
  for (const SettingControl& sc : kSettingControls) {
    const std::int32_t value = settings[sc.setting];
    // a check box that changes runs its click handler, as a click would
    const bool clicks = sc.binding == Binding::Check && ReadControl(sc) != (value != 0 ? 1 : 0);
    WriteControl(sc, value);
    if (clicks) OnCommand(sc.control, BN_CLICKED, Control(sc.control));
  }
}

Settings TfrmRamsweep::SettingsFromControls() const {
  Settings settings(-1);
  for (const SettingControl& sc : kSettingControls) settings.Set(sc.setting, ReadControl(sc));
  return settings;
}

void TfrmRamsweep::SaveSettings() {
  if (!WindowCreated) return;
  SettingsFromControls().Save(m_registry);
  WriteAutoRunEntry(m_registry, Checked(chkAutoRun), m_options.programPath);
}

void TfrmRamsweep::chkAutoRunClick() {
  UpdateStartupControls();
  if (!SettingsLoading) SaveSettings();
}

void TfrmRamsweep::UpdateStartupControls() {
  const bool on = ControlStatesFor({.autoRun = Checked(chkAutoRun)}).startupGroup;
  for (ControlId id : {cboAutoRun, udAutoTimes, udAutoDelay, cboIdleStartup, labAutoFreeUp, labAutoNotMore, labAutoWait,
                       labAutoUse, labAutoIdle, labAutoTimes, labAutoSeconds, Edit4, Edit6}) {
    Enable(id, on);
  }
}

void TfrmRamsweep::chkCaptionClick() { UpdateStatusCaption(); }

void TfrmRamsweep::Label26Click() {
  SetChecked(chkCaption, !Checked(chkCaption));
  chkCaptionClick();
  SetFocus(Control(chkCaption));
}

}  // namespace rsw::win32
