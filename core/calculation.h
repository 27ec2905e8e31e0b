// The Calculate command's work on the engine, without the window: compile, evaluate, convert,
// keep the result in &ans. The form and the formula CLI both run formulas through it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "conversion.h"
#include "tly.h"

namespace tly {

// Runs `formula` and returns its (converted) result, which is also stored in &ans. Raises the
// NumberedError of a failing step; &ans then keeps its value.
double Calculate(Tly& engine, std::u16string_view formula,
                 const std::optional<Conversion>& conversion);

// The text the result box shows for error `number` (UTF-8): the program's own message for
// errors 2, 5, 29 and 30, the standard description for the others.
std::string_view ErrorMessage(int number);

// The string id of that text.
int ErrorMessageId(int number);

}  // namespace tly
