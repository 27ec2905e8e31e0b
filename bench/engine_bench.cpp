// The formula engine beside muparser and fparser on the same formulas, in one run: compile and
// evaluate (what one Calculate does), evaluate only (the compiled formula run again), and a
// loop of a million passes. After the runs, a table of the medians and of the ratios that the
// engine is held to.
#include <benchmark/benchmark.h>
#include <muParser.h>
#include <fparser.hh>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "numbered_error.h"
#include "tly.h"

namespace {

// One formula in each library's spelling. fparser has no "sum" and "avg"; its spelling is the
// same arithmetic written out. Tallyra's "sqr" is the square root.
struct Formula {
  const char* tallyra;
  const char* muparser;
  const char* fparser;
};

constexpr Formula kFormulas[] = {
    {"1+2*3", "1+2*3", "1+2*3"},
    {"(x+1)*(x-1)/(x*x+1)", "(x+1)*(x-1)/(x*x+1)", "(x+1)*(x-1)/(x*x+1)"},
    {"sin(x)^2+cos(x)^2", "sin(x)^2+cos(x)^2", "sin(x)^2+cos(x)^2"},
    {"sum(x,2,3,4,5)/avg(2,x)", "sum(x,2,3,4,5)/avg(2,x)", "(x+2+3+4+5)/((2+x)/2)"},
    {"sqr(x^2+y^2)*exp(-x/10)", "sqrt(x^2+y^2)*exp(-x/10)", "sqrt(x^2+y^2)*exp(-x/10)"},
};

constexpr double kX = 0.7, kY = 1.3;
constexpr int kRegisterA = 1, kRegisterX = 24, kRegisterY = 25;

// The loop: Tallyra runs it inside one formula, the peers in the host program, each pass
// setting z and storing a + z back into a.
constexpr char16_t kLoopFormula[] = u"loop(1, 1000000, 1, mem(0, a + z))";
constexpr double kLoopPasses = 1e6;

std::u16string Utf16(const char* ascii) {
  return std::u16string(ascii, ascii + std::strlen(ascii));
}

// ---- Tallyra ----

// The program keeps one engine object for the whole run, so the benchmark reuses one too.
tly::Tly PreparedEngine() {
  tly::Tly engine;
  engine.SetRegister(kRegisterX, kX);
  engine.SetRegister(kRegisterY, kY);
  return engine;
}

void TallyraCalculate(benchmark::State& state, const Formula& f) {
  tly::Tly engine = PreparedEngine();
  const std::u16string text = Utf16(f.tallyra);
  for (auto _ : state) {
    engine.CompileFormula(text);
    benchmark::DoNotOptimize(engine.EvaluateFormula());
  }
}

void TallyraEvaluate(benchmark::State& state, const Formula& f) {
  tly::Tly engine = PreparedEngine();
  engine.CompileFormula(Utf16(f.tallyra));
  for (auto _ : state) benchmark::DoNotOptimize(engine.EvaluateFormula());
}

void TallyraLoop(benchmark::State& state) {
  tly::Tly engine;
  for (auto _ : state) {
    engine.SetRegister(kRegisterA, 0);
    engine.CompileFormula(kLoopFormula);
    benchmark::DoNotOptimize(engine.EvaluateFormula());
  }
}

// ---- muparser: SetExpr only stores the text; the first Eval after it parses ----

struct MuParserWithVariables {
  mu::Parser parser;
  double x = kX, y = kY;
  MuParserWithVariables() {
    parser.DefineVar("x", &x);
    parser.DefineVar("y", &y);
  }
};

void MuParserCalculate(benchmark::State& state, const Formula& f) {
  MuParserWithVariables p;
  const std::string text = f.muparser;
  for (auto _ : state) {
    p.parser.SetExpr(text);
    benchmark::DoNotOptimize(p.parser.Eval());
  }
}

void MuParserEvaluate(benchmark::State& state, const Formula& f) {
  MuParserWithVariables p;
  p.parser.SetExpr(f.muparser);
  p.parser.Eval();
  for (auto _ : state) benchmark::DoNotOptimize(p.parser.Eval());
}

void MuParserLoop(benchmark::State& state) {
  mu::Parser parser;
  double a = 0, z = 0;
  parser.DefineVar("a", &a);
  parser.DefineVar("z", &z);
  const std::string text = "a + z";
  for (auto _ : state) {
    a = 0;
    parser.SetExpr(text);
    for (z = 1; z <= kLoopPasses; z += 1) a = parser.Eval();
    benchmark::DoNotOptimize(a);
  }
}

// ---- fparser: Parse compiles, Eval runs ----

void FParserCalculate(benchmark::State& state, const Formula& f) {
  FunctionParser parser;
  const std::string text = f.fparser;
  const double variables[] = {kX, kY};
  for (auto _ : state) {
    parser.Parse(text, "x,y");
    benchmark::DoNotOptimize(parser.Eval(variables));
  }
}

void FParserEvaluate(benchmark::State& state, const Formula& f) {
  FunctionParser parser;
  parser.Parse(f.fparser, "x,y");
  const double variables[] = {kX, kY};
  for (auto _ : state) benchmark::DoNotOptimize(parser.Eval(variables));
}

void FParserLoop(benchmark::State& state) {
  FunctionParser parser;
  const std::string text = "a + z";
  double variables[2];  // a, z
  for (auto _ : state) {
    variables[0] = 0;
    parser.Parse(text, "a,z");
    for (variables[1] = 1; variables[1] <= kLoopPasses; variables[1] += 1)
      variables[0] = parser.Eval(variables);
    benchmark::DoNotOptimize(variables[0]);
  }
}

// ---- the three agree before anything is timed ----

bool Close(double a, double b) { return std::fabs(a - b) <= 1e-12 * std::fabs(b); }

bool ResultsAgree() {
  bool agree = true;
  for (const Formula& f : kFormulas) {
    tly::Tly engine = PreparedEngine();
    engine.CompileFormula(Utf16(f.tallyra));
    const double ours = engine.EvaluateFormula();
    MuParserWithVariables mu;
    mu.parser.SetExpr(f.muparser);
    const double theirs_mu = mu.parser.Eval();
    FunctionParser fp;
    const double variables[] = {kX, kY};
    const bool parsed = fp.Parse(f.fparser, "x,y") < 0;
    const double theirs_fp = parsed ? fp.Eval(variables) : NAN;
    if (!Close(theirs_mu, ours) || !Close(theirs_fp, ours)) {
      std::fprintf(stderr, "%s: tallyra %.17g, muparser %.17g, fparser %.17g\n", f.tallyra, ours,
                   theirs_mu, theirs_fp);
      agree = false;
    }
  }
  // a = 1 + 2 + ... + 10^6 after the loop.
  tly::Tly engine;
  engine.CompileFormula(kLoopFormula);
  engine.EvaluateFormula();
  if (engine.Register(kRegisterA) != 500000500000.0) {
    std::fprintf(stderr, "loop: a = %.17g\n", engine.Register(kRegisterA));
    agree = false;
  }
  return agree;
}

// ---- the summary ----

const char* const kLibraries[] = {"tallyra", "fparser", "muparser"};

// Keeps the median real time of every benchmark (or its only time, without repetitions), in
// nanoseconds, and prints the summary after the console's own report.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      const bool only = r.run_type == Run::RT_Iteration && r.repetitions <= 1;
      if (!r.error_occurred && (median || only))
        nanoseconds_[r.run_name.function_name] =
            r.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    PrintSummary();
  }

 private:
  double Time(const std::string& name) const {
    auto it = nanoseconds_.find(name);
    return it == nanoseconds_.end() ? NAN : it->second;
  }

  // A ratio with a benchmark left out by a filter is NaN: neither met nor missed.
  static const char* Verdict(double ratio, bool met) {
    return std::isnan(ratio) ? "-" : met ? "met" : "MISSED";
  }

  void PrintSummary() const {
    std::printf("\nMedian real time per run, ns: compile + evaluate | evaluate only\n");
    std::printf("%-26s %9s %9s %9s | %9s %9s %9s\n", "formula", "tallyra", "fparser", "muparser",
                "tallyra", "fparser", "muparser");
    for (const Formula& f : kFormulas) {
      std::printf("%-26s", f.tallyra);
      for (const char* measure : {"calculate", "evaluate"}) {
        for (const char* library : kLibraries)
          std::printf(" %9.1f", Time(std::string(measure) + "/" + library + "/" + f.tallyra));
        if (measure[0] == 'c') std::printf(" |");
      }
      std::printf("\n");
    }

    std::printf("\nTargets (ratios of medians from this run)\n");
    std::printf("%-26s %18s %20s\n", "compile + evaluate", "tallyra/fparser", "muparser/tallyra");
    double log_sum = 0;
    for (const Formula& f : kFormulas) {
      const std::string tail = std::string("/") + f.tallyra;
      const double ours = Time("calculate/tallyra" + tail);
      const double to_fparser = ours / Time("calculate/fparser" + tail);
      const double from_muparser = Time("calculate/muparser" + tail) / ours;
      std::printf("%-26s %6.3f <= 0.50 %-6s %6.1f >= 10 %-6s\n", f.tallyra, to_fparser,
                  Verdict(to_fparser, to_fparser <= 0.5), from_muparser,
                  Verdict(from_muparser, from_muparser >= 10));
      log_sum += std::log(Time("evaluate/tallyra" + tail) / Time("evaluate/muparser" + tail));
    }
    const double geometric_mean = std::exp(log_sum / std::size(kFormulas));
    std::printf("evaluate only, geometric mean of tallyra/muparser: %.3f <= 1.00 %s\n",
                geometric_mean, Verdict(geometric_mean, geometric_mean <= 1.0));

    std::printf("\n10^6-pass loop, ns per pass:");
    for (const char* library : kLibraries)
      std::printf("  %s %.2f", library, Time(std::string("loop/") + library) / kLoopPasses);
    const double per_pass = Time("loop/tallyra") / kLoopPasses;
    const double to_muparser = Time("loop/tallyra") / Time("loop/muparser");
    std::printf("\n  tallyra per pass %.2f <= 10 %s; tallyra/muparser %.3f <= 1.00 %s\n", per_pass,
                Verdict(per_pass, per_pass <= 10), to_muparser,
                Verdict(to_muparser, to_muparser <= 1.0));
  }

  std::map<std::string, double> nanoseconds_;
};

