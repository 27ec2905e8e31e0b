#include "form.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "color_scheme.h"
#include "services.h"
#include "window_names.h"

namespace tly::forms {
namespace {

struct DisabledWindows {
  HWND except;
  std::vector<HWND>* list;
};

BOOL CALLBACK DisableOthers(HWND hwnd, LPARAM data) {
  auto* d = reinterpret_cast<DisabledWindows*>(data);
  if (hwnd != d->except && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
    EnableWindow(hwnd, FALSE);
    d->list->push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

// The window classes of the forms layer, registered once: the forms themselves, the frames
// and the picture boxes.
ATOM Form::FormClass() {
  static const ATOM atom = [] {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    struct Class {
      const wchar_t* name;
      WNDPROC procedure;
    };
    ATOM form = 0;
    for (Class c : {Class{kFormClassName, WindowProc}, Class{kFrameClassName, FrameWindowProc},
                    Class{kPictureClassName, DefWindowProcW}}) {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = c.procedure;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = c.name;
      const ATOM registered = RegisterClassExW(&wc);
      if (form == 0) form = registered;
    }
    return form;
  }();
  return atom;
}

Form::Form(FormStyle style) : style_(std::move(style)) {}

DpiScale Form::Scale() const {
  if (dpi_ > 0) return DpiScale(dpi_);
  return DpiScale(style_.owner != nullptr ? style_.owner->Scale().dpi() : SystemDpi());
}

Form::~Form() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void Form::Load() {
  if (hwnd_ != nullptr) return;
  FormClass();
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  DWORD ex_style = WS_EX_CONTROLPARENT;
  if (style_.wider_by_right_edge) style |= WS_THICKFRAME;
  if (style_.dialog_frame) {
    ex_style |= WS_EX_DLGMODALFRAME;
  } else if (style_.minimize_box) {
    style |= WS_MINIMIZEBOX;
  }
  HWND created = CreateWindowExW(ex_style, kFormClassName, style_.caption.c_str(), style,
                                 CW_USEDEFAULT, CW_USEDEFAULT, Scale().Pixels(style_.client_width),
                                 Scale().Pixels(style_.client_height),
                                 style_.owner != nullptr ? style_.owner->hwnd() : nullptr, nullptr,
                                 GetModuleHandleW(nullptr), this);
  if (created == nullptr) return;
  if (style_.icon != nullptr) {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(style_.icon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(style_.icon));
  }
  OnCreate();
  if (menu_bar_) SetMenu(hwnd_, menu_bar_.get());
  SetClientSize(Scale().Pixels(style_.client_width), Scale().Pixels(style_.client_height));
  OnLoad();
  for (Control* c : controls_) {
    if (c->HasFont() && !c->FontApplied()) c->SetFont(c->Font());
  }
}

void Form::Show() {
  if (hwnd_ == nullptr) Load();
  if (hwnd_ == nullptr) return;
  const bool minimized = pending_state_ == WindowState::kMinimized;
  pending_state_.reset();
  ShowWindow(hwnd_, minimized ? SW_SHOWMINIMIZED : SW_SHOW);
  UpdateWindow(hwnd_);
}

void Form::ShowModal() {
  Load();
  if (hwnd_ == nullptr) return;
  modal_ = true;
  HWND previous = GetActiveWindow();
  disabled_.clear();
  DisabledWindows d{hwnd_, &disabled_};
  EnumThreadWindows(GetCurrentThreadId(), DisableOthers, reinterpret_cast<LPARAM>(&d));
  Show();
  SetForegroundWindow(hwnd_);
  MSG msg;
  while (hwnd_ != nullptr) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      break;
    }
    if (got < 0) break;
    if (!PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (hwnd_ != nullptr) Unload(kCodeUnload);
  ReenableOthers();
  if (previous != nullptr && IsWindow(previous)) SetActiveWindow(previous);
}

void Form::ReenableOthers() {
  for (HWND h : disabled_) {
    if (IsWindow(h)) EnableWindow(h, TRUE);
  }
  disabled_.clear();
}

bool Form::Unload(UnloadReason reason) {
  if (hwnd_ == nullptr || unloading_) return true;
  bool cancel = false;
  OnQueryUnload(cancel, reason);
  if (cancel) return false;
  FinishUnload();
  return true;
}

void Form::FinishUnload() {
  unloading_ = true;
  OnUnload();
  // The windows a modal form disabled come back before it goes, so that activation returns
  // to them rather than to another program.
  if (modal_) ReenableOthers();
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  unloading_ = false;
}

double Form::Left() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return Scale().Twips(r.left);
}

double Form::Top() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return Scale().Twips(r.top);
}

double Form::Width() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return Scale().Twips(r.right - r.left);
}

double Form::Height() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  return Scale().Twips(r.bottom - r.top);
}

