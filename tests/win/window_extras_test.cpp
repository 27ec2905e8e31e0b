// Always on top, the widened window, the wheel over the variables panel, the hotkey, and the
// layout at each DPI: the real windows under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
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

bool OnTop(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Every control of `form` lies where its twips put it at the form's DPI, in the UI font of
// that DPI.
void ExpectLaidOutAt(const forms::Form& form, int dpi) {
  ASSERT_EQ(form.Dpi(), dpi);
  for (const forms::Control* c : form.Controls()) {
    const forms::TwipRect& t = c->DesignBounds();
    const RECT r = RectInParent(c->hwnd());
    EXPECT_EQ(
        (std::array<LONG, 4>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
        (std::array<LONG, 4>{At(t.left, dpi), At(t.top, dpi), At(t.width, dpi), At(t.height, dpi)}))
        << form.Caption() << " " << t.left << "," << t.top;
    if (!c->HasFont()) continue;
    // A frame's caption and its font belong to the group box inside it.
    HWND text = dynamic_cast<const forms::Frame*>(c) ? GetWindow(c->hwnd(), GW_CHILD) : c->hwnd();
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -At(c->Font().points * 20, dpi)) << t.left << "," << t.top;
  }
}

// Windows' message for a move to a monitor of `dpi`, with a rectangle that is not the one the
// form wants.
void SendDpiChange(HWND hwnd, int dpi) {
  RECT r;
  GetWindowRect(hwnd, &r);
  RECT suggested{r.left, r.top, r.left + (r.right - r.left) * 2, r.top + (r.bottom - r.top) * 2};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  Pump();
}

// The pixels of the panels as the window shows them now: all below the conversion panel's top.
std::vector<COLORREF> PanelPixels(const Calculator& calc) {
  RECT client, panel;
  GetClientRect(calc.hwnd(), &client);
  GetWindowRect(calc.conversion().Frame1->hwnd(), &panel);
  ScreenToClient(calc.hwnd(), reinterpret_cast<POINT*>(&panel));
  HDC window = GetDC(calc.hwnd());
  std::vector<COLORREF> pixels;
  for (int y = panel.top; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(window, x, y));
  ReleaseDC(calc.hwnd(), window);
  return pixels;
}

using Extras = testing::WindowTest;

TEST_F(Extras, AlwaysOnTopIsKeptAcrossARestartAndTakesTheDialogsAlong) {
  Start();
  EXPECT_FALSE(OnTop(calc->hwnd()));
  calc->menus().mnuViewTopMost->on_click();
  EXPECT_TRUE(OnTop(calc->hwnd()));
  EXPECT_EQ(App(u"TopMost"), V::Long(-1));
  Exit();
  Start();
  EXPECT_TRUE(calc->menus().mnuViewTopMost->Checked());
  EXPECT_TRUE(OnTop(calc->hwnd()));
  OptionForm options(*calc);
  options.Load();
  AboutForm about(*calc);
  about.Load();
  EXPECT_TRUE(OnTop(options.hwnd()) && OnTop(about.hwnd()));
  calc->ToggleTopMost();
  EXPECT_FALSE(OnTop(calc->hwnd()));
  EXPECT_EQ(App(u"TopMost"), V::Long(0));
}

TEST_F(Extras, WideningByTheRightEdgeStretchesTheBoxesRedrawsThemAndIsKept) {
  App(u"UnitConvert") = V::Boolean(true);
  App(u"VariableList") = V::Boolean(true);
  App(u"ResultList") = V::Boolean(true);
  Start();
  HWND w = calc->hwnd();
  struct Edge {
    forms::Control* control;
    int grows, moves;
    RECT before{};
  } edges[] = {
      {calc->formula().Combo1.get(), 200, 0},    {calc->formula().Text1.get(), 200, 0},
      {calc->conversion().Frame1.get(), 200, 0}, {calc->conversion().Combo2.get(), 200, 0},
      {calc->conversion().Combo4.get(), 200, 0}, {calc->variables().Text2[4].get(), 200, 0},
      {calc->formula().Command1.get(), 0, 200},  {calc->variables().VScroll1.get(), 0, 200},
      {calc->formula().Label5.get(), 200, 0},    {calc->results().Frame3.get(), 200, 0},
      {calc->results().List1.get(), 200, 0}};
  for (Edge& e : edges) e.before = RectInParent(e.control->hwnd());
  RECT before;
  GetWindowRect(w, &before);
  SetWindowPos(w, nullptr, 0, 0, before.right - before.left + 200, before.bottom - before.top,
               SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(w, WM_EXITSIZEMOVE, 0, 0);
  Pump();
  // Drawn at once as a window opened that wide is, with no old edges left in the panels.
  const std::vector<COLORREF> widened = PanelPixels(*calc);
  for (const Edge& e : edges) {
    const RECT r = RectInParent(e.control->hwnd());
    EXPECT_EQ(r.left - e.before.left, e.moves) << e.before.left << "," << e.before.top;
    EXPECT_EQ(r.right - e.before.right, e.grows + e.moves) << e.before.left << "," << e.before.top;
  }
  const auto width =
      static_cast<std::int32_t>(std::lround(Scale().Twips(before.right - before.left + 200)));
  EXPECT_EQ(App(u"Width"), V::Long(width));
  // Never taller by an edge, nor narrower than designed.
  EXPECT_NE(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(before.left + 50, before.bottom - 1)),
            HTBOTTOM);
  SetWindowPos(w, nullptr, 0, 0, 100, before.bottom - before.top, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(calc->ClientWidth(), Scale().Twips(Scale().Pixels(4080)));
  Exit();
  Start();
  GetWindowRect(w = calc->hwnd(), &before);
  EXPECT_EQ(before.right - before.left, Scale().Pixels(width));
  EXPECT_TRUE(PanelPixels(*calc) == widened);
}

TEST_F(Extras, MinimisingAndRestoringKeepsTheWidth) {
  Start();
  const double before = calc->Width();
  calc->SetState(forms::WindowState::kMinimized);
  Pump();
  calc->SetState(forms::WindowState::kNormal);
  Pump();
  SendMessageW(calc->hwnd(), WM_EXITSIZEMOVE, 0, 0);  // the end of a later move
  EXPECT_EQ(calc->Width(), before);
  EXPECT_FALSE(settings.HasApp(u"", u"Width"));
}

TEST_F(Extras, AWheelNotchOverTheVariablesPanelScrollsOneRow) {
  Start();
  calc->ToggleVariablesPanel();
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(calc->variables().VScroll1->hwnd(), SB_CTL, &info);
  EXPECT_EQ(info.nPage, 5u);  // the thumb is a page of five rows; the value still ends at v
  EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, calc->variables().VScroll1->Max());
  RECT panel;
  GetWindowRect(calc->variables().Frame2->hwnd(), &panel);
  // The wheel goes by the mouse, not by the focus.
  auto turn = [&](int delta, LONG x) {
    PostMessageW(calc->formula().Combo1->EditWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                 MAKELPARAM(x, panel.top + 40));
    Pump();
  };
  turn(-WHEEL_DELTA, panel.left + 20);
  std::wstring rows;
  for (auto& label : calc->variables().Label4) rows += label->Caption();
  EXPECT_EQ(rows, L"BCDEF");
  turn(-WHEEL_DELTA, panel.right + 20);  // beside the panel
  turn(WHEEL_DELTA, panel.left + 20);
  EXPECT_EQ(calc->variables().Label4[0]->Caption(), L"A");
}

// At the DPI the prefix starts with (TALLYRA_EXPECT_DPI, when a script sets one) and after a
// move to a monitor of another DPI, for the main window and each dialog.
TEST_F(Extras, EveryControlFollowsItsTwipsAtTheStartingDpiAndAfterAChange) {
  Start();
  calc->ToggleConversionPanel();
  calc->ToggleVariablesPanel();
  const int start = calc->Dpi();
  EXPECT_GE(calc->results().List1->VisibleRows(), 6);
  if (const char* expected = std::getenv("TALLYRA_EXPECT_DPI")) {
    EXPECT_EQ(start, std::atoi(expected));
  }
  const int changed = start == 96 ? 144 : 96;  // the window fits the virtual desktop at each
  OptionForm options(*calc);
  AboutForm about(*calc);
  for (forms::Form* form :
       {static_cast<forms::Form*>(calc.get()), static_cast<forms::Form*>(&options),
        static_cast<forms::Form*>(&about)}) {
    form->Load();
    ExpectLaidOutAt(*form, start);
    SendDpiChange(form->hwnd(), changed);
    ExpectLaidOutAt(*form, changed);
  }
  // The results list shows six whole lines in the font of each DPI.
  EXPECT_GE(calc->results().List1->VisibleRows(), 6);
  RECT client;
  GetClientRect(calc->hwnd(), &client);
  EXPECT_EQ(client.right, At(4080, changed));
  EXPECT_EQ(client.bottom, At(6120, changed));
  // The About icon drawn at its own size for the DPI, not stretched.
  ICONINFO icon{};
  ASSERT_TRUE(GetIconInfo(
      reinterpret_cast<HICON>(SendMessageW(about.Image1->hwnd(), STM_GETICON, 0, 0)), &icon));
  BITMAP bits{};
  GetObjectW(icon.hbmColor != nullptr ? icon.hbmColor : icon.hbmMask, sizeof bits, &bits);
  EXPECT_EQ(bits.bmWidth, At(480, changed));
  if (icon.hbmColor != nullptr) DeleteObject(icon.hbmColor);
  DeleteObject(icon.hbmMask);
}

// Every caption of both dialogs fits its control on one line at the form's DPI (the DPI tests
// run this at 144 and 192): labels, the text beside a check box, buttons and frames.
TEST_F(Extras, EveryCaptionOfTheDialogsFitsItsControl) {
  Start();
  OptionForm options(*calc);
  AboutForm about(*calc);
  for (forms::Form* form :
       {static_cast<forms::Form*>(&options), static_cast<forms::Form*>(&about)}) {
    form->Load();
    const int dpi = form->Dpi();
    for (const forms::Control* c : form->Controls()) {
      HWND h = dynamic_cast<const forms::Frame*>(c) ? GetWindow(c->hwnd(), GW_CHILD) : c->hwnd();
      wchar_t cls[16] = {};
      GetClassNameW(h, cls, 16);
      const bool button = _wcsicmp(cls, L"Button") == 0;
      const std::wstring text = forms::WindowText(h);
      if (text.empty() || (!button && _wcsicmp(cls, L"Static") != 0)) continue;
      RECT client, need{};
      GetClientRect(h, &client);
      // A check box's text starts right of its box; a button's and a frame's keep off the edges.
      const bool check = (GetWindowLongW(h, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
      const int room =
          client.right - (!button ? 0
                          : check ? forms::MetricForDpi(SM_CXMENUCHECK, dpi) + At(60, dpi)
                                  : 2 * At(90, dpi));
      HDC dc = GetDC(h);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(h, WM_GETFONT, 0, 0)));
      DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);  // "&" takes no room
      SelectObject(dc, old);
      ReleaseDC(h, dc);
      EXPECT_LE(need.right, room) << form->Caption() << " " << text << " at " << dpi;
      EXPECT_LE(need.bottom, client.bottom) << form->Caption() << " " << text << " at " << dpi;
    }
  }
}

}  // namespace
}  // namespace tly
