// The formula CLI:
//   tallyra-eval [--precise] [--seed N] [--convert Q,S,T] [--notation N] [--digits N]
//                [--grouping G] [--base B] [FORMULA ...]
//   tallyra-eval --units | --help | --version
// Each FORMULA, or else each line of the input, is run as the Calculate command runs it, and
// its result text, in the number format the four display options choose, or its error message
// is written as one line. --precise writes the shortest
// text that reads back as the same double, and a failure as "error N<TAB>message", followed
// by "<TAB>first-last", the columns where the error was found, when the error has a place.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tly {

struct CliStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive = false;  // prompt on `err` before each line of `in`
};

// Returns the exit status: 0 when every formula succeeded, 1 when one failed, 2 for a usage
// error. `args` are the arguments after the program name, in UTF-8.
int RunCli(const std::vector<std::string>& args, CliStreams streams);

}  // namespace tly
