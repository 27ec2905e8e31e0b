// Instructions to a value: a stack machine that walks a translated formula once, following
// the jumps of "if" and "loop".
#include "machine.h"

#include <cstring>
#include <memory>

#include "arith.h"

namespace tly {
namespace {

// The operand stack of one evaluation: slots 0 ... M, all 0 at the start. Short formulas keep
// it on the machine stack; longer ones get one allocation. Only a loop reads a slot above the
// top; without one, every slot but 0 is written before it is read, and only slot 0 is cleared.
class OperandStack {
 public:
  OperandStack(int top, bool reads_above_top) : top_(top) {
    if (top_ < kInline) {
      data_ = inline_;
      if (!reads_above_top) {
        inline_[0] = 0;
        return;
      }
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
  if (!(n >= 0 && n <= kLetterCount - 1)) Raise(err::kOutOfRange);
  const int k = static_cast<int>(n);
  if (k != n) Raise(err::kOutOfRange);
  return LetterRegisterIndex(k);
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

}  // namespace

// Dispatch, in the manner of Lua's interpreter loop: CASE labels a case, NEXT goes on with the
// following instruction, CONTINUE_AT with a given one. With GCC and Clang every case jumps
// through a table of label addresses straight to the case of the next instruction, without the
// range test of a switch and the jump back to its head; any other compiler gets the switch.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"  // labels as values
#define DISPATCH() goto* kCases[static_cast<std::size_t>(pc->op)];
#define CASE(op) case_##op:
#define REDISPATCH() goto* kCases[static_cast<std::size_t>(pc->op)]
#define GOTO_CASE(op) goto case_##op
#else
#define DISPATCH() switch (pc->op)
#define CASE(op) case Op::op:
#define REDISPATCH() continue
#define GOTO_CASE(op) continue
#endif
#define NEXT() \
  ++pc;        \
  REDISPATCH()
#define CONTINUE_AT(target) \
  pc = code + (target);     \
  REDISPATCH()

double Execute(const Program& program, Executable& executable, State& state) {
  if (executable.value_known) return executable.value;
  if (executable.length == 0) return 0;  // an empty program leaves the zeroed stack's slot 1
  OperandStack stack(executable.stack_top, executable.has_loop);
  double* const data = stack.data();
  const int top = stack.top();
  const Instruction* const code = executable.code.data();
  double* const registers = state.registers.data();
  long long passes_left = state.loop_pass_limit;
  const bool timed = state.deadline.has_value();

  // Between two instructions 1 <= sp <= top (before the first one sp is 0), and `value` holds
  // data[sp], so that the cases read the top without going through memory. A slot that pushes
  // can therefore only overflow the stack (error 9), and one that does not can only leave it
  // empty (error 2) or, starting at 0, read below it (error 9). The cases check just the end
  // they can cross, mostly through push, pop and replace_top; `finish` checks both. A fused
  // pair leaves the stack as its two slots would, the pushed value above the top included.
  int sp = 0;
  double value = 0;
  int fault_in_push = 0;  // 1 when the push half of a fused pair raised
  auto push = [&](double v) {
    if (sp == top) [[unlikely]]
      Raise(err::kOutOfRange);
    data[++sp] = value = v;
  };
  auto push_under = [&](double v) {  // the push of a fused pair, popped again at once
    if (sp == top) [[unlikely]] {
      fault_in_push = 1;
      Raise(err::kOutOfRange);
    }
    data[sp + 1] = v;
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

#if defined(__GNUC__)
  static const void* const kCases[] = {
      &&case_kPushNumber,
      &&case_kPushRegister,
      &&case_kBadRegister,
      &&case_kAdd,
      &&case_kSubtract,
      &&case_kMultiply,
      &&case_kDivide,
      &&case_kIntDivide,
      &&case_kRemainder,
      &&case_kPower,
      &&case_kAddNumber,
      &&case_kSubtractNumber,
      &&case_kMultiplyNumber,
      &&case_kDivideNumber,
      &&case_kPowerNumber,
      &&case_kSquare,
      &&case_kAddRegister,
      &&case_kSubtractRegister,
      &&case_kMultiplyRegister,
      &&case_kDivideRegister,
      &&case_kPowerRegister,
      &&case_kNegate,
      &&case_kEq,
      &&case_kNe,
      &&case_kGe,
      &&case_kGt,
      &&case_kLe,
      &&case_kLt,
      &&case_kNot,
      &&case_kAnd,
      &&case_kOr,
      &&case_kXor,
      &&case_kMem,
      &&case_kRm,
      &&case_kIf,
      &&case_kEndBranch,
      &&case_kLoop,
      &&case_kLoopBack,
      &&case_kRelation,
      &&case_kNoAction,
      &&case_kCall1,
      &&case_kCall,
      &&case_kExit,
  };
  static_assert(std::size(kCases) == static_cast<std::size_t>(Op::kExit) + 1);
#endif

  const Instruction* pc = code;
  try {
    for (;;) {
      DISPATCH() {
        CASE(kPushNumber) {
          push(pc->value);
          NEXT();
        }
        CASE(kPushRegister) {
          push(registers[pc->operand]);
          NEXT();
        }
        CASE(kBadRegister) {
          // Outside &ans ... z the rounding fails (error 6) or yields another number (error 9).
          Round32(pc->value);
          Raise(err::kOutOfRange);
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
        CASE(kAddNumber) {
          push_under(pc->value);
          replace_top(Add(value, pc->value));
          NEXT();
        }
        CASE(kSubtractNumber) {
          push_under(pc->value);
          replace_top(Sub(value, pc->value));
          NEXT();
        }
        CASE(kMultiplyNumber) {
          push_under(pc->value);
          replace_top(Mul(value, pc->value));
          NEXT();
        }
        CASE(kDivideNumber) {
          push_under(pc->value);
          replace_top(Div(value, pc->value));
          NEXT();
        }
        CASE(kPowerNumber) {
          push_under(pc->value);
          replace_top(Pow(value, pc->value));
          NEXT();
        }
        CASE(kSquare) {
          // Pow(a, 2) is the product a * a.
          push_under(2);
          replace_top(Mul(value, value));
          NEXT();
        }
        CASE(kAddRegister) {
          const double b = registers[pc->operand];
          push_under(b);
          replace_top(Add(value, b));
          NEXT();
        }
        CASE(kSubtractRegister) {
          const double b = registers[pc->operand];
          push_under(b);
          replace_top(Sub(value, b));
          NEXT();
        }
        CASE(kMultiplyRegister) {
          const double b = registers[pc->operand];
          push_under(b);
          replace_top(Mul(value, b));
          NEXT();
        }
        CASE(kDivideRegister) {
          const double b = registers[pc->operand];
          push_under(b);
          replace_top(Div(value, b));
          NEXT();
        }
        CASE(kPowerRegister) {
          const double b = registers[pc->operand];
          push_under(b);
          replace_top(Pow(value, b));
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
          registers[index] = value;
          replace_top(value);  // the stored value stays on top
          NEXT();
        }
        CASE(kRm) {
          replace_top(registers[LetterIndex(value)]);
          NEXT();
        }
        CASE(kIf) {
          const int next = value == 0 ? pc->operand : static_cast<int>(pc - code) + 1;
          replace_top(value);
          CONTINUE_AT(next);
        }
        CASE(kEndBranch) {
          --sp;
          finish();
          CONTINUE_AT(pc->operand);
        }
        CASE(kLoop) {
          // Once stack[sp - 2] is inside the stack, so is stack[sp - 1].
          const double from = stack[sp - 2], to = data[sp - 1], step = value;
          if (step == 0) Raise(err::kInvalidArgument);
          registers[kLoopVariableIndex] = from;
          if ((from > to) == (step > 0) && from != to) {
            value = stack[sp + 1];  // the body's value from its last pass
            sp -= 2;
            replace_top(value);
            CONTINUE_AT(pc->operand);
          }
          const double next = Add(from, step);
          // A step too small to move the loop variable would never end the loop.
          if (next == from) Raise(err::kInvalidArgument);
          if (passes_left <= 0) Raise(err::kTooComplex);
          --passes_left;
          if (timed && passes_left % State::kPassesPerClockCheck == 0 &&
              std::chrono::steady_clock::now() >= *state.deadline) [[unlikely]]
            Raise(err::kTooComplex);
          data[sp - 2] = next;  // the step stays on top
          NEXT();
        }
        CASE(kLoopBack) {
          // Always back to the loop's head.
          value = stack[--sp];
          replace_top(value);
          pc = code + pc->operand;
          GOTO_CASE(kLoop);
        }
        CASE(kRelation) { Raise(err::kSyntax); }
        CASE(kNoAction) {
          value = stack[sp];  // the top is stored back
          replace_top(value);
          NEXT();
        }
        CASE(kCall1) {
          // The one operand is the top, always inside the stack.
          replace_top(pc->function(state, data + sp, 1));
          NEXT();
        }
        CASE(kCall) {
          const int count = pc->operand;
          const int first = sp - count + 1;
          if (first < 0) Raise(err::kOutOfRange);  // the top, sp, is always inside the stack
          value = pc->function(state, &stack[first], count);
          sp = first;
          replace_top(value);
          NEXT();
        }
        CASE(kExit) {
          if (executable.pure) {
            executable.value = data[1];
            executable.value_known = true;
          }
          return data[1];
        }
      }
    }
  } catch (NumberedError& e) {
    e.Locate(program.ErrorSpan(pc->slot - fault_in_push, e.number()));
    throw;
  }
}

#undef DISPATCH
#undef CASE
#undef REDISPATCH
#undef GOTO_CASE
#undef NEXT
#undef CONTINUE_AT
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace tly
