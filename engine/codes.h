// Token and slot codes of the formula language. The tokenizer's token codes and the compiled
// formula's slot codes are the same numbers.
#pragma once

#include <cstdint>

namespace tly::code {

inline constexpr int kNumber = 1;
inline constexpr int kRegister = 2;
inline constexpr int kAdd = 3;
inline constexpr int kSubtract = 4;
inline constexpr int kMultiply = 5;
inline constexpr int kDivide = 6;
inline constexpr int kIntDivide = 7;
inline constexpr int kRemainder = 8;
inline constexpr int kPower = 9;
inline constexpr int kNegate = 15;
inline constexpr int kFirstFunction = 16;
inline constexpr int kLastFunction = 123;
inline constexpr int kSeries = 52;
inline constexpr int kMem = 59;
inline constexpr int kRm = 60;
inline constexpr int kLoop = 61;
inline constexpr int kIf = 80;
inline constexpr int kNot = 81;
inline constexpr int kAnd = 82;
inline constexpr int kOr = 83;
inline constexpr int kXor = 84;
inline constexpr int kEq = 85;
inline constexpr int kNe = 86;
inline constexpr int kGe = 87;
inline constexpr int kGt = 88;
inline constexpr int kLe = 89;
inline constexpr int kLt = 90;
inline constexpr int kFirstList = 96;  // sum
inline constexpr int kLastList = 104;  // har
inline constexpr int kEquals = 240;
inline constexpr int kNotEqual = 241;
inline constexpr int kGreaterEqual = 242;
inline constexpr int kGreater = 243;
inline constexpr int kLessEqual = 244;
inline constexpr int kLess = 245;
inline constexpr int kOpen = 248;
inline constexpr int kClose = 249;
inline constexpr int kComma = 250;
inline constexpr int kLoopBack = 251;
inline constexpr int kEndBranch = 252;
inline constexpr int kEnd = 255;

// Register numbers as slots and the settings name them: 256 is &ans, 257 "a" ... 282 "z".
inline constexpr int kAnsRegisterNumber = 256;
inline constexpr int kFirstLetterRegister = 257;
inline constexpr int kLastLetterRegister = 282;

constexpr bool IsVariadic(int c) { return c == kSeries || (c >= kFirstList && c <= kLastList); }

// How many operands a slot of code `c` takes from the stack: the fixed count of an operator
// or function, 0 for codes with another rule (pushes, jumps, variadic functions, no action).
constexpr int OperandCount(int c) {
  if (c == kNegate || (c >= 16 && c <= 40) || c == 60 || c == 66 || c == 67 || c == 73 || c == 74 ||
      c == 81 || c == 122)
    return 1;
  if ((c >= 3 && c <= 9) || (c >= 41 && c <= 51) || c == 59 || c == 68 || c == 69 || c == 71 ||
      c == 72 || (c >= 82 && c <= 90) || c == 123)
    return 2;
  if (c == 70 || c == 108 || c == 109 || c == 120 || c == 121) return 3;
  if (c == 64 || c == 65 || (c >= 105 && c <= 107)) return 4;
  return 0;
}

}  // namespace tly::code
