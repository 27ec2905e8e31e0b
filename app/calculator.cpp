#include "calculator.h"

#include <algorithm>

#include "about_form.h"
#include "forms/services.h"
#include "help.h"
#include "option_form.h"
#include "single_instance.h"
#include "string_ids.h"
#include "text.h"
#include "tly_api.h"
#include "window_names.h"
#include "window_place.h"

namespace tly {
namespace {

constexpr int kWindowHelp = 1;

forms::FormStyle MainStyle(HICON icon, double width) {
  forms::FormStyle s;
  s.caption = kProductName;
  s.client_width = width;
  s.client_height = width;  // until the panels are there to decide it
  s.quit_on_destroy = true;
  s.help_context = kWindowHelp;
  s.icon = icon;
  s.wider_by_right_edge = true;
  return s;
}

}  // namespace

Calculator::Calculator(Tly& engine, HICON icon, SettingsOpener open_settings)
    : Form(MainStyle(icon, kClientWidth)),
      engine_(engine),
      core_(engine, *this),
      settings_(std::move(open_settings)) {}

Calculator::~Calculator() = default;

void Calculator::OnCreate() {
  menus_ = std::make_unique<MainMenu>(*this);
  // The panels, top to bottom; each shows while the view field it is given says so.
  PanelStack panels;
  formula_ = panels.Add<FormulaPanel>(*this, kClientWidth);
  conversion_ = panels.Add<ConversionPanel>(*this, &view_.conversion);
  variables_ = panels.Add<VariablesPanel>(*this, &view_.variables, engine_, *formula_->Combo1);
  results_ = panels.Add<ResultsPanel>(*this, &view_.results, *formula_);
  panels_ = std::move(panels);
  screen_reader_ = std::make_unique<ScreenReader>(*formula_, *conversion_, *variables_);
  SetDesignedClientHeight(panels_.FullHeight());
  WireMenus();
  WireControls();
}

void Calculator::WireMenus() {
  MainMenu& m = *menus_;
  m.mnuFileEnd->on_click = [this] { Unload(forms::kCodeUnload); };
  m.mnuTaskEnd->on_click = [this] { Unload(forms::kCodeUnload); };
  m.mnuEditCopy[0]->on_click = [this] {
    formula_->Combo1->Copy();
    menus_->mnuEditPaste->SetEnabled(true);
  };
  m.mnuEditCopy[1]->on_click = [this] { CopyResult(); };
  m.mnuEditPaste->on_click = [this] { formula_->Combo1->Paste(); };
  m.mnuEditClear->on_click = [this] {
    formula_->Combo1->SetText(L"");
    formula_->Text1->SetText(L"");
    core_.ForgetResult();
  };
  m.mnuEditVarCls->on_click = [this] { ResetVariables(); };
  m.mnuViewConvert->on_click = [this] { ToggleConversionPanel(); };
  m.mnuViewVariable->on_click = [this] { ToggleVariablesPanel(); };
  m.mnuViewResults->on_click = [this] { ToggleResultsPanel(); };
  m.mnuViewOption->on_click = [this] { ShowOptions(); };
  m.mnuViewPreview->on_click = [this] { TogglePreview(); };
  m.mnuViewTopMost->on_click = [this] { ToggleTopMost(); };
  for (int i = 0; i < 3; ++i)
    m.mnuViewTheme[static_cast<std::size_t>(i)]->on_click = [this, i] { SetTheme(i); };
  m.mnuViewNumber->on_change = [this](const NumberFormat& f) { SetNumberFormat(f); };
  m.mnuHelpHelp->on_click = [this] { ShowHelpContents(); };
  m.mnuHelpWebpage->on_click = [this] { OpenWebPage(); };
  m.mnuHelpAbout->on_click = [this] { ShowAbout(); };
  m.mnuTaskReturn->on_click = [this] { RestoreFromTray(); };
}

void Calculator::WireControls() {
  FormulaPanel& f = *formula_;
  // Typed, or picked from the history.
  const auto edited = [this] {
    results_->FormulaEdited();
    UpdateEnabledState();
    UpdatePreview();
  };
  f.Combo1->on_change = edited;
  f.Combo1->on_click = edited;
  f.Combo1->keys.on_key_press = [](wchar_t c) { return FormulaKeyAllowed(c); };
  f.Command1->on_click = [this] { CalculateCommand(); };
  f.Text1->on_click = [this] { formula_->Combo1->SetFocus(); };
  f.Picture1->on_mouse_move = [this](int x) { OnTrayNotification(x); };
  ConversionPanel& c = *conversion_;
  c.Combo2->on_click = [this] {
    conversion_->CategorySelected();
    UpdatePreview();
    if (loaded_) SaveSettings(kPanelsPart);  // the load selects the saved quantity itself
  };
  // The variables change the preview only through the registers, which the value boxes and
  // the Calculate command set.
  for (auto* list : {c.Combo3.get(), c.Combo4.get()}) list->on_click = [this] { UpdatePreview(); };
  variables_->on_register_set = [this] {
    UpdatePreview();
    SaveSettings(kRegistersPart);
  };
  results_->on_lines_changed = [this] { SaveSettings(kHistoryPart); };
  results_->on_copied = [this] { menus_->mnuEditPaste->SetEnabled(true); };
}

void Calculator::OnResize() {
  // In tray mode the window is visible exactly while it is not minimised.
  if (show_in_task_tray_) SetVisible(State() == forms::WindowState::kNormal);
  if (State() == forms::WindowState::kNormal && !panels_.Empty()) LayoutWidth();
}

void Calculator::OnQueryUnload(bool& cancel, forms::UnloadReason reason) {
  if (reason == forms::kUserClose && close_button_minimized_) {
    SetState(forms::WindowState::kMinimized);
    cancel = true;
  }
}

void Calculator::OnUnload() {
  calling_key_.Release();
  CloseHelp(hwnd(), help_file_);
  if (show_in_task_tray_) tray_.Delete();
  SaveSettings(kAllParts);
}

void Calculator::OnHelp(int context) { OpenHelp(hwnd(), help_file_, context); }

std::optional<LRESULT> Calculator::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_EXITSIZEMOVE) {
    SaveSettings(kPositionPart);
    const bool widened = ClientWidth() > kClientWidth + Scale().TwipsPerPixel() / 2;
    settings_.SaveWidthIfChanged(hwnd(), Scale(), widened);
    return std::nullopt;
  }
  if (message == WM_HOTKEY) {
    if (CallingKey::IsItsMessage(wparam)) HotKeyPressed();
    return 0;
  }
  if (message == CallMessage()) {
    CallToFront();
    return 0;
  }
  // Explorer started again: its new notification area knows no icons yet.
  if (message == taskbar_created_ && taskbar_created_ != 0) {
    if (show_in_task_tray_) AddTrayIcon();
    return 0;
  }
  return std::nullopt;
}

