// Tokens to slots: the compiler reads a formula through its own tokenizer and writes the
// postfix program and its source spans, nothing else.
#pragma once

#include <string_view>

#include "program.h"

namespace tly {

// Compiles `text` into `program`, reusing its storage. Raises a NumberedError that carries
// the place of the fault; `program` then has slot 0 at 0, an empty program.
void CompileFormula(std::u16string_view text, Program& program);

}  // namespace tly
