// The registers: &ans and the letters a ... z. Slots and the settings name a register by its
// number (256 &ans, 257 "a" ... 282 "z"), the engine's store by its index (0 &ans, 1 ... 26).
#pragma once

namespace tly {

namespace code {
inline constexpr int kAnsRegisterNumber = 256;
inline constexpr int kFirstLetterRegister = 257;  // a
inline constexpr int kLastLetterRegister = 282;   // z
}  // namespace code

inline constexpr int kRegisterCount = code::kLastLetterRegister - code::kAnsRegisterNumber + 1;
inline constexpr int kAnsIndex = 0;
inline constexpr int kLetterCount = kRegisterCount - 1;
inline constexpr int kLoopVariableIndex = kLetterCount;  // z

constexpr int RegisterIndex(int number) { return number - code::kAnsRegisterNumber; }
constexpr int RegisterNumber(int index) { return index + code::kAnsRegisterNumber; }
// Letters count 0 a ... 25 z: the number of letter register `letter`, and back.
constexpr int LetterRegisterNumber(int letter) { return code::kFirstLetterRegister + letter; }
constexpr int LetterOfRegisterNumber(int number) { return number - code::kFirstLetterRegister; }
// The store's index of the letter register `letter`.
constexpr int LetterRegisterIndex(int letter) {
  return RegisterIndex(LetterRegisterNumber(letter));
}
constexpr bool IsLetterRegister(double number) {
  return number >= code::kFirstLetterRegister && number <= code::kLastLetterRegister;
}

// The capital letter that labels letter register `number` ('A' for 257).
constexpr char16_t LetterOfRegister(int number) {
  return static_cast<char16_t>(u'A' + LetterOfRegisterNumber(number));
}

}  // namespace tly
