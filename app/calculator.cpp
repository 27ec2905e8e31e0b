#include "calculator.h"

#include <imm.h>

#include <algorithm>
#include <cmath>

#include "about_form.h"
#include "calculation.h"
#include "codes.h"
#include "forms/services.h"
#include "help.h"
#include "number_text.h"
#include "option_form.h"
#include "single_instance.h"
#include "string_ids.h"
#include "string_table.h"
#include "text.h"
#include "tly_api.h"
#include "unit_factor.h"
#include "window_names.h"

namespace tly {
namespace {

using forms::TwipRect;

constexpr double kClientWidth = 4080, kClientHeight = 6120;
constexpr double kPanelGap = 120;  // between the panels, and below the last one
constexpr int kFirstRegisterRow = code::kFirstLetterRegister;    // a
constexpr int kLastRegisterRow = code::kLastLetterRegister - 4;  // v: the rows show v ... z
constexpr int kWindowHelp = 1, kFormulaHelp = 3, kConversionHelp = 6, kVariablesHelp = 7;
constexpr int kHotKeyId = 1;
constexpr int kVariableRows = 5;

forms::FormStyle MainStyle(HICON icon) {
  forms::FormStyle s;
  s.caption = kProductName;
  s.client_width = kClientWidth;
  s.client_height = kClientHeight;
  s.quit_on_destroy = true;
  s.help_context = kWindowHelp;
  s.icon = icon;
  s.wider_by_right_edge = true;
  return s;
}

// The live result: one line of grey text, which never takes an access key from an "&" in it.
class PreviewLabel : public forms::Label {
 public:
  PreviewLabel(forms::Container& c, const TwipRect& r) : Label(c, r, L"") {
    SetWindowLongW(hwnd(), GWL_STYLE,
                   GetWindowLongW(hwnd(), GWL_STYLE) | SS_NOPREFIX | SS_LEFTNOWORDWRAP);
  }
  bool TakesAccessKey() const override { return false; }
  std::optional<LRESULT> OnColor(HDC dc) override {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
};

// How wide `text` draws in `label`'s font, in pixels.
int TextWidthIn(HWND label, std::u16string_view text) {
  forms::UniqueScreenDc dc(GetDC(nullptr));
  HGDIOBJ old =
      SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  const std::wstring wide = ToWide(text);
  GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc.get(), old);
  return size.cx;
}

// Keys typed into `box` reach it as plain characters: the input method stays off while the
// box has the focus, and other windows keep theirs.
void TurnOffInputMethod(HWND box) { ImmAssociateContextEx(box, nullptr, 0); }

}  // namespace

Calculator::Calculator(Tly& engine, HICON icon, SettingsOpener open_settings)
    : Form(MainStyle(icon)),
      engine_(engine),
      core_(engine, *this),
      open_settings_(std::move(open_settings)) {}

Calculator::~Calculator() = default;

void Calculator::OnCreate() {
  CreateMenus();
  CreateControls();
}

void Calculator::CreateMenus() {
  HMENU file = AddMenu(nullptr, L"ファイル(&F)");
  mnuFileEnd = &AddMenuItem(file, L"Tallyraの終了(&X)");
  HMENU edit = AddMenu(nullptr, L"編集(&E)");
  mnuEditCopy[0] = &AddMenuItem(edit, L"式をコピー(&C)");
  mnuEditCopy[1] = &AddMenuItem(edit, L"結果をコピー(&A)");
  mnuEditPaste = &AddMenuItem(edit, L"貼り付け(&P)");
  mnuEditClear = &AddMenuItem(edit, L"消去(&B)");
  AddMenuSeparator(edit);
  mnuEditVarCls = &AddMenuItem(edit, L"変数の初期化(&I)");
  HMENU view = AddMenu(nullptr, L"表示(&V)");
  mnuViewConvert = &AddMenuItem(view, L"単位変換(&C)");
  mnuViewVariable = &AddMenuItem(view, L"変数(&V)");
  AddMenuSeparator(view);
  mnuViewOption = &AddMenuItem(view, L"オプション(&O)...");
  AddMenuSeparator(view);
  mnuViewPreview = &AddMenuItem(view, L"入力中の結果(&P)");
  CreateTopMostItem(view);
  HMENU help = AddMenu(nullptr, L"ヘルプ(&H)");
  mnuHelpHelp = &AddMenuItem(help, L"Tallyraヘルプ(&H)");
  AddMenuSeparator(help);
  mnuHelpWebpage = &AddMenuItem(help, L"Quessel Works Webページ(&W)");
  AddMenuSeparator(help);
  mnuHelpAbout = &AddMenuItem(help, L"バージョン情報(&A)...");
  // The tray icon's menu never shows in the bar.
  mnuTask = CreatePopupMenuOfForm();
  mnuTaskReturn = &AddMenuItem(mnuTask, L"元のサイズに戻す(&R)");
  AddMenuSeparator(mnuTask);
  mnuTaskEnd = &AddMenuItem(mnuTask, L"Tallyraの終了(&X)");
  SetMenuDefaultItem(mnuTask, mnuTaskReturn->id(), FALSE);

  mnuFileEnd->on_click = [this] { Unload(forms::kCodeUnload); };
  mnuTaskEnd->on_click = [this] { Unload(forms::kCodeUnload); };
  mnuEditCopy[0]->on_click = [this] {
    Combo1->Copy();
    mnuEditPaste->SetEnabled(true);
  };
  mnuEditCopy[1]->on_click = [this] {
    Text1->SelectAll();
    SendMessageW(Text1->hwnd(), WM_COPY, 0, 0);
    mnuEditPaste->SetEnabled(true);
  };
  mnuEditPaste->on_click = [this] { Combo1->Paste(); };
  mnuEditClear->on_click = [this] {
    Combo1->SetText(L"");
    Text1->SetText(L"");
  };
  mnuEditVarCls->on_click = [this] { ResetVariables(); };
  mnuViewConvert->on_click = [this] { ToggleConversionPanel(); };
  mnuViewVariable->on_click = [this] { ToggleVariablesPanel(); };
  mnuViewOption->on_click = [this] { ShowOptions(); };
  mnuViewPreview->on_click = [this] { TogglePreview(); };
  mnuHelpHelp->on_click = [this] { ShowHelpContents(); };
  mnuHelpWebpage->on_click = [this] { OpenWebPage(); };
  mnuHelpAbout->on_click = [this] { ShowAbout(); };
  mnuTaskReturn->on_click = [this] { RestoreFromTray(); };
}

void Calculator::CreateControls() {
  // In tab order.
  Label1[0] = std::make_unique<forms::Label>(*this, TwipRect{240, 285, 855, 255}, L"計算式(&T)");
  Combo1 = std::make_unique<forms::ComboBox>(*this, TwipRect{1200, 240, 2655, 300},
                                             forms::ComboBox::Style::kEditable);
  Combo1->SetToolTip(L"式の入力と履歴");
  Combo1->SetHelpContext(kFormulaHelp);
  Label1[1] = std::make_unique<forms::Label>(*this, TwipRect{240, 645, 855, 255}, L"計算結果");
  // The result box reaches the formula box's right edge; a result wider still shows its end.
  Text1 = std::make_unique<forms::TextBox>(*this, TwipRect{1200, 600, 2655, 270}, true);
  Text1->ShowEndOfLongText(L"計算式の値");
  Picture1 = std::make_unique<forms::PictureBox>(*this, TwipRect{240, 1320, 255, 255});
  Command1 = std::make_unique<forms::Button>(*this, TwipRect{2520, 1320, 1335, 330}, L"計算(&G)",
                                             forms::Button::Role::kDefault);
  Command1->SetToolTip(L"計算の実行");
  SetDefaultButton(Command1.get());
  CreateConversionPanel();
  CreateVariablesPanel();
  CreatePreview();

  // Etched separators: a shadow line and a highlight line one pixel below it, under the menu
  // bar and above the button.
  for (double y : {0.0, 1080.0}) {
    AddLine({0, y, kClientWidth, y, COLOR_BTNSHADOW});
    AddLine({0, y, kClientWidth, y, COLOR_BTNHIGHLIGHT, 1});
  }

  Combo1->on_change = [this] {
    UpdateEnabledState();
    UpdatePreview();
  };
  Combo1->on_click = [this] {
    UpdateEnabledState();
    UpdatePreview();
  };
  Combo1->keys.on_key_press = [](wchar_t c) { return FormulaKeyAllowed(c); };
  Command1->on_click = [this] { CalculateCommand(); };
  Text1->on_click = [this] { Combo1->SetFocus(); };
  Picture1->on_mouse_move = [this](int x) { OnTrayNotification(x); };
}

void Calculator::CreatePreview() {
  Label5 = std::make_unique<PreviewLabel>(*this, TwipRect{240, 1365, 2160, 255});
  TurnOffInputMethod(Combo1->EditWindow());
  for (auto& box : Text2) TurnOffInputMethod(box->hwnd());
  // The variables change the preview only through the registers, which ValidateVariable and
  // the Calculate command set.
  for (auto* list : {Combo3.get(), Combo4.get()}) list->on_click = [this] { UpdatePreview(); };
}

void Calculator::CreateConversionPanel() {
  Frame1 = std::make_unique<forms::Frame>(*this, TwipRect{240, 1800, 3615, 1695}, L"単位変換(&C)");
  Frame1->SetHelpContext(kConversionHelp);
  forms::Frame& f = *Frame1;
  Combo2 = std::make_unique<forms::ComboBox>(f, TwipRect{120, 300, 3375, 300},
                                             forms::ComboBox::Style::kList);
  Combo2->SetToolTip(L"単位系を選択");
  Label2 = std::make_unique<forms::Label>(f, TwipRect{120, 795, 975, 255}, L"変換前(&B)");
  Combo3 = std::make_unique<forms::ComboBox>(f, TwipRect{1200, 750, 2295, 300},
                                             forms::ComboBox::Style::kList);
  Combo3->SetToolTip(L"計算式の単位");
  Label3 = std::make_unique<forms::Label>(f, TwipRect{120, 1245, 975, 255}, L"変換後(&A)");
  Combo4 = std::make_unique<forms::ComboBox>(f, TwipRect{1200, 1200, 2295, 300},
                                             forms::ComboBox::Style::kList);
  Combo4->SetToolTip(L"計算結果の単位");
  Combo2->on_click = [this] {
    CategorySelected();
    UpdatePreview();
    if (loaded_) SaveSettings(kPanelsPart);  // the load selects the saved quantity itself
  };
}

void Calculator::CreateVariablesPanel() {
  Frame2 = std::make_unique<forms::Frame>(*this, TwipRect{240, 3600, 3615, 2295}, L"変数一覧(&L)");
  Frame2->SetHelpContext(kVariablesHelp);
  forms::Frame& f = *Frame2;
  for (int i = 0; i < 5; ++i) {
    Label4[static_cast<std::size_t>(i)] = std::make_unique<forms::Label>(
        f, TwipRect{120, 405.0 + 360 * i, 375, 255}, std::to_wstring(i + 1));
    auto& box = Text2[static_cast<std::size_t>(i)];
    box = std::make_unique<forms::TextBox>(f, TwipRect{600, 360.0 + 360 * i, 2415, 270});
    box->SetToolTip(L"倍精度実数");
    forms::TextBox* raw = box.get();
    box->on_got_focus = [raw] { raw->SelectAll(); };
    box->keys.on_key_press = [](wchar_t c) {
      if (VariableKeyAllowed(c, forms::LocaleDecimalSeparator())) return true;
      forms::Beep(MB_OK);
      return false;
    };
    box->on_validate = [this, i](bool& cancel) { ValidateVariable(i, cancel); };
  }
  VScroll1 = std::make_unique<forms::VScrollBar>(f, TwipRect{3120, 360, 255, 1695});
  VScroll1->large_change = kVariableRows;
  VScroll1->on_change = [this] { RefreshVariableRows(); };
  VScroll1->on_scroll = [this] { RefreshVariableRows(); };
}

std::unique_ptr<SettingsStore> Calculator::OpenSettings() {
  std::unique_ptr<SettingsStore> store = open_settings_ ? open_settings_() : nullptr;
  if (store == nullptr && !told_settings_unavailable_) {
    told_settings_unavailable_ = true;
    forms::ShowMessage(hwnd(), forms::ResourceString(ids::kMessageSettingsUnavailable),
                       kProductName, MB_OK | MB_ICONINFORMATION);
  }
  return store;
}

bool Calculator::MoveToSavedPosition(const Settings& s) {
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
  Settings saved;
  if (std::unique_ptr<SettingsStore> store = OpenSettings()) saved = LoadSettings(*store);
  mnuViewPreview->SetChecked(saved.preview);

  const bool placed = MoveToSavedPosition(saved);
  RestoreMenusAndRegisters(saved);
  LayoutPanels();
  RestoreModes(saved);
  FinishControls();
  FillQuantities(saved.unit);
  RestoreExtras(saved);
  if (!placed) CentreUnderTheMouse();  // at its final size
  loaded_ = true;
}

void Calculator::RestoreMenusAndRegisters(const Settings& s) {
  mnuEditCopy[0]->SetEnabled(false);
  mnuEditCopy[1]->SetEnabled(false);
  mnuEditPaste->SetEnabled(forms::ClipboardHasText());
  mnuViewConvert->SetChecked(s.unit_convert);
  mnuViewVariable->SetChecked(s.variable_list);
  for (int i = 0; i < kLetterCount; ++i)
    engine_.SetRegister(i + 1, s.registers[static_cast<std::size_t>(i)]);
  core_.RestoreHistory(s.history);
}

void Calculator::RestoreModes(const Settings& s) {
  show_in_task_tray_ = s.task_tray;
  if (s.minimized) SetState(forms::WindowState::kMinimized);
  close_button_minimized_ = s.close_button;
}

void Calculator::FinishControls() {
  Command1->SetEnabled(false);
  SetCaption(kProductName);
  UpdateSystemMenu();
  Picture1->SetVisible(false);
  if (show_in_task_tray_) AddTrayIcon();
  help_file_ = forms::InProgramFolder(L"Tallyra.hlp");
  ApplyUIFont(*this);
  engine_.SeedRandomFromClock();
  VScroll1->SetRange(kFirstRegisterRow, kLastRegisterRow);
  VScroll1->SetPage(kVariableRows);
}

void Calculator::FillQuantities(int selected) {
  for (const std::u16string& name :
       LoadList(ids::kQuantityNames, [](int id) { return ToU16(forms::ResourceString(id)); }))
    Combo2->AddItem(ToWide(name));
  Combo2->SetListIndex(selected);
}

void Calculator::OnResize() {
  // In tray mode the window is visible exactly while it is not minimised.
  if (show_in_task_tray_) SetVisible(State() == forms::WindowState::kNormal);
  if (State() == forms::WindowState::kNormal && Label5 != nullptr) LayoutWidth();
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

Settings Calculator::CurrentSettings() const {
  Settings s;
  // The restored rectangle: a minimised or hidden window saves where it would come back.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  static_assert(sizeof(WINDOWPLACEMENT) == 44, "the record of GetWindowPlacement");
  GetWindowPlacement(hwnd(), &placement);
  s.left = static_cast<std::int32_t>(
      std::lround(placement.rcNormalPosition.left * forms::TwipsPerPixelX()));
  s.top = static_cast<std::int32_t>(
      std::lround(placement.rcNormalPosition.top * forms::TwipsPerPixelY()));
  s.unit_convert = mnuViewConvert->Checked();
  s.variable_list = mnuViewVariable->Checked();
  s.unit = Combo2->ListIndex();
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
    WriteSettings(*store, CurrentSettings(), parts);
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
  TrackPopupMenu(mnuTask, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
  // The menu closes properly only when the owner gets a message after it.
  PostMessageW(hwnd(), WM_NULL, 0, 0);
}

// ---- the Calculate command and the formula box ----

std::optional<Conversion> Calculator::CurrentConversion() const {
  if (!mnuViewConvert->Checked()) return std::nullopt;
  return Conversion{Combo2->ListIndex(), Combo3->ListIndex(), Combo4->ListIndex()};
}

void Calculator::CalculateCommand() {
  if (!CommitVariableBeingEdited()) return;
  // A formula that fails is in the history too, and may have set registers before it failed.
  core_.Calculate(ToU16(Combo1->Text()), CurrentConversion(), forms::LocaleDecimalSeparator());
  SaveSettings(kRegistersPart | kHistoryPart);
  UpdatePreview();  // the formula may have changed the registers it reads
}

void Calculator::UpdatePreview() {
  if (Label5 == nullptr || mnuViewPreview == nullptr) return;
  PreviewLine line;
  if (mnuViewPreview->Checked()) {
    HWND label = Label5->hwnd();
    RECT room;
    GetClientRect(label, &room);
    line = core_.PreviewFitted(
        ToU16(Combo1->Text()), CurrentConversion(), forms::LocaleDecimalSeparator(), room.right,
        [label](std::u16string_view text) { return TextWidthIn(label, text); });
  }
  const std::wstring text = ToWide(line.shown);
  if (Label5->Caption() != text) Label5->SetCaption(text);
  // The whole text, when the line shows less of it.
  const std::wstring tip = line.shown != line.full ? ToWide(line.full) : std::wstring();
  if (tip != preview_tip_) {
    preview_tip_ = tip;
    Label5->SetToolTip(tip);
  }
}

void Calculator::TogglePreview() {
  mnuViewPreview->SetChecked(!mnuViewPreview->Checked());
  UpdatePreview();
  if (std::unique_ptr<SettingsStore> store = OpenSettings())
    WriteSettings(*store, {.preview = mnuViewPreview->Checked()}, kPreviewPart);
}

void Calculator::UpdateEnabledState() {
  const bool has_formula = !Combo1->Text().empty();
  Command1->SetEnabled(has_formula);
  mnuEditCopy[0]->SetEnabled(has_formula);
}

void Calculator::SetHistory(const std::vector<std::u16string>& entries) {
  // Items come and go one by one: resetting the list would clear the box's text too.
  for (int i = Combo1->ListCount(); i > 0; --i) Combo1->RemoveItem(i - 1);
  for (const std::u16string& entry : entries) Combo1->AddItem(ToWide(entry));
}

void Calculator::SetFormula(std::u16string_view formula) {
  Combo1->SetText(ToWide(formula));
  const auto end = static_cast<LPARAM>(formula.size());
  SendMessageW(Combo1->hwnd(), CB_SETEDITSEL, 0, MAKELPARAM(end, end));
}

void Calculator::ShowResult(std::u16string_view text) {
  Text1->SetText(ToWide(text));
  Combo1->SetFocus();
  mnuEditCopy[1]->SetEnabled(true);
  RefreshVariableRows();
}

void Calculator::ShowError(std::u16string_view message) {
  forms::Beep(MB_ICONEXCLAMATION);
  Text1->SetText(ToWide(message));
  Combo1->SetFocus();
  mnuEditCopy[1]->SetEnabled(false);
  RefreshVariableRows();  // registers set before the failure
}

void Calculator::SelectInFormula(int begin, int end) {
  // The selection runs from `begin` to `end`, so the caret stands at its end.
  SendMessageW(Combo1->hwnd(), CB_SETEDITSEL, 0, MAKELPARAM(begin, end));
}

// ---- the conversion panel ----

void Calculator::CategorySelected() {
  Combo3->SetVisible(false);
  Combo4->SetVisible(false);
  const int category = Combo2->ListIndex();
  Combo3->Clear();
  Combo4->Clear();
  if (category >= 0) {
    for (const std::u16string& unit : LoadList(
             FirstUnitString(category), [](int id) { return ToU16(forms::ResourceString(id)); })) {
      Combo3->AddItem(ToWide(unit));
      Combo4->AddItem(ToWide(unit));
    }
    Combo3->SetListIndex(InitialUnit(category));
    Combo4->SetListIndex(Combo3->ListIndex());
  }
  Combo3->SetVisible(true);
  Combo4->SetVisible(true);
}

void Calculator::ToggleConversionPanel() {
  mnuViewConvert->SetChecked(!mnuViewConvert->Checked());
  UpdatePreview();
  LayoutPanels();
  SaveSettings(kPanelsPart);
}

void Calculator::LayoutPanels() {
  const bool conversion = mnuViewConvert->Checked(), variables = mnuViewVariable->Checked();
  Frame1->SetVisible(conversion);
  Frame2->SetVisible(variables);
  Frame2->SetTop(conversion ? Frame1->Top() + Frame1->Height() + kPanelGap : Frame1->Top());
  // In pixels, so that each panel takes away exactly what showing it adds.
  const int gap = forms::PixelsY(kPanelGap);
  int client = forms::PixelsY(kClientHeight);
  if (!conversion) client -= forms::PixelsY(Frame1->Height()) + gap;
  if (!variables) client -= forms::PixelsY(Frame2->Height()) + gap;
  SetHeight(Height() - ClientHeight() + forms::TwipsY(client));
}

// ---- the variables panel ----

void Calculator::RefreshVariableRows() {
  const char separator = forms::LocaleDecimalSeparator();
  for (int i = 0; i < 5; ++i) {
    const int number = VScroll1->Value() + i;
    Label4[static_cast<std::size_t>(i)]->SetCaption(std::wstring(1, LetterOfRegister(number)));
    const std::string text =
        FormatResult(engine_.Register(number - code::kAnsRegisterNumber), separator);
    Text2[static_cast<std::size_t>(i)]->SetText(std::wstring(text.begin(), text.end()));
  }
  rejected_row_ = -1;
}

void Calculator::ValidateVariable(int row, bool& cancel) {
  const auto value = forms::ParseLocaleNumber(Text2[static_cast<std::size_t>(row)]->Text());
  if (!value) {
    cancel = true;
    rejected_row_ = row;
    forms::Beep(MB_OK);
    return;
  }
  if (rejected_row_ == row) rejected_row_ = -1;
  const int index = VScroll1->Value() + row - code::kAnsRegisterNumber;
  if (engine_.Register(index) == *value) return;
  engine_.SetRegister(index, *value);
  UpdatePreview();
  SaveSettings(kRegistersPart);
}

// Calculate takes a value box being edited as if the focus left it; false when the box keeps
// the focus because its text is not a number.
bool Calculator::CommitVariableBeingEdited() {
  const HWND focus = GetFocus();
  for (int row = 0; row < 5; ++row) {
    if (Text2[static_cast<std::size_t>(row)]->hwnd() != focus) continue;
    bool cancel = false;
    ValidateVariable(row, cancel);
    if (cancel) return false;
    // Leaving the box validates it again, to the same value.
    Combo1->SetFocus();
  }
  // A click on the button took the focus from a box that is taking it back.
  return rejected_row_ < 0;
}

void Calculator::ResetVariables() {
  for (int i = 1; i < kRegisterCount; ++i) engine_.SetRegister(i, 0);
  RefreshVariableRows();
  UpdatePreview();
  SaveSettings(kRegistersPart);
}

void Calculator::ToggleVariablesPanel() {
  mnuViewVariable->SetChecked(!mnuViewVariable->Checked());
  LayoutPanels();
  SaveSettings(kPanelsPart);
}

}  // namespace tly

namespace tly {

// ---- always on top, the hotkey, the widened window, the wheel ----

void Calculator::CreateTopMostItem(HMENU view) {
  mnuViewTopMost = &AddMenuItem(view, L"最前面に表示(&T)");
  mnuViewTopMost->on_click = [this] { ToggleTopMost(); };
}

void Calculator::RestoreExtras(const Settings& e) {
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

bool Calculator::TopMost() const { return mnuViewTopMost->Checked(); }

void Calculator::ApplyTopMost(bool on) {
  mnuViewTopMost->SetChecked(on);
  SetWindowPos(hwnd(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Calculator::ToggleTopMost() {
  ApplyTopMost(!TopMost());
  if (std::unique_ptr<SettingsStore> store = OpenSettings())
    WriteSettings(*store, {.top_most = TopMost()}, kTopMostPart);
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
  Combo1->SetFocus();
  SendMessageW(Combo1->hwnd(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

void Calculator::LayoutWidth() {
  const double extra = std::max(0.0, ClientWidth() - kClientWidth);
  // Each control's designed left edge and width; a control either widens or moves right.
  struct Anchor {
    forms::Control* control;
    double left, width;
    bool widens;
  };
  std::vector<Anchor> anchors = {
      {Combo1.get(), 1200, 2655, true},    {Text1.get(), 1200, 2655, true},
      {Command1.get(), 2520, 1335, false}, {Frame1.get(), 240, 3615, true},
      {Combo2.get(), 120, 3375, true},     {Combo3.get(), 1200, 2295, true},
      {Combo4.get(), 1200, 2295, true},    {Frame2.get(), 240, 3615, true},
      {VScroll1.get(), 3120, 255, false},  {Label5.get(), 240, 2160, true},
  };
  for (auto& box : Text2) anchors.push_back({box.get(), 600, 2415, true});
  for (const Anchor& a : anchors) {
    forms::TwipRect r = a.control->DesignBounds();
    r.left = a.widens ? a.left : a.left + extra;
    r.width = a.widens ? a.width + extra : a.width;
    a.control->Move(r);
  }
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
    WriteSettings(*store, {.width = width}, kWidthPart);
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
  RECT panel;
  GetWindowRect(Frame2->hwnd(), &panel);
  if (!Frame2->Visible() || !IsWindowEnabled(hwnd()) || !PtInRect(&panel, at)) return false;
  wheel_delta_ += delta;
  const int notches = wheel_delta_ / WHEEL_DELTA;
  wheel_delta_ -= notches * WHEEL_DELTA;
  if (notches != 0) ScrollVariables(-notches);
  return true;
}

// As the arrows do: a value box being edited is committed first.
void Calculator::ScrollVariables(int rows) {
  if (!CommitVariableBeingEdited()) return;
  VScroll1->SetValue(VScroll1->Value() + rows);
}

}  // namespace tly
