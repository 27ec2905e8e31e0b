// The formula vocabulary: function keywords, named constants, &ans and the words that are
// recognised but not supported.
#pragma once

#include <string_view>

namespace tly {

struct Word {
  enum class Kind { kFunction, kConstant, kRegister, kUnsupported };
  std::string_view spelling;
  Kind kind;
  int code;      // token code
  double value;  // token value
};

// The entry spelled exactly `spelling` (lower case), or nullptr.
const Word* FindWord(std::string_view spelling);

// The keyword of function code `code`, or an empty view.
std::string_view FunctionKeyword(int code);

}  // namespace tly
