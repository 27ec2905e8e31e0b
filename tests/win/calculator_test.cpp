#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "calculator.h"
#include "forms/services.h"
#include "memory_settings.h"
#include "window_test_support.h"

namespace tly {
namespace {

using forms::PixelsX;
using forms::PixelsY;
using testing::ClientHeightPixels;
using testing::Pump;
using testing::WindowText;

class CalculatorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    calc = std::make_unique<Calculator>(
        engine, nullptr, [this] { return std::make_unique<testing::SharedSettings>(settings); });
    calc->Load();
    calc->Show();
    SetForegroundWindow(calc->hwnd());
    Pump();
  }
  void TearDown() override {
    if (calc->IsLoaded()) calc->Unload(forms::kCodeUnload);
    Pump();
  }

  void Calculate(const wchar_t* formula) {
    calc->Combo1->SetText(formula);
    calc->Command1->Click();
    Pump();
  }
  std::wstring Result() { return calc->Text1->Text(); }
  HWND FormulaEdit() { return calc->Combo1->EditWindow(); }

  testing::MemorySettings settings;
  Tly engine;
  std::unique_ptr<Calculator> calc;
};

TEST_F(CalculatorWindow, StartsWithBothPanelsHiddenAndTheCommandsDisabled) {
  EXPECT_EQ(WindowText(calc->hwnd()), L"Tallyra");
  // 6120 - (1695 + 120) - (2295 + 120) twips
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), PixelsY(1890));
  EXPECT_FALSE(calc->Frame1->Visible());
  EXPECT_FALSE(calc->Frame2->Visible());
  EXPECT_FALSE(calc->Command1->Enabled());
  EXPECT_FALSE(calc->mnuEditCopy[0]->Enabled());
  EXPECT_FALSE(calc->mnuEditCopy[1]->Enabled());
  EXPECT_EQ(calc->mnuEditPaste->Enabled(), forms::ClipboardHasText());
  EXPECT_FALSE(calc->mnuViewConvert->Checked());
  EXPECT_FALSE(calc->Picture1->Visible());
  EXPECT_EQ(calc->Combo2->ListCount(), 14);
  EXPECT_EQ(calc->Combo2->ListIndex(), 1);
  EXPECT_EQ(calc->Combo2->List(1), L"長さ");
  EXPECT_EQ(calc->Combo3->ListCount(), 35);
  EXPECT_EQ(calc->Combo3->List(calc->Combo3->ListIndex()), L"m");
  EXPECT_EQ(calc->Combo4->ListIndex(), calc->Combo3->ListIndex());
  EXPECT_EQ(calc->VScroll1->Min(), 257);
  EXPECT_EQ(calc->VScroll1->Max(), 278);
  EXPECT_EQ(calc->VScroll1->Value(), 257);
  EXPECT_EQ(calc->Label4[0]->Caption(), L"A");
  EXPECT_EQ(calc->Text2[4]->Text(), L"0");
}

TEST_F(CalculatorWindow, ControlsSitAtTheirDesignedPlaces) {
  struct Place {
    forms::Control* control;
    double left, top, width;
  };
  for (Place p :
       {Place{calc->Combo1.get(), 1200, 240, 2655}, Place{calc->Text1.get(), 1200, 600, 2415},
        Place{calc->Command1.get(), 2520, 1320, 1335},
        Place{calc->Frame1.get(), 240, 1800, 3615}}) {
    RECT r;
    GetWindowRect(p.control->hwnd(), &r);
    MapWindowPoints(nullptr, calc->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, PixelsX(p.left));
    EXPECT_EQ(r.top, PixelsY(p.top));
    EXPECT_EQ(r.right - r.left, PixelsX(p.width));
  }
  RECT combo;
  GetWindowRect(calc->Combo1->hwnd(), &combo);
  EXPECT_EQ(combo.bottom - combo.top, PixelsY(300));
  RECT button;
  GetWindowRect(calc->Command1->hwnd(), &button);
  EXPECT_EQ(button.bottom - button.top, PixelsY(330));
  RECT client;
  GetClientRect(calc->hwnd(), &client);
  EXPECT_EQ(client.right, PixelsX(4080));
}

