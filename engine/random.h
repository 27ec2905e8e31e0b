// The uniform generator behind "rnd" and "nrnd": single-precision values in [0, 1) from one
// sequence (PCG-XSH-RR 64/32) that lasts the whole run.
#pragma once

#include <cstdint>

namespace tly {

class UniformRandom {
 public:
  UniformRandom() { Seed(0); }

  void Seed(std::uint64_t seed) {
    state_ = 0;
    Step();
    state_ += seed;
    Step();
  }

  // 24 random bits scaled by 2^-24: every value is an exact float below 1.
  float Next() { return static_cast<float>(Step() >> 8) * (1.0f / 16777216.0f); }

  friend bool operator==(const UniformRandom&, const UniformRandom&) = default;

 private:
  std::uint32_t Step() {
    std::uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + kIncrement;
    auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    auto rot = static_cast<std::uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
  }

  static constexpr std::uint64_t kIncrement = 1442695040888963407ULL;
  std::uint64_t state_ = 0;
};

}  // namespace tly
