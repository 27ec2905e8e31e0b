// The results panel on the real window under Wine: its lines as other programs read them, its
// keys, and its lines across a restart.
#include <gtest/gtest.h>

#include <windows.h>

#include "window_test_support.h"

namespace tly {
namespace {

using testing::Pump;
using V = SettingValue;

class ResultsPanelTest : public testing::WindowTest {
 protected:
  void SetUp() override {
    App(u"SaveFormation") = V::Boolean(true);
    Start();
    calc->ToggleResultsPanel();
  }
  void Calculate(const wchar_t* formula) {
    calc->formula().Combo1->SetText(formula);
    calc->formula().Command1->Click();
    Pump();
  }
  // The list's lines, as LB_GETTEXT reads them, one a line.
  std::wstring Lines() {
    std::wstring lines;
    for (int i = 0; i < list().ListCount(); ++i) lines += list().List(i) + L"\n";
    return lines;
  }
  forms::ListBox& list() { return *calc->results().List1; }
  void Key(WPARAM key, bool shift = false, bool ctrl = false) {
    BYTE state[256] = {};
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    Pump();
    state[VK_SHIFT] = state[VK_CONTROL] = 0;
    SetKeyboardState(state);
  }
  void AltR() {
    PostMessageW(GetFocus(), WM_SYSCHAR, L'r', 0x20000001);
    Pump();
  }
  std::wstring Formula() { return calc->formula().Combo1->Text(); }
  DWORD Caret() {
    DWORD begin = 0, end = 0;
    SendMessageW(calc->formula().Combo1->EditWindow(), EM_GETSEL, reinterpret_cast<WPARAM>(&begin),
                 reinterpret_cast<LPARAM>(&end));
    return begin == end ? end : ~0u;
  }
};

TEST_F(ResultsPanelTest, EachEnterAddsALineAndTheKeysPutItBack) {
  EXPECT_TRUE(calc->menus().mnuViewResults->Checked());
  calc->formula().Combo1->SetText(L"2+2");  // a preview adds nothing
  Calculate(L"6*7");
  Calculate(L"1/0");
  Calculate(L"1/0");
  calc->ToggleConversionPanel();
  calc->conversion().Combo3->SetListIndex(0);  // km to m
  Calculate(L"1.5");
  calc->ToggleConversionPanel();
  EXPECT_EQ(Lines(), L"6*7 = 42\n1/0 = 0 で除算しました。\n1/0 = 0 で除算しました。\n1.5 = 1500\n");
  // Alt+R selects the newest line; Enter inserts its result in place of the formula box's
  // selection, the caret after it.
  calc->formula().Combo1->SetText(L"2*(1+)");
  SendMessageW(calc->formula().Combo1->EditWindow(), EM_SETSEL, 4, 5);
  AltR();
  EXPECT_TRUE(list().HasFocus());
  EXPECT_EQ(list().ListIndex(), 3);
  Key(VK_UP);
  Key(VK_UP);
  Key(VK_RETURN);  // an error line inserts nothing
  EXPECT_TRUE(list().HasFocus());
  Key(VK_UP);
  Key(VK_RETURN);
  EXPECT_EQ(Formula(), L"2*(142)");
  EXPECT_EQ(Caret(), 6u);
  EXPECT_TRUE(calc->formula().Combo1->HasFocus());
  // Shift+Enter takes the formula; Ctrl+C copies the line; double-click inserts.
  AltR();
  Key(VK_RETURN, true);
  EXPECT_EQ(Formula(), L"1.5");
  EXPECT_EQ(Caret(), 3u);
  AltR();
  Key('C', false, true);
  EXPECT_EQ(testing::ClipboardText(), L"1.5 = 1500");
  SendMessageW(calc->formula().Combo1->EditWindow(), EM_SETSEL, 0, -1);
  list().SetListIndex(0);
  SendMessageW(calc->results().Frame3->hwnd(), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list().hwnd()));
  EXPECT_EQ(Formula(), L"42");
  // The formula box's Enter still calculates; Delete removes a line, at once in the settings.
  Calculate(L"42*2");
  EXPECT_EQ(list().List(4), L"42*2 = 84");
  EXPECT_EQ(settings.App(u"Results", u"Count"), V::Long(5));
  AltR();
  Key(VK_UP);
  Key(VK_DELETE);
  EXPECT_EQ(list().ListIndex(), 3);
  EXPECT_EQ(settings.App(u"Results", u"Count"), V::Long(4));
  EXPECT_FALSE(settings.HasApp(u"Results", u"0004"));
  EXPECT_EQ(settings.App(u"Results", u"0003"), V::String(u"42*2\t84\t84"));
}

TEST_F(ResultsPanelTest, TheLinesAndThePanelComeBackAfterARestart) {
  for (int i = 0; i < 502; ++i) calc->results().AddLine({u"f", u"1", u"1"});
  Calculate(L"1+1");
  EXPECT_EQ(list().ListCount(), 500);
  EXPECT_EQ(SendMessageW(list().hwnd(), LB_GETTOPINDEX, 0, 0), 500 - list().VisibleRows());
  Exit();
  Start();
  EXPECT_TRUE(calc->results().Frame3->Visible());
  EXPECT_EQ(list().ListCount(), 500);
  EXPECT_EQ(list().List(499), L"1+1 = 2");
  calc->results().ClearAll();
  EXPECT_EQ(list().ListCount(), 0);
  EXPECT_FALSE(settings.HasApp(u"Results", u"0000"));
  calc->formula().Combo1->SetText(L"5");
  calc->menus().mnuEditClear->on_click();  // the formula and the result only
  Calculate(L"3");
  calc->menus().mnuEditClear->on_click();
  EXPECT_EQ(Lines(), L"3 = 3\n");
}

}  // namespace
}  // namespace tly
