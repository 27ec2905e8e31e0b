#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <imm.h>

#include <cmath>
#include <memory>

#include "forms/services.h"
#include "window_test_support.h"

namespace tly {
namespace {

using testing::ClientHeightPixels;
using testing::Pump;

class CalculatorWindow : public testing::WindowTest {
 protected:
  void SetUp() override {
    Start();
    SetForegroundWindow(calc->hwnd());
    Pump();
  }
  void Calculate(const wchar_t* formula) {
    calc->formula().Combo1->SetText(formula);
    calc->formula().Command1->Click();
    Pump();
  }
  std::wstring Result() { return calc->formula().Text1->Text(); }
  HWND FormulaEdit() { return calc->formula().Combo1->EditWindow(); }
  std::wstring ToolTipOf(HWND tool) {
    wchar_t text[256] = {};
    const auto id = reinterpret_cast<UINT_PTR>(tool);
    TTTOOLINFOW info{sizeof info, 0, calc->hwnd(), id, {}, nullptr, text, 0, nullptr};
    SendMessageW(calc->ToolTipWindow(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    return text;
  }
  int TextWidth(HWND control, const std::wstring& text) {
    forms::UniqueScreenDc dc(GetDC(nullptr));
    SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size;
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
};

TEST_F(CalculatorWindow, CalculateShowsTheResultAndRecordsTheFormula) {
  calc->formula().Combo1->SetText(L"1+2");
  EXPECT_TRUE(calc->formula().Command1->Enabled());
  EXPECT_TRUE(calc->menus().mnuEditCopy[0]->Enabled());
  calc->formula().Command1->Click();
  Pump();
  EXPECT_EQ(Result(), L"3");
  EXPECT_EQ(engine.Register(0), 3);
  EXPECT_EQ(calc->formula().Combo1->List(0), L"1+2");
  EXPECT_TRUE(calc->menus().mnuEditCopy[1]->Enabled());
  EXPECT_TRUE(calc->formula().Combo1->HasFocus());
  Calculate(L"&ans*2");
  EXPECT_EQ(Result(), L"6");
}

TEST_F(CalculatorWindow, AResultWiderThanItsBoxShowsItsEndAndTheWholeTextInTheToolTip) {
  HWND box = calc->formula().Text1->hwnd();
  // The last character lies wholly inside the box's text area.
  auto end_shown = [&] {
    const int last = GetWindowTextLengthW(box) - 1;
    const auto at = static_cast<DWORD>(SendMessageW(box, EM_POSFROMCHAR, last, 0));
    RECT area;
    SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    return static_cast<short>(LOWORD(at)) + TextWidth(box, L"1") <= area.right;
  };
  Calculate(L"-1/3*1e-100");
  EXPECT_EQ(Result(), L"-3.33333333333333E-101");
  EXPECT_TRUE(end_shown());
  const std::wstring wide = L"-3.33333333333333E-101 -3.33333333333333E-101 -3.33333333333333E-101";
  calc->formula().Text1->SetText(wide);
  EXPECT_TRUE(end_shown());
  EXPECT_EQ(ToolTipOf(box), wide);
  Calculate(L"1+2");
  EXPECT_EQ(ToolTipOf(box), L"計算式の値");
}

// What does not fit the live result shows shorter, never cut, and whole in the tool tip.
TEST_F(CalculatorWindow, TheLiveResultFitsItsLine) {
  HWND line = calc->formula().Label5->hwnd();
  RECT r;
  GetClientRect(line, &r);
  calc->formula().Combo1->SetText(L"mem(26, 1)");
  EXPECT_EQ(calc->formula().Label5->Caption().back(), L'…');
  EXPECT_LE(TextWidth(line, calc->formula().Label5->Caption()), r.right);
  const std::wstring full = L"-3.33333333333333E-101";
  calc->formula().Combo1->SetText(L"-1/3*1e-100");
  const std::wstring shown = calc->formula().Label5->Caption();
  EXPECT_LE(TextWidth(line, shown), r.right);
  EXPECT_EQ(shown.substr(shown.size() - 5), L"E-101") << shown;
  EXPECT_NEAR(std::wcstod(shown.c_str(), nullptr) / -3.33333333333333e-101, 1, 1e-3) << shown;
  EXPECT_EQ(ToolTipOf(line), full);
  // Wider by 200 pixels, the window has room for all of it.
  GetWindowRect(calc->hwnd(), &r);
  SetWindowPos(calc->hwnd(), nullptr, 0, 0, r.right - r.left + 200, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(calc->formula().Label5->Caption(), full);
  EXPECT_EQ(ToolTipOf(line), L"");
}

TEST_F(CalculatorWindow, AccessKeysMoveTheFocus) {
  calc->ToggleConversionPanel();
  calc->ToggleVariablesPanel();
  auto press = [&](wchar_t key) {
    HWND focus = GetFocus();
    PostMessageW(focus, WM_SYSKEYDOWN, VkKeyScanW(key) & 0xFF, 0x20000001);
    PostMessageW(focus, WM_SYSCHAR, key, 0x20000001);
    Pump();
  };
  calc->formula().Combo1->SetFocus();
  press(L'a');  // 変換後(&A)
  EXPECT_TRUE(calc->conversion().Combo4->HasFocus());
  press(L't');  // 計算式(&T)
  EXPECT_TRUE(calc->formula().Combo1->HasFocus());
  press(L'c');  // 単位変換(&C): the first control of the frame
  EXPECT_TRUE(calc->conversion().Combo2->HasFocus());
  press(L'l');  // 変数一覧(&L)
  EXPECT_TRUE(calc->variables().Text2[0]->HasFocus());
  calc->ToggleResultsPanel();
  press(L'r');  // 計算履歴(&R)
  EXPECT_TRUE(calc->results().List1->HasFocus());
  calc->formula().Combo1->SetText(L"6*7");
  press(L'g');  // 計算(&G) presses the button
  EXPECT_EQ(Result(), L"42");
}

TEST_F(CalculatorWindow, ClearEmptiesBothBoxesAndDisablesCalculate) {
  Calculate(L"1+2");
  calc->menus().mnuEditClear->on_click();
  EXPECT_EQ(calc->formula().Combo1->Text(), L"");
  EXPECT_EQ(Result(), L"");
  EXPECT_FALSE(calc->formula().Command1->Enabled());
  EXPECT_FALSE(calc->menus().mnuEditCopy[0]->Enabled());
  EXPECT_EQ(engine.Register(0), 3);
  EXPECT_EQ(calc->formula().Combo1->ListCount(), 1);
}

TEST_F(CalculatorWindow, CopyTakesTheWholeResultOrOnlyTheFormulasSelection) {
  Calculate(L"1/3");
  calc->menus().mnuEditCopy[1]->on_click();
  EXPECT_EQ(testing::ClipboardText(), L"0.333333333333333");
  EXPECT_TRUE(calc->menus().mnuEditPaste->Enabled());
  calc->formula().Combo1->SetText(L"1+2");
  SendMessageW(FormulaEdit(), EM_SETSEL, 0, 0);
  calc->menus().mnuEditCopy[0]->on_click();
  EXPECT_EQ(testing::ClipboardText(), L"0.333333333333333");
  SendMessageW(FormulaEdit(), EM_SETSEL, 0, -1);
  calc->menus().mnuEditCopy[0]->on_click();
  EXPECT_EQ(testing::ClipboardText(), L"1+2");
  calc->formula().Combo1->SetText(L"");
  calc->menus().mnuEditPaste->on_click();
  EXPECT_EQ(calc->formula().Combo1->Text(), L"1+2");
}

TEST_F(CalculatorWindow, PanelTogglesResizeTheWindowExactly) {
  const int base = ClientHeightPixels(calc->hwnd());
  calc->ToggleConversionPanel();
  EXPECT_TRUE(calc->conversion().Frame1->Visible());
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), base + Scale().Pixels(1695 + 120));
  calc->ToggleVariablesPanel();
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), Scale().Pixels(6120));
  EXPECT_EQ(calc->variables().Frame2->Top(), Scale().Twips(Scale().Pixels(1800 + 1695 + 120)));
  calc->ToggleConversionPanel();
  EXPECT_EQ(calc->variables().Frame2->Top(), Scale().Twips(Scale().Pixels(1800)));
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), Scale().Pixels(6120) - Scale().Pixels(1695 + 120));
  calc->ToggleVariablesPanel();
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), base);
  EXPECT_FALSE(calc->menus().mnuViewVariable->Checked());
  calc->ToggleResultsPanel();
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), base + Scale().Pixels(1725 + 120));
  EXPECT_EQ(calc->results().Frame3->Top(), Scale().Twips(Scale().Pixels(1800)));
}

