// The tray icon's menu and clicks in the main window: the menu with its captions, default item and
// greying, the double-click action, the icon switched on and off from the Icon page, and the icon
// brought back when a new taskbar appears.
#include <windows.h>

#include "display/TrayMenuRules.h"
#include "display/win32/TTraybar.h"
#include "engine/FreeAmounts.h"
#include "shell/MainWindowRules.h"
#include "shell/win32/TfrmRamsweep.h"

namespace rsw::win32 {

bool TfrmRamsweep::CreatePopupMenu1() {
  PopupMenu1.Reset(CreatePopupMenu());
  FreeandRun1 = CreatePopupMenu();
  if (!PopupMenu1 || !FreeandRun1) return false;
  const HMENU menu = PopupMenu1.Get();
  // the entries follow "&Manage Entries" each time the menu opens
  AppendMenuA(FreeandRun1, MF_STRING, ManageEntries1, "&Manage Entries");
  AppendMenuA(menu, MF_STRING, ShowRamsweepPro1, "&Show Ramsweep Pro");
  AppendMenuA(menu, MF_STRING, BackgroundActivity1, "&Background Activity");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(FreeandRun1), "Free and &Run");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, mnuFree1, "Free 1");
  AppendMenuA(menu, MF_STRING, mnuFree2, "Free 2");
  AppendMenuA(menu, MF_STRING, mnuFree3, "Free 3");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, mnuExit1, "E&xit Ramsweep Pro");
  return true;
}

// While a free-up runs the free-up items, the Free-and-Run submenu and "E&xit" are greyed;
// "&Show Ramsweep Pro" and "&Background Activity" stay.
void TfrmRamsweep::EnableFreeUpCommands(bool enabled) {
  Enable(butAlloc, enabled);
  const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
  for (int item : {mnuExit1, mnuFree1, mnuFree2, mnuFree3}) EnableMenuItem(PopupMenu1.Get(), item, state);
  // the submenu by its position: 3
  EnableMenuItem(PopupMenu1.Get(), 3, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TfrmRamsweep::chkShowIconClick() {
  if (Checked(chkShowIcon) && TrayReady) {
    Traybar1->AddIcon();
    UpdateStatusDisplay();
  } else {
    Traybar1->DeleteIcon();
  }
  UpdateIconPageControls();
}

void TfrmRamsweep::UpdateIconPageControls() {
  const bool on = ControlStatesFor({.showIcon = Checked(chkShowIcon)}).iconGroup;
  // the balloon comes from the icon, so its check box goes with the rest
  for (ControlId id : {Label14, Label15, Label16, udYellow, Label17, Label25, Label12, Label13, cboIconAction, cboMenu1,
                       cboMenu2, cboMenu3, txtYellow, chkShowResult}) {
    Enable(id, on);
  }
}

void TfrmRamsweep::UpdateMenuCaptions() {
  const HMENU menu = PopupMenu1.Get();
  const ControlId combos[] = {cboMenu1, cboMenu2, cboMenu3};
  const MenuId items[] = {mnuFree1, mnuFree2, mnuFree3};
  const int action = ItemIndex(cboIconAction);
  const HWND actions = Control(cboIconAction);
  for (int i = 0; i < 3; ++i) {
    const std::string amount = Text(combos[i]);
    // only the text: an item greyed while a free-up runs stays greyed
    std::string caption = FreeMenuCaption(i, amount);
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING;
    item.dwTypeData = caption.data();
    SetMenuItemInfoA(menu, items[i], FALSE, &item);
    SendMessageA(actions, CB_DELETESTRING, static_cast<WPARAM>(2 + i), 0);
    SendMessageA(actions, CB_INSERTSTRING, static_cast<WPARAM>(2 + i),
                 reinterpret_cast<LPARAM>(IconActionText(amount).c_str()));
  }
  // replacing an item must not change the chosen action
  SetItemIndex(cboIconAction, action);
  UINT defaultItem = static_cast<UINT>(-1);
  switch (IconActionCommand(action)) {
    case TrayCommand::ShowRamsweepPro: defaultItem = ShowRamsweepPro1; break;
    case TrayCommand::BackgroundActivity: defaultItem = BackgroundActivity1; break;
    case TrayCommand::Free1: defaultItem = mnuFree1; break;
    case TrayCommand::Free2: defaultItem = mnuFree2; break;
    case TrayCommand::Free3: defaultItem = mnuFree3; break;
    case TrayCommand::None: break;
  }
  SetMenuDefaultItem(menu, defaultItem, FALSE);
}

void TfrmRamsweep::Traybar1DblClick() {
  if (ShowFreeAndRunForm()) return;
  switch (IconActionCommand(ItemIndex(cboIconAction))) {
    case TrayCommand::ShowRamsweepPro: ShowRamsweepPro1Click(); break;
    case TrayCommand::BackgroundActivity: BackgroundActivity1Click(); break;
    case TrayCommand::Free1: mnuFreeClick(cboMenu1); break;
    case TrayCommand::Free2: mnuFreeClick(cboMenu2); break;
    case TrayCommand::Free3: mnuFreeClick(cboMenu3); break;
    case TrayCommand::None: break;
  }
}

void TfrmRamsweep::Traybar1RightClick() {
  if (ShowFreeAndRunForm()) return;
  PopupMenu1Popup();
  // The program must be the foreground application, or the menu would not close when the user
  // clicks elsewhere.
  ShowWindow(FocusWindow.Get(), SW_SHOW);
  SetForegroundWindow(FocusWindow.Get());
  POINT cursor{};
  GetCursorPos(&cursor);
  TrackPopupMenu(PopupMenu1.Get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_window, nullptr);
  PostMessageA(m_window, WM_NULL, 0, 0);
}

void TfrmRamsweep::Traybar1TaskbarCreated() {
  // A new taskbar knows no icons: add ours again whenever it is switched on, whatever taskbar the
  // last add was made to (an add made before the new taskbar took icons recorded it all the same).
  if (!Checked(chkShowIcon) || !TrayReady) return;
  Traybar1->AddIcon();
  UpdateStatusDisplay();
}

void TfrmRamsweep::BackgroundActivity1Click() {
  SetChecked(chkBackground, !Checked(chkBackground));
  chkBackgroundClick();
}

void TfrmRamsweep::mnuFreeClick(ControlId menuCombo) {
  const int amount = ItemIndex(menuCombo);
  if (amount >= 0) StartFreeUpFor(FreeUpKind::Tray, FreeAmounts[amount], 3, 0, 0);
}

}  // namespace rsw::win32
