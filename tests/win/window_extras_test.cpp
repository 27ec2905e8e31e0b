// Always on top, the widened window, the wheel over the variables panel, the hotkey, and the
// layout at each DPI: the real windows under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "about_form.h"
#include "option_form.h"
#include "window_test_support.h"

namespace tly {
namespace {

using testing::Pump;
using V = SettingValue;

int At(double twips, int dpi) { return static_cast<int>(std::lround(twips * dpi / 1440)); }

RECT RectInParent(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int WidthOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r.right - r.left;
}

bool OnTop(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Every control of `form` lies where its twips put it at the form's DPI, in the UI font of
// that DPI.
void ExpectLaidOutAt(const forms::Form& form, int dpi) {
  ASSERT_EQ(form.Dpi(), dpi);
  for (const forms::Control* c : form.Controls()) {
    const forms::TwipRect& t = c->DesignBounds();
    const RECT r = RectInParent(c->hwnd());
    const int left = At(t.left, dpi), top = At(t.top, dpi);
    EXPECT_EQ(r.left, left) << form.Caption();
    EXPECT_EQ(r.top, top) << t.top;
    EXPECT_EQ(r.right - r.left, At(t.width, dpi)) << t.left << "," << t.top;
    EXPECT_EQ(r.bottom - r.top, At(t.height, dpi)) << t.left << "," << t.top;
    // A frame's caption and its font belong to the group box inside it.
    HWND text = dynamic_cast<const forms::Frame*>(c) != nullptr ? GetWindow(c->hwnd(), GW_CHILD)
                                                                : c->hwnd();
    if (!c->HasFont()) continue;
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -At(c->Font().points * 20, dpi)) << t.left << "," << t.top;
  }
}

void SendDpiChange(HWND hwnd, int dpi) {
  RECT r;
  GetWindowRect(hwnd, &r);
  RECT suggested{r.left, r.top, r.left + (r.right - r.left) * 2, r.top + (r.bottom - r.top) * 2};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  Pump();
}

using Extras = testing::WindowTest;

TEST_F(Extras, AlwaysOnTopIsKeptAcrossARestartAndTakesTheDialogsAlong) {
  Start();
  EXPECT_FALSE(calc->TopMost());
  EXPECT_FALSE(OnTop(calc->hwnd()));
  calc->mnuViewTopMost->on_click();
  EXPECT_TRUE(OnTop(calc->hwnd()));
  EXPECT_EQ(App(u"TopMost"), V::Long(-1));
  Exit();
  Start();
  EXPECT_TRUE(calc->mnuViewTopMost->Checked());
  EXPECT_TRUE(OnTop(calc->hwnd()));
  OptionForm options(*calc);
  options.Load();
  EXPECT_TRUE(OnTop(options.hwnd()));
  AboutForm about(*calc);
  about.Load();
  EXPECT_TRUE(OnTop(about.hwnd()));
  calc->ToggleTopMost();
  EXPECT_FALSE(OnTop(calc->hwnd()));
  EXPECT_EQ(App(u"TopMost"), V::Long(0));
}

TEST_F(Extras, WideningByTheRightEdgeStretchesTheBoxesAndIsKept) {
  Start();
  calc->ToggleConversionPanel();
  calc->ToggleVariablesPanel();
  HWND w = calc->hwnd();
  RECT before;
  GetWindowRect(w, &before);
  const int formula = WidthOf(calc->Combo1->hwnd());
  const RECT button = RectInParent(calc->Command1->hwnd());
  const RECT bar = RectInParent(calc->VScroll1->hwnd());
  const std::vector<forms::Control*> stretched = {calc->Frame1.get(), calc->Combo2.get(),
                                                  calc->Combo4.get(), calc->Text2[4].get()};
  std::vector<int> stretched_widths;
  for (forms::Control* c : stretched) stretched_widths.push_back(WidthOf(c->hwnd()));
  SetWindowPos(w, nullptr, 0, 0, before.right - before.left + 200, before.bottom - before.top,
               SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(w, WM_EXITSIZEMOVE, 0, 0);
  Pump();
  EXPECT_EQ(WidthOf(calc->Combo1->hwnd()), formula + 200);
  EXPECT_EQ(RectInParent(calc->Text1->hwnd()).right, RectInParent(calc->Combo1->hwnd()).right);
  EXPECT_EQ(RectInParent(calc->Command1->hwnd()).left, button.left + 200);
  EXPECT_EQ(RectInParent(calc->VScroll1->hwnd()).left, bar.left + 200);
  for (std::size_t i = 0; i < stretched.size(); ++i)
    EXPECT_EQ(WidthOf(stretched[i]->hwnd()), stretched_widths[i] + 200) << i;
  const auto width = static_cast<std::int32_t>(std::lround(forms::TwipsX(WidthOf(w))));
  EXPECT_EQ(App(u"Width"), V::Long(width));
  // Never narrower than designed, nor taller by the edges.
  const LRESULT bottom_edge =
      SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(before.left + 50, before.bottom - 1));
  EXPECT_NE(bottom_edge, HTBOTTOM);
  SetWindowPos(w, nullptr, 0, 0, 100, before.bottom - before.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(calc->ClientWidth(), forms::TwipsX(forms::PixelsX(4080)));
  Exit();
  Start();
  EXPECT_EQ(WidthOf(calc->hwnd()), forms::PixelsX(width));
}

TEST_F(Extras, AWheelNotchOverTheVariablesPanelScrollsOneRow) {
  Start();
  calc->ToggleVariablesPanel();
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(calc->VScroll1->hwnd(), SB_CTL, &info);
  EXPECT_EQ(info.nPage, 5u);
  EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, calc->VScroll1->Max());
  calc->Combo1->SetFocus();  // the wheel goes by the mouse, not by the focus
  RECT panel;
  GetWindowRect(calc->Frame2->hwnd(), &panel);
  auto turn = [&](int delta, LONG x) {
    PostMessageW(calc->Combo1->EditWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                 MAKELPARAM(x, panel.top + 40));
    Pump();
  };
  turn(-WHEEL_DELTA, panel.left + 20);
  std::wstring rows;
  for (auto& label : calc->Label4) rows += label->Caption();
  EXPECT_EQ(rows, L"BCDEF");
  turn(-WHEEL_DELTA, panel.right + 20);  // beside the panel
  EXPECT_EQ(calc->VScroll1->Value(), calc->VScroll1->Min() + 1);
  turn(WHEEL_DELTA, panel.left + 20);
  EXPECT_EQ(calc->Label4[0]->Caption(), L"A");
}

TEST_F(Extras, TheHotKeyIsRegisteredAtLoadAndAKeyTakenElsewhereIsRefused) {
  App(u"HotKey") = V::Long(0x0670);  // Ctrl+Alt+F1
  Start();
  EXPECT_EQ(calc->HotKey(), 0x0670u);
  // The key is taken now: another registration of it fails.
  EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F1));
  ASSERT_TRUE(RegisterHotKey(nullptr, 8, MOD_SHIFT, VK_F2));
  EXPECT_FALSE(calc->SetHotKey(0x0171));  // Shift+F2, held by "another program"
  EXPECT_EQ(calc->HotKey(), 0x0670u);
  EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F1));
  UnregisterHotKey(nullptr, 8);
  EXPECT_TRUE(calc->SetHotKey(0));
  EXPECT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F1));
  UnregisterHotKey(nullptr, 7);
}