void RegisterAll() {
  using Measure = void (*)(benchmark::State&, const Formula&);
  struct Library {
    const char* name;
    Measure calculate, evaluate;
  };
  const Library libraries[] = {{"tallyra", TallyraCalculate, TallyraEvaluate},
                               {"fparser", FParserCalculate, FParserEvaluate},
                               {"muparser", MuParserCalculate, MuParserEvaluate}};
  for (const Formula& f : kFormulas) {
    for (const Library& l : libraries) {
      benchmark::RegisterBenchmark(("calculate/" + std::string(l.name) + "/" + f.tallyra).c_str(),
                                   l.calculate, f);
      benchmark::RegisterBenchmark(("evaluate/" + std::string(l.name) + "/" + f.tallyra).c_str(),
                                   l.evaluate, f);
    }
  }
  benchmark::RegisterBenchmark("loop/tallyra", TallyraLoop)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("loop/fparser", FParserLoop)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("loop/muparser", MuParserLoop)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (!ResultsAgree()) return 1;
  } catch (const tly::NumberedError& e) {
    std::fprintf(stderr, "tallyra: error %d\n", e.number());
    return 1;
  } catch (const mu::Parser::exception_type& e) {
    std::fprintf(stderr, "muparser: %s\n", e.GetMsg().c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
