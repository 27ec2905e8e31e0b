#include <gtest/gtest.h>

#include "engine_helpers.h"
#include "program.h"

namespace tly {
namespace {

using testing::ErrorOf;
using testing::Widen;

// The compiled program as "code[value] code[value] ..." (slots 1 ... N).
std::string Listing(const Tly& engine) {
  std::string out;
  const auto& slots = engine.compiled();
  for (std::size_t i = 1; i <= static_cast<std::size_t>(slots[0].code); ++i) {
    if (!out.empty()) out += ' ';
    out += std::to_string(slots[i].code) + '[' + FormatPrecise(slots[i].value) + ']';
  }
  return out;
}

// The compiled programs of compiled_listings.txt.
TEST(Compile, MatchesTheGoldenListings) {
  const auto rows = testing::ReadRows(TALLYRA_COMPILED_LISTINGS, " | ");
  ASSERT_GE(rows.size(), 15u) << TALLYRA_COMPILED_LISTINGS;
  for (const auto& [formula, slots] : rows) {
    Tly t;
    t.CompileFormula(Widen(formula));
    EXPECT_EQ(Listing(t), slots) << formula;
  }
}

TEST(Compile, AFailedCompileLeavesAnEmptyProgram) {
  Tly t;
  t.CompileFormula(u"1+2");
  EXPECT_EQ(ErrorOf([&] { t.CompileFormula(u"1+2+"); }), 2);
  EXPECT_EQ(t.compiled()[0].code, 0);  // a failed compile leaves an empty program
  EXPECT_EQ(t.EvaluateFormula(), 0);
}

TEST(Compile, DeepChainsEndInAnErrorNotACrash) {
  // Each stray comma or relation nests one more expression; the chain is bounded.
  std::string relations;
  for (int i = 0; i < 15000; ++i) relations += "1<";
  for (const std::string& f : {"sin(" + std::string(20000, ',') + "1)", relations + "1"}) {
    Tly t;
    EXPECT_EQ(ErrorOf([&] { t.CompileFormula(Widen(f)); }), 16);
  }
  // A few hundred levels are still fine.
  Tly t;
  EXPECT_EQ(ErrorOf([&] { t.CompileFormula(Widen(relations.substr(0, 1000) + "1")); }),
            std::nullopt);
}

}  // namespace
}  // namespace tly
