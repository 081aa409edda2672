#include "freeandrun/win32/TfrmManageEntries.h"

#include <commctrl.h>
#include <commdlg.h>

#include "engine/FreeAmounts.h"
#include "shell/Messages.h"

namespace rsw::win32 {

namespace {

constexpr int kClientWidth = 456;
constexpr int kClientHeight = 248;
constexpr int kPanelBorder = 4;
// The pages' controls stand inside the panel's border and the page frame.
constexpr int kPageX = 8;
constexpr int kPageY = 8;
constexpr int kOpenFileBuffer = static_cast<int>(kMaxEntryText) + 1;

std::optional<std::string> ChooseFileWithTheSystem(HWND owner, const BrowseStart& start) {
  char file[kOpenFileBuffer] = {};
  lstrcpynA(file, start.fileName.c_str(), kOpenFileBuffer);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = "Any File\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = kOpenFileBuffer;  // a longer path could not be stored
  ofn.lpstrInitialDir = start.folder.empty() ? nullptr : start.folder.c_str();
  ofn.lpstrTitle = "Choose the Program to Run";
  // A shortcut is the file chosen, not its target; a name that does not exist is ignored later.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS | OFN_ENABLESIZING;
  if (!GetOpenFileNameA(&ofn)) return std::nullopt;
  return std::string(file);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void RunModal(HWND dialog, HWND owner) {
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  MSG message;
  while (IsWindow(dialog)) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // the application is ending: leave the quit request to the outer loop
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (IsFreeAndRunDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) DestroyWindow(dialog);
}

TfrmManageEntries::TfrmManageEntries(FreeAndRunList& list, const uRegistry& registry, Options options)
    : m_list(list), m_registry(registry), m_options(std::move(options)) {}

FormPtr<TfrmManageEntries> TfrmManageEntries::Create(HWND owner, FreeAndRunList& list,
                                                             const uRegistry& registry, Options options) {
  FormPtr<TfrmManageEntries> form(new TfrmManageEntries(list, registry, std::move(options)));
  form->m_appWasVisible = owner && IsWindowVisible(owner);
  if (!form->CreateForm(owner, kClassName, "Manage Entries in Free and Run Menu", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClientWidth, kClientHeight)) {
    return nullptr;
  }
  return form;
}

bool TfrmManageEntries::OnInitDialog() {
  if (!CreateFonts(16) || !CreateControls()) return false;
  FormCreate();
  return true;
}

bool TfrmManageEntries::CreateControls() {
  const HFONT font = m_font.Get();
  const HFONT title = m_titleFont.Get();
  const DWORD label = SS_LEFT | SS_NOPREFIX;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
  struct Row {
    int id;
    Page page;
    const char* cls;
    const char* text;
    DWORD style;
    DWORD exStyle;
    int x, y, w, h;
    HFONT font;
    const char* tip;
  };
  // In tab order within each page.
  const Row rows[] = {
      {Label1, Page::List, "STATIC", "Free and Run Menu", SS_CENTER | SS_NOPREFIX, 0, 8, 8, 425, 19, title, nullptr},
      {ItemList, Page::List, "LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
       WS_EX_CLIENTEDGE, 8, 40, 185, 177, font, nullptr},
      {Label2, Page::List, "STATIC", "What would you like to do?", label, 0, 216, 40, 200, 13, font, nullptr},
      {Button2, Page::List, "BUTTON", "&Add an Entry >>", button, 0, 215, 63, 130, 25, font,
       "Add a new entry to the Free and Run Menu"},
      {butChange, Page::List, "BUTTON", "&Change this Entry >>", button, 0, 215, 103, 130, 25, font,
       "Change the currently selected entry"},
      {butRemove, Page::List, "BUTTON", "&Remove This Entry", button, 0, 215, 143, 130, 25, font,
       "Remove the currently selected entry"},
      {Button1, Page::List, "BUTTON", "Close", button, 0, 344, 192, 89, 25, font, "Close this dialog"},
      {Button5, Page::List, "BUTTON", "&Help", button, 0, 240, 192, 89, 25, font, nullptr},
      {lblTitle, Page::Edit, "STATIC", "", SS_CENTER | SS_NOPREFIX, 0, 16, 8, 393, 25, title, nullptr},
      {Label3, Page::Edit, "STATIC",
       "Specify the amount of RAM to free-up, the program to run and the text to display in the Free and Run menu. ",
       label, 0, 8, 40, 417, 25, font, nullptr},
      {Label5, Page::Edit, "STATIC", "Free up", label, 0, 8, 72, 120, 13, font, nullptr},
      {cboFreeUp, Page::Edit, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, 8, 88, 101, 240, font,
       "Specify the amount of RAM to free up"},
      {Label6, Page::Edit, "STATIC", "Program to run", label, 0, 144, 72, 170, 13, font, nullptr},
      {txtRun, Page::Edit, "EDIT", "", ES_AUTOHSCROLL | ES_READONLY, WS_EX_CLIENTEDGE, 144, 88, 176, 21, font,
       kBrowseHint},
      {Button3, Page::Edit, "BUTTON", "&Browse", button, 0, 320, 88, 89, 21, font, "Select the program to run"},
      {Label7, Page::Edit, "STATIC", "Text to display in Free and Run menu", label, 0, 8, 120, 300, 13, font, nullptr},
      {txtDisplay, Page::Edit, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 8, 136, 401, 21, font,
       "This text appears in the Free and Run Menu"},
      {Button4, Page::Edit, "BUTTON", "Cancel", button, 0, 344, 192, 89, 25, font, nullptr},
      {butOK, Page::Edit, "BUTTON", "OK", button, 0, 248, 192, 89, 25, font, nullptr},
      {Button6, Page::Edit, "BUTTON", "&Help", button, 0, 16, 192, 89, 25, font, nullptr},
  };
  for (const Row& row : rows) {
    const HWND control = AddControl(row.id, row.cls, row.text, row.style, row.exStyle, kPageX + row.x, kPageY + row.y,
                                    row.w, row.h, row.font);
    if (!control) return false;
    (row.page == Page::List ? m_listPage : m_editPage).push_back(control);
    if (row.tip) AddTooltip(control, row.tip);
  }
  // nothing typed can be longer than a stored text may be
  SendMessageA(Item(txtDisplay), EM_LIMITTEXT, kMaxEntryText, 0);
  return true;
}

void TfrmManageEntries::FormCreate() {
  FillItemList();
  const HWND amounts = Item(cboFreeUp);
  for (std::int32_t amount : FreeAmounts) {
    SendMessageA(amounts, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AmountText(amount).c_str()));
  }
  // the main window's amount, or the first when it has none: an entry always gets a valid one
  const int selected =
      m_options.selectedAmount >= 0 && m_options.selectedAmount < kAmountCount ? m_options.selectedAmount : 0;
  SendMessageA(amounts, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  ShowPage(Page::List);
  UpdateButtons();
}

void TfrmManageEntries::FillItemList() {
  const HWND items = Item(ItemList);
  SendMessageA(items, WM_SETREDRAW, FALSE, 0);
  SendMessageA(items, LB_RESETCONTENT, 0, 0);
  SendMessageA(items, LB_INITSTORAGE, static_cast<WPARAM>(m_list.Count()), 64 * static_cast<LPARAM>(m_list.Count()));
  for (std::int32_t i = 0; i < m_list.Count(); ++i) {
    SendMessageA(items, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_list.MenuText(i).c_str()));
  }
  SendMessageA(items, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(items, nullptr, TRUE);
}

void TfrmManageEntries::ShowPage(Page page) {
  m_page = page;
  for (HWND control : page == Page::List ? m_editPage : m_listPage) ShowWindow(control, SW_HIDE);
  for (HWND control : page == Page::List ? m_listPage : m_editPage) ShowWindow(control, SW_SHOW);
  // Enter answers OK on the edit page only
  SendMessageA(m_window, DM_SETDEFID, page == Page::Edit ? butOK : 0, 0);
  const int focus = page == Page::List ? ItemList : cboFreeUp;
  SendMessageA(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(focus)), TRUE);
}

void TfrmManageEntries::UpdateButtons() {
  const bool selected = Selected() >= 0;
  EnableWindow(Item(butRemove), selected);
  EnableWindow(Item(butChange), selected);
  // a menu text of blanks and control characters only would be dropped at the next start
  EnableWindow(Item(butOK), !Text(txtRun).empty() && !IsBlankText(Text(txtDisplay)));
}

void TfrmManageEntries::UpdateDisplayText() {
  const std::string run = Text(txtRun);
  if (!run.empty()) {
    const std::string proposal = ProposedMenuText(run, Text(cboFreeUp));
    SetWindowTextA(Item(txtDisplay), proposal.c_str());
  }
  UpdateButtons();
}

void TfrmManageEntries::SetRunPath(const std::string& path) {
  m_runHint = path;
  SetTooltip(Item(txtRun), m_runHint);
  const std::string bare = path == kBrowseHint ? std::string() : BareName(path);
  // a change of the program's name proposes a new menu text
  if (bare != Text(txtRun)) {
    SetWindowTextA(Item(txtRun), bare.c_str());
    UpdateDisplayText();
  }
}

void TfrmManageEntries::Button2Click() {
  SetWindowTextA(Item(lblTitle), "Add an Entry to the Free and Run Menu");
  SetRunPath(kBrowseHint);
  SetWindowTextA(Item(txtDisplay), "");
  m_editIndex = -1;
  ShowPage(Page::Edit);
  UpdateButtons();
}

void TfrmManageEntries::butChangeClick() {
  const int selected = Selected();
  if (selected < 0) return;
  const auto entry = m_list.GetFreeAndRunEntry(selected);
  if (!entry) return;
  m_editIndex = selected;
  // by code: no new proposal for the amount
  SendMessageA(Item(cboFreeUp), CB_SETCURSEL, static_cast<WPARAM>(ValidAmountIndex(entry->Free)), 0);
  SetRunPath(entry->Run);
  // the stored text replaces the proposal
  SetWindowTextA(Item(txtDisplay), entry->Display.substr(0, kMaxEntryText).c_str());
  SetWindowTextA(Item(lblTitle), "Change Entry in the Free and Run Menu");
  ShowPage(Page::Edit);
  UpdateButtons();
}

void TfrmManageEntries::Button3Click() {
  const std::string startMenu = m_registry.ReadRegString(kStartMenuFolderKey, kStartMenuFolderValue, "");
  const BrowseStart start = BrowseStartFor(Text(txtRun), m_runHint, startMenu);
  const auto chosen = m_options.chooseFile ? m_options.chooseFile(start) : ChooseFileWithTheSystem(m_window, start);
  // a name that does not exist, or a folder, changes nothing
  if (!chosen || chosen->size() > kMaxEntryText || !IsFile(*chosen)) return;
  SetRunPath(*chosen);
}

void TfrmManageEntries::butOKClick() {
  const std::string display = Text(txtDisplay);
  if (Text(txtRun).empty() || IsBlankText(display)) return;
  int amount = static_cast<int>(SendMessageA(Item(cboFreeUp), CB_GETCURSEL, 0, 0));
  if (amount < 0) amount = 0;
  // a change is one save, so a refused write never loses the entry being changed
  if (m_editIndex >= 0) {
    m_list.ReplaceFreeAndRunEntry(m_editIndex, amount, m_runHint, display);
  } else {
    m_list.AddFreeAndRunEntry(amount, m_runHint, display);
  }
  FillItemList();
  const int match = LastExactMatch(m_list.MenuTexts(), display);
  SendMessageA(Item(ItemList), LB_SETCURSEL, static_cast<WPARAM>(match), 0);
  ShowPage(Page::List);
  UpdateButtons();
}

void TfrmManageEntries::Button4Click() {
  ShowPage(Page::List);
  UpdateButtons();
}

void TfrmManageEntries::butRemoveClick() {
  const int selected = Selected();
  if (selected < 0) return;
  m_list.DeleteFreeAndRunEntry(selected);
  FillItemList();
  const int next = SelectionAfterRemove(selected, m_list.Count());
  SendMessageA(Item(ItemList), LB_SETCURSEL, static_cast<WPARAM>(next), 0);
  UpdateButtons();
}

void TfrmManageEntries::Button1Click() {
  // the owner first, or the system would activate some other program's window
  if (m_owner) EnableWindow(m_owner, TRUE);
  DestroyWindow(m_window);
}

void TfrmManageEntries::OnDestroy() {
  if (!m_appWasVisible && m_owner) PostMessageA(m_owner, WM_HIDE_TASKBUTTON, 0, 0);
}

INT_PTR TfrmManageEntries::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_CLOSE: Button1Click(); return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(m_window, &ps);
      // the page's frame inside the panel's border
      RECT page{};
      GetClientRect(m_window, &page);
      InflateRect(&page, -Scaled(kPanelBorder), -Scaled(kPanelBorder));
      DrawEdge(dc, &page, EDGE_RAISED, BF_RECT);
      EndPaint(m_window, &ps);
      return TRUE;
    }
    default: return FALSE;
  }
}

