// The results panel's lines: each calculation as its formula, the result as the result box
// showed it, and the text that puts the result back into a formula. Newest last; at most 500.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "number_format.h"

namespace tly {

inline constexpr int kMaxResultLines = 500;

struct ResultLine {
  std::u16string formula;
  std::u16string shown;   // the value as the result box showed it, or the error message
  std::u16string insert;  // the value as the formula language reads it; empty for an error

  // The line as the list shows it: "formula = result".
  std::u16string Text() const;
  bool operator==(const ResultLine&) const = default;
};

// A line for a calculation that gave `value`, shown in `format`, and one for a calculation that
// failed.
ResultLine ValueLine(std::u16string_view formula, std::u16string_view shown, double value,
                     const NumberFormat& format);
ResultLine ErrorLine(std::u16string_view formula, std::u16string_view message);

// A line as one stored value: the formula, a tab, the result as shown, a tab and the insert
// text. Neither of the last two ever holds a tab, so the last two tabs part the three, whatever
// the formula holds.
std::u16string EncodeResultLine(const ResultLine& line);
// The line in `stored`; nothing when it is not one.
std::optional<ResultLine> DecodeResultLine(std::u16string_view stored);

class ResultList {
 public:
  const std::vector<ResultLine>& lines() const { return lines_; }
  int size() const { return static_cast<int>(lines_.size()); }
  const ResultLine& at(int index) const { return lines_[static_cast<std::size_t>(index)]; }

  // Adds `line` as the newest; at the limit the oldest goes. True when one went.
  bool Add(ResultLine line);
  // Replaces every line with `lines`, oldest first; beyond the limit only the newest stay.
  void Assign(std::vector<ResultLine> lines);
  // Removes line `index`; an index outside the list removes nothing.
  void Remove(int index);
  void Clear() { lines_.clear(); }

 private:
  std::vector<ResultLine> lines_;
};

}  // namespace tly
