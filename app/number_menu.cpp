#include "number_menu.h"

#include <algorithm>
#include <string>

namespace tly {
namespace {

// Marks `chosen` of `items`, which are one run of ids in `menu`, with a radio mark.
template <std::size_t N>
void MarkOne(HMENU menu, const std::array<forms::MenuItem*, N>& items, std::size_t chosen) {
  CheckMenuRadioItem(menu, items.front()->id(), items.back()->id(), items[chosen]->id(),
                     MF_BYCOMMAND);
}

bool UsesDigits(Notation n) { return n != Notation::kStandard; }
int LeastDigits(Notation n) { return n == Notation::kFixed ? 0 : 1; }

}  // namespace

NumberMenu::NumberMenu(forms::Form& f, HMENU parent) {
  menu_ = f.AddMenu(parent, L"数値の表示(&N)");
  AddChoices(f, menu_, mnuNotation, {L"標準(&S)", L"固定小数点(&F)", L"指数(&E)", L"工学(&G)"},
             [](NumberFormat& next, std::size_t i) {
               next.notation = static_cast<Notation>(i);
               next.digits = std::max(next.digits, LeastDigits(next.notation));
             });
  digits_menu_ = f.AddMenu(menu_, L"桁数(&K)");
  std::array<std::wstring, kDigitChoices> digits;
  for (std::size_t d = 0; d < digits.size(); ++d)
    digits[d] = d < 10 ? L"&" + std::to_wstring(d) : std::to_wstring(d);
  AddChoices(f, digits_menu_, mnuDigits, digits,
             [](NumberFormat& next, std::size_t d) { next.digits = static_cast<int>(d); });
  f.AddMenuSeparator(menu_);
  AddChoices(f, menu_, mnuGrouping, {L"区切りなし(&N)", L"3桁ごと(&3)", L"万・億・兆(&J)"},
             [](NumberFormat& next, std::size_t i) { next.grouping = static_cast<Grouping>(i); });
  f.AddMenuSeparator(menu_);
  AddChoices(f, menu_, mnuBase, {L"10進(&D)", L"16進(&H)", L"8進(&O)", L"2進(&B)"},
             [](NumberFormat& next, std::size_t i) { next.base = static_cast<NumberBase>(i); });
  Reflect(format_);
}

void NumberMenu::Choose(NumberFormat format) {
  Reflect(format);
  if (on_change) on_change(format_);
}

void NumberMenu::Reflect(const NumberFormat& format) {
  format_ = format;
  MarkOne(menu_, mnuNotation, static_cast<std::size_t>(format.notation));
  MarkOne(menu_, mnuGrouping, static_cast<std::size_t>(format.grouping));
  MarkOne(menu_, mnuBase, static_cast<std::size_t>(format.base));
  MarkOne(digits_menu_, mnuDigits, static_cast<std::size_t>(std::clamp(format.digits, 0, 15)));
  mnuDigits[0]->SetEnabled(LeastDigits(format.notation) == 0);
  for (int i = 0; i < GetMenuItemCount(menu_); ++i) {
    if (GetSubMenu(menu_, i) == digits_menu_)
      EnableMenuItem(menu_, static_cast<UINT>(i),
                     MF_BYPOSITION | (UsesDigits(format.notation) ? MF_ENABLED : MF_GRAYED));
  }
}

NumberFormat NumberFormatOf(const Settings& s) {
  NumberFormat f{static_cast<Notation>(s.number_notation), s.number_digits,
                 static_cast<Grouping>(s.number_grouping), static_cast<NumberBase>(s.number_base)};
  f.digits = std::max(f.digits, LeastDigits(f.notation));
  return f;
}

Settings WithNumberFormat(Settings s, const NumberFormat& f) {
  s.number_notation = static_cast<int>(f.notation);
  s.number_digits = f.digits;
  s.number_grouping = static_cast<int>(f.grouping);
  s.number_base = static_cast<int>(f.base);
  return s;
}

}  // namespace tly