void TfrmManageEntries::OnCommand(int id, int code) {
  const bool clicked = code == BN_CLICKED;
  switch (id) {
    case IDCANCEL:  // Esc: the showing page's cancel button
      if (m_page == Page::List) {
        Button1Click();
      } else {
        Button4Click();
      }
      return;
    case IDOK:  // Enter without a default button: nothing on the list page
      if (m_page == Page::Edit && IsWindowEnabled(Item(butOK))) butOKClick();
      return;
    case ItemList:
      if (code == LBN_SELCHANGE) UpdateButtons();
      if (code == LBN_DBLCLK) butChangeClick();
      return;
    case cboFreeUp:
      // only the user's choice sends this; a selection made by code proposes nothing
      if (code == CBN_SELCHANGE) UpdateDisplayText();
      return;
    case txtDisplay:
      if (code == EN_CHANGE) UpdateButtons();
      return;
    case Button2:
      if (clicked) Button2Click();
      return;
    case butChange:
      if (clicked) butChangeClick();
      return;
    case butRemove:
      if (clicked) butRemoveClick();
      return;
    case Button1:
      if (clicked) Button1Click();
      return;
    case Button3:
      if (clicked) Button3Click();
      return;
    case butOK:
      if (clicked && IsWindowEnabled(Item(butOK))) butOKClick();
      return;
    case Button4:
      if (clicked) Button4Click();
      return;
    case Button5:
      if (clicked && m_options.openHelp) m_options.openHelp("FreeAndRunMain");
      return;
    case Button6:
      if (clicked && m_options.openHelp) m_options.openHelp("FreeAndRunAdd");
      return;
    default: return;
  }
}

std::string TfrmManageEntries::Text(int id) const {
  const HWND control = Item(id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

int TfrmManageEntries::Selected() const { return static_cast<int>(SendMessageA(Item(ItemList), LB_GETCURSEL, 0, 0)); }

}  // namespace rsw::win32
