#include "screen_reader.h"

#include "text.h"

namespace tly {
namespace {

// `target` takes the spoken caption of `label`, read each time it is asked for.
void NameAfter(HWND target, const forms::Control& label) {
  if (target != nullptr)
    SetAccessibleName(target, [&label] { return SpokenCaption(label.AccessKeyCaption()); });
}

}  // namespace

ScreenReader::ScreenReader(FormulaPanel& f, ConversionPanel& c, VariablesPanel& v)
    : announcer_(f.Text1->hwnd()) {
  NameAfter(f.Combo1->hwnd(), *f.Label1[0]);
  NameAfter(f.Combo1->EditWindow(), *f.Label1[0]);
  NameAfter(f.Text1->hwnd(), *f.Label1[1]);
  NameAfter(f.Command1->hwnd(), *f.Command1);
  // The live result's text is its value, read when the reader moves onto it.
  SetAccessibleName(
      f.Label5->hwnd(), [] { return std::wstring(L"入力中の結果"); }, true);
  NameAfter(c.Combo2->hwnd(), *c.Frame1);
  NameAfter(c.Combo3->hwnd(), *c.Label2);
  NameAfter(c.Combo4->hwnd(), *c.Label3);
  for (std::size_t i = 0; i < v.Text2.size(); ++i) {
    // The row's letter follows the scroll bar.
    const forms::Label& letter = *v.Label4[i];
    SetAccessibleName(v.Text2[i]->hwnd(), [&letter] { return L"変数 " + letter.Caption(); });
  }
  NameAfter(v.VScroll1->hwnd(), *v.Frame2);
}

void ScreenReader::Outcome(std::u16string_view text) {
  outcome_ = ToWide(text);
  place_.reset();
}

void ScreenReader::Place(int begin) { place_ = begin; }

void ScreenReader::Announce() {
  spoken_ = SpokenOutcome(outcome_, place_);
  announcer_.Announce(spoken_);
}

void NameAfterCaptions(const forms::Form& form) {
  const forms::Label* label = nullptr;
  for (const forms::Control* c : form.Controls()) {
    if (const auto* l = dynamic_cast<const forms::Label*>(c)) {
      label = l;
    } else if (dynamic_cast<const forms::CheckBox*>(c) || dynamic_cast<const forms::Button*>(c)) {
      NameAfter(c->hwnd(), *c);
    } else if (label != nullptr &&
               (dynamic_cast<const forms::TextBox*>(c) || dynamic_cast<const forms::ComboBox*>(c) ||
                dynamic_cast<const forms::HotKeyBox*>(c))) {
      NameAfter(c->hwnd(), *label);
      label = nullptr;
    }
  }
}

std::wstring SpokenOutcome(std::wstring_view text, std::optional<int> place) {
  std::wstring spoken(text);
  if (place) spoken.append(L" ").append(std::to_wstring(*place + 1)).append(L"文字目");
  return spoken;
}

}  // namespace tly
