// The weighted mean of the effect's output and the delayed input that the
// dry/wet mix and the bypass crossfade share.
#pragma once

#include <cstring>

namespace vorel {

// Gives dry the weight share/whole in out, which holds the effect's sample;
// whole is a power of two of at most 2^29. At either end the sample is copied
// as it is: the effect bit for bit at 0, dry bit for bit at whole (a weight
// of 0 would turn -0 into +0 and an infinity into a NaN). In between the
// result is a weighted mean that lies between the two: the weights are
// multiples of 1/whole, so they and both products are exact in double, and
// the only roundings (of the sum, then to float) are monotonic and cannot
// leave the interval. A NaN can only come from dry (the effect's output is
// finite), and then it is dry's NaN, quieted, on every target.
inline void BlendTowardDry(float& out, const float& dry, unsigned share, unsigned whole) {
  if (share >= whole) {
    std::memcpy(&out, &dry, sizeof(float));
  } else if (share > 0) {
    const double weight = static_cast<double>(share) / whole;
    out = static_cast<float>((1.0 - weight) * out + weight * dry);
  }
}

}  // namespace vorel
