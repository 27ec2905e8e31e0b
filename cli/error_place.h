// Where in a formula the engine found an error, as the CLI reports it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tly {

// A source span [begin, end) in UTF-16 code units of the formula.
struct ErrorPlace {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The span of the error that `engine` raised in its last compilation or evaluation; none when
// the last one succeeded (an error of the conversion that follows has no place in the
// formula) or when the engine does not report places.
template <typename Engine>
std::optional<ErrorPlace> LastErrorPlace(const Engine& engine) {
  if constexpr (requires { engine.error_span(); }) {
    const auto span = engine.error_span();
    if (!span) return std::nullopt;
    return ErrorPlace{static_cast<std::size_t>(span->begin), static_cast<std::size_t>(span->end)};
  } else {
    return std::nullopt;
  }
}

// "3-3": the first and last 1-based columns of `place` in `formula`, counted in characters (a
// surrogate pair is one column). An empty span names the column where it starts.
std::string ColumnRange(std::u16string_view formula, ErrorPlace place);

}  // namespace tly
