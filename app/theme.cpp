#include "theme.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <string>

#include "window_names.h"

namespace tly {
namespace {

constexpr wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
// The title bar's dark mode (DWMWA_USE_IMMERSIVE_DARK_MODE), 19 before Windows 10 20H1.
constexpr DWORD kDarkTitleBar = 20, kDarkTitleBarBefore20H1 = 19;
// uxtheme's unnamed entries for dark menus, from Windows 10 1809 (build 17763) on.
constexpr WORD kAllowDarkModeForWindowOrdinal = 133, kSetPreferredAppModeOrdinal = 135,
               kFlushMenuThemesOrdinal = 136;
constexpr DWORD kFirstBuildWithDarkMenus = 17763;
constexpr int kForceDark = 2, kForceLight = 3, kDefaultMode = 0;

COLORREF Ref(Rgb c) { return RGB(c.r, c.g, c.b); }

DWORD WindowsBuild() {
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  auto get = forms::ProcedureOf<GetVersion>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  return get != nullptr && get(&info) == 0 ? info.dwBuildNumber : 0;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

bool IsPushButton(HWND hwnd) {
  const LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return ClassOf(hwnd) == L"Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

}  // namespace

std::optional<std::uint32_t> ReadAppsUseLightTheme() {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme", RRF_RT_REG_DWORD,
                   nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

bool HighContrastOn() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

Theme::Theme() : Theme(System{}) {}

Theme::Theme(System system) : system_(std::move(system)) {
  uxtheme_.reset(LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  dwmapi_.reset(LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  set_window_attribute_ =
      forms::ProcedureOf<decltype(set_window_attribute_)>(dwmapi_.get(), "DwmSetWindowAttribute");
  // Looked up only where the ordinals mean these entries; elsewhere they are other functions,
  // or missing, and the menus stay light.
  if (WindowsBuild() >= kFirstBuildWithDarkMenus) {
    const auto ordinal = [](WORD n) { return MAKEINTRESOURCEA(n); };
    allow_dark_for_window_ = forms::ProcedureOf<AllowDarkModeForWindow>(
        uxtheme_.get(), ordinal(kAllowDarkModeForWindowOrdinal));
    set_app_mode_ = forms::ProcedureOf<SetPreferredAppMode>(uxtheme_.get(),
                                                            ordinal(kSetPreferredAppModeOrdinal));
    flush_menu_themes_ =
        forms::ProcedureOf<FlushMenuThemes>(uxtheme_.get(), ordinal(kFlushMenuThemesOrdinal));
  }
  forms::SetColorScheme(this);
  Refresh();
}

Theme::~Theme() { forms::RemoveColorScheme(this); }

void Theme::SetSetting(int setting) {
  setting_ = setting;
  Refresh();
}

void Theme::Refresh(std::optional<System> system) {
  if (system) system_ = std::move(*system);
  const Appearance chosen =
      ChooseAppearance(setting_, system_.apps_use_light_theme(), system_.high_contrast());
  if (chosen == appearance_ && (face_ || !Dark())) return;
  appearance_ = chosen;
  Apply();
}

void Theme::Apply() {
  const DarkPalette& p = kDarkPalette;
  face_.reset(Dark() ? CreateSolidBrush(Ref(p.face)) : nullptr);
  field_.reset(Dark() ? CreateSolidBrush(Ref(p.field)) : nullptr);
  button_.reset(Dark() ? CreateSolidBrush(Ref(p.button)) : nullptr);
  if (set_app_mode_ != nullptr) {
    const bool mode_by_number = WindowsBuild() >= 18362;  // before 1903 it took a Boolean
    set_app_mode_(Dark() ? kForceDark : (mode_by_number ? kForceLight : kDefaultMode));
    if (flush_menu_themes_ != nullptr) flush_menu_themes_();
  }
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND top, LPARAM self) {
        if (ClassOf(top) == kFormClassName) reinterpret_cast<Theme*>(self)->ApplyToWindow(top);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
}

void Theme::ApplyToWindow(HWND top) {
  const BOOL dark = Dark();
  if (set_window_attribute_ != nullptr &&
      FAILED(set_window_attribute_(top, kDarkTitleBar, &dark, sizeof dark)))
    set_window_attribute_(top, kDarkTitleBarBefore20H1, &dark, sizeof dark);
  if (allow_dark_for_window_ != nullptr) allow_dark_for_window_(top, dark);
  // Controls whose visual style would ignore the colours draw classic while dark; scroll bars
  // and combo boxes take Windows' own dark styles where it has them, and stay wholly light
  // where it has none rather than show a dark track between light arrows.
  EnumChildWindows(
      top,
      [](HWND child, LPARAM on) {
        const std::wstring name = ClassOf(child);
        const bool dark_child = on != 0;
        if (name == L"Button" && !IsPushButton(child)) {
          SetWindowTheme(child, dark_child ? L"" : nullptr, dark_child ? L"" : nullptr);
        } else if (name == L"ScrollBar") {
          SetWindowTheme(child, dark_child ? L"DarkMode_Explorer" : nullptr, nullptr);
        } else if (name == L"ComboBox") {
          SetWindowTheme(child, dark_child ? L"DarkMode_CFD" : nullptr, nullptr);
        }
        return TRUE;
      },
      dark);
  RedrawWindow(top, nullptr, nullptr,
               RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

COLORREF Theme::Color(int index) const {
  if (!Dark()) return GetSysColor(index);
  const DarkPalette& p = kDarkPalette;
  switch (index) {
    case COLOR_BTNFACE: return Ref(p.face);
    case COLOR_BTNTEXT:
    case COLOR_WINDOWTEXT: return Ref(p.text);
    case COLOR_WINDOW: return Ref(p.field);
    case COLOR_GRAYTEXT: return Ref(p.grey_text);
    case COLOR_BTNSHADOW: return Ref(p.shadow);
    case COLOR_BTNHIGHLIGHT: return Ref(p.highlight);
    default: return GetSysColor(index);
  }
}

HBRUSH Theme::Brush(int index) const {
  if (!Dark()) return GetSysColorBrush(index);
  switch (index) {
    case COLOR_BTNFACE: return face_.get();
    case COLOR_WINDOW: return field_.get();
    default: return GetSysColorBrush(index);
  }
}

std::optional<LRESULT> Theme::Filter(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETHIGHCONTRAST ||
          (lparam != 0 &&
           std::wstring(reinterpret_cast<const wchar_t*>(lparam)) == L"ImmersiveColorSet"))
        Refresh();
      return std::nullopt;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE: Refresh(); return std::nullopt;
    case WM_SHOWWINDOW:
      // A form shown for the first time, with its controls there: a dialog opened while dark.
      if (wparam && Dark() && !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) ApplyToWindow(hwnd);
      return std::nullopt;
    default: break;
  }
  if (!Dark()) return std::nullopt;
  auto* dc = reinterpret_cast<HDC>(wparam);
  const DarkPalette& p = kDarkPalette;
  switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      SetTextColor(dc, Ref(p.text));
      SetBkColor(dc, Ref(p.field));
      return reinterpret_cast<LRESULT>(field_.get());
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
      SetTextColor(
          dc, IsWindowEnabled(reinterpret_cast<HWND>(lparam)) ? Ref(p.text) : Ref(p.grey_text));
      SetBkColor(dc, Ref(p.face));
      return reinterpret_cast<LRESULT>(face_.get());
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(dc, &client, face_.get());
      return 1;
    }
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      if (header.code == NM_CUSTOMDRAW && IsPushButton(header.hwndFrom))
        return PaintPushButton(*reinterpret_cast<const NMCUSTOMDRAW*>(lparam));
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

// A push button in the dark colours: its face, a frame (thicker for the default button), its
// caption with the access key, and the focus rectangle.
LRESULT Theme::PaintPushButton(const NMCUSTOMDRAW& draw) const {
  // Skipping the erase would skip the painting too: the paint stage covers what it erased.
  if (draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
  const DarkPalette& p = kDarkPalette;
  HWND button = draw.hdr.hwndFrom;
  HDC dc = draw.hdc;
  RECT r = draw.rc;
  const bool pressed = (draw.uItemState & CDIS_SELECTED) != 0;
  const bool is_default = (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  FillRect(dc, &r, face_.get());
  forms::UniqueBrush frame(CreateSolidBrush(Ref(is_default ? p.text : p.frame)));
  FrameRect(dc, &r, frame.get());
  if (is_default) {
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, frame.get());
  }
  InflateRect(&r, -1, -1);
  if (pressed) {
    forms::UniqueBrush down(CreateSolidBrush(Ref(p.highlight)));
    FillRect(dc, &r, down.get());
  } else {
    FillRect(dc, &r, button_.get());
  }
  wchar_t caption[128] = {};
  GetWindowTextW(button, caption, 128);
  HGDIOBJ old_font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, IsWindowEnabled(button) ? Ref(p.text) : Ref(p.grey_text));
  const LRESULT ui = SendMessageW(button, WM_QUERYUISTATE, 0, 0);
  const UINT hide_prefix = (ui & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
  DrawTextW(dc, caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | hide_prefix);
  SelectObject(dc, old_font);
  if ((draw.uItemState & CDIS_FOCUS) && !(ui & UISF_HIDEFOCUS)) {
    InflateRect(&r, -2, -2);
    SetTextColor(dc, Ref(p.text));
    DrawFocusRect(dc, &r);
  }
  return CDRF_SKIPDEFAULT;
}

}  // namespace tly
