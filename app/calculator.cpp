#include "calculator.h"

#include <algorithm>
#include <cmath>

#include "about_form.h"
#include "calculation.h"
#include "forms/services.h"
#include "help.h"
#include "option_form.h"
#include "single_instance.h"
#include "string_ids.h"
#include "text.h"
#include "tly_api.h"
#include "window_names.h"

namespace tly {
namespace {

constexpr double kClientWidth = 4080;
constexpr double kPanelGap = 120;      // between the panels
constexpr double kBottomMargin = 210;  // below the last panel
constexpr int kWindowHelp = 1;
constexpr int kHotKeyId = 1;

forms::FormStyle MainStyle(HICON icon) {
  forms::FormStyle s;
  s.caption = kProductName;
  s.client_width = kClientWidth;
  s.client_height = kClientWidth;  // until the panels are there to decide it
  s.quit_on_destroy = true;
  s.help_context = kWindowHelp;
  s.icon = icon;
  s.wider_by_right_edge = true;
  return s;
}

}  // namespace

Calculator::Calculator(Tly& engine, HICON icon, SettingsOpener open_settings)
    : Form(MainStyle(icon)),
      engine_(engine),
      core_(engine, *this),
      open_settings_(std::move(open_settings)) {}

Calculator::~Calculator() = default;

void Calculator::OnCreate() {
  menus_ = std::make_unique<MainMenu>(*this);
  // The panels, top to bottom; each shows while the view field it is given says so.
  formula_ = std::make_unique<FormulaPanel>(*this, kClientWidth);
  conversion_ = std::make_unique<ConversionPanel>(*this, &view_.conversion);
  variables_ =
      std::make_unique<VariablesPanel>(*this, &view_.variables, engine_, *formula_->Combo1);
  panels_ = {formula_.get(), conversion_.get(), variables_.get()};
  SetDesignedClientHeight(PanelsHeight());
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
  m.mnuEditCopy[1]->on_click = [this] {
    formula_->Text1->SelectAll();
    SendMessageW(formula_->Text1->hwnd(), WM_COPY, 0, 0);
    menus_->mnuEditPaste->SetEnabled(true);
  };
  m.mnuEditPaste->on_click = [this] { formula_->Combo1->Paste(); };
  m.mnuEditClear->on_click = [this] {
    formula_->Combo1->SetText(L"");
    formula_->Text1->SetText(L"");
  };
  m.mnuEditVarCls->on_click = [this] { ResetVariables(); };
  m.mnuViewConvert->on_click = [this] { ToggleConversionPanel(); };
  m.mnuViewVariable->on_click = [this] { ToggleVariablesPanel(); };
  m.mnuViewOption->on_click = [this] { ShowOptions(); };
  m.mnuViewPreview->on_click = [this] { TogglePreview(); };
  m.mnuViewTopMost->on_click = [this] { ToggleTopMost(); };
  m.mnuHelpHelp->on_click = [this] { ShowHelpContents(); };
  m.mnuHelpWebpage->on_click = [this] { OpenWebPage(); };
  m.mnuHelpAbout->on_click = [this] { ShowAbout(); };
  m.mnuTaskReturn->on_click = [this] { RestoreFromTray(); };
}

void Calculator::WireControls() {
  FormulaPanel& f = *formula_;
  f.Combo1->on_change = [this] {
    UpdateEnabledState();
    UpdatePreview();
  };
  f.Combo1->on_click = [this] {
    UpdateEnabledState();
    UpdatePreview();
  };
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
}

std::unique_ptr<SettingsStore> Calculator::OpenSettings() {
  std::unique_ptr<SettingsStore> store = OpenSettingsStore();
  if (store == nullptr && !told_settings_unavailable_) {
    told_settings_unavailable_ = true;
    forms::ShowMessage(hwnd(), forms::ResourceString(ids::kMessageSettingsUnavailable),
                       kProductName, MB_OK | MB_ICONINFORMATION);
  }
  return store;
}

std::unique_ptr<SettingsStore> Calculator::OpenSettingsStore() const {
  return open_settings_ ? open_settings_() : nullptr;
}

bool Calculator::MoveToSavedPosition(const StartupSettings& s) {
  if (!s.left && !s.top) return false;
  RECT r;
  GetWindowRect(hwnd(), &r);
  const int left = s.left ? forms::PixelsX(*s.left) : r.left;
  const int top = s.top ? forms::PixelsY(*s.top) : r.top;
  // A position saved on a monitor that is gone would put the window out of reach.
  RECT moved{left, top, left + (r.right - r.left), top + (r.bottom - r.top)};
  if (MonitorFromRect(&moved, MONITOR_DEFAULTTONULL) == nullptr) return false;
  SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void Calculator::CentreUnderTheMouse() {
  POINT mouse{};
  GetCursorPos(&mouse);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromPoint(mouse, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  RECT r;
  GetWindowRect(hwnd(), &r);
  // A window larger than the work area keeps its caption in reach.
  const int left = std::max(work.left, (work.left + work.right - (r.right - r.left)) / 2);
  const int top = std::max(work.top, (work.top + work.bottom - (r.bottom - r.top)) / 2);
  SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Calculator::OnLoad() {
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  StartupSettings saved;
  WindowExtras extras;
  bool preview = true;
  if (std::unique_ptr<SettingsStore> store = OpenSettings()) {
    saved = ReadStartupSettings(*store);
    extras = ReadWindowExtras(*store);
    preview = ReadPreviewOn(*store);
  }
  view_ = {saved.unit_convert, saved.variable_list, preview, extras.top_most};
  menus_->Reflect(view_);

  const bool placed = MoveToSavedPosition(saved);
  RestoreMenusAndRegisters(saved);
  LayoutPanels();
  RestoreModes(saved);
  FinishControls();
  conversion_->FillQuantities(saved.unit);
  RestoreExtras(extras);
  if (!placed) CentreUnderTheMouse();  // at its final size
  loaded_ = true;
}

void Calculator::RestoreMenusAndRegisters(const StartupSettings& s) {
  menus_->mnuEditCopy[0]->SetEnabled(false);
  menus_->mnuEditCopy[1]->SetEnabled(false);
  menus_->mnuEditPaste->SetEnabled(forms::ClipboardHasText());
  for (int i = 0; i < kLetterCount; ++i)
    engine_.SetRegister(i + 1, s.registers[static_cast<std::size_t>(i)]);
  core_.RestoreHistory(s.history);
}

void Calculator::RestoreModes(const StartupSettings& s) {
  show_in_task_tray_ = s.task_tray;
  if (s.minimized) SetState(forms::WindowState::kMinimized);
  close_button_minimized_ = s.close_button;
}

void Calculator::FinishControls() {
  formula_->Command1->SetEnabled(false);
  SetCaption(kProductName);
  UpdateSystemMenu();
  formula_->Picture1->SetVisible(false);
  if (show_in_task_tray_) AddTrayIcon();
  help_file_ = forms::InProgramFolder(L"Tallyra.hlp");
  ApplyUIFont(*this);
  engine_.SeedRandomFromClock();
  variables_->SetUpScrollBar();
}

void Calculator::OnResize() {
  // In tray mode the window is visible exactly while it is not minimised.
  if (show_in_task_tray_) SetVisible(State() == forms::WindowState::kNormal);
  if (State() == forms::WindowState::kNormal && !panels_.empty()) LayoutWidth();
}

void Calculator::OnQueryUnload(bool& cancel, forms::UnloadReason reason) {
  if (reason == forms::kUserClose && close_button_minimized_) {
    SetState(forms::WindowState::kMinimized);
    cancel = true;
  }
}

void Calculator::OnUnload() {
  if (hot_key_ != 0) UnregisterHotKey(hwnd(), kHotKeyId);
  CloseHelp(hwnd(), help_file_);
  if (show_in_task_tray_) tray_.Delete();
  SaveSettings(kAllParts);
}

WindowSettings Calculator::CurrentSettings() const {
  WindowSettings s;
  // The restored rectangle: a minimised or hidden window saves where it would come back.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  static_assert(sizeof(WINDOWPLACEMENT) == 44, "the record of GetWindowPlacement");
  GetWindowPlacement(hwnd(), &placement);
  s.left = static_cast<std::int32_t>(
      std::lround(placement.rcNormalPosition.left * forms::TwipsPerPixelX()));
  s.top = static_cast<std::int32_t>(
      std::lround(placement.rcNormalPosition.top * forms::TwipsPerPixelY()));
  s.unit_convert = view_.conversion;
  s.variable_list = view_.variables;
  s.unit = conversion_->Combo2->ListIndex();
  s.task_tray = show_in_task_tray_;
  s.close_button = close_button_minimized_;
  for (int i = 0; i < kLetterCount; ++i)
    s.registers[static_cast<std::size_t>(i)] = engine_.Register(i + 1);
  const auto& history = core_.history();
  s.history.assign(history.begin(), history.begin() + std::min<std::ptrdiff_t>(std::ssize(history),
                                                                               kMaxSavedHistory));
  return s;
}

// A Registry object for each save, released at once: nothing of the session waits for the exit.
void Calculator::SaveSettings(unsigned parts) {
  if (std::unique_ptr<SettingsStore> store = OpenSettings())
    WriteWindowSettings(*store, CurrentSettings(), parts);
}

void Calculator::OnHelp(int context) { OpenHelp(hwnd(), help_file_, context); }

std::optional<LRESULT> Calculator::OnMessage(UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_EXITSIZEMOVE) {
    SaveSettings(kPositionPart);
    SaveWidthIfChanged();
    return std::nullopt;
  }
  if (message == WM_HOTKEY) {
    if (wparam == kHotKeyId) HotKeyPressed();
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
  if (x == WM_RBUTTONUP) ShowTaskMenu();
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

void Calculator::ShowTaskMenu() {
  // A pop-up menu takes the keyboard, and closes when the user clicks elsewhere, only if its
  // owner is the foreground window, also while the owner is hidden.
  BringToForeground(hwnd());
  POINT at;
  GetCursorPos(&at);
  TrackPopupMenu(menus_->mnuTask, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
  // The menu closes properly only when the owner gets a message after it.
  PostMessageW(hwnd(), WM_NULL, 0, 0);
}

// ---- the Calculate command and the panels ----

void Calculator::CalculateCommand() {
  if (!variables_->CommitBeingEdited()) return;
  // A formula that fails is in the history too, and may have set registers before it failed.
  core_.Calculate(ToU16(formula_->Combo1->Text()), conversion_->Current(),
                  forms::LocaleDecimalSeparator());
  SaveSettings(kRegistersPart | kHistoryPart);
  UpdatePreview();  // the formula may have changed the registers it reads
}

void Calculator::UpdatePreview() {
  if (panels_.empty()) return;
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
  if (std::unique_ptr<SettingsStore> store = OpenSettings()) WritePreviewOn(*store, view_.preview);
}

void Calculator::UpdateEnabledState() {
  const bool has_formula = !formula_->Combo1->Text().empty();
  formula_->Command1->SetEnabled(has_formula);
  menus_->mnuEditCopy[0]->SetEnabled(has_formula);
}

void Calculator::SetHistory(const std::vector<std::u16string>& entries) {
  forms::ComboBox& box = *formula_->Combo1;
  // Items come and go one by one: resetting the list would clear the box's text too.
  for (int i = box.ListCount(); i > 0; --i) box.RemoveItem(i - 1);
  for (const std::u16string& entry : entries) box.AddItem(ToWide(entry));
}

void Calculator::SetFormula(std::u16string_view formula) {
  formula_->Combo1->SetText(ToWide(formula));
  const auto end = static_cast<int>(formula.size());
  SelectInFormula(end, end);
}

void Calculator::ShowResult(std::u16string_view text) {
  formula_->Text1->SetText(ToWide(text));
  formula_->Combo1->SetFocus();
  menus_->mnuEditCopy[1]->SetEnabled(true);
  variables_->Refresh();
}

void Calculator::ShowError(std::u16string_view message) {
  forms::Beep(MB_ICONEXCLAMATION);
  formula_->Text1->SetText(ToWide(message));
  formula_->Combo1->SetFocus();
  menus_->mnuEditCopy[1]->SetEnabled(false);
  variables_->Refresh();  // registers set before the failure
}

void Calculator::SelectInFormula(int begin, int end) {
  // The selection runs from `begin` to `end`, so the caret stands at its end.
  SendMessageW(formula_->Combo1->hwnd(), CB_SETEDITSEL, 0, MAKELPARAM(begin, end));
}

void Calculator::ToggleConversionPanel() {
  view_.conversion = !view_.conversion;
  menus_->Reflect(view_);
  UpdatePreview();
  LayoutPanels();
  SaveSettings(kPanelsPart);
}

void Calculator::ToggleVariablesPanel() {
  view_.variables = !view_.variables;
  menus_->Reflect(view_);
  LayoutPanels();
  SaveSettings(kPanelsPart);
}

double Calculator::PanelsHeight() const {
  double height = kBottomMargin - kPanelGap;
  for (const Panel* p : panels_) height += p->DesignHeight() + kPanelGap;
  return height;
}

void Calculator::LayoutPanels() {
  // In pixels, so that each panel takes away exactly what showing it adds.
  const int gap = forms::PixelsY(kPanelGap);
  int client = forms::PixelsY(PanelsHeight());
  double top = 0;
  for (Panel* p : panels_) {
    const double bottom = p->Place(top);
    if (p->Shown())
      top = bottom + kPanelGap;
    else
      client -= forms::PixelsY(p->DesignHeight()) + gap;
  }
  SetHeight(Height() - ClientHeight() + forms::TwipsY(client));
}

void Calculator::ResetVariables() {
  for (int i = 1; i < kRegisterCount; ++i) engine_.SetRegister(i, 0);
  variables_->Refresh();
  UpdatePreview();
  SaveSettings(kRegistersPart);
}

// ---- always on top, the hotkey, the widened window, the wheel ----

void Calculator::RestoreExtras(const WindowExtras& e) {
  ApplyTopMost(e.top_most);
  if (e.hot_key != 0) SetHotKey(e.hot_key);
  saved_width_ = e.width;
  if (e.width) {
    // Never wider than the monitor's work area, so that the right edge stays in reach.
    int width = forms::PixelsX(*e.width);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor))
      width = std::min<int>(width, monitor.rcWork.right - monitor.rcWork.left);
    RECT r;
    GetWindowRect(hwnd(), &r);
    // The form keeps the width at least the designed one.
    SetWindowPos(hwnd(), nullptr, 0, 0, width, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void Calculator::ApplyTopMost(bool on) {
  view_.top_most = on;
  menus_->Reflect(view_);
  SetWindowPos(hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Calculator::ToggleTopMost() {
  ApplyTopMost(!TopMost());
  if (std::unique_ptr<SettingsStore> store = OpenSettings()) WriteTopMost(*store, TopMost());
}

bool Calculator::SetHotKey(std::uint32_t key) {
  auto register_key = [this](std::uint32_t k) {
    return RegisterHotKey(hwnd(), kHotKeyId, HotKeyModifiers(k) | MOD_NOREPEAT, k & 0xFF) != FALSE;
  };
  if (key == hot_key_ && key != 0) return true;
  if (hot_key_ != 0) UnregisterHotKey(hwnd(), kHotKeyId);
  if (key != 0 && !register_key(key)) {
    if (hot_key_ != 0) register_key(hot_key_);
    return false;
  }
  hot_key_ = key;
  return true;
}

namespace {

struct ModalSearch {
  HWND main, found;
};

// A dialog of the program that is open over the main window.
BOOL CALLBACK FindOpenDialog(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<ModalSearch*>(data);
  if (hwnd == search->main || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (std::wstring_view(name) != kFormClassName) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

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
    ModalSearch search{hwnd(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindOpenDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) BringToForeground(search.found);
    return;
  }
  formula_->Combo1->SetFocus();
  SelectInFormula(0, -1);
}

void Calculator::LayoutWidth() {
  const double extra = std::max(0.0, ClientWidth() - kClientWidth);
  for (Panel* p : panels_) p->Widen(extra);
  for (forms::Line& line : Lines()) line.x2 = kClientWidth + extra;
  // The group boxes and the scroll bar redraw only what a move uncovers, which would leave
  // their old edges standing inside the panels.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
  UpdatePreview();  // the line has room for more of it
}

void Calculator::SaveWidthIfChanged() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  const auto width = static_cast<std::int32_t>(std::lround(forms::TwipsX(r.right - r.left)));
  if (saved_width_ == width || IsIconic(hwnd())) return;
  // The designed width is the default: a window never widened keeps no value.
  if (!saved_width_ && ClientWidth() <= kClientWidth + forms::TwipsPerPixelX() / 2) return;
  if (std::unique_ptr<SettingsStore> store = OpenSettings()) {
    WriteWidth(*store, width);
    saved_width_ = width;
  }
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
