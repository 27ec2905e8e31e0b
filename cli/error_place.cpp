#include "error_place.h"

#include <algorithm>

namespace tly {
namespace {

bool IsLead(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsTrail(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The number of characters in `text`: a surrogate pair is one.
std::size_t Characters(std::u16string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(IsTrail(text[i]) && i > 0 && IsLead(text[i - 1]))) ++count;
  }
  return count;
}

}  // namespace

std::string ColumnRange(std::u16string_view formula, SourceSpan place) {
  const auto begin = static_cast<std::size_t>(place.begin),
             end = static_cast<std::size_t>(place.end);
  const std::size_t first = Characters(formula.substr(0, begin)) + 1;
  const std::size_t last = Characters(formula.substr(0, end));
  return std::to_string(first) + '-' + std::to_string(std::max(first, last));
}

}  // namespace tly
