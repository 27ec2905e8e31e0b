// Slots to a value: a program translated once into the machine's own instructions, and the
// stack machine that runs them against a State.
#pragma once

#include <cstdint>
#include <vector>

#include "catalogue.h"
#include "program.h"
#include "state.h"

namespace tly {

// The machine's cases. Most stand for one slot; the ones named "...Number" and "...Register"
// stand for a push and the operator slot after it, and kSquare for a push of 2 and "^".
enum class Op : std::uint8_t {
  kPushNumber,
  kPushRegister,
  kBadRegister,  // a register slot outside &ans ... z
  kAdd,
  kSubtract,
  kMultiply,
  kDivide,
  kIntDivide,
  kRemainder,
  kPower,
  kAddNumber,
  kSubtractNumber,
  kMultiplyNumber,
  kDivideNumber,
  kPowerNumber,
  kSquare,
  kAddRegister,
  kSubtractRegister,
  kMultiplyRegister,
  kDivideRegister,
  kPowerRegister,
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
  kRelation,  // a relation token where an operand belongs
  kNoAction,  // punctuation where an operand belongs
  kCall1,
  kCall,
  kExit,
};

struct Instruction {
  Op op = Op::kExit;
  std::int32_t slot = 0;     // whose source span an error here takes (of a pair, the operator)
  std::int32_t operand = 0;  // register index, jump target (an instruction), operand count
  double value = 0;          // the number pushed
  FunctionImpl function = nullptr;
};

// A translated program: instructions 0 ... length - 1 of `code`; none for an empty program,
// whose value is 0.
struct Executable {
  std::vector<Instruction> code;  // storage, reused from one translation to the next
  int length = 0;
  int stack_top = 0;
  bool has_loop = false;
  // A program of numbers, operators and calls of functions without state has one value: the
  // machine keeps it from the first run that ends and returns it from then on.
  bool pure = false;
  bool value_known = false;
  double value = 0;
  std::vector<std::int32_t> instruction_of_slot;  // translation scratch, kept for its storage

  void Clear() {
    length = 0;
    pure = false;
    value_known = false;
  }
};

// Translates `program` into `executable`, reusing its storage.
void Translate(const Program& program, Executable& executable);

// Runs `executable`, translated from `program`, on a fresh operand stack. Errors carry the
// source span of the slot that raised them.
double Execute(const Program& program, Executable& executable, State& state);

}  // namespace tly
