#include "freeandrun/win32/FreeAndRunController.h"

#include <shellapi.h>

#include "freeandrun/FreeAndRunMenu.h"
#include "freeandrun/win32/TfrmErrorRun.h"
#include "freeandrun/win32/TfrmManageEntries.h"
#include "freeandrun/win32/TfrmShowRun.h"

namespace rsw::win32 {

namespace {

// The submenu as the rebuild sees it; an item's tag is its item data.
class Win32MenuItems final : public MenuItems {
 public:
  explicit Win32MenuItems(HMENU menu) : m_menu(menu) {}
  int Count() const override { return GetMenuItemCount(m_menu); }
  std::int32_t Tag(int position) const override {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_DATA;
    if (!GetMenuItemInfoA(m_menu, static_cast<UINT>(position), TRUE, &item)) return 0;
    return static_cast<std::int32_t>(item.dwItemData);
  }
  void Remove(int position) override { DeleteMenu(m_menu, static_cast<UINT>(position), MF_BYPOSITION); }
  void AppendSeparator(std::int32_t tag) override { Append(MFT_SEPARATOR, nullptr, tag, 0); }
  void AppendItem(std::string_view caption, std::int32_t tag, std::uint32_t command) override {
    std::string text(caption);
    Append(MFT_STRING, text.data(), tag, command);
  }

 private:
  void Append(UINT type, char* text, std::int32_t tag, std::uint32_t command) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | (text ? MIIM_STRING : 0u);
    item.fType = type;
    item.wID = command;
    item.dwItemData = static_cast<ULONG_PTR>(tag);
    item.dwTypeData = text;
    InsertMenuItemA(m_menu, static_cast<UINT>(GetMenuItemCount(m_menu)), TRUE, &item);
  }
  HMENU m_menu;
};

}  // namespace

int Win32Collation::Compare(std::string_view a, std::string_view b) const {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                    b.data(), static_cast<int>(b.size()));
  return result == 0 ? 0 : result - CSTR_EQUAL;
}

FreeAndRunController::FreeAndRunController(FreeAndRunHost& host, const uRegistry& registry,
                                           std::uint32_t manageEntriesCommand, std::string keyPath)
    : m_host(host),
      m_registry(registry),
      m_manageEntriesCommand(manageEntriesCommand),
      m_list(registry, m_collation, std::move(keyPath)),
      m_flow(m_list, *this) {}

FreeAndRunController::~FreeAndRunController() {
  DestroyForm();
  m_list.ReleaseFreeAndRunList();
}

void FreeAndRunController::RebuildFreeAndRunMenu(HMENU FreeandRun1) {
  Win32MenuItems items(FreeandRun1);
  rsw::RebuildFreeAndRunMenu(m_list, items);
}

bool FreeAndRunController::OnCommand(std::uint32_t command) {
  if (command == m_manageEntriesCommand) {
    ManageEntries1Click();
    return true;
  }
  const auto tag = EntryTagOfCommand(command);
  if (!tag) return false;
  FreeAndRunItemClick(*tag);
  return true;
}

FreeAndRunForm* FreeAndRunController::OpenManageEntries() {
  DestroyForm();
  m_list.LoadFreeAndRunList();
  TfrmManageEntries::Options options;
  options.selectedAmount = m_host.SelectedAmountIndex();
  options.openHelp = [this](const char* topic) { m_host.OpenHelp(topic); };
  auto form = TfrmManageEntries::Create(m_host.MainWindow(), m_list, m_registry, std::move(options));
  if (!form) return nullptr;
  Adopt(std::move(form));
  return m_form.get();
}

void FreeAndRunController::ManageEntries1Click() {
  FreeAndRunForm* form = OpenManageEntries();
  if (!form) return;
  RunModal(form->Handle(), m_host.MainWindow());
}

void FreeAndRunController::Adopt(FormPtr<FreeAndRunForm> form) {
  m_form = std::move(form);
  // closing any form leaves none open
  m_form->OnDestroyed = [this] { m_form.reset(); };
}

bool FreeAndRunController::TaskbarWindowVisible() const { return IsWindowVisible(m_host.MainWindow()) != FALSE; }

void FreeAndRunController::HideTaskbarWindow() { ShowWindow(m_host.MainWindow(), SW_HIDE); }

void FreeAndRunController::ShowFocusWindow() {
  const HWND focus = m_host.FocusWindow();
  if (!focus) return;
  ShowWindow(focus, SW_SHOW);
  SetForegroundWindow(focus);
}

bool FreeAndRunController::FileExists(const std::string& path) const {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void FreeAndRunController::ShowRunForm(const std::string& menuText) {
  auto form = TfrmShowRun::Create(m_host.MainWindow(), menuText);
  if (!form) return;
  Adopt(std::move(form));
  ShowWindow(m_form->Handle(), SW_SHOWNOACTIVATE);
  UpdateWindow(m_form->Handle());
}

void FreeAndRunController::ShowErrorForm() {
  auto form = TfrmErrorRun::Create(m_host.MainWindow());
  if (!form) return;
  Adopt(std::move(form));
  m_form->BringToFront();
}

void FreeAndRunController::BringFormToFront() {
  if (m_form) m_form->BringToFront();
}

void FreeAndRunController::DestroyForm() {
  // the form's own notice of its end would reset the pointer again
  if (m_form) m_form->OnDestroyed = nullptr;
  m_form.reset();
}

void FreeAndRunController::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (IsFreeAndRunDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void FreeAndRunController::StartFreeUp(std::int32_t AmountMB, std::int32_t MaxPasses, std::int32_t Countdown,
                                       std::int32_t IdleMode) {
  m_host.StartFreeUp(AmountMB, MaxPasses, Countdown, IdleMode);
}

void FreeAndRunController::OpenProgram(const std::string& path) {
  ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

void FreeAndRunController::Wait(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace rsw::win32
