#include "calculation.h"

#include "numbered_error.h"
#include "string_ids.h"
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
  if (number == err::kSyntax || number == err::kInvalidArgument || number == err::kUnbalanced ||
      number == err::kNotSupported)
    return ids::kErrorMessages + number;
  if (number > 0 && !LoadString(ids::kErrorDescriptions + number).empty())
    return ids::kErrorDescriptions + number;
  return ids::kErrorDescriptionOther;
}

std::string_view ErrorMessage(int number) { return LoadString(ErrorMessageId(number)); }

}  // namespace tly
