// The preview: what a formula would give, without a trace in the engine. That its value and
// error equal the real ones is checked for every formula the tests evaluate (see Evaluate in
// engine_helpers.h); these are the rest of its rules.
#include <gtest/gtest.h>

#include "engine_helpers.h"

namespace tly {
namespace {

using Kind = Preview::Kind;

TEST(Preview, LeavesTheStateAndTheCompiledFormulaAlone) {
  Tly t;
  t.SeedRandom(3);
  testing::Evaluate(t, "nrnd(0, 1)");  // the second half of the pair is now cached
  t.CompileFormula(u"1+1");
  const State before = t.state();
  for (const char16_t* f :
       {u"a = 5", u"mem(3, 1) + loop(1, 5, 1, z)", u"rnd(0, 1)", u"nrnd(0, 1)", u"1/0"})
    t.PreviewFormula(f);
  EXPECT_TRUE(t.state() == before);
  EXPECT_EQ(t.EvaluateFormula(), 2);
}

TEST(Preview, GivesNothingForFormulasWhoseValueWouldChange) {
  Tly t;
  for (const char16_t* f : {u"rnd(0, 1)", u"1 + nrnd(0, 1)", u"ymd(now(0), 0)"})
    EXPECT_EQ(t.PreviewFormula(f).kind, Kind::kNone);
}

TEST(Preview, GivesNothingPastAMillionLoopPasses) {
  Tly t;
  constexpr std::chrono::hours kNoTimeLimit{1};
  const Preview within = t.PreviewFormula(u"loop(1, 1e6, 1, z)", kNoTimeLimit);
  EXPECT_EQ(within.kind, Kind::kValue);
  EXPECT_EQ(within.value, 1e6);
  EXPECT_EQ(t.PreviewFormula(u"loop(1, 1e6 + 1, 1, z)", kNoTimeLimit).kind, Kind::kNone);
  EXPECT_EQ(t.PreviewFormula(u"loop(1, 1e3, 1, loop(1, 1e3, 1, z) + 1)", kNoTimeLimit).kind,
            Kind::kNone);
}

TEST(Preview, GivesNothingPastItsTimeWhileEvaluationRunsOn) {
  Tly t;
  const auto start = std::chrono::steady_clock::now();
  const Preview slow =
      t.PreviewFormula(u"loop(1, 1e5, 1, besselj(100, 100))", std::chrono::milliseconds(5));
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(slow.kind, Kind::kNone);
  EXPECT_LT(spent, std::chrono::milliseconds(100));
}

}  // namespace
}  // namespace tly
