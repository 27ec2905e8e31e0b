// The submenu 表示 › 数値の表示: how results read. Radio items for the notation, the grouping and
// the base, and a submenu of the number of digits.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <string>

#include "forms/form.h"
#include "number_format.h"
#include "settings.h"

namespace tly {

class NumberMenu {
 public:
  // Appends the submenu to `parent`.
  NumberMenu(forms::Form& form, HMENU parent);

  // Marks the choices of `format`; the digits submenu is there only for the notations that use
  // it, and 0 only for fixed decimals.
  void Reflect(const NumberFormat& format);
  const NumberFormat& format() const { return format_; }

  // A choice was made: the format with it.
  std::function<void(const NumberFormat&)> on_change;

  std::array<forms::MenuItem*, 4> mnuNotation{};  // 標準, 固定小数点, 指数, 工学
  static constexpr std::size_t kDigitChoices = 16;
  std::array<forms::MenuItem*, kDigitChoices> mnuDigits{};  // 0 ... 15
  std::array<forms::MenuItem*, 3> mnuGrouping{};            // なし, 3桁ごと, 万・億・兆
  std::array<forms::MenuItem*, 4> mnuBase{};                // 10進, 16進, 8進, 2進

 private:
  void Choose(NumberFormat format);
  // Adds one item to `menu` for each caption; picking item i chooses the current format as
  // `apply(format, i)` changes it.
  template <std::size_t N, class Apply>
  void AddChoices(forms::Form& f, HMENU menu, std::array<forms::MenuItem*, N>& items,
                  const std::array<std::wstring, N>& captions, Apply apply) {
    for (std::size_t i = 0; i < N; ++i) {
      items[i] = &f.AddMenuItem(menu, captions[i]);
      items[i]->on_click = [this, i, apply] {
        NumberFormat next = format_;
        apply(next, i);
        Choose(next);
      };
    }
  }

  HMENU menu_ = nullptr;
  HMENU digits_menu_ = nullptr;
  NumberFormat format_;
};

// The number format that settings keep, and the settings with `format` in them.
NumberFormat NumberFormatOf(const Settings& s);
Settings WithNumberFormat(Settings s, const NumberFormat& format);

}  // namespace tly
