// Slots to a value: a stack machine that walks the compiled formula once, following the jumps
// of "if" and "loop".
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
      for (int i = 0; i <= top_; ++i) inline_[i] = 0;
    } else {
      heap_ = std::make_unique<double[]>(static_cast<std::size_t>(top_) + 1);
      data_ = heap_.get();
    }
  }
  OperandStack(const OperandStack&) = delete;
  OperandStack& operator=(const OperandStack&) = delete;

  double& operator[](int i) {
    if (i < 0 || i > top_) [[unlikely]]
      Raise(err::kOutOfRange);
    return data_[i];
  }
  int top() const { return top_; }

 private:
  static constexpr int kInline = 64;
  int top_;
  double* data_;
  double inline_[kInline];
  std::unique_ptr<double[]> heap_;
};

double TruthValue(bool b) { return b ? -1.0 : 0.0; }

// Register index of "mem" and "rm": an integer 0 ... 25, naming a ... z.
int LetterIndex(double n) {
  if (!IsInteger(n) || n < 0 || n > 25) Raise(err::kOutOfRange);
  return static_cast<int>(n) + 1;
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

}  // namespace

double Tly::EvaluateFormula() {
  const int highest_slot = static_cast<int>(slots_.size()) - 1;
  OperandStack stack(highest_slot / 2 + 1);
  const int n = slots_.empty() ? 0 : slots_[0].code;
  int sp = 0;
  double value = 0;
  long long loop_passes = 0;

  for (int i = 1; i <= n; ++i) {
    const Slot& slot = slots_[static_cast<std::size_t>(i)];
    const int c = slot.code & 0xFF;
    switch (c) {
      case code::kNumber:
        ++sp;
        value = slot.value;
        break;
      case code::kRegister: {
        ++sp;
        std::int32_t index = Round32(slot.value) - code::kAnsRegisterNumber;
        if (index < 0 || index >= kRegisterCount) Raise(err::kOutOfRange);
        value = registers_[static_cast<std::size_t>(index)];
        break;
      }
      case code::kAdd:
        --sp;
        value = Add(stack[sp], stack[sp + 1]);
        break;
      case code::kSubtract:
        --sp;
        value = Sub(stack[sp], stack[sp + 1]);
        break;
      case code::kMultiply:
        --sp;
        value = Mul(stack[sp], stack[sp + 1]);
        break;
      case code::kDivide:
        --sp;
        value = Div(stack[sp], stack[sp + 1]);
        break;
      case code::kIntDivide:
        --sp;
        value = IntQuotient(stack[sp], stack[sp + 1]);
        break;
      case code::kRemainder:
        --sp;
        value = IntRemainder(stack[sp], stack[sp + 1]);
        break;
      case code::kPower:
        --sp;
        value = Pow(stack[sp], stack[sp + 1]);
        break;
      case code::kNegate: value = -stack[sp]; break;
      case code::kEq:
        --sp;
        value = TruthValue(stack[sp] == stack[sp + 1]);
        break;
      case code::kNe:
        --sp;
        value = TruthValue(stack[sp] != stack[sp + 1]);
        break;
      case code::kGe:
        --sp;
        value = TruthValue(stack[sp] >= stack[sp + 1]);
        break;
      case code::kGt:
        --sp;
        value = TruthValue(stack[sp] > stack[sp + 1]);
        break;
      case code::kLe:
        --sp;
        value = TruthValue(stack[sp] <= stack[sp + 1]);
        break;
      case code::kLt:
        --sp;
        value = TruthValue(stack[sp] < stack[sp + 1]);
        break;
      case code::kNot: value = ~Round32(stack[sp]); break;
      case code::kAnd:
        --sp;
        value = Round32(stack[sp]) & Round32(stack[sp + 1]);
        break;
      case code::kOr:
        --sp;
        value = Round32(stack[sp]) | Round32(stack[sp + 1]);
        break;
      case code::kXor:
        --sp;
        value = Round32(stack[sp]) ^ Round32(stack[sp + 1]);
        break;
      case code::kMem: {
        --sp;
        int index = LetterIndex(stack[sp]);
        value = stack[sp + 1];
        registers_[static_cast<std::size_t>(index)] = value;
        break;
      }
      case code::kRm: value = registers_[static_cast<std::size_t>(LetterIndex(stack[sp]))]; break;
      case code::kIf:
        value = stack[sp];
        if (value == 0) i = Round16(slot.value);
        break;
      case code::kEndBranch:
        value = stack[sp];
        --sp;
        i = Round16(slot.value);
        break;
      case code::kLoop: {
        const double from = stack[sp - 2], to = stack[sp - 1], step = stack[sp];
        if (step == 0) Raise(err::kInvalidArgument);
        registers_[26] = from;
        if ((from > to) == (step > 0) && from != to) {
          value = stack[sp + 1];  // the body's value from its last pass
          sp -= 2;
          i = Round16(slot.value);
        } else {
          const double next = Add(from, step);
          // A step too small to move the loop variable would never end the loop.
          if (next == from) Raise(err::kInvalidArgument);
          if (++loop_passes > loop_pass_limit_) Raise(err::kTooComplex);
          stack[sp - 2] = next;
          value = step;
        }
        break;
      }
      case code::kLoopBack:
        --sp;
        value = stack[sp];
        i = Round16(slot.value);
        break;
      case code::kEquals:
      case code::kNotEqual:
      case code::kGreaterEqual:
      case code::kGreater:
      case code::kLessEqual:
      case code::kLess: Raise(err::kSyntax);
      default: {
        int count = code::IsVariadic(c) ? Round16(slot.value) + 1 : code::OperandCount(c);
        FunctionImpl f = count > 0 ? FunctionFor(c) : nullptr;
        if (f == nullptr) {
          value = stack[sp];  // no action: the top is stored back
          break;
        }
        const int first = sp - count + 1;
        if (first < 0) Raise(err::kOutOfRange);  // the top, sp, is always inside the stack
        value = f(*this, &stack[first], count);
        sp = first;
        break;
      }
    }
    if (sp == 0) Raise(err::kSyntax);
    stack[sp] = value;
  }
  return stack[1];
}

}  // namespace tly