TEST_F(CalculatorWindow, HelpContextsAndTheInterfaceFont) {
  EXPECT_EQ(GetWindowContextHelpId(calc->Combo1->hwnd()), 3u);
  EXPECT_EQ(GetWindowContextHelpId(calc->Frame1->hwnd()), 6u);
  EXPECT_EQ(GetWindowContextHelpId(calc->Frame2->hwnd()), 7u);
  auto font = reinterpret_cast<HFONT>(SendMessageW(calc->Combo1->hwnd(), WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
  EXPECT_STREQ(lf.lfFaceName, L"MS UI Gothic");
}

TEST_F(CalculatorWindow, CalculateShowsTheResultAndRecordsTheFormula) {
  calc->Combo1->SetText(L"1+2");
  EXPECT_TRUE(calc->Command1->Enabled());
  EXPECT_TRUE(calc->mnuEditCopy[0]->Enabled());
  calc->Command1->Click();
  Pump();
  EXPECT_EQ(Result(), L"3");
  EXPECT_EQ(engine.Register(0), 3);
  EXPECT_EQ(calc->Combo1->List(0), L"1+2");
  EXPECT_TRUE(calc->mnuEditCopy[1]->Enabled());
  EXPECT_TRUE(calc->Combo1->HasFocus());
  Calculate(L"&ans*2");
  EXPECT_EQ(Result(), L"6");
  Calculate(L"1+2");
  EXPECT_EQ(calc->Combo1->ListCount(), 2);
  EXPECT_EQ(calc->Combo1->List(0), L"1+2");
  EXPECT_EQ(calc->Combo1->Text(), L"1+2");
}

TEST_F(CalculatorWindow, EnterPressesTheCalculateButton) {
  calc->Combo1->SetFocus();
  calc->Combo1->SetText(L"2^10");
  PostMessageW(FormulaEdit(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(FormulaEdit(), WM_KEYUP, VK_RETURN, 0xC01C0001);
  Pump();
  EXPECT_EQ(Result(), L"1024");
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
  calc->Combo1->SetFocus();
  press(L'b');  // 変換前(&B): the unit of the formula
  EXPECT_TRUE(calc->Combo3->HasFocus());
  press(L'a');  // 変換後(&A)
  EXPECT_TRUE(calc->Combo4->HasFocus());
  press(L't');  // 計算式(&T)
  EXPECT_TRUE(calc->Combo1->HasFocus());
  press(L'c');  // 単位変換(&C): the first control of the frame
  EXPECT_TRUE(calc->Combo2->HasFocus());
  press(L'l');  // 変数一覧(&L)
  EXPECT_TRUE(calc->Text2[0]->HasFocus());
  calc->Combo1->SetText(L"6*7");
  press(L'g');  // 計算(&G) presses the button
  EXPECT_EQ(Result(), L"42");
}

TEST_F(CalculatorWindow, ErrorsShowTheirMessageAndDisableCopyResult) {
  Calculate(L"7");
  struct Case {
    const wchar_t* formula;
    const wchar_t* message;
  };
  for (Case c : {Case{L"1+", L"文法が違います。"}, Case{L"(1", L"左右の括弧が違います。"},
                 Case{L"&sum", L"現在サポートしていません。"}, Case{L"1/0", L"0 で除算しました。"},
                 Case{L"fact(2.5)", L"引数の型が違います。"}}) {
    Calculate(c.formula);
    EXPECT_EQ(Result(), c.message) << c.formula;
    EXPECT_FALSE(calc->mnuEditCopy[1]->Enabled());
    EXPECT_EQ(calc->Combo1->List(0), c.formula);
  }
  EXPECT_EQ(engine.Register(0), 7);
}

TEST_F(CalculatorWindow, TheFormulaBoxDiscardsCharactersOutsideItsSet) {
  calc->Combo1->SetFocus();
  for (wchar_t c : {L'5', L'\u3042', L'\x01', L'+', L'\uFF11', L'2'})
    SendMessageW(FormulaEdit(), WM_CHAR, c, 1);
  EXPECT_EQ(calc->Combo1->Text(), L"5+2");
  // Pasted text is not filtered; it fails when computed.
  testing::SetClipboardText(L"\u3042");
  calc->mnuEditPaste->on_click();
  EXPECT_EQ(calc->Combo1->Text(), L"5+2\u3042");
}

TEST_F(CalculatorWindow, ClearEmptiesBothBoxesAndDisablesCalculate) {
  Calculate(L"1+2");
  calc->mnuEditClear->on_click();
  EXPECT_EQ(calc->Combo1->Text(), L"");
  EXPECT_EQ(Result(), L"");
  EXPECT_FALSE(calc->Command1->Enabled());
  EXPECT_FALSE(calc->mnuEditCopy[0]->Enabled());
  EXPECT_EQ(engine.Register(0), 3);
  EXPECT_EQ(calc->Combo1->ListCount(), 1);
}

TEST_F(CalculatorWindow, CopyResultPutsTheWholeResultOnTheClipboard) {
  Calculate(L"1/3");
  calc->mnuEditCopy[1]->on_click();
  EXPECT_EQ(testing::ClipboardText(), L"0.333333333333333");
  EXPECT_TRUE(calc->mnuEditPaste->Enabled());
  calc->Combo1->SetText(L"");
  calc->mnuEditPaste->on_click();
  EXPECT_EQ(calc->Combo1->Text(), L"0.333333333333333");
}

TEST_F(CalculatorWindow, CopyFormulaCopiesOnlyTheSelection) {
  testing::SetClipboardText(L"before");
  calc->Combo1->SetText(L"1+2");
  SendMessageW(FormulaEdit(), EM_SETSEL, 0, 0);
  calc->mnuEditCopy[0]->on_click();
  EXPECT_EQ(testing::ClipboardText(), L"before");
  EXPECT_TRUE(calc->mnuEditPaste->Enabled());
  SendMessageW(FormulaEdit(), EM_SETSEL, 0, -1);
  calc->mnuEditCopy[0]->on_click();
  EXPECT_EQ(testing::ClipboardText(), L"1+2");
}

TEST_F(CalculatorWindow, PanelTogglesResizeTheWindowExactly) {
  const int base = ClientHeightPixels(calc->hwnd());
  calc->ToggleConversionPanel();
  EXPECT_TRUE(calc->Frame1->Visible());
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), base + PixelsY(1695 + 120));
  calc->ToggleVariablesPanel();
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), PixelsY(6120));
  EXPECT_EQ(calc->Frame2->Top(), forms::TwipsY(PixelsY(1800 + 1695 + 120)));
  calc->ToggleConversionPanel();
  EXPECT_EQ(calc->Frame2->Top(), forms::TwipsY(PixelsY(1800)));
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), PixelsY(6120) - PixelsY(1695 + 120));
  calc->ToggleVariablesPanel();
  EXPECT_EQ(ClientHeightPixels(calc->hwnd()), base);
  EXPECT_FALSE(calc->mnuViewVariable->Checked());
}

