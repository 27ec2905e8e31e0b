#include "formula_panel.h"

#include <imm.h>

#include "forms/color_scheme.h"
#include "forms/services.h"
#include "text.h"

namespace tly {
namespace {

using forms::TwipRect;

constexpr int kFormulaHelp = 3;

// The live result: one line of grey text, which never takes an access key from an "&" in it.
class PreviewLabel : public forms::Label {
 public:
  PreviewLabel(forms::Container& c, const TwipRect& r) : Label(c, r, L"") {
    SetWindowLongW(hwnd(), GWL_STYLE,
                   GetWindowLongW(hwnd(), GWL_STYLE) | SS_NOPREFIX | SS_LEFTNOWORDWRAP);
  }
  bool TakesAccessKey() const override { return false; }
  std::optional<LRESULT> OnColor(HDC dc) override {
    SetBkColor(dc, forms::SchemeColor(COLOR_BTNFACE));
    SetTextColor(dc, forms::SchemeColor(COLOR_GRAYTEXT));
    return reinterpret_cast<LRESULT>(forms::SchemeBrush(COLOR_BTNFACE));
  }
};

}  // namespace

// Below the button, the room the panel keeps before the panel under it.
FormulaPanel::FormulaPanel(forms::Form& f, double width) : Panel(1680, nullptr) {
  using E = Edge;
  using forms::ComboBox;
  // In tab order.
  Label1[0] = Add<forms::Label>(E::kStays, f, {240, 285, 855, 255}, L"計算式(&T)");
  Combo1 = Add<ComboBox>(E::kWidens, f, {1200, 240, 2655, 300}, ComboBox::Style::kEditable);
  Combo1->SetToolTip(L"式の入力と履歴");
  Combo1->SetHelpContext(kFormulaHelp);
  Label1[1] = Add<forms::Label>(E::kStays, f, {240, 645, 855, 255}, L"計算結果");
  // The result box reaches the formula box's right edge; a result wider still shows its end.
  Text1 = Add<forms::TextBox>(E::kWidens, f, {1200, 600, 2655, 270}, true);
  Text1->ShowEndOfLongText(L"計算式の値");
  Picture1 = Add<forms::PictureBox>(E::kStays, f, {240, 1320, 255, 255});
  Command1 = Add<forms::Button>(E::kMovesRight, f, {2520, 1320, 1335, 330}, L"計算(&G)",
                                forms::Button::Role::kDefault);
  Command1->SetToolTip(L"計算の実行");
  f.SetDefaultButton(Command1.get());
  Label5 = Add<PreviewLabel>(E::kWidens, f, {240, 1365, 2160, 255});
  // Keys typed into the formula box reach it as plain characters: the input method stays off
  // while the box has the focus, and other windows keep theirs.
  ImmAssociateContextEx(Combo1->EditWindow(), nullptr, 0);
  // Etched separators: a shadow line and a highlight line one pixel below it, under the menu
  // bar and above the button.
  for (double y : {0.0, 1080.0}) {
    f.AddLine({0, y, width, y, COLOR_BTNSHADOW});
    f.AddLine({0, y, width, y, COLOR_BTNHIGHLIGHT, 1});
  }
}

double FormulaPanel::Place(double top) { return top + DesignHeight(); }

void FormulaPanel::SetHistory(const std::vector<std::u16string>& entries) {
  // Items come and go one by one: resetting the list would clear the box's text too.
  for (int i = Combo1->ListCount(); i > 0; --i) Combo1->RemoveItem(i - 1);
  for (const std::u16string& entry : entries) Combo1->AddItem(ToWide(entry));
}

void FormulaPanel::SetFormula(std::u16string_view formula) {
  Combo1->SetText(ToWide(formula));
  const auto end = static_cast<int>(formula.size());
  SelectFormula(end, end);
}

void FormulaPanel::SelectFormula(int begin, int end) {
  SendMessageW(Combo1->hwnd(), CB_SETEDITSEL, 0, MAKELPARAM(begin, end));
}

void FormulaPanel::ShowOutcome(std::u16string_view text) {
  Text1->SetText(ToWide(text));
  Combo1->SetFocus();
}

void FormulaPanel::ShowPreview(const PreviewLine& line) {
  const std::wstring text = ToWide(line.shown);
  if (Label5->Caption() != text) Label5->SetCaption(text);
  const std::wstring tip = line.shown != line.full ? ToWide(line.full) : std::wstring();
  if (tip != preview_tip_) {
    preview_tip_ = tip;
    Label5->SetToolTip(tip);
  }
}

int FormulaPanel::PreviewRoom() const {
  RECT room;
  GetClientRect(Label5->hwnd(), &room);
  return room.right;
}

int FormulaPanel::PreviewTextWidth(std::u16string_view text) const {
  return forms::TextWidthIn(Label5->hwnd(), ToWide(text));
}

}  // namespace tly
