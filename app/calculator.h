// The main window: the formula, conversion, variables and results panels stacked top to bottom, the
// menus, and the commands they run.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "calculate_command.h"
#include "calling_key.h"
#include "conversion_panel.h"
#include "forms/form.h"
#include "formula_panel.h"
#include "main_menu.h"
#include "option_host.h"
#include "results_panel.h"
#include "screen_reader.h"
#include "settings.h"
#include "theme.h"
#include "tly.h"
#include "tly_api.h"
#include "variables_panel.h"
#include "view_state.h"
#include "window_settings.h"

namespace tly {

class Calculator : public forms::Form, public OptionHost, private CalculatorDisplay {
 public:
  Calculator(Tly& engine, HICON icon, SettingsOpener open_settings);
  ~Calculator() override;

  // OptionHost: the window's modes, tray icon, calling key, settings and help file.
  const forms::Form& HostForm() const override { return *this; }
  std::unique_ptr<SettingsStore> OpenSettingsStore() const override {
    return settings_.OpenQuietly();
  }
  const std::wstring& HelpFile() const override { return help_file_; }
  bool ShowInTaskTray() const override { return show_in_task_tray_; }
  void SetShowInTaskTray(bool on) override { show_in_task_tray_ = on; }
  void AddTrayIcon() override { tray_.Add(hwnd(), formula_->Picture1->hwnd()); }
  void DeleteTrayIcon() override { tray_.Delete(); }
  bool CloseButtonMinimized() const override { return close_button_minimized_; }
  void SetCloseButtonMinimized(bool on) override { close_button_minimized_ = on; }
  void UpdateSystemMenu() override { tly::UpdateSystemMenu(hwnd(), close_button_minimized_); }
  std::uint32_t HotKey() const override { return calling_key_.key(); }
  bool SetHotKey(std::uint32_t key) override { return calling_key_.Set(hwnd(), key); }
  const TrayIcon& Tray() const { return tray_; }

  // Commands, as the menus run them.
  void ShowOptions();       // mnuViewOption
  void ShowAbout();         // mnuHelpAbout
  void ShowHelpContents();  // mnuHelpHelp
  void OpenWebPage();       // mnuHelpWebpage
  void RestoreFromTray();   // mnuTaskReturn, and a left click on the tray icon

  // Commands, as the menus and buttons run them.
  void CalculateCommand();
  void ToggleConversionPanel() { TogglePanel(&ViewState::conversion); }  // mnuViewConvert
  void ToggleVariablesPanel() { TogglePanel(&ViewState::variables); }    // mnuViewVariable
  void ToggleResultsPanel() { TogglePanel(&ViewState::results); }        // mnuViewResults
  void ResetVariables();                                                 // mnuEditVarCls
  void UpdateEnabledState();  // the change handler of Combo1
  void TogglePreview();       // mnuViewPreview
  // Shows the result and the live result in `format` from now on, and keeps it.
  void SetNumberFormat(const NumberFormat& format);  // mnuViewNumber
  void CopyResult();                                 // mnuEditCopy(1)
  // Shows in Label5 what Calculate would show now: on each change of the formula, the
  // conversion and the variables.
  void UpdatePreview();

  // Always on top, the key that calls the window, and the widened window.
  bool TopMost() const { return view_.top_most; }
  void ToggleTopMost();        // mnuViewTopMost
  void SetTheme(int setting);  // mnuViewTheme
  Theme& theme() { return theme_; }
  // The hotkey: brings the window to the front with the formula selected, or hides it as
  // minimising does when it is in front already.
  void HotKeyPressed();
  // Brings the window to the front, from the tray too, with the formula selected, or the dialog
  // open over it: for the hotkey, and for a second start of the program.
  void CallToFront();

  // The panels, top to bottom, and the menus.
  FormulaPanel& formula() const { return *formula_; }
  ConversionPanel& conversion() const { return *conversion_; }
  VariablesPanel& variables() const { return *variables_; }
  ResultsPanel& results() const { return *results_; }
  MainMenu& menus() const { return *menus_; }
  const ScreenReader& screen_reader() const { return *screen_reader_; }

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
  static constexpr double kClientWidth = 4080;  // as designed, in twips

  void WireMenus();
  void WireControls();
  // Shows the panels the view state names, each below the shown panels above it, and fits the
  // window's height to them.
  void LayoutPanels();
  // Shows or hides the panel that follows view field `shown`.
  void TogglePanel(bool ViewState::*shown);
  // The tray icon's mouse notification, as it reaches the hidden picture box: `x` is the
  // mouse message of the icon.
  void OnTrayNotification(int x);
  Settings CurrentSettings() const;
  void SaveSettings(unsigned parts) { settings_.Write(hwnd(), CurrentSettings(), parts); }

  // Shows the result, the live result and the menu's marks in `format`.
  void ShowNumbersIn(const NumberFormat& format);
  void ApplyTopMost(bool on);
  // Stretches the panels' boxes and lists and keeps the button and the scroll bar at the right
  // edge.
  void LayoutWidth();

  // CalculatorDisplay
  void SetHistory(const std::vector<std::u16string>& entries) override;
  void SetFormula(std::u16string_view formula) override;
  void ShowResult(std::u16string_view text) override;
  void ShowError(std::u16string_view message) override;
  void SelectInFormula(int begin, int end) override;

  Tly& engine_;
  Theme theme_;  // before the windows it colours
  CalculatorCore core_;
  WindowSettings settings_;
  bool loaded_ = false;
  ViewState view_;
  std::unique_ptr<MainMenu> menus_;
  // The panels, top to bottom, all there once the window is created; the window reaches these
  // four by name.
  PanelStack panels_;
  FormulaPanel* formula_ = nullptr;
  ConversionPanel* conversion_ = nullptr;
  VariablesPanel* variables_ = nullptr;
  ResultsPanel* results_ = nullptr;
  std::unique_ptr<ScreenReader> screen_reader_;
  bool show_in_task_tray_ = false;
  bool close_button_minimized_ = false;
  TrayIcon tray_;
  std::wstring help_file_;
  UINT taskbar_created_ = 0;
  CallingKey calling_key_;
};

}  // namespace tly
