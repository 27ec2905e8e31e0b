#include "calculation.h"

#include "string_table.h"

namespace tly {

double Calculate(Tly& engine, std::u16string_view formula,
                 const std::optional<Conversion>& conversion) {
  engine.CompileFormula(formula);
  double r = engine.EvaluateFormula();
  if (conversion) r = Convert(*conversion, r);
  engine.SetRegister(0, r);
  return r;
}

int ErrorMessageId(int number) {
  if (number == 2 || number == 5 || number == 29 || number == 30) return 1500 + number;
  constexpr int kDescriptions = 3000;
  if (number > 0 && !LoadString(kDescriptions + number).empty()) return kDescriptions + number;
  return kDescriptions;
}

std::string_view ErrorMessage(int number) { return LoadString(ErrorMessageId(number)); }

}  // namespace tly
