// The built-in functions, reached from the evaluator by slot code. Each takes its arguments in
// formula order (args[0] is the first) and returns the result or raises a numbered error.
#pragma once

#include <array>
#include <cstddef>

namespace tly {

class Tly;

using FunctionImpl = double (*)(Tly& tly, const double* args, int count);

// The implementations by function code, nullptr for a code without one (operators, control
// codes and the register functions are the evaluator's own).
extern const std::array<FunctionImpl, 256> kFunctionTable;

// The implementation of function code `code`, or nullptr.
inline FunctionImpl FunctionFor(int code) {
  return (code >= 0 && code < 256) ? kFunctionTable[static_cast<std::size_t>(code)] : nullptr;
}

}  // namespace tly
