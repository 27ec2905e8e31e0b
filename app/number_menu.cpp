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
  const wchar_t* notations[] = {L"標準(&S)", L"固定小数点(&F)", L"指数(&E)", L"工学(&G)"};
  for (std::size_t i = 0; i < mnuNotation.size(); ++i) {
    mnuNotation[i] = &f.AddMenuItem(menu_, notations[i]);
    mnuNotation[i]->on_click = [this, i] {
      NumberFormat next = format_;
      next.notation = static_cast<Notation>(i);
      next.digits = std::max(next.digits, LeastDigits(next.notation));
      Choose(next);
    };
  }
  digits_menu_ = f.AddMenu(menu_, L"桁数(&K)");
  for (std::size_t d = 0; d < mnuDigits.size(); ++d) {
    const std::wstring caption = d < 10 ? L"&" + std::to_wstring(d) : std::to_wstring(d);
    mnuDigits[d] = &f.AddMenuItem(digits_menu_, caption);
    mnuDigits[d]->on_click = [this, d] {
      NumberFormat next = format_;
      next.digits = static_cast<int>(d);
      Choose(next);
    };
  }
  f.AddMenuSeparator(menu_);
  const wchar_t* groupings[] = {L"区切りなし(&N)", L"3桁ごと(&3)", L"万・億・兆(&J)"};
  for (std::size_t i = 0; i < mnuGrouping.size(); ++i) {
    mnuGrouping[i] = &f.AddMenuItem(menu_, groupings[i]);
    mnuGrouping[i]->on_click = [this, i] {
      NumberFormat next = format_;
      next.grouping = static_cast<Grouping>(i);
      Choose(next);
    };
  }
  f.AddMenuSeparator(menu_);
  const wchar_t* bases[] = {L"10進(&D)", L"16進(&H)", L"8進(&O)", L"2進(&B)"};
  for (std::size_t i = 0; i < mnuBase.size(); ++i) {
    mnuBase[i] = &f.AddMenuItem(menu_, bases[i]);
    mnuBase[i]->on_click = [this, i] {
      NumberFormat next = format_;
      next.base = static_cast<NumberBase>(i);
      Choose(next);
    };
  }
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
