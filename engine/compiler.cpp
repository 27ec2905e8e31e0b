// Tokens to slots: recursive descent over the token stream, writing the postfix program of the
// compiled formula through EmitSlot.
#include "compiler.h"

#include <cstring>
#include <type_traits>

#include "catalogue.h"
#include "codes.h"
#include "tokenizer.h"

namespace tly {
namespace {

// Chains that recurse through ParseExpression (comparisons, assignments, stray commas) are
// bounded so that no formula can exhaust the machine stack.
constexpr int kMaxExpressionDepth = 1000;

// All-zero bytes are the slot {0, 0}.
static_assert(std::is_trivially_copyable_v<Slot>);

class Compiler {
 public:
  // `program` has its L + 2 slots and spans already.
  Compiler(std::u16string_view text, Program& program)
      : tokens_(text),
        program_(program),
        slots_(program.slots.data()),
        spans_(program.spans.data()),
        slot_count_(static_cast<int>(program.slots.size())) {}

  void CompileFormula();
  SourceSpan TokenSpan() const { return tokens_.token_span(); }

 private:
  void ParseExpression();
  void ParseTerm();
  void ParseFactor();
  bool SkipMinusSigns();
  void ParseOperand();
  void ParsePrimary();
  void ParseIf(SourceSpan where, int depth);
  void ParseLoop(SourceSpan where, int depth);

  void NextToken() { tokens_.NextToken(); }
  int token() const { return tokens_.token_code(); }
  bool CommaAtCallLevel(int depth) const {
    return token() == code::kComma && tokens_.paren_depth() == depth + 1;
  }
  [[noreturn]] void Fail(int number) const { Raise(number, tokens_.token_span()); }
  [[noreturn]] static void Fail(int number, SourceSpan where) { Raise(number, where); }

  // The slots are written here only: appended by EmitSlot, a jump's target filled in once it
  // is known, a register push turned into the letter's index for an assignment.
  int EmitSlot(int code, double value, SourceSpan where);
  void PatchJump(int slot, int target);
  bool TurnIntoAssignment();

