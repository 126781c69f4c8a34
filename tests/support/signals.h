// Test signals made from integer arithmetic only, so that every build (the
// 32-bit one included) produces the same bits without relying on libm.
#pragma once

#include <cstdint>
#include <vector>

namespace vorel_host {

// xorshift32: a fixed, platform-independent pseudo-random sequence.
class Rng {
 public:
  explicit Rng(uint32_t seed) : state_(seed == 0 ? 0x9e3779b9u : seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // Uniform in [-1, 1) with 24 significant bits; exact in float.
  float NextSample() {
    return static_cast<float>(static_cast<int32_t>(Next()) >> 8) * (1.0f / 8388608.0f);
  }

 private:
  uint32_t state_;
};

inline std::vector<float> Noise(size_t length, uint32_t seed, float amplitude) {
  Rng rng(seed);
  std::vector<float> x(length);
  for (float& v : x) v = rng.NextSample() * amplitude;
  return x;
}

// A square wave of the given period in samples, +amplitude then -amplitude.
inline std::vector<float> Square(size_t length, size_t period, float amplitude) {
  std::vector<float> x(length);
  for (size_t i = 0; i < length; ++i) x[i] = (i % period) < period / 2 ? amplitude : -amplitude;
  return x;
}

}  // namespace vorel_host