TEST_F(CalculatorWindow, EachChangeIsSavedAtOnce) {
  using V = SettingValue;
  settings.App(u"", u"SaveFormation") = V::Boolean(true);
  Calculate(L"1+2");
  EXPECT_EQ(settings.App(u"Formation", u"00"), V::String(u"1+2"));
  EXPECT_EQ(settings.App(u"Formation", u"ListCount"), V::Long(1));
  settings.App(u"", u"SaveVariable") = V::Boolean(true);
  Calculate(L"mem(1,4242)+1/0");  // a failure too
  EXPECT_EQ(settings.App(u"Formation", u"00"), V::String(u"mem(1,4242)+1/0"));
  EXPECT_EQ(settings.App(u"Variable", u"B"), V::Double(4242));
  calc->ToggleConversionPanel();
  EXPECT_EQ(settings.App(u"", u"UnitConvert"), V::Long(-1));
  calc->conversion().Combo2->SetListIndex(5);
  EXPECT_EQ(settings.App(u"", u"Unit"), V::Long(5));
  // The end of a move, by mouse or keyboard.
  SetWindowPos(calc->hwnd(), nullptr, 90, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageW(calc->hwnd(), WM_EXITSIZEMOVE, 0, 0);
  EXPECT_EQ(settings.App(u"", u"Left"), V::Long(std::lround(90 * Scale().TwipsPerPixel())));
}

TEST_F(CalculatorWindow, TheLiveResultFollowsFormulaConversionAndVariables) {
  const auto preview = [&] { return calc->formula().Label5->Caption(); };
  calc->formula().Combo1->SetText(L"a+1");
  EXPECT_EQ(preview(), L"1");
  EXPECT_EQ(Result(), L"");
  Calculate(L"a=a+1");
  EXPECT_EQ(preview(), L"2");  // what Enter would give now
  calc->ResetVariables();
  EXPECT_EQ(preview(), L"1");
  calc->formula().Combo1->SetText(L"2");
  calc->ToggleConversionPanel();
  calc->conversion().Combo3->SetListIndex(0);  // km to m
  EXPECT_EQ(preview(), L"2000");
  calc->menus().mnuViewPreview->on_click();
  EXPECT_EQ(preview(), L"");
  EXPECT_EQ(settings.App(u"", u"Preview"), SettingValue::Long(0));  // as the store keeps it
}

// A choice of 数値の表示 shows the (converted) result and the live result again in it and is
// kept; the value boxes keep the standard text.
TEST_F(CalculatorWindow, NumberDisplayChoicesShowTheResultAgain) {
  NumberMenu& m = *calc->menus().mnuViewNumber;
  calc->ToggleVariablesPanel();
  calc->ToggleConversionPanel();
  calc->conversion().Combo3->SetListIndex(0);  // km to m
  Calculate(L"a = 1234.5");
  EXPECT_EQ(Result(), L"1234500");
  m.mnuGrouping[2]->on_click();
  EXPECT_EQ(Result(), L"123万4500");
  EXPECT_EQ(calc->formula().Label5->Caption(), L"123万4500");
  EXPECT_TRUE(m.mnuGrouping[2]->Checked() && !m.mnuGrouping[0]->Checked());
  m.mnuNotation[1]->on_click();
  m.mnuDigits[2]->on_click();
  EXPECT_EQ(Result(), L"123万4500.00");
  EXPECT_EQ(calc->variables().Text2[0]->Text(), L"1234.5");
  EXPECT_EQ(settings.App(u"", u"NumberNotation"), SettingValue::Long(1));
  EXPECT_EQ(settings.App(u"", u"NumberDigits"), SettingValue::Long(2));
}

TEST_F(CalculatorWindow, TheFormulaAndValueBoxesTypeWithoutInputMethod) {
  EXPECT_EQ(ImmGetContext(FormulaEdit()), nullptr);
  EXPECT_EQ(ImmGetContext(calc->variables().Text2[0]->hwnd()), nullptr);
  HIMC other = ImmGetContext(calc->formula().Text1->hwnd());
  EXPECT_NE(other, nullptr);
  ImmReleaseContext(calc->formula().Text1->hwnd(), other);
}

TEST_F(CalculatorWindow, VariablesPanelShowsAndScrollsTheRegisters) {
  calc->ToggleVariablesPanel();
  Calculate(L"x = 5");
  calc->variables().VScroll1->SetValue(300);
  EXPECT_EQ(calc->variables().VScroll1->Value(), 278);
  EXPECT_EQ(calc->variables().Label4[0]->Caption(), L"V");
  EXPECT_EQ(calc->variables().Text2[2]->Text(), L"5");  // V W X
  SendMessageW(calc->variables().Frame2->hwnd(), WM_VSCROLL, SB_LINEUP,
               reinterpret_cast<LPARAM>(calc->variables().VScroll1->hwnd()));
  EXPECT_EQ(calc->variables().Label4[0]->Caption(), L"U");
  Calculate(L"mem(0, 5) + mem(20, 7) + 1/0");
  EXPECT_EQ(calc->variables().Text2[0]->Text(), L"7");  // u, shown after a failure too
  calc->variables().VScroll1->SetValue(257);
  EXPECT_EQ(calc->variables().Text2[0]->Text(), L"5");
  calc->menus().mnuEditVarCls->on_click();
  EXPECT_EQ(calc->variables().Text2[0]->Text(), L"0");
  EXPECT_EQ(engine.Register(24), 0);
  Calculate(L"&ans");  // &ans, 5 since 'x = 5', survives the reset
  EXPECT_EQ(Result(), L"5");
}

TEST_F(CalculatorWindow, ValueBoxesValidateWhenTheFocusLeaves) {
  calc->ToggleVariablesPanel();
  forms::TextBox& a = *calc->variables().Text2[0];
  forms::TextBox& b = *calc->variables().Text2[1];
  a.SetFocus();
  Pump();
  a.SetText(L"abc");
  b.SetFocus();
  Pump();
  EXPECT_TRUE(a.HasFocus());  // the focus came back: not a number
  EXPECT_EQ(engine.Register(1), 0);
  // A click on Calculate meanwhile calculates nothing.
  calc->formula().Combo1->SetText(L"7");
  calc->formula().Command1->SetFocus();
  calc->formula().Command1->Click();
  Pump();
  EXPECT_TRUE(a.HasFocus());
  EXPECT_EQ(Result(), L"");
  a.SetText(L"1e3");
  b.SetFocus();
  Pump();
  EXPECT_TRUE(b.HasFocus());
  EXPECT_EQ(engine.Register(1), 1000);
  EXPECT_EQ(a.Text(), L"1e3");  // the user's spelling stays until the next refresh
}

}  // namespace
}  // namespace tly