// ---- the remaining commands ----

void Calculator::ShowOptions() {
  OptionForm options(*this);
  options.ShowModal();
  // Turning saving on takes the history and the registers along now.
  SaveSettings(kAllParts);
}

void Calculator::ShowAbout() {
  AboutForm about(*this);
  about.ShowModal();
}

void Calculator::ShowHelpContents() { OpenHelp(hwnd(), help_file_, 0); }

void Calculator::OpenWebPage() {
  forms::ShellOpen(hwnd(), forms::ResourceString(ids::kWebPageAddress));
}

// ---- the tray icon ----

void Calculator::OnTrayNotification(int x) {
  if (x == WM_LBUTTONDOWN) RestoreFromTray();
  if (x == WM_RBUTTONUP) menus_->ShowTaskMenu(hwnd());
}

void Calculator::RestoreFromTray() {
  SetState(forms::WindowState::kNormal);
  SetVisible(true);
  BringToForeground(hwnd());
  // Picked from the tray menu, the window was active already while hidden, with the focus on
  // itself, so no activation hands the focus to its control; the form does that here.
  HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(hwnd(), focus)) RestoreFocus();
}

// ---- the Calculate command and the panels ----

void Calculator::CalculateCommand() {
  if (!variables_->CommitBeingEdited()) return;
  // A formula that fails is in the history too, and may have set registers before it failed.
  const std::u16string formula = ToU16(formula_->Combo1->Text());
  core_.Calculate(formula, conversion_->Current(), forms::LocaleDecimalSeparator());
  // The result as the result box shows it.
  const std::u16string shown = ToU16(formula_->Text1->Text());
  const std::optional<double>& value = core_.result();
  results_->AddLine(value ? ValueLine(formula, shown, *value, core_.number_format())
                          : ErrorLine(formula, shown));
  screen_reader_->Announce();  // the result box holds it now
  SaveSettings(kRegistersPart | kHistoryPart);
  UpdatePreview();  // the formula may have changed the registers it reads
}

void Calculator::UpdatePreview() {
  if (panels_.Empty()) return;
  FormulaPanel& f = *formula_;
  PreviewLine line;
  if (view_.preview) {
    line = core_.PreviewFitted(ToU16(f.Combo1->Text()), conversion_->Current(),
                               forms::LocaleDecimalSeparator(), f.PreviewRoom(),
                               [&f](std::u16string_view text) { return f.PreviewTextWidth(text); });
  }
  f.ShowPreview(line);
}

void Calculator::TogglePreview() {
  view_.preview = !view_.preview;
  menus_->Reflect(view_);
  UpdatePreview();
  settings_.Write(hwnd(), {.preview = view_.preview}, kPreviewPart);
}

