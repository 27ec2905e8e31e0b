// How long the preview of a formula takes, the update the formula box makes on every change of
// its text. Reads formulas one a line from the files given, previews each against an engine
// whose registers hold ordinary values, and prints the slowest ones: the median of five runs
// for each formula.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tly.h"

namespace {

double PreviewMicroseconds(const tly::Tly& engine, const std::u16string& text) {
  double runs[5];
  for (double& r : runs) {
    const auto start = std::chrono::steady_clock::now();
    const tly::Preview p = engine.PreviewFormula(text);
    const auto end = std::chrono::steady_clock::now();
    if (p.kind == tly::Preview::Kind::kValue && p.value == 0.123456789) std::puts("");
    r = std::chrono::duration<double, std::micro>(end - start).count();
  }
  std::sort(std::begin(runs), std::end(runs));
  return runs[2];
}

}  // namespace

int main(int argc, char** argv) {
  tly::Tly engine;
  for (int i = 1; i < tly::kRegisterCount; ++i) engine.SetRegister(i, 0.5 * i);
  std::vector<std::pair<double, std::string>> times;
  for (int a = 1; a < argc; ++a) {
    std::ifstream in(argv[a]);
    for (std::string line; std::getline(in, line);) {
      const std::u16string text(line.begin(), line.end());  // the formulas are ASCII
      times.emplace_back(PreviewMicroseconds(engine, text), line);
    }
  }
  if (times.empty()) {
    std::fprintf(stderr, "usage: preview_latency FILE...  (formulas, one a line)\n");
    return 2;
  }
  std::sort(times.rbegin(), times.rend());
  std::printf("%zu formulas; the slowest previews (median of 5 runs):\n", times.size());
  for (std::size_t i = 0; i < std::min<std::size_t>(5, times.size()); ++i)
    std::printf("%10.1f us  %s\n", times[i].first, times[i].second.substr(0, 70).c_str());
  return 0;
}
