// The main window: formula box, Calculate button, result box, the conversion and variables
// panels, and the menus.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "calculate_command.h"
#include "forms/form.h"
#include "settings.h"
#include "tly.h"
#include "tly_api.h"

namespace tly {

// Creates a settings object set up for the program's own key; nullptr when the settings
// library cannot be used.
using SettingsOpener = std::function<std::unique_ptr<SettingsStore>()>;

class Calculator : public forms::Form, private CalculatorDisplay {
 public:
  Calculator(Tly& engine, HICON icon, SettingsOpener open_settings);
  ~Calculator() override;

  // The window's modes, as the Options dialog reads and sets them. Tray mode: the window has
  // an icon in the notification area and leaves the task bar when minimised.
  bool ShowInTaskTray() const { return show_in_task_tray_; }
  void SetShowInTaskTray(bool on) { show_in_task_tray_ = on; }
  // The close button (and Close of the system menu, Alt+F4) minimises instead of closing.
  bool CloseButtonMinimized() const { return close_button_minimized_; }
  void SetCloseButtonMinimized(bool on) { close_button_minimized_ = on; }
  TrayIcon& Tray() { return tray_; }
  void AddTrayIcon() { tray_.Add(hwnd(), Picture1->hwnd()); }
  // Shapes the minimise box and the system menu for the close-button mode.
  void UpdateSystemMenu() { tly::UpdateSystemMenu(hwnd(), close_button_minimized_); }
  // The help file the program opens: "Tallyra.hlp" in its folder.
  const std::wstring& HelpFile() const { return help_file_; }

  Tly& engine() { return engine_; }
  const SettingsOpener& settings_opener() const { return open_settings_; }

  // Commands, as the menus run them.
  void ShowOptions();       // mnuViewOption
  void ShowAbout();         // mnuHelpAbout
  void ShowHelpContents();  // mnuHelpHelp
  void OpenWebPage();       // mnuHelpWebpage
  void RestoreFromTray();   // mnuTaskReturn, and a left click on the tray icon

  // Commands, as the menus and buttons run them.
  void CalculateCommand();
  void ToggleConversionPanel();  // mnuViewConvert
  void ToggleVariablesPanel();   // mnuViewVariable
  void ResetVariables();         // mnuEditVarCls
  void RefreshVariableRows();    // the change handler of VScroll1
  void CategorySelected();       // the click handler of Combo2
  void UpdateEnabledState();     // the change handler of Combo1
  void TogglePreview();          // mnuViewPreview
  // Shows in Label5 what Calculate would show now: on each change of the formula, the
  // conversion and the variables.
  void UpdatePreview();

  // Always on top, the key that calls the window, and the widened window.
  bool TopMost() const;
  void ToggleTopMost();  // mnuViewTopMost
  std::uint32_t HotKey() const { return hot_key_; }
  // Registers `key` (low byte virtual-key code, next byte HOTKEYF_* flags; 0 none) in place of
  // the current key; false, keeping the current key, when another program holds it.
  bool SetHotKey(std::uint32_t key);
  // The hotkey: brings the window to the front with the formula selected, or hides it as
  // minimising does when it is in front already.
  void HotKeyPressed();
  // Brings the window to the front, from the tray too, with the formula selected, or the dialog
  // open over it: for the hotkey, and for a second start of the program.
  void CallToFront();

  // Controls.
  std::array<std::unique_ptr<forms::Label>, 2> Label1;
  std::unique_ptr<forms::ComboBox> Combo1;
  std::unique_ptr<forms::TextBox> Text1;
  std::unique_ptr<forms::PictureBox> Picture1;
  std::unique_ptr<forms::Button> Command1;
  std::unique_ptr<forms::Frame> Frame1;
  std::unique_ptr<forms::ComboBox> Combo2, Combo3, Combo4;
  std::unique_ptr<forms::Label> Label2, Label3;
  std::unique_ptr<forms::Frame> Frame2;
  std::array<std::unique_ptr<forms::Label>, 5> Label4;
  std::array<std::unique_ptr<forms::TextBox>, 5> Text2;
  std::unique_ptr<forms::VScrollBar> VScroll1;
  std::unique_ptr<forms::Label> Label5;  // the live result, left of the Calculate button

