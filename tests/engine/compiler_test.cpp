#include <gtest/gtest.h>

#include "engine_helpers.h"

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

struct ListingCase {
  const char* formula;
  const char* slots;  // slots 1 ... N as code[value]
};

class CompiledSlots : public ::testing::TestWithParam<ListingCase> {};

TEST_P(CompiledSlots, MatchTheGoldenListing) {
  Tly t;
  t.CompileFormula(Widen(GetParam().formula));
  EXPECT_EQ(Listing(t), GetParam().slots) << GetParam().formula;
}

INSTANTIATE_TEST_SUITE_P(
    All, CompiledSlots,
    ::testing::Values(
        ListingCase{"1-2*3", "1[1] 1[2] 1[3] 5[1] 4[1]"},
        ListingCase{"8/4\\2%3-1-2", "1[8] 1[4] 6[1] 1[2] 7[1] 1[3] 8[1] 1[1] 4[1] 1[2] 4[1]"},
        ListingCase{"-2^2", "1[2] 1[2] 9[1] 15[0]"}, ListingCase{"2^-1", "1[2] 1[1] 15[0] 9[1]"},
        ListingCase{"---3", "1[3] 15[0]"}, ListingCase{"b = a = 1", "1[1] 1[0] 1[1] 59[1] 59[1]"},
        ListingCase{"(a) = 5", "1[0] 1[5] 59[1]"},
        ListingCase{"2*a = 6", "1[2] 2[257] 5[1] 1[6] 85[1]"},
        // Relations group to the right, each spelling to its function.
        ListingCase{"1<>2><3=>4>5=<6<7=8",
                    "1[1] 1[2] 1[3] 1[4] 1[5] 1[6] 1[7] 1[8] 85[1] 90[1] 89[1] 88[1] 87[1] 86[1] "
                    "86[1]"},
        ListingCase{"sin 30", "1[30] 16[0]"},
        // A comma nested inside an argument belongs to the inner call.
        ListingCase{"max(hypot(3,4),1)", "1[3] 1[4] 46[1] 1[1] 99[1]"},
        ListingCase{"if(0, 1+2, 3*4)", "1[0] 80[6] 1[1] 1[2] 3[1] 252[10] 1[3] 1[4] 5[1] 252[10]"},
        ListingCase{"1+loop(1, 10, 1, mem(0, a + z))",
                    "1[1] 1[1] 1[10] 1[1] 61[11] 1[0] 2[257] 2[282] 3[1] 59[1] 251[4] 3[1]"},
        // Operators and punctuation where an operand belongs.
        ListingCase{"+5", "1[5] 3[0]"}, ListingCase{"sin(,5)", "1[5] 250[0] 16[0]"}));

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