void Calculator::ShowNumbersIn(const NumberFormat& format) {
  core_.SetNumberFormat(format);
  menus_->mnuViewNumber->Reflect(format);
  core_.ShowResultAgain(forms::LocaleDecimalSeparator());
  UpdatePreview();
}

void Calculator::SetNumberFormat(const NumberFormat& format) {
  ShowNumbersIn(format);
  settings_.Write(hwnd(), WithNumberFormat({}, format), kNumberPart);
}

void Calculator::CopyResult() {
  // The plain text a formula reads back; the box's own text when it shows no result.
  if (const std::optional<double>& result = core_.result()) {
    forms::SetClipboardText(hwnd(), ToWide(CopyNumber(*result, core_.number_format())));
  } else {
    formula_->Text1->SelectAll();
    SendMessageW(formula_->Text1->hwnd(), WM_COPY, 0, 0);
  }
  menus_->mnuEditPaste->SetEnabled(true);
}

void Calculator::UpdateEnabledState() {
  const bool has_formula = !formula_->Combo1->Text().empty();
  formula_->Command1->SetEnabled(has_formula);
  menus_->mnuEditCopy[0]->SetEnabled(has_formula);
}

void Calculator::SetHistory(const std::vector<std::u16string>& entries) {
  formula_->SetHistory(entries);
}

void Calculator::SetFormula(std::u16string_view formula) { formula_->SetFormula(formula); }

void Calculator::SelectInFormula(int begin, int end) {
  formula_->SelectFormula(begin, end);
  screen_reader_->Place(begin);
}

void Calculator::ShowResult(std::u16string_view text) {
  formula_->ShowOutcome(text);
  screen_reader_->Outcome(text);
  menus_->mnuEditCopy[1]->SetEnabled(true);
  variables_->Refresh();
}

void Calculator::ShowError(std::u16string_view message) {
  forms::Beep(MB_ICONEXCLAMATION);
  formula_->ShowOutcome(message);
  screen_reader_->Outcome(message);
  menus_->mnuEditCopy[1]->SetEnabled(false);
  variables_->Refresh();  // registers set before the failure
}

void Calculator::TogglePanel(bool ViewState::*shown) {
  view_.*shown = !(view_.*shown);
  menus_->Reflect(view_);
  UpdatePreview();  // a hidden conversion panel converts nothing
  LayoutPanels();
  SaveSettings(kPanelsPart);
}

void Calculator::LayoutPanels() {
  SetHeight(Height() - ClientHeight() + Scale().Twips(panels_.Place(Scale())));
}

void Calculator::ResetVariables() {
  for (int i = 1; i < kRegisterCount; ++i) engine_.SetRegister(i, 0);
  variables_->Refresh();
  UpdatePreview();
  SaveSettings(kRegistersPart);
}

// ---- always on top, the hotkey, the widened window, the wheel ----

void Calculator::ApplyTopMost(bool on) {
  view_.top_most = on;
  menus_->Reflect(view_);
  SetWindowPos(hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Calculator::ToggleTopMost() {
  ApplyTopMost(!TopMost());
  settings_.Write(hwnd(), {.top_most = TopMost()}, kTopMostPart);
}

void Calculator::SetTheme(int setting) {
  view_.theme = setting;
  menus_->Reflect(view_);
  theme_.SetSetting(setting);
  settings_.Write(hwnd(), {.theme = setting}, kThemePart);
}

void Calculator::HotKeyPressed() {
  const bool in_front =
      GetForegroundWindow() == hwnd() && Visible() && State() == forms::WindowState::kNormal;
  if (in_front) {
    SetState(forms::WindowState::kMinimized);  // into the tray in tray mode
    return;
  }
  CallToFront();
}

void Calculator::CallToFront() {
  RestoreFromTray();
  if (!IsWindowEnabled(hwnd())) {
    // Options or About is open: the dialog comes to the front.
    if (HWND dialog = OpenDialogOver(hwnd())) BringToForeground(dialog);
    return;
  }
  formula_->Combo1->SetFocus();
  formula_->SelectFormula(0, -1);
}

void Calculator::LayoutWidth() {
  const double extra = std::max(0.0, ClientWidth() - kClientWidth);
  panels_.Widen(extra);
  for (forms::Line& line : Lines()) line.x2 = kClientWidth + extra;
  // The group boxes and the scroll bar redraw only what a move uncovers, which would leave
  // their old edges standing inside the panels.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
  UpdatePreview();  // the line has room for more of it
}

void Calculator::OnDpiChanged() {
  LayoutPanels();
  LayoutWidth();
  if (show_in_task_tray_) {
    tray_.Delete();
    AddTrayIcon();
  }
}

bool Calculator::OnMouseWheel(POINT at, int delta) {
  return IsWindowEnabled(hwnd()) && variables_->Wheel(at, delta);
}

}  // namespace tly
