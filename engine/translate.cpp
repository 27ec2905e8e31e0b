// Slots to instructions: each slot's case and operand decoded once, and the common pairs of a
// push and an operator fused into one instruction.
#include "codes.h"
#include "machine.h"

namespace tly {
namespace {

constexpr bool IsJump(int c) {
  return c == code::kIf || c == code::kEndBranch || c == code::kLoop || c == code::kLoopBack;
}

// The slot after jump target `target`, which is where a jump goes on.
int SlotAfter(double target) { return static_cast<int>(target) + 1; }

struct Fused {
  Op with_number;
  Op with_register;
};

// The operators that fuse with a push before them.
constexpr bool Fusable(int c, Fused& fused) {
  switch (c) {
    case code::kAdd: fused = {Op::kAddNumber, Op::kAddRegister}; return true;
    case code::kSubtract: fused = {Op::kSubtractNumber, Op::kSubtractRegister}; return true;
    case code::kMultiply: fused = {Op::kMultiplyNumber, Op::kMultiplyRegister}; return true;
    case code::kDivide: fused = {Op::kDivideNumber, Op::kDivideRegister}; return true;
    case code::kPower: fused = {Op::kPowerNumber, Op::kPowerRegister}; return true;
    default: return false;
  }
}

Op OpOfSlot(int c) {
  switch (c) {
    case code::kNumber: return Op::kPushNumber;
    case code::kRegister: return Op::kPushRegister;
    case code::kAdd: return Op::kAdd;
    case code::kSubtract: return Op::kSubtract;
    case code::kMultiply: return Op::kMultiply;
    case code::kDivide: return Op::kDivide;
    case code::kIntDivide: return Op::kIntDivide;
    case code::kRemainder: return Op::kRemainder;
    case code::kPower: return Op::kPower;
    case code::kNegate: return Op::kNegate;
    case code::kEq: return Op::kEq;
    case code::kNe: return Op::kNe;
    case code::kGe: return Op::kGe;
    case code::kGt: return Op::kGt;
    case code::kLe: return Op::kLe;
    case code::kLt: return Op::kLt;
    case code::kNot: return Op::kNot;
    case code::kAnd: return Op::kAnd;
    case code::kOr: return Op::kOr;
    case code::kXor: return Op::kXor;
    case code::kMem: return Op::kMem;
    case code::kRm: return Op::kRm;
    case code::kIf: return Op::kIf;
    case code::kEndBranch: return Op::kEndBranch;
    case code::kLoop: return Op::kLoop;
    case code::kLoopBack: return Op::kLoopBack;
    default:
      if (code::IsRelationToken(c)) return Op::kRelation;
      if (const Keyword* k = KeywordOfCode(c); k != nullptr && k->function != nullptr)
        return Op::kCall;
      return Op::kNoAction;  // punctuation, and the end code inside a program
  }
}

// The register slots hold &ans ... z: 256 ... 282, within which a value rounds to one of them.
bool IsRegisterNumber(double number) {
  return number >= code::kAnsRegisterNumber - 0.5 && number <= code::kLastLetterRegister + 0.5;
}

Instruction Decode(const Slot& s, int slot) {
  Instruction in;
  in.op = OpOfSlot(s.code);
  in.slot = slot;
  in.value = s.value;
  switch (in.op) {
    case Op::kPushRegister:
      if (!IsRegisterNumber(s.value)) {
        in.op = Op::kBadRegister;
      } else {
        in.operand = RegisterIndex(static_cast<int>(std::lrint(s.value)));
      }
      break;
    case Op::kCall: {
      const Keyword& k = *KeywordOfCode(s.code);
      in.function = k.function;
      in.operand = k.variadic() ? Round16(s.value) + 1 : k.max_operands;
      if (in.operand == 1) in.op = Op::kCall1;
      break;
    }
    default: break;
  }
  return in;
}

}  // namespace

void Translate(const Program& program, Executable& out) {
  out.code.clear();
  const int n = program.length();
  if (n <= 0) return;
  out.stack_top = program.stack_top();
  const Slot* slots = program.slots.data();

  // Marks the slots that jumps go on at, which must begin an instruction.
  auto& first = out.instruction_of_slot;
  first.assign(static_cast<std::size_t>(n) + 2, 0);
  for (int s = 1; s <= n; ++s)
    if (IsJump(slots[s].code)) first[static_cast<std::size_t>(SlotAfter(slots[s].value))] = -1;

  for (int s = 1; s <= n; ++s) {
    const bool target_next = first[static_cast<std::size_t>(s) + 1] < 0;
    first[static_cast<std::size_t>(s)] = static_cast<std::int32_t>(out.code.size());
    Instruction in = Decode(slots[s], s);
    Fused fused{};
    if ((in.op == Op::kPushNumber || in.op == Op::kPushRegister) && s < n && !target_next &&
        Fusable(slots[s + 1].code, fused)) {
      const bool square =
          in.op == Op::kPushNumber && slots[s + 1].code == code::kPower && in.value == 2;
      in.op = square                     ? Op::kSquare
              : in.op == Op::kPushNumber ? fused.with_number
                                         : fused.with_register;
      in.slot = ++s;
    }
    out.code.push_back(in);
  }
  first[static_cast<std::size_t>(n) + 1] = static_cast<std::int32_t>(out.code.size());
  out.code.push_back(Instruction{Op::kExit, n + 1, 0, 0, nullptr});

  for (Instruction& in : out.code) {
    if (in.op == Op::kIf || in.op == Op::kEndBranch || in.op == Op::kLoop || in.op == Op::kLoopBack)
      in.operand = first[static_cast<std::size_t>(SlotAfter(in.value))];
  }
}

}  // namespace tly
