// Slots to a value: a stack machine that walks the compiled formula once, following the jumps
// of "if" and "loop".
#include <array>
#include <cstring>
#include <memory>

#include "arith.h"
#include "codes.h"
#include "functions.h"
#include "tly.h"

namespace tly {
namespace {

// The operand stack of one evaluation: slots 0 ... M, all 0 at the start. Short formulas keep
// it on the machine stack; longer ones get one allocation.
class OperandStack {
 public:
  explicit OperandStack(int top) : top_(top) {
    if (top_ < kInline) {
      data_ = inline_;
      // Whole blocks of eight: fixed-size stores, where a plain loop becomes a "rep stos"
      // whose start-up costs more than the rest of a short evaluation.
      for (int i = 0; i <= top_; i += kBlock) std::memset(inline_ + i, 0, sizeof(double) * kBlock);
    } else {
      heap_ = std::make_unique<double[]>(static_cast<std::size_t>(top_) + 1);
      data_ = heap_.get();
    }
  }
  OperandStack(const OperandStack&) = delete;
  OperandStack& operator=(const OperandStack&) = delete;

  double& operator[](int i) {
    // One comparison for both ends: top_ is at least 1.
    if (static_cast<unsigned>(i) > static_cast<unsigned>(top_)) [[unlikely]]
      Raise(err::kOutOfRange);
    return data_[i];
  }
  double* data() { return data_; }
  int top() const { return top_; }

