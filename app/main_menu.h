// The main window's menus: the bar and the tray icon's pop-up menu. The window wires the items
// to its commands.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "forms/form.h"
#include "number_menu.h"
#include "view_state.h"

namespace tly {

class MainMenu {
 public:
  explicit MainMenu(forms::Form& form);

  // Sets the View menu's check marks from `view`.
  void Reflect(const ViewState& view);
  // Opens the tray icon's menu at the mouse, for `owner`.
  void ShowTaskMenu(HWND owner) const;

  forms::MenuItem* mnuFileEnd = nullptr;
  std::array<forms::MenuItem*, 2> mnuEditCopy{};
  forms::MenuItem* mnuEditPaste = nullptr;
  forms::MenuItem* mnuEditClear = nullptr;
  forms::MenuItem* mnuEditVarCls = nullptr;
  forms::MenuItem* mnuViewConvert = nullptr;
  forms::MenuItem* mnuViewVariable = nullptr;
  forms::MenuItem* mnuViewResults = nullptr;
  forms::MenuItem* mnuViewOption = nullptr;
  forms::MenuItem* mnuViewPreview = nullptr;
  forms::MenuItem* mnuViewTopMost = nullptr;
  std::array<forms::MenuItem*, 3> mnuViewTheme{};  // follow Windows, light, dark
  std::unique_ptr<NumberMenu> mnuViewNumber;
  forms::MenuItem* mnuHelpHelp = nullptr;
  forms::MenuItem* mnuHelpWebpage = nullptr;
  forms::MenuItem* mnuHelpAbout = nullptr;
  HMENU mnuTask = nullptr;  // never in the bar
  forms::MenuItem* mnuTaskReturn = nullptr;
  forms::MenuItem* mnuTaskEnd = nullptr;

 private:
  void AddThemeMenu(forms::Form& f, HMENU view);
};

}  // namespace tly