TEST_F(CalculatorWindow, EachChangeIsSavedAtOnce) {
  using V = SettingValue;
  settings.App(u"", u"SaveFormation") = V::Boolean(true);
  Calculate(L"1+2");
  EXPECT_EQ(settings.App(u"Formation", u"00"), V::String(u"1+2"));
  EXPECT_EQ(settings.App(u"Formation", u"ListCount"), V::Long(1));
  calc->ToggleConversionPanel();
  EXPECT_EQ(settings.App(u"", u"UnitConvert"), V::Long(-1));
  calc->Combo2->SetListIndex(5);
  EXPECT_EQ(settings.App(u"", u"Unit"), V::Long(5));
  // The end of a move, by mouse or keyboard.
  SetWindowPos(calc->hwnd(), nullptr, 90, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageW(calc->hwnd(), WM_EXITSIZEMOVE, 0, 0);
  EXPECT_EQ(settings.App(u"", u"Left"), V::Long(std::lround(90 * forms::TwipsPerPixelX())));
}

TEST_F(CalculatorWindow, ConversionPanelConvertsEveryResult) {
  calc->ToggleConversionPanel();
  calc->Combo3->SetListIndex(0);  // km
  Calculate(L"2");
  EXPECT_EQ(Result(), L"2000");
  EXPECT_EQ(engine.Register(0), 2000);
  calc->Combo2->SetListIndex(5);  // time
  EXPECT_EQ(calc->Combo3->ListCount(), 22);
  EXPECT_EQ(calc->Combo3->List(calc->Combo3->ListIndex()), L"秒 s");
  EXPECT_EQ(calc->Combo4->ListIndex(), 17);
  Calculate(L"42");
  EXPECT_EQ(Result(), L"42");
  calc->ToggleConversionPanel();
  calc->Combo2->SetListIndex(1);
  calc->Combo3->SetListIndex(0);
  Calculate(L"3");
  EXPECT_EQ(Result(), L"3");  // conversion is off with the panel
}

TEST_F(CalculatorWindow, VariablesPanelShowsAndScrollsTheRegisters) {
  calc->ToggleVariablesPanel();
  Calculate(L"x = 5");
  calc->VScroll1->SetValue(300);
  EXPECT_EQ(calc->VScroll1->Value(), 278);
  EXPECT_EQ(calc->Label4[0]->Caption(), L"V");
  EXPECT_EQ(calc->Label4[4]->Caption(), L"Z");
  EXPECT_EQ(calc->Text2[2]->Text(), L"5");  // V W X
  SendMessageW(calc->Frame2->hwnd(), WM_VSCROLL, SB_LINEUP,
               reinterpret_cast<LPARAM>(calc->VScroll1->hwnd()));
  EXPECT_EQ(calc->Label4[0]->Caption(), L"U");
  Calculate(L"mem(0, 5) + 1/0");
  calc->VScroll1->SetValue(257);
  EXPECT_EQ(calc->Text2[0]->Text(), L"5");
  calc->mnuEditVarCls->on_click();
  EXPECT_EQ(calc->Text2[0]->Text(), L"0");
  EXPECT_EQ(engine.Register(24), 0);
  Calculate(L"&ans");  // &ans, 5 since 'x = 5', survives the reset
  EXPECT_EQ(Result(), L"5");
}

TEST_F(CalculatorWindow, ValueBoxesValidateWhenTheFocusLeaves) {
  calc->ToggleVariablesPanel();
  forms::TextBox& a = *calc->Text2[0];
  forms::TextBox& b = *calc->Text2[1];
  a.SetFocus();
  Pump();
  a.SetText(L"abc");
  b.SetFocus();
  Pump();
  EXPECT_TRUE(a.HasFocus());  // the focus came back: not a number
  EXPECT_EQ(engine.Register(1), 0);
  EXPECT_EQ(a.Text(), L"abc");
  a.SetText(L"");
  b.SetFocus();
  Pump();
  EXPECT_TRUE(a.HasFocus());
  // A click on Calculate meanwhile calculates nothing.
  calc->Combo1->SetText(L"7");
  calc->Command1->SetFocus();
  calc->Command1->Click();
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

TEST_F(CalculatorWindow, ValueBoxesTakeOnlyNumberCharacters) {
  calc->ToggleVariablesPanel();
  calc->Text2[0]->SetFocus();
  calc->Text2[0]->SetText(L"");
  for (wchar_t c : {L'1', L'x', L'.', L'5', L'E', L',', L'-', L'2'})
    SendMessageW(calc->Text2[0]->hwnd(), WM_CHAR, c, 1);
  EXPECT_EQ(calc->Text2[0]->Text(), L"1.5E-2");
}

TEST_F(CalculatorWindow, MenuTreeCaptions) {
  HMENU bar = GetMenu(calc->hwnd());
  ASSERT_NE(bar, nullptr);
  const wchar_t* top[] = {L"ファイル(&F)", L"編集(&E)", L"表示(&V)", L"ヘルプ(&H)"};
  ASSERT_EQ(GetMenuItemCount(bar), 4);
  for (int i = 0; i < 4; ++i) {
    wchar_t text[64];
    GetMenuStringW(bar, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, top[i]);
  }
  EXPECT_EQ(calc->mnuFileEnd->Caption(), L"Tallyraの終了(&X)");
  EXPECT_EQ(calc->mnuEditVarCls->Caption(), L"変数の初期化(&I)");
  EXPECT_EQ(calc->mnuViewOption->Caption(), L"オプション(&O)...");
  EXPECT_EQ(calc->mnuHelpWebpage->Caption(), L"Quessel Works Webページ(&W)");
  EXPECT_EQ(calc->mnuHelpAbout->Caption(), L"バージョン情報(&A)...");
  EXPECT_EQ(calc->mnuTaskReturn->Caption(), L"元のサイズに戻す(&R)");
  EXPECT_EQ(GetMenuDefaultItem(calc->mnuTask, FALSE, 0), calc->mnuTaskReturn->id());
}

TEST_F(CalculatorWindow, ExitUnloadsTheWindow) {
  calc->mnuFileEnd->on_click();
  Pump();
  EXPECT_FALSE(calc->IsLoaded());
}

}  // namespace
}  // namespace tly
