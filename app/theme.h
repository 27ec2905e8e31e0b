// The program's theme: light, dark, or the system's own colours under high contrast, chosen from
// the Theme setting and Windows' choice for apps, and followed while the program runs. It
// colours every form, frame and control of the process; switching repaints them all at once.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "forms/color_scheme.h"
#include "forms/owners.h"
#include "theme_choice.h"

namespace tly {

// Windows' AppsUseLightTheme for the user; nothing when it is missing or not a number.
std::optional<std::uint32_t> ReadAppsUseLightTheme();
bool HighContrastOn();

class Theme final : public forms::ColorScheme {
 public:
  // Where the theme reads Windows' state.
  struct System {
    std::function<std::optional<std::uint32_t>()> apps_use_light_theme = ReadAppsUseLightTheme;
    std::function<bool()> high_contrast = HighContrastOn;
  };

  Theme();
  explicit Theme(System system);
  ~Theme() override;
  Theme(const Theme&) = delete;
  Theme& operator=(const Theme&) = delete;

  // The Theme setting (ThemeSetting's numbers); a new one applies at once.
  void SetSetting(int setting);
  Appearance Current() const { return appearance_; }
  // Reads Windows' state again, from `system` when given, and applies what changed.
  void Refresh(std::optional<System> system = std::nullopt);

  COLORREF Color(int index) const override;
  HBRUSH Brush(int index) const override;
  std::optional<LRESULT> Filter(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  bool Dark() const { return appearance_ == Appearance::kDark; }
  void Apply();
  // The title bar, the menus' mode and the controls' own themes of top-level window `top`.
  void ApplyToWindow(HWND top);
  LRESULT PaintPushButton(const NMCUSTOMDRAW& draw) const;

  using AllowDarkModeForWindow = BOOL(WINAPI*)(HWND, BOOL);
  using SetPreferredAppMode = int(WINAPI*)(int);
  using FlushMenuThemes = void(WINAPI*)();

  System system_;
  int setting_ = 0;
  Appearance appearance_ = Appearance::kLight;
  forms::UniqueBrush face_, field_, button_;
  forms::UniqueModule uxtheme_, dwmapi_;
  AllowDarkModeForWindow allow_dark_for_window_ = nullptr;
  SetPreferredAppMode set_app_mode_ = nullptr;
  FlushMenuThemes flush_menu_themes_ = nullptr;
  HRESULT(WINAPI* set_window_attribute_)(HWND, DWORD, LPCVOID, DWORD) = nullptr;
};

}  // namespace tly
