// Characters to tokens. A tokenizer is made for one compilation: it reads the formula text one
// character ahead of the compiler, one token at a time, on demand, and knows nothing of slots.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "numbered_error.h"

namespace tly {

class Tokenizer {
 public:
  // Reads the first character of `text`, which must outlive the tokenizer.
  explicit Tokenizer(std::u16string_view text);

  void NextToken();

  int token_code() const { return token_code_; }
  double token_value() const { return token_value_; }
  // The characters of the current token, or those read of it so far.
  SourceSpan token_span() const { return {token_begin_, CurrentIndex()}; }
  int paren_depth() const { return paren_depth_; }
  // A parenthesis without its partner: the innermost "(" left open, else the first ")" that
  // closed none.
  SourceSpan UnbalancedParenthesis() const;

  static constexpr int kNoChar = -1;  // the empty string: below every character class
  static constexpr int kMaxParenDepth = 8;

 private:
  int NextChar();  // lower-cased character, or kNoChar past the end
  double ScanNumber();
  void ScanWord();
  void ScanRelational();
  int CurrentIndex() const { return position_ - 1; }
  [[noreturn]] static void Fail(int number, SourceSpan where) { Raise(number, where); }

  std::u16string_view text_;
  std::int16_t position_ = 0;
  int current_ = kNoChar;
  int token_code_ = 0;
  double token_value_ = 0;
  int token_begin_ = 0;
  int paren_depth_ = 0;
  std::array<int, kMaxParenDepth> open_parens_{};  // where each open "(" stands, outermost first
  int first_stray_close_ = -1;
};

}  // namespace tly
