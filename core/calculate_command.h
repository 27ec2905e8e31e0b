// The Calculate command and the small rules around the formula box and the variables panel.
// The command owns the formula history and the texts it shows, and pushes them to a display,
// so that it runs the same on the window and on a plain model of it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "conversion.h"
#include "number_format.h"
#include "tly.h"

namespace tly {

// The live result as its line shows it, fitted to the line's width, and the text in full.
struct PreviewLine {
  std::u16string shown, full;
};

// What the Calculate command shows. It only ever tells; it never asks.
class CalculatorDisplay {
 public:
  virtual ~CalculatorDisplay() = default;
  // The history under the formula box, most recent first; the box's own text stays.
  virtual void SetHistory(const std::vector<std::u16string>& entries) = 0;
  // The formula box's text, written again, with the caret at its end.
  virtual void SetFormula(std::u16string_view formula) = 0;
  // A result: shown, with copy-result enabled, the variables panel refreshed and the focus in
  // the formula box.
  virtual void ShowResult(std::u16string_view text) = 0;
  // An error message: shown with the exclamation beep, copy-result disabled, the focus in the
  // formula box; the variables panel keeps what it shows.
  virtual void ShowError(std::u16string_view message) = 0;
  // After an error: selects the characters [begin, end) of the formula box, the caret at the
  // end of the selection.
  virtual void SelectInFormula(int begin, int end) = 0;
};

// The calculator without its window: the engine, the formula history and the command.
class CalculatorCore {
 public:
  CalculatorCore(Tly& engine, CalculatorDisplay& display) : engine_(engine), display_(display) {}

  // The history as it was saved, most recent first.
  void RestoreHistory(std::vector<std::u16string> entries);
  const std::vector<std::u16string>& history() const { return history_; }

  // How results read; the standard text unless set.
  const NumberFormat& number_format() const { return number_format_; }
  void SetNumberFormat(const NumberFormat& format) { number_format_ = format; }
  // The value the result box shows, if it shows one.
  const std::optional<double>& result() const { return result_; }
  void ForgetResult() { result_.reset(); }
  // Shows the result again, in the number format now set; nothing when there is none.
  void ShowResultAgain(char decimal_separator);

  // Records `formula` at the top of the history, computes it (converted when `conversion` is
  // given) and shows the result, written with `decimal_separator`, or the error message.
  // True when there was a result.
  bool Calculate(std::u16string_view formula, const std::optional<Conversion>& conversion,
                 char decimal_separator);

  // What Calculate would show for `formula` now, found against a copy of the engine's state:
  // the result's text or the error message; empty for an empty formula, an unfinished one (a
  // syntax error found at its very end, as in "1+" or "sq"), one that uses rnd, nrnd or now,
  // and one that runs past the preview's budget.
  std::u16string PreviewText(std::u16string_view formula,
                             const std::optional<Conversion>& conversion,
                             char decimal_separator) const;
  // The same text for a line `width` wide: a value that does not fit shows as FitNumber writes
  // it, a message as FitMessage does.
  PreviewLine PreviewFitted(std::u16string_view formula,
                            const std::optional<Conversion>& conversion, char decimal_separator,
                            int width, const TextWidth& measure) const;

 private:
  // What a preview found: nothing to show, the (converted) value, or an error's number.
  using PreviewOutcome = std::variant<std::monostate, double, int>;
  PreviewOutcome Preview(std::u16string_view formula,
                         const std::optional<Conversion>& conversion) const;
  // Puts `formula` on top; true when an older copy of it was taken out.
  bool Record(std::u16string_view formula);

  Tly& engine_;
  CalculatorDisplay& display_;
  std::vector<std::u16string> history_;
  NumberFormat number_format_;
  std::optional<double> result_;
};

// `message` when it fits in `width`; else as much of its beginning as fits with "…" after it.
std::u16string FitMessage(std::u16string_view message, int width, const TextWidth& measure);

// The message the result box shows for error `number`.
std::u16string ErrorMessageText(int number);

// The characters the formula box accepts as typed: Ctrl+C, Backspace, Ctrl+V, Ctrl+X, Ctrl+Z,
// printable ASCII, and Enter and Esc, which a one-line box never inserts but which close its
// drop-down list.
bool FormulaKeyAllowed(char16_t c);

// The characters a value box of the variables panel accepts: Backspace, Ctrl+C, Ctrl+V,
// Ctrl+X, Ctrl+Z, signs, the point, the locale's decimal separator, digits and the exponent
// letter.
bool VariableKeyAllowed(char16_t c, char decimal_separator);

}  // namespace tly