TEST_F(Extras, TheHotKeyBringsTheWindowBackWithTheFormulaSelectedAndHidesItInFront) {
  App(u"TaskTray") = V::Boolean(true);
  Start();
  calc->Combo1->SetText(L"1+2");
  calc->SetState(forms::WindowState::kMinimized);
  Pump();
  EXPECT_FALSE(calc->Visible());  // in the tray
  SendMessageW(calc->hwnd(), WM_HOTKEY, 1, 0);
  Pump();
  EXPECT_TRUE(calc->Visible());
  EXPECT_EQ(calc->State(), forms::WindowState::kNormal);
  EXPECT_EQ(GetForegroundWindow(), calc->hwnd());
  EXPECT_EQ(GetFocus(), calc->Combo1->EditWindow());
  DWORD start = 0, end = 0;
  SendMessageW(calc->Combo1->hwnd(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 3u);
  SendMessageW(calc->hwnd(), WM_HOTKEY, 1, 0);
  Pump();
  EXPECT_FALSE(calc->Visible());
}

// The DPI the prefix was started with, when a script sets one; TALLYRA_EXPECT_DPI.
int ExpectedDpi() {
  const char* text = std::getenv("TALLYRA_EXPECT_DPI");
  return text != nullptr ? std::atoi(text) : 0;
}

TEST_F(Extras, EveryControlFollowsItsTwipsAtTheStartingDpiAndAfterAChange) {
  Start();
  calc->ToggleConversionPanel();
  calc->ToggleVariablesPanel();
  const int start = calc->Dpi();
  if (ExpectedDpi() != 0) {
    EXPECT_EQ(start, ExpectedDpi());
  }
  ExpectLaidOutAt(*calc, start);
  RECT client;
  GetClientRect(calc->hwnd(), &client);
  EXPECT_EQ(client.right, At(4080, start));
  EXPECT_EQ(client.bottom, At(6120, start));

  // The window fits the virtual desktop at each.
  const int changed = start == 96 ? 144 : 96;
  SendDpiChange(calc->hwnd(), changed);
  ExpectLaidOutAt(*calc, changed);
  GetClientRect(calc->hwnd(), &client);
  EXPECT_EQ(client.right, At(4080, changed));
  EXPECT_EQ(client.bottom, At(6120, changed));

  // A dialog takes the DPI of its own monitor, and follows a change of it.
  OptionForm options(*calc);
  options.Load();
  ExpectLaidOutAt(options, start);
  SendDpiChange(options.hwnd(), changed);
  ExpectLaidOutAt(options, changed);
  AboutForm about(*calc);
  about.Load();
  ExpectLaidOutAt(about, start);
  SendDpiChange(about.hwnd(), changed);
  ExpectLaidOutAt(about, changed);
  ICONINFO icon{};
  ASSERT_TRUE(GetIconInfo(
      reinterpret_cast<HICON>(SendMessageW(about.Image1->hwnd(), STM_GETICON, 0, 0)), &icon));
  BITMAP bits{};
  GetObjectW(icon.hbmColor != nullptr ? icon.hbmColor : icon.hbmMask, sizeof bits, &bits);
  EXPECT_EQ(bits.bmWidth, At(480, changed));  // the icon at its own size, not stretched
  if (icon.hbmColor != nullptr) DeleteObject(icon.hbmColor);
  DeleteObject(icon.hbmMask);
}

}  // namespace
}  // namespace tly
