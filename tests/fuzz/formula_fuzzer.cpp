// Fuzz target over compile and evaluate: every input ends in a value or a numbered error of
// the formula language, placed inside the formula, never in a crash, a hang, an infinity or a
// NaN; and the preview, made first, gives the same value or error without changing the state.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine.h"
#include "utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The numbers of the errors a formula can raise.
  constexpr int kFormulaErrors[] = {2, 5, 6, 9, 11, 16, 29, 30};
  // The input is UTF-8 text, as the formula CLI reads it; malformed bytes become U+FFFD.
  const std::u16string text =
      tly::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  tly::Tly engine;
  engine.SeedRandom(1);
  engine.SetLoopPassLimit(10000);  // with the costliest functions, one input stays within seconds
  engine.SetClock([] { return tly::LocalTime{2020, 2, 29, 12, 30, 15}; });
  for (int i = 0; i < 26; ++i) engine.SetRegister(i + 1, i * 0.5 - 3);
  const tly::State before = engine.state();
  const tly::Preview preview = engine.PreviewFormula(text);
  if (!(engine.state() == before)) std::abort();
  using Kind = tly::Preview::Kind;
  int pass = 0;
  try {
    engine.CompileFormula(text);
    for (; pass < 2; ++pass) {
      const double r = engine.EvaluateFormula();
      if (!std::isfinite(r)) std::abort();
      if (tly::FormatResult(r).empty()) std::abort();
      if (pass == 0 && preview.kind != Kind::kNone &&
          (preview.kind != Kind::kValue || !(preview.value == r)))
        std::abort();
    }
  } catch (const tly::NumberedError& e) {
    if (std::ranges::find(kFormulaErrors, e.number()) == std::end(kFormulaErrors)) std::abort();
    const auto& where = e.where();
    if (!where || where->begin < 0 || where->begin > where->end ||
        where->end > static_cast<int>(text.size()))
      std::abort();
    if (pass == 0 && preview.kind != Kind::kNone &&
        (preview.kind != Kind::kError || preview.error->number() != e.number() ||
         !(preview.error->where() == where)))
      std::abort();
  }
  return 0;
}
