// The compiler's output: the slots of a formula's postfix program and, beside them, where in
// the formula text each slot came from.
#pragma once

#include <cstdint>
#include <vector>

#include "numbered_error.h"

namespace tly {

// One slot of a compiled formula. Slot 0 holds the program length N in its code, slots
// 1 ... N the postfix program, slot N + 1 the end code 255.
struct Slot {
  std::int16_t code = 0;
  double value = 0;
};

struct Program {
  // L + 2 slots for a formula of L characters; after a failed compile slot 0 holds 0.
  std::vector<Slot> slots;
  // The characters each slot of 1 ... N was compiled from: its number, register, operator or
  // keyword.
  std::vector<SourceSpan> spans;
  // The slots of operators and punctuation that stood where an operand belongs ('1+*2'). Such
  // a slot takes what its neighbours pushed, so a later slot finds the stack empty.
  std::vector<int> stray_slots;
  bool varies = false;  // uses rnd, nrnd or now

  int length() const { return slots.empty() ? 0 : slots[0].code; }

  // The last slot of the operand stack an evaluation may use: (L + 1) div 2 + 1.
  int stack_top() const { return (static_cast<int>(slots.size()) - 1) / 2 + 1; }

  // Where an error raised by slot `slot` lies in the text. An evaluation finds the stack empty
  // (error 2) only after a stray operator, so that error is placed at the last stray operator
  // up to the raising slot.
  SourceSpan ErrorSpan(int slot, int error) const;
};

}  // namespace tly