void Form::SetLeft(double left) {
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, Scale().Pixels(left), r.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetTop(double top) {
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, r.left, Scale().Pixels(top), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetHeight(double height) {
  RECT r;
  GetWindowRect(hwnd_, &r);
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, Scale().Pixels(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::PlaceOver(const Form& main) {
  // In pixels: the two forms may be at different DPIs.
  RECT outer, own, client;
  GetWindowRect(main.hwnd(), &outer);
  GetWindowRect(hwnd_, &own);
  GetClientRect(main.hwnd(), &client);
  const auto centred = static_cast<int>(
      std::lround(outer.left + ((outer.right - outer.left) - (own.right - own.left)) / 2.0));
  SetWindowPos(hwnd_, nullptr, centred, outer.bottom - client.bottom, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(main.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& area = monitor.rcWork;
  RECT r;
  GetWindowRect(hwnd_, &r);
  // The right and bottom edges first, so that a dialog larger than the area shows its caption.
  const int left = std::max<int>(area.left, std::min<int>(r.left, area.right - (r.right - r.left)));
  const int top = std::max<int>(area.top, std::min<int>(r.top, area.bottom - (r.bottom - r.top)));
  if (left != r.left || top != r.top)
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // An owned window stays above its owner, but among the windows that are not on top.
  if (GetWindowLongW(main.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST)
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The outer size follows from the client area and the frame around it.
void Form::SetClientSize(int width, int height) {
  RECT outer, client;
  GetWindowRect(hwnd_, &outer);
  GetClientRect(hwnd_, &client);
  const int frame_width = (outer.right - outer.left) - client.right;
  const int frame_height = (outer.bottom - outer.top) - client.bottom;
  SetWindowPos(hwnd_, nullptr, 0, 0, width + frame_width, height + frame_height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetClientWidth(double width) {
  RECT client;
  GetClientRect(hwnd_, &client);
  SetClientSize(Scale().Pixels(width), client.bottom);
}

double Form::ClientHeight() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return Scale().Twips(r.bottom);
}

double Form::ClientWidth() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return Scale().Twips(r.right);
}

WindowState Form::State() const {
  if (pending_state_) return *pending_state_;
  return IsIconic(hwnd_) ? WindowState::kMinimized : WindowState::kNormal;
}

void Form::SetState(WindowState state) {
  if (!IsWindowVisible(hwnd_) && !IsIconic(hwnd_)) {
    pending_state_ = state;  // applied when the form is shown
    return;
  }
  ShowWindow(hwnd_, state == WindowState::kMinimized ? SW_MINIMIZE : SW_RESTORE);
}

bool Form::Visible() const { return IsWindowVisible(hwnd_) != FALSE; }

void Form::SetVisible(bool visible) {
  if (visible && pending_state_) {
    Show();
    return;
  }
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

std::wstring Form::Caption() const { return WindowText(hwnd_); }

void Form::SetCaption(std::wstring_view caption) {
  SetWindowTextW(hwnd_, std::wstring(caption).c_str());
}

void Form::UnregisterControl(Control* c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

HWND Form::ToolTipWindow() {
  if (!tooltip_) {
    // Without an owner: Wine keeps a window that owns a topmost pop-up from becoming topmost
    // itself, and a form may stay on top. The tool tip goes with the form's window.
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
  }
  return tooltip_.get();
}

HFONT Form::SharedFont(const FontSpec& wanted) {
  auto it = fonts_.find(wanted);
  if (it != fonts_.end()) return it->second.get();
  LOGFONTW lf{};
  lf.lfHeight =
      -static_cast<LONG>(std::lround(wanted.points * 1440.0 / 72 / Scale().TwipsPerPixel()));
  lf.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  lf.lfUnderline = wanted.underline ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  wcsncpy(lf.lfFaceName, wanted.name.c_str(), LF_FACESIZE - 1);
  return fonts_.emplace(wanted, UniqueFont(CreateFontIndirectW(&lf))).first->second.get();
}

HMENU Form::AddMenu(HMENU parent, std::wstring_view caption) {
  if (!menu_bar_) menu_bar_.reset(CreateMenu());
  HMENU menu = CreatePopupMenu();
  AppendMenuW(parent != nullptr ? parent : menu_bar_.get(), MF_POPUP | MF_STRING,
              reinterpret_cast<UINT_PTR>(menu), std::wstring(caption).c_str());
  return menu;  // owned by the bar from here on
}

MenuItem& Form::AddMenuItem(HMENU menu, std::wstring_view caption) {
  const UINT id = next_menu_id_++;
  AppendMenuW(menu, MF_STRING, id, std::wstring(caption).c_str());
  auto item = std::make_unique<MenuItem>(menu, id);
  MenuItem& ref = *item;
  menu_items_[id] = std::move(item);
  return ref;
}

void Form::AddMenuSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

HMENU Form::CreatePopupMenuOfForm() {
  popups_.emplace_back(CreatePopupMenu());
  return popups_.back().get();
}

bool Form::PreTranslate(MSG& msg) {
  if (msg.hwnd == nullptr) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr || GetClassLongPtrW(root, GCW_ATOM) != FormClass()) return false;
  // Access keys are matched here, so that those of captions inside frames count as well.
  if (msg.message == WM_MOUSEWHEEL) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    const POINT at{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
    if (form != nullptr && form->OnMouseWheel(at, static_cast<short>(HIWORD(msg.wParam))))
      return true;
  }
  if (msg.message == WM_SYSCHAR) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(root, GWLP_USERDATA));
    if (form != nullptr && form->HandleAccessKey(static_cast<wchar_t>(msg.wParam))) return true;
  }
  return IsDialogMessageW(root, &msg) != FALSE;
}

namespace {

// The character after the caption's single "&", lower-cased; 0 when there is none.
wchar_t AccessKeyOf(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(towlower(caption[i + 1]));
  }
  return 0;
}

}  // namespace

bool Form::HandleAccessKey(wchar_t key) {
  const wchar_t wanted = static_cast<wchar_t>(towlower(key));
  for (Control* c : controls_) {
    if (!c->TakesAccessKey() || !IsWindowVisible(c->hwnd()) || !IsWindowEnabled(c->hwnd()))
      continue;
    if (AccessKeyOf(c->AccessKeyCaption()) == wanted) {
      c->OnAccessKey();
      return true;
    }
  }
  return false;
}

void Form::FocusAfter(const Control* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  for (++it; it != controls_.end(); ++it) {
    HWND h = (*it)->hwnd();
    if ((GetWindowLongW(h, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h)) {
      (*it)->SetFocus();
      return;
    }
  }
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Form* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    self->dpi_ = WindowDpi(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  try {
    return self->HandleMessage(message, wparam, lparam);
  } catch (...) {
    // A failing event handler leaves the window as it was; the program goes on.
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT routed = 0;
  if (RouteControlMessage(message, wparam, lparam, routed)) return routed;
  if (auto r = FilterThroughScheme(hwnd_, message, wparam, lparam)) return *r;
  switch (message) {
    case WM_COMMAND: OnCommandMessage(wparam, lparam); return 0;
    case DM_GETDEFID:
      if (default_button_ != nullptr && default_button_->hwnd() != nullptr)
        return MAKELRESULT(GetDlgCtrlID(default_button_->hwnd()), DC_HASDEFID);
      return 0;
    case WM_SIZE: OnResize(); return 0;
    case WM_ACTIVATE: OnActivateMessage(wparam); break;
    case WM_SETFOCUS: RestoreFocus(); return 0;
    case WM_CLOSE: Unload(kUserClose); return 0;
    case WM_QUERYENDSESSION: {
      bool cancel = false;
      OnQueryUnload(cancel, kWindowsEnding);
      return cancel ? FALSE : TRUE;
    }
    case WM_ENDSESSION: OnEndSession(wparam != FALSE); return 0;
    case WM_PAINT: Paint(); return 0;
    case WM_HELP: OnHelpMessage(*reinterpret_cast<const HELPINFO*>(lparam)); return TRUE;
    case WM_DESTROY:
      tooltip_.reset();
      if (style_.quit_on_destroy) PostQuitMessage(0);
      return 0;
    case WM_DPICHANGED:
      OnDpiChangedMessage(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_GETMINMAXINFO:
    case WM_NCHITTEST:
    case WM_SYSCOMMAND:
      if (auto r = OnWidthMessage(message, wparam, lparam)) return *r;
      if (auto r = OnMessage(message, wparam, lparam)) return *r;
      break;
    default:
      if (auto r = OnMessage(message, wparam, lparam)) return *r;
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void Form::OnCommandMessage(WPARAM wparam, LPARAM lparam) {
  if (lparam != 0) return;
  if (LOWORD(wparam) == IDCANCEL && style_.escape_closes) {
    Unload(kCodeUnload);
    return;
  }
  if (HIWORD(wparam) != 0) return;
  auto it = menu_items_.find(LOWORD(wparam));
  if (it != menu_items_.end() && it->second->on_click) it->second->on_click();
}

void Form::OnActivateMessage(WPARAM wparam) {
  // The control that had the focus gets it back when the form is activated again.
  if (LOWORD(wparam) != WA_INACTIVE) return;
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd_, focus)) last_focus_ = focus;
}

void Form::RestoreFocus() {
  const bool last_usable = last_focus_ != nullptr && IsWindow(last_focus_) &&
                           IsChild(hwnd_, last_focus_) && IsWindowEnabled(last_focus_) &&
                           IsWindowVisible(last_focus_);
  HWND target = last_usable ? last_focus_ : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (target != nullptr) ::SetFocus(target);
}

void Form::OnHelpMessage(const HELPINFO& info) {
  int context = 0;
  for (HWND h = static_cast<HWND>(info.hItemHandle); h != nullptr && h != hwnd_; h = GetParent(h)) {
    if (Control* c = Control::FromWindow(h); c != nullptr && c->HelpContext() != 0) {
      context = c->HelpContext();
      break;
    }
  }
  OnHelp(context != 0 ? context : style_.help_context);
}

void Form::OnEndSession(bool ending) {
  // The session ends, or an installer's restart manager closes the program: the unload steps
  // run now or never, and the window goes so that the program ends by itself.
  if (ending && !unloading_) FinishUnload();
}

std::optional<LRESULT> Form::OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

// The fonts of the old DPI go once every control has one of the new.
void Form::OnDpiChangedMessage(int dpi, const RECT& suggested) {
  const double width = ClientWidth();
  dpi_ = dpi;
  std::map<FontSpec, UniqueFont> old_fonts = std::move(fonts_);
  fonts_.clear();
  for (Control* c : controls_) {
    c->Relayout();
    if (c->HasFont() && c->FontApplied()) c->SetFont(c->Font());
  }
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SetClientSize(Scale().Pixels(width), Scale().Pixels(style_.client_height));
  OnDpiChanged();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

// A form widened by its right edge: only that edge sizes it, never below the designed width.
std::optional<LRESULT> Form::OnWidthMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (!style_.wider_by_right_edge) return std::nullopt;
  switch (message) {
    case WM_GETMINMAXINFO: {
      RECT outer, client;
      GetWindowRect(hwnd_, &outer);
      GetClientRect(hwnd_, &client);
      // A minimised window, also one on its way back, has no client area to measure its frame
      // by; the frame measured last serves, or the restored window would come back wider.
      if (!IsIconic(hwnd_) && client.right > 0)
        frame_width_ = (outer.right - outer.left) - client.right;
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize.x = Scale().Pixels(style_.client_width) + frame_width_;
      return 0;
    }
    case WM_NCHITTEST: {
      const LRESULT hit = DefWindowProcW(hwnd_, message, wparam, lparam);
      switch (hit) {
        case HTRIGHT:
        case HTTOPRIGHT:
        case HTBOTTOMRIGHT: return HTRIGHT;
        case HTLEFT:
        case HTTOP:
        case HTBOTTOM:
        case HTTOPLEFT:
        case HTBOTTOMLEFT: return HTBORDER;
        default: return hit;
      }
    }
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MAXIMIZE) return 0;
      return std::nullopt;
    default: return std::nullopt;
  }
}

void Form::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  for (const Line& line : lines_) {
    UniquePen pen(CreatePen(PS_SOLID, 1, SchemeColor(line.system_color)));
    HGDIOBJ old = SelectObject(dc, pen.get());
    MoveToEx(dc, Scale().Pixels(line.x1), Scale().Pixels(line.y1) + line.pixels_down, nullptr);
    // Lines include their last point, as the design tools draw them.
    int x2 = Scale().Pixels(line.x2), y2 = Scale().Pixels(line.y2) + line.pixels_down;
    LineTo(dc, x2 + (line.y1 == line.y2 ? 1 : 0), y2 + (line.x1 == line.x2 ? 1 : 0));
    SelectObject(dc, old);
  }
  EndPaint(hwnd_, &ps);
}

}  // namespace tly::forms
