#include "tly.h"

#include <chrono>

#include "compiler.h"
#include "machine.h"
#include "program.h"

namespace tly {

struct Tly::Compiled {
  Program program;
  Executable executable;
};

Tly::Tly() : compiled_(std::make_unique<Compiled>()) {}
Tly::~Tly() = default;
Tly::Tly(Tly&&) noexcept = default;
Tly& Tly::operator=(Tly&&) noexcept = default;

double Tly::EvaluateFormula() { return Execute(compiled_->program, compiled_->executable, state_); }

const std::vector<Slot>& Tly::compiled() const { return compiled_->program.slots; }

void Tly::SeedRandomFromClock() {
  auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  state_.random.Seed(static_cast<std::uint64_t>(ticks));
}

void Tly::CompileFormula(std::u16string_view text) {
  compiled_->executable.Clear();
  tly::CompileFormula(text, compiled_->program);
  Translate(compiled_->program, compiled_->executable);
}

Preview Tly::PreviewFormula(std::u16string_view text,
                            std::chrono::steady_clock::duration time) const {
  Program program;
  Executable executable;
  State state = state_;
  state.loop_pass_limit = std::min(state.loop_pass_limit, kPreviewLoopPasses);
  state.deadline = std::chrono::steady_clock::now() + time;
  Preview preview;
  try {
    tly::CompileFormula(text, program);
    if (program.varies) return preview;
    Translate(program, executable);
    preview.value = Execute(program, executable, state);
    preview.kind = Preview::Kind::kValue;
  } catch (const NumberedError& e) {
    // An evaluation raises error 16 only when its loops run out of passes or time.
    const bool out_of_passes = e.number() == err::kTooComplex && executable.length > 0;
    if (!out_of_passes) {
      preview.kind = Preview::Kind::kError;
      preview.error = e;
    }
  }
  return preview;
}

}  // namespace tly
