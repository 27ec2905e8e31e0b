// Slots to instructions: each slot's case and operand decoded once, and the common pairs of a
// push and an operator fused into one instruction.
#include <array>

#include "codes.h"
#include "machine.h"

namespace tly {
namespace {

constexpr Op OpOfCode(int c) {
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
        return k->max_operands == 1 ? Op::kCall1 : Op::kCall;
      return Op::kNoAction;  // punctuation, and the end code inside a program
  }
}

// What a push followed by slot code `c` fuses into: {with a number, with a register}, or
// kExit for a code that does not fuse.
struct Fused {
  Op with_number = Op::kExit;
  Op with_register = Op::kExit;
};

constexpr Fused FusedWith(int c) {
  switch (c) {
    case code::kAdd: return {Op::kAddNumber, Op::kAddRegister};
    case code::kSubtract: return {Op::kSubtractNumber, Op::kSubtractRegister};
    case code::kMultiply: return {Op::kMultiplyNumber, Op::kMultiplyRegister};
    case code::kDivide: return {Op::kDivideNumber, Op::kDivideRegister};
    case code::kPower: return {Op::kPowerNumber, Op::kPowerRegister};
    default: return {};
  }
}

struct CodeInfo {
  Op op;
  Fused fused;
  bool jump;
  bool pure;  // reads and writes nothing but the operand stack
};

constexpr bool IsPure(int c, Op op) {
  switch (op) {
    case Op::kPushRegister:
    case Op::kMem:
    case Op::kRm:
    case Op::kIf:
    case Op::kEndBranch:
    case Op::kLoop:
    case Op::kLoopBack: return false;
    case Op::kCall1:
    case Op::kCall: return !KeywordOfCode(c)->varies;
    default: return true;
  }
}

constexpr auto kCodeInfo = [] {
  std::array<CodeInfo, code::kCodeCount> info{};
  for (int c = 0; c < code::kCodeCount; ++c) {
    const bool jump =
        c == code::kIf || c == code::kEndBranch || c == code::kLoop || c == code::kLoopBack;
    info[static_cast<std::size_t>(c)] = {OpOfCode(c), FusedWith(c), jump, IsPure(c, OpOfCode(c))};
  }
  return info;
}();

const CodeInfo& InfoOf(const Slot& s) { return kCodeInfo[static_cast<std::uint8_t>(s.code)]; }

// The slot after jump target `target`, which is where a jump goes on.
std::size_t SlotAfter(double target) { return static_cast<std::size_t>(target) + 1; }

// The register slots hold &ans ... z: 256 ... 282, within which a value rounds to one of them.
bool IsRegisterNumber(double number) {
  return number >= code::kAnsRegisterNumber - 0.5 && number <= code::kLastLetterRegister + 0.5;
}

}  // namespace

void Translate(const Program& program, Executable& out) {
  out.Clear();
  const int n = program.length();
  if (n <= 0) return;
  out.stack_top = program.stack_top();
  out.has_loop = false;
  const Slot* slots = program.slots.data();

  // The storage only grows: filling new instructions before they are written would cost more
  // than the rest of a short translation.
  if (out.code.size() < static_cast<std::size_t>(n) + 1)
    out.code.resize(static_cast<std::size_t>(n) + 1);
  Instruction* const code = out.code.data();
  Instruction* in = code;
  // From the first jump on, the slot each instruction starts at. Every jump goes on at a slot
  // after itself, but for the one back to a loop's head, which is a jump itself; the slots
  // jumps go on at are marked -1 until reached, and must begin an instruction.
  auto& first = out.instruction_of_slot;
  bool jumps = false, pure = true;
  for (int s = 1; s <= n; ++s, ++in) {
    const Slot& slot = slots[s];
    const CodeInfo& info = InfoOf(slot);
    pure = pure && info.pure;
    if (info.jump) {
      if (!jumps) first.assign(static_cast<std::size_t>(n) + 2, 0);
      jumps = true;
      if (SlotAfter(slot.value) > static_cast<std::size_t>(s)) first[SlotAfter(slot.value)] = -1;
      if (slot.code == code::kLoop) out.has_loop = true;
    }
    if (jumps) first[static_cast<std::size_t>(s)] = static_cast<std::int32_t>(in - code);
    *in = {info.op, s, 0, slot.value, nullptr};
    switch (in->op) {
      case Op::kPushRegister:
        if (!IsRegisterNumber(slot.value)) {
          in->op = Op::kBadRegister;
          continue;
        }
        in->operand = RegisterIndex(static_cast<int>(std::lrint(slot.value)));
        break;
      case Op::kPushNumber: break;
      case Op::kCall1:
      case Op::kCall: {
        const Keyword& k = *KeywordOfCode(slot.code);
        in->function = k.function;
        in->operand = k.variadic() ? Round16(slot.value) + 1 : k.max_operands;
        continue;
      }
      default: continue;
    }
    // A push, which fuses with the operator after it unless a jump goes on there.
    if (s == n || (jumps && first[static_cast<std::size_t>(s) + 1] < 0)) continue;
    const Fused fused = InfoOf(slots[s + 1]).fused;
    if (fused.with_number == Op::kExit) continue;
    if (in->op == Op::kPushNumber) {
      in->op =
          slots[s + 1].code == code::kPower && slot.value == 2 ? Op::kSquare : fused.with_number;
    } else {
      in->op = fused.with_register;
    }
    in->slot = ++s;
  }
  const auto exit = static_cast<std::int32_t>(in - code);
  *in = {Op::kExit, n + 1, 0, 0, nullptr};
  out.length = exit + 1;
  out.pure = pure;

  if (!jumps) return;
  first[static_cast<std::size_t>(n) + 1] = exit;
  for (Instruction* i = code; i != in; ++i) {
    if (i->op == Op::kIf || i->op == Op::kEndBranch || i->op == Op::kLoop || i->op == Op::kLoopBack)
      i->operand = first[SlotAfter(i->value)];
  }
}

}  // namespace tly
