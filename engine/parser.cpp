// Tokens to slots: recursive descent over the token stream, writing the postfix program of
// the compiled formula through EmitSlot.
#include <cstring>
#include <type_traits>

#include "arith.h"
#include "codes.h"
#include "tly.h"

namespace tly {
namespace {

// Chains that recurse through ParseExpression (comparisons, assignments, stray commas) are
// bounded so that no formula can exhaust the machine stack.
constexpr int kMaxExpressionDepth = 1000;

// All-zero bytes are the slot {0, 0}.
static_assert(std::is_trivially_copyable_v<Slot>);

bool IsRelationalToken(int c) { return c >= code::kNotEqual && c <= code::kLess; }

}  // namespace

void Tly::CompileFormula(std::u16string_view text) {
  // L + 2 zeroed slots. The bytes are cleared in one go: filling slot by slot costs more than
  // the rest of a short compile.
  slots_.resize(text.size() + 2);
  std::memset(static_cast<void*>(slots_.data()), 0, slots_.size() * sizeof(Slot));
  output_index_ = 1;
  expression_depth_ = 0;
  StartScan(text);
  NextToken();
  ParseExpression();
  if (paren_depth_ != 0) Raise(err::kUnbalanced);
  if (token_code_ != code::kEnd) Raise(err::kSyntax);
  slots_[static_cast<std::size_t>(output_index_)].code = code::kEnd;
  if (output_index_ >= 2) slots_[0].code = static_cast<std::int16_t>(output_index_ - 1);
}

void Tly::WriteSlot(int c, double value) {
  // Every character yields at most one slot, so the L + 2 slots always suffice.
  if (static_cast<std::size_t>(output_index_) + 1 >= slots_.size()) Raise(err::kTooComplex);
  Slot& s = slots_[static_cast<std::size_t>(output_index_)];
  s.code = static_cast<std::int16_t>(c);
  s.value = value;
  ++output_index_;
}

void Tly::EmitSlot(int c, int count) { WriteSlot(c, count); }

bool Tly::CommaAtCallLevel(int depth) const {
  return token_code_ == code::kComma && paren_depth_ == depth + 1;
}

// expression := term { ("+" | "-") term } [ relation expression ]
void Tly::ParseExpression() {
  if (++expression_depth_ > kMaxExpressionDepth) Raise(err::kTooComplex);
  ParseTerm();
  for (;;) {
    int t = token_code_;
    if (t == code::kAdd || t == code::kSubtract) {
      NextToken();
      ParseTerm();
      EmitSlot(t, 1);
    } else if (t == code::kEquals) {
      // An assignment only when the slot just written pushes a letter register.
      Slot& last = slots_[static_cast<std::size_t>(output_index_ - 1)];
      int c = code::kEq;
      if (last.code == code::kRegister && last.value >= code::kFirstLetterRegister &&
          last.value <= code::kLastLetterRegister) {
        last.code = code::kNumber;
        last.value -= code::kFirstLetterRegister;
        c = code::kMem;
      }
      NextToken();
      ParseExpression();
      EmitSlot(c, 1);
    } else if (IsRelationalToken(t)) {
      NextToken();
      ParseExpression();
      EmitSlot(t - 155, 1);
    } else if (t == code::kClose || t == code::kComma || t == code::kEnd) {
      break;
    } else {
      Raise(err::kSyntax);
    }
  }
  --expression_depth_;
}

// term := factor { ("*" | "/" | "\" | "%") factor }
void Tly::ParseTerm() {
  ParseFactor();
  for (;;) {
    int t = token_code_;
    if (t != code::kMultiply && t != code::kDivide && t != code::kIntDivide &&
        t != code::kRemainder)
      break;
    NextToken();
    ParseFactor();
    EmitSlot(t, 1);
  }
}

// factor := { "-" } operand { "^" { "-" } operand }; the leading signs negate the whole chain
void Tly::ParseFactor() {
  bool negate = false;
  while (token_code_ == code::kSubtract) {
    negate = !negate;
    NextToken();
  }
  ParseOperand();
  while (token_code_ == code::kPower) {
    NextToken();
    bool flip = false;
    while (token_code_ == code::kSubtract) {
      flip = !flip;
      NextToken();
    }
    ParseOperand();
    if (flip) EmitSlot(code::kNegate, 0);
    EmitSlot(code::kPower, 1);
  }
  if (negate) EmitSlot(code::kNegate, 0);
}

// operand := primary | function primary { "," primary }, where a further argument follows
// only a comma directly inside the parentheses after the function name
void Tly::ParseOperand() {
  const int depth = paren_depth_;
  const int t = token_code_;
  if (t == code::kNumber || t == code::kRegister || t == code::kOpen) return ParsePrimary();

  const int f = t;
  NextToken();
  ParsePrimary();

  if (code::IsVariadic(f)) {
    int further = 0;
    while (CommaAtCallLevel(depth)) {
      ParsePrimary();
      ++further;
    }
    if (f == code::kSeries && further < 3) Raise(err::kSyntax);
    EmitSlot(f, further);
  } else if (f == code::kIf) {
    const int test = output_index_;
    WriteSlot(code::kIf, 0);
    if (!CommaAtCallLevel(depth)) Raise(err::kSyntax);
    ParsePrimary();
    slots_[static_cast<std::size_t>(test)].value = output_index_;
    const int then_end = output_index_;
    WriteSlot(code::kEndBranch, 0);
    if (CommaAtCallLevel(depth)) {
      ParsePrimary();
    } else {
      EmitSlot(code::kNumber, 0);
    }
    slots_[static_cast<std::size_t>(then_end)].value = output_index_;
    EmitSlot(code::kEndBranch, output_index_);
  } else if (f == code::kLoop) {
    for (int i = 0; i < 2; ++i) {
      if (!CommaAtCallLevel(depth)) Raise(err::kSyntax);
      ParsePrimary();
    }
    if (!CommaAtCallLevel(depth)) Raise(err::kSyntax);
    const int head = output_index_;
    WriteSlot(code::kLoop, 0);
    ParsePrimary();
    slots_[static_cast<std::size_t>(head)].value = output_index_;
    EmitSlot(code::kLoopBack, head - 1);
  } else {
    // Operator and punctuation tokens in this position take no further arguments.
    const int further =
        (f >= code::kFirstFunction && f <= code::kLastFunction) ? code::OperandCount(f) - 1 : 0;
    for (int i = 0; i < further; ++i) {
      if (!CommaAtCallLevel(depth)) Raise(err::kSyntax);
      ParsePrimary();
    }
    EmitSlot(f, further);
  }
}

// primary := number | register | ( "(" | "," ) expression [ ")" ]
void Tly::ParsePrimary() {
  const int t = token_code_;
  if (t == code::kNumber || t == code::kRegister) {
    WriteSlot(t, token_value_);
    NextToken();
  } else if (t == code::kOpen || t == code::kComma) {
    NextToken();
    ParseExpression();
    if (token_code_ == code::kClose) NextToken();
  } else {
    Raise(err::kSyntax);
  }
}

}  // namespace tly
