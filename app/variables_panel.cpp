#include "variables_panel.h"

#include <imm.h>

#include <string>

#include "calculate_command.h"
#include "forms/services.h"
#include "number_text.h"
#include "registers.h"
#include "text.h"

namespace tly {
namespace {

constexpr int kVariablesHelp = 7;
constexpr int kRowHeight = 360;
// The top row shows a ... v, so that the last row reaches z.
constexpr int kLastTopRow = code::kLastLetterRegister - (VariablesPanel::kRows - 1);

std::size_t At(int row) { return static_cast<std::size_t>(row); }

}  // namespace

VariablesPanel::VariablesPanel(forms::Form& form, const bool* shown, Tly& engine,
                               forms::Control& leave_to)
    : Panel(2295, shown), engine_(engine), leave_to_(leave_to) {
  using E = Edge;
  Frame2 = Add<forms::Frame>(E::kWidens, form, {240, 0, 3615, DesignHeight()}, L"変数一覧(&L)");
  Frame2->SetHelpContext(kVariablesHelp);
  forms::Frame& f = *Frame2;
  for (int i = 0; i < kRows; ++i) {
    Label4[At(i)] = Add<forms::Label>(E::kStays, f, {120, 405.0 + kRowHeight * i, 375, 255},
                                      std::to_wstring(i + 1));
    auto& box = Text2[At(i)];
    box = Add<forms::TextBox>(E::kWidens, f, {600, 360.0 + kRowHeight * i, 2415, 270});
    box->SetToolTip(L"倍精度実数");
    forms::TextBox* raw = box.get();
    box->on_got_focus = [raw] { raw->SelectAll(); };
    box->keys.on_key_press = [](wchar_t c) {
      if (VariableKeyAllowed(c, forms::LocaleDecimalSeparator())) return true;
      forms::Beep(MB_OK);
      return false;
    };
    box->on_validate = [this, i](bool& cancel) { Validate(i, cancel); };
  }
  VScroll1 = Add<forms::VScrollBar>(E::kMovesRight, f, {3120, 360, 255, 1695});
  VScroll1->large_change = kRows;
  VScroll1->on_change = [this] { Refresh(); };
  VScroll1->on_scroll = [this] { Refresh(); };
  // Values are typed as plain characters, with no input method.
  for (auto& box : Text2) ImmAssociateContextEx(box->hwnd(), nullptr, 0);
}

double VariablesPanel::Place(double top) { return PlaceFrame(*Frame2, top); }

void VariablesPanel::SetUpScrollBar() {
  VScroll1->SetRange(code::kFirstLetterRegister, kLastTopRow);
  VScroll1->SetPage(kRows);
}

void VariablesPanel::Refresh() {
  const char separator = forms::LocaleDecimalSeparator();
  for (int i = 0; i < kRows; ++i) {
    const int number = VScroll1->Value() + i;
    Label4[At(i)]->SetCaption(std::wstring(1, LetterOfRegister(number)));
    const std::string text = FormatResult(engine_.Register(RegisterIndex(number)), separator);
    Text2[At(i)]->SetText(ToWide(WidenAscii(text)));
  }
  rejected_row_ = -1;
}

void VariablesPanel::Validate(int row, bool& cancel) {
  const auto value = forms::ParseLocaleNumber(Text2[At(row)]->Text());
  if (!value) {
    cancel = true;
    rejected_row_ = row;
    forms::Beep(MB_OK);
    return;
  }
  if (rejected_row_ == row) rejected_row_ = -1;
  const int index = RegisterIndex(VScroll1->Value() + row);
  if (engine_.Register(index) == *value) return;
  engine_.SetRegister(index, *value);
  if (on_register_set) on_register_set();
}

bool VariablesPanel::CommitBeingEdited() {
  const HWND focus = GetFocus();
  for (int row = 0; row < kRows; ++row) {
    if (Text2[At(row)]->hwnd() != focus) continue;
    bool cancel = false;
    Validate(row, cancel);
    if (cancel) return false;
    // Leaving the box validates it again, to the same value.
    leave_to_.SetFocus();
  }
  // A click on the button took the focus from a box that is taking it back.
  return rejected_row_ < 0;
}

bool VariablesPanel::Wheel(POINT at, int delta) {
  RECT panel;
  GetWindowRect(Frame2->hwnd(), &panel);
  if (!Frame2->Visible() || !PtInRect(&panel, at)) return false;
  wheel_delta_ += delta;
  const int notches = wheel_delta_ / WHEEL_DELTA;
  wheel_delta_ -= notches * WHEEL_DELTA;
  // As the arrows do: a value box being edited is committed first.
  if (notches != 0 && CommitBeingEdited()) VScroll1->SetValue(VScroll1->Value() - notches);
  return true;
}

}  // namespace tly