  Tokenizer tokens_;
  Program& program_;
  Slot* slots_;
  SourceSpan* spans_;
  int slot_count_;
  int output_index_ = 1;
  int expression_depth_ = 0;
};

void Compiler::CompileFormula() {
  NextToken();
  ParseExpression();
  if (tokens_.paren_depth() != 0) {
    // Where the parse stopped early, at a "," or ")", that token is the fault.
    Fail(err::kUnbalanced,
         token() == code::kEnd ? tokens_.UnbalancedParenthesis() : tokens_.token_span());
  }
  if (token() != code::kEnd) Fail(err::kSyntax);
  slots_[output_index_].code = code::kEnd;
  if (output_index_ >= 2) slots_[0].code = static_cast<std::int16_t>(output_index_ - 1);
}

int Compiler::EmitSlot(int c, double value, SourceSpan where) {
  // Every character yields at most one slot, so the L + 2 slots always suffice.
  if (output_index_ + 1 >= slot_count_) Fail(err::kTooComplex);
  slots_[output_index_] = {static_cast<std::int16_t>(c), value};
  spans_[output_index_] = where;
  return output_index_++;
}

void Compiler::PatchJump(int slot, int target) { slots_[slot].value = target; }

// An "=" assigns only when the slot just written pushes a letter register: that push becomes
// the push of the letter's index, the operand of "mem".
bool Compiler::TurnIntoAssignment() {
  Slot& last = slots_[output_index_ - 1];
  if (last.code != code::kRegister || !IsLetterRegister(last.value)) return false;
  last.code = code::kNumber;
  last.value = LetterOfRegisterNumber(static_cast<int>(last.value));
  return true;
}

// expression := term { ("+" | "-") term } [ relation expression ]
void Compiler::ParseExpression() {
  if (++expression_depth_ > kMaxExpressionDepth) Fail(err::kTooComplex);
  ParseTerm();
  for (;;) {
    const int t = token();
    const SourceSpan where = tokens_.token_span();
    if (t == code::kAdd || t == code::kSubtract) {
      NextToken();
      ParseTerm();
      EmitSlot(t, 1, where);
    } else if (t == code::kEquals) {
      const int c = TurnIntoAssignment() ? code::kMem : code::kEq;
      NextToken();
      ParseExpression();
      EmitSlot(c, 1, where);
    } else if (code::IsRelationToken(t)) {
      NextToken();
      ParseExpression();
      EmitSlot(code::RelationFunction(t), 1, where);
    } else if (t == code::kClose || t == code::kComma || t == code::kEnd) {
      break;
    } else {
      Fail(err::kSyntax);
    }
  }
  --expression_depth_;
}

// term := factor { ("*" | "/" | "\" | "%") factor }
void Compiler::ParseTerm() {
  ParseFactor();
  for (;;) {
    const int t = token();
    if (t != code::kMultiply && t != code::kDivide && t != code::kIntDivide &&
        t != code::kRemainder)
      break;
    const SourceSpan where = tokens_.token_span();
    NextToken();
    ParseFactor();
    EmitSlot(t, 1, where);
  }
}

// factor := { "-" } operand { "^" { "-" } operand }; the leading signs negate the whole chain
void Compiler::ParseFactor() {
  const SourceSpan sign = tokens_.token_span();
  const bool negate = SkipMinusSigns();
  ParseOperand();
  while (token() == code::kPower) {
    const SourceSpan power = tokens_.token_span();
    NextToken();
    const SourceSpan flip_sign = tokens_.token_span();
    const bool flip = SkipMinusSigns();
    ParseOperand();
    if (flip) EmitSlot(code::kNegate, 0, flip_sign);
    EmitSlot(code::kPower, 1, power);
  }
  if (negate) EmitSlot(code::kNegate, 0, sign);
}

// Reads a run of "-" signs; true when there is an odd number of them.
bool Compiler::SkipMinusSigns() {
  bool odd = false;
  while (token() == code::kSubtract) {
    odd = !odd;
    NextToken();
  }
  return odd;
}

// operand := primary | function primary { "," primary }, where a further argument follows
// only a comma directly inside the parentheses after the function name
void Compiler::ParseOperand() {
  const int depth = tokens_.paren_depth();
  const int f = token();
  if (f == code::kNumber || f == code::kRegister || f == code::kOpen) return ParsePrimary();

  const SourceSpan where = tokens_.token_span();
  NextToken();
  ParsePrimary();

  const Keyword* keyword = KeywordOfCode(f);
  if (keyword != nullptr && keyword->varies) program_.varies = true;
  if (keyword == nullptr) {
    // An operator or punctuation token in this position takes no further arguments.
    program_.stray_slots.push_back(EmitSlot(f, 0, where));
  } else if (f == code::kIf) {
    ParseIf(where, depth);
  } else if (f == code::kLoop) {
    ParseLoop(where, depth);
  } else if (keyword->variadic()) {
    int further = 0;
    while (CommaAtCallLevel(depth)) {
      ParsePrimary();
      ++further;
    }
    if (further + 1 < keyword->min_operands) Fail(err::kSyntax);
    EmitSlot(f, further, where);
  } else {
    const int further = keyword->max_operands - 1;
    for (int i = 0; i < further; ++i) {
      if (!CommaAtCallLevel(depth)) Fail(err::kSyntax);
      ParsePrimary();
    }
    EmitSlot(f, further, where);
  }
}

// if(test, then [, else]): the test's slot jumps past "then" when the test is 0, the end of
// "then" jumps past "else"; a missing "else" is 0.
void Compiler::ParseIf(SourceSpan where, int depth) {
  const int test = EmitSlot(code::kIf, 0, where);
  if (!CommaAtCallLevel(depth)) Fail(err::kSyntax);
  ParsePrimary();
  PatchJump(test, output_index_);
  const int then_end = EmitSlot(code::kEndBranch, 0, where);
  if (CommaAtCallLevel(depth)) {
    ParsePrimary();
  } else {
    EmitSlot(code::kNumber, 0, where);
  }
  PatchJump(then_end, output_index_);
  EmitSlot(code::kEndBranch, output_index_, where);
}

// loop(from, to, step, body): the head slot leaves the loop past the body, the slot after the
// body goes back to the head.
void Compiler::ParseLoop(SourceSpan where, int depth) {
  for (int i = 0; i < 2; ++i) {
    if (!CommaAtCallLevel(depth)) Fail(err::kSyntax);
    ParsePrimary();
  }
  if (!CommaAtCallLevel(depth)) Fail(err::kSyntax);
  const int head = EmitSlot(code::kLoop, 0, where);
  ParsePrimary();
  PatchJump(head, output_index_);
  EmitSlot(code::kLoopBack, head - 1, where);
}

// primary := number | register | ( "(" | "," ) expression [ ")" ]
void Compiler::ParsePrimary() {
  const int t = token();
  if (t == code::kNumber || t == code::kRegister) {
    EmitSlot(t, tokens_.token_value(), tokens_.token_span());
    NextToken();
  } else if (t == code::kOpen || t == code::kComma) {
    NextToken();
    ParseExpression();
    if (token() == code::kClose) NextToken();
  } else {
    Fail(err::kSyntax);
  }
}

}  // namespace

void CompileFormula(std::u16string_view text, Program& program) {
  // L + 2 zeroed slots. The bytes are cleared in one go: filling slot by slot costs more than
  // the rest of a short compile.
  program.slots.resize(text.size() + 2);
  std::memset(static_cast<void*>(program.slots.data()), 0, program.slots.size() * sizeof(Slot));
  program.spans.resize(text.size() + 2);
  program.stray_slots.clear();
  program.varies = false;
  Compiler compiler(text, program);
  try {
    compiler.CompileFormula();
  } catch (NumberedError& e) {
    // Arithmetic faults of a number literal are raised without a place; the literal is it.
    e.Locate(compiler.TokenSpan());
    throw;
  }
}

SourceSpan Program::ErrorSpan(int slot, int error) const {
  if (error == err::kSyntax) {
    for (auto it = stray_slots.rbegin(); it != stray_slots.rend(); ++it)
      if (*it <= slot) return spans[static_cast<std::size_t>(*it)];
  }
  return spans[static_cast<std::size_t>(slot)];
}

}  // namespace tly
