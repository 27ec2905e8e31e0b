// Characters to tokens: the formula text is read one character ahead of the compiler, one token
// at a time, on demand.
#include "tokenizer.h"

#include <limits>

#include "arith.h"
#include "catalogue.h"
#include "powers_of_ten.h"

namespace tly {
namespace {

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsLetter(int c) { return c >= 'a' && c <= 'z'; }
bool IsRelational(int c) { return c == '<' || c == '=' || c == '>'; }

// Only ASCII letters matter to the tokenizer; every other character is outside the letter
// class before and after lower-casing.
int LowerCase(char16_t c) { return (c >= u'A' && c <= u'Z') ? c - u'A' + 'a' : c; }

}  // namespace

Tokenizer::Tokenizer(std::u16string_view text) : text_(text) { current_ = NextChar(); }

int Tokenizer::NextChar() {
  // The position counts the characters read, the end as one more; past the end it stays where
  // it is. It is a 16-bit counter: a formula of more than 32766 characters overflows it.
  const auto read = static_cast<std::size_t>(position_);
  if (read > text_.size()) return kNoChar;
  if (position_ == std::numeric_limits<std::int16_t>::max()) Fail(err::kOverflow, token_span());
  ++position_;
  return read < text_.size() ? LowerCase(text_[read]) : kNoChar;
}

void Tokenizer::NextToken() {
  while (current_ == ' ') current_ = NextChar();
  token_value_ = 0;
  token_begin_ = CurrentIndex();
  const SourceSpan here{token_begin_, token_begin_ + 1};

  switch (current_) {
    case '+': token_code_ = code::kAdd; break;
    case '-': token_code_ = code::kSubtract; break;
    case '*': token_code_ = code::kMultiply; break;
    case '/': token_code_ = code::kDivide; break;
    case '\\': token_code_ = code::kIntDivide; break;
    case '%': token_code_ = code::kRemainder; break;
    case '^': token_code_ = code::kPower; break;
    case '(':
      token_code_ = code::kOpen;
      if (++paren_depth_ > kMaxParenDepth) Fail(err::kTooComplex, here);
      if (paren_depth_ > 0) open_parens_[static_cast<std::size_t>(paren_depth_ - 1)] = token_begin_;
      break;
    case ')':
      // No check here: a surplus ")" shows as a non-zero depth when the compile ends.
      token_code_ = code::kClose;
      if (--paren_depth_ < 0 && first_stray_close_ < 0) first_stray_close_ = token_begin_;
      break;
    case ',': token_code_ = code::kComma; break;
    case kNoChar: token_code_ = code::kEnd; break;
    default:
      if (IsDigit(current_) || current_ == '.') {
        token_code_ = code::kNumber;
        token_value_ = ScanNumber();
        return;
      }
      if (IsLetter(current_) || current_ == '&' || current_ == '#') return ScanWord();
      if (IsRelational(current_)) return ScanRelational();
      Fail(err::kSyntax, here);
  }
  current_ = NextChar();
}

// A word starts with a letter, "&" or "#" and continues with letters only, so digits end it
// ('log10' is "log" and 10).
void Tokenizer::ScanWord() {
  char word[kLongestSpelling];
  std::size_t length = 0;
  do {
    if (length < kLongestSpelling) word[length] = static_cast<char>(current_);
    ++length;
    current_ = NextChar();
  } while (IsLetter(current_));

  if (length == 1 && IsLetter(word[0])) {
    token_code_ = code::kRegister;
    token_value_ = LetterRegisterNumber(word[0] - 'a');
    return;
  }
  const Word* w = length <= kLongestSpelling ? FindWord(std::string_view(word, length)) : nullptr;
  if (w == nullptr) Fail(err::kSyntax, token_span());
  if (w->kind == Word::Kind::kUnsupported) Fail(err::kNotSupported, token_span());
  token_code_ = w->code;
  token_value_ = w->value;
}

// A run of "<", "=" and ">" is one token; only the six spellings of the relations (and their
// reversed forms) are valid.
void Tokenizer::ScanRelational() {
  char run[3];
  std::size_t length = 0;
  do {
    if (length < 3) run[length] = static_cast<char>(current_);
    ++length;
    current_ = NextChar();
  } while (IsRelational(current_));

  std::string_view r(run, length <= 2 ? length : 3);
  if (r == "=")
    token_code_ = code::kEquals;
  else if (r == "<>" || r == "><")
    token_code_ = code::kNotEqual;
  else if (r == ">=" || r == "=>")
    token_code_ = code::kGreaterEqual;
  else if (r == ">")
    token_code_ = code::kGreater;
  else if (r == "<=" || r == "=<")
    token_code_ = code::kLessEqual;
  else if (r == "<")
    token_code_ = code::kLess;
  else
    Fail(err::kSyntax, token_span());
}

// digits [ "." digits ] [ "e" [ "+" | "-" ] digits ], with every step checked: the literal is
// the value these steps give, not the correctly rounded one ('0.1' is 1 / 10).
double Tokenizer::ScanNumber() {
  double v = 0;
  while (IsDigit(current_)) {
    v = Add(Mul(v, 10), current_ - '0');
    current_ = NextChar();
  }
  if (current_ == '.') {
    double fraction = 0;
    int digits = 0;
    for (;;) {
      current_ = NextChar();
      if (!IsDigit(current_)) break;
      ++digits;
      fraction = Add(Mul(fraction, 10), current_ - '0');
    }
    v = Add(v, Div(fraction, Checked(PowerOfTen(digits))));
  }
  if (current_ == 'e') {
    current_ = NextChar();
    bool negative = false;
    if (current_ == '+' || current_ == '-') {
      negative = current_ == '-';
      current_ = NextChar();
    }
    int exponent = 0;  // a 16-bit quantity: leaving its range is an overflow
    while (IsDigit(current_)) {
      exponent = exponent * 10 + (current_ - '0');
      if (exponent > std::numeric_limits<std::int16_t>::max()) Fail(err::kOverflow, token_span());
      current_ = NextChar();
    }
    const double scale = Checked(PowerOfTen(exponent));
    v = negative ? Div(v, scale) : Mul(v, scale);
  }
  return v;
}

SourceSpan Tokenizer::UnbalancedParenthesis() const {
  if (paren_depth_ > 0) {
    const int open = open_parens_[static_cast<std::size_t>(paren_depth_ - 1)];
    return {open, open + 1};
  }
  return {first_stray_close_, first_stray_close_ + 1};
}

}  // namespace tly
