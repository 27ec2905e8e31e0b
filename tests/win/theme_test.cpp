// The theme on the real windows under Wine: dark where the setting or Windows asks for it, the
// system's colours under high contrast, and a switch that repaints at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "option_form.h"
#include "window_test_support.h"

namespace tly {
namespace {

using testing::Pump;
using V = SettingValue;

constexpr wchar_t kPersonalize[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

void SetAppsUseLightTheme(std::optional<DWORD> value) {
  if (!value) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme");
    return;
  }
  RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &*value,
                  sizeof *value);
}

// The pixel at `at` in `control`'s client area, as PrintWindow draws the control.
COLORREF PixelOf(HWND control, POINT at) {
  RECT outer;
  GetWindowRect(control, &outer);
  forms::UniqueScreenDc screen(GetDC(nullptr));
  HDC dc = CreateCompatibleDC(screen.get());
  HBITMAP bitmap =
      CreateCompatibleBitmap(screen.get(), outer.right - outer.left, outer.bottom - outer.top);
  HGDIOBJ old = SelectObject(dc, bitmap);
  PrintWindow(control, dc, 0);
  ClientToScreen(control, &at);
  const COLORREF pixel = GetPixel(dc, at.x - outer.left, at.y - outer.top);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixel;
}

// Where a control shows its background: inside its left edge, halfway down.
POINT Inside(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  return {r.right - 4, r.bottom / 2};
}

bool IsDark(COLORREF c) {
  return GetRValue(c) < 0x50 && GetGValue(c) < 0x50 && GetBValue(c) < 0x50;
}

class ThemeTest : public testing::WindowTest {
 protected:
  void TearDown() override {
    WindowTest::TearDown();
    SetAppsUseLightTheme(std::nullopt);
  }
  // The places the tests read: the formula box, the result box, the variables panel's
  // background and a value box, and the Calculate button.
  std::vector<std::pair<const char*, COLORREF>> Samples() {
    const FormulaPanel& f = calc->formula();
    const VariablesPanel& v = calc->variables();
    COMBOBOXINFO list{};
    list.cbSize = sizeof list;
    GetComboBoxInfo(f.Combo1->hwnd(), &list);
    return {{"formula", PixelOf(f.Combo1->EditWindow(), Inside(f.Combo1->EditWindow()))},
            {"result", PixelOf(f.Text1->hwnd(), Inside(f.Text1->hwnd()))},
            {"panel", PixelOf(v.Frame2->hwnd(), {6, 3 * Inside(v.Frame2->hwnd()).y / 2})},
            {"value", PixelOf(v.Text2[0]->hwnd(), Inside(v.Text2[0]->hwnd()))},
            {"button", PixelOf(f.Command1->hwnd(), {4, 4})},
            {"drop-down list", PixelOf(list.hwndList, {4, 4})}};
  }
};

TEST_F(ThemeTest, DarkFollowsTheSettingOrWindowsAndReachesTheDialogs) {
  const struct {
    int theme;
    std::optional<DWORD> apps_use_light_theme;
    bool dark;
  } cases[] = {{2, std::nullopt, true}, {0, 0, true}, {0, std::nullopt, false}, {1, 0, false}};
  for (const auto& c : cases) {
    SetAppsUseLightTheme(c.apps_use_light_theme);
    App(u"Theme") = V::Integer(static_cast<std::int16_t>(c.theme));
    App(u"VariableList") = V::Boolean(true);
    Start();
    for (const auto& [what, pixel] : Samples())
      EXPECT_EQ(IsDark(pixel), c.dark) << what << " " << std::hex << pixel << " theme " << c.theme;
    if (c.dark) {  // the button drawn in the dark colours, not only blackened
      const Rgb face = kDarkPalette.button;
      EXPECT_EQ(Samples()[4].second, RGB(face.r, face.g, face.b));
    }
    EXPECT_TRUE(calc->menus().mnuViewTheme[static_cast<std::size_t>(c.theme)]->Checked());
    OptionForm options(*calc);
    options.Load();
    options.Show();
    Pump();
    EXPECT_EQ(IsDark(PixelOf(options.hwnd(), {3, 3})), c.dark) << "dialog, theme " << c.theme;
    EXPECT_EQ(IsDark(PixelOf(options.Command1->hwnd(), {4, 4})), c.dark) << "dialog's button";
    options.Unload();
    Exit();
  }
}

TEST_F(ThemeTest, HighContrastShowsTheSystemColours) {
  App(u"Theme") = V::Integer(2);
  App(u"VariableList") = V::Boolean(true);
  Start();
  ASSERT_TRUE(IsDark(Samples()[0].second));
  calc->theme().Refresh(
      Theme::System{[] { return std::optional<std::uint32_t>(0); }, [] { return true; }});
  Pump();
  const COLORREF window = GetSysColor(COLOR_WINDOW), face = GetSysColor(COLOR_BTNFACE);
  const COLORREF expected[] = {window, window, face, window};
  const auto samples = Samples();
  for (std::size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(samples[i].second, expected[i]) << samples[i].first;
  EXPECT_FALSE(IsDark(samples[4].second));
}

TEST_F(ThemeTest, SwitchingRepaintsAtOnceAndFollowsWindowsWhileRunning) {
  SetAppsUseLightTheme(1);
  Start();
  EXPECT_FALSE(IsDark(Samples()[0].second));
  calc->menus().mnuViewTheme[2]->on_click();
  Pump();
  for (const auto& [what, pixel] : Samples()) EXPECT_TRUE(IsDark(pixel)) << what;
  EXPECT_EQ(App(u"Theme").number, 2);
  EXPECT_TRUE(calc->menus().mnuViewTheme[2]->Checked() &&
              !calc->menus().mnuViewTheme[0]->Checked());
  calc->menus().mnuViewTheme[0]->on_click();  // Windows is light
  Pump();
  EXPECT_FALSE(IsDark(Samples()[1].second));
  SetAppsUseLightTheme(0);
  SendMessageW(calc->hwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
  Pump();
  for (const auto& [what, pixel] : Samples()) EXPECT_TRUE(IsDark(pixel)) << what;
}

}  // namespace
}  // namespace tly
