#pragma once
// "Manage Entries in Free and Run Menu": the list page, where entries are chosen, added, changed
// and removed, and the edit page with an entry's amount, program and menu text. Every confirmed
// change is saved at once; "Close" only closes.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "freeandrun/EntryTexts.h"
#include "freeandrun/uFreeAndRun.h"
#include "freeandrun/win32/FreeAndRunForm.h"

namespace rsw::win32 {

class TfrmManageEntries final : public FreeAndRunForm {
 public:
  enum ControlId : int {
    // list page
    Label1 = 101,
    ItemList,
    Label2,
    Button2,
    butChange,
    butRemove,
    Button1,
    Button5,
    // edit page
    lblTitle,
    Label3,
    Label5,
    cboFreeUp,
    Label6,
    txtRun,
    Button3,
    Label7,
    txtDisplay,
    Button4,
    butOK,
    Button6,
  };
  enum class Page { List, Edit };
  static constexpr const char* kClassName = "TfrmManageEntries";

  struct Options {
    int selectedAmount = -1;                          // the main window's amount list (lstMem)
    std::function<void(const char* topic)> openHelp;  // the application's help
    // The file dialog: the chosen file, or nothing when the user cancelled. Empty: the system's.
    std::function<std::optional<std::string>(const BrowseStart&)> chooseFile;
  };

  // Notes whether the main window is visible, then builds the form; not yet shown.
  static FormPtr<TfrmManageEntries> Create(HWND owner, FreeAndRunList& list, const uRegistry& registry,
                                                   Options options);

  bool AppWasVisible() const { return m_appWasVisible; }
  Page ActivePage() const { return m_page; }
  std::int32_t EditIndex() const { return m_editIndex; }
  // The full path of the program being edited, the tooltip of txtRun.
  const std::string& RunPath() const { return m_runHint; }

 private:
  TfrmManageEntries(FreeAndRunList& list, const uRegistry& registry, Options options);
  bool OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDestroy() override;
  bool CreateControls();
  void OnCommand(int id, int code);

  void FormCreate();
  void FillItemList();
  void ShowPage(Page page);
  void UpdateButtons();
  void UpdateDisplayText();
  void SetRunPath(const std::string& path);
  void Button2Click();
  void butChangeClick();
  void Button3Click();
  void butOKClick();
  void Button4Click();
  void butRemoveClick();
  void Button1Click();

  std::string Text(int id) const;
  int Selected() const;

  FreeAndRunList& m_list;
  const uRegistry& m_registry;
  Options m_options;
  bool m_appWasVisible = false;
  std::int32_t m_editIndex = -1;
  Page m_page = Page::List;
  std::string m_runHint;
  std::vector<HWND> m_listPage;
  std::vector<HWND> m_editPage;
};

// Shows `dialog` modally over `owner`: returns once the dialog window is gone.
void RunModal(HWND dialog, HWND owner);

}  // namespace rsw::win32
