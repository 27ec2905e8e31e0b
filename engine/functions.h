// The built-in functions, reached from the evaluator by slot code. Each takes its arguments in
// formula order (args[0] is the first) and returns the result or raises a numbered error.
#pragma once

namespace tly {

class Tly;

using FunctionImpl = double (*)(Tly& tly, const double* args, int count);

// The implementation of function code `code`, or nullptr for a code without one (operators,
// control codes and the register functions are the evaluator's own).
FunctionImpl FunctionFor(int code);

}  // namespace tly
