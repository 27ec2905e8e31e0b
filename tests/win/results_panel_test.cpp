// The results panel on the real window under Wine: what adds a line, the mouse and clipboard
// commands, the limit and the lines across a restart (its keys: e2e_results.sh).
#include <gtest/gtest.h>

#include <windows.h>

#include "window_test_support.h"

namespace tly {
namespace {

using testing::Pump;
using V = SettingValue;

struct ResultsPanelTest : testing::WindowTest {
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
  forms::ListBox& list() { return *calc->results().List1; }
};

TEST_F(ResultsPanelTest, EachEnterAddsALineAndTheMouseAndClipboardTakeItBack) {
  EXPECT_TRUE(calc->menus().mnuViewResults->Checked());
  calc->formula().Combo1->SetText(L"2+2");  // a preview adds nothing
  Calculate(L"1/0");
  Calculate(L"1/0");
  calc->ToggleConversionPanel();
  calc->conversion().Combo3->SetListIndex(0);  // km to m
  Calculate(L"1.5");
  std::wstring lines;
  for (int i = 0; i < list().ListCount(); ++i) lines += list().List(i) + L"\n";
  EXPECT_EQ(lines, L"1/0 = 0 で除算しました。\n1/0 = 0 で除算しました。\n1.5 = 1500\n");
  list().SetListIndex(2);
  calc->results().CopyLine();
  EXPECT_EQ(testing::ClipboardText(), L"1.5 = 1500");
  // A double-click inserts in place of the formula box's selection.
  calc->formula().Combo1->SetText(L"2*(x)");
  SendMessageW(calc->formula().Combo1->EditWindow(), EM_SETSEL, 3, 4);
  SendMessageW(calc->results().Frame3->hwnd(), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list().hwnd()));
  EXPECT_EQ(calc->formula().Combo1->Text(), L"2*(1500)");
  EXPECT_TRUE(calc->formula().Combo1->HasFocus());
  EXPECT_EQ(settings.App(u"Results", u"0002"), V::String(u"1.5\t1500\t1500"));
  // A line wider than the list scrolls sideways to its end.
  Calculate(L"1+2+3+4+5+6+7+8+9+10+11+12+13+14+15+16+17+18+19+20");
  const auto extent = static_cast<int>(SendMessageW(list().hwnd(), LB_GETHORIZONTALEXTENT, 0, 0));
  RECT client;
  GetClientRect(list().hwnd(), &client);
  EXPECT_GE(extent, forms::TextWidthIn(list().hwnd(), list().List(3)));
  EXPECT_GT(extent, client.right);
  EXPECT_GE(list().VisibleRows(), 5);  // above the scroll bar
}

TEST_F(ResultsPanelTest, TheNewestLinesStayInViewAndComeBackAfterARestart) {
  for (int i = 0; i < 502; ++i) calc->results().AddLine({u"f", u"1", u"1"});
  Calculate(L"1+1");
  EXPECT_EQ(list().ListCount(), 500);
  EXPECT_EQ(SendMessageW(list().hwnd(), LB_GETTOPINDEX, 0, 0), 500 - list().VisibleRows());
  Exit();
  Start();
  EXPECT_TRUE(calc->results().Frame3->Visible());
  EXPECT_EQ(list().ListCount(), 500);
  EXPECT_EQ(list().List(499), L"1+1 = 2");
  calc->menus().mnuEditClear->on_click();  // the formula and the result only
  EXPECT_EQ(list().ListCount(), 500);
  calc->results().ClearAll();
  EXPECT_EQ(list().ListCount(), 0);
  EXPECT_EQ(SendMessageW(list().hwnd(), LB_GETHORIZONTALEXTENT, 0, 0), 0);
  EXPECT_FALSE(settings.HasApp(u"Results", u"0000"));
}

}  // namespace
}  // namespace tly
