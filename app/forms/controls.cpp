#include "controls.h"

#include <commctrl.h>
#include <windowsx.h>
#undef RouteOwnMessages

#include <cmath>

#include "color_scheme.h"
#include "form.h"
#include "services.h"
#include "window_names.h"

namespace tly::forms {
namespace {

constexpr wchar_t kControlProperty[] = L"TallyraControl";
constexpr UINT kRestoreFocus = WM_APP + 1;
constexpr double kListHeight = 3000;  // twips below a combo box for its dropped-down list

RECT PixelRect(const TwipRect& r, const DpiScale& at) {
  int left = at.Pixels(r.left), top = at.Pixels(r.top);
  return {left, top, left + at.Pixels(r.width), top + at.Pixels(r.height)};
}

}  // namespace

int ShiftState() {
  return ((GetKeyState(VK_SHIFT) < 0) ? 1 : 0) | ((GetKeyState(VK_CONTROL) < 0) ? 2 : 0);
}

// Routes a frame's control notifications like the form's, and paints nothing of its own.
LRESULT CALLBACK FrameWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    LRESULT result = 0;
    if (RouteControlMessage(message, wparam, lparam, result)) return result;
    if (auto r = FilterThroughScheme(hwnd, message, wparam, lparam)) return *r;
  } catch (...) {
    // No exception may leave a window procedure; the failed handler's message goes on to the
    // default handling, as one nobody handled.
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool RouteControlMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  auto* sender = reinterpret_cast<HWND>(lparam);
  switch (message) {
    case WM_COMMAND:
      if (Control* c = sender ? Control::FromWindow(sender) : nullptr) {
        c->OnCommand(HIWORD(wparam));
        result = 0;
        return true;
      }
      return false;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (Control* c = sender ? Control::FromWindow(sender) : nullptr) {
        c->OnScroll(LOWORD(wparam));
        result = 0;
        return true;
      }
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (Control* c = sender ? Control::FromWindow(sender) : nullptr) {
        if (auto r = c->OnColor(reinterpret_cast<HDC>(wparam))) {
          result = *r;
          return true;
        }
      }
      return false;
    default: return false;
  }
}

// ---- Control ----

Control::Control(Container& container, const wchar_t* window_class, DWORD style, DWORD ex_style,
                 const TwipRect& bounds, std::wstring_view text)
    : container_(container), design_(bounds) {
  Form& form = container.OwnerForm();
  const RECT r = PixelRect(bounds, form.Scale());
  const auto id = static_cast<INT_PTR>(form.NextControlId());
  hwnd_ =
      CreateWindowExW(ex_style, window_class, std::wstring(text).c_str(), style | WS_CHILD, r.left,
                      r.top, r.right - r.left, r.bottom - r.top, container.ContainerWindow(),
                      reinterpret_cast<HMENU>(id), GetModuleHandleW(nullptr), nullptr);
  SetPropW(hwnd_, kControlProperty, this);
  RouteOwnMessages(hwnd_);
  form.RegisterControl(this);
}

Control::~Control() {
  for (HWND h : subclassed_) {
    if (IsWindow(h)) RemoveWindowSubclass(h, SubclassProc, 1);
  }
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    RemovePropW(hwnd_, kControlProperty);
    DestroyWindow(hwnd_);
  }
  container_.OwnerForm().UnregisterControl(this);
}

DpiScale Control::Scale() const { return container_.OwnerForm().Scale(); }

Control* Control::FromWindow(HWND hwnd) {
  return static_cast<Control*>(GetPropW(hwnd, kControlProperty));
}

