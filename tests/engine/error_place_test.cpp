// Where an error lies in the formula: the offending token of a compile, the operator or
// function call whose slot raised an evaluation's error.
#include <gtest/gtest.h>

#include "engine_helpers.h"

namespace tly {
namespace {

struct PlaceCase {
  const char* formula;
  int error;
  // The formula's characters the error lies on, as carets under them; a formula that ends too
  // early is marked by the empty span at its end, written "".
  const char* marked;
};

class ErrorPlace : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ErrorPlace, MarksTheOffendingCharacters) {
  const PlaceCase& c = GetParam();
  Tly t;
  t.SetLoopPassLimit(10);
  const std::string_view marked(c.marked);
  const int end = static_cast<int>(std::string_view(c.formula).size());
  const SourceSpan expected = marked.empty() ? SourceSpan{end, end}
                                             : SourceSpan{static_cast<int>(marked.find('^')),
                                                          static_cast<int>(marked.rfind('^')) + 1};
  try {
    testing::Evaluate(t, c.formula);
    ADD_FAILURE() << c.formula << " raised no error";
  } catch (const NumberedError& e) {
    EXPECT_EQ(e.number(), c.error) << c.formula;
    EXPECT_EQ(e.where(), expected) << c.formula;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Compile, ErrorPlace,
    ::testing::Values(PlaceCase{"1 2", 2, "  ^"}, PlaceCase{"xyz+1", 2, "^^^"},
                      PlaceCase{"1 ? 2", 2, "  ^"}, PlaceCase{"1 <<2", 2, "  ^^"},
                      PlaceCase{"1+2)", 29, "   ^"}, PlaceCase{"sin(1,2)", 29, "     ^"},
                      PlaceCase{"2*(3+(4", 29, "     ^"}, PlaceCase{"1+)2", 29, "  ^"},
                      PlaceCase{"1+10e308", 6, "  ^^^^^^"}, PlaceCase{"sin", 2, ""},
                      PlaceCase{"1 +", 2, ""}, PlaceCase{"", 2, ""}));

INSTANTIATE_TEST_SUITE_P(
    Evaluation, ErrorPlace,
    ::testing::Values(PlaceCase{"1+1/0", 11, "   ^"}, PlaceCase{"sqr(-1)+1", 5, "^^^"},
                      PlaceCase{"2 + 1/x", 11, "     ^"},
                      PlaceCase{"a = 1e308*10", 6, "         ^"}, PlaceCase{"1e200^2", 6, "     ^"},
                      PlaceCase{"(-8)^0.5", 5, "    ^"}, PlaceCase{"fact(2.5)*2", 5, "^^^^"},
                      PlaceCase{"1 + loop(1, 99, 1, z)", 16, "    ^^^^"},
                      PlaceCase{"if(0, 1, 2 \\ 0)", 11, "           ^"},
                      PlaceCase{"sum(1, 2) - 3 % 0", 11, "              ^"},
                      // The stack runs empty after an operator that stood for an operand.
                      PlaceCase{"1+*2", 2, "  ^"}, PlaceCase{"1 ^ ^ 2", 2, "    ^"},
                      PlaceCase{"<5", 2, "^"}));

}  // namespace
}  // namespace tly
