// What screen readers get from the main window: the controls' names and one announcement per
// calculation, under Wine through the live-region fallback.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include "option_form.h"
#include "window_test_support.h"

namespace tly {
namespace {

using testing::Pump;

// The name, or with `value` the value, a screen reader reads for `hwnd`.
std::wstring AccessibleName(HWND hwnd, bool value = false) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&object))))
    return L"(no object)";
  VARIANT self;
  VariantInit(&self);
  V_VT(&self) = VT_I4;
  V_I4(&self) = CHILDID_SELF;
  BSTR name = nullptr;
  const HRESULT read = value ? object->get_accValue(self, &name) : object->get_accName(self, &name);
  std::wstring out = SUCCEEDED(read) && name ? name : L"(none)";
  SysFreeString(name);
  object->Release();
  return out;
}

int live_region_changes = 0;
void CALLBACK CountLiveRegionChange(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  ++live_region_changes;
}

class ScreenReaderTest : public testing::WindowTest {
 protected:
  void SetUp() override { com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override {
    WindowTest::TearDown();
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  HRESULT com_ = E_FAIL;
};

TEST_F(ScreenReaderTest, EveryControlIsNamedAfterItsLabel) {
  Start();
  const FormulaPanel& f = calc->formula();
  const ConversionPanel& c = calc->conversion();
  VariablesPanel& v = calc->variables();
  const struct {
    HWND hwnd;
    std::wstring name;
  } cases[] = {
      {f.Combo1->hwnd(), L"計算式"},       {f.Combo1->EditWindow(), L"計算式"},
      {f.Text1->hwnd(), L"計算結果"},      {f.Command1->hwnd(), L"計算"},
      {f.Label5->hwnd(), L"入力中の結果"}, {c.Combo2->hwnd(), L"単位変換"},
      {c.Combo3->hwnd(), L"変換前"},       {c.Combo4->hwnd(), L"変換後"},
      {v.Text2[0]->hwnd(), L"変数 A"},     {v.Text2[4]->hwnd(), L"変数 E"},
      {v.VScroll1->hwnd(), L"変数一覧"},
  };
  for (const auto& k : cases) EXPECT_EQ(AccessibleName(k.hwnd), k.name);
  calc->formula().Combo1->SetText(L"1+2");
  EXPECT_EQ(AccessibleName(f.Label5->hwnd(), true), L"3");  // the live result as its value
  v.VScroll1->SetValue(260);  // the rows follow the scroll bar: d to h
  EXPECT_EQ(AccessibleName(v.Text2[0]->hwnd()), L"変数 D");
  OptionForm options(*calc);
  options.Load();
  const std::pair<const forms::Control*, std::wstring> dialog[] = {
      {options.Check1.get(), L"タスクトレイに常駐"},
      {options.Check3.get(), L"[閉じる]ボタンで最小化"},
      {options.HotKey1.get(), L"呼び出しキー"},
      {options.Command2.get(), L"キャンセル"}};
  for (const auto& [control, name] : dialog) EXPECT_EQ(AccessibleName(control->hwnd()), name);
}

TEST_F(ScreenReaderTest, EachCalculationIsAnnouncedOnceAndTypingNever) {
  Start();
  HWINEVENTHOOK hook =
      SetWinEventHook(0x8019, 0x8019, nullptr, CountLiveRegionChange, GetCurrentProcessId(), 0,
                      WINEVENT_OUTOFCONTEXT);  // EVENT_OBJECT_LIVEREGIONCHANGED
  ASSERT_NE(hook, nullptr);
  live_region_changes = 0;
  FormulaPanel& f = calc->formula();
  for (const wchar_t* typed : {L"1", L"1+", L"1+2"}) f.Combo1->SetText(typed);  // preview on
  Pump();
  EXPECT_EQ(live_region_changes, 0);
  const struct {
    const wchar_t* formula;
    std::wstring spoken;
  } cases[] = {
      {L"1+2", L"3"},
      {L"1+2", L"3"},  // the same result again is spoken again
      {L"1+*2", L"文法が違います。 3文字目"},
      {L"1+1/0", L"0 で除算しました。 4文字目"},
  };
  int calculations = 0;
  for (const auto& k : cases) {
    f.Combo1->SetText(k.formula);
    f.Command1->Click();
    Pump();
    EXPECT_EQ(live_region_changes, ++calculations) << k.formula;
    EXPECT_EQ(calc->screen_reader().LastSpoken(), k.spoken);
    EXPECT_EQ(k.spoken.rfind(f.Text1->Text(), 0), 0u);  // the box shows what is spoken
  }
  UnhookWinEvent(hook);
}

}  // namespace
}  // namespace tly
