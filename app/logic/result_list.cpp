#include "result_list.h"

namespace tly {
namespace {

constexpr char16_t kSeparator = u'\t';

}  // namespace

std::u16string ResultLine::Text() const { return formula + u" = " + shown; }

ResultLine ValueLine(std::u16string_view formula, std::u16string_view shown, double value,
                     const NumberFormat& format) {
  // Whatever the result box shows, the formula reads the copy text: a point, no group marks.
  return {std::u16string(formula), std::u16string(shown), CopyNumber(value, format)};
}

ResultLine ErrorLine(std::u16string_view formula, std::u16string_view message) {
  return {std::u16string(formula), std::u16string(message), {}};
}

std::u16string EncodeResultLine(const ResultLine& line) {
  return line.formula + kSeparator + line.shown + kSeparator + line.insert;
}

std::optional<ResultLine> DecodeResultLine(std::u16string_view stored) {
  const std::size_t last = stored.rfind(kSeparator);
  if (last == std::u16string_view::npos || last == 0) return std::nullopt;
  const std::size_t middle = stored.rfind(kSeparator, last - 1);
  if (middle == std::u16string_view::npos) return std::nullopt;
  ResultLine line{std::u16string(stored.substr(0, middle)),
                  std::u16string(stored.substr(middle + 1, last - middle - 1)),
                  std::u16string(stored.substr(last + 1))};
  if (line.formula.empty() || line.shown.empty()) return std::nullopt;
  return line;
}

bool ResultList::Add(ResultLine line) {
  lines_.push_back(std::move(line));
  if (size() <= kMaxResultLines) return false;
  lines_.erase(lines_.begin());
  return true;
}

void ResultList::Assign(std::vector<ResultLine> lines) {
  lines_ = std::move(lines);
  if (size() > kMaxResultLines) lines_.erase(lines_.begin(), lines_.end() - kMaxResultLines);
}

void ResultList::Remove(int index) {
  if (index >= 0 && index < size()) lines_.erase(lines_.begin() + index);
}

}  // namespace tly
