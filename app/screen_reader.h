// The main window for screen readers: every control named after its label, and each result of
// the Calculate command, or its error and the error's place, spoken once it shows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "accessibility.h"
#include "conversion_panel.h"
#include "formula_panel.h"
#include "variables_panel.h"

namespace tly {

class ScreenReader {
 public:
  ScreenReader(FormulaPanel& formula, ConversionPanel& conversion, VariablesPanel& variables);

  // What the Calculate command shows, as it shows it: the result or the message, then for an
  // error with a place in the formula, where it starts (0 the first character).
  void Outcome(std::u16string_view text);
  void Place(int begin);
  // Speaks the outcome shown last; each command is spoken, the same result again too.
  void Announce();
  const std::wstring& LastSpoken() const { return spoken_; }

 private:
  Announcer announcer_;
  std::wstring outcome_;
  std::optional<int> place_;
  std::wstring spoken_;
};

// Names each control of dialog `form` as a screen reader should read it: a check box or a
// button by its own caption, a box by the label before it in tab order; captions without their
// access keys.
void NameAfterCaptions(const forms::Form& form);

// The words spoken for an outcome: the text, and after it the place of an error ("3文字目").
std::wstring SpokenOutcome(std::wstring_view text, std::optional<int> place);

}  // namespace tly
