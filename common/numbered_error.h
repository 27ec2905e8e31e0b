// Numbered errors: every failure of the engine (and of the settings library, as seen by the
// program) is one of these, raised where it is found and caught only by the handler that
// reports it.
#pragma once

#include <exception>
#include <optional>

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

// Characters [begin, end) of a formula, counted in UTF-16 code units from 0. An empty span at
// the end of the text says that the formula ended too early.
struct SourceSpan {
  int begin = 0;
  int end = 0;
  friend bool operator==(const SourceSpan&, const SourceSpan&) = default;
};

class NumberedError : public std::exception {
 public:
  explicit NumberedError(int number) noexcept : number_(number) {}
  NumberedError(int number, SourceSpan where) noexcept : number_(number), where_(where) {}
  int number() const noexcept { return number_; }
  // Where in the formula the engine found the fault; empty for errors of other origins.
  const std::optional<SourceSpan>& where() const noexcept { return where_; }
  void Locate(SourceSpan where) noexcept {
    if (!where_) where_ = where;
  }
  const char* what() const noexcept override { return "numbered error"; }

 private:
  int number_;
  std::optional<SourceSpan> where_;
};

// Out of line and cold, so that a check costs its caller only a call.
[[noreturn, gnu::noinline, gnu::cold]] inline void Raise(int number) {
  throw NumberedError(number);
}
[[noreturn, gnu::noinline, gnu::cold]] inline void Raise(int number, SourceSpan where) {
  throw NumberedError(number, where);
}

}  // namespace tly
