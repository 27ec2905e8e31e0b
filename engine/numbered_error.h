// Numbered errors: every failure of the engine (and of the settings library, as seen by the
// program) is one of these, raised where it is found and caught only by the handler that
// reports it.
#pragma once

#include <exception>

namespace tly {

namespace err {
inline constexpr int kSyntax = 2;
inline constexpr int kInvalidArgument = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfRange = 9;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTooComplex = 16;
inline constexpr int kUnbalanced = 29;
inline constexpr int kNotSupported = 30;
inline constexpr int kRegistry = 335;
}  // namespace err

class NumberedError : public std::exception {
 public:
  explicit NumberedError(int number) noexcept : number_(number) {}
  int number() const noexcept { return number_; }
  const char* what() const noexcept override { return "numbered error"; }

 private:
  int number_;
};

[[noreturn]] void Raise(int number);

}  // namespace tly
