#include "calculate_command.h"

#include <algorithm>

#include "calculation.h"
#include "numbered_error.h"
#include "utf8.h"

namespace tly {
namespace {

// The result of the formula's value `r`, converted when a conversion is given. Raises the
// conversion's NumberedError.
double Converted(double r, const std::optional<Conversion>& conversion) {
  return conversion ? Convert(*conversion, r) : r;
}

}  // namespace

void CalculatorCore::RestoreHistory(std::vector<std::u16string> entries) {
  history_ = std::move(entries);
  display_.SetHistory(history_);
}

bool CalculatorCore::Record(std::u16string_view formula) {
  history_.insert(history_.begin(), std::u16string(formula));
  // Only the first older copy goes: a formula typed once is listed once, at the top.
  auto older = std::find(history_.begin() + 1, history_.end(), formula);
  if (older == history_.end()) return false;
  history_.erase(older);
  return true;
}

bool CalculatorCore::Calculate(std::u16string_view formula,
                               const std::optional<Conversion>& conversion,
                               char decimal_separator) {
  const bool repeated = Record(formula);
  display_.SetHistory(history_);
  if (repeated) display_.SetFormula(formula);
  try {
    result_ = tly::Calculate(engine_, formula, conversion);
    display_.ShowResult(ShownNumber(*result_, number_format_, decimal_separator));
    return true;
  } catch (const NumberedError& e) {
    result_.reset();
    display_.ShowError(ErrorMessageText(e.number()));
    // A failing conversion has no place in the formula.
    if (const auto& where = e.where()) display_.SelectInFormula(where->begin, where->end);
    return false;
  }
}

std::u16string CalculatorCore::PreviewText(std::u16string_view formula,
                                           const std::optional<Conversion>& conversion,
                                           char decimal_separator) const {
  const PreviewOutcome outcome = Preview(formula, conversion);
  if (const double* value = std::get_if<double>(&outcome))
    return ShownNumber(*value, number_format_, decimal_separator);
  if (const int* error = std::get_if<int>(&outcome)) return ErrorMessageText(*error);
  return {};
}

PreviewLine CalculatorCore::PreviewFitted(std::u16string_view formula,
                                          const std::optional<Conversion>& conversion,
                                          char decimal_separator, int width,
                                          const TextWidth& measure) const {
  const PreviewOutcome outcome = Preview(formula, conversion);
  if (const double* value = std::get_if<double>(&outcome))
    return {FitNumber(*value, number_format_, decimal_separator, width, measure),
            ShownNumber(*value, number_format_, decimal_separator)};
  if (const int* error = std::get_if<int>(&outcome)) {
    std::u16string message = ErrorMessageText(*error);
    return {FitMessage(message, width, measure), message};
  }
  return {};
}

void CalculatorCore::ShowResultAgain(char decimal_separator) {
  if (result_) display_.ShowResult(ShownNumber(*result_, number_format_, decimal_separator));
}

CalculatorCore::PreviewOutcome CalculatorCore::Preview(
    std::u16string_view formula, const std::optional<Conversion>& conversion) const {
  if (formula.empty()) return {};
  const tly::Preview preview = engine_.PreviewFormula(formula);
  try {
    switch (preview.kind) {
      case tly::Preview::Kind::kValue: return Converted(preview.value, conversion);
      case tly::Preview::Kind::kError: {
        // A syntax error at the very end, where the formula stops too early or a name is
        // half typed, is most likely a formula still being typed: nothing to say yet.
        const NumberedError& e = *preview.error;
        const bool at_end = e.where() && e.where()->end == static_cast<int>(formula.size());
        if (e.number() == err::kSyntax && at_end) return {};
        return e.number();
      }
      case tly::Preview::Kind::kNone: return {};
    }
  } catch (const NumberedError& e) {
    return e.number();
  }
  return {};
}

std::u16string FitMessage(std::u16string_view message, int width, const TextWidth& measure) {
  if (measure(message) <= width) return std::u16string(message);
  std::u16string text(message);
  do {
    text.pop_back();
  } while (!text.empty() && measure(text + u"…") > width);
  return text + u"…";
}

std::u16string ErrorMessageText(int number) { return Utf8ToUtf16(ErrorMessage(number)); }

bool FormulaKeyAllowed(char16_t c) {
  return c == 3 || c == 8 || c == 13 || c == 22 || c == 24 || c == 26 || c == 27 ||
         (c >= 32 && c <= 126);
}

bool VariableKeyAllowed(char16_t c, char decimal_separator) {
  return c == 8 || c == 3 || c == 22 || c == 24 || c == 26 || c == u'+' || c == u'-' || c == u'.' ||
         c == static_cast<char16_t>(decimal_separator) || (c >= u'0' && c <= u'9') || c == u'E' ||
         c == u'e';
}

}  // namespace tly