void Control::RouteOwnMessages(HWND hwnd) {
  SetWindowSubclass(hwnd, SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
  subclassed_.push_back(hwnd);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<Control*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, 1);
    if (hwnd == self->hwnd_) {
      RemovePropW(hwnd, kControlProperty);
      self->hwnd_ = nullptr;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
  }
  try {
    if (auto result = self->OnOwnMessage(hwnd, message, wparam, lparam)) return *result;
    return DefSubclassProc(hwnd, message, wparam, lparam);
  } catch (...) {
    // No exception may leave a window procedure; the failed handler's message goes on to the
    // control's own handling, as one nobody handled.
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

std::optional<LRESULT> Control::OnOwnMessage(HWND, UINT, WPARAM, LPARAM) { return std::nullopt; }

MouseEvent Control::MakeMouseEvent(WPARAM, LPARAM lparam, int button) const {
  const DpiScale at = Scale();
  return {button, ShiftState(), at.Twips(GET_X_LPARAM(lparam)), at.Twips(GET_Y_LPARAM(lparam))};
}

bool Control::Visible() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
bool Control::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
void Control::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
void Control::SetFocus() { ::SetFocus(hwnd_); }

bool Control::HasFocus() const {
  HWND focus = GetFocus();
  return focus != nullptr && (focus == hwnd_ || IsChild(hwnd_, focus));
}

TwipRect Control::Bounds() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(nullptr, container_.ContainerWindow(), reinterpret_cast<POINT*>(&r), 2);
  const DpiScale at = Scale();
  return {at.Twips(r.left), at.Twips(r.top), at.Twips(r.right - r.left),
          at.Twips(r.bottom - r.top)};
}

void Control::Move(const TwipRect& bounds) {
  design_ = bounds;
  Relayout();
}

void Control::Relayout() {
  const RECT r = PixelRect(design_, Scale());
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetTop(double top) {
  design_.top = top;
  RECT r;
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(nullptr, container_.ContainerWindow(), reinterpret_cast<POINT*>(&r), 2);
  SetWindowPos(hwnd_, nullptr, r.left, Scale().Pixels(top), 0, 0,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void Control::SetToolTip(std::wstring_view text) {
  HWND tip = container_.OwnerForm().ToolTipWindow();
  std::wstring copy(text);
  const UINT message = has_tool_tip_ ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW;
  has_tool_tip_ = true;
  auto set = [&](HWND tool) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = copy.data();
    SendMessageW(tip, message, 0, reinterpret_cast<LPARAM>(&info));
  };
  set(hwnd_);
  // The edit field of a combo box covers most of it.
  COMBOBOXINFO combo{};
  combo.cbSize = sizeof combo;
  if (GetComboBoxInfo(hwnd_, &combo) && combo.hwndItem != nullptr) set(combo.hwndItem);
}

void Control::SetHelpContext(int context) {
  help_context_ = context;
  SetWindowContextHelpId(hwnd_, static_cast<DWORD>(context));
}

int Control::HelpContext() const { return help_context_; }

void Control::SetFont(const FontSpec& wanted) {
  font_spec_ = wanted;
  font_applied_ = true;
  HFONT font = container_.OwnerForm().SharedFont(wanted);
  // A control of a form not yet shown has nothing to redraw.
  const BOOL redraw = IsWindowVisible(container_.OwnerForm().hwnd());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  OnFontChanged();
}

void Control::SetFontName(std::wstring_view name) {
  FontSpec wanted = font_spec_;
  wanted.name = name;
  SetFont(wanted);
}

std::wstring Control::AccessKeyCaption() const { return WindowText(hwnd_); }

// ---- Label ----

void Label::OnAccessKey() { container_.OwnerForm().FocusAfter(this); }

Label::Label(Container& c, const TwipRect& r, std::wstring_view caption)
    : Control(c, L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOTIFY, 0, r, caption) {}

std::wstring Label::Caption() const { return WindowText(hwnd_); }

void Label::SetCaption(std::wstring_view caption) {
  SetWindowTextW(hwnd_, std::wstring(caption).c_str());
}

bool Label::Border() const { return (GetWindowLongW(hwnd_, GWL_STYLE) & WS_BORDER) != 0; }

void Label::SetBorder(bool border) {
  LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
  style = border ? (style | WS_BORDER) : (style & ~static_cast<LONG>(WS_BORDER));
  SetWindowLongW(hwnd_, GWL_STYLE, style);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::optional<LRESULT> Label::OnOwnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // The label keeps the mouse while a button is held, so that moves and the release outside
  // it still reach it.
  switch (message) {
    case WM_SETCURSOR:
      if (hand_cursor) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      int button = message == WM_LBUTTONDOWN   ? kLeftButton
                   : message == WM_RBUTTONDOWN ? kRightButton
                                               : kMiddleButton;
      SetCapture(hwnd);
      if (on_mouse_down) on_mouse_down(MakeMouseEvent(wparam, lparam, button));
      return 0;
    }
    case WM_MOUSEMOVE: {
      int buttons = ((wparam & MK_LBUTTON) ? kLeftButton : 0) |
                    ((wparam & MK_RBUTTON) ? kRightButton : 0) |
                    ((wparam & MK_MBUTTON) ? kMiddleButton : 0);
      if (on_mouse_move) on_mouse_move(MakeMouseEvent(wparam, lparam, buttons));
      break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      int button = message == WM_LBUTTONUP   ? kLeftButton
                   : message == WM_RBUTTONUP ? kRightButton
                                             : kMiddleButton;
      if (GetCapture() == hwnd) ReleaseCapture();
      if (on_mouse_up) on_mouse_up(MakeMouseEvent(wparam, lparam, button));
      return 0;
    }
    default: break;
  }
  return std::nullopt;
}

// ---- key filters shared by text boxes and combo boxes ----

namespace {

// Characters typed or composed by an input method reach `keys` first; a composed string is
// split into characters so that each passes the same filter.
std::optional<LRESULT> FilterKeys(const KeyEvents& keys, HWND hwnd, UINT message, WPARAM wparam,
                                  LPARAM lparam) {
  if (!keys.on_key_press) return std::nullopt;
  switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
      if (!keys.on_key_press(static_cast<wchar_t>(wparam))) return 0;
      return std::nullopt;
    case WM_IME_COMPOSITION:
      if (lparam & GCS_RESULTSTR) return DefWindowProcW(hwnd, message, wparam, lparam);
      return std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace

// ---- TextBox ----

TextBox::TextBox(Container& c, const TwipRect& r, bool read_only)
    : Control(c, L"EDIT", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | (read_only ? ES_READONLY : 0),
              WS_EX_CLIENTEDGE, r),
      read_only_(read_only) {}

std::wstring TextBox::Text() const { return WindowText(hwnd_); }

void TextBox::SetText(std::wstring_view text) {
  SetWindowTextW(hwnd_, std::wstring(text).c_str());
  if (long_text_tip_) FitLongText();
}

void TextBox::ShowEndOfLongText(std::wstring_view tip) {
  long_text_tip_ = tip;
  SetToolTip(tip);
}

void TextBox::FitLongText() {
  const std::wstring text = Text();
  RECT area{};
  SendMessageW(hwnd_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  const bool cut = TextWidthIn(hwnd_, text) > area.right - area.left;
  SetToolTip(cut ? text : *long_text_tip_);
  if (cut) {
    // The caret at the end scrolls the end into view: for a number, its exponent.
    const auto end = static_cast<WPARAM>(text.size());
    SendMessageW(hwnd_, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
  }
}

void TextBox::Select(int start, int length) {
  SendMessageW(hwnd_, EM_SETSEL, static_cast<WPARAM>(start), start + length);
}

void TextBox::SelectAll() { Select(0, GetWindowTextLengthW(hwnd_)); }

void TextBox::OnCommand(WORD code) {
  if (code == EN_CHANGE && on_change) on_change();
  if (code == EN_SETFOCUS && on_got_focus) on_got_focus();
}

std::optional<LRESULT> TextBox::OnColor(HDC dc) {
  if (!read_only_) return std::nullopt;
  // A result box, not a disabled one: the window colour of an ordinary box.
  SetBkColor(dc, SchemeColor(COLOR_WINDOW));
  SetTextColor(dc, SchemeColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(SchemeBrush(COLOR_WINDOW));
}

std::optional<LRESULT> TextBox::OnOwnMessage(HWND hwnd, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (auto r = FilterKeys(keys, hwnd, message, wparam, lparam)) return r;
  switch (message) {
    case WM_LBUTTONUP:
      if (on_click) on_click();
      break;
    case WM_KILLFOCUS: {
      auto* next = reinterpret_cast<HWND>(wparam);
      Form& form = container_.OwnerForm();
      bool inside = next != nullptr && GetAncestor(next, GA_ROOT) == form.hwnd();
      if (on_validate && inside && !validating_) {
        bool cancel = false;
        on_validate(cancel);
        if (cancel) {
          // Focus has already moved; bring it back before anything else happens there.
          validating_ = true;
          PostMessageW(hwnd, kRestoreFocus, 0, 0);
        }
      }
      break;
    }
    case kRestoreFocus:
      ::SetFocus(hwnd);
      validating_ = false;
      return 0;
    default: break;
  }
  return std::nullopt;
}

// ---- ComboBox ----

ComboBox::ComboBox(Container& c, const TwipRect& r, Style style)
    : Control(c, L"COMBOBOX",
              WS_VISIBLE | WS_TABSTOP | WS_VSCROLL |
                  (style == Style::kEditable ? (CBS_DROPDOWN | CBS_AUTOHSCROLL) : CBS_DROPDOWNLIST),
              0, {r.left, r.top, r.width, r.height + kListHeight}) {
  design_.height = r.height;
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (style == Style::kEditable && GetComboBoxInfo(hwnd_, &info)) {
    edit_ = info.hwndItem;
    RouteOwnMessages(edit_);
  }
}

// The closed box is as high as its design height: its window holds the selection field and a
// frame around it, while the height given at creation sizes the dropped-down list. A new font
// resizes the field, so the fit runs again then; the frame's share depends on the field's own
// height, so it may take a step or two.
void ComboBox::FitHeight() {
  const int target = Scale().Pixels(design_.height);
  // Steps are taken from the value last set rather than read back: not every implementation
  // reports the field height in the units it is set in.
  auto setting =
      static_cast<int>(SendMessageW(hwnd_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 4; ++attempt) {
    RECT closed;
    GetWindowRect(hwnd_, &closed);
    const int difference = target - (closed.bottom - closed.top);
    if (difference == 0 || setting + difference <= 0) break;
    setting += difference;
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), setting);
  }
}

void ComboBox::OnFontChanged() { FitHeight(); }

// The window's height sizes the list; the closed box fits its design height again.
void ComboBox::Relayout() {
  const RECT r =
      PixelRect({design_.left, design_.top, design_.width, design_.height + kListHeight}, Scale());
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  FitHeight();
}

std::wstring ComboBox::Text() const { return WindowText(hwnd_); }

void ComboBox::SetText(std::wstring_view text) {
  SetWindowTextW(hwnd_, std::wstring(text).c_str());
  if (on_change) on_change();
}

void ComboBox::AddItem(std::wstring_view item, int index) {
  std::wstring copy(item);
  SendMessageW(hwnd_, CB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(copy.c_str()));
}

void ComboBox::RemoveItem(int index) {
  SendMessageW(hwnd_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ComboBox::Clear() { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }

int ComboBox::ListCount() const { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }

std::wstring ComboBox::List(int index) const {
  LRESULT length = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  length = SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(text.data()));
  text.resize(length == CB_ERR ? 0 : static_cast<std::size_t>(length));
  return text;
}

int ComboBox::ListIndex() const {
  return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
}

void ComboBox::SetListIndex(int index) {
  SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (on_click) on_click();
}

void ComboBox::Copy() { SendMessageW(hwnd_, WM_COPY, 0, 0); }
void ComboBox::Paste() { SendMessageW(hwnd_, WM_PASTE, 0, 0); }

void ComboBox::OnCommand(WORD code) {
  if (code == CBN_EDITCHANGE && on_change) on_change();
  if (code == CBN_SELCHANGE) {
    // The edit field shows the picked item only after this notification; the click handler
    // reads it already.
    if (edit_ != nullptr) {
      int index = ListIndex();
      if (index >= 0) SetWindowTextW(hwnd_, List(index).c_str());
    }
    if (on_click) on_click();
  }
}

std::optional<LRESULT> ComboBox::OnOwnMessage(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  if (hwnd == edit_) return FilterKeys(keys, hwnd, message, wparam, lparam);
  return std::nullopt;
}

// ---- CheckBox ----

CheckBox::CheckBox(Container& c, const TwipRect& r, std::wstring_view caption)
    : Control(c, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, r, caption) {}

bool CheckBox::Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::OnAccessKey() {
  SetFocus();
  SetChecked(!Checked());
  if (on_click) on_click();
}

void CheckBox::OnCommand(WORD code) {
  if (code == BN_CLICKED && on_click) on_click();
}

std::optional<LRESULT> CheckBox::OnOwnMessage(HWND, UINT message, WPARAM wparam, LPARAM lparam) {
  if (on_mouse_up && (message == WM_LBUTTONUP || message == WM_RBUTTONUP))
    on_mouse_up(
        MakeMouseEvent(wparam, lparam, message == WM_LBUTTONUP ? kLeftButton : kRightButton));
  return std::nullopt;
}

// ---- Button ----

Button::Button(Container& c, const TwipRect& r, std::wstring_view caption, Role role)
    : Control(c, L"BUTTON",
              WS_VISIBLE | WS_TABSTOP | (role == Role::kDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
              0, r, caption) {
  // The dialog keyboard finds the default and cancel buttons by their identifiers.
  if (role == Role::kCancel) SetWindowLongPtrW(hwnd_, GWLP_ID, IDCANCEL);
  if (role == Role::kDefault) SetWindowLongPtrW(hwnd_, GWLP_ID, IDOK);
}

void Button::Click() {
  if (on_click) on_click();
}

void Button::OnAccessKey() {
  SetFocus();
  Click();
}

void Button::OnCommand(WORD code) {
  if (code == BN_CLICKED) Click();
}

// ---- VScrollBar ----

VScrollBar::VScrollBar(Container& c, const TwipRect& r)
    : Control(c, L"SCROLLBAR", WS_VISIBLE | WS_TABSTOP | SBS_VERT, 0, r) {
  SetRange(0, 32767);
}

void VScrollBar::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  ApplyRange();
  int clamped = value_ < min_ ? min_ : value_ > max_ ? max_ : value_;
  Apply(clamped, clamped != value_);
}

void VScrollBar::SetPage(int page) {
  page_ = page;
  ApplyRange();
}

// With a page, the scroll bar's own range ends a page less one beyond the last value, so that
// the thumb at the bottom stands for the value Max.
void VScrollBar::ApplyRange() {
  const int extra = page_ > 1 ? page_ - 1 : 0;
  SCROLLINFO info{
      sizeof info, SIF_RANGE | SIF_PAGE, min_, max_ + extra, static_cast<UINT>(page_), 0, 0};
  SetScrollInfo(hwnd_, SB_CTL, &info, TRUE);
}

void VScrollBar::SetValue(int value) {
  int clamped = value < min_ ? min_ : value > max_ ? max_ : value;
  Apply(clamped, clamped != value_);
}

void VScrollBar::Apply(int value, bool notify_change) {
  value_ = value;
  SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, value, 0};
  SetScrollInfo(hwnd_, SB_CTL, &info, TRUE);
  if (notify_change && on_change) on_change();
}

void VScrollBar::OnScroll(WORD code) {
  SCROLLINFO info{sizeof info, SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd_, SB_CTL, &info);
  auto move_to = [&](int v) { SetValue(v); };
  switch (code) {
    case SB_LINEUP: move_to(value_ - 1); break;
    case SB_LINEDOWN: move_to(value_ + 1); break;
    case SB_PAGEUP: move_to(value_ - large_change); break;
    case SB_PAGEDOWN: move_to(value_ + large_change); break;
    case SB_TOP: move_to(min_); break;
    case SB_BOTTOM: move_to(max_); break;
    case SB_THUMBTRACK:
      value_ = info.nTrackPos;
      if (on_scroll) on_scroll();
      break;
    case SB_THUMBPOSITION: Apply(info.nTrackPos, true); break;
    default: break;
  }
}

// ---- HotKeyBox ----

HotKeyBox::HotKeyBox(Container& c, const TwipRect& r)
    : Control(c, HOTKEY_CLASSW, WS_VISIBLE | WS_TABSTOP, 0, r) {
  // A key for the whole system needs Ctrl or Alt: a letter alone, or with Shift only, would be
  // taken from every other program. The box turns such a key into Ctrl+Alt with it.
  SendMessageW(hwnd_, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
               MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
}

std::uint32_t HotKeyBox::Key() const {
  return static_cast<std::uint32_t>(SendMessageW(hwnd_, HKM_GETHOTKEY, 0, 0) & 0xFFFF);
}

void HotKeyBox::SetKey(std::uint32_t key) {
  SendMessageW(hwnd_, HKM_SETHOTKEY, static_cast<WPARAM>(key & 0xFFFF), 0);
  cleared_ = false;
}

std::optional<LRESULT> HotKeyBox::OnOwnMessage(HWND, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
    cleared_ = wparam == VK_BACK || wparam == VK_DELETE;
  return std::nullopt;
}

// ---- PictureBox, Image ----

PictureBox::PictureBox(Container& c, const TwipRect& r) : Control(c, kPictureClassName, 0, 0, r) {}

std::optional<LRESULT> PictureBox::OnOwnMessage(HWND, UINT message, WPARAM, LPARAM lparam) {
  if (message == WM_MOUSEMOVE) {
    if (on_mouse_move) on_mouse_move(GET_X_LPARAM(lparam));
    return 0;
  }
  return std::nullopt;
}

Image::Image(Container& c, const TwipRect& r)
    : Control(c, L"STATIC", WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, 0, r) {}

void Image::SetPicture(HICON icon) {
  SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

// ---- Frame ----

Frame::Frame(Container& c, const TwipRect& r, std::wstring_view caption)
    : Control(c, kFrameClassName, WS_VISIBLE, WS_EX_CONTROLPARENT, r) {
  RECT client;
  GetClientRect(hwnd_, &client);
  group_ = CreateWindowExW(0, L"BUTTON", std::wstring(caption).c_str(),
                           WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, client.right, client.bottom,
                           hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::optional<LRESULT> Frame::OnOwnMessage(HWND, UINT message, WPARAM wparam, LPARAM lparam) {
  // The caption and its access key belong to the group box inside, which fills the frame.
  if (message == WM_SETFONT && group_ != nullptr) SendMessageW(group_, message, wparam, lparam);
  if (message == WM_SIZE && group_ != nullptr)
    SetWindowPos(group_, nullptr, 0, 0, LOWORD(lparam), HIWORD(lparam),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return std::nullopt;
}

Form& Frame::OwnerForm() { return container_.OwnerForm(); }

void Frame::OnAccessKey() { container_.OwnerForm().FocusAfter(this); }

std::wstring Frame::AccessKeyCaption() const {
  wchar_t text[256] = {};
  GetWindowTextW(group_, text, 256);
  return text;
}

// ---- MenuItem ----

bool MenuItem::Checked() const {
  return (GetMenuState(menu_, id_, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void MenuItem::SetChecked(bool checked) {
  CheckMenuItem(menu_, id_, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool MenuItem::Enabled() const {
  return (GetMenuState(menu_, id_, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

void MenuItem::SetEnabled(bool enabled) {
  EnableMenuItem(menu_, id_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

std::wstring MenuItem::Caption() const {
  wchar_t text[256] = {};
  GetMenuStringW(menu_, id_, text, 256, MF_BYCOMMAND);
  return text;
}

}  // namespace tly::forms
