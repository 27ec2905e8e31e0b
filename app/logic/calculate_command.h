// The Calculate command and the small rules around the formula box and the variables panel,
// written against the controls they touch, so that they run the same on the window and on a
// plain model of it.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "tly.h"

namespace tly {

// What the Calculate command reads and writes of the main window.
class CalculateControls {
 public:
  virtual ~CalculateControls() = default;
  virtual std::u16string FormulaText() = 0;
  virtual void SetFormulaText(std::u16string_view text) = 0;
  virtual int HistoryCount() = 0;
  virtual std::u16string HistoryItem(int index) = 0;
  virtual void InsertHistoryItem(int index, std::u16string_view text) = 0;
  virtual void RemoveHistoryItem(int index) = 0;
  // The selected quantity and units when conversion is switched on.
  virtual std::optional<Conversion> ActiveConversion() = 0;
  virtual void SetResultText(std::u16string_view text) = 0;
  virtual void FocusFormula() = 0;
  virtual void SetCopyResultEnabled(bool enabled) = 0;
  virtual void RefreshVariables() = 0;
  virtual void Beep(unsigned type) = 0;
  // The message of error `number` as the program's string table holds it.
  virtual std::u16string ErrorText(int number) = 0;
  virtual char DecimalSeparator() = 0;
};

inline constexpr unsigned kExclamationBeep = 0x30;  // MB_ICONEXCLAMATION

// Records the formula in the history, computes it and shows the result or the error message.
void RunCalculateCommand(Tly& engine, CalculateControls& controls);

// The characters the formula box accepts as typed: Ctrl+C, Backspace, Ctrl+V, Ctrl+X, Ctrl+Z
// and printable ASCII.
bool FormulaKeyAllowed(char16_t c);

// The characters a value box of the variables panel accepts: Backspace, Ctrl+C, Ctrl+V,
// Ctrl+X, Ctrl+Z, signs, the point, digits and the exponent letter.
bool VariableKeyAllowed(char16_t c);

// The letter that labels register `number` (257 "A" ... 282 "Z").
char16_t RegisterLetter(int number);

// The list that starts at string `first_id`, read through `load` up to the first "*" (or a
// missing string).
std::vector<std::u16string> ReadStringList(int first_id,
                                           const std::function<std::u16string(int)>& load);

}  // namespace tly