  // Menus.
  forms::MenuItem* mnuFileEnd = nullptr;
  std::array<forms::MenuItem*, 2> mnuEditCopy{};
  forms::MenuItem* mnuEditPaste = nullptr;
  forms::MenuItem* mnuEditClear = nullptr;
  forms::MenuItem* mnuEditVarCls = nullptr;
  forms::MenuItem* mnuViewConvert = nullptr;
  forms::MenuItem* mnuViewVariable = nullptr;
  forms::MenuItem* mnuViewOption = nullptr;
  forms::MenuItem* mnuViewTopMost = nullptr;
  forms::MenuItem* mnuViewPreview = nullptr;
  forms::MenuItem* mnuHelpHelp = nullptr;
  forms::MenuItem* mnuHelpWebpage = nullptr;
  forms::MenuItem* mnuHelpAbout = nullptr;
  HMENU mnuTask = nullptr;
  forms::MenuItem* mnuTaskReturn = nullptr;
  forms::MenuItem* mnuTaskEnd = nullptr;

 protected:
  void OnCreate() override;
  void OnLoad() override;
  void OnResize() override;
  void OnQueryUnload(bool& cancel, forms::UnloadReason reason) override;
  void OnUnload() override;
  void OnHelp(int context) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnDpiChanged() override;
  bool OnMouseWheel(POINT at, int delta) override;

 private:
  void CreateMenus();
  void CreateControls();
  void CreateConversionPanel();
  void CreateVariablesPanel();
  void CreatePreview();
  // The conversion the Calculate command applies now, if any.
  std::optional<Conversion> CurrentConversion() const;
  // Shows the panels whose View items are checked, the variables panel below the conversion
  // panel or in its place, and fits the window's height to them.
  void LayoutPanels();
  // The tray icon's mouse notification, as it reaches the hidden picture box: `x` is the
  // mouse message of the icon.
  void OnTrayNotification(int x);
  void ShowTaskMenu();
  void ValidateVariable(int row, bool& cancel);
  bool CommitVariableBeingEdited();
  std::unique_ptr<SettingsStore> OpenSettings();
  Settings CurrentSettings() const;
  void SaveSettings(unsigned parts);

  // The steps of loading, in their order.
  // False when there is no saved position or it lies on no monitor.
  bool MoveToSavedPosition(const Settings& s);
  // Places the window in the middle of the work area of the monitor that holds the mouse.
  void CentreUnderTheMouse();
  void RestoreMenusAndRegisters(const Settings& s);
  void RestoreModes(const Settings& s);
  void FinishControls();
  void FillQuantities(int selected);

  // The window's extras.
  void CreateTopMostItem(HMENU view);
  void RestoreExtras(const Settings& e);
  void ApplyTopMost(bool on);
  // Stretches the boxes and lists and keeps the button and the scroll bar at the right edge.
  void LayoutWidth();
  void SaveWidthIfChanged();
  void ScrollVariables(int rows);

  // CalculatorDisplay
  void SetHistory(const std::vector<std::u16string>& entries) override;
  void SetFormula(std::u16string_view formula) override;
  void ShowResult(std::u16string_view text) override;
  void ShowError(std::u16string_view message) override;
  void SelectInFormula(int begin, int end) override;

  Tly& engine_;
  CalculatorCore core_;
  SettingsOpener open_settings_;
  bool told_settings_unavailable_ = false;
  bool loaded_ = false;
  int rejected_row_ = -1;  // the value box whose text is not a number, while it keeps the focus
  bool show_in_task_tray_ = false;
  bool close_button_minimized_ = false;
  TrayIcon tray_;
  std::wstring help_file_;
  UINT taskbar_created_ = 0;
  std::uint32_t hot_key_ = 0;
  int wheel_delta_ = 0;                      // turned but less than a notch
  std::optional<std::int32_t> saved_width_;  // the Width value last read or written
  std::wstring preview_tip_;                 // the live result's tool tip; empty for none
};

}  // namespace tly
