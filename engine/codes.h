// Token and slot codes of the formula language. The tokenizer's token codes and the compiled
// formula's slot codes are the same numbers; the keywords' codes are in the catalogue.
#pragma once

#include "registers.h"

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
inline constexpr int kCodeCount = 256;  // slot codes are one byte

// A relation between two expressions compiles to the slot of its function: "a < b" is lt(a, b).
struct Relation {
  int token;
  int function;
};
inline constexpr Relation kRelations[] = {
    {kEquals, kEq},  {kNotEqual, kNe},  {kGreaterEqual, kGe},
    {kGreater, kGt}, {kLessEqual, kLe}, {kLess, kLt},
};

constexpr bool IsRelationToken(int token) { return token >= kEquals && token <= kLess; }

constexpr int RelationFunction(int token) {
  for (const Relation& r : kRelations)
    if (r.token == token) return r.function;
  return 0;
}

}  // namespace tly::code
