// Where in a formula the engine found an error, as the CLI reports it.
#pragma once

#include <string>
#include <string_view>

#include "numbered_error.h"

namespace tly {

// "3-3": the first and last 1-based columns of `place` in `formula`, counted in characters (a
// surrogate pair is one column). An empty span names the column where it starts.
std::string ColumnRange(std::u16string_view formula, SourceSpan place);

}  // namespace tly