 private:
  static constexpr int kInline = 64;
  static constexpr int kBlock = 8;  // kInline is a multiple
  int top_;
  double* data_;
  double inline_[kInline];
  std::unique_ptr<double[]> heap_;
};

double TruthValue(bool b) { return b ? -1.0 : 0.0; }

// Register index of "mem" and "rm": an integer 0 ... 25, naming a ... z. Inside that range
// truncation tells an integer as IsInteger does, without a call to floor.
int LetterIndex(double n) {
  if (!(n >= 0 && n <= 25)) Raise(err::kOutOfRange);
  const int k = static_cast<int>(n);
  if (k != n) Raise(err::kOutOfRange);
  return k + 1;
}

std::int32_t IntQuotient(double a, double b) {
  std::int32_t x = Round32(a), y = Round32(b);
  if (y == 0) Raise(err::kDivisionByZero);
  if (y == -1) {
    if (x == INT32_MIN) Raise(err::kOverflow);  // 2147483648 does not fit
    return -x;
  }
  return x / y;
}

std::int32_t IntRemainder(double a, double b) {
  std::int32_t x = Round32(a), y = Round32(b);
  if (y == 0) Raise(err::kDivisionByZero);
  if (y == -1) return 0;  // also for INT32_MIN, where the machine division would trap
  return x % y;
}

// The evaluator's own cases, one per kind of slot; every other code calls a built-in function
// or does nothing. Dispatch runs on this dense numbering: on the slot codes themselves, spread
// from 1 to 255, the compiler tests ranges before it reaches its jump table.
enum class Step : std::uint8_t {
  kCall,
  kNumber,
  kRegister,
  kAdd,
  kSubtract,
  kMultiply,
  kDivide,
  kIntDivide,
  kRemainder,
  kPower,
  kNegate,
  kEq,
  kNe,
  kGe,
  kGt,
  kLe,
  kLt,
  kNot,
  kAnd,
  kOr,
  kXor,
  kMem,
  kRm,
  kIf,
  kEndBranch,
  kLoop,
  kLoopBack,
  kRelation,
  kEnd,
};

constexpr Step StepFor(int c) {
  switch (c) {
    case code::kNumber: return Step::kNumber;
    case code::kRegister: return Step::kRegister;
    case code::kAdd: return Step::kAdd;
    case code::kSubtract: return Step::kSubtract;
    case code::kMultiply: return Step::kMultiply;
    case code::kDivide: return Step::kDivide;
    case code::kIntDivide: return Step::kIntDivide;
    case code::kRemainder: return Step::kRemainder;
    case code::kPower: return Step::kPower;
    case code::kNegate: return Step::kNegate;
    case code::kEq: return Step::kEq;
    case code::kNe: return Step::kNe;
    case code::kGe: return Step::kGe;
    case code::kGt: return Step::kGt;
    case code::kLe: return Step::kLe;
    case code::kLt: return Step::kLt;
    case code::kNot: return Step::kNot;
    case code::kAnd: return Step::kAnd;
    case code::kOr: return Step::kOr;
    case code::kXor: return Step::kXor;
    case code::kMem: return Step::kMem;
    case code::kRm: return Step::kRm;
    case code::kIf: return Step::kIf;
    case code::kEndBranch: return Step::kEndBranch;
    case code::kLoop: return Step::kLoop;
    case code::kLoopBack: return Step::kLoopBack;
    case code::kEquals:
    case code::kNotEqual:
    case code::kGreaterEqual:
    case code::kGreater:
    case code::kLessEqual:
    case code::kLess: return Step::kRelation;
    case code::kEnd: return Step::kEnd;
    default: return Step::kCall;
  }
}

constexpr std::array<Step, 256> kSteps = [] {
  std::array<Step, 256> steps{};
  for (int c = 0; c < 256; ++c) steps[static_cast<std::size_t>(c)] = StepFor(c);
  return steps;
}();

constexpr std::array<std::int8_t, 256> kOperandCounts = [] {
  std::array<std::int8_t, 256> counts{};
  for (int c = 0; c < 256; ++c)
    counts[static_cast<std::size_t>(c)] = static_cast<std::int8_t>(code::OperandCount(c));
  return counts;
}();

}  // namespace

// Dispatch, in the manner of Lua's interpreter loop: CASE labels a case, NEXT goes on with the
// following slot, CONTINUE_AT with a given one. With GCC and Clang every case jumps through a
// table of label addresses straight to the case of the next slot, without the range test of a
// switch and the jump back to its head; any other compiler gets the plain switch.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"  // labels as values
#define DISPATCH() goto* kCaseOfCode[static_cast<std::uint8_t>(pc->code)];
#define CASE(step) case_##step:
#define REDISPATCH() goto* kCaseOfCode[static_cast<std::uint8_t>(pc->code)]
#else
#define DISPATCH() switch (kSteps[static_cast<std::uint8_t>(pc->code)])
#define CASE(step) case Step::step:
#define REDISPATCH() continue
#endif
#define NEXT() \
  ++pc;        \
  REDISPATCH()
#define CONTINUE_AT(slot)        \
  pc = (slot);                   \
  if (pc > last) return data[1]; \
  REDISPATCH()

double Tly::EvaluateFormula() {
  const int n = slots_.empty() ? 0 : slots_[0].code;
  if (n <= 0) return 0;  // an empty program leaves the zeroed stack's slot 1
  OperandStack stack((static_cast<int>(slots_.size()) - 1) / 2 + 1);
  double* const data = stack.data();
  const int top = stack.top();
  const Slot* const program = slots_.data();
  // Slot n + 1 holds the end code, whose case ends the walk; jumps check against `last`.
  const Slot* const last = program + n;
  long long passes_left = loop_pass_limit_;

  // Between two slots 1 <= sp <= top (before the first one sp is 0), and `value` holds
  // data[sp], so that the cases read the top without going through memory. A slot that pushes
  // can therefore only overflow the stack (error 9), and one that does not can only leave it
  // empty (error 2) or, starting at 0, read below it (error 9). The cases check just the end
  // they can cross, mostly through push, pop and replace_top; `finish` checks both.
  int sp = 0;
  double value = 0;
  auto push = [&](double v) {
    if (sp == top) [[unlikely]]
      Raise(err::kOutOfRange);
    data[++sp] = value = v;
  };
  auto pop = [&]() {
    if (--sp < 0) [[unlikely]]
      Raise(err::kOutOfRange);
    return data[sp];
  };
  auto replace_top = [&](double v) {
    value = v;
    if (sp == 0) [[unlikely]]
      Raise(err::kSyntax);
    data[sp] = value;
  };
  auto finish = [&] {
    if (sp == 0) Raise(err::kSyntax);
    stack[sp] = value;
  };
  // The slot after the jump target `target` (a slot index), which is where a jump goes on.
  auto after = [&](double target) { return program + Round16(target) + 1; };

#if defined(__GNUC__)
  static const void* const kCases[] = {
      &&case_kCall,     &&case_kNumber,   &&case_kRegister,  &&case_kAdd,       &&case_kSubtract,
      &&case_kMultiply, &&case_kDivide,   &&case_kIntDivide, &&case_kRemainder, &&case_kPower,
      &&case_kNegate,   &&case_kEq,       &&case_kNe,        &&case_kGe,        &&case_kGt,
      &&case_kLe,       &&case_kLt,       &&case_kNot,       &&case_kAnd,       &&case_kOr,
      &&case_kXor,      &&case_kMem,      &&case_kRm,        &&case_kIf,        &&case_kEndBranch,
      &&case_kLoop,     &&case_kLoopBack, &&case_kRelation,  &&case_kEnd,
  };
  // The same by slot code, which saves a look-up in kSteps for every slot.
  static const std::array<const void*, 256> kCaseOfCode = [] {
    std::array<const void*, 256> cases{};
    for (std::size_t c = 0; c < cases.size(); ++c)
      cases[c] = kCases[static_cast<std::size_t>(kSteps[c])];
    return cases;
  }();
#endif

  const Slot* pc = program + 1;
  for (;;) {
    DISPATCH() {
      CASE(kNumber) {
        push(pc->value);
        NEXT();
      }
      CASE(kRegister) {
        // &ans and the letters are 256 ... 282. Inside these bounds the rounding yields one of
        // them; outside, it fails (error 6) or yields another number (error 9).
        const double number = pc->value;
        if (!(number >= 255.5 && number <= 282.5)) [[unlikely]] {
          Round32(number);
          Raise(err::kOutOfRange);
        }
        push(registers_[static_cast<std::size_t>(std::lrint(number) - code::kAnsRegisterNumber)]);
        NEXT();
      }
      CASE(kAdd) {
        const double a = pop();
        replace_top(Add(a, value));
        NEXT();
      }
      CASE(kSubtract) {
        const double a = pop();
        replace_top(Sub(a, value));
        NEXT();
      }
      CASE(kMultiply) {
        const double a = pop();
        replace_top(Mul(a, value));
        NEXT();
      }
      CASE(kDivide) {
        const double a = pop();
        replace_top(Div(a, value));
        NEXT();
      }
      CASE(kIntDivide) {
        const double a = pop();
        replace_top(IntQuotient(a, value));
        NEXT();
      }
      CASE(kRemainder) {
        const double a = pop();
        replace_top(IntRemainder(a, value));
        NEXT();
      }
      CASE(kPower) {
        const double a = pop();
        replace_top(Pow(a, value));
        NEXT();
      }
      CASE(kNegate) {
        replace_top(-value);
        NEXT();
      }
      CASE(kEq) {
        const double a = pop();
        replace_top(TruthValue(a == value));
        NEXT();
      }
      CASE(kNe) {
        const double a = pop();
        replace_top(TruthValue(a != value));
        NEXT();
      }
      CASE(kGe) {
        const double a = pop();
        replace_top(TruthValue(a >= value));
        NEXT();
      }
      CASE(kGt) {
        const double a = pop();
        replace_top(TruthValue(a > value));
        NEXT();
      }
      CASE(kLe) {
        const double a = pop();
        replace_top(TruthValue(a <= value));
        NEXT();
      }
      CASE(kLt) {
        const double a = pop();
        replace_top(TruthValue(a < value));
        NEXT();
      }
      CASE(kNot) {
        replace_top(~Round32(value));
        NEXT();
      }
      CASE(kAnd) {
        const double a = pop();
        replace_top(Round32(a) & Round32(value));
        NEXT();
      }
      CASE(kOr) {
        const double a = pop();
        replace_top(Round32(a) | Round32(value));
        NEXT();
      }
      CASE(kXor) {
        const double a = pop();
        replace_top(Round32(a) ^ Round32(value));
        NEXT();
      }
      CASE(kMem) {
        const int index = LetterIndex(pop());
        registers_[static_cast<std::size_t>(index)] = value;
        replace_top(value);  // the stored value stays on top
        NEXT();
      }
      CASE(kRm) {
        replace_top(registers_[static_cast<std::size_t>(LetterIndex(value))]);
        NEXT();
      }
      CASE(kIf) {
        const Slot* next = value == 0 ? after(pc->value) : pc + 1;
        replace_top(value);
        CONTINUE_AT(next);
      }
      CASE(kEndBranch) {
        --sp;
        const Slot* next = after(pc->value);
        finish();
        CONTINUE_AT(next);
      }
      CASE(kLoop) {
        // Once stack[sp - 2] is inside the stack, so is stack[sp - 1].
        const double from = stack[sp - 2], to = data[sp - 1], step = value;
        if (step == 0) Raise(err::kInvalidArgument);
        registers_[26] = from;
        if ((from > to) == (step > 0) && from != to) {
          value = stack[sp + 1];  // the body's value from its last pass
          sp -= 2;
          const Slot* next = after(pc->value);
          replace_top(value);
          CONTINUE_AT(next);
        }
        const double next = Add(from, step);
        // A step too small to move the loop variable would never end the loop.
        if (next == from) Raise(err::kInvalidArgument);
        if (passes_left <= 0) Raise(err::kTooComplex);
        --passes_left;
        data[sp - 2] = next;  // the step stays on top
        NEXT();
      }
      CASE(kLoopBack) {
        value = stack[--sp];
        const Slot* next = after(pc->value);
        replace_top(value);
        CONTINUE_AT(next);
      }
      CASE(kRelation) { Raise(err::kSyntax); }
      CASE(kEnd) {
        if (pc > last) return data[1];
        value = stack[sp];  // inside the program: no action, as for every code without a function
        replace_top(value);
        NEXT();
      }
      CASE(kCall) {
        const int c = static_cast<std::uint8_t>(pc->code);
        const int count = code::IsVariadic(c) ? Round16(pc->value) + 1
                                              : kOperandCounts[static_cast<std::size_t>(c)];
        FunctionImpl f = count > 0 ? FunctionFor(c) : nullptr;
        if (f == nullptr) {
          value = stack[sp];  // no action: the top is stored back
        } else {
          const int first = sp - count + 1;
          if (first < 0) Raise(err::kOutOfRange);  // the top, sp, is always inside the stack
          value = f(*this, &stack[first], count);
          sp = first;
        }
        replace_top(value);
        NEXT();
      }
    }
  }
}

#undef DISPATCH
#undef CASE
#undef REDISPATCH
#undef NEXT
#undef CONTINUE_AT
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace tly
