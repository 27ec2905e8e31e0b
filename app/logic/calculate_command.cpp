#include "calculate_command.h"

#include "calculation.h"
#include "number_text.h"
#include "numbered_error.h"

namespace tly {
namespace {

std::u16string Ascii(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

void RunCalculateCommand(Tly& engine, CalculateControls& controls) {
  const std::u16string formula = controls.FormulaText();

  // The newest formula is at the top of the history, listed once.
  controls.InsertHistoryItem(0, formula);
  const int count = controls.HistoryCount();
  for (int i = 1; i < count; ++i) {
    if (controls.HistoryItem(i) == formula) {
      controls.RemoveHistoryItem(i);
      controls.SetFormulaText(formula);
      break;
    }
  }

  try {
    const double r = Calculate(engine, formula, controls.ActiveConversion());
    controls.SetResultText(Ascii(FormatResult(r, controls.DecimalSeparator())));
    controls.FocusFormula();
    controls.SetCopyResultEnabled(true);
    controls.RefreshVariables();
  } catch (const NumberedError& e) {
    controls.Beep(kExclamationBeep);
    controls.SetResultText(controls.ErrorText(e.number()));
    controls.FocusFormula();
    controls.SetCopyResultEnabled(false);
  }
}

bool FormulaKeyAllowed(char16_t c) {
  return c == 3 || c == 8 || c == 22 || c == 24 || c == 26 || (c >= 32 && c <= 126);
}

bool VariableKeyAllowed(char16_t c) {
  return c == 8 || c == 3 || c == 22 || c == 24 || c == 26 || c == u'+' || c == u'-' || c == u'.' ||
         (c >= u'0' && c <= u'9') || c == u'E' || c == u'e';
}

char16_t RegisterLetter(int number) { return static_cast<char16_t>((number & 63) | 64); }

std::vector<std::u16string> ReadStringList(int first_id,
                                           const std::function<std::u16string(int)>& load) {
  std::vector<std::u16string> items;
  for (int id = first_id;; ++id) {
    std::u16string text = load(id);
    if (text.empty() || text == u"*") break;
    items.push_back(std::move(text));
  }
  return items;
}

}  // namespace tly
